#include "persist/levelcode.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Bytes(const Progress& p)
{
    return std::string(reinterpret_cast<const char*>(p.done), kLevelCount);
}

TEST(ProgressFile, AMissingFileIsCreatedWithNoLevelDone)
{
    ScopedTempDir dir;
    WriteTestFile("game/level/.keep", "");
    Progress p;
    p.done[2] = 1;
    EXPECT_EQ(LoadProgress(p, "game/"), 1);
    EXPECT_EQ(Bytes(p), std::string(10, '\0'));
    EXPECT_EQ(ReadTestFile("game/level/leveldata.dat"), std::string(10, '\0'));
}

TEST(ProgressFile, ShortAndLongFilesFillOnlyTheBytesTheyHold)
{
    ScopedTempDir dir;
    Progress p;
    WriteTestFile("level/leveldata.dat", std::string("\x01\x00\x01", 3));
    LoadProgress(p, "./");
    EXPECT_EQ(Bytes(p), std::string("\x01\x00\x01", 3) + std::string(7, '\0'));
    // The short file is read, not rewritten.
    EXPECT_EQ(ReadTestFile("level/leveldata.dat").size(), 3u);

    WriteTestFile("level/leveldata.dat", std::string(10, '\x01') + "more");
    LoadProgress(p, "./");
    EXPECT_EQ(Bytes(p), std::string(10, '\x01'));
}

TEST(ProgressFile, SaveWritesTheTenBytesAndReportsFailure)
{
    ScopedTempDir dir;
    WriteTestFile("level/.keep", "");
    Progress p;
    p.done[0] = p.done[9] = 1;
    EXPECT_EQ(SaveProgress(p, "./"), 0);
    EXPECT_EQ(ReadTestFile("level/leveldata.dat"), Bytes(p));
    Progress back;
    LoadProgress(back, "./");
    EXPECT_EQ(Bytes(back), Bytes(p));

    // No "level" directory in this game directory: the write fails and says so.
    std::string err = CaptureStderr([&] { EXPECT_EQ(SaveProgress(p, "nowhere/"), 1); });
    EXPECT_NE(err.find("nowhere/level/leveldata.dat"), std::string::npos) << err;
}

TEST(ProgressFile, AFileThatCannotBeReadIsNeverOverwritten)
{
    ScopedTempDir dir;
    // A directory in place of the file: it exists but cannot be read.
    WriteTestFile("level/leveldata.dat/inside", "player data");
    Progress p;
    p.done[5] = 1;
    std::string err = CaptureStderr([&] { EXPECT_EQ(LoadProgress(p, "./"), 1); });
    EXPECT_NE(err.find("level/leveldata.dat"), std::string::npos) << err;
    EXPECT_EQ(Bytes(p), std::string(10, '\0'));
    EXPECT_TRUE(p.keepFile);

    p.done[0] = 1;
    err = CaptureStderr([&] { EXPECT_EQ(SaveProgress(p, "./"), 1); });
    EXPECT_NE(err.find("level/leveldata.dat"), std::string::npos) << err;
    EXPECT_EQ(ReadTestFile("level/leveldata.dat/inside"), "player data");
}

}  // namespace
