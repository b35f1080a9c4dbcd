// The level notation read onto the puzzle core's board.
#include "level_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

using namespace lvl;

namespace {

const char* kCorridor = "; a corridor\nTitle: Corridor\n\n#######\n#@ $ .#\n#######\n\nSolution: rRR\n";

}  // namespace

TEST(LevelSource, ReadsTheNotationOntoTheCentredBoard)
{
    const LevelSource s = ParseLevelSource(kCorridor, "corridor.txt");
    EXPECT_EQ(s.title, "Corridor");
    EXPECT_EQ(s.solution, "rRR");
    EXPECT_EQ(std::make_pair(s.gridWidth, s.gridHeight), std::make_pair(7, 3));
    EXPECT_EQ(std::make_pair(s.offsetX, s.offsetY), std::make_pair(6, 6));
    EXPECT_EQ(std::make_pair(s.blocks, s.targets), std::make_pair(1, 1));
    EXPECT_EQ(s.board.At(7, 7), kCellCarStart);
    EXPECT_EQ(s.board.At(9, 7), kCellBlock);
    EXPECT_EQ(s.board.At(11, 7), kCellTarget);
    // The room stays floor on Hard, the open ground around it does not.
    EXPECT_EQ(s.floorMask[7 * kPlayWidth + 8], 1);
    EXPECT_EQ(s.floorMask[0], 0);

    const LevelSource t = ParseLevelSource("#########\n#@ ! 6 *#\n# 7 8 9 #\n#########\n", "x.txt");
    const int cells[][3] = {{3, 1, kCellBomb}, {5, 1, 36}, {7, 1, kCellBlockOnTarget},
                            {2, 2, 37},        {4, 2, 38}, {6, 2, 39}};
    for (const auto& c : cells)
        EXPECT_EQ(t.board.At(t.offsetX + c[0], t.offsetY + c[1]), c[2]) << c[0] << "," << c[1];
    EXPECT_EQ(std::make_pair(t.bombs, t.specials), std::make_pair(1, 4));
}

TEST(LevelSource, WallsJoinTheirWallNeighboursSoTheLoaderKeepsThem)
{
    const LevelSource s = ParseLevelSource(kCorridor, "corridor.txt");
    const int x0 = s.offsetX, y0 = s.offsetY;
    EXPECT_EQ(s.board.At(x0, y0), WallCodeForMask(2 | 4));          // top-left corner: down, right
    EXPECT_EQ(s.board.At(x0 + 3, y0), WallCodeForMask(4 | 8));      // top run: left, right
    EXPECT_EQ(s.board.At(x0 + 6, y0 + 2), WallCodeForMask(1 | 8));  // bottom-right: up, left
    EXPECT_EQ(s.board.At(x0, y0 + 1), WallCodeForMask(1 | 2));      // left side: up, down
    // The loader's shaper joins only what the codes join: it changes nothing.
    Board loaded = s.board;
    ShapeAllWalls(loaded);
    EXPECT_EQ(std::memcmp(&loaded, &s.board, sizeof loaded), 0);
    // A special block is no wall piece to join.
    const LevelSource t = ParseLevelSource("#####\n#@$.#\n##6##\n #.$#\n #  #\n ####\n", "s.txt");
    EXPECT_EQ(t.board.At(t.offsetX + 1, t.offsetY + 2), WallCodeForMask(2 | 8));
    EXPECT_EQ(t.board.At(t.offsetX + 3, t.offsetY + 2), WallCodeForMask(4));
}

TEST(LevelSource, ReplaceSolutionTextKeepsEverythingElse)
{
    const std::string updated = ReplaceSolutionText(kCorridor, "rRR");
    const LevelSource s = ParseLevelSource(updated, "c.txt");
    EXPECT_EQ(s.solution, "rRR");
    EXPECT_EQ(s.title, "Corridor");
    EXPECT_EQ(updated.find("Solution:"), updated.rfind("Solution:"));
    EXPECT_EQ(ParseLevelSource(ReplaceSolutionText("#####\n#@$.#\n#####\n", "rR"), "d.txt").solution, "rR");
}
