#include "state/input.h"

#include <gtest/gtest.h>

namespace {

// One frame of raw input: the keys held and the events, in order.
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
    Frame& Event(Uint8 type, int code = 0, Uint16 unicode = 0)
    {
        SDL_Event e{};
        e.type = type;
        if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
            e.key.keysym.sym = static_cast<SDLKey>(code);
            e.key.keysym.unicode = unicode;
        } else {
            e.button.button = static_cast<Uint8>(code);
        }
        raw.events.push_back(e);
        return *this;
    }
    Frame& Down(SDLKey k, Uint16 unicode = 0) { return Event(SDL_KEYDOWN, k, unicode); }
    Frame& Up(SDLKey k) { return Event(SDL_KEYUP, k); }
};

using Flag = bool InputState::*;

TEST(Input, EitherKeyOfAPairHoldsItsFlagOnlyWhileItIsDown)
{
    const struct {
        SDLKey a, b;
        Flag held;
    } pairs[] = {
        {SDLK_LEFT, SDLK_KP4, &InputState::leftHeld},      {SDLK_RIGHT, SDLK_KP6, &InputState::rightHeld},
        {SDLK_UP, SDLK_KP8, &InputState::upHeld},          {SDLK_DOWN, SDLK_KP2, &InputState::downHeld},
        {SDLK_HOME, SDLK_KP7, &InputState::pitchDecHeld},  {SDLK_END, SDLK_KP1, &InputState::pitchIncHeld},
        {SDLK_INSERT, SDLK_KP0, &InputState::yawDecHeld},  {SDLK_DELETE, SDLK_KP_PERIOD, &InputState::yawIncHeld},
        {SDLK_PAGEUP, SDLK_KP9, &InputState::distDecHeld}, {SDLK_PAGEDOWN, SDLK_KP3, &InputState::distIncHeld},
    };
    for (const auto& p : pairs)
        for (SDLKey k : {p.a, p.b}) {
            InputState in;
            ProcessInput(in, Frame().Hold(k).raw);
            for (const auto& other : pairs)
                EXPECT_EQ(in.*other.held, &other == &p) << k;
            ProcessInput(in, Frame().raw);
            EXPECT_FALSE(in.*p.held) << k;
        }
}

TEST(Input, KeysActOnTheirReleaseForOneFrame)
{
    const struct {
        SDLKey key;
        Flag flag;
    } keys[] = {
        {SDLK_ESCAPE, &InputState::escape},     {SDLK_SPACE, &InputState::undo},
        {SDLK_BACKSPACE, &InputState::undo},    {SDLK_BACKSPACE, &InputState::backspace},
        {SDLK_RETURN, &InputState::setOff},     {SDLK_KP_ENTER, &InputState::setOff},
        {SDLK_LEFT, &InputState::leftReleased}, {SDLK_KP6, &InputState::rightReleased},
        {SDLK_KP8, &InputState::upReleased},    {SDLK_DOWN, &InputState::downReleased},
    };
    for (const auto& c : keys) {
        InputState in;
        ProcessInput(in, Frame().Down(c.key, 'a').raw);
        EXPECT_FALSE(in.*c.flag) << c.key << " only pressed";
        EXPECT_TRUE(in.keyDown);
        EXPECT_EQ(in.lastUnicode, 'a');
        ProcessInput(in, Frame().Up(c.key).raw);
        EXPECT_TRUE(in.*c.flag) << c.key;
        EXPECT_TRUE(in.keyReleased);
        ProcessInput(in, Frame().raw);
        EXPECT_FALSE(in.*c.flag || in.keyReleased || in.keyDown) << c.key;
    }
    for (int f = 1; f <= 10; ++f) {  // pressed and released within one frame
        InputState in;
        const SDLKey key = static_cast<SDLKey>(SDLK_F1 + f - 1);
        ProcessInput(in, Frame().Down(key).Up(key).raw);
        for (int k = 0; k < 13; ++k)
            EXPECT_EQ(in.fkey[k], k == f) << "F" << f;
    }
}

TEST(Input, EveryKeyPressOfASlowFrameIsKeptForTextFields)
{
    InputState in;
    ProcessInput(in,
                 Frame().Down(SDLK_t, 'T').Up(SDLK_t).Down(SDLK_BACKSPACE).Up(SDLK_BACKSPACE).Down(SDLK_e, 'e').raw);
    ASSERT_EQ(in.textEventCount, 4);
    EXPECT_EQ(in.textEvents[0].unicode, 'T');
    EXPECT_FALSE(in.textEvents[1].erase);  // the Backspace press types nothing…
    EXPECT_TRUE(in.textEvents[2].erase);   // …its release erases
    EXPECT_EQ(in.textEvents[3].unicode, 'e');
    ProcessInput(in, Frame().raw);
    EXPECT_EQ(in.textEventCount, 0);
}

TEST(Input, ADirectionIsPressedUntilItsKeyGoesUpAndASuppressedOneStaysOffTillThen)
{
    InputState in;
    ProcessInput(in, Frame().Down(SDLK_KP6).Hold(SDLK_KP6).raw);
    ProcessInput(in, Frame().Hold(SDLK_KP6).raw);
    EXPECT_TRUE(in.rightPressed);
    ProcessInput(in, Frame().Up(SDLK_RIGHT).raw);
    EXPECT_FALSE(in.rightPressed);

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
    EXPECT_FALSE(in.leftHeld || in.downHeld);
    ProcessInput(in, Frame().raw);  // a key no longer down ends it too
    ProcessInput(in, Frame().Hold(SDLK_DOWN).raw);
    EXPECT_TRUE(in.downHeld);
}

TEST(Input, MouseButtonsClicksWheelAndTheWindowClosing)
{
    InputState in;
    Frame f;
    f.raw.mouseX = 10;
    f.raw.mouseY = 20;
    ProcessInput(in, f.Event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT).raw);
    EXPECT_TRUE(in.leftButtonHeld && in.leftButtonDown);
    EXPECT_FALSE(in.leftClick);
    EXPECT_EQ(in.mouseX, 10);
    ProcessInput(in,
                 Frame().Event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT).Event(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN).raw);
    EXPECT_FALSE(in.leftButtonHeld || in.leftButtonDown || in.wheelUp);
    EXPECT_TRUE(in.leftClick && in.wheelDown);
    ProcessInput(in, Frame().Event(SDL_QUIT).raw);
    EXPECT_FALSE(in.leftClick);
    EXPECT_TRUE(in.quit);
}

TEST(Input, JoystickDeadZoneAndEdges)
{
    InputState in;
    ToggleJoystick(in);  // F4 without a joystick
    EXPECT_FALSE(in.joystickOn);
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
    EXPECT_TRUE(in.joyLeft && in.joyDown && in.joyLeftPressed && in.joyButtonPressed);
    ProcessInput(in, f.raw);  // still held: no new edge
    EXPECT_TRUE(in.joyLeft);
    EXPECT_FALSE(in.joyLeftPressed || in.joyButtonPressed);
    in.joystickOn = false;
    ProcessInput(in, f.raw);
    EXPECT_FALSE(in.joyLeft || in.joyButton);
}

}  // namespace
