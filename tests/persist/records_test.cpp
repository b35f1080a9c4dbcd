// Level codes, the progress file and high scores: damaged files read as far
// as they are sound, files that cannot be read left alone, full disks.
#include "fixtures.h"
#include "fuzz.h"
#include "persist/levelcode.h"
#include "persist/score.h"
#include "testdir.h"

#include "app/base/exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Table(const LevelCodes& c)
{
    return std::string(c.codes.begin(), c.codes.end()) + std::to_string(c.codeCount);
}

// Writes each damaged copy of good to path and hands it to check.
void ForEachDamagedFile(const char* path, const std::string& good, int rounds,
                        const std::function<void(const std::string&)>& check)
{
    ForEachDamagedCopy(good, rounds, static_cast<uint32_t>(good.size()), [&](const std::string& bytes, int) {
        std::remove(path);  // a file rewritten in place is flushed on close by ext4: slow
        WriteTestFile(path, bytes);
        check(bytes);
    });
}

TEST(LevelCodeFile, TablesOfUpToOneCodePerLevelLoadAnyOtherIsRefusedWholeAndDamagedOnesNeverHalfLoad)
{
    ScopedTempDir dir;
    LevelCodes codes{1, {'K', 'E', 'E', 'P', 'S'}};
    // Missing, short of its count, negative, 5 × count overflowing, more codes
    // than levels, not capitals; the last one empty, and sound.
    const int counts[] = {0, 3, -1, 0x40000000, kLevelCount + 1, 1, 0};
    const std::string letters[] = {
        "", "ABCDEFGHIJKLMN", "", std::string(50, 'A'), std::string(5 * kLevelCount + 5, 'A'), "ABCDe", ""};
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
        EXPECT_EQ(thrown + Table(codes), i == 6 ? "0"
                                                : "can't load level code file : data/level/levelcode.dat"
                                                  "KEEPS1")
            << i;
    }
    EXPECT_EQ(LevelCode(codes, 0), nullptr);
    std::string tooMany;  // more codes than levels, whole
    PutInt32(tooMany, kLevelCount + 1);
    EXPECT_FALSE(DecodeLevelCodes(tooMany + std::string(5 * kLevelCount + 5, 'A'), codes));
    std::string good;
    PutInt32(good, 10);
    int accepted = 0;
    ForEachDamagedFile("data/level/levelcode.dat", good + "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWX", 600,
                       [&](const std::string& bytes) {
                           LevelCodes c{1, {'Q', 'Q', 'Q', 'Q', 'Q'}};
                           try {
                               loadLevelCodes(c, "");
                               ++accepted;
                               EXPECT_EQ(EncodeLevelCodes(c),
                                         bytes.substr(0, 4 + 5 * static_cast<size_t>(c.codeCount)));
                           } catch (const Exception& e) {
                               EXPECT_EQ(e.message + Table(c), "can't load level code file : data/level/levelcode.dat"
                                                               "QQQQQ1");
                           }
                       });
    EXPECT_GT(accepted, 2);  // copies with a shorter count
}

TEST(LevelCodes, TheFirstEqualCodeStartsItsLevelWithTheEarlierLevelsDoneAndTheGeneratorWritesBothFiles)
{
    ScopedTempDir dir;
    WriteTestFile("level/.keep", "");
    WriteTestFile("data/level/.keep", "");
    // Level 5 repeats the code of level 2; the last code lies beyond the progress bytes.
    const std::string letters = "AAAAABBBBBCCCCCDDDDDBBBBB" + std::string(5 * kLevelCount - 25, 'F') + "KKKKK";
    LevelCodes codes{kLevelCount + 1, {letters.begin(), letters.end()}};
    EXPECT_EQ(MatchCode(codes, "BBBBB"), 1);
    Progress progress;
    progress.done[4] = progress.done[7] = 1;
    CodeEntry entry;
    std::memcpy(entry.typedCode, "DDDDD", 5);
    EXPECT_EQ(EnterLevelCode(codes, entry, progress, "./"), 3);
    EXPECT_TRUE(entry.codeFound == 1 && entry.foundLevel == 3);
    std::string expected("\1\1\1\0\1\0\0\1", 8);
    expected.resize(kLevelCount, '\0');
    EXPECT_EQ(ReadTestFile("level/leveldata.dat"), expected);
    for (const char* refused : {"ZZZZZ", "KKKKK"}) {
        std::memcpy(entry.typedCode, refused, 5);
        EXPECT_EQ(EnterLevelCode(codes, entry, progress, "./") * 10 + entry.codeFound, -10) << refused;
    }
    EXPECT_EQ(std::string(progress.done, progress.done + kLevelCount), expected);

    ASSERT_EQ(GenerateLevelCodesSeeded(codes, 20, 7), 1);
    const std::vector<std::string> lines = ReadTestLines("codes.txt");
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[0] + lines[1] + lines[12] + lines[23],
              "* Pondrake : Level codes *");  // and an empty line after every tenth
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
    for (int count : {-1, kMaxDistinctCodes + 1})  // counts without distinct codes: refused, the old table kept
        EXPECT_NE(CaptureStderr([&] { EXPECT_EQ(GenerateLevelCodesSeeded(codes, count, 3), 0); }), "");
    EXPECT_EQ(EncodeLevelCodes(codes) + ReadTestFile("data/level/levelcode.dat"), table + table);
    ASSERT_EQ(GenerateLevelCodesSeeded(codes, 5000, 1), 1);  // enough codes for chance to repeat one
    seen.clear();
    for (int n = 0; n < 5000; ++n)
        seen.insert(std::string(LevelCode(codes, n), 5));
    EXPECT_EQ(seen.size(), 5000u);
}

