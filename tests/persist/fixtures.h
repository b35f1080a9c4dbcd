#pragma once
// A mid-game position used by the slot tests, and the level facts the slot
// check asks for.
#include "persist/savegame.h"

constexpr int kFixtureLevel = 4;
constexpr int kFixtureBlocks = 3;
constexpr int kFixtureLevelCount = 10;

// Level 4 (of ten) with three blocks: one fixed on a target (15), one
// movable on a target (100), one on the floor (14); an empty target; a bomb;
// the car carrying a bomb; walls round the edge. Hard, 57 moves.
SlotData MidGameSlot();

// Block count of the fixture's levels: 3 for level 4, 0 for level 0, none
// for the others.
int FixtureBlockCount(int level);

inline int Cell(int x, int y)
{
    return y * kSlotBoardWidth + x;
}
