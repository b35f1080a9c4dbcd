// Saved games; damaged files of every kind, refused or read as far as they are
// sound, never a crash (also run in the sanitizer build); failed writes.
#include "app/base/exception.h"
#include "fixtures.h"
#include "persist/levelcode.h"
#include "persist/score.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <random>
#include <unistd.h>

namespace {

TEST(SlotFile, SavedGamesRoundTripInTheLayoutOtherBuildsWrite)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    ASSERT_TRUE(SaveGame(3, "./", MidGameSlot()));
    const std::string b = ReadTestFile("save/save03.vro");
    ASSERT_EQ(b.size(), 938u);  // level, difficulty, moves, bomb, car x and y, heading 90.0f
    EXPECT_EQ(b.substr(0, 28), std::string("\4\0\0\0\3\0\0\0\x39\0\0\0\5\0\0\0\3\0\0\0\3\0\0\0\0\0\xb4\x42", 28));
    EXPECT_EQ(std::string({b[28 + Cell(5, 5)], b[328 + Cell(7, 5)], b[628 + Cell(10, 7)]}), "\x0f\2\1");  // cell, indices
    EXPECT_EQ(b.substr(928), std::string("\3\0\0\0\0\1\2\1\2\0", 10));  // N, the colours
    SlotData loaded;
    ASSERT_TRUE(LoadGame(3, "./", kFixtureLevelCount, FixtureBlockCount, loaded));
    EXPECT_EQ(EncodeSlot(loaded), b);

