// Levels 11 to 60, the pages after the first: every source compiles at its
// index and plays in the core on every difficulty, every block it starts
// with is one the stored solution moves, and each page opens with what it
// introduces.
#include "core_verify.h"
#include "level_compile.h"
#include "level_generate.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <set>

using namespace lvl;

namespace {

constexpr int kFirst = 11, kLast = 60;

LevelSource Source(int n)
{
    return ReadLevelSource(SourceDir() + "/levels/level" + std::to_string(n) + ".txt");
}

}  // namespace

TEST(LevelSet, EveryLevelCompilesAtItsIndexAndMovesEveryBlock)
{
    std::set<std::string> titles;
    for (int n = kFirst; n <= kLast; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const LevelSource src = Source(n);
        EXPECT_TRUE(titles.insert(src.title).second) << src.title;
        ASSERT_TRUE(src.hasSolution);
        CompileOptions opt;
        opt.levelIndex = n - 1;
        opt.solveMissing = false;
        const CompiledLevel level = CompileLevel(src, opt);
        EXPECT_EQ(VerifyLevelBytesWithCore(EncodeLevelFile(level.file), n - 1), "");
        // A block that starts on a target and stays there is scenery.
        EXPECT_EQ(TrivialPart(SolverBoard(src), src.solution).find("never moves"), std::string::npos);
    }
}

TEST(LevelSet, EachPageOpensWithItsIdea)
{
    EXPECT_GT(Source(11).bombs, 0);
    EXPECT_GT(Source(21).specials, 0);
    EXPECT_FALSE(Source(31).hardRows.empty());
    // Page 6 has three Hard colours; its opener's targets are rows of three,
    // so each column of targets is one colour.
    ASSERT_EQ(HardColourCount(50), 3);
    const LevelSource three = Source(51);
    int column[3] = {-1, -1, -1}, t = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int c = three.board.At(x, y);
            if (c != kCellTarget && c != kCellBlockOnTarget)
                continue;
            const int colour = t++ % 3;
            if (column[colour] < 0)
                column[colour] = x;
            EXPECT_EQ(x, column[colour]) << "target " << t - 1;
        }
    EXPECT_EQ(t, 9);
}
