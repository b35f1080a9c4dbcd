// The undo stack: what a pop restores, the empty stack, the trim, the maps.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

TEST(Undo, AnEmptyStackDoesNothingAtAll)
{
    PuzzleBench t;
    t.Start({"@ $ ."});
    EXPECT_EQ(t.p.undoCount, 0);
    EXPECT_FALSE(PopUndo(t.p));
    EXPECT_FALSE(t.Undo());
    t.Step(kDirRight);  // a plain step pushes nothing either
    EXPECT_FALSE(t.Undo());
    EXPECT_TRUE(t.hooks.sounds.empty());
    EXPECT_EQ(t.p.moves, 1);
    EXPECT_EQ(t.p.historyCount, 1);  // the step only, no undo recorded
}

TEST(Undo, EmptyIsZeroAndTheFirstStepAfterAStartCanBeTakenBack)
{
    PuzzleBench t;
    InitPile(t.p);
    EXPECT_EQ(t.p.undoCount, 0);
    t.Start({"", "@$  ."});
    EXPECT_EQ(t.p.undoCount, 0);
    uint8_t start[kBoardRows][kBoardCols];
    std::memcpy(start, t.p.board.cells, sizeof start);
    ASSERT_EQ(t.Step(kDirRight), kStepPushed);
    EXPECT_EQ(t.p.undoCount, 2);
    EXPECT_EQ(t.p.undo[0].kind, 1);
    ASSERT_TRUE(t.Undo());
    EXPECT_EQ(t.p.undoCount, 0);
    EXPECT_EQ(std::memcmp(start, t.p.board.cells, sizeof start), 0);
    EXPECT_EQ(t.p.carX, 0);
    // A restart empties the stack again.
    t.Step(kDirRight);
    StartLevelBoard(t.p, 0);
    EXPECT_EQ(t.p.undoCount, 0);
    EXPECT_EQ(t.p.moves, 0);
}

TEST(Undo, APushComesBackWithItsOrientationIndexAndCar)
{
    PuzzleBench t;
    t.p.rollHorizontal[0][2] = 90;  // a push along a row turns the block about z
    t.Start({"", "", " @$   ."});
    const int index = t.p.blockIndexMap[2 * 20 + 2];
    ASSERT_NE(index, kNoIndex);
    t.Step(kDirRight);
    t.Step(kDirRight);
    EXPECT_EQ(t.p.blockIndexMap[2 * 20 + 4], index);
    EXPECT_EQ(t.p.blockIndexMap[2 * 20 + 2], kNoIndex);
    const Quat afterOne = EulerToQuat(0, 0, 90);
    Quat now = t.p.blocks[0].orientation;
    EXPECT_GT(std::fabs(now.w - 1.0f), 0.5f);  // two quarter turns

    t.Step(kDirDown);  // a plain step after the push
    const int moves = t.p.moves;
    t.hooks.Clear();
    ASSERT_TRUE(t.Undo());
    EXPECT_EQ(t.Cell(3, 2), 14);
    EXPECT_EQ(t.Cell(4, 2), 0);
    EXPECT_EQ(t.p.blockIndexMap[2 * 20 + 3], index);
    EXPECT_EQ(t.p.blockIndexMap[2 * 20 + 4], kNoIndex);
    EXPECT_EQ(t.p.blocks[0].x, 3);
    EXPECT_EQ(t.p.blocks[0].drawX, 3.0f);
    EXPECT_NEAR(t.p.blocks[0].orientation.z, afterOne.z, 1e-5);
    EXPECT_NEAR(t.p.blocks[0].orientation.w, afterOne.w, 1e-5);
    float m[16];
    QuatToMatrix(t.p.blocks[0].orientation, m);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(t.p.blocks[0].matrix[i], m[i]);
    // Back on the cell it pushed from, facing the way it faced then.
    EXPECT_EQ(t.p.carX, 2);
    EXPECT_EQ(t.p.carY, 2);
    EXPECT_EQ(t.p.carDrawX, 2.0f);
    EXPECT_EQ(t.p.carAngle, 180.0f);
    EXPECT_EQ(t.p.heading, 180.0f);
    EXPECT_EQ(t.p.moves, moves + 10);
    EXPECT_EQ(t.hooks.sounds, std::vector<std::string>({"back.wav"}));
    EXPECT_EQ(t.p.history[t.p.historyCount - 1], kActUndo);
}

