// The player's files: level codes, the progress file and high scores read
// as far as they are sound, files that cannot be read left alone, full
// disks; saved games: the slot file's layout, the one check of a slot,
// damaged files, and the running game saved and loaded back through the
// puzzle core.
#include "app/base/bytes.h"
#include "app/base/exception.h"
#include "fuzz.h"
#include "persist/levelcode.h"
#include "persist/savegame.h"
#include "persist/score.h"
#include "persist/slotgame.h"
#include "puzzledriver.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFixtureLevelCount = 10;
constexpr int kFixtureBlocks = 3;

int Cell(int x, int y)
{
    return y * kSlotBoardWidth + x;
}

// Level 4 (of ten), Hard, 57 moves, the car carrying a bomb; three blocks:
// fixed on a target (15), movable on a target (100), on the floor (14); an
// empty target; a bomb; two walls.
SlotData MidGameSlot()
{
    SlotData s;
    s.level = 4, s.difficulty = 3, s.moves = 57, s.bombCarried = 5, s.carX = s.carY = 3, s.heading = 90.0f;
    std::memset(s.targetMap, kSlotNoIndex, sizeof s.targetMap);
    std::memset(s.blockMap, kSlotNoIndex, sizeof s.blockMap);
    const int marks[][4] = {// cell, code, target index, block index
                            {Cell(2, 2), 2, 255, 255},  {Cell(5, 5), 15, 0, 2},    {Cell(6, 5), 100, 1, 0},
                            {Cell(7, 5), 1, 2, 255},    {Cell(10, 7), 14, 255, 1}, {Cell(12, 12), 5, 255, 255},
                            {Cell(0, 0), 21, 255, 255}, {Cell(0, 3), 22, 255, 255}};
    for (auto [cell, code, target, block] : marks)
        s.cells[cell] = uint8_t(code), s.targetMap[cell] = uint8_t(target), s.blockMap[cell] = uint8_t(block);
    s.blockCount = kFixtureBlocks;
    std::memcpy(s.targetColours, "\0\1\2", 3);
    std::memcpy(s.blockColours, "\1\2\0", 3);
    return s;
}

// 3 blocks for level 4, none for level 0; the other levels cannot be read.
int FixtureBlockCount(int level)
{
    return level == 4 ? kFixtureBlocks : level == 0 ? 0 : -1;
}

std::string ScoreEntryBytes(std::string name, int32_t moves)
{
    name.resize(20, '\0');
    PutInt32(name, moves);
    return name;
}

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

TEST(SlotFile, SavedGamesRoundTripInTheLayoutOtherBuildsWrite)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    ASSERT_TRUE(SaveGame(3, "./", MidGameSlot()));
    const std::string b = ReadTestFile("save/save03.vro");
    ASSERT_EQ(b.size(), 938u);  // level, difficulty, moves, bomb, car x and y, heading 90.0f
    EXPECT_EQ(b.substr(0, 28), std::string("\4\0\0\0\3\0\0\0\x39\0\0\0\5\0\0\0\3\0\0\0\3\0\0\0\0\0\xb4\x42", 28));
    EXPECT_EQ(std::string({b[28 + Cell(5, 5)], b[328 + Cell(7, 5)], b[628 + Cell(10, 7)]}),
              "\x0f\2\1");                                              // cell, indices
    EXPECT_EQ(b.substr(928), std::string("\3\0\0\0\0\1\2\1\2\0", 10));  // N, the colours
    SlotData loaded;
    ASSERT_TRUE(LoadGame(3, "./", kFixtureLevelCount, FixtureBlockCount, loaded));
    EXPECT_EQ(EncodeSlot(loaded), b);
    SlotData empty;  // a level without blocks: 932 bytes
    std::memset(empty.targetMap, kSlotNoIndex, sizeof empty.targetMap);
    std::memset(empty.blockMap, kSlotNoIndex, sizeof empty.blockMap);
    ASSERT_TRUE(SaveGame(0, "./", empty));
    EXPECT_EQ(ReadTestFile("save/save00.vro").size(), 932u);
    ASSERT_TRUE(LoadGame(0, "./", kFixtureLevelCount, FixtureBlockCount, loaded));
    EXPECT_EQ(EncodeSlot(loaded), EncodeSlot(empty));
}