    SlotData second = MidGameSlot();  // saving twice keeps the second game
    second.moves = 99;
    ASSERT_TRUE(SaveGame(3, "./", second));
    ASSERT_TRUE(LoadGame(3, "./", kFixtureLevelCount, FixtureBlockCount, loaded));
    EXPECT_EQ(loaded.moves, 99);
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
        {"difficulty 0", [](SlotData& s) { s.difficulty = 0; }, SlotFault::Difficulty},
        {"difficulty 4", [](SlotData& s) { s.difficulty = 4; }, SlotFault::Difficulty},
        {"negative moves", [](SlotData& s) { s.moves = -3; }, SlotFault::Moves},
        {"bomb 3", [](SlotData& s) { s.bombCarried = 3; }, SlotFault::Bomb},
        {"heading NaN", [](SlotData& s) { s.heading = std::numeric_limits<float>::quiet_NaN(); }, SlotFault::Heading},
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
        {"block index on a target", [](SlotData& s) { s.blockMap[Cell(7, 5)] = 1; }, SlotFault::BlockMap},
        {"block index too high", [](SlotData& s) { s.blockMap[Cell(10, 7)] = 3; }, SlotFault::BlockMap},
        {"a block gained", [](SlotData& s) { s.cells[Cell(8, 8)] = 14, s.blockMap[Cell(8, 8)] = 3; },
         SlotFault::BlockMap},
        {"N above the blocks", [](SlotData& s) { s.blockCount = 201; }, SlotFault::Size},
        {"negative N", [](SlotData& s) { s.blockCount = -1; }, SlotFault::Size},
        {"a block lost", [](SlotData& s) { s.cells[Cell(10, 7)] = 0, s.blockMap[Cell(10, 7)] = 255; },
         SlotFault::BlockMap},
        {"every floor cell a target, numbered on from 3: more than the colour lists hold",
         [](SlotData& s) {
             for (int i = 0, next = 3; i < kSlotCells; ++i)
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
    beyond.level = 10;
    EXPECT_EQ(CheckSlot(beyond, 12, kFixtureBlocks), SlotFault::Level);
    EXPECT_EQ(CheckSlot(MidGameSlot(), 4, kFixtureBlocks), SlotFault::Level);
    // N above 200 (the colour lists hold 224) or negative, with as many colour bytes.
    for (int32_t n : {201, 224, -1, 0x7fffffff}) {
        std::string bytes = EncodeSlot(MidGameSlot()).substr(0, 928);
        PutInt32(bytes, n);
        bytes += std::string(n > 0 && n < 300 ? 2 * static_cast<size_t>(n) : 0, '\0');
        EXPECT_EQ(DecodeSlot(bytes, beyond), SlotFault::Size) << n;
    }
}

// Writes to path, and hands to check, every truncation of a sound file, the file with a
// byte added, 300 random files of up to randomMax bytes, 600 copies with one byte changed.
void Fuzz(const char* path, const std::string& good, size_t randomMax,
          const std::function<void(const std::string&)>& check)
{
    std::mt19937 rng(static_cast<unsigned>(good.size()));
    auto feed = [&](const std::string& bytes) {
        std::remove(path);  // a file rewritten in place is flushed on close by ext4: slow
        WriteTestFile(path, bytes);
        check(bytes);
    };
    for (size_t n = 0; n <= good.size(); ++n)
        feed(good.substr(0, n));
    feed(good + "x");
    for (int i = 0; i < 300; ++i) {
        std::string s(rng() % (randomMax + 1), '\0');
        for (char& c : s)
            c = static_cast<char>(rng() & 0xff);
        feed(s);
    }
    for (int i = 0; i < 600; ++i) {
        std::string s = good;
        s[rng() % s.size()] = static_cast<char>(rng() & 0xff);
        feed(s);
    }
}

TEST(Fuzz, SlotFilesLoadExactlyAsWrittenOrLeaveTheGameUntouchedAndShowAsDamaged)
{
    ScopedTempDir dir;
    WriteTestFile("save/save06.vro/inside", "");  // exists, cannot be read
    int accepted = 0;
    SlotSummary rows[kSlotCount];
    Fuzz("save/save01.vro", EncodeSlot(MidGameSlot()), 1400, [&](const std::string& bytes) {
        SlotData game;
        game.moves = 4321;
        const std::string before = EncodeSlot(game);
        SlotFault fault;
        bool ok = false;
        CaptureStderr([&] { ok = LoadGame(1, "./", kFixtureLevelCount, FixtureBlockCount, game, &fault); });
        accepted += ok;
        EXPECT_EQ(fault == SlotFault::None, ok);
        EXPECT_EQ(EncodeSlot(game), ok ? bytes : before);
        EXPECT_TRUE(!ok || CheckSlot(game, kFixtureLevelCount, FixtureBlockCount(game.level)) == SlotFault::None);
        ReadSlotSummaries(rows, "./", kFixtureLevelCount, FixtureBlockCount);
        EXPECT_TRUE(rows[1].slot == 1 && rows[1].damaged == !ok && (SlotDifficultyKey(rows[1]) != nullptr) == ok);
        EXPECT_TRUE(rows[6].slot == 6 && rows[6].damaged && !rows[6].difficulty && !SlotDifficultyKey(rows[6]));
    });
    EXPECT_GT(accepted, 1);  // the sound file, and some harmless one-byte changes
    WriteTestFile("save/save01.vro", "damaged");  // can be saved over
    ASSERT_TRUE(SaveGame(1, "./", MidGameSlot()));
    ReadSlotSummaries(rows, "./", kFixtureLevelCount, FixtureBlockCount);
    EXPECT_TRUE(rows[1].level == 4 && rows[1].difficulty == 3 && !rows[1].damaged);
    EXPECT_STREQ(SlotDifficultyKey(rows[1]), "Hard");
}

TEST(Fuzz, ScoreProgressAndCodeFilesAreReadAsFarAsTheyAreSoundAndNeverRewritten)
{
    ScopedTempDir dir;
    std::string good;
    for (int i = 0; i < 10; ++i)
        good += ScoreEntryBytes("PLAYER" + std::to_string(i), 100 + i);
    Fuzz("score.vro", good, 600, [&](const std::string& bytes) {
        ScoreTable t;
        InitScores(t, "./");
        std::string loaded, expected = bytes.substr(0, std::min<size_t>(bytes.size(), 240) / 24 * 24);
        for (const ScoreEntry& e : t.entries) {
            EXPECT_EQ(e.name[20], '\0');
            loaded.append(e.name, 20);
            PutInt32(loaded, e.moves);
        }
        while (expected.size() < 240)
            expected += ScoreEntryBytes("VRO GAMES", 5000);  // only whole entries are read
        EXPECT_EQ(loaded, expected);
        EXPECT_STREQ(t.playerName, "noname");  // nothing past the table is written
        EXPECT_EQ(ReadTestFile("score.vro"), bytes);
    });
    Fuzz("level/leveldata.dat", std::string("\1\1\0\1\0\0\0\0\0\1", 10), 40, [&](const std::string& bytes) {
        Progress p;
        LoadProgress(p, "./");
        std::string expected = bytes.substr(0, 10);
        expected.resize(10, '\0');
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.done), 10), expected);
        EXPECT_EQ(ReadTestFile("level/leveldata.dat"), bytes);
    });
    good.clear();
    PutInt32(good, 10);
    good += "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWX";
    int accepted = 0;
    Fuzz("data/level/levelcode.dat", good, 80, [&](const std::string& bytes) {
        LevelCodes codes{1, {'Q', 'Q', 'Q', 'Q', 'Q'}};
        try {
            loadLevelCodes(codes, "");
            ++accepted;
            ASSERT_LE(codes.codeCount, kLevelCount);
            EXPECT_EQ(EncodeLevelCodes(codes), bytes.substr(0, 4 + 5 * static_cast<size_t>(codes.codeCount)));
            for (char c : codes.codes)
                EXPECT_TRUE(c >= 'A' && c <= 'Z');
        } catch (const Exception& e) {
            EXPECT_EQ(e.message, "can't load level code file : data/level/levelcode.dat");
            EXPECT_EQ(std::string(codes.codes.begin(), codes.codes.end()) + std::to_string(codes.codeCount),
                      "QQQQQ1");
        }
    });
    EXPECT_GT(accepted, 10);  // the sound file, its longer copies, shorter counts
}

// "/dev/full" standing where a temporary file goes is a disk with no room left.
TEST(InterruptedWrite, EveryPlayerFileKeepsItsPreviousContentAndTheFailureIsSaid)
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
    std::string err = CaptureStderr([&] {
        EXPECT_FALSE(SaveGame(4, "./", newGame));
        EXPECT_FALSE(SaveScores(scores, "./"));
        EXPECT_EQ(SaveProgress(progress, "./"), 1);
        EXPECT_EQ(GenerateLevelCodesSeeded(codes, 10, 2), 0);  // the listing fails,
        EXPECT_EQ(GenerateLevelCodesSeeded(codes, 10, 2), 0);  // then, with it staged, the table
    });
    EXPECT_EQ(err, "unable to write save file ./save/save04.vro\nunable to write score file\n"
                   "unable to write progress file ./level/leveldata.dat\ncan't create codes.txt\n"
                   "can't create level code file\n");
    for (size_t i = 0; i < before.size(); ++i) {
        ASSERT_FALSE(std::filesystem::is_symlink(files[i])) << files[i];  // it would read as endless zeros
        EXPECT_EQ(ReadTestFile(files[i]), before[i]) << files[i];
        EXPECT_FALSE(TestFileExists(files[i] + ".tmp")) << files[i];
    }
    EXPECT_EQ(codes.codes, oldCodes);
}

}  // namespace
