#include "state/input.h"

namespace {

std::vector<SDL_Joystick*> joysticks;

bool KeyDown(const RawInput& raw, SDLKey a, SDLKey b)
{
    if (!raw.keys)
        return false;
    auto held = [&](SDLKey k) { return k >= 0 && k < raw.keyCount && raw.keys[k] == 1; };
    return held(a) || held(b);
}

}  // namespace

void ProcessInput(InputState& in, const RawInput& raw)
{
    in.keys = raw.keys;
    in.keyCount = raw.keyCount;

    // One-frame flags start clear.
    in.keyDown = in.keyReleased = false;
    in.lastUnicode = 0;
    in.leftReleased = in.rightReleased = in.upReleased = in.downReleased = false;
    in.escape = in.undo = in.setOff = in.backspace = false;
    for (bool& f : in.fkey)
        f = false;
    in.leftClick = in.rightClick = in.wheelUp = in.wheelDown = false;
    in.leftButtonDown = in.rightButtonDown = false;
    in.quit = false;
    in.textEventCount = 0;
    auto addText = [&in](bool erase, SDLKey sym, Uint16 unicode) {
        if (in.textEventCount < InputState::kMaxTextEvents)
            in.textEvents[in.textEventCount++] = InputState::TextEvent{erase, sym, unicode};
    };

    bool tapLeft = false, tapRight = false, tapUp = false, tapDown = false;
    for (const SDL_Event& e : raw.events) {
        switch (e.type) {
        case SDL_KEYDOWN: {
            SDLKey k = e.key.keysym.sym;
            in.keyDown = true;
            in.lastKey = k;
            in.lastUnicode = e.key.keysym.unicode;
            addText(false, k, e.key.keysym.unicode);
            if (k == SDLK_UP || k == SDLK_KP8)
                in.upPressed = tapUp = true;
            else if (k == SDLK_DOWN || k == SDLK_KP2)
                in.downPressed = tapDown = true;
            else if (k == SDLK_LEFT || k == SDLK_KP4)
                in.leftPressed = tapLeft = true;
            else if (k == SDLK_RIGHT || k == SDLK_KP6)
                in.rightPressed = tapRight = true;
            break;
        }
        case SDL_KEYUP: {
            SDLKey k = e.key.keysym.sym;
            in.keyReleased = true;
            if (k == SDLK_UP || k == SDLK_KP8) {
                in.upReleased = true;
                in.upPressed = false;
                in.suppressUp = false;
            } else if (k == SDLK_DOWN || k == SDLK_KP2) {
                in.downReleased = true;
                in.downPressed = false;
                in.suppressDown = false;
            } else if (k == SDLK_LEFT || k == SDLK_KP4) {
                in.leftReleased = true;
                in.leftPressed = false;
                in.suppressLeft = false;
            } else if (k == SDLK_RIGHT || k == SDLK_KP6) {
                in.rightReleased = true;
                in.rightPressed = false;
                in.suppressRight = false;
            } else if (k == SDLK_ESCAPE) {
                in.escape = true;
            } else if (k == SDLK_SPACE) {
                in.undo = true;
            } else if (k == SDLK_BACKSPACE) {
                in.undo = true;
                in.backspace = true;
                addText(true, k, 0);
            } else if (k == SDLK_RETURN || k == SDLK_KP_ENTER) {
                in.setOff = true;
            } else if (k >= SDLK_F1 && k <= SDLK_F10) {
                in.fkey[1 + (k - SDLK_F1)] = true;
            }
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT)
                in.leftButtonHeld = in.leftButtonDown = true;
            else if (e.button.button == SDL_BUTTON_RIGHT)
                in.rightButtonHeld = in.rightButtonDown = true;
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) {
                in.leftButtonHeld = false;
                in.leftClick = true;
            } else if (e.button.button == SDL_BUTTON_RIGHT) {
                in.rightButtonHeld = false;
                in.rightClick = true;
            } else if (e.button.button == SDL_BUTTON_WHEELUP) {
                in.wheelUp = true;
            } else if (e.button.button == SDL_BUTTON_WHEELDOWN) {
                in.wheelDown = true;
            }
            break;
        case SDL_QUIT:
            in.quit = true;
            break;
        default:
            break;
        }
    }

    // Within ±8192 of the centre an axis counts as released.
    const bool stick = in.joystickOn && raw.joystickPresent;
    const bool stickLeft = stick && raw.axis0 < -8192, stickRight = stick && raw.axis0 > 8192;
    const bool stickUp = stick && raw.axis1 < -8192, stickDown = stick && raw.axis1 > 8192;

    // A key that went down and up within one frame is held for that frame,
    // so a quick tap still makes its step. A suppressed direction (key and
    // stick alike) comes back once neither is down any more (its key-up may
    // have gone to another window).
    auto held = [&](bool& suppressed, SDLKey a, SDLKey b, bool tapped, bool stickDown, bool& stickHeld) {
        bool key = KeyDown(raw, a, b) || tapped;
        if (!key && !stickDown)
            suppressed = false;
        stickHeld = stickDown && !suppressed;
        return key && !suppressed;
    };
    bool wasLeft = in.joyLeft, wasRight = in.joyRight, wasUp = in.joyUp, wasDown = in.joyDown, wasButton = in.joyButton;
    in.leftHeld = held(in.suppressLeft, SDLK_LEFT, SDLK_KP4, tapLeft, stickLeft, in.joyLeft);
    in.rightHeld = held(in.suppressRight, SDLK_RIGHT, SDLK_KP6, tapRight, stickRight, in.joyRight);
    in.upHeld = held(in.suppressUp, SDLK_UP, SDLK_KP8, tapUp, stickUp, in.joyUp);
    in.downHeld = held(in.suppressDown, SDLK_DOWN, SDLK_KP2, tapDown, stickDown, in.joyDown);
    in.pitchDecHeld = KeyDown(raw, SDLK_HOME, SDLK_KP7);
    in.pitchIncHeld = KeyDown(raw, SDLK_END, SDLK_KP1);
    in.yawDecHeld = KeyDown(raw, SDLK_INSERT, SDLK_KP0);
    in.yawIncHeld = KeyDown(raw, SDLK_DELETE, SDLK_KP_PERIOD);
    in.distDecHeld = KeyDown(raw, SDLK_PAGEUP, SDLK_KP9);
    in.distIncHeld = KeyDown(raw, SDLK_PAGEDOWN, SDLK_KP3);

    in.mouseX = raw.mouseX;
    in.mouseY = raw.mouseY;
    in.mouseRelX = raw.mouseRelX;
    in.mouseRelY = raw.mouseRelY;
    in.mouseButtons = raw.mouseButtons;

    in.joyButton = stick && raw.anyButton;
    in.joyLeftPressed = in.joyLeft && !wasLeft;
    in.joyRightPressed = in.joyRight && !wasRight;
    in.joyUpPressed = in.joyUp && !wasUp;
    in.joyDownPressed = in.joyDown && !wasDown;
    in.joyButtonPressed = in.joyButton && !wasButton;
}

