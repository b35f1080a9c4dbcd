// The whole game in this process, driven frame by frame: a fake clock, key
// states injected into the real input rules, the real start-up, frame loop,
// screens and puzzle. No real-time waiting.
#include "app/base/exception.h"
#include "state/gamestate.h"
#include "app/base/log.h"
#include "app/settings.h"
#include "app/startup.h"
#include "loop/pelmo.h"
#include "app/resolution.h"
#include "scene/pelmo3d.h"
#include "puzzle/tableau.h"
#include "scene/intro.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

uint32_t fakeNow = 0;
uint32_t FakeClock()
{
    return fakeNow;
}

// What the next frame's input holds.
Uint8 heldKeys[SDLK_LAST];
std::vector<SDL_Event> pendingEvents;

void InjectInput(RawInput& raw)
{
    raw.keys = heldKeys;
    raw.keyCount = SDLK_LAST;
    raw.mouseX = 1;  // off every menu item
    raw.mouseY = 1;
    raw.events = pendingEvents;
    pendingEvents.clear();
}

void QueueKey(Uint8 type, SDLKey key, Uint16 unicode = 0)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = key;
    e.key.keysym.unicode = unicode;
    pendingEvents.push_back(e);
}

// The intro stops at once.
struct SkipIntro : IntroDriver {
    uint32_t Ticks() override { return fakeNow; }
    bool StopRequested(bool* closed) override
    {
        if (closed)
            *closed = false;
        return true;
    }
    void EndFrame(GLContext&) override {}
};

// Sounds the puzzle asks for, passed on to the game's own hooks.
struct SoundRecorder : PuzzleHooks {
    PuzzleHooks* game = nullptr;
    std::vector<std::string> sounds;
    void PlaySound(const char* wav) override
    {
        sounds.push_back(wav);
        game->PlaySound(wav);
    }
    void ReleaseHeldKeys() override { game->ReleaseHeldKeys(); }
    void ShowHint(int kind) override { game->ShowHint(kind); }
    void SceneryChanged() override { game->SceneryChanged(); }
    void BlockFixed(int i) override { game->BlockFixed(i); }
};

class GameHarness : public ::testing::Test {
protected:
    ScopedTempDir dir;
    SkipIntro intro;
    GameState& g = gameState;

    void SetUp() override
    {
        fs::create_directory_symlink(RunDir() + "/data", "data");
        // Small and quick; help hints off so they never stop a replay.
        WriteTestFile("game.ini", "[Game]\nWidth=640\nHeight=480\nSpeed=12\nHelp=0\nReflect=1\n");
        std::memset(heldKeys, 0, sizeof heldKeys);
        pendingEvents.clear();
        fakeNow = 1000;
        SetFrameClock(FakeClock);
        SetInputSource(InjectInput);
        SetIntroDriver(&intro);
        ResetLog();
        // Every test starts from a fresh game block, as a new run would.
        gameState.~GameState();
        new (&gameState) GameState();
        g.windowed = 1;
        ASSERT_EQ(TTF_Init(), 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_JOYSTICK), 0);
        ReadConfig(g.settings);
        int ready = 0;
        try {
            ready = InitPelmo();
        } catch (const Exception& e) {
            FAIL() << FormatExceptionReport(e);
        }
        ASSERT_EQ(ready, 1);
        // Past the menus' fade-in.
        Frames(120, 1000 / 60);
    }

    void TearDown() override
    {
        FreeLevelCodes(g.codes);
        FreeGame();
        SDL_Quit();
        TTF_Quit();
        SetFrameClock(nullptr);
        SetInputSource(nullptr);
        SetIntroDriver(nullptr);
    }

    // n passes of the loop, each ms milliseconds after the one before.
    void Frames(int n, uint32_t ms)
    {
        for (int i = 0; i < n; ++i) {
            fakeNow += ms;
            ASSERT_TRUE(RunFrame());
        }
    }

    void Tap(SDLKey key, uint32_t ms = 16)
    {
        QueueKey(SDL_KEYDOWN, key);
        Frames(1, ms);
        QueueKey(SDL_KEYUP, key);
        Frames(1, ms);
    }

    // Watches a level's stored solution until the replay leaves for the menus.
    void Replay(int level, uint32_t ms)
    {
        StartReplay(g, level);
        ASSERT_EQ(g.ScreenState, kScreenLevelStart);
        Tap(SDLK_SPACE, ms);
        ASSERT_EQ(g.ScreenState, kScreenPlay);
        for (int i = 0; i < 200000 && g.ScreenState == kScreenPlay; ++i)
            Frames(1, ms);
        ASSERT_EQ(g.ScreenState, kScreenMenus);
    }

    std::vector<uint8_t> Cells() const
    {
        std::vector<uint8_t> cells;
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x)
                cells.push_back(g.puzzle.board.At(x, y));
        return cells;
    }

    // A new game at a level, past its start screen.
    void Play(int level)
    {
        StartNewGame(g, level);
        ASSERT_EQ(g.ScreenState, kScreenLevelStart);
        Tap(SDLK_SPACE);
        ASSERT_EQ(g.ScreenState, kScreenPlay);
    }

    void Hold(SDLKey key, int frames, uint32_t ms = 16)
    {
        heldKeys[key] = 1;
        QueueKey(SDL_KEYDOWN, key);
        Frames(frames, ms);
        heldKeys[key] = 0;
        QueueKey(SDL_KEYUP, key);
        Frames(1, ms);
    }
};

