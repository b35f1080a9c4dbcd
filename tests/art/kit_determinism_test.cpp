// Two runs of the generators write the same bytes: the build's own run
// into the game directory and a fresh run here.
#include "kit_paths.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(ArtKitDeterminism, AFreshRunWritesTheSameBytesAsTheBuild)
{
    ScopedTempDir dir;
    const std::string out = dir.file("data");
    ASSERT_EQ(KitDataDir().rfind(dir.path(), 0), std::string::npos) << "the build's data must be elsewhere";
    const std::string cmd = std::string("\"") + ARTKIT_PATH + "\" all \"" + out + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    for (const std::string& rel : KitGeneratedFiles()) {
        std::string fresh = ReadTestFile(out + "/" + rel);
        ASSERT_FALSE(fresh.empty()) << rel << " was not written";
        EXPECT_TRUE(fresh == ReadTestFile(KitDataDir() + "/" + rel)) << rel << " differs between runs";
    }
}

TEST(ArtKitDeterminism, GeneratorRefusesBadArguments)
{
    ScopedTempDir dir;
    const std::string tool = std::string("\"") + ARTKIT_PATH + "\"";
    EXPECT_NE(std::system((tool + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " paint out 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " music out 9 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " gfx out 1 2>/dev/null").c_str()), 0);
    // An output directory that cannot be made is reported, not ignored.
    ASSERT_TRUE(WriteTestFile(dir.file("blocker"), "x"));
    EXPECT_NE(std::system((tool + " sfx \"" + dir.file("blocker") + "/data\" 2>/dev/null").c_str()), 0);
}
