#include "slotfixture.h"

#include <cstring>

SlotData MidGameSlot()
{
    SlotData s;
    s.level = kFixtureLevel;
    s.difficulty = 3;
    s.moves = 57;
    s.bombCarried = 5;
    s.carX = 3;
    s.carY = 3;
    s.heading = 90.0f;
    std::memset(s.targetMap, kSlotNoIndex, sizeof s.targetMap);
    std::memset(s.blockMap, kSlotNoIndex, sizeof s.blockMap);
    for (int x = 0; x < kSlotBoardWidth; ++x) {
        s.cells[Cell(x, 0)] = 21;
        s.cells[Cell(x, kSlotBoardHeight - 1)] = 21;
    }
    for (int y = 1; y < kSlotBoardHeight - 1; ++y) {
        s.cells[Cell(0, y)] = 22;
        s.cells[Cell(kSlotBoardWidth - 1, y)] = 22;
    }
    s.cells[Cell(2, 2)] = 2;  // the car start
    s.cells[Cell(5, 5)] = 15;
    s.cells[Cell(6, 5)] = 100;
    s.cells[Cell(7, 5)] = 1;
    s.cells[Cell(10, 7)] = 14;
    s.cells[Cell(12, 12)] = 5;
    s.targetMap[Cell(5, 5)] = 0;
    s.targetMap[Cell(6, 5)] = 1;
    s.targetMap[Cell(7, 5)] = 2;
    s.blockMap[Cell(5, 5)] = 2;
    s.blockMap[Cell(6, 5)] = 0;
    s.blockMap[Cell(10, 7)] = 1;
    s.blockCount = kFixtureBlocks;
    const unsigned char targetColours[3] = {0, 1, 2};
    const unsigned char blockColours[3] = {1, 2, 0};
    std::memcpy(s.targetColours, targetColours, 3);
    std::memcpy(s.blockColours, blockColours, 3);
    return s;
}

int FixtureBlockCount(int level)
{
    if (level == kFixtureLevel)
        return kFixtureBlocks;
    if (level == 0)
        return 0;
    return -1;
}
