// The shipped levels (the frame-driven harness in tests/loop plays their
// solutions through the real loop) and the level-code tool.
#include "core_verify.h"
#include "level_compile.h"
#include "level_generate.h"
#include "persist/levelcode.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <string>

using namespace lvl;

namespace {

constexpr int kShippedLevels = 10, kLast = 60;

LevelSource Source(int n)
{
    char name[32];
    std::snprintf(name, sizeof name, "/levels/level%02d.txt", n);
    return ReadLevelSource(SourceDir() + name);
}

int Generate(int count)
{
    return std::system(
        (std::string(LEVELCODES_PATH) + " generate " + std::to_string(count) + " >out.txt 2>err.txt").c_str());
}

}  // namespace

TEST(LevelSet, EveryLevelHasItsOwnTitleCompilesAtItsIndexAndMovesEveryBlockAndTheFirstPageRises)
{
    std::set<std::string> titles;
    int withBombs = 0, withSpecials = 0, previousBlocks = 0;
    for (int n = 1; n <= kLast; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const LevelSource src = Source(n);
        EXPECT_TRUE(!src.title.empty() && titles.insert(src.title).second) << src.title;
        ASSERT_TRUE(src.hasSolution);
        CompileOptions opt;
        opt.levelIndex = n - 1;
        opt.solveMissing = false;
        const CompiledLevel level = CompileLevel(src, opt);
        EXPECT_EQ(VerifyLevelBytesWithCore(EncodeLevelFile(level.file), n - 1), "");
        // After the first page, a block that starts on a target and stays there is scenery.
        if (n > kShippedLevels) {
            EXPECT_EQ(TrivialPart(SolverBoard(src), src.solution).find("never moves"), std::string::npos);
            continue;
        }
        // The first page starts with one block, never has fewer than the level
        // before, and its stored solutions take the fewest pushes.
        EXPECT_TRUE(n == 1 ? src.blocks == 1 : src.blocks >= previousBlocks) << src.blocks;
        previousBlocks = src.blocks;
        withBombs += src.bombs > 0;
        withSpecials += src.specials > 0;
        SolverOptions solver;
        solver.maxSeconds = 120;
        const SolverResult best = SolveLevel(SolverBoard(src), solver);
        ASSERT_TRUE(best.solved) << best.reason;
        EXPECT_TRUE(best.pushOptimal);
        EXPECT_LE(std::count_if(src.solution.begin(), src.solution.end(), [](char c) { return std::isupper(c); }),
                  best.pushes);
    }
    EXPECT_GE(withBombs, 2);
    EXPECT_GE(withSpecials, 2);
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

TEST(LevelCodesTool, RefusesMoreCodesThanTheGameReadsBeforeWritingAnything)
{
    ScopedTempDir dir;
    EXPECT_NE(Generate(kLevelCount + 1), 0);
    EXPECT_NE(ReadTestFile("err.txt").find("at most " + std::to_string(kLevelCount)), std::string::npos);
    EXPECT_FALSE(TestFileExists("data"));
    EXPECT_FALSE(TestFileExists("codes.txt"));

    // A table already there is left as it was.
    ASSERT_TRUE(WriteTestFile("data/level/levelcode.dat", "old table"));
    ASSERT_TRUE(WriteTestFile("codes.txt", "old listing"));
    EXPECT_NE(Generate(kLevelCount + 1), 0);
    EXPECT_EQ(ReadTestFile("data/level/levelcode.dat"), "old table");
    EXPECT_EQ(ReadTestFile("codes.txt"), "old listing");

    // As many as the game reads: a table the game's own reader takes.
    ASSERT_EQ(Generate(kLevelCount), 0);
    LevelCodes codes;
    EXPECT_EQ(loadLevelCodes(codes, ""), 1);
    EXPECT_EQ(codes.codeCount, kLevelCount);
}