TEST_F(GameHarness, EveryShippedSolutionWinsThroughTheRealLoopOnHard)
{
    for (int level = 0; level < kLevelCount; ++level) {
        Replay(level, 100);  // a frame step of 6
        EXPECT_TRUE(CheckLevelWon(g.puzzle)) << "level " << level + 1;
        EXPECT_EQ(g.puzzle.replayMode, 0);
        EXPECT_EQ(g.gameInProgress, 0);
        // Watching never records a win.
        EXPECT_EQ(g.progress.done[level], 0) << "level " << level + 1;
    }
}

TEST_F(GameHarness, MotionDoesNotDependOnTheFrameRate)
{
    Replay(1, 5);  // frame step 0.3
    std::vector<uint8_t> slow = Cells();
    float carX = g.puzzle.carDrawX, carY = g.puzzle.carDrawY;
    Replay(1, 100);  // frame step 6
    EXPECT_EQ(Cells(), slow);
    EXPECT_EQ(g.puzzle.carDrawX, carX);
    EXPECT_EQ(g.puzzle.carDrawY, carY);
    EXPECT_TRUE(CheckLevelWon(g.puzzle));
}

TEST_F(GameHarness, APushAndItsUndoBringTheDrawnPositionsBack)
{
    Play(0);
    const BlockRecord before = g.puzzle.blocks[0];
    const float carX = g.puzzle.carDrawX;
    Hold(SDLK_RIGHT, 3);
    Frames(30, 16);  // the step ends
    EXPECT_EQ(g.puzzle.moves, 1);
    EXPECT_FLOAT_EQ(g.puzzle.blocks[0].drawX, before.drawX + 1);
    EXPECT_FLOAT_EQ(g.puzzle.carDrawX, carX + 1);

    Tap(SDLK_SPACE);
    Frames(2, 16);
    EXPECT_EQ(g.puzzle.moves, 11);  // an undo costs ten
    EXPECT_FLOAT_EQ(g.puzzle.blocks[0].drawX, before.drawX);
    EXPECT_FLOAT_EQ(g.puzzle.blocks[0].drawY, before.drawY);
    EXPECT_FLOAT_EQ(g.puzzle.carDrawX, carX);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(g.puzzle.blocks[0].matrix[i], before.matrix[i]);
}

TEST_F(GameHarness, ARefusedPushIsHeardOncePerKeyPress)
{
    Play(0);
    SoundRecorder rec;
    rec.game = g.puzzle.hooks;
    g.puzzle.hooks = &rec;
    // Up, right, then down twice: the block goes down against the wall,
    // where it can never reach its target again.
    Hold(SDLK_UP, 3);
    Frames(30, 16);
    Hold(SDLK_RIGHT, 3);
    Frames(30, 16);
    Hold(SDLK_DOWN, 3);
    Frames(30, 16);
    rec.sounds.clear();
    Hold(SDLK_DOWN, 60);  // held for a second against the wall
    EXPECT_EQ(std::count(rec.sounds.begin(), rec.sounds.end(), "error2.wav"), 1);
    Hold(SDLK_DOWN, 10);  // a new press: heard again
    EXPECT_EQ(std::count(rec.sounds.begin(), rec.sounds.end(), "error2.wav"), 2);
    g.puzzle.hooks = rec.game;
}

TEST_F(GameHarness, AWonLevelIsRecordedBeforeTheNextOneLoads)
{
    Play(0);
    for (int i = 0; i < 3; ++i) {
        Hold(SDLK_RIGHT, 3);
        Frames(30, 16);
    }
    ASSERT_EQ(g.ScreenState, kScreenLevelWon);
    EXPECT_EQ(g.scores.entries[0].moves, 3);
    Tap(SDLK_RETURN);
    EXPECT_EQ(g.ScreenState, kScreenLevelStart);
    EXPECT_EQ(g.puzzle.levelIndex, 1);
    EXPECT_EQ(g.progress.done[0], 1);
    EXPECT_EQ(ReadTestFile("level/leveldata.dat")[0], 1);
}

