#include "persist/filestore.h"
#include "persist/savegame.h"
#include "slotfixture.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

namespace {

const LevelBlockCountFn kBlocks = FixtureBlockCount;

bool SameSlot(const SlotData& a, const SlotData& b)
{
    return EncodeSlot(a) == EncodeSlot(b);
}

TEST(SlotFile, LayoutIsByteForByteAsOtherBuildsWriteIt)
{
    SlotData s = MidGameSlot();
    std::string bytes = EncodeSlot(s);
    ASSERT_EQ(bytes.size(), 932u + 2u * 3u);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(GetInt32(p + 0), 4);
    EXPECT_EQ(GetInt32(p + 4), 3);
    EXPECT_EQ(GetInt32(p + 8), 57);
    EXPECT_EQ(GetInt32(p + 12), 5);
    EXPECT_EQ(GetInt32(p + 16), 3);
    EXPECT_EQ(GetInt32(p + 20), 3);
    EXPECT_EQ(GetFloat(p + 24), 90.0f);
    EXPECT_EQ(bytes.substr(24, 4), std::string("\x00\x00\xb4\x42", 4));  // 90.0f, little-endian
    EXPECT_EQ(p[28 + Cell(5, 5)], 15);
    EXPECT_EQ(p[328 + Cell(7, 5)], 2);
    EXPECT_EQ(p[628 + Cell(10, 7)], 1);
    EXPECT_EQ(GetInt32(p + 928), 3);
    EXPECT_EQ(bytes.substr(932, 3), std::string("\x00\x01\x02", 3));
    EXPECT_EQ(bytes.substr(935, 3), std::string("\x01\x02\x00", 3));
}

TEST(SlotFile, SaveThenLoadRoundTripsAMidGamePosition)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    const SlotData saved = MidGameSlot();
    ASSERT_TRUE(SaveGame(3, "./", saved));
    EXPECT_EQ(ReadTestFile("save/save03.vro").size(), 938u);

    SlotData loaded;
    SlotFault fault = SlotFault::Size;
    ASSERT_TRUE(LoadGame(3, "./", kFixtureLevelCount, kBlocks, loaded, &fault));
    EXPECT_EQ(fault, SlotFault::None);
    EXPECT_TRUE(SameSlot(saved, loaded));
    EXPECT_EQ(loaded.moves, 57);
    EXPECT_EQ(loaded.carX, 3);
    EXPECT_EQ(loaded.heading, 90.0f);

    // On the board a fixed block on a target comes back movable, and the
    // target count is that of the saved layer.
    unsigned char cells[kSlotCells];
    EXPECT_EQ(RestoreSlotCells(loaded, cells), 3);
    EXPECT_EQ(cells[Cell(5, 5)], 100);
    EXPECT_EQ(cells[Cell(6, 5)], 100);
    EXPECT_EQ(cells[Cell(7, 5)], 1);
    EXPECT_EQ(cells[Cell(10, 7)], 14);
    EXPECT_EQ(cells[Cell(0, 0)], 21);
}

TEST(SlotFile, ALevelWithoutBlocksGivesA932ByteSlot)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    SlotData s;
    s.level = 0;
    s.difficulty = 1;
    s.carX = 19;
    s.carY = 14;
    std::memset(s.targetMap, kSlotNoIndex, sizeof s.targetMap);
    std::memset(s.blockMap, kSlotNoIndex, sizeof s.blockMap);
    ASSERT_TRUE(SaveGame(0, "./", s));
    EXPECT_EQ(ReadTestFile("save/save00.vro").size(), 932u);
    SlotData back;
    ASSERT_TRUE(LoadGame(0, "./", kFixtureLevelCount, kBlocks, back));
    EXPECT_TRUE(SameSlot(s, back));
}

TEST(SlotFile, SavingTwiceKeepsTheSecondGame)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    SlotData first = MidGameSlot();
    SlotData second = MidGameSlot();
    second.moves = 99;
    second.carX = 4;
    second.difficulty = 1;
    ASSERT_TRUE(SaveGame(7, "./", first));
    ASSERT_TRUE(SaveGame(7, "./", second));
    SlotData back;
    ASSERT_TRUE(LoadGame(7, "./", kFixtureLevelCount, kBlocks, back));
    EXPECT_TRUE(SameSlot(second, back));
    EXPECT_FALSE(TestFileExists("save/save07.vro.tmp"));
}

