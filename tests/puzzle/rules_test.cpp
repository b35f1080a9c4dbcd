// The move rules: steps and pushes, the dead-block test, fixed blocks, bombs.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Push, IntoFloorTargetBlockAndWall)
{
    PuzzleBench t;
    t.Start({"", "", "  $  .", "", "", "", " $$  .", "", "", "", "", "", " @$# ."});
    ASSERT_EQ(t.p.carX, 1);
    ASSERT_EQ(t.p.carY, 12);

    // Into a wall: refused without a sound (the block is not lost).
    EXPECT_EQ(t.Step(kDirRight), kStepRefused);
    EXPECT_TRUE(t.hooks.sounds.empty());
    EXPECT_EQ(t.p.heading, 180);
    EXPECT_EQ(t.p.moves, 0);
    EXPECT_EQ(t.p.undoCount, 0);
    EXPECT_EQ(t.p.historyCount, 0);

    // Walk to (1, 2) and push the block of row 2 onto its target.
    t.Step(kDirLeft);
    for (int i = 0; i < 10; ++i) t.Step(kDirUp);
    t.Step(kDirRight);
    ASSERT_EQ(t.p.carX, 1);
    ASSERT_EQ(t.p.carY, 2);
    EXPECT_EQ(t.p.undoCount, 0);  // plain steps push nothing
    EXPECT_EQ(t.p.moves, 12);
    EXPECT_EQ(t.Step(kDirRight), kStepPushed);
    EXPECT_EQ(t.Cell(2, 2), 0);
    EXPECT_EQ(t.Cell(3, 2), 14);
    EXPECT_EQ(t.p.carX, 2);
    ASSERT_EQ(t.p.undoCount, 2);
    EXPECT_EQ(t.p.undo[0].kind, 1);
    EXPECT_EQ(t.p.undo[0].code, 14);
    EXPECT_EQ(t.p.undo[1].kind, 2);
    EXPECT_EQ(t.p.undo[1].code, 0);
    EXPECT_EQ(t.p.undo[0].carX, 1);
    EXPECT_EQ(t.hooks.Count("push.wav"), 1);
    t.Step(kDirRight);
    t.Step(kDirRight);
    EXPECT_EQ(t.Cell(5, 2), 100);
    EXPECT_EQ(t.Cell(4, 2), 0);
    EXPECT_EQ(t.p.carX, 4);
    EXPECT_EQ(t.p.moves, 15);
    EXPECT_EQ(t.hooks.Count("push.wav"), 3);
    EXPECT_EQ(t.p.historyCount, 1 + 10 + 1 + 3);
    EXPECT_EQ(t.p.history[0], kActLeft);
    EXPECT_EQ(t.p.history[1], kActUp);
    EXPECT_EQ(t.p.history[t.p.historyCount - 1], kActRight);

    // Into a second block: refused with the first error sound and the hint.
    for (int i = 0; i < 4; ++i) t.Step(kDirLeft);
    for (int i = 0; i < 4; ++i) t.Step(kDirDown);
    ASSERT_EQ(t.p.carX, 0);
    ASSERT_EQ(t.p.carY, 6);
    t.hooks.Clear();
    EXPECT_EQ(t.Step(kDirRight), kStepRefused);
    EXPECT_EQ(t.hooks.sounds, std::vector<std::string>({"error1.wav", "message.wav"}));
    EXPECT_EQ(t.hooks.hints, std::vector<int>({kHintBlocked}));
    t.hooks.Clear();
    EXPECT_EQ(t.Step(kDirRight), kStepRefused);
    EXPECT_EQ(t.hooks.sounds, std::vector<std::string>({"error1.wav"}));  // the hint comes once
    EXPECT_EQ(t.Cell(1, 6), 14);
    EXPECT_EQ(t.Cell(2, 6), 14);
}

