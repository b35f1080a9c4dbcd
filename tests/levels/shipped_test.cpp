// The shipped level set as a whole. Their solutions are replayed by the
// compiler at build time and through the real loop by the frame-driven
// harness (tests/loop), not here.
#include "level_compile.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

using namespace lvl;

namespace {

constexpr int kShippedLevels = 10;

LevelSource Shipped(int n)
{
    char name[32];
    std::snprintf(name, sizeof name, "/levels/level%02d.txt", n);
    return ReadLevelSource(SourceDir() + name);
}

}  // namespace

TEST(ShippedLevels, StoredSolutionsHaveTheFewestPushes)
{
    for (int n = 1; n <= kShippedLevels; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const LevelSource src = Shipped(n);
        SolverOptions opt;
        opt.maxSeconds = 120;
        const SolverResult best = SolveLevel(SolverBoard(src), opt);
        ASSERT_TRUE(best.solved) << best.reason;
        EXPECT_TRUE(best.pushOptimal);
        EXPECT_LE(std::count_if(src.solution.begin(), src.solution.end(), [](char c) { return std::isupper(c); }),
                  best.pushes);
    }
}

TEST(ShippedLevels, TheSetRisesAndHasItsFeatures)
{
    int withBombs = 0, withSpecials = 0, previousBlocks = 0;
    std::set<std::string> titles;
    for (int n = 1; n <= kShippedLevels; ++n) {
        const LevelSource src = Shipped(n);
        withBombs += src.bombs > 0;
        withSpecials += src.specials > 0;
        EXPECT_GE(src.blocks, previousBlocks) << "level " << n;
        previousBlocks = src.blocks;
        EXPECT_TRUE(src.hasSolution) << "level " << n;
        EXPECT_FALSE(src.title.empty()) << "level " << n;
        titles.insert(src.title);
    }
    EXPECT_EQ(Shipped(1).blocks, 1);
    EXPECT_GE(withBombs, 2);
    EXPECT_GE(withSpecials, 2);
    EXPECT_EQ(titles.size(), size_t(kShippedLevels));
}
