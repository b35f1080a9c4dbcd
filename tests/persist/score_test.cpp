#include "persist/filestore.h"
#include "persist/score.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Entry(const std::string& name, int32_t moves)
{
    std::string bytes = name;
    bytes.resize(20, '\0');
    PutInt32(bytes, moves);
    return bytes;
}

void ExpectDefault(const ScoreEntry& e)
{
    EXPECT_STREQ(e.name, "VRO GAMES");
    EXPECT_EQ(e.moves, 5000);
}

TEST(ScoreFile, AFirstRunWritesTenDefaultEntries)
{
    ScopedTempDir dir;
    ScoreTable t;
    EXPECT_EQ(InitScores(t, "./"), 1);
    EXPECT_STREQ(t.playerName, "noname");
    for (const ScoreEntry& e : t.entries)
        ExpectDefault(e);
    std::string file = ReadTestFile("score.vro");
    ASSERT_EQ(file.size(), 240u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(file.substr(24 * i, 24), Entry("VRO GAMES", 5000)) << i;
}

TEST(ScoreFile, ShortFilesFillOnlyWholeEntries)
{
    ScopedTempDir dir;
    // Two whole entries, then 10 bytes of a third.
    WriteTestFile("score.vro", Entry("ANNA", 40) + Entry("BOB", 75) + std::string("CARLXXXXXX", 10));
    ScoreTable t;
    InitScores(t, "./");
    EXPECT_STREQ(t.entries[0].name, "ANNA");
    EXPECT_EQ(t.entries[0].moves, 40);
    EXPECT_STREQ(t.entries[1].name, "BOB");
    EXPECT_EQ(t.entries[1].moves, 75);
    for (int i = 2; i < 10; ++i)
        ExpectDefault(t.entries[i]);
    // Reading does not rewrite the file.
    EXPECT_EQ(ReadTestFile("score.vro").size(), 58u);
}

TEST(ScoreFile, ATwentyCharacterNameFillsItsBytesAndReadsBackWhole)
{
    ScopedTempDir dir;
    ScoreTable t;
    InitScores(t, "./");
    const std::string name = "ABCDEFGHIJKLMNOPQRST";
    SetScoreName(t, 6, (name + "UVW").c_str());  // cut to 20
    t.entries[6].moves = 123;
    ASSERT_TRUE(SaveScores(t, "./"));
    std::string file = ReadTestFile("score.vro");
    EXPECT_EQ(file.substr(24 * 6, 20), name);  // no terminator in the file
    EXPECT_EQ(GetInt32(reinterpret_cast<const unsigned char*>(file.data()) + 24 * 6 + 20), 123);

    ScoreTable back;
    InitScores(back, "./");
    EXPECT_EQ(std::string(back.entries[6].name), name);
    EXPECT_EQ(back.entries[6].name[20], '\0');
    EXPECT_EQ(back.entries[6].moves, 123);
}

TEST(ScoreFile, AFileThatCannotBeReadIsNeverOverwritten)
{
    ScopedTempDir dir;
    WriteTestFile("score.vro/inside", "records");
    ScoreTable t;
    std::string err = CaptureStderr([&] { InitScores(t, "./"); });
    EXPECT_NE(err.find("score.vro"), std::string::npos) << err;
    for (const ScoreEntry& e : t.entries)
        ExpectDefault(e);
    EXPECT_EQ(SubmitScore(t, 0, 10), 1);
    err = CaptureStderr([&] { EXPECT_FALSE(SaveScores(t, "./")); });
    EXPECT_EQ(err, "unable to write score file\n");
    EXPECT_EQ(ReadTestFile("score.vro/inside"), "records");
}

TEST(ScoreFile, AFailedWriteSaysSoAndKeepsTheTable)
{
    ScopedTempDir dir;
    ScoreTable t;
    std::string err = CaptureStderr([&] { InitScores(t, "missing-dir/"); });
    EXPECT_EQ(err, "unable to write score file\n");
    EXPECT_EQ(SubmitScore(t, 1, 30), 1);
    err = CaptureStderr([&] { EXPECT_FALSE(SaveScores(t, "missing-dir/")); });
    EXPECT_EQ(err, "unable to write score file\n");
    EXPECT_EQ(t.entries[1].moves, 30);

    // Without a table nothing is written.
    FreeScores(t);
    err = CaptureStderr([&] { EXPECT_FALSE(SaveScores(t, "./")); });
    EXPECT_EQ(err, "");
    EXPECT_FALSE(TestFileExists("score.vro"));
}

TEST(ScoreRules, ARecordNeedsStrictlyFewerMoves)
{
    ScopedTempDir dir;
    ScoreTable t;
    InitScores(t, "./");
    EXPECT_EQ(SubmitScore(t, 2, 5000), 0);
    EXPECT_EQ(SubmitScore(t, 2, 6000), 0);
    EXPECT_EQ(t.entries[2].moves, 5000);
    EXPECT_EQ(SubmitScore(t, 2, 4999), 1);
    EXPECT_EQ(t.entries[2].moves, 4999);
    EXPECT_EQ(SubmitScore(t, 2, 4999), 0);
    EXPECT_EQ(SubmitScore(t, 2, 120), 1);
    EXPECT_EQ(t.entries[2].moves, 120);
}

TEST(ScoreRules, IndicesOutsideTheTableDoNothing)
{
    ScopedTempDir dir;
    ScoreTable t;
    InitScores(t, "./");
    SubmitScore(t, 9, 10);
    SetScoreName(t, 9, "LAST");
    const ScoreTable before = t;
    for (int level : {-1, 10, 1000, -2147483647 - 1}) {
        EXPECT_EQ(SubmitScore(t, level, 1), 0);
        SetScoreName(t, level, "X");
    }
    for (int page : {-1, 1, 2, 214748365})
        ResetScorePage(t, page);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(0, std::memcmp(t.entries[i].name, before.entries[i].name, 21));
        EXPECT_EQ(t.entries[i].moves, before.entries[i].moves);
    }
}