TEST(Push, TheCarStartCellIsLeftBehind)
{
    PuzzleBench t;
    t.Start({"@", "", "  @", "  $", "", "", "", "", "", "          ."});
    // The last car start in row-major order is the car's; the other stays on
    // the board as ground.
    EXPECT_EQ(t.p.carX, 2);
    EXPECT_EQ(t.p.carY, 2);
    EXPECT_EQ(t.Cell(0, 0), 2);
    t.Step(kDirLeft);
    t.Step(kDirDown);
    t.Step(kDirDown);
    t.Step(kDirRight);
    EXPECT_EQ(t.Step(kDirUp), kStepPushed);
    EXPECT_EQ(t.Cell(2, 2), 14);
    EXPECT_EQ(t.Cell(2, 3), 0);
    EXPECT_EQ(t.Step(kDirUp), kStepPushed);
    EXPECT_EQ(t.Cell(2, 1), 14);
    EXPECT_EQ(t.Cell(2, 2), 2);  // the car start again, not plain floor
}

TEST(Push, BlocksOnTargetsBecomeFixedAndUndoFreesThemAgain)
{
    PuzzleBench t;
    t.Start({"", "  #####", "   ..#", "", "   $$", "", "   @"});
    t.Step(kDirUp);
    t.Step(kDirUp);
    t.Step(kDirUp);
    EXPECT_EQ(t.Cell(3, 2), 100);  // a target still open beside it
    EXPECT_EQ(t.hooks.Count("transfor.wav"), 0);
    EXPECT_FALSE(CheckLevelWon(t.p));
    t.Step(kDirDown);
    t.Step(kDirDown);
    t.Step(kDirRight);
    t.Step(kDirUp);
    t.hooks.Clear();
    t.Step(kDirUp);
    EXPECT_EQ(t.Cell(4, 2), 15);  // in the corner
    EXPECT_EQ(t.Cell(3, 2), 15);  // held by the wall and the fixed block
    EXPECT_EQ(t.hooks.Count("transfor.wav"), 2);
    EXPECT_EQ(t.hooks.fixed.size(), 2u);
    int onTarget = 0;
    for (int i = 0; i < t.p.blockListCount; ++i) onTarget += t.p.blocks[i].onTarget;
    EXPECT_EQ(onTarget, 2);
    EXPECT_TRUE(CheckLevelWon(t.p));
    EXPECT_TRUE(t.Settle().won);

    // A fixed block can no longer be pushed.
    t.Step(kDirLeft);
    EXPECT_EQ(t.p.carX, 3);
    EXPECT_EQ(t.p.carY, 3);
    t.hooks.Clear();
    EXPECT_EQ(t.Step(kDirUp), kStepRefused);
    EXPECT_TRUE(t.hooks.sounds.empty());

    ASSERT_TRUE(t.Undo());
    EXPECT_EQ(t.Cell(4, 2), 1);
    EXPECT_EQ(t.Cell(4, 3), 14);
    EXPECT_EQ(t.Cell(3, 2), 100);  // free again
    EXPECT_EQ(t.p.carX, 4);
    EXPECT_EQ(t.p.carY, 4);
    EXPECT_FALSE(CheckLevelWon(t.p));
}

TEST(Push, AFixedBlockNeverHoldsItselfInPlace)
{
    // (1,5) is on a target with a wall to its right and a block below that
    // has a wall to its left. Counted as fixed, (1,5) would freeze the block
    // below, which in turn would freeze (1,5): it must not keep itself fixed
    // once what fixed it has gone (as after an undo).
    PuzzleBench t;
    t.Start({"@", "", "", "", "", " *#", "#$", "", "", "", "", "", "", "", "    ."});
    EXPECT_EQ(t.Cell(1, 5), 100);
    t.p.board.At(1, 5) = 15;
    ExamineBlocks(t.p);
    EXPECT_EQ(t.Cell(1, 5), 100);
    // Held by a real neighbour it is fixed, and freed again when that goes.
    t.p.board.At(1, 4) = 23;
    ExamineBlocks(t.p);
    EXPECT_EQ(t.Cell(1, 5), 15);
    EXPECT_EQ(t.hooks.Count("transfor.wav"), 1);
    t.p.board.At(1, 4) = 0;
    ExamineBlocks(t.p);
    EXPECT_EQ(t.Cell(1, 5), 100);
    EXPECT_EQ(t.hooks.Count("transfor.wav"), 1);
}

