// The level-code tool, run as the developer runs it.
#include "persist/levelcode.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

int Generate(int count)
{
    return std::system(
        (std::string(LEVELCODES_PATH) + " generate " + std::to_string(count) + " >out.txt 2>err.txt").c_str());
}

}  // namespace

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
