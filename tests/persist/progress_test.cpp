// Level codes, the progress file and high scores.
#include "app/base/exception.h"
#include "fixtures.h"
#include "persist/levelcode.h"
#include "persist/score.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(LevelCodeFile, TablesOfZeroToTenCodesLoadAndAnyOtherIsRefusedWhole)
{
    ScopedTempDir dir;
    LevelCodes codes{1, {'K', 'E', 'E', 'P', 'S'}};
    // Missing, short of its count, negative, 5 × count overflowing, more codes
    // than levels, not capitals; the last one empty, and sound.
    const int counts[] = {0, 3, -1, 0x40000000, 11, 1, 0};
    const std::string letters[] = {"", "ABCDEFGHIJKLMN", "", std::string(50, 'A'), std::string(55, 'A'), "ABCDe", ""};
    for (int i = 0; i < 7; ++i) {
        std::string bytes, thrown;
        PutInt32(bytes, counts[i]);
        if (i > 0)
            WriteTestFile("data/level/levelcode.dat", bytes + letters[i]);
        try {
            loadLevelCodes(codes, "");
        } catch (const Exception& e) {
            thrown = e.message;
        }
        const bool loads = i == 6;
        EXPECT_EQ(thrown, loads ? "" : "can't load level code file : data/level/levelcode.dat") << i;
        EXPECT_EQ(std::string(codes.codes.begin(), codes.codes.end()) + std::to_string(codes.codeCount),
                  loads ? "0" : "KEEPS1");  // never left half-filled
    }
    EXPECT_EQ(LevelCode(codes, 0), nullptr);
}

TEST(LevelCodeEntry, TheFirstEqualCodeStartsItsLevelWithExactlyTheEarlierLevelsDone)
{
    ScopedTempDir dir;
    WriteTestFile("level/.keep", "");
    // Level 5 repeats the code of level 2; level 11 lies beyond the progress bytes.
    const std::string letters = "AAAAABBBBBCCCCCDDDDDBBBBBFFFFFGGGGGHHHHHIIIIIJJJJJKKKKK";
    const LevelCodes codes{11, {letters.begin(), letters.end()}};
    EXPECT_EQ(MatchCode(codes, "BBBBB"), 1);
    Progress progress;
    progress.done[4] = progress.done[7] = 1;
    CodeEntry entry;
    std::memcpy(entry.typedCode, "DDDDD", 5);
    EXPECT_EQ(EnterLevelCode(codes, entry, progress, "./"), 3);
    EXPECT_TRUE(entry.codeFound == 1 && entry.foundLevel == 3);
    const std::string expected("\1\1\1\0\1\0\0\1\0\0", 10);
    EXPECT_EQ(ReadTestFile("level/leveldata.dat"), expected);
    for (const char* refused : {"ZZZZZ", "KKKKK"}) {
        std::memcpy(entry.typedCode, refused, 5);
        EXPECT_EQ(EnterLevelCode(codes, entry, progress, "./"), -1) << refused;
        EXPECT_EQ(entry.codeFound, 0);
    }
    EXPECT_EQ(std::string(progress.done, progress.done + 10), expected);
}

TEST(LevelCodeGenerator, WritesTheListingAndTheTableAsTheGameReadsThem)
{
    ScopedTempDir dir;
    WriteTestFile("data/level/.keep", "");
    LevelCodes codes;
    ASSERT_EQ(GenerateLevelCodesSeeded(codes, 20, 7), 1);
    std::vector<std::string> lines = ReadTestLines("codes.txt");
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[0], "* Pondrake : Level codes *");
    EXPECT_EQ(lines[1] + lines[12] + lines[23], "");  // after the head, the 10th and the 20th code
    EXPECT_EQ(lines[2].substr(0, 20) + lines[22].substr(0, 20), "Level    1 - Code = Level   20 - Code = ");
    std::set<std::string> seen;
    for (int n = 0; n < 20; ++n) {
        const std::string code(LevelCode(codes, n), 5);
        EXPECT_EQ(lines[2 + n + n / 10].substr(20), code);
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(code[i] >= 'A' && code[i] <= 'Z' && (i == 0 || code[i] != code[i - 1])) << code;
        EXPECT_TRUE(seen.insert(code).second) << "repeated " << code;
    }
    const std::string table = ReadTestFile("data/level/levelcode.dat");
    EXPECT_EQ(table, EncodeLevelCodes(codes));
    // Counts it cannot make distinct codes for are refused, the old table kept.
    for (int count : {-1, kMaxDistinctCodes + 1})
        EXPECT_NE(CaptureStderr([&] { EXPECT_EQ(GenerateLevelCodesSeeded(codes, count, 3), 0); }), "");
    EXPECT_EQ(EncodeLevelCodes(codes) + ReadTestFile("data/level/levelcode.dat"), table + table);
}