TEST(SlotFile, SlotNumbersOutsideTheTenAreRefused)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    std::string path;
    EXPECT_TRUE(SlotPath("./", 9, path));
    EXPECT_EQ(path, "./save/save09.vro");
    EXPECT_FALSE(SlotPath("./", 10, path));
    EXPECT_FALSE(SlotPath("./", -1, path));
    std::string err = CaptureStderr([] { EXPECT_FALSE(SaveGame(10, "./", MidGameSlot())); });
    EXPECT_FALSE(err.empty());
    SlotData data;
    EXPECT_FALSE(LoadGame(-1, "./", kFixtureLevelCount, kBlocks, data));
}

TEST(SlotSummaries, ShowFilledEmptyAndDamagedSlots)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    ASSERT_TRUE(SaveGame(3, "./", MidGameSlot()));
    std::string damaged = EncodeSlot(MidGameSlot());
    damaged[4] = 7;  // difficulty 7
    WriteTestFile("save/save05.vro", damaged);
    WriteTestFile("save/save06.vro/inside", "");  // exists, cannot be read

    SlotSummary rows[kSlotCount];
    ReadSlotSummaries(rows, "./", kFixtureLevelCount, kBlocks);
    for (int n = 0; n < kSlotCount; ++n) {
        SCOPED_TRACE(n);
        if (n == 3) {
            EXPECT_EQ(rows[n].slot, 3);
            EXPECT_EQ(rows[n].level, 4);  // shown as level 5
            EXPECT_EQ(rows[n].difficulty, 3);
            EXPECT_EQ(rows[n].damaged, 0);
            EXPECT_STREQ(SlotDifficultyKey(rows[n]), "Hard");
        } else if (n == 5 || n == 6) {
            EXPECT_EQ(rows[n].slot, n);
            EXPECT_EQ(rows[n].damaged, 1);
            EXPECT_EQ(rows[n].difficulty, 0);
            EXPECT_EQ(SlotDifficultyKey(rows[n]), nullptr);
        } else {
            EXPECT_EQ(rows[n].slot, -1);
            EXPECT_EQ(rows[n].damaged, 0);
            EXPECT_EQ(SlotDifficultyKey(rows[n]), nullptr);
        }
    }

    // A damaged slot can still be saved over.
    ASSERT_TRUE(SaveGame(5, "./", MidGameSlot()));
    ReadSlotSummaries(rows, "./", kFixtureLevelCount, kBlocks);
    EXPECT_EQ(rows[5].damaged, 0);
    EXPECT_STREQ(SlotDifficultyKey(rows[5]), "Hard");
}

struct Damage {
    const char* what;
    std::function<void(SlotData&)> apply;
    SlotFault fault;
};

