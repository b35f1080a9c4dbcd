// The game's flow through the real loop where a frame, a close or a failure
// falls between two screens: the won screen, the slot lists, the intro, the
// return from a replay, taps and held keys (harness.h).
#include "harness.h"

#include "persist/score.h"
#include "scene/pelmo3d.h"
#include "sound/sound.h"

#include <GL/gl.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using Light = std::array<float, 8>;  // light 0's position and diffuse colour, as GL holds them

Light CurrentLight()
{
    Light l;
    glGetLightfv(GL_LIGHT0, GL_POSITION, l.data());
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, l.data() + 4);
    return l;
}

class Faults : public GameHarness {
protected:
    Light menuLight{};  // as the start-up left it for the first menu

    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);  // a device, so the sounds played can be told apart
        gameIni += "Sound=1\nMusic=0\n";
        GameHarness::SetUp();
        menuLight = CurrentLight();
    }

    bool LastSoundWas(SoundId id)
    {
        const int channels = Mix_AllocateChannels(-1);
        return channels > 0 && Mix_GetChunk((NextChannel() + channels - 1) % channels) == SampleChunk(id);
    }
};

TEST_F(Faults, TheTracksAndTheClockGoOnByFrameStepsAndClosingTheGameOnTheWonScreenKeepsTheLevelDoneAndTheRecord)
{
    Play(0);
    Step(SDLK_RIGHT);
    Step(SDLK_RIGHT);
    ASSERT_GT(g.puzzle.trackCount, 0);
    auto fadeOfOneFrame = [&] {
        const float before = g.puzzle.tracks[0].opacity;
        Frames(1, 50);
        return before - g.puzzle.tracks[0].opacity;
    };
    const float onPlay = fadeOfOneFrame();
    EXPECT_GT(onPlay, 0);
    Step(SDLK_RIGHT);
    ASSERT_EQ(g.ScreenState, kScreenLevelWon);
    EXPECT_FLOAT_EQ(fadeOfOneFrame(), onPlay) << "on the won screen";
    // The clock wraps where both of its cycles start again.
    for (float start : {100.0f, 3190.0f, 3199.5f}) {
        g.T = start;
        Frames(1, 200);
        EXPECT_NEAR(g.T, std::fmod(start + g.frameStep, 3200.0f), 1e-3) << start;
    }
    ASSERT_EQ(g.nameEditor.nameEntryActive, 1);
    QueueEvent(SDL_KEYDOWN, SDLK_z, 'Z');
    Frames(1, 16);
    const std::string shown = g.nameEditor.nameEdit;
    ASSERT_EQ(shown.back(), 'Z');
    QueueEvent(SDL_QUIT);
    Frames(1, 16);
    EXPECT_EQ(g.quitRequested, 1);
    EXPECT_GT(g.fadeOut, 0) << "like the menus' Quit";
    EXPECT_EQ(ReadTestFile("level/leveldata.dat")[0], 1);
    ScoreTable stored;
    LoadScores(stored, g.settings.GamePath);
    EXPECT_EQ(stored.entries[0].name, shown);
    EXPECT_EQ(stored.entries[0].moves, 3);
}