TEST(Undo, TakingBackAStepUnderWayStopsItsAnimation)
{
    PuzzleBench t;
    t.p.rollHorizontal[0][0] = 90;
    t.Start({"", "", " @$   ."});
    t.Step(kDirRight);
    ASSERT_EQ(StepCar(t.p, kDirRight), kStepPushed);
    UpdatePuzzleFrame(t.p, PuzzleInput(), 3.0f);
    ASSERT_GT(t.p.moveProgress, 0);
    PuzzleInput in;
    in.undo = true;
    UpdatePuzzleFrame(t.p, in, 1.0f);
    // The push under way is the step taken back.
    EXPECT_EQ(t.p.moveProgress, 0);
    EXPECT_EQ(t.p.carX, 2);
    EXPECT_EQ(t.p.carDrawX, 2.0f);
    EXPECT_EQ(t.p.blocks[0].x, 3);
    EXPECT_EQ(t.p.blocks[0].drawX, 3.0f);
    const Quat one = EulerToQuat(90, 0, 0);
    EXPECT_NEAR(t.p.blocks[0].orientation.x, one.x, 1e-6);
    EXPECT_NEAR(t.p.blocks[0].orientation.w, one.w, 1e-6);
    // Nothing goes on turning the block afterwards.
    const Quat q = t.p.blocks[0].orientation;
    t.Settle();
    EXPECT_EQ(t.p.blocks[0].orientation.x, q.x);
    EXPECT_EQ(t.p.blocks[0].orientation.w, q.w);
}

TEST(Undo, TheTrimKeepsWholeSteps)
{
    PuzzleBench t;
    t.Start({"@"});
    // Two-entry steps: the 3000th entry drops exactly the oldest 750.
    for (int s = 0; s < 1500; ++s) {
        PushUndo(t.p, 1, 1, 0, s % 20, 0, 0, 1);
        PushUndo(t.p, 2, 1, 0, s % 20, 0, 0, 2);
    }
    EXPECT_EQ(t.p.undoCount, 2250);
    EXPECT_EQ(t.p.undo[0].kind, 1);
    EXPECT_EQ(t.p.undo[0].carX, 375 % 20);

    // Seven-entry steps (a bomb blast): entry 750 is in the middle of a step,
    // so the cut moves on to the next step's first entry.
    StartLevelBoard(t.p, 0);
    int steps = 0;
    for (int s = 0; s < 430; ++s, ++steps)
        for (int k = 1; k <= 7; ++k) PushUndo(t.p, 3, 3, 0, 1, 1, 5, k);
    // 3010 entries were appended; the trim at 3000 dropped 756 (108 steps).
    EXPECT_EQ(t.p.undoCount, 3010 - 756);
    EXPECT_EQ(t.p.undo[0].kind, 1);
    int pops = 0;
    while (PopUndo(t.p)) {
        ++pops;
        ASSERT_GE(t.p.undoCount, 0);
        ASSERT_EQ(t.p.undoCount % 7, 0);
    }
    EXPECT_EQ(pops, steps - 108);
    EXPECT_EQ(t.p.undoCount, 0);
}

