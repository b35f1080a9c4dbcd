// The Hard level start: the floor mask, the hollowed walls, colours,
// mirroring and the colour-matched win.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int SwapLeftRight(int c)
{
    static const int pairs[][2] = {{24, 25}, {26, 27}, {28, 29}, {32, 33}, {36, 37}, {38, 39}};
    for (const auto& p : pairs) {
        if (c == p[0]) return p[1];
        if (c == p[1]) return p[0];
    }
    return c;
}

int SwapTopBottom(int c)
{
    static const int pairs[][2] = {{24, 26}, {25, 27}, {30, 31}, {34, 35}, {36, 38}, {37, 39}};
    for (const auto& p : pairs) {
        if (c == p[0]) return p[1];
        if (c == p[1]) return p[0];
    }
    return c;
}

TEST(Hard, TheFloorMaskWallsInTheFloorAndOnlyTheSkinRemains)
{
    PuzzleBench t;
    LevelFileData d = LevelFromText({"@", "", "  $ .", "", "", "", "", "", "", "", "", "", "", "", ""});
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 10; x < kPlayWidth; ++x) d.floorMask[y * 20 + x] = 0;
    t.StartData(d, kHard);
    for (int y = 0; y < kPlayHeight; ++y) {
        for (int x = 11; x < kPlayWidth; ++x) ASSERT_EQ(t.Cell(x, y), 0) << x << "," << y;
        const int expected = y == 0 ? WallCodeForMask(2) : y == 14 ? WallCodeForMask(1) : WallCodeForMask(3);
        ASSERT_EQ(t.Cell(10, y), expected) << y;
        for (int x = 0; x < 10; ++x) ASSERT_EQ(t.Cell(x, y), d.cells[y * 20 + x]) << x << "," << y;
    }
    // On Normal the mask plays no part.
    t.StartData(d, kNormal);
    EXPECT_EQ(t.Cell(15, 5), 0);
    EXPECT_EQ(t.Cell(10, 5), 0);
}

TEST(Hard, BlocksAndSpecialsBesideAWallMassDoNotOpenIt)
{
    for (char beside : {'S', '*'}) {
        PuzzleBench t;
        std::string r8 = "   ##";
        r8.push_back(beside);
        t.Start({"@", "", "", "", "", "", "   ###", "   ###", r8, "", "", "     .", "", "", "  $  ."}, kHard);
        // The middle of the mass has a special block or a block on a target
        // among its eight neighbours: it keeps its wall.
        EXPECT_EQ(t.Cell(4, 7), 23) << beside;
        // A mass of walls only is hollowed.
        t.Start({"@", "", "", "", "", "", "   ###", "   ###", "   ###", "", "", "     .", "", "", "  $  ."}, kHard);
        EXPECT_EQ(t.Cell(4, 7), 0);
        EXPECT_EQ(t.Cell(3, 7), WallCodeForMask(1 | 2));
        EXPECT_EQ(t.Cell(4, 6), WallCodeForMask(4 | 8));
        EXPECT_EQ(t.Cell(3, 6), WallCodeForMask(2 | 4));
    }
}

TEST(Hard, ColoursFollowTheLevelIndex)
{
    const int counts[][2] = {{0, 2}, {49, 2}, {50, 3}, {100, 4}, {150, 5}, {230, 5}};
    for (const auto& c : counts) {
        PuzzleBench t;
        LevelFileData d = LevelFromText({"@", "$.$.$.$.$.$.", "", "$.$.", "", "", "", "", "", "", "", "", "", "", ""});
        t.StartData(d, kHard, c[0]);
        ASSERT_EQ(t.p.targetCount, 8);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(t.p.targetColour[i], i % c[1]) << c[0] << " target " << i;
            EXPECT_EQ(t.p.blockColour[i], i % c[1]) << c[0] << " block " << i;
        }
        // The block list runs colour by colour.
        for (int i = 1; i < t.p.blockListCount; ++i) EXPECT_LE(t.p.blocks[i - 1].colour, t.p.blocks[i].colour);
        t.StartData(d, kNormal, c[0]);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(t.p.targetColour[i] + t.p.blockColour[i], 0);
    }
}

