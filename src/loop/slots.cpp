#include "loop/slots.h"

#include <algorithm>
#include <cstring>

static_assert(kSlotCells == kCellCount, "a slot keeps the whole playable board");
static_assert(kSlotColourRoom >= kMaxTargets, "a slot holds every colour");

SlotData SavedPositionToSlot(const SavedPosition& pos, int level)
{
    SlotData s;
    s.level = level;
    s.difficulty = pos.difficulty;
    s.moves = pos.moves;
    s.bombCarried = pos.bombCarried;
    s.carX = pos.carX;
    s.carY = pos.carY;
    s.heading = pos.heading;
    std::memcpy(s.cells, pos.cells, sizeof s.cells);
    std::memcpy(s.targetMap, pos.targetIndexMap, sizeof s.targetMap);
    std::memcpy(s.blockMap, pos.blockIndexMap, sizeof s.blockMap);
    s.blockCount = pos.colourCount;
    std::memcpy(s.targetColours, pos.targetColour, sizeof pos.targetColour);
    std::memcpy(s.blockColours, pos.blockColour, sizeof pos.blockColour);
    return s;
}

SavedPosition SlotToSavedPosition(const SlotData& s)
{
    SavedPosition pos;
    pos.difficulty = s.difficulty;
    pos.moves = s.moves;
    pos.bombCarried = s.bombCarried;
    pos.carX = s.carX;
    pos.carY = s.carY;
    pos.heading = s.heading;
    std::memcpy(pos.cells, s.cells, sizeof pos.cells);
    std::memcpy(pos.targetIndexMap, s.targetMap, sizeof pos.targetIndexMap);
    std::memcpy(pos.blockIndexMap, s.blockMap, sizeof pos.blockIndexMap);
    pos.colourCount = std::clamp(static_cast<int>(s.blockCount), 0, kMaxTargets);
    std::memcpy(pos.targetColour, s.targetColours, sizeof pos.targetColour);
    std::memcpy(pos.blockColour, s.blockColours, sizeof pos.blockColour);
    return pos;
}
