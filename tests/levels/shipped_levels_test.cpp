// The shipped level set: every source compiles to the bytes the build put in
// data/level, its stored solution wins on every difficulty by the model
// rules, and no solution is longer in pushes than the solver's best.
#include "level_compile.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace lvl;

namespace {

constexpr int kLevelCount = 10;

std::string SourcePath(int n)
{
    char name[32];
    std::snprintf(name, sizeof name, "/levels/level%02d.txt", n);
    return SourceDir() + name;
}

std::string BuiltPath(int n)
{
    return RunDir() + "/data/level/level" + std::to_string(n) + ".lvl";
}

}  // namespace

TEST(ShippedLevels, BuiltFilesMatchTheSourcesAndPlayOnEveryDifficulty)
{
    for (int n = 1; n <= kLevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const LevelSource src = ReadLevelSource(SourcePath(n));
        ASSERT_TRUE(src.hasSolution);
        CompileOptions opt;
        opt.levelIndex = n - 1;
        opt.solveMissing = false;
        const CompiledLevel c = CompileLevel(src, opt);
        const std::string built = ReadTestFile(BuiltPath(n));
        EXPECT_EQ(built, EncodeLevelFile(c.file)) << "rebuild the level data";
        LevelFileData back;
        ASSERT_EQ(DecodeLevelFile(built, back), "");
        EXPECT_EQ(ModelCheckLevel(BoardFromCells(back.cells), back.solution, n - 1), "");
        EXPECT_EQ(PlayModel(back, kHard, n - 1), "");
        EXPECT_EQ(PlayModel(back, kNormal, n - 1), "");
        EXPECT_EQ(PlayModel(back, kEasy, n - 1), "");
        EXPECT_LE(src.gridWidth, kWidth);
        EXPECT_LE(src.gridHeight, kHeight);
    }
}

TEST(ShippedLevels, StoredSolutionsAreNoLongerThanTheSolversBest)
{
    for (int n = 1; n <= kLevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const LevelSource src = ReadLevelSource(SourcePath(n));
        const Board board = SolverBoard(src);
        const Replay stored = ReplaySolution(board, src.solution);
        ASSERT_EQ(stored.error, "");
        SolverOptions opt;
        opt.maxSeconds = 120;
        const SolverResult best = SolveLevel(board, opt);
        ASSERT_TRUE(best.solved) << best.reason;
        EXPECT_LE(stored.pushes, best.pushes);
    }
}

TEST(ShippedLevels, TheSetRisesAndHasItsFeatures)
{
    int withBombs = 0, withSpecials = 0;
    int previousBlocks = 0;
    std::set<std::string> titles;
    for (int n = 1; n <= kLevelCount; ++n) {
        const LevelSource src = ReadLevelSource(SourcePath(n));
        if (src.bombs > 0) ++withBombs;
        if (src.specials > 0) ++withSpecials;
        EXPECT_GE(src.blocks, previousBlocks) << "level " << n;
        previousBlocks = src.blocks;
        EXPECT_FALSE(src.title.empty());
        titles.insert(src.title);
    }
    EXPECT_EQ(ReadLevelSource(SourcePath(1)).blocks, 1);
    EXPECT_GE(withBombs, 2);
    EXPECT_GE(withSpecials, 2);
    EXPECT_EQ(titles.size(), static_cast<size_t>(kLevelCount));
}
