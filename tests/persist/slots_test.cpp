// Saved games: the slot file's layout, the one check of a slot, damaged
// files, and the running game saved and loaded back through the puzzle core.
#include "fixtures.h"
#include "fuzz.h"
#include "persist/slotgame.h"
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

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