TEST(SlotCheck, EveryFieldIsChecked)
{
    const struct {
        const char* what;
        void (*damage)(SlotData&);
        SlotFault fault;
    } cases[] = {
        {"level beyond the game", [](SlotData& s) { s.level = 10; }, SlotFault::Level},
        {"negative level", [](SlotData& s) { s.level = -1; }, SlotFault::Level},
        {"unreadable level", [](SlotData& s) { s.level = 2; }, SlotFault::Level},
        {"block count differs", [](SlotData& s) { s.blockCount = 2; }, SlotFault::BlockCount},
        {"N above the blocks a level holds", [](SlotData& s) { s.blockCount = 201; }, SlotFault::Size},
        {"negative N", [](SlotData& s) { s.blockCount = -1; }, SlotFault::Size},
        {"difficulty 0", [](SlotData& s) { s.difficulty = 0; }, SlotFault::Difficulty},
        {"difficulty 4", [](SlotData& s) { s.difficulty = 4; }, SlotFault::Difficulty},
        {"negative moves", [](SlotData& s) { s.moves = -3; }, SlotFault::Moves},
        {"bomb 3", [](SlotData& s) { s.bombCarried = 3; }, SlotFault::Bomb},
        {"heading NaN", [](SlotData& s) { s.heading = std::numeric_limits<float>::quiet_NaN(); }, SlotFault::Heading},
        {"heading infinite", [](SlotData& s) { s.heading = std::numeric_limits<float>::infinity(); },
         SlotFault::Heading},
        {"car left of the board", [](SlotData& s) { s.carX = -1; }, SlotFault::Car},
        {"car below the board", [](SlotData& s) { s.carY = 15; }, SlotFault::Car},
        {"car in a wall", [](SlotData& s) { s.carX = 0; }, SlotFault::Car},
        {"car on a block", [](SlotData& s) { s.carX = 10, s.carY = 7; }, SlotFault::Car},
        {"cell 16", [](SlotData& s) { s.cells[Cell(8, 8)] = 16; }, SlotFault::Cell},
        {"five bombs", [](SlotData& s) { std::memset(&s.cells[Cell(1, 10)], 5, 4); }, SlotFault::Bombs},
        {"target colour 5", [](SlotData& s) { s.targetColours[2] = 5; }, SlotFault::Colour},
        {"block colour 200", [](SlotData& s) { s.blockColours[0] = 200; }, SlotFault::Colour},
        {"target index on floor", [](SlotData& s) { s.targetMap[Cell(8, 8)] = 0; }, SlotFault::TargetMap},
        {"target without index", [](SlotData& s) { s.targetMap[Cell(7, 5)] = 255; }, SlotFault::TargetMap},
        {"target index too high", [](SlotData& s) { s.targetMap[Cell(7, 5)] = 3; }, SlotFault::TargetMap},
        {"block index on floor", [](SlotData& s) { s.blockMap[Cell(8, 8)] = 1; }, SlotFault::BlockMap},
        {"block index twice", [](SlotData& s) { s.blockMap[Cell(10, 7)] = 0; }, SlotFault::BlockMap},
        {"block index too high", [](SlotData& s) { s.blockMap[Cell(10, 7)] = 3; }, SlotFault::BlockMap},
        {"block index on a target", [](SlotData& s) { s.blockMap[Cell(7, 5)] = 1; }, SlotFault::BlockMap},
        {"a block gained", [](SlotData& s) { s.cells[Cell(8, 8)] = 14, s.blockMap[Cell(8, 8)] = 3; },
         SlotFault::BlockMap},
        {"a block lost", [](SlotData& s) { s.cells[Cell(10, 7)] = 0, s.blockMap[Cell(10, 7)] = 255; },
         SlotFault::BlockMap},
        {"225 targets, more than the colour lists hold",
         [](SlotData& s) {
             for (int i = 0, next = 3; i < kSlotCells && next < 225; ++i)
                 if (s.cells[i] == 0)
                     s.cells[i] = 1, s.targetMap[i] = static_cast<unsigned char>(next++);
         },
         SlotFault::TargetMap},
    };
    EXPECT_EQ(CheckSlot(MidGameSlot(), kFixtureLevelCount, kFixtureBlocks), SlotFault::None);
    for (const auto& c : cases) {
        SlotData s = MidGameSlot();
        c.damage(s);
        EXPECT_EQ(CheckSlot(s, kFixtureLevelCount, FixtureBlockCount(s.level)), c.fault) << c.what;
    }
    SlotData beyond = MidGameSlot();  // levels the game has but the progress bytes do not
    beyond.level = kLevelCount;
    EXPECT_EQ(CheckSlot(beyond, kLevelCount + 2, kFixtureBlocks), SlotFault::Level);
    EXPECT_EQ(CheckSlot(MidGameSlot(), 4, kFixtureBlocks), SlotFault::Level);
    for (int32_t n : {201, 224, -1, 0x7fffffff}) {  // N outside 0 … 200, with as many colour bytes
        std::string bytes = EncodeSlot(MidGameSlot()).substr(0, 928);
        PutInt32(bytes, n);
        bytes += std::string(n > 0 && n < 300 ? 2 * static_cast<size_t>(n) : 0, '\0');
        EXPECT_EQ(DecodeSlot(bytes, beyond), SlotFault::Size) << n;
    }
}