TEST_F(GameHarness, WinningTheLastLevelEndsTheGameWithTheRecords)
{
    // Level 10 played from its stored solution as the player's own keys.
    Play(kLevelCount - 1);
    const std::vector<uint8_t> solution = g.puzzle.solution;
    for (uint8_t a : solution) {
        SDLKey k = SDLK_UNKNOWN;
        switch (a) {
        case 1: case 5: k = SDLK_LEFT; break;
        case 2: case 6: k = SDLK_RIGHT; break;
        case 3: case 7: k = SDLK_UP; break;
        case 4: case 8: k = SDLK_DOWN; break;
        default: break;
        }
        ASSERT_NE(k, SDLK_UNKNOWN);
        Hold(k, 1, 50);
        while (g.puzzle.moveProgress > 0)
            Frames(1, 50);
    }
    Frames(3, 16);
    ASSERT_EQ(g.ScreenState, kScreenLevelWon);
    Tap(SDLK_RETURN);
    EXPECT_EQ(g.ScreenState, kScreenGameEnd);  // not the error box
    EXPECT_EQ(g.progress.done[kLevelCount - 1], 1);
    Frames(5, 16);
    Tap(SDLK_RETURN);
    EXPECT_EQ(g.ScreenState, kScreenHighScores);
    EXPECT_EQ(g.gameInProgress, 0);
}

TEST_F(GameHarness, EscapeInPlayOpensTheInGameMenuAndF2OpensTheSaveList)
{
    Play(1);
    Tap(SDLK_ESCAPE);
    EXPECT_EQ(g.ScreenState, kScreenMenus);
    EXPECT_EQ(g.menus.currentMenu, &g.inGameMenu);
    Tap(SDLK_ESCAPE);  // no parent: back to the game
    EXPECT_EQ(g.ScreenState, kScreenPlay);
    Tap(SDLK_F2);
    EXPECT_EQ(g.ScreenState, kScreenSaveSlots);
    Tap(SDLK_ESCAPE);
    EXPECT_EQ(g.ScreenState, kScreenPlay);
    Tap(SDLK_F3);
    EXPECT_EQ(g.ScreenState, kScreenLoadSlots);
}

TEST_F(GameHarness, ScreenshotsNeverOverwriteEarlierOnes)
{
    Play(0);
    WriteTestFile("capture/ScreenShot00.bmp", "kept");
    Tap(SDLK_F10);
    Tap(SDLK_F10);
    EXPECT_EQ(ReadTestFile("capture/ScreenShot00.bmp"), "kept");
    std::string shot = ReadTestFile("capture/ScreenShot01.bmp");
    ASSERT_GT(shot.size(), 54u);
    EXPECT_EQ(shot.substr(0, 2), "BM");
    EXPECT_TRUE(TestFileExists("capture/ScreenShot02.bmp"));
}

TEST_F(GameHarness, ClosingTheWindowQuitsThroughTheFade)
{
    SDL_Event e{};
    e.type = SDL_QUIT;
    pendingEvents.push_back(e);
    Frames(1, 16);
    EXPECT_EQ(g.quitRequested, 1);
    int passes = 0;
    for (fakeNow += 16; RunFrame() && passes < 1000; fakeNow += 16)
        ++passes;
    EXPECT_GT(passes, 10);  // the fade plays out first
    EXPECT_LT(passes, 1000);
}

TEST_F(GameHarness, AChangeOfResolutionMidGameKeepsTheGameGoing)
{
    Play(1);
    Hold(SDLK_LEFT, 3);
    Frames(30, 16);
    const std::vector<uint8_t> board = Cells();
    const int moves = g.puzzle.moves;
    ASSERT_EQ(ChangeResolution(g, 800, 600), 1);
    EXPECT_EQ(g.settings.Width, 800);
    EXPECT_EQ(g.ScreenState, kScreenMenus);
    EXPECT_EQ(g.menus.currentMenu, &g.mainMenu);
    Frames(3, 16);
    Tap(SDLK_ESCAPE);  // back to the game that was running
    ASSERT_EQ(g.ScreenState, kScreenPlay);
    Frames(5, 16);
    EXPECT_EQ(Cells(), board);
    EXPECT_EQ(g.puzzle.moves, moves);
    EXPECT_TRUE(CurrentTheme().loaded);
}

TEST_F(GameHarness, AFailedChangeOfResolutionIsNotStored)
{
    // A size no window can have: the change fails, the game goes on at the
    // size it had, and "game.ini" keeps that size.
    g.pendingWidth = 0;
    g.pendingHeight = 0;
    ApplyOptions(g);
    EXPECT_EQ(g.settings.Width, 640);
    EXPECT_EQ(g.settings.Height, 480);
    Settings read;
    LoadGameConfig(read);
    EXPECT_EQ(read.Width, 640);
    EXPECT_EQ(read.Height, 480);
    Frames(3, 16);  // still drawing
    EXPECT_EQ(g.quitRequested, 0);
}

TEST_F(GameHarness, WithoutAnAudioDeviceGameIniKeepsThePlayersOwnValues)
{
    g.soundDevice = false;
    g.storedSound = 1;
    g.storedMusic = 0;
    g.settings.Sound = 0;
    g.settings.Music = 0;
    ASSERT_TRUE(SaveSettings(g));
    Settings read;
    LoadGameConfig(read);
    EXPECT_EQ(read.Sound, 1);
    EXPECT_EQ(read.Music, 0);
}

}  // namespace
