#pragma once
// A mid-game slot, the level facts the slot check asks for, a score entry's bytes.
#include "app/base/bytes.h"
#include "persist/savegame.h"

#include <cstring>

constexpr int kFixtureLevelCount = 10;
constexpr int kFixtureBlocks = 3;

inline int Cell(int x, int y)
{
    return y * kSlotBoardWidth + x;
}

// Level 4 (of ten), Hard, 57 moves, the car carrying a bomb; three blocks:
// fixed on a target (15), movable on a target (100), on the floor (14); an
// empty target; a bomb; two walls.
inline SlotData MidGameSlot()
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
inline int FixtureBlockCount(int level)
{
    return level == 4 ? kFixtureBlocks : level == 0 ? 0 : -1;
}

inline std::string ScoreEntryBytes(std::string name, int32_t moves)
{
    name.resize(20, '\0');
    PutInt32(name, moves);
    return name;
}
