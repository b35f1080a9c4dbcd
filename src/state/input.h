#pragma once
// Keyboard, mouse and joystick, sampled once per frame into flags that the
// play screen, the camera, the menus and the dialogs read.
//
// PollInput gathers what SDL has into a RawInput and hands it to
// ProcessInput, which holds all the rules; a test drives ProcessInput with
// RawInputs of its own, so no real keyboard is needed.
#include <SDL.h>

#include <vector>

struct RawInput {
    const Uint8* keys = nullptr;  // SDL_GetKeyState array, indexed by SDLK_
    int keyCount = 0;
    int mouseX = 0, mouseY = 0;
    int mouseRelX = 0, mouseRelY = 0;
    Uint8 mouseButtons = 0;
    std::vector<SDL_Event> events;  // this frame's events, in order
    // First joystick, when joystick input is on.
    bool joystickPresent = false;
    Sint16 axis0 = 0, axis1 = 0;
    bool anyButton = false;
};

struct InputState {
    // Held keys, recomputed every frame.
    bool leftHeld = false, rightHeld = false, upHeld = false, downHeld = false;
    bool pitchDecHeld = false, pitchIncHeld = false;
    bool yawDecHeld = false, yawIncHeld = false;
    bool distDecHeld = false, distIncHeld = false;
    const Uint8* keys = nullptr;
    int keyCount = 0;

    // Mouse.
    int mouseX = 0, mouseY = 0, mouseRelX = 0, mouseRelY = 0;
    Uint8 mouseButtons = 0;
    bool leftButtonHeld = false, rightButtonHeld = false;

    // Joystick (only while joystick input is on).
    bool joystickOn = false;
    bool joyLeft = false, joyRight = false, joyUp = false, joyDown = false, joyButton = false;
    // The joystick's changes from off to on this frame: menus act on these
    // rather than on every frame a direction is held.
    bool joyLeftPressed = false, joyRightPressed = false, joyUpPressed = false, joyDownPressed = false,
         joyButtonPressed = false;

    // Direction keys pressed (kept until their key-up).
    bool leftPressed = false, rightPressed = false, upPressed = false, downPressed = false;

    // One-frame event flags.
    bool keyDown = false;  // any key went down this frame
    SDLKey lastKey = SDLK_UNKNOWN;
    Uint16 lastUnicode = 0;    // typed character of the last key press
    bool keyReleased = false;  // any key went up this frame
    bool leftReleased = false, rightReleased = false, upReleased = false, downReleased = false;
    bool escape = false, undo = false, setOff = false, backspace = false;
    bool fkey[13] = {};  // fkey[1] … fkey[10] as released this frame
    bool leftClick = false, rightClick = false;
    // The buttons went down this frame (a quick click may go down and up
    // within one frame).
    bool leftButtonDown = false, rightButtonDown = false;
    bool wheelUp = false, wheelDown = false;
    bool quit = false;  // the window was closed

    // Everything typed this frame, in order: each key press with its
    // character, and each Backspace release as an erase. A slow frame may
    // hold several; text fields take them all, so no letter is lost.
    struct TextEvent {
        bool erase = false;
        SDLKey sym = SDLK_UNKNOWN;
        Uint16 unicode = 0;
    };
    static constexpr int kMaxTextEvents = 32;
    TextEvent textEvents[kMaxTextEvents];
    int textEventCount = 0;

    // A direction let go of by the game (a refused push) stays off, for its
    // key and the stick alike, until both are released, so a refusal is
    // heard once per press.
    bool suppressLeft = false, suppressRight = false, suppressUp = false, suppressDown = false;
};

// Applies one frame of raw input to the state (the rules of the game's input).
void ProcessInput(InputState& in, const RawInput& raw);

// Samples SDL (keys, mouse, first joystick, the whole event queue) and
// applies it.
void PollInput(InputState& in);

// Lets go of the four held direction flags (and their pressed flags, and
// the stick's) until they are pressed again, so the car stops pushing against a block.
void ReleaseDirectionKeys(InputState& in);

enum HeldDirection { HeldLeft, HeldRight, HeldUp, HeldDown };
// Lets go of one direction (key and stick) until it is released.
void SuppressDirection(InputState& in, HeldDirection d);

// Opens every joystick; joystick input is on when one was opened.
void OpenJoysticks(InputState& in);
void CloseJoysticks(InputState& in);
// F4: switches joystick input off and on (nothing without a joystick).
void ToggleJoystick(InputState& in);