TEST(SlotFile, DamagedCopiesLoadExactlyAsWrittenOrLeaveTheGameUntouchedAndShowAsDamaged)
{
    ScopedTempDir dir;
    WriteTestFile("save/save06.vro/inside", "");  // exists, cannot be read
    int accepted = 0;
    SlotSummary rows[kSlotCount];
    ForEachDamagedCopy(EncodeSlot(MidGameSlot()), 1200, 7, [&](const std::string& bytes, int round) {
        std::remove("save/save01.vro");  // a file rewritten in place is flushed on close by ext4: slow
        WriteTestFile("save/save01.vro", round ? bytes : EncodeSlot(MidGameSlot()));
        SlotData game;
        game.moves = 4321;
        const std::string before = EncodeSlot(game);
        SlotFault fault;
        bool ok = false;
        CaptureStderr([&] { ok = LoadGame(1, "./", kFixtureLevelCount, FixtureBlockCount, game, &fault); });
        accepted += ok;
        EXPECT_EQ(fault == SlotFault::None, ok);
        EXPECT_EQ(EncodeSlot(game), ok ? ReadTestFile("save/save01.vro") : before);
        ReadSlotSummaries(rows, "./", kFixtureLevelCount, FixtureBlockCount);
        EXPECT_TRUE(rows[1].slot == 1 && rows[1].damaged == !ok && (SlotDifficultyKey(rows[1]) != nullptr) == ok);
        EXPECT_TRUE(rows[6].slot == 6 && rows[6].damaged && !rows[6].difficulty && !SlotDifficultyKey(rows[6]));
    });
    EXPECT_GT(accepted, 1);                       // the sound file, and some harmless one-byte changes
    WriteTestFile("save/save01.vro", "damaged");  // can be saved over
    ASSERT_TRUE(SaveGame(1, "./", MidGameSlot()));
    ReadSlotSummaries(rows, "./", kFixtureLevelCount, FixtureBlockCount);
    EXPECT_TRUE(rows[1].level == 4 && rows[1].difficulty == 3 && !rows[1].damaged && rows[0].slot == -1);
    EXPECT_STREQ(SlotDifficultyKey(rows[1]), "Hard");
}

// Level 5: three blocks and four targets; the block above the bottom row is
// fixed once pushed onto the target below it.
const char* const kLevel5 = "/ =//               *////          $ .//                 .///     @/     $/     .";

std::string Position(const Puzzle& p)
{
    SavedPosition s;
    TakeSavedPosition(p, s);
    for (uint8_t& c : s.cells)
        c = c == kCellBlockFixed ? uint8_t(kCellBlockOnTarget) : c;  // a load frees it until examined
    return std::to_string(p.levelIndex) + "/" + std::string(reinterpret_cast<const char*>(&s), sizeof s);
}

