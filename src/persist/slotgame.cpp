#include "persist/slotgame.h"

#include "app/exception.h"
#include "app/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

static_assert(kSlotBoardWidth == kPlayWidth && kSlotBoardHeight == kPlayHeight, "board sizes");
static_assert(kSlotMaxBlocks == kMaxBlocks && kSlotColourRoom == kMaxTargets, "list sizes");
static_assert(kSlotMaxBombs == kMaxBombs && kSlotColours == kMaxColours, "bombs and colours");
static_assert(kSlotNoIndex == kNoIndex, "no-index value");

void TakeSlotData(const Puzzle& p, SlotData& slot)
{
    SavedPosition s;
    TakeSavedPosition(p, s);
    slot = SlotData();
    slot.level = p.levelIndex;
    slot.difficulty = s.difficulty;
    slot.moves = s.moves;
    slot.bombCarried = s.bombCarried;
    slot.carX = s.carX;
    slot.carY = s.carY;
    slot.heading = s.heading;
    std::memcpy(slot.cells, s.cells, sizeof slot.cells);
    std::memcpy(slot.targetMap, s.targetIndexMap, sizeof slot.targetMap);
    std::memcpy(slot.blockMap, s.blockIndexMap, sizeof slot.blockMap);
    slot.blockCount = s.colourCount;
    std::memcpy(slot.targetColours, s.targetColour, sizeof slot.targetColours);
    std::memcpy(slot.blockColours, s.blockColour, sizeof slot.blockColours);
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
    ReadSlotSummaries(summaries, gamePath, levelCount,
                      [dataPrefix](int level) { return ReadLevelBlockCount(dataPrefix, level); });
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
        std::fprintf(stderr, "unable to write save file %s : %s\n", path.c_str(), SlotFaultText(fault));
        return false;
    }
    return SaveGame(slot, gamePath, data);
}

bool LoadSavedGame(Puzzle& p, int slot, const char* gamePath, const char* dataPrefix, int levelCount)
{
    SlotData data;
    if (!LoadGame(slot, gamePath, levelCount,
                  [dataPrefix](int level) { return ReadLevelBlockCount(dataPrefix, level); }, data))
        return false;

    SavedPosition s;
    s.difficulty = data.difficulty;
    s.moves = data.moves;
    s.bombCarried = data.bombCarried;
    s.carX = data.carX;
    s.carY = data.carY;
    s.heading = data.heading;
    std::memcpy(s.cells, data.cells, sizeof s.cells);
    std::memcpy(s.targetIndexMap, data.targetMap, sizeof s.targetIndexMap);
    std::memcpy(s.blockIndexMap, data.blockMap, sizeof s.blockIndexMap);
    s.colourCount = data.blockCount;
    std::memcpy(s.targetColour, data.targetColours, sizeof s.targetColour);
    std::memcpy(s.blockColour, data.blockColours, sizeof s.blockColour);

    // The slot has been checked against the level file, but the level is
    // read again here; should anything still go wrong, the game is put back
    // as it was.
    auto before = std::make_unique<Puzzle>(p);
    bool applied = false;
    try {
        LoadLevel(p, data.level, dataPrefix);
        applied = ApplySavedPosition(p, s);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.message.c_str());
    }
    if (!applied) {
        p = *before;
        std::string path;
        SlotPath(gamePath, slot, path);
        std::fprintf(stderr, "damaged save file %s : does not fit level %d\n", path.c_str(),
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