TEST(ScoreFile, AFirstRunWritesADefaultEntryPerLevelAndARecordNeedsFewerMovesAndTakesOnlyLettersDigitsAndSpaces)
{
    ScopedTempDir dir;
    ScoreTable t;
    InitScores(t, "./");
    std::string defaults;
    for (int i = 0; i < kScoreEntries; ++i)
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
    EXPECT_EQ(back.entries[6].name + std::to_string(back.entries[6].moves) + t.entries[6].name,
              "ABCDEFGHIJKLMNOPQRST120ABCDEFGHIJKLMNOPQRST");
    const std::string before = ReadTestFile("score.vro");  // nothing outside the table changes
    for (int index : {-1, kScoreEntries, 1000, -2147483647 - 1}) {
        EXPECT_EQ(SubmitScore(t, index, 1), 0);
        SetScoreName(t, index, "X");
    }
    for (int page : {-1, kScoreEntries / 10, 214748365})
        ResetScorePage(t, page);
    ASSERT_TRUE(SaveScores(t, "./"));
    EXPECT_EQ(ReadTestFile("score.vro"), before);
    ResetScorePage(t, 0);  // F1 resets the page
    for (const ScoreEntry& e : t.entries)
        EXPECT_EQ(e.name + std::to_string(e.moves), "VRO GAMES5000");

    NameEditor ed;
    ASSERT_EQ(RecordLevelWon(t, ed, 0, 300), 1);
    EXPECT_EQ(std::string(ed.nameEdit) + t.entries[0].name, "nonamenoname");  // stored at once
    // Accents, the euro, 0x141 (low byte 'A'), signs; 6 erases for the 6 letters; 24 letters.
    for (unsigned int c : {0xE9u, 0xC0u, 0xFCu, 0x20ACu, 0x141u, 0x2Du, 0x5Fu, 0x2Eu, 0u})
        UpdateNameEditor(ed, false, c);
    for (int i = 0; i < 6; ++i)
        UpdateNameEditor(ed, true, 0);
    for (char c : std::string("Kim Z09 abcdefghijklmnop"))
        UpdateNameEditor(ed, false, static_cast<unsigned char>(c));
    UpdateNameEditor(ed, true, 'y');  // erase, then append, in one frame
    EXPECT_TRUE(ConfirmScoreName(t, ed, "./"));
    EXPECT_EQ(ReadTestFile("score.vro").substr(0, 24), ScoreEntryBytes("Kim Z09 abcdefghijky", 300));
    ASSERT_EQ(RecordLevelWon(t, ed, 1, 80), 1);
    EXPECT_STREQ(ed.nameEdit, "Kim Z09 abcdefghijky");  // the last confirmed name
}

TEST(PlayerFiles, DamagedFilesAreReadAsFarAsTheyAreSoundAndNeverRewritten)
{
    ScopedTempDir dir;
    std::string good;
    for (int i = 0; i < 10; ++i)
        good += ScoreEntryBytes("PLAYER" + std::to_string(i), 100 + i);
    ForEachDamagedFile("score.vro", good, 300, [&](const std::string& bytes) {
        ScoreTable t;
        InitScores(t, "./");
        std::string loaded, expected = bytes.substr(0, bytes.size() / 24 * 24);
        for (const ScoreEntry& e : t.entries)
            loaded.append(e.name, 21), PutInt32(loaded, e.moves);
        while (expected.size() < size_t(kScoreFileBytes))
            expected += ScoreEntryBytes("VRO GAMES", 5000);  // only whole entries are read
        for (int i = 0; i < kScoreEntries; ++i)
            expected.insert(20 + 25 * i, 1, '\0');  // each name ends within its 21 bytes
        EXPECT_EQ(loaded, expected);
        EXPECT_STREQ(t.playerName, "noname");  // nothing past the table is read
        EXPECT_EQ(ReadTestFile("score.vro"), bytes);
    });
    ForEachDamagedFile("level/leveldata.dat", std::string("\1\1\0\1\0\0\0\0\0\1", 10), 300,
                       [&](const std::string& bytes) {
                           Progress p;
                           LoadProgress(p, "./");
                           std::string expected = bytes.substr(0, kLevelCount);
                           expected.resize(kLevelCount, '\0');
                           EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.done), kLevelCount), expected);
                           EXPECT_EQ(ReadTestFile("level/leveldata.dat"), bytes);
                       });
}