TEST(Hard, TheWinCountsOnlyBlocksOnTargetsOfTheirPairsColour)
{
    const std::vector<std::string> rows = {"", "", " @$   .", "", " @$   ."};
    for (int crossed = 0; crossed < 2; ++crossed)
        for (int difficulty : {kNormal, kHard}) {
            PuzzleBench t;
            LevelFileData d = LevelFromText(rows);
            if (crossed) d.pairing = {1, 0};
            t.StartData(d, difficulty);
            // The car starts at (1,4); push the lower block, then the upper.
            for (int i = 0; i < 4; ++i) t.Step(kDirRight);
            t.Step(kDirUp);
            for (int i = 0; i < 4; ++i) t.Step(kDirLeft);
            t.Step(kDirUp);
            ASSERT_EQ(t.p.carX, 1);
            ASSERT_EQ(t.p.carY, 2);
            for (int i = 0; i < 4; ++i) t.Step(kDirRight);
            ASSERT_EQ(t.Cell(6, 2), 100);
            ASSERT_EQ(t.Cell(6, 4), 100);
            const bool expectWin = difficulty != kHard || !crossed;
            EXPECT_EQ(CheckLevelWon(t.p), expectWin) << crossed << " " << difficulty;
            EXPECT_EQ(t.Settle().openWonScreen, expectWin);
            // What is drawn is what the win test reads.
            for (int i = 0; i < t.p.blockListCount; ++i) {
                const BlockRecord& b = t.p.blocks[i];
                EXPECT_EQ(b.colour, t.p.blockColour[t.p.pairing[b.blockIndex]]);
            }
            if (difficulty == kHard) {
                EXPECT_EQ(TargetColourAt(t.p, 6, 2), 0);
                EXPECT_EQ(TargetColourAt(t.p, 6, 4), 1);
            }
        }
}

TEST(Hard, MirroringMovesCellsAndMapsAndKeepsEveryPieceLooking)
{
    // Walls of many shapes, all four kinds of join, and a special block.
    const std::vector<std::string> rows = {
        "###  #      ",  "#    #  S   ", "#  $ ##  .  ", "   $  #    #",
        "  .  .   ###", "##        # ", "@          #",
    };
    PuzzleBench ref;
    ref.Start(rows, kHard);
    for (int mode = 1; mode <= 3; ++mode) {
        PuzzleBench t;
        t.hooks.randomValues = {mode & 1, (mode >> 1) & 1};
        t.StartData(LevelFromText(rows), kHard);
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x) {
                const int mx = (mode & 1) ? 19 - x : x;
                const int my = (mode & 2) ? 14 - y : y;
                int c = ref.Cell(x, y);
                if (mode & 1) c = SwapLeftRight(c);
                if (mode & 2) c = SwapTopBottom(c);
                ASSERT_EQ(t.Cell(mx, my), c) << mode << ": " << x << "," << y;
                ASSERT_EQ(t.p.blockIndexMap[my * 20 + mx], ref.p.blockIndexMap[y * 20 + x]);
                ASSERT_EQ(t.p.targetIndexMap[my * 20 + mx], ref.p.targetIndexMap[y * 20 + x]);
            }
        EXPECT_EQ(t.p.carX, (mode & 1) ? 19 - ref.p.carX : ref.p.carX);
        EXPECT_EQ(t.p.carY, (mode & 2) ? 14 - ref.p.carY : ref.p.carY);
        // Every wall still joins exactly what lies beside it.
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x)
                if (IsWallCode(t.Cell(x, y))) {
                    ASSERT_EQ(t.Cell(x, y), ShapeWallSimple(t.p.board, x, y)) << mode << ": " << x << "," << y;
                }
    }
    // The special block turns into its mirror images.
    PuzzleBench both;
    both.hooks.randomValues = {1, 1};
    both.StartData(LevelFromText(rows), kHard);
    EXPECT_EQ(both.Cell(19 - 8, 14 - 1), 39);
}

TEST(Hard, AMirroredLevelIsWonWithItsColoursKept)
{
    PuzzleBench t;
    t.hooks.randomValues = {1, 0};
    LevelFileData d = LevelFromText({"", "", " @$   .", "", "  $   ."});
    d.pairing = {1, 0};  // each block belongs on the other row's target
    t.StartData(d, kHard);
    // Mirrored left-right: car (18,2), upper block (17,2), lower block
    // (17,4), targets (13,2) and (13,4), numbered as before the mirror.
    ASSERT_EQ(t.p.carX, 18);
    ASSERT_EQ(t.Cell(17, 2), 14);
    ASSERT_EQ(t.Cell(17, 4), 14);
    ASSERT_EQ(t.p.blockIndexMap[2 * 20 + 17], 0);
    ASSERT_EQ(t.p.targetIndexMap[4 * 20 + 13], 1);

    const Direction route[] = {
        // upper block: left 2, down 2, left 2 onto the lower target
        kDirLeft, kDirLeft, kDirUp, kDirLeft, kDirDown, kDirDown, kDirRight, kDirDown, kDirLeft, kDirLeft,
        // lower block: up 2, left 4 onto the upper target
        kDirDown, kDirRight, kDirRight, kDirRight, kDirUp, kDirUp, kDirRight, kDirUp, kDirLeft, kDirLeft,
        kDirLeft, kDirLeft};
    for (Direction dir : route) ASSERT_NE(t.Step(dir), kStepRefused);
    EXPECT_EQ(t.Cell(13, 2), 100);
    EXPECT_EQ(t.Cell(13, 4), 100);
    EXPECT_EQ(t.p.blockIndexMap[4 * 20 + 13], 0);
    EXPECT_TRUE(CheckLevelWon(t.p));
    EXPECT_TRUE(t.Settle().openWonScreen);
}

}  // namespace
