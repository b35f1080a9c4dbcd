#include "state/input.h"

#include <gtest/gtest.h>

namespace {

struct Frame {
    Uint8 keys[SDLK_LAST] = {};
    RawInput raw;
    Frame()
    {
        raw.keys = keys;
        raw.keyCount = SDLK_LAST;
    }
    Frame& Hold(SDLKey k)
    {
        keys[k] = 1;
        return *this;
    }
    Frame& Down(SDLKey k, Uint16 unicode = 0)
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = k;
        e.key.keysym.unicode = unicode;
        raw.events.push_back(e);
        return *this;
    }
    Frame& Up(SDLKey k)
    {
        SDL_Event e{};
        e.type = SDL_KEYUP;
        e.key.keysym.sym = k;
        raw.events.push_back(e);
        return *this;
    }
    Frame& Button(Uint8 type, Uint8 button)
    {
        SDL_Event e{};
        e.type = type;
        e.button.button = button;
        raw.events.push_back(e);
        return *this;
    }
};

TEST(Input, HeldKeysComeFromTheKeyStateEitherKeyOfAPair)
{
    InputState in;
    Frame f;
    f.Hold(SDLK_KP4).Hold(SDLK_UP).Hold(SDLK_PAGEDOWN).Hold(SDLK_KP_PERIOD);
    ProcessInput(in, f.raw);
    EXPECT_TRUE(in.leftHeld);
    EXPECT_TRUE(in.upHeld);
    EXPECT_FALSE(in.rightHeld);
    EXPECT_FALSE(in.downHeld);
    EXPECT_TRUE(in.distIncHeld);
    EXPECT_TRUE(in.yawIncHeld);
    EXPECT_FALSE(in.pitchDecHeld);
    ProcessInput(in, Frame().raw);
    EXPECT_FALSE(in.leftHeld);
    EXPECT_FALSE(in.upHeld);
}

TEST(Input, KeysActOnReleaseAndEventFlagsLastOneFrame)
{
    InputState in;
    // Pressed and released within one frame: the key-up flag is still seen once.
    ProcessInput(in, Frame().Down(SDLK_SPACE).Up(SDLK_SPACE).raw);
    EXPECT_TRUE(in.undo);
    EXPECT_TRUE(in.keyDown);
    EXPECT_TRUE(in.keyReleased);
    ProcessInput(in, Frame().raw);
    EXPECT_FALSE(in.undo);
    EXPECT_FALSE(in.keyReleased);

    ProcessInput(in, Frame().Up(SDLK_BACKSPACE).raw);
    EXPECT_TRUE(in.undo);  // the second undo key
    EXPECT_TRUE(in.backspace);
    ProcessInput(in, Frame().Up(SDLK_KP_ENTER).Up(SDLK_ESCAPE).Up(SDLK_F10).Up(SDLK_F1).raw);
    EXPECT_TRUE(in.setOff);
    EXPECT_TRUE(in.escape);
    EXPECT_TRUE(in.fkey[10]);
    EXPECT_TRUE(in.fkey[1]);
    EXPECT_FALSE(in.fkey[2]);
    // A key press alone sets nothing but the typed character.
    ProcessInput(in, Frame().Down(SDLK_ESCAPE).Down(SDLK_a, 'a').raw);
    EXPECT_FALSE(in.escape);
    EXPECT_EQ(in.lastUnicode, 'a');
}

TEST(Input, EveryKeyPressOfASlowFrameIsKeptForTextFields)
{
    InputState in;
    ProcessInput(in, Frame()
                         .Down(SDLK_t, 'T')
                         .Up(SDLK_t)
                         .Down(SDLK_BACKSPACE)
                         .Up(SDLK_BACKSPACE)
                         .Down(SDLK_e, 'e')
                         .raw);
    ASSERT_EQ(in.textEventCount, 4);
    EXPECT_EQ(in.textEvents[0].unicode, 'T');
    EXPECT_FALSE(in.textEvents[1].erase);  // the Backspace press types nothing…
    EXPECT_TRUE(in.textEvents[2].erase);   // …its release erases
    EXPECT_EQ(in.textEvents[3].unicode, 'e');
    ProcessInput(in, Frame().raw);
    EXPECT_EQ(in.textEventCount, 0);
}