void PollInput(InputState& in)
{
    RawInput raw;
    SDL_Event e;
    while (SDL_PollEvent(&e))
        raw.events.push_back(e);
    raw.keys = SDL_GetKeyState(&raw.keyCount);
    raw.mouseButtons = SDL_GetMouseState(&raw.mouseX, &raw.mouseY);
    SDL_GetRelativeMouseState(&raw.mouseRelX, &raw.mouseRelY);
    if (in.joystickOn && !joysticks.empty() && joysticks[0]) {
        SDL_JoystickUpdate();
        SDL_Joystick* j = joysticks[0];
        raw.joystickPresent = true;
        raw.axis0 = SDL_JoystickGetAxis(j, 0);
        raw.axis1 = SDL_JoystickGetAxis(j, 1);
        int buttons = SDL_JoystickNumButtons(j);
        for (int b = 0; b < buttons; ++b)
            if (SDL_JoystickGetButton(j, b))
                raw.anyButton = true;
    }
    ProcessInput(in, raw);
}

void ReleaseDirectionKeys(InputState& in)
{
    for (HeldDirection d : {HeldLeft, HeldRight, HeldUp, HeldDown})
        SuppressDirection(in, d);
}

void SuppressDirection(InputState& in, HeldDirection d)
{
    switch (d) {
    case HeldLeft:
        in.suppressLeft = true;
        in.leftHeld = in.leftPressed = in.joyLeft = false;
        break;
    case HeldRight:
        in.suppressRight = true;
        in.rightHeld = in.rightPressed = in.joyRight = false;
        break;
    case HeldUp:
        in.suppressUp = true;
        in.upHeld = in.upPressed = in.joyUp = false;
        break;
    case HeldDown:
        in.suppressDown = true;
        in.downHeld = in.downPressed = in.joyDown = false;
        break;
    }
}

void OpenJoysticks(InputState& in)
{
    CloseJoysticks(in);
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i)
        if (SDL_Joystick* j = SDL_JoystickOpen(i))
            joysticks.push_back(j);
    in.joystickOn = !joysticks.empty();
}

void CloseJoysticks(InputState& in)
{
    for (SDL_Joystick* j : joysticks)
        SDL_JoystickClose(j);
    joysticks.clear();
    in.joystickOn = false;
}

void ToggleJoystick(InputState& in)
{
    if (!joysticks.empty())
        in.joystickOn = !in.joystickOn;
}