class DeadBlock : public ::testing::Test {
protected:
    PuzzleBench t;
    bool Lost(int x, int y) { return IsBlockLost(t.p, x, y); }
};

TEST_F(DeadBlock, FarAndNearRows)
{
    t.Start({"     $   .", "", "", "", "@", "", "", "", "", "", "", "", "", "", "  $  #  ."});
    EXPECT_FALSE(Lost(5, 0));  // a target along row 0
    EXPECT_TRUE(Lost(2, 14));  // the wall cuts it off from the target
    t.p.board.At(9, 0) = 0;
    EXPECT_TRUE(Lost(5, 0));
    t.p.board.At(0, 0) = 1;
    EXPECT_FALSE(Lost(5, 0));
    // A block on a target in row 0 ends both scans itself: always fixed.
    t.p.board.At(9, 0) = 100;
    EXPECT_TRUE(Lost(9, 0));
    t.p.board.At(1, 14) = 1;
    EXPECT_FALSE(Lost(2, 14));
}

TEST_F(DeadBlock, EdgeColumnsScanBothWays)
{
    t.Start({"", "", "", "", "$     @          $", "", "", ".", "", "", "", "", "", "", "                   ."});
    // Target below in the same column: the block can still get there.
    EXPECT_FALSE(Lost(0, 4));
    t.p.board.At(0, 7) = 0;
    EXPECT_TRUE(Lost(0, 4));
    t.p.board.At(0, 1) = 1;  // above
    EXPECT_FALSE(Lost(0, 4));
    t.p.board.At(0, 1) = 0;
    t.p.board.At(0, 9) = 1;
    t.p.board.At(0, 6) = 23;  // a wall between
    EXPECT_TRUE(Lost(0, 4));
    // Column 19, target at the very bottom.
    t.p.board.At(19, 4) = 14;
    EXPECT_FALSE(Lost(19, 4));
    t.p.board.At(19, 10) = 14;  // another block on the way is passed over
    EXPECT_FALSE(Lost(19, 4));
    t.p.board.At(19, 14) = 0;
    EXPECT_TRUE(Lost(19, 4));
}

TEST_F(DeadBlock, WallLines)
{
    t.Start({"@", "", "", "", "", "", " #  $   #", " ########", "", "", "", "", "", "", "."});
    // Row 6 runs along the wall of row 7 and is closed at both ends.
    EXPECT_TRUE(Lost(4, 6));
    t.p.board.At(6, 6) = 1;
    EXPECT_FALSE(Lost(4, 6));
    t.p.board.At(6, 6) = 0;
    t.p.board.At(6, 7) = 0;  // a gap in the wall line opens the lane
    EXPECT_FALSE(Lost(4, 6));
    t.p.board.At(6, 7) = 23;
    EXPECT_TRUE(Lost(4, 6));
    t.p.board.At(8, 6) = 0;  // an open end: the lane leads on past the wall line
    t.p.board.At(8, 7) = 0;
    EXPECT_FALSE(Lost(4, 6));
    t.p.board.At(8, 6) = 100;  // a movable block on a target does not close the lane
    EXPECT_FALSE(Lost(4, 6));
    t.p.board.At(8, 6) = 15;   // a fixed one does
    EXPECT_TRUE(Lost(4, 6));
    t.p.board.At(6, 6) = 15;   // and inside the stretch it is passed over
    EXPECT_TRUE(Lost(4, 6));
}