TEST(Undo, ABombWithNoListEntryNeverWritesOutsideTheList)
{
    PuzzleBench t;
    t.Start({"@b  b", "", "", "  $ ."}, kEasy);
    ASSERT_EQ(t.p.bombListCount, 2);
    t.Press(kDirRight);  // pick up bomb 0
    ASSERT_EQ(t.p.bombCarried, 5);
    ASSERT_FALSE(t.p.bombs[0].present);
    // An entry for a bomb cell that no bomb of the list stands on.
    PushUndo(t.p, 7, 7, kCellBomb, 1, 0, 5);
    EXPECT_EQ(t.p.undo[t.p.undoCount - 1].listIndex, kNoIndex);
    ASSERT_TRUE(PopUndo(t.p));
    EXPECT_EQ(t.Cell(7, 7), 5);
    EXPECT_EQ(t.p.bombListCount, 2);
    // It took the free entry.
    EXPECT_TRUE(t.p.bombs[0].present);
    EXPECT_EQ(t.p.bombs[0].x, 7);
    EXPECT_TRUE(t.p.bombs[1].present);
    EXPECT_EQ(t.p.bombs[1].x, 4);

    // With every entry in use the list is left as it is.
    t.Start({"@bbbb", "", "", "  $ ."}, kEasy);
    ASSERT_EQ(t.p.bombListCount, 4);
    BombRecord before[kMaxBombs];
    std::memcpy(before, t.p.bombs, sizeof before);
    PushUndo(t.p, 9, 9, kCellBomb, 0, 0, 0);
    ASSERT_TRUE(PopUndo(t.p));
    EXPECT_EQ(t.Cell(9, 9), 5);
    EXPECT_EQ(std::memcmp(before, t.p.bombs, sizeof before), 0);
}

TEST(Undo, IndexMapsAndColoursStayInStep)
{
    // Two blocks, two targets; on Hard the blocks are paired crosswise, so
    // the upper block belongs on the lower target.
    PuzzleBench t;
    LevelFileData d = LevelFromText({"", "", " @$   .", "", "  $   .", "", "", "", "", "", "", "", "", "", ""});
    d.pairing = {1, 0};
    t.StartData(d, kHard);
    ASSERT_EQ(t.p.targetColour[0], 0);
    ASSERT_EQ(t.p.targetColour[1], 1);
    // Push the upper block right, undo, push again: the map follows it.
    t.Step(kDirRight);
    ASSERT_TRUE(t.Undo());
    EXPECT_EQ(t.p.blockIndexMap[2 * 20 + 2], 0);
    for (int i = 0; i < 4; ++i) t.Step(kDirRight);
    EXPECT_EQ(t.Cell(6, 2), 100);
    EXPECT_EQ(t.p.blockIndexMap[2 * 20 + 6], 0);
    EXPECT_EQ(CountPlacedBlocks(t.p), 0);  // wrong colour for this target
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            EXPECT_EQ(IsBlockCode(t.Cell(x, y)), t.p.blockIndexMap[y * 20 + x] != kNoIndex) << x << "," << y;
}

TEST(Undo, ColoursAreResetAtEveryLevelStart)
{
    PuzzleBench t;
    std::vector<std::string> rows = {"@", "$.$.$.$.$.", "", "$.$.$.$.$."};
    t.Start(rows, kHard);
    int coloured = 0;
    for (int i = 0; i < kMaxTargets; ++i) coloured += t.p.blockColour[i] != 0;
    ASSERT_GT(coloured, 0);
    // The same board: a change of difficulty to Normal.
    ChangeDifficulty(t.p, kNormal);
    for (int i = 0; i < kMaxTargets; ++i) {
        ASSERT_EQ(t.p.blockColour[i], 0) << i;
        ASSERT_EQ(t.p.targetColour[i], 0) << i;
    }
    // A Hard start of a smaller level keeps nothing from the larger one.
    t.Start(rows, kHard);
    t.Start({"@", "$."}, kHard);
    for (int i = 1; i < kMaxTargets; ++i) {
        ASSERT_EQ(t.p.blockColour[i], 0) << i;
        ASSERT_EQ(t.p.targetColour[i], 0) << i;
    }
}

}  // namespace
