// The level pages through the real loop: the level list and the solution
// list turn to the page of a level and start that level, or refuse it.
#include "harness.h"

#include "menu/screens.h"

#include <vector>

namespace {

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