TEST(PlayerFiles, AMissingFileIsCreatedButOneThatCannotBeReadIsNeverReplaced)
{
    ScopedTempDir dir;
    WriteTestFile("game/level/.keep", "");
    Progress p;
    EXPECT_EQ(LoadProgress(p, "game/"), 1);
    EXPECT_EQ(ReadTestFile("game/level/leveldata.dat"), std::string(kLevelCount, '\0'));
    // A FIFO and a directory in place of the files: they exist but cannot be read.
    WriteTestFile("level/.keep", "");
    ASSERT_EQ(mkfifo("level/leveldata.dat", 0644), 0);
    WriteTestFile("score.vro/inside", "records");
    p.done[2] = 1;
    ScoreTable t;
    EXPECT_EQ(CaptureStderr([&] { LoadProgress(p, "./"), InitScores(t, "./"); }),
              "can't read progress file ./level/leveldata.dat : left as it is\ncan't read score file ./score.vro : "
              "left as it is\n");
    EXPECT_EQ(std::string(p.done, p.done + kLevelCount), std::string(kLevelCount, '\0'));
    for (const ScoreEntry& e : t.entries)
        EXPECT_EQ(e.name + std::to_string(e.moves), "VRO GAMES5000");
    EXPECT_TRUE(p.keepFile && t.keepFile);  // for the whole run
    CaptureStderr([&] { EXPECT_TRUE(SaveProgress(p, "./") == 1 && !SaveScores(t, "./")); });
    EXPECT_TRUE(std::filesystem::is_fifo("level/leveldata.dat"));
    EXPECT_EQ(ReadTestFile("score.vro/inside"), "records");
}

// "/dev/full" standing where a temporary file goes is a disk with no room left.
TEST(PlayerFiles, AFailedWriteKeepsEveryFileWholeAndIsSaid)
{
    ScopedTempDir dir;
    for (const char* keep : {"save/.keep", "level/.keep", "data/level/.keep"})
        WriteTestFile(keep, "");
    ASSERT_TRUE(SaveGame(4, "./", MidGameSlot()));
    ScoreTable scores;
    InitScores(scores, "./");
    Progress progress;
    ASSERT_EQ(SaveProgress(progress, "./"), 0);
    LevelCodes codes;
    ASSERT_EQ(GenerateLevelCodesSeeded(codes, 10, 1), 1);
    const std::vector<char> oldCodes = codes.codes;
    const std::string files[] = {"save/save04.vro", "score.vro", "level/leveldata.dat", "codes.txt",
                                 "data/level/levelcode.dat"};
    std::vector<std::string> before;
    for (const std::string& f : files) {
        before.push_back(ReadTestFile(f));
        ASSERT_EQ(symlink("/dev/full", (f + ".tmp").c_str()), 0) << f;
    }
    SlotData newGame = MidGameSlot();
    newGame.moves = 999;
    SubmitScore(scores, 5, 7);
    progress.done[1] = 1;
    EXPECT_EQ(
        CaptureStderr([&] {
            EXPECT_FALSE(SaveGame(4, "./", newGame));
            EXPECT_FALSE(SaveScores(scores, "./"));
            EXPECT_EQ(SaveProgress(progress, "./"), 1);
            EXPECT_EQ(GenerateLevelCodesSeeded(codes, 10, 2), 0);  // the listing fails,
            EXPECT_EQ(GenerateLevelCodesSeeded(codes, 10, 2), 0);  // then, with it staged, the table
        }),
        "unable to write save file ./save/save04.vro\nunable to write score file\n"
        "unable to write progress file ./level/leveldata.dat\ncan't create codes.txt\ncan't create level code file\n");
    for (size_t i = 0; i < before.size(); ++i) {
        ASSERT_FALSE(std::filesystem::is_symlink(files[i])) << files[i];  // it would read as endless zeros
        EXPECT_EQ(ReadTestFile(files[i]) + std::to_string(TestFileExists(files[i] + ".tmp")), before[i] + "0")
            << files[i];
    }
    EXPECT_EQ(codes.codes, oldCodes);
}

}  // namespace
