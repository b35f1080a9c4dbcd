// The Hard level start: the floor mask, the hollowed walls, colours,
// mirroring and the colour-matched win.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

TEST(Hard, TheFloorMaskWallsInTheFloorAndOnlyTheSkinOfAWallMassRemains)
{
    PuzzleBench t;
    LevelFileData d = LevelFromText(Rows("@//  $ ."));
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 10; x < kPlayWidth; ++x)
            d.floorMask[y * 20 + x] = 0;
    t.StartData(d, kHard);
    std::string expected;
    for (int y = 0; y < kPlayHeight; ++y) {
        expected += std::string(y ? "/" : "") +
                    (y == 0   ? "c"
                     : y == 2 ? "  $ ."
                              : "") +
                    std::string(y == 0   ? 9
                                : y == 2 ? 5
                                         : 10,
                                ' ') +
                    "#";
        EXPECT_EQ(t.Cell(10, y), WallCodeForMask(y == 0 ? 2 : y == 14 ? 1 : 3)) << y;
    }
    EXPECT_EQ(t.Picture(), expected);
    t.StartData(d, kNormal);  // on Normal the mask plays no part
    EXPECT_EQ(t.Picture(), "c//  $ .");
    // A mass of walls only is hollowed; a special block or a block on a
    // target among the middle's eight neighbours keeps it.
    for (const char* mass : {"   ###/   ###/   ###", "   ###/   ###/   ##S", "   ###/   ###/   ##*"}) {
        t.Start(Rows(std::string("@//////") + mass + "///     .///  $  ."), kHard);
        EXPECT_EQ(t.Cell(4, 7), mass[std::strlen(mass) - 1] == '#' ? 0 : 23) << mass;
    }
    t.Start(Rows("@//////   ###/   ###/   ###///     .///  $  ."), kHard);
    EXPECT_EQ(FormatText("%d %d %d", t.Cell(3, 7), t.Cell(4, 6), t.Cell(3, 6)),
              FormatText("%d %d %d", WallCodeForMask(1 | 2), WallCodeForMask(4 | 8), WallCodeForMask(2 | 4)));
}

TEST(Hard, ColoursFollowTheLevelIndexAndOnlyOnHard)
{
    const int colours[][2] = {{0, 2}, {49, 2}, {50, 3}, {100, 4}, {150, 5}, {230, 5}};
    for (const auto& c : colours) {
        PuzzleBench t;
        const LevelFileData d = LevelFromText(Rows("@/$.$.$.$.$.$./$.$."));
        t.StartData(d, kHard, c[0]);
        ASSERT_EQ(t.p.targetCount, 8);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(t.p.targetColour[i] * 10 + t.p.blockColour[i], i % c[1] * 11) << c[0] << ": " << i;
        for (int i = 1; i < t.p.blockListCount; ++i)
            EXPECT_LE(t.p.blocks[i - 1].colour, t.p.blocks[i].colour);
        t.StartData(d, kNormal, c[0]);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(t.p.targetColour[i] + t.p.blockColour[i], 0);
        t.StartData(d, kHard, c[0]);
        t.StartData(LevelFromText({"@", "$."}), kHard, c[0]);  // a smaller level keeps nothing of the larger one
        EXPECT_EQ(std::count(t.p.blockColour, t.p.blockColour + kMaxTargets, 0) +
                      std::count(t.p.targetColour, t.p.targetColour + kMaxTargets, 0),
                  2 * kMaxTargets);
    }
}

TEST(Hard, TheWinCountsOnlyBlocksOnTargetsOfTheirPairsColourAndThatColourIsDrawn)
{
    for (int crossed = 0; crossed < 2; ++crossed)
        for (int difficulty : {kNormal, kHard}) {
            PuzzleBench t;
            LevelFileData d = LevelFromText(Rows("// @$   .// @$   ."));
            if (crossed)
                d.pairing = {1, 0};
            t.StartData(d, difficulty);
            EXPECT_EQ(t.Play("RRRRULLLLURRRR"), "ppppmmmmmmpppp");
            const bool win = difficulty != kHard || !crossed;
            EXPECT_EQ(CheckLevelWon(t.p), win) << crossed << difficulty;
            EXPECT_EQ(t.Settle().openWonScreen, win);
            for (int i = 0; i < t.p.blockListCount; ++i)
                EXPECT_EQ(t.p.blocks[i].colour, t.p.blockColour[t.p.pairing[t.p.blocks[i].blockIndex]]);
            EXPECT_EQ(TargetColourAt(t.p, 6, 2) * 10 + TargetColourAt(t.p, 6, 4) + TargetColourAt(t.p, -1, 0),
                      difficulty == kHard ? 1 : 0);
        }
}

TEST(Hard, MirroringMovesCellsAndMapsAndEveryWallStillJoinsItsNeighbours)
{
    const std::vector<std::string> rows =
        Rows("###  #/#    #  S/#  $ ##  ./   $  #    #/  .  .   ###/##        #/@          #");
    PuzzleBench ref;
    ref.Start(rows, kHard);
    for (int mode = 1; mode <= 3; ++mode) {
        PuzzleBench t;
        t.hooks.randomValues = {mode & 1, (mode >> 1) & 1};
        t.Start(rows, kHard);
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x) {
                const int mx = (mode & 1) ? 19 - x : x, my = (mode & 2) ? 14 - y : y, c = t.Cell(mx, my);
                if (IsWallCode(c))
                    ASSERT_EQ(c, ShapeWallSimple(t.p.board, mx, my)) << mode << ": " << mx << "," << my;
                else
                    ASSERT_EQ(IsSpecialCode(c) ? 36 : c, IsSpecialCode(ref.Cell(x, y)) ? 36 : ref.Cell(x, y)) << mode;
                ASSERT_EQ(IsWallCode(c), IsWallCode(ref.Cell(x, y)));
                ASSERT_EQ(t.p.blockIndexMap[my * 20 + mx], ref.p.blockIndexMap[y * 20 + x]);
                ASSERT_EQ(t.p.targetIndexMap[my * 20 + mx], ref.p.targetIndexMap[y * 20 + x]);
            }
        EXPECT_EQ(t.p.carX * 100 + t.p.carY,
                  ((mode & 1) ? 19 - ref.p.carX : ref.p.carX) * 100 + ((mode & 2) ? 14 - ref.p.carY : ref.p.carY));
        // The special block turns into its mirror image: 36 and 37 swap left
        // and right, 36 and 38 top and bottom.
        EXPECT_EQ(t.Cell((mode & 1) ? 11 : 8, (mode & 2) ? 13 : 1), 36 + mode);
    }
}

}  // namespace