TEST_F(DeadBlock, FrozenSquaresCornersAndChains)
{
    t.Start({"@", "", "", "  #", "  $", "", "      $$", "      $$", "", "     #", "     $$#", "      #", "", "",
             "          ."});
    EXPECT_FALSE(Lost(2, 4));  // a wall on one side only
    EXPECT_EQ(t.p.searchVisits, 1);
    t.p.board.At(3, 4) = 23;   // a corner of two walls
    EXPECT_TRUE(Lost(2, 4));
    EXPECT_TRUE(Lost(6, 6));   // a 2 x 2 square of blocks
    EXPECT_TRUE(Lost(7, 7));

    // (5,10) has a wall above and a block beside it that is held in a corner.
    EXPECT_TRUE(Lost(5, 10));
    // With the corner opened on one side the two blocks still hold each other
    // (wall above one, wall below the other).
    t.p.board.At(7, 10) = 0;
    EXPECT_TRUE(Lost(5, 10));
    EXPECT_TRUE(Lost(6, 10));
    // With nothing under the right block it can be pushed away: both are free.
    t.p.board.At(6, 11) = 0;
    EXPECT_FALSE(Lost(5, 10));
    EXPECT_FALSE(Lost(6, 10));
}

TEST_F(DeadBlock, RightAnglePairsOfFrozenBlocks)
{
    // (5,5) has blocks to its left and above with the diagonal between them
    // open; each of those is held by two walls, so (5,5) is frozen too.
    t.Start({"@", "", "", "     #", "     $#", "   #$$", "    #", "", "", "", "", "", "", "", "          ."});
    EXPECT_TRUE(Lost(5, 5));
    t.p.board.At(5, 3) = 0;
    t.p.board.At(6, 4) = 0;  // the block above is free again
    EXPECT_FALSE(Lost(5, 4));
    EXPECT_FALSE(Lost(5, 5));
}

TEST_F(DeadBlock, RecursesOnlyIntoBlocks)
{
    // Walls above and below but no block beside it: the chain never grows
    // past the block itself.
    t.Start({"@", "", "", "    #", "    $", "    #", "", "", "", "", "", "", "", "", "          ."});
    EXPECT_FALSE(Lost(4, 4));
    EXPECT_EQ(t.p.searchVisits, 1);
    // A row of blocks under a wall with every other cell open above: each
    // block is looked at a bounded number of times.
    std::vector<std::string> rows(15);
    rows[0] = "@";
    rows[5] = " # # # # # # # # #";
    rows[6] = " $$$$$$$$$$$$$$$$$";
    rows[14] = ".";
    t.Start(rows);
    IsBlockLost(t.p, 9, 6);
    EXPECT_LE(t.p.searchVisits, 5);
}

TEST(Bombs, OnlyOnEasy)
{
    PuzzleBench t;
    t.Start({"@b", "", "", "", ".$"}, kNormal);
    EXPECT_EQ(t.Cell(1, 0), 0);
    EXPECT_EQ(t.p.bombListCount, 0);
    t.Start({"@b", "", "", "", ".$"}, kHard);
    EXPECT_EQ(t.Cell(1, 0), 0);
    t.Start({"@b", "", "", "", ".$"}, kEasy);
    EXPECT_EQ(t.Cell(1, 0), 5);
    ASSERT_EQ(t.p.bombListCount, 1);
    EXPECT_TRUE(t.p.bombs[0].present);
    // A difficulty change puts the bomb back from the starting board.
    ChangeDifficulty(t.p, kNormal);
    EXPECT_EQ(t.Cell(1, 0), 0);
    ChangeDifficulty(t.p, kEasy);
    EXPECT_EQ(t.Cell(1, 0), 5);
}

class BombBlast : public ::testing::Test {
protected:
    PuzzleBench t;
    void SetUpLevel(const char* row4)
    {
        t.Start({"", "", "", "    ###", row4, " @b   ##", "    ###", "    ###", "", "", "", "", "", "", "   $  ."}, kEasy);
        t.hooks.Clear();
    }
};

