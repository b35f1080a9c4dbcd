// A game in progress taken for a slot file and put back on a loaded level.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const std::vector<std::string> kRoom = {"", "     #", " @$  .#", "", "  $   .", "", "b"};

TEST(SavedPosition, ComesBackOnTheLoadedLevelAndPlaysOn)
{
    PuzzleBench t;
    t.hooks.randomValues = {0, 1};  // mirrored top-bottom
    LevelFileData d = LevelFromText(kRoom);
    d.pairing = {0, 1};
    t.StartData(d, kHard);
    // Push the upper block into its corner target: it becomes fixed.
    const int row = 14 - 2;
    ASSERT_EQ(t.p.carY, row);
    for (int i = 0; i < 3; ++i) t.Step(kDirRight);
    ASSERT_EQ(t.Cell(5, row), 15);
    SavedPosition s;
    TakeSavedPosition(t.p, s);
    EXPECT_EQ(s.difficulty, kHard);
    EXPECT_EQ(s.moves, 3);
    EXPECT_EQ(s.carX, 4);
    EXPECT_EQ(s.heading, 180);
    EXPECT_EQ(s.colourCount, 2);
    EXPECT_EQ(s.cells[row * 20 + 5], 15);

    std::unique_ptr<Puzzle> q(new Puzzle());
    q->hooks = &t.hooks;
    LoadLevel(*q, 0, "");
    ApplySavedPosition(*q, s);
    EXPECT_EQ(q->board.At(5, row), 100);  // movable again until examined
    EXPECT_EQ(q->targetCount, 2);
    EXPECT_EQ(q->moves, 3);
    EXPECT_EQ(q->undoCount, 0);
    EXPECT_EQ(q->carX, 4);
    EXPECT_EQ(q->carDrawX, 4.0f);
    EXPECT_EQ(q->carAngle, 180);
    EXPECT_EQ(q->difficulty, kHard);
    EXPECT_EQ(std::memcmp(q->blockIndexMap, t.p.blockIndexMap, sizeof q->blockIndexMap), 0);
    EXPECT_EQ(std::memcmp(q->targetIndexMap, t.p.targetIndexMap, sizeof q->targetIndexMap), 0);
    ASSERT_EQ(q->blockListCount, t.p.blockListCount);
    for (int i = 0; i < q->blockListCount; ++i) {
        EXPECT_EQ(q->blocks[i].x, t.p.blocks[i].x);
        EXPECT_EQ(q->blocks[i].y, t.p.blocks[i].y);
        EXPECT_EQ(q->blocks[i].colour, t.p.blocks[i].colour);
    }
    UpdatePuzzleFrame(*q, PuzzleInput(), 1.0f);
    EXPECT_EQ(q->board.At(5, row), 15);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) ASSERT_EQ(q->board.At(x, y), t.Cell(x, y)) << x << "," << y;
    // The saved board is not mirrored again, and the game goes on to a win.
    EXPECT_EQ(q->board.At(0, 14 - 6), 0);  // no bombs on Hard
    PuzzleInput in;
    auto press = [&](Direction dir) {
        in = PuzzleInput();
        in.left = dir == kDirLeft, in.right = dir == kDirRight, in.up = dir == kDirUp, in.down = dir == kDirDown;
        UpdatePuzzleFrame(*q, in, 1.0f);
        for (int i = 0; i < 40; ++i) UpdatePuzzleFrame(*q, PuzzleInput(), 1.0f);
    };
    // The car at (4, 12); the file's lower block is now above it at (2, 10).
    press(kDirUp);
    press(kDirLeft);
    press(kDirLeft);
    press(kDirLeft);
    press(kDirUp);
    ASSERT_EQ(q->carX, 1);
    ASSERT_EQ(q->carY, 10);
    for (int i = 0; i < 4; ++i) press(kDirRight);
    EXPECT_TRUE(UpdatePuzzleFrame(*q, PuzzleInput(), 1.0f).openWonScreen);
}

}  // namespace
