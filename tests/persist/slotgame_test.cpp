// Saving the running game and loading it back through the puzzle core.
#include "persist/slotgame.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int kLevel = 4;  // "data/level/level5.lvl"

int At(int x, int y)
{
    return y * kPlayWidth + x;
}

// Three blocks and four targets, no walls; the block above the bottom row
// becomes fixed (15) once pushed onto the target below it.
LevelFileData TestLevel()
{
    LevelFileData d;
    d.pairing = {0, 1, 2};
    d.cells[At(5, 12)] = kCellCarStart;
    d.cells[At(5, 13)] = kCellBlock;
    d.cells[At(5, 14)] = kCellTarget;
    d.cells[At(10, 7)] = kCellBlock;
    d.cells[At(12, 7)] = kCellTarget;
    d.cells[At(15, 3)] = kCellBlockOnTarget;
    d.cells[At(17, 9)] = kCellTarget;
    d.cells[At(1, 1)] = 20;
    std::memset(d.floorMask, 1, sizeof d.floorMask);
    return d;
}

void WriteLevel(const LevelFileData& d)
{
    WriteTestFile("data/level/level5.lvl", EncodeLevelFile(d));
}

struct ScriptedRandom : PuzzleHooks {
    int value = 0;
    int Random() override { return value; }
};

// Everything a load may change, as one string, to see that it did not.
std::string GameState(const Puzzle& p)
{
    SlotData s;
    TakeSlotData(p, s);
    std::string state = EncodeSlot(s);
    state.append(reinterpret_cast<const char*>(&p.board), sizeof p.board);
    state.append(reinterpret_cast<const char*>(p.targetColour), sizeof p.targetColour);
    state.append(reinterpret_cast<const char*>(p.blockColour), sizeof p.blockColour);
    state += std::to_string(p.levelIndex) + "/" + std::to_string(p.targetCount) + "/" +
             std::to_string(p.undoCount) + "/" + std::to_string(p.blockCount) + "/" +
             std::to_string(p.solution.size()) + "/" + std::to_string(p.blockListCount);
    return state;
}

class SlotGame : public testing::Test {
protected:
    void SetUp() override
    {
        WriteTestFile("save/.keep", "");
        WriteLevel(TestLevel());
        p = std::make_unique<Puzzle>();
        InitPile(*p);
        p->hooks = &random;
        LoadLevel(*p, kLevel, "");
        p->difficulty = kHard;
        StartLevelBoard(*p, 0);
    }

    void Step(Direction dir)
    {
        StepCar(*p, dir);
        AdvanceCarMove(*p, 1000);
        ExamineBlocks(*p);
    }

    ScopedTempDir dir;
    ScriptedRandom random;
    std::unique_ptr<Puzzle> p;
};

TEST_F(SlotGame, ALoadedGameComesBackExactlyAsSaved)
{
    Step(kDirDown);  // pushes the block onto the bottom target: fixed
    Step(kDirRight);
    Step(kDirUp);
    ASSERT_EQ(p->board.At(5, 14), kCellBlockFixed);
    ASSERT_EQ(p->carX, 6);
    ASSERT_EQ(p->carY, 12);
    const int moves = p->moves;
    ASSERT_GT(moves, 0);
    const Puzzle saved = *p;
    ASSERT_TRUE(SaveRunningGame(3, "./", "", *p));

    // Play on elsewhere, on another difficulty, then load.
    ChangeDifficulty(*p, kEasy);
    Step(kDirLeft);
    random.value = 1;  // a level start that mirrored would now mirror both ways
    ASSERT_TRUE(LoadSavedGame(*p, 3, "./", ""));

    EXPECT_EQ(p->levelIndex, kLevel);
    EXPECT_EQ(p->difficulty, kHard);
    EXPECT_EQ(p->moves, moves);
    EXPECT_EQ(p->carX, 6);
    EXPECT_EQ(p->carY, 12);
    EXPECT_EQ(p->heading, saved.heading);
    EXPECT_EQ(p->undoCount, 0);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            int c = saved.board.At(x, y);
            EXPECT_EQ(p->board.At(x, y), c == kCellBlockFixed ? kCellBlockOnTarget : c) << x << "," << y;
        }
    EXPECT_EQ(0, std::memcmp(p->blockIndexMap, saved.blockIndexMap, sizeof saved.blockIndexMap));
    EXPECT_EQ(0, std::memcmp(p->targetIndexMap, saved.targetIndexMap, sizeof saved.targetIndexMap));
    EXPECT_EQ(0, std::memcmp(p->blockColour, saved.blockColour, 3));
    EXPECT_EQ(0, std::memcmp(p->targetColour, saved.targetColour, 3));
    // Four targets, three colours stored: the fourth gets its level-start
    // colour on Hard (index mod 2 on this level).
    EXPECT_EQ(p->targetCount, 4);
    EXPECT_EQ(p->targetColour[3], 3 % 2);
    EXPECT_EQ(saved.targetColour[3], 3 % 2);
}