TEST_F(BombBlast, PickUpSetOffAndUndo)
{
    SetUpLevel("    ###");
    t.Press(kDirRight);  // onto the bomb
    EXPECT_EQ(t.p.bombCarried, 5);
    EXPECT_EQ(t.Cell(2, 5), 0);
    EXPECT_FALSE(t.p.bombs[0].present);
    EXPECT_EQ(t.hooks.Count("selbomb.wav"), 1);
    EXPECT_EQ(t.hooks.hints, std::vector<int>({kHintBomb}));
    ASSERT_EQ(t.p.undoCount, 1);
    EXPECT_EQ(t.p.undo[0].code, 5);
    EXPECT_EQ(t.p.undo[0].listIndex, 0);
    t.Press(kDirRight);
    t.Press(kDirRight);
    t.Press(kDirRight);
    ASSERT_EQ(t.p.carX, 5);
    uint8_t before[kBoardRows][kBoardCols];
    std::memcpy(before, t.p.board.cells, sizeof before);
    const int moves = t.p.moves;
    t.hooks.Clear();

    PuzzleInput in;
    in.setOff = true;
    UpdatePuzzleFrame(t.p, in, 1.0f);
    EXPECT_EQ(t.Cell(5, 4), 0);  // up
    EXPECT_EQ(t.Cell(5, 6), 0);  // down
    EXPECT_EQ(t.Cell(6, 5), 0);  // right
    EXPECT_EQ(t.p.explosionCount, 4);
    EXPECT_EQ(t.p.bombTimer, 60);
    EXPECT_EQ(t.p.bombCarried, 0);
    EXPECT_EQ(t.p.moves, moves + 50);
    EXPECT_EQ(t.p.history[t.p.historyCount - 1], kActSetOff);
    EXPECT_EQ(t.hooks.Count("explo.wav"), 1);
    EXPECT_GE(t.hooks.sceneryChanges, 1);
    // The walls around the holes are reshaped; all joins still agree.
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (IsWallCode(t.Cell(x, y))) {
                EXPECT_EQ(t.Cell(x, y), ShapeWallByJoins(t.p.board, x, y)) << x << "," << y;
            }
    EXPECT_EQ(t.Cell(5, 3), WallCodeForMask(4 | 8));
    EXPECT_EQ(t.Cell(7, 5), 20);

    // While the bomb animation runs no step is taken.
    t.Press(kDirLeft);
    EXPECT_EQ(t.p.carX, 5);
    for (int i = 0; i < 70; ++i) UpdatePuzzleEffects(t.p, 1.0f), UpdatePuzzleFrame(t.p, PuzzleInput(), 1.0f);
    EXPECT_EQ(t.p.bombTimer, 0);
    EXPECT_EQ(t.p.explosionCount, 0);

    // One undo gives back every wall and the bomb.
    t.hooks.Clear();
    ASSERT_TRUE(t.Undo());
    EXPECT_EQ(std::memcmp(before, t.p.board.cells, sizeof before), 0);
    EXPECT_EQ(t.p.bombCarried, 5);
    EXPECT_EQ(t.p.carX, 5);
    EXPECT_EQ(t.hooks.Count("back.wav"), 1);
    EXPECT_GE(t.hooks.sceneryChanges, 1);

    // Undo the steps back to the bomb: it lies on the board again.
    while (t.p.undoCount > 0) t.Undo();
    EXPECT_EQ(t.Cell(2, 5), 5);
    EXPECT_TRUE(t.p.bombs[0].present);
    EXPECT_EQ(t.p.bombCarried, 0);
    EXPECT_EQ(t.p.carX, 1);
}

TEST_F(BombBlast, ATargetBesideAWallProtectsIt)
{
    SetUpLevel("    ##.");
    for (int i = 0; i < 4; ++i) t.Press(kDirRight);
    PuzzleInput in;
    in.setOff = true;
    UpdatePuzzleFrame(t.p, in, 1.0f);
    EXPECT_TRUE(IsWallCode(t.Cell(5, 4)));  // (6,4) is a target beside it
    EXPECT_TRUE(IsWallCode(t.Cell(6, 5)));
    EXPECT_EQ(t.Cell(5, 6), 0);
    EXPECT_EQ(t.p.explosionCount, 2);
}

