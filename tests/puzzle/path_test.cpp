// Walks by click: the shortest way over quiet ground, clicks that do
// nothing, pushes by click against the same pushes by arrow key.
#include "puzzledriver.h"

#include <gtest/gtest.h>

namespace {

struct WalkCase {
    const char* board;
    int difficulty;
    int x, y;
    int steps;  // -1: the click does nothing
    int pushes;
};

TEST(Walk, AClickDrivesTheShortestWayWithoutPushingOrDoesNothing)
{
    const WalkCase cases[] = {
        {"@   .", kNormal, 4, 0, 4, 0},
        {"@=  /    ", kNormal, 2, 0, 4, 0},         // round a wall
        {"@ $ /    ", kNormal, 3, 0, 5, 0},         // round a block, never through it
        {"@$  /    ", kNormal, 2, 0, 1, 1},         // in line beyond a block it touches: a push
        {"@   /=== /.", kNormal, 0, 2, 8, 0},       // the only way, not the straight line
        {"   =/@ =.=/   =", kNormal, 3, 1, -1, 0},  // walled in
        {"@b. /=== ", kEasy, 2, 0, -1, 0},          // only over a bomb: it would be picked up
        {"@#", kNormal, 1, 0, -1, 0},               // a wall
        {"@ ", kNormal, 0, 0, -1, 0},               // the car's own cell
        {"@ ", kNormal, 25, 3, -1, 0},              // off the board
        {"@ /$", kNormal, 0, 1, 1, 1},              // a block beside the car: a push, not a walk
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.board);
        PuzzleBench t;
        t.Start(Rows(c.board), c.difficulty);
        const std::string before = t.Picture();
        const int walked = c.steps > 0 && !c.pushes ? c.steps : 0;
        if (!c.pushes) {
            EXPECT_EQ(int(FindPath(t.p, c.x, c.y).size()), walked);
        }
        EXPECT_EQ(ClickableCell(t.p, c.x, c.y), c.steps > 0);
        EXPECT_EQ(t.Click(c.x, c.y), c.steps > 0);
        EXPECT_EQ(t.p.moves, c.steps > 0 ? c.steps : 0);
        EXPECT_EQ(t.p.historyCount, t.p.moves);
        EXPECT_EQ(t.p.undoCount, 2 * c.pushes);
        if (walked) {
            EXPECT_EQ(FormatText("%d %d", t.p.carX, t.p.carY), FormatText("%d %d", c.x, c.y));
        } else if (c.steps < 0) {
            EXPECT_EQ(t.Picture(), before);
        }
    }
}

TEST(Walk, APushByClickIsRefusedExactlyWhereTheArrowKeysAre)
{
    // Each click against the arrow presses that make the same pushes.
    const struct {
        const char* board;
        int x, y;
        const char* keys;
    } cases[] = {
        {"@$   .", 1, 0, "R"}, {"@$   .", 4, 0, "RRR"}, {"@$=", 1, 0, "R"},
        {"@$$ ", 3, 0, "R"},   {"@$ = ", 4, 0, "RR"},   {"/@*  .", 2, 1, "R"},
        {"/$/@", 0, 0, "U"},   {"/  $@", 0, 1, "LL"},   {"@$b", 1, 0, "R"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.board);
        PuzzleBench byClick, byKeys;
        byClick.Start(Rows(c.board), kEasy);
        byKeys.Start(Rows(c.board), kEasy);
        byClick.Click(c.x, c.y);
        byKeys.Play(c.keys);
        EXPECT_EQ(byClick.Picture(), byKeys.Picture());
        EXPECT_EQ(byClick.State(), byKeys.State());
        EXPECT_EQ(byClick.hooks.Heard(), byKeys.hooks.Heard());
        EXPECT_FALSE(Walking(byClick.p));
    }
}

TEST(Walk, AWalkIsUndoneStepByStep)
{
    PuzzleBench t;
    t.Start(Rows("@$    ."));
    ASSERT_TRUE(t.Click(5, 0));
    EXPECT_EQ(t.Picture(), "@   c$.");
    EXPECT_EQ(t.Play("ZZZZZ"), "uuuu-");
    EXPECT_EQ(t.Picture(), "c$    .");
}

}  // namespace