TEST(ScoreFile, AFirstRunWritesTenDefaultEntriesAndRecordsNeedFewerMoves)
{
    ScopedTempDir dir;
    ScoreTable t;
    EXPECT_EQ(InitScores(t, "./"), 1);
    std::string defaults;
    for (int i = 0; i < 10; ++i)
        defaults += ScoreEntryBytes("VRO GAMES", 5000);
    EXPECT_EQ(ReadTestFile("score.vro"), defaults);

    const int moves[] = {5000, 6000, 4999, 4999, 120}, stored[] = {0, 0, 1, 0, 1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(SubmitScore(t, 6, moves[i]), stored[i]) << moves[i];
    SetScoreName(t, 6, "ABCDEFGHIJKLMNOPQRSTUVW");  // cut to 20, without a terminator in the file
    ASSERT_TRUE(SaveScores(t, "./"));
    EXPECT_EQ(ReadTestFile("score.vro").substr(24 * 6, 24), ScoreEntryBytes("ABCDEFGHIJKLMNOPQRST", 120));
    ScoreTable back;
    InitScores(back, "./");
    EXPECT_EQ(back.entries[6].name + std::to_string(back.entries[6].moves), "ABCDEFGHIJKLMNOPQRST120");

    // Nothing outside the table changes; F1 resets the page.
    const std::string before = ReadTestFile("score.vro");
    for (int index : {-1, 10, 1000, -2147483647 - 1}) {
        EXPECT_EQ(SubmitScore(t, index, 1), 0);
        SetScoreName(t, index, "X");
    }
    for (int page : {-1, 1, 2, 214748365})
        ResetScorePage(t, page);
    ASSERT_TRUE(SaveScores(t, "./"));
    EXPECT_EQ(ReadTestFile("score.vro"), before);
    ResetScorePage(t, 0);
    for (const ScoreEntry& e : t.entries)
        EXPECT_EQ(e.name + std::to_string(e.moves), "VRO GAMES5000");
}

TEST(NameEditor, ARecordStartsFromTheLastConfirmedNameAndTakesOnlyLettersDigitsAndSpaces)
{
    ScopedTempDir dir;
    ScoreTable t;
    InitScores(t, "./");
    NameEditor ed;
    ASSERT_EQ(RecordLevelWon(t, ed, 0, 300), 1);
    EXPECT_EQ(std::string(ed.nameEdit) + t.entries[0].name, "nonamenoname");  // stored at once
    // Accents, the euro, 0x141 (low byte 'A'), signs; 7 erases for 6 letters; 24 letters.
    for (unsigned int c : {0xE9u, 0xC0u, 0xFCu, 0x20ACu, 0x141u, 0x2Du, 0x5Fu, 0x2Eu, 0u})
        UpdateNameEditor(ed, false, c);
    for (int i = 0; i < 7; ++i)
        UpdateNameEditor(ed, true, 0);
    for (char c : std::string("Kim Z09 abcdefghijklmnop"))
        UpdateNameEditor(ed, false, static_cast<unsigned char>(c));
    UpdateNameEditor(ed, true, 'y');  // erase, then append, in one frame
    EXPECT_TRUE(ConfirmScoreName(t, ed, "./"));
    EXPECT_EQ(ReadTestFile("score.vro").substr(0, 24), ScoreEntryBytes("Kim Z09 abcdefghijky", 300));
    ASSERT_EQ(RecordLevelWon(t, ed, 1, 80), 1);
    EXPECT_STREQ(ed.nameEdit, "Kim Z09 abcdefghijky");
}

TEST(PlayerFiles, AMissingFileIsCreatedButOneThatCannotBeReadIsNeverReplaced)
{
    ScopedTempDir dir;
    WriteTestFile("game/level/.keep", "");
    Progress p;
    EXPECT_EQ(LoadProgress(p, "game/"), 1);
    EXPECT_EQ(ReadTestFile("game/level/leveldata.dat"), std::string(10, '\0'));

    // Directories in place of the files: they exist but cannot be read.
    WriteTestFile("level/leveldata.dat/inside", "progress");
    WriteTestFile("score.vro/inside", "records");
    p.done[2] = 1;
    ScoreTable t;
    std::string err = CaptureStderr([&] { LoadProgress(p, "./"); InitScores(t, "./"); });
    EXPECT_NE(err.find("level/leveldata.dat"), std::string::npos) << err;
    EXPECT_NE(err.find("score.vro"), std::string::npos) << err;
    EXPECT_EQ(std::string(p.done, p.done + 10), std::string(10, '\0'));
    for (const ScoreEntry& e : t.entries)
        EXPECT_EQ(e.name + std::to_string(e.moves), "VRO GAMES5000");
    EXPECT_TRUE(p.keepFile && t.keepFile);  // for the whole run
    CaptureStderr([&] { EXPECT_EQ(SaveProgress(p, "./"), 1); EXPECT_FALSE(SaveScores(t, "./")); });
    EXPECT_EQ(ReadTestFile("level/leveldata.dat/inside") + ReadTestFile("score.vro/inside"), "progressrecords");
}

}  // namespace
