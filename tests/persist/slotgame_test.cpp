// Saving the running game and loading it back through the puzzle core.
#include "app/base/exception.h"
#include "persist/slotgame.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Level 5: three blocks (or two) and four targets; the block above the
// bottom row becomes fixed (15) once pushed onto the target below it.
void WriteLevel(int blocks = 3, size_t pairingBytes = 3)
{
    LevelFileData d;
    d.pairing.assign(pairingBytes, 0);
    const int cells[][3] = {{5, 12, kCellCarStart}, {5, 13, kCellBlock},          {5, 14, kCellTarget},
                            {12, 7, kCellTarget},   {15, 3, kCellBlockOnTarget}, {17, 9, kCellTarget},
                            {1, 1, 20},             {10, 7, blocks == 3 ? kCellBlock : kCellFloor}};
    for (auto [x, y, code] : cells)
        d.cells[y * kPlayWidth + x] = static_cast<uint8_t>(code);
    std::memset(d.floorMask, 1, sizeof d.floorMask);
    WriteTestFile("data/level/level5.lvl", EncodeLevelFile(d));
}

struct ScriptedRandom : PuzzleHooks {
    int value = 0;
    int Random() override { return value; }
};

// The level and the position as the puzzle core hands them out; a load gives
// a block fixed on a target back as a movable one.
std::string Position(const Puzzle& p, bool asLoaded = false)
{
    SavedPosition s;
    TakeSavedPosition(p, s);
    if (asLoaded)
        std::replace(std::begin(s.cells), std::end(s.cells), uint8_t(kCellBlockFixed), uint8_t(kCellBlockOnTarget));
    return std::to_string(p.levelIndex) + "/" + std::string(reinterpret_cast<const char*>(&s), sizeof s);
}

class SlotGame : public testing::Test {
protected:
    void SetUp() override
    {
        WriteTestFile("save/.keep", "");
        WriteLevel();
        InitPile(*p);
        p->hooks = &random;
        LoadLevel(*p, 4, "");
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
    std::unique_ptr<Puzzle> p = std::make_unique<Puzzle>();
};

TEST_F(SlotGame, ALoadedGameComesBackExactlyAsSaved)
{
    for (Direction d : {kDirDown, kDirRight, kDirUp})  // the first push fixes a block on its target
        Step(d);
    ASSERT_EQ(p->board.At(5, 14), kCellBlockFixed);
    ASSERT_TRUE(p->moves > 0 && p->undoCount > 0);
    const std::string saved = Position(*p, true);
    ASSERT_TRUE(SaveRunningGame(3, "./", "", *p));

    // Play on, on another difficulty, then load: a level start that mirrored
    // would now mirror both ways.
    ChangeDifficulty(*p, kEasy);
    Step(kDirLeft);
    random.value = 1;
    ASSERT_TRUE(LoadSavedGame(*p, 3, "./", ""));
    // Level, difficulty, moves, car, heading, board, index maps and colours.
    EXPECT_EQ(Position(*p), saved);
    // No undo; four targets, of which the fourth, its colour not stored, has
    // the level-start colour on Hard (index mod 2 on this level).
    EXPECT_EQ(FormatText("%d/%d/%d", p->undoCount, p->targetCount, p->targetColour[3]), "0/4/1");
}

TEST_F(SlotGame, ASlotThatCouldNotBeLoadedBackIsNeitherWrittenNorLoaded)
{
    ASSERT_TRUE(SaveRunningGame(1, "./", "", *p));
    Step(kDirDown);
    const std::string before = Position(*p) + FormatText("/%d/%d", p->targetCount, p->undoCount);
    WriteLevel(2, 2);  // the level lost a block since the save
    std::string err = CaptureStderr([&] { EXPECT_FALSE(LoadSavedGame(*p, 1, "./", "")); });
    EXPECT_NE(err.find("save/save01.vro"), std::string::npos) << err;
    EXPECT_EQ(Position(*p) + FormatText("/%d/%d", p->targetCount, p->undoCount), before);
}

}  // namespace