TEST(SlotCheck, EveryFieldIsCheckedAndARefusedSlotChangesNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Damage damages[] = {
        {"level beyond the game", [](SlotData& s) { s.level = 10; }, SlotFault::Level},
        {"negative level", [](SlotData& s) { s.level = -1; }, SlotFault::Level},
        {"unreadable level", [](SlotData& s) { s.level = 2; }, SlotFault::Level},
        {"block count differs", [](SlotData& s) { s.blockCount = 2; }, SlotFault::BlockCount},
        {"difficulty 0", [](SlotData& s) { s.difficulty = 0; }, SlotFault::Difficulty},
        {"difficulty 4", [](SlotData& s) { s.difficulty = 4; }, SlotFault::Difficulty},
        {"negative moves", [](SlotData& s) { s.moves = -3; }, SlotFault::Moves},
        {"bomb 3", [](SlotData& s) { s.bombCarried = 3; }, SlotFault::Bomb},
        {"heading NaN", [nan](SlotData& s) { s.heading = nan; }, SlotFault::Heading},
        {"car left of the board", [](SlotData& s) { s.carX = -1; }, SlotFault::Car},
        {"car below the board", [](SlotData& s) { s.carY = 15; }, SlotFault::Car},
        {"car in a wall", [](SlotData& s) { s.carX = 0; }, SlotFault::Car},
        {"car on a block", [](SlotData& s) { s.carX = 10; s.carY = 7; }, SlotFault::Car},
        {"cell 16", [](SlotData& s) { s.cells[Cell(8, 8)] = 16; }, SlotFault::Cell},
        {"cell 254", [](SlotData& s) { s.cells[Cell(8, 8)] = 254; }, SlotFault::Cell},
        {"cell 255", [](SlotData& s) { s.cells[Cell(8, 8)] = 255; }, SlotFault::Cell},
        {"five bombs",
         [](SlotData& s) {
             for (int x = 1; x <= 4; ++x)
                 s.cells[Cell(x, 10)] = 5;
         },
         SlotFault::Bombs},
        {"target colour 5", [](SlotData& s) { s.targetColours[2] = 5; }, SlotFault::Colour},
        {"block colour 200", [](SlotData& s) { s.blockColours[0] = 200; }, SlotFault::Colour},
        {"target index on floor", [](SlotData& s) { s.targetMap[Cell(8, 8)] = 0; }, SlotFault::TargetMap},
        {"target without index", [](SlotData& s) { s.targetMap[Cell(7, 5)] = kSlotNoIndex; }, SlotFault::TargetMap},
        {"target index too high", [](SlotData& s) { s.targetMap[Cell(7, 5)] = 3; }, SlotFault::TargetMap},
        {"target index twice", [](SlotData& s) { s.targetMap[Cell(7, 5)] = 0; }, SlotFault::TargetMap},
        {"block index on floor", [](SlotData& s) { s.blockMap[Cell(8, 8)] = 1; }, SlotFault::BlockMap},
        {"block without index", [](SlotData& s) { s.blockMap[Cell(10, 7)] = kSlotNoIndex; }, SlotFault::BlockMap},
        {"block index too high", [](SlotData& s) { s.blockMap[Cell(10, 7)] = 3; }, SlotFault::BlockMap},
        {"block index twice", [](SlotData& s) { s.blockMap[Cell(10, 7)] = 0; }, SlotFault::BlockMap},
        {"block index on a target", [](SlotData& s) { s.blockMap[Cell(7, 5)] = 1; }, SlotFault::BlockMap},
        {"a block lost",
         [](SlotData& s) {
             s.cells[Cell(10, 7)] = 0;
             s.blockMap[Cell(10, 7)] = kSlotNoIndex;
         },
         SlotFault::BlockMap},
        {"more targets than colours",
         [](SlotData& s) {
             // Every floor cell a target, numbered on from 3: a sound map,
             // but more targets than the colour lists hold.
             unsigned char next = 3;
             for (int i = 0; i < kSlotCells; ++i)
                 if (s.cells[i] == 0) {
                     s.cells[i] = 1;
                     s.targetMap[i] = next++;
                 }
         },
         SlotFault::TargetMap},
    };
    EXPECT_EQ(CheckSlot(MidGameSlot(), kFixtureLevelCount, kFixtureBlocks), SlotFault::None);

    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        SlotData s = MidGameSlot();
        d.apply(s);
        EXPECT_EQ(CheckSlot(s, kFixtureLevelCount, FixtureBlockCount(s.level)), d.fault)
            << SlotFaultText(CheckSlot(s, kFixtureLevelCount, FixtureBlockCount(s.level)));

        // The same damage in a file: refused, said on stderr, the game's
        // copy untouched.
        WriteTestFile("save/save02.vro", EncodeSlot(s));
        SlotData game;
        game.moves = 1234;
        game.level = 8;
        const std::string before = EncodeSlot(game);
        SlotFault fault = SlotFault::None;
        std::string err = CaptureStderr([&] {
            EXPECT_FALSE(LoadGame(2, "./", kFixtureLevelCount, kBlocks, game, &fault));
        });
        EXPECT_EQ(fault, d.fault);
        EXPECT_NE(err.find("save/save02.vro"), std::string::npos) << err;
        EXPECT_EQ(EncodeSlot(game), before);
    }

    // A level the game has fewer than ten of is refused by the level count.
    SlotData s = MidGameSlot();
    EXPECT_EQ(CheckSlot(s, 4, kFixtureBlocks), SlotFault::Level);
}

TEST(SlotCheck, WrongSizesAreRefusedBeforeAnyFieldIsRead)
{
    const std::string good = EncodeSlot(MidGameSlot());
    SlotData s;
    s.moves = 77;
    auto refused = [&](const std::string& bytes) {
        SlotData copy = s;
        EXPECT_EQ(DecodeSlot(bytes, copy), SlotFault::Size) << bytes.size();
        EXPECT_EQ(copy.moves, 77);
    };
    refused("");
    refused(good.substr(0, 931));
    refused(good.substr(0, good.size() - 1));
    refused(good + "x");
    // N above 200 (the colour lists hold 224, the game 200) or negative.
    for (int32_t n : {201, 224, -1, 0x7fffffff}) {
        std::string bytes = good.substr(0, 928);
        PutInt32(bytes, n);
        bytes += std::string(n > 0 && n < 300 ? 2 * static_cast<size_t>(n) : 0, '\0');
        refused(bytes);
    }
}

}  // namespace