TEST_F(SlotGame, ARefusedSlotLeavesTheGameAsItWas)
{
    Step(kDirDown);
    ASSERT_TRUE(SaveRunningGame(1, "./", "", *p));
    Step(kDirRight);
    const std::string before = GameState(*p);

    // A damaged slot.
    std::string bytes = ReadTestFile("save/save01.vro");
    bytes[28 + At(0, 0)] = 16;  // an unknown cell code
    WriteTestFile("save/save02.vro", bytes);
    std::string err = CaptureStderr([&] { EXPECT_FALSE(LoadSavedGame(*p, 2, "./", "")); });
    EXPECT_NE(err.find("save/save02.vro"), std::string::npos);
    EXPECT_EQ(GameState(*p), before);

    // The level changed since the save: one block fewer.
    LevelFileData fewer = TestLevel();
    fewer.cells[At(10, 7)] = kCellFloor;
    fewer.pairing = {0, 1};
    WriteLevel(fewer);
    CaptureStderr([&] { EXPECT_FALSE(LoadSavedGame(*p, 1, "./", "")); });
    EXPECT_EQ(GameState(*p), before);

    // Its level file is gone: refused, the program goes on.
    std::remove("data/level/level5.lvl");
    CaptureStderr([&] { EXPECT_FALSE(LoadSavedGame(*p, 1, "./", "")); });
    EXPECT_EQ(GameState(*p), before);
    SlotSummary rows[kSlotCount];
    ReadSlotList(rows, "./", "");
    EXPECT_EQ(rows[1].damaged, 1);
    EXPECT_EQ(rows[2].damaged, 1);
    EXPECT_EQ(rows[0].slot, -1);

    // An empty slot: nothing happens, nothing is said.
    err = CaptureStderr([&] { EXPECT_FALSE(LoadSavedGame(*p, 7, "./", "")); });
    EXPECT_EQ(err, "");
    EXPECT_EQ(GameState(*p), before);
}

TEST_F(SlotGame, ALevelWhosePairingListDisagreesWithItsBlocksCannotBeSaved)
{
    LevelFileData odd = TestLevel();
    odd.pairing = {0, 1, 2, 0};  // four pairing bytes, three blocks
    WriteLevel(odd);
    EXPECT_EQ(ReadLevelBlockCount("", kLevel), -1);
    LoadLevel(*p, kLevel, "");
    StartLevelBoard(*p, 0);
    std::string err = CaptureStderr([&] { EXPECT_FALSE(SaveRunningGame(0, "./", "", *p)); });
    EXPECT_NE(err.find("save/save00.vro"), std::string::npos);
    EXPECT_FALSE(TestFileExists("save/save00.vro"));

    WriteLevel(TestLevel());
    EXPECT_EQ(ReadLevelBlockCount("", kLevel), 3);
    EXPECT_EQ(ReadLevelBlockCount("", kLevel + 1), -1);
}

}  // namespace