// The slot list as the game reads it.
SlotSummary ListedSlot(int slot)
{
    SlotSummary rows[kSlotCount];
    ReadSlotSummaries(rows, "./", kLevelCount, [](int level) { return ReadSavedBlockCount("", level); });
    return rows[slot];
}

TEST(RunningGame, ComesBackExactlyAsSavedWhateverTheLengthOfTheLevelsPairingList)
{
    for (auto [pairs, difficulty] : {std::pair{3, kHard}, {1, kHard}, {0, kHard}, {5, kHard}, {3, kEasy}}) {
        SCOPED_TRACE(pairs);
        PuzzleBench t;
        WriteTestFile("save/.keep", "");
        LevelFileData d = LevelFromText(Rows(kLevel5));
        d.cells[13 * 20 + 6] = kCellBomb;  // on Easy the car carries it when the game is saved
        d.pairing.assign(size_t(pairs), 0);
        t.StartData(d, difficulty, 4);
        EXPECT_EQ(ReadSavedBlockCount("", 4), 3);
        EXPECT_EQ(t.Play("DRU"), "pmm");
        ASSERT_EQ(t.Cell(5, 14), kCellBlockFixed);
        const std::string saved = Position(t.p);
        ASSERT_TRUE(SaveRunningGame(3, "./", "", t.p));
        const SlotSummary listed = ListedSlot(3);
        EXPECT_TRUE(listed.slot == 3 && listed.level == 4 && !listed.damaged && listed.difficulty == difficulty);
        // Play on, on another difficulty, then load: a level start that
        // mirrored would now mirror both ways.
        ChangeDifficulty(t.p, kEasy);
        t.Play("L");
        t.hooks.randomValues = {1, 1};
        ASSERT_TRUE(LoadSavedGame(t.p, 3, "./", ""));
        EXPECT_EQ(Position(t.p), saved);
        // No undo; four targets, the fourth (its colour not stored) with its
        // level-start colour on Hard: index mod 2 on this level.
        EXPECT_EQ(FormatText("%d/%d/%d/%d", t.p.undoCount, t.p.targetCount, t.p.targetColour[3], t.p.bombCarried),
                  difficulty == kHard ? "0/4/1/0" : "0/4/0/5");
    }
}

TEST(RunningGame, ASlotThatDoesNotFitItsLevelAnyMoreIsNeitherListedNorLoaded)
{
    PuzzleBench t;
    WriteTestFile("save/.keep", "");
    t.StartData(LevelFromText(Rows(kLevel5)), kHard, 4);
    ASSERT_TRUE(SaveRunningGame(1, "./", "", t.p));
    t.Play("D");
    const std::string before = Position(t.p) + FormatText("/%d/%d", t.p.targetCount, t.p.undoCount);
    std::string lost = kLevel5;
    lost[lost.find('$')] = ' ';  // the level lost a block since the save
    WriteLevel(4, LevelFromText(Rows(lost)));
    EXPECT_TRUE(ListedSlot(1).damaged);
    const std::string err = CaptureStderr([&] { EXPECT_FALSE(LoadSavedGame(t.p, 1, "./", "")); });
    EXPECT_EQ(err, "damaged save file ./save/save01.vro : block count differs from the level\n");
    EXPECT_EQ(Position(t.p) + FormatText("/%d/%d", t.p.targetCount, t.p.undoCount), before);
    // A game that could not be loaded back is never written.
    t.StartData(LevelFromText(Rows(kLevel5)), kHard, 4);
    WriteLevelBytes(4, "LVL");
    EXPECT_EQ(ReadSavedBlockCount("", 4) + ReadSavedBlockCount("", 5) + ReadSavedBlockCount("", -1), -3);
    EXPECT_EQ(CaptureStderr([&] { EXPECT_FALSE(SaveRunningGame(2, "./", "", t.p)); }),
              "unable to write save file ./save/save02.vro : unknown level\n");
    EXPECT_FALSE(TestFileExists("save/save02.vro"));
}

}  // namespace
