// Progress and score files written by the ten-level game.
#include "fixtures.h"
#include "persist/levelcode.h"
#include "persist/score.h"
#include "testdir.h"

#include <gtest/gtest.h>

namespace {

TEST(OlderPlayerFiles, TenLevelFilesLoadAsTheFirstTenLevelsAndTheNextWriteExtendsThem)
{
    ScopedTempDir dir;
    const std::string progress("\1\1\1\0\1\1\1\1\1\1", 10);
    std::string scores, defaults;
    for (int i = 0; i < 10; ++i)
        scores += ScoreEntryBytes("OLD" + std::to_string(i), 40 + i);
    for (int i = 11; i < kScoreEntries; ++i)
        defaults += ScoreEntryBytes("VRO GAMES", 5000);
    WriteTestFile("level/leveldata.dat", progress);
    WriteTestFile("score.vro", scores);
    Progress p;
    LoadProgress(p, "./");
    ScoreTable t;
    InitScores(t, "./");
    EXPECT_EQ(std::string(p.done, p.done + 11), progress + '\0');
    EXPECT_EQ(t.entries[9].name + std::to_string(t.entries[9].moves) + t.entries[10].name, "OLD949VRO GAMES");
    EXPECT_EQ(ReadTestFile("level/leveldata.dat") + ReadTestFile("score.vro"), progress + scores) << "read only";

    p.done[10] = 1;
    EXPECT_EQ(SaveProgress(p, "./"), 0);
    ASSERT_EQ(SubmitScore(t, 10, 77), 1);
    SetScoreName(t, 10, "NEW");
    ASSERT_TRUE(SaveScores(t, "./"));
    EXPECT_EQ(ReadTestFile("level/leveldata.dat"), progress + '\1' + std::string(kLevelCount - 11, '\0'));
    EXPECT_EQ(ReadTestFile("score.vro"), scores + ScoreEntryBytes("NEW", 77) + defaults);
}

}  // namespace