TEST(Input, DirectionPressedFlagsLastUntilKeyUp)
{
    InputState in;
    ProcessInput(in, Frame().Down(SDLK_KP6).Hold(SDLK_KP6).raw);
    EXPECT_TRUE(in.rightPressed);
    ProcessInput(in, Frame().Hold(SDLK_KP6).raw);
    EXPECT_TRUE(in.rightPressed);
    ProcessInput(in, Frame().Up(SDLK_RIGHT).raw);
    EXPECT_FALSE(in.rightPressed);
    EXPECT_TRUE(in.rightReleased);
}

TEST(Input, ASuppressedDirectionStaysOffUntilItsKeyIsReleased)
{
    InputState in;
    ProcessInput(in, Frame().Hold(SDLK_LEFT).Hold(SDLK_UP).raw);
    SuppressDirection(in, HeldLeft);
    ProcessInput(in, Frame().Hold(SDLK_LEFT).Hold(SDLK_UP).raw);
    EXPECT_FALSE(in.leftHeld);
    EXPECT_TRUE(in.upHeld);
    ProcessInput(in, Frame().Up(SDLK_LEFT).Hold(SDLK_UP).raw);
    ProcessInput(in, Frame().Hold(SDLK_LEFT).raw);
    EXPECT_TRUE(in.leftHeld);

    ReleaseDirectionKeys(in);
    ProcessInput(in, Frame().Hold(SDLK_LEFT).Hold(SDLK_DOWN).raw);
    EXPECT_FALSE(in.leftHeld);
    EXPECT_FALSE(in.downHeld);
    // A key that is simply no longer down ends the suppression too.
    ProcessInput(in, Frame().raw);
    ProcessInput(in, Frame().Hold(SDLK_DOWN).raw);
    EXPECT_TRUE(in.downHeld);
}

TEST(Input, MouseButtonsClicksAndWheel)
{
    InputState in;
    Frame f;
    f.raw.mouseX = 10;
    f.raw.mouseY = 20;
    f.Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    ProcessInput(in, f.raw);
    EXPECT_TRUE(in.leftButtonHeld);
    EXPECT_FALSE(in.leftClick);
    EXPECT_EQ(in.mouseX, 10);
    ProcessInput(in, Frame()
                         .Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT)
                         .Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN)
                         .raw);
    EXPECT_FALSE(in.leftButtonHeld);
    EXPECT_TRUE(in.leftClick);
    EXPECT_TRUE(in.wheelDown);
    EXPECT_FALSE(in.wheelUp);
    ProcessInput(in, Frame().raw);
    EXPECT_FALSE(in.leftClick);
}

TEST(Input, JoystickDeadZoneAndEdges)
{
    InputState in;
    in.joystickOn = true;
    Frame f;
    f.raw.joystickPresent = true;
    f.raw.axis0 = 8192;
    f.raw.axis1 = -8192;
    ProcessInput(in, f.raw);
    EXPECT_FALSE(in.joyRight || in.joyLeft || in.joyUp || in.joyDown);

    f.raw.axis0 = -8193;
    f.raw.axis1 = 32767;
    f.raw.anyButton = true;
    ProcessInput(in, f.raw);
    EXPECT_TRUE(in.joyLeft);
    EXPECT_TRUE(in.joyDown);
    EXPECT_TRUE(in.joyLeftPressed);
    EXPECT_TRUE(in.joyButtonPressed);
    ProcessInput(in, f.raw);  // still held: no new edge
    EXPECT_TRUE(in.joyLeft);
    EXPECT_FALSE(in.joyLeftPressed);
    EXPECT_FALSE(in.joyButtonPressed);

    in.joystickOn = false;  // F4
    ProcessInput(in, f.raw);
    EXPECT_FALSE(in.joyLeft || in.joyButton);
}

TEST(Input, ClosingTheWindowIsSeen)
{
    InputState in;
    Frame f;
    SDL_Event e{};
    e.type = SDL_QUIT;
    f.raw.events.push_back(e);
    ProcessInput(in, f.raw);
    EXPECT_TRUE(in.quit);
}

TEST(Input, ToggleWithoutJoystickDoesNothing)
{
    InputState in;
    in.joystickOn = false;
    ToggleJoystick(in);
    EXPECT_FALSE(in.joystickOn);
}

}  // namespace