TEST_F(Faults, AFailedSaveIsHeardAndLeavesTheSlotListOpenAndASavedSlotLoadsFromTheTitleMenuAsTheRunningGame)
{
    Play(0);
    Step(SDLK_RIGHT);
    std::filesystem::create_directories("save/save00.vro");  // no file can be written there
    const struct {
        int slot;
        bool saved;
    } cases[] = {{0, false}, {1, true}};
    for (const auto& c : cases) {
        Hold(SDLK_F2);
        ASSERT_EQ(g.ScreenState, kScreenSaveSlots);
        for (int i = 0; i <= c.slot; ++i)
            Hold(SDLK_DOWN);
        Hold(SDLK_RETURN);
        EXPECT_EQ(g.ScreenState, c.saved ? kScreenPlay : kScreenSaveSlots) << c.slot;
        EXPECT_EQ(LastSoundWas(SoundId::Error1), !c.saved) << c.slot;
        if (!c.saved)
            Hold(SDLK_ESCAPE);
    }
    EXPECT_TRUE(std::filesystem::is_directory("save/save00.vro"));
    EXPECT_TRUE(TestFileExists("save/save01.vro"));
    LeaveGame(g);
    Keys({SDLK_ESCAPE, SDLK_RETURN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});  // Game, Load
    ASSERT_EQ(g.ScreenState, kScreenLoadSlots);
    ASSERT_EQ(g.inMenu, 1);
    Keys({SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
    EXPECT_EQ(g.ScreenState, kScreenPlay);
    EXPECT_EQ(g.puzzle.moves, 1);
    EXPECT_EQ(g.gameInProgress * 100 + g.inMenu * 10 + g.puzzle.replayMode, 100);
}

TEST_F(Faults, ARefusalIsHeardOncePerPressWithEveryInputInEveryCameraMode)
{
    // A push: once pushed, the block has another behind it; the car faces
    // right, so in the camera behind the car the key forward is the refused
    // direction. A set-off (Return, a joystick button held long): on a target
    // it is refused and the bomb stays carried.
    const struct {
        bool setOff;
        SDLKey camera, key;  // the stick instead of a key for SDLK_UNKNOWN
        Sint16 axis0, axis1;
    } cases[] = {
        {false, SDLK_F6, SDLK_RIGHT, 0, 0},       {false, SDLK_F8, SDLK_UP, 0, 0},
        {false, SDLK_F6, SDLK_UNKNOWN, 32767, 0}, {false, SDLK_F8, SDLK_UNKNOWN, 0, -32767},
        {true, SDLK_F6, SDLK_RETURN, 0, 0},       {true, SDLK_F6, SDLK_UNKNOWN, 0, 0},
    };
    for (const auto& c : cases) {
        Play(0);
        Hold(SDLK_F6);
        if (c.setOff) {
            g.puzzle.difficulty = kEasy;
            g.puzzle.bombCarried = 5;
            g.puzzle.board.At(g.puzzle.carX, g.puzzle.carY) = kCellTarget;
        } else {
            Step(SDLK_RIGHT);
            g.puzzle.board.At(g.puzzle.blocks[0].x + 1, g.puzzle.blocks[0].y) = kCellBlock;
        }
        Hold(c.camera);
        SoundRecorder rec;
        rec.game = g.puzzle.hooks;
        g.puzzle.hooks = &rec;
        const bool stick = c.key == SDLK_UNKNOWN;
        g.input.joystickOn = injected.joystick = stick;
        for (int press = 1; press <= 2; ++press) {
            if (stick) {
                injected.axis0 = c.axis0, injected.axis1 = c.axis1, injected.joyButton = c.setOff;
                Frames(60, 16);
                injected.axis0 = injected.axis1 = 0, injected.joyButton = false;
                Frames(1, 16);
            } else {
                Hold(c.key, 60);
            }
            EXPECT_EQ(std::count(rec.sounds.begin(), rec.sounds.end(), c.setOff ? "error2.wav" : "error1.wav"), press)
                << "camera " << c.camera - SDLK_F6 << " key " << c.key << " set-off " << c.setOff;
        }
        EXPECT_EQ(c.setOff ? g.puzzle.bombCarried : g.puzzle.moves, c.setOff ? 5 : 1);
        g.puzzle.hooks = rec.game;
        g.input.joystickOn = injected.joystick = false;
    }
}

TEST_F(Faults, ATapWithinOneFrameMakesItsStepAndAHeldKeyGoesOnWithoutRestingOnACell)
{
    Play(0);
    QueueEvent(SDL_KEYDOWN, SDLK_RIGHT);
    QueueEvent(SDL_KEYUP, SDLK_RIGHT);
    Frames(30, 16);
    EXPECT_EQ(g.puzzle.moves, 1);
    Hold(SDLK_SPACE);  // undone
    Frames(2, 16);
    // Held: each step starts on the frame the one before ends.
    const int before = g.puzzle.moves;
    const uint32_t ms = 50;
    injected.keys[SDLK_RIGHT] = 1;
    Frames(1, ms);
    ASSERT_EQ(g.puzzle.moves, before + 1);
    const int framesPerCell = static_cast<int>(std::lround(g.puzzle.moveDuration / g.frameStep));
    ASSERT_GT(framesPerCell, 1);
    Frames(framesPerCell - 1, ms);
    EXPECT_EQ(g.puzzle.moves, before + 1);
    Frames(1, ms);
    EXPECT_EQ(g.puzzle.moves, before + 2);
    injected.keys[SDLK_RIGHT] = 0;
}

TEST_F(Faults, TheSlotListsOfF2AndF3AreTheInGameMenusSaveAndLoad)
{
    Play(0);
    struct Seen {
        int screen;
        bool menuCamera;
        Light light;
    };
    auto open = [&](std::initializer_list<SDLKey> keys) {
        Keys(keys);
        Seen s{g.ScreenState, g.camera == &g.screenCamera, CurrentLight()};
        Hold(SDLK_ESCAPE);
        EXPECT_EQ(g.ScreenState, kScreenPlay);
        return s;
    };
    const struct {
        SDLKey key;
        int downs;  // to the menu's item
    } cases[] = {{SDLK_F2, 3}, {SDLK_F3, 2}};
    for (const auto& c : cases) {
        const Seen byKey = open({c.key});
        Keys({SDLK_ESCAPE});
        for (int i = 0; i < c.downs; ++i)
            Keys({SDLK_DOWN});
        const Seen byMenu = open({SDLK_RETURN});
        EXPECT_EQ(byKey.screen, byMenu.screen) << c.key;
        EXPECT_TRUE(byKey.menuCamera && byMenu.menuCamera) << c.key;
        EXPECT_EQ(byKey.light, byMenu.light) << c.key;
    }
}

TEST_F(Faults, AWatchedSolutionEndsInTheGameMenuUnderTheMenuLight)
{
    StartReplay(g, 0);
    Hold(SDLK_SPACE);
    for (int i = 0; i < 5000 && g.ScreenState == kScreenPlay; ++i)
        Frames(1, 50);
    ASSERT_EQ(g.ScreenState, kScreenMenus);
    EXPECT_EQ(g.menus.currentMenu, &g.gameMenu);
    EXPECT_EQ(CurrentLight(), menuLight);
}

class ClosedDuringIntro : public GameHarness {
    void SetUp() override
    {
        intro.closeWindow = true;
        GameHarness::SetUp();
    }
};

TEST_F(ClosedDuringIntro, EndsTheRunBeforeTheMenus)
{
    EXPECT_FALSE(RunFrame());
}

}  // namespace