TEST(ScoreRules, F1ResetsEveryEntryOfThePage)
{
    ScopedTempDir dir;
    ScoreTable t;
    InitScores(t, "./");
    for (int i = 0; i < 10; ++i) {
        SubmitScore(t, i, 10 + i);
        SetScoreName(t, i, "ZED");
    }
    ASSERT_TRUE(SaveScores(t, "./"));
    ResetScorePage(t, 0);
    ASSERT_TRUE(SaveScores(t, "./"));
    for (const ScoreEntry& e : t.entries)
        ExpectDefault(e);
    ScoreTable back;
    InitScores(back, "./");
    for (const ScoreEntry& e : back.entries)
        ExpectDefault(e);
}

TEST(NameEditor, WinningARecordStartsFromTheLastConfirmedName)
{
    ScopedTempDir dir;
    ScoreTable t;
    InitScores(t, "./");
    NameEditor ed;

    // No record: no editor.
    EXPECT_EQ(RecordLevelWon(t, ed, 0, 5000), 0);
    EXPECT_EQ(ed.nameEntryActive, 0);

    EXPECT_EQ(RecordLevelWon(t, ed, 0, 300), 1);
    EXPECT_EQ(ed.nameEntryActive, 1);
    EXPECT_STREQ(ed.nameEdit, "noname");
    EXPECT_EQ(ed.length, 6);
    EXPECT_STREQ(t.entries[0].name, "noname");  // stored at once

    for (int i = 0; i < 6; ++i)
        UpdateNameEditor(ed, true, 0);
    UpdateNameEditor(ed, true, 0);  // nothing left to erase
    EXPECT_EQ(ed.length, 0);
    for (char c : std::string("Kim 7"))
        UpdateNameEditor(ed, false, static_cast<unsigned char>(c));
    EXPECT_TRUE(ConfirmScoreName(t, ed, "./"));
    EXPECT_EQ(ed.nameEntryActive, 0);
    EXPECT_STREQ(t.entries[0].name, "Kim 7");
    EXPECT_STREQ(t.playerName, "Kim 7");
    EXPECT_EQ(ReadTestFile("score.vro").substr(0, 24), Entry("Kim 7", 300));

    // The next record of the run starts from the confirmed name.
    EXPECT_EQ(RecordLevelWon(t, ed, 1, 80), 1);
    EXPECT_STREQ(ed.nameEdit, "Kim 7");
    EXPECT_EQ(ed.level, 1);

    // A new run starts from "noname" again.
    ScoreTable next;
    InitScores(next, "./");
    EXPECT_STREQ(next.playerName, "noname");
}

TEST(NameEditor, OnlyLettersDigitsAndSpacesUpToTwentyCharacters)
{
    ScopedTempDir dir;
    ScoreTable t;
    InitScores(t, "./");
    NameEditor ed;
    ASSERT_EQ(RecordLevelWon(t, ed, 4, 12), 1);
    const std::string start = ed.nameEdit;
    for (unsigned int c : {0xE9u, 0xC0u, 0x00FCu, 0x20ACu, static_cast<unsigned int>('-'),
                           static_cast<unsigned int>('_'), static_cast<unsigned int>('.'), 0u})
        UpdateNameEditor(ed, false, c);
    EXPECT_EQ(ed.nameEdit, start);

    // 0x141 has the low byte 'A' but is not 'A'.
    UpdateNameEditor(ed, false, 0x141u);
    EXPECT_EQ(ed.nameEdit, start);

    for (char c : std::string("aZ09 abcdefghijklmnopqr"))
        UpdateNameEditor(ed, false, static_cast<unsigned char>(c));
    EXPECT_EQ(ed.length, 20);
    EXPECT_EQ(std::string(ed.nameEdit), "nonameaZ09 abcdefghi");
    UpdateNameEditor(ed, false, 'x');  // a 21st character
    EXPECT_EQ(std::string(ed.nameEdit), "nonameaZ09 abcdefghi");
    // Backspace and a letter in the same frame: erase first, then append.
    UpdateNameEditor(ed, true, 'y');
    EXPECT_EQ(std::string(ed.nameEdit), "nonameaZ09 abcdefghy");

    // Inactive: keys change nothing.
    ASSERT_TRUE(ConfirmScoreName(t, ed, "./"));
    UpdateNameEditor(ed, true, 'q');
    EXPECT_EQ(std::string(ed.nameEdit), "nonameaZ09 abcdefghy");
    EXPECT_FALSE(ConfirmScoreName(t, ed, "./"));
}

}  // namespace
