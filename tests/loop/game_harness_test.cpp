// The whole game driven frame by frame through the real loop (harness.h).
#include "harness.h"

#include "menu/screens.h"
#include "scene/pelmo3d.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The whole set watched at the fastest car in a small window without the
// floor reflection: drawing is most of a frame.
class FastCarHarness : public GameHarness {
    void SetUp() override
    {
        gameIni = "[Game]\nWidth=320\nHeight=240\nSpeed=4\nHelp=0\nReflect=0\n";
        GameHarness::SetUp();
    }
};

// One page of levels per test, so that the pages share the machine's cores.
class ShippedPage : public FastCarHarness, public testing::WithParamInterface<int> {};

TEST_P(ShippedPage, EveryStoredSolutionWinsThroughTheRealLoopWhateverTheFrameRate)
{
    // Watched as a stored solution; the first three at frame lengths of their own.
    const uint32_t frameMs[3] = {5, 100, 33};
    const int first = GetParam() * 10, last = std::min(first + 10, kLevelCount - 1);
    for (int level = first; level < last; ++level) {
        const uint32_t ms = level < 3 ? frameMs[level] : 100;
        StartReplay(g, level);
        ASSERT_EQ(g.ScreenState, kScreenLevelStart);
        Hold(SDLK_SPACE, 1, ms);
        for (int i = 0; i < 200000 && g.ScreenState == kScreenPlay; ++i)
            Frames(1, ms);
        ASSERT_EQ(g.ScreenState, kScreenMenus) << "level " << level + 1;
        EXPECT_TRUE(CheckLevelWon(g.puzzle)) << "level " << level + 1;
        EXPECT_TRUE(g.puzzle.carDrawX == g.puzzle.carX && g.puzzle.carDrawY == g.puzzle.carY) << "on its cell";
        EXPECT_EQ(g.puzzle.replayMode + g.gameInProgress, 0);
        EXPECT_EQ(g.progress.done[level], 0) << "watching never records a win";
    }
    if (last < kLevelCount - 1)
        return;
    // The last one played as the player's own keys: the end of the game,
    // then the records.
    Play(kLevelCount - 1);
    const std::vector<uint8_t> solution = g.puzzle.solution;
    const SDLKey keys[4] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN};
    for (uint8_t a : solution) {
        ASSERT_TRUE(a >= 1 && a <= 8) << int(a);
        Hold(keys[(a - 1) % 4], 1, 50);
        while (g.puzzle.moveProgress > 0)
            Frames(1, 50);
    }
    Frames(3, 16);
    ASSERT_EQ(g.ScreenState, kScreenLevelWon);
    Hold(SDLK_RETURN);
    EXPECT_EQ(g.ScreenState, kScreenGameEnd) << "not the error box";
    EXPECT_EQ(g.progress.done[kLevelCount - 1], 1);
    Frames(5, 16);
    Hold(SDLK_RETURN);
    EXPECT_EQ(g.ScreenState, kScreenHighScores);
    EXPECT_EQ(g.gameInProgress, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, ShippedPage, testing::Range(0, (kLevelCount + 9) / 10));

TEST_F(GameHarness, TheMenusChoicesThePlayKeysAndTheScreenshotKeyAreCarriedOutByTheLoop)
{
    Keys({SDLK_RETURN, SDLK_RETURN, SDLK_SPACE});  // Game, Play, past the start screen
    Step(SDLK_RIGHT);
    ASSERT_EQ(g.puzzle.moves, 1);
    WriteTestFile("capture/ScreenShot00.bmp", "kept");  // screenshots never overwrite earlier ones
    Keys({SDLK_F10, SDLK_F10});
    EXPECT_EQ(ReadTestFile("capture/ScreenShot00.bmp"), "kept");
    const std::string shot = ReadTestFile("capture/ScreenShot01.bmp");
    ASSERT_GT(shot.size(), 54u);
    EXPECT_EQ(shot.substr(0, 2), "BM");
    EXPECT_TRUE(TestFileExists("capture/ScreenShot02.bmp"));
    const struct {
        std::initializer_list<SDLKey> keys;
        int screen, moves;
    } steps[] = {
        {{SDLK_ESCAPE}, kScreenMenus, 1},                                                // the in-game menu
        {{SDLK_ESCAPE}, kScreenPlay, 1},                                                 // no parent: the game again
        {{SDLK_ESCAPE, SDLK_RETURN}, kScreenPlay, 1},                                    // Continue
        {{SDLK_ESCAPE, SDLK_DOWN, SDLK_RETURN}, kScreenLevelStart, 0},                   // Restart
        {{SDLK_SPACE, SDLK_ESCAPE, SDLK_UP, SDLK_RETURN}, kScreenHighScores, 0},         // Quit the game
        {{SDLK_ESCAPE, SDLK_DOWN, SDLK_RETURN, SDLK_UP, SDLK_RETURN}, kScreenMenus, 0},  // Options, Back
    };
    g.settings.Speed = 20;
    for (const auto& s : steps) {
        Keys(s.keys);
        EXPECT_EQ(g.ScreenState, s.screen);
        EXPECT_EQ(g.puzzle.moves, s.moves) << s.screen;
    }
    EXPECT_EQ(g.gameInProgress, 0);
    EXPECT_NE(ReadTestFile("game.ini").find("Speed=20"), std::string::npos) << "Back applies and writes";
    Keys({SDLK_UP, SDLK_RETURN});  // Quit
    int passes = 0;
    for (injected.now += 16; RunFrame() && passes < 1000; injected.now += 16)
        ++passes;
    EXPECT_GT(passes, 10) << "the fade plays out first";
    EXPECT_LT(passes, 1000);
}

TEST_F(GameHarness, LevelPagesTurnToTheLevelPickedAndRefuseTheLevelsNotOpen)
{
    for (int level = 0; level < 24; ++level)  // as the code of level 25 leaves it
        g.progress.done[level] = 1;
    g.progress.done[52] = 1;
    const SDLKey R = SDLK_RIGHT, L = SDLK_LEFT, D = SDLK_DOWN, U = SDLK_UP;
    const struct {
        void (*open)(GameState&);
        std::vector<SDLKey> keys;  // then Return
        int level;                 // started, or -1: the list stays
        int replay;
    } cases[] = {
        {OpenLevelList, {R, R, D, D, D, D}, 24, 0},  // the first level not done
        {OpenLevelList, {R, R, R, L, D, D, D, D, D}, -1, 0},
        {OpenLevelList, {U, U, U, U, U, U, U, U, U, U}, 0, 0},  // once round the page
        {OpenLevelList, {R, R, R, R, R, R, R, U}, -1, 0},       // level 60, on the last page
        {OpenSolutionList, {R, R, R, R, R, D, D}, 52, 1},
        {OpenSolutionList, {R, R, R, R, R, D, D, D}, -1, 0},
        {OpenSolutionList, {R, R, D, D, D, D}, -1, 0},  // level 25 is not done
        {OpenSolutionList, {R, R, L, L, D, D, D, D}, 4, 1},
    };
    for (const auto& c : cases) {
        c.open(g);
        const int list = g.ScreenState;
        for (SDLKey key : c.keys)
            Hold(key);
        Hold(SDLK_RETURN);
        if (c.level < 0) {
            EXPECT_EQ(g.ScreenState, list) << "refused";
            continue;
        }
        ASSERT_EQ(g.ScreenState, kScreenLevelStart) << "level " << c.level + 1;
        EXPECT_EQ(g.puzzle.levelIndex, c.level);
        EXPECT_EQ(g.puzzle.replayMode, c.replay);
        LeaveGame(g);
    }
}

}  // namespace
