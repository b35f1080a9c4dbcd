#include "persist/slotgame.h"

#include "app/base/exception.h"
#include "app/base/log.h"

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
    return [dataPrefix](int level) { return ReadSavedBlockCount(dataPrefix, level); };
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

bool SaveRunningGame(int slot, const char* gamePath, const char* dataPrefix, const Puzzle& p, int levelCount)
{
    SlotData data;
    TakeSlotData(p, data);
    SlotFault fault = CheckSlot(data, levelCount, ReadSavedBlockCount(dataPrefix, data.level));
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

    // The slot was judged against the level file, but the level is read
    // again here: it is judged once more against the level as loaded, and
    // should anything have changed the game is put back as it was.
    auto before = std::make_unique<Puzzle>(p);
    SlotFault fault = SlotFault::Level;
    try {
        LoadLevel(p, data.level, dataPrefix);
        SavedPosition loaded;
        TakeSavedPosition(p, loaded);
        fault = CheckSlot(data, levelCount, loaded.colourCount);
    } catch (const Exception& e) {
        Warn("%s\n", e.message.c_str());
    }
    if (fault != SlotFault::None) {
        p = *before;
        std::string path;
        SlotPath(gamePath, slot, path);
        Warn("damaged save file %s : does not fit level %d\n", path.c_str(), data.level + 1);
        return false;
    }
    SavedPosition s;
    CopyPosition(data, s, false);
    ApplySavedPosition(p, s);
    return true;
}
