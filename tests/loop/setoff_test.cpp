// Setting off the carried bomb through the real input rules and loop.
#include "harness.h"

#include <algorithm>

namespace {

class SetOff : public GameHarness {};

TEST_F(SetOff, OneAttemptPerPressOfReturnOrOfAJoystickButtonHeldLong)
{
    const struct {
        const char* name;
        bool stick;
    } cases[] = {{"Return", false}, {"joystick button", true}};
    for (const auto& c : cases) {
        Play(0);
        g.puzzle.difficulty = kEasy;
        g.puzzle.bombCarried = 5;
        // On a target a set-off is refused with a sound and the bomb stays
        // carried: every attempt is heard.
        g.puzzle.board.At(g.puzzle.carX, g.puzzle.carY) = kCellTarget;
        SoundRecorder rec;
        rec.game = g.puzzle.hooks;
        g.puzzle.hooks = &rec;
        g.input.joystickOn = injected.joystick = c.stick;
        for (int press = 1; press <= 2; ++press) {
            if (c.stick) {
                injected.joyButton = true;
                Frames(60, 16);
                injected.joyButton = false;
                Frames(1, 16);
            } else {
                Hold(SDLK_RETURN, 60);
            }
            EXPECT_EQ(std::count(rec.sounds.begin(), rec.sounds.end(), "error2.wav"), press) << c.name;
        }
        EXPECT_EQ(g.puzzle.bombCarried, 5) << c.name;
        g.puzzle.hooks = rec.game;
        g.input.joystickOn = injected.joystick = false;
    }
}

}  // namespace
