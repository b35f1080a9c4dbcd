#include "persist/slotgame.h"

#include "app/base/exception.h"
#include "app/base/files.h"
#include "app/base/log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>

static_assert(kSlotBoardWidth == kPlayWidth && kSlotBoardHeight == kPlayHeight, "board sizes");
static_assert(kSlotMaxBlocks == kMaxBlocks && kSlotColourRoom == kMaxTargets, "list sizes");
static_assert(kSlotMaxBombs == kMaxBombs && kSlotColours == kMaxColours, "bombs and colours");
static_assert(kSlotNoIndex == kNoIndex, "no-index value");

namespace {

// What a slot holds of the puzzle's saved position, listed once for both
// directions so that saving and loading can never disagree on a field.
void CopyPosition(SlotData& slot, SavedPosition& s, bool toSlot)
{
    auto pair = [toSlot](auto& inSlot, auto& inPosition) {
        static_assert(std::is_same_v<decltype(inSlot), decltype(inPosition)>, "the same field on both sides");
        if (toSlot)
            std::memcpy(&inSlot, &inPosition, sizeof inSlot);
        else
            std::memcpy(&inPosition, &inSlot, sizeof inSlot);
    };
    pair(slot.difficulty, s.difficulty);
    pair(slot.moves, s.moves);
    pair(slot.bombCarried, s.bombCarried);
    pair(slot.carX, s.carX);
    pair(slot.carY, s.carY);
    pair(slot.heading, s.heading);
    pair(slot.cells, s.cells);
    pair(slot.targetMap, s.targetIndexMap);
    pair(slot.blockMap, s.blockIndexMap);
    pair(slot.blockCount, s.colourCount);
    pair(slot.targetColours, s.targetColour);
    pair(slot.blockColours, s.blockColour);
}

LevelBlockCountFn BlockCountsIn(const char* dataPrefix)
{
    return [dataPrefix](int level) { return ReadLevelBlockCount(dataPrefix, level); };
}

}  // namespace

void TakeSlotData(const Puzzle& p, SlotData& slot)
{
    SavedPosition s;
    TakeSavedPosition(p, s);
    slot = SlotData();
    slot.level = p.levelIndex;
    CopyPosition(slot, s, true);
}

int ReadLevelBlockCount(const char* dataPrefix, int level)
{
    if (level < 0)
        return -1;
    std::string bytes;
    if (!ReadWholeFile(LevelFilePath(dataPrefix, level).c_str(), bytes))
        return -1;
    LevelFileData d;
    std::string why;
    if (!DecodeLevelFile(bytes, d, why))
        return -1;
    int blocks = 0;
    for (uint8_t c : d.cells)
        blocks += c == kCellBlock || c == kCellBlockOnTarget || c == kCellBlockFixed;
    int b = static_cast<int>(d.pairing.size());
    return blocks == b ? b : -1;
}

void ReadSlotList(SlotSummary (&summaries)[kSlotCount], const char* gamePath,
                  const char* dataPrefix, int levelCount)
{
    ReadSlotSummaries(summaries, gamePath, levelCount, BlockCountsIn(dataPrefix));
}

bool SaveRunningGame(int slot, const char* gamePath, const char* dataPrefix, const Puzzle& p,
                     int levelCount)
{
    SlotData data;
    TakeSlotData(p, data);
    SlotFault fault = CheckSlot(data, levelCount, ReadLevelBlockCount(dataPrefix, data.level));
    if (fault != SlotFault::None) {
        std::string path;
        SlotPath(gamePath, slot, path);
        Warn("unable to write save file %s : %s\n", path.c_str(), SlotFaultText(fault));
        return false;
    }
    return SaveGame(slot, gamePath, data);
}

bool LoadSavedGame(Puzzle& p, int slot, const char* gamePath, const char* dataPrefix, int levelCount)
{
    SlotData data;
    if (!LoadGame(slot, gamePath, levelCount, BlockCountsIn(dataPrefix), data))
        return false;

    SavedPosition s;
    CopyPosition(data, s, false);

    // The slot has been checked against the level file, but the level is
    // read again here; should anything still go wrong, the game is put back
    // as it was.
    auto before = std::make_unique<Puzzle>(p);
    bool applied = false;
    try {
        LoadLevel(p, data.level, dataPrefix);
        applied = ApplySavedPosition(p, s);
    } catch (const Exception& e) {
        Warn("%s\n", e.message.c_str());
    }
    if (!applied) {
        p = *before;
        std::string path;
        SlotPath(gamePath, slot, path);
        Warn("damaged save file %s : does not fit level %d\n", path.c_str(),
                     data.level + 1);
        return false;
    }

    // The level start has counted from 0 again; a loaded game goes on from
    // its saved count, so a record cannot be had by saving near the end.
    p.moves = data.moves;
    // Targets whose colours the file does not hold get them as a level
    // start gives them.
    const int k = std::min(2 + data.level / 50, kMaxColours);
    for (int t = data.blockCount; t < p.targetCount && t < kMaxTargets; ++t)
        p.targetColour[t] = static_cast<uint8_t>(data.difficulty == kHard ? t % k : 0);
    return true;
}