TEST_F(BombBlast, RefusedOnATargetOrABomb)
{
    PuzzleBench& b = t;
    b.Start({"@b.b", "", "", "", "  $ ."}, kEasy);
    b.Press(kDirRight);
    b.Press(kDirRight);  // onto the target
    const int history = b.p.historyCount;
    b.hooks.Clear();
    PuzzleInput in;
    in.setOff = true;
    UpdatePuzzleFrame(b.p, in, 1.0f);
    EXPECT_EQ(b.hooks.sounds, std::vector<std::string>({"error2.wav"}));
    EXPECT_EQ(b.p.bombCarried, 5);
    EXPECT_EQ(b.p.historyCount, history);
    b.Press(kDirRight);  // onto the second bomb, which cannot be carried too
    EXPECT_EQ(b.Cell(3, 0), 5);
    b.hooks.Clear();
    UpdatePuzzleFrame(b.p, in, 1.0f);
    EXPECT_EQ(b.hooks.sounds, std::vector<std::string>({"error2.wav"}));
    EXPECT_EQ(b.p.bombTimer, 0);
}

TEST(Bombs, ABlockIsNotPushedOntoABomb)
{
    PuzzleBench t;
    t.Start({"", "", " @$b", "", "", "    ."}, kEasy);
    EXPECT_EQ(t.Step(kDirRight), kStepRefused);
    EXPECT_EQ(t.Cell(2, 2), 14);
    EXPECT_EQ(t.Cell(3, 2), 5);
    EXPECT_TRUE(t.p.bombs[0].present);
    EXPECT_EQ(t.p.undoCount, 0);
    EXPECT_EQ(t.p.carX, 1);
}

TEST(Push, ALostBlockReleasesTheKeysAndWarnsOnce)
{
    PuzzleBench t;
    t.Start({"", "", "  ##", " @$#", "", "", "    ."});
    EXPECT_EQ(t.Step(kDirRight), kStepRefused);
    EXPECT_EQ(t.hooks.releases, 1);
    EXPECT_EQ(t.hooks.sounds, std::vector<std::string>({"error2.wav", "message.wav"}));
    EXPECT_EQ(t.hooks.hints, std::vector<int>({kHintLost}));
    int lost = 0;
    for (int i = 0; i < t.p.blockListCount; ++i) lost += t.p.blocks[i].lost;
    EXPECT_EQ(lost, 1);

    // With the help switched off no hint is shown.
    t.p.help = 0;
    t.Start({"", "", "  ##", " @$#", "", "", "    ."});
    t.Step(kDirRight);
    EXPECT_TRUE(t.hooks.hints.empty());
    EXPECT_EQ(t.hooks.sounds, std::vector<std::string>({"error2.wav"}));
}

TEST(Step, IgnoredWhileTheCarMovesAndBlockedByWallsAndTheEdge)
{
    PuzzleBench t;
    t.Start({"@ #", "", "", "", " $ ."});
    EXPECT_EQ(StepCar(t.p, kDirRight), kStepMoved);
    EXPECT_EQ(t.p.carX, 1);
    EXPECT_EQ(StepCar(t.p, kDirDown), kStepBusy);
    EXPECT_EQ(t.p.heading, 180);
    t.Settle();
    EXPECT_EQ(t.Step(kDirRight), kStepRefused);  // wall
    EXPECT_EQ(t.Step(kDirUp), kStepRefused);     // the outside
    EXPECT_EQ(t.p.heading, 270);
    EXPECT_EQ(t.p.moves, 1);
    // Ground codes 3 to 13 are passable and remembered by the undo stack.
    t.Start({"@7", "", "", "", " $ ."});
    EXPECT_EQ(t.Step(kDirRight), kStepMoved);
    EXPECT_EQ(t.p.undoCount, 1);
    EXPECT_EQ(t.p.undo[0].code, 7);
}

}  // namespace
