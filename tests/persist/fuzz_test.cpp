// Truncated, oversized and random files of every kind the game reads: each
// is refused or read as far as it is sound, and nothing crashes (this suite
// also runs in the sanitizer build).
#include "app/exception.h"
#include "persist/filestore.h"
#include "persist/levelcode.h"
#include "persist/savegame.h"
#include "persist/score.h"
#include "slotfixture.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

std::string RandomBytes(std::mt19937& rng, size_t size)
{
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() & 0xff);
    return s;
}

// The fuzz cases of one file: every truncation of a sound file, the sound
// file with bytes added, and random files of many sizes.
std::vector<std::string> Variants(const std::string& good, std::mt19937& rng, size_t randomMax)
{
    std::vector<std::string> out;
    for (size_t n = 0; n <= good.size(); ++n)
        out.push_back(good.substr(0, n));
    out.push_back(good + "x");
    out.push_back(good + RandomBytes(rng, 1000));
    for (int i = 0; i < 300; ++i)
        out.push_back(RandomBytes(rng, rng() % (randomMax + 1)));
    // Sound files with one byte changed at random.
    for (int i = 0; i < 600 && !good.empty(); ++i) {
        std::string s = good;
        s[rng() % s.size()] = static_cast<char>(rng() & 0xff);
        out.push_back(s);
    }
    return out;
}

TEST(Fuzz, SlotFiles)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    std::mt19937 rng(2024);
    const std::string good = EncodeSlot(MidGameSlot());
    int accepted = 0;
    for (const std::string& bytes : Variants(good, rng, 1400)) {
        WriteTestFile("save/save01.vro", bytes);
        SlotData game;
        game.moves = 4321;
        const std::string before = EncodeSlot(game);
        SlotFault fault;
        bool ok = false;
        CaptureStderr([&] {
            ok = LoadGame(1, "./", kFixtureLevelCount, FixtureBlockCount, game, &fault);
        });
        SlotSummary rows[kSlotCount];
        ReadSlotSummaries(rows, "./", kFixtureLevelCount, FixtureBlockCount);
        EXPECT_EQ(rows[1].slot, 1);
        if (ok) {
            ++accepted;
            // What was accepted is exactly what the file holds, and sound.
            EXPECT_EQ(EncodeSlot(game), bytes);
            EXPECT_EQ(CheckSlot(game, kFixtureLevelCount, FixtureBlockCount(game.level)), SlotFault::None);
            EXPECT_EQ(rows[1].damaged, 0);
            EXPECT_NE(SlotDifficultyKey(rows[1]), nullptr);
        } else {
            EXPECT_NE(fault, SlotFault::None);
            EXPECT_EQ(EncodeSlot(game), before);  // the game is untouched
            EXPECT_EQ(rows[1].damaged, 1);
            EXPECT_EQ(SlotDifficultyKey(rows[1]), nullptr);
        }
    }
    // The sound file itself, and some of its harmless one-byte changes.
    EXPECT_GT(accepted, 1);
}

TEST(Fuzz, ScoreFiles)
{
    ScopedTempDir dir;
    std::mt19937 rng(77);
    std::string good;
    for (int i = 0; i < 10; ++i) {
        std::string name = "PLAYER" + std::to_string(i);
        name.resize(20, '\0');
        good += name;
        PutInt32(good, 100 + i);
    }
    for (const std::string& bytes : Variants(good, rng, 600)) {
        WriteTestFile("score.vro", bytes);
        ScoreTable t;
        InitScores(t, "./");
        size_t whole = bytes.size() / 24;
        for (size_t i = 0; i < 10; ++i) {
            const ScoreEntry& e = t.entries[i];
            EXPECT_EQ(e.name[20], '\0');
            if (i < whole) {
                EXPECT_EQ(0, std::memcmp(e.name, bytes.data() + 24 * i, 20));
                EXPECT_EQ(e.moves, GetInt32(reinterpret_cast<const unsigned char*>(bytes.data()) + 24 * i + 20));
            } else {
                EXPECT_STREQ(e.name, "VRO GAMES");
                EXPECT_EQ(e.moves, 5000);
            }
        }
    }
}

TEST(Fuzz, ProgressFiles)
{
    ScopedTempDir dir;
    std::mt19937 rng(5);
    const std::string good("\x01\x01\x00\x01\x00\x00\x00\x00\x00\x01", 10);
    for (const std::string& bytes : Variants(good, rng, 40)) {
        WriteTestFile("level/leveldata.dat", bytes);
        Progress p;
        LoadProgress(p, "./");
        std::string expected = bytes.substr(0, 10);
        expected.resize(10, '\0');
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.done), 10), expected);
        EXPECT_EQ(ReadTestFile("level/leveldata.dat"), bytes);  // never rewritten by reading
    }
}

TEST(Fuzz, LevelCodeFiles)
{
    ScopedTempDir dir;
    std::mt19937 rng(99);
    std::string good;
    PutInt32(good, 10);
    for (int i = 0; i < 50; ++i)
        good.push_back(static_cast<char>('A' + i % 26));
    int accepted = 0;
    for (const std::string& bytes : Variants(good, rng, 80)) {
        WriteTestFile("data/level/levelcode.dat", bytes);
        LevelCodes codes;
        codes.codeCount = 1;
        codes.codes.assign(5, 'Q');
        try {
            loadLevelCodes(codes, "");
            ++accepted;
            // A table that loads is the file's count and codes, capitals only.
            EXPECT_EQ(EncodeLevelCodes(codes), bytes.substr(0, 4 + 5 * static_cast<size_t>(codes.codeCount)));
            EXPECT_LE(codes.codeCount, kLevelCount);
            for (char c : codes.codes)
                EXPECT_TRUE(c >= 'A' && c <= 'Z');
        } catch (const Exception& e) {
            EXPECT_EQ(e.message, "can't load level code file : data/level/levelcode.dat");
            EXPECT_EQ(codes.codeCount, 1);
            EXPECT_EQ(std::string(codes.codes.begin(), codes.codes.end()), "QQQQQ");
        }
    }
    EXPECT_GT(accepted, 10);  // the sound file, its longer copies, shorter counts
}

}  // namespace
