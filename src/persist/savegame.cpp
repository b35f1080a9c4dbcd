#include "persist/savegame.h"

#include "app/base/paths.h"
#include "app/base/files.h"
#include "app/base/bytes.h"
#include "persist/levelcode.h"
#include "puzzle/tableau.h"
#include "app/base/log.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

bool IsKnownCell(unsigned char code)
{
    return code <= 15 || (code >= 20 && code <= 39) || code == 100;
}

bool IsTargetCell(unsigned char code)
{
    return code == 1 || code == 15 || code == 100;
}

bool IsBlockCell(unsigned char code)
{
    return code == 14 || code == 15 || code == 100;
}

// Each marked cell holds its own index, every index below count exactly
// once; every other cell holds kSlotNoIndex. (Blocks and targets never appear or
// vanish during play, so every number handed out at the level start is
// still on the board.)
bool MapAgrees(const unsigned char (&map)[kSlotCells], const unsigned char (&cells)[kSlotCells],
               bool (*marked)(unsigned char), int count)
{
    bool used[256] = {};
    int marks = 0;
    for (int i = 0; i < kSlotCells; ++i) {
        unsigned char index = map[i];
        if (!marked(cells[i])) {
            if (index != kSlotNoIndex)
                return false;
            continue;
        }
        if (index == kSlotNoIndex || index >= count || used[index])
            return false;
        used[index] = true;
        ++marks;
    }
    return marks == count;
}

}  // namespace

const char* SlotFaultText(SlotFault fault)
{
    switch (fault) {
    case SlotFault::None:
        return "sound";
    case SlotFault::Unreadable:
        return "cannot be read";
    case SlotFault::Size:
        return "wrong size";
    case SlotFault::Level:
        return "unknown level";
    case SlotFault::BlockCount:
        return "block count differs from the level";
    case SlotFault::Difficulty:
        return "unknown difficulty";
    case SlotFault::Moves:
        return "negative move counter";
    case SlotFault::Bomb:
        return "bad bomb value";
    case SlotFault::Car:
        return "car off the floor";
    case SlotFault::Heading:
        return "bad heading";
    case SlotFault::Cell:
        return "unknown cell code";
    case SlotFault::Bombs:
        return "too many bombs";
    case SlotFault::Colour:
        return "unknown colour";
    case SlotFault::TargetMap:
        return "target map disagrees with the board";
    case SlotFault::BlockMap:
        return "block map disagrees with the board";
    }
    return "?";
}

std::string EncodeSlot(const SlotData& slot)
{
    int n = slot.blockCount < 0 ? 0 : (slot.blockCount > kSlotMaxBlocks ? kSlotMaxBlocks : slot.blockCount);
    std::string out;
    out.reserve(kSlotHeadSize + 2 * static_cast<size_t>(n));
    PutInt32(out, slot.level);
    PutInt32(out, slot.difficulty);
    PutInt32(out, slot.moves);
    PutInt32(out, slot.bombCarried);
    PutInt32(out, slot.carX);
    PutInt32(out, slot.carY);
    PutFloat(out, slot.heading);
    out.append(reinterpret_cast<const char*>(slot.cells), kSlotCells);
    out.append(reinterpret_cast<const char*>(slot.targetMap), kSlotCells);
    out.append(reinterpret_cast<const char*>(slot.blockMap), kSlotCells);
    PutInt32(out, n);
    out.append(reinterpret_cast<const char*>(slot.targetColours), static_cast<size_t>(n));
    out.append(reinterpret_cast<const char*>(slot.blockColours), static_cast<size_t>(n));
    return out;
}

SlotFault DecodeSlot(const std::string& bytes, SlotData& slot)
{
    if (bytes.size() < static_cast<size_t>(kSlotHeadSize))
        return SlotFault::Size;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    int32_t n = GetInt32(p + 928);
    if (n < 0 || n > kSlotMaxBlocks || bytes.size() != static_cast<size_t>(kSlotHeadSize) + 2 * static_cast<size_t>(n))
        return SlotFault::Size;
    SlotData s;
    s.level = GetInt32(p + 0);
    s.difficulty = GetInt32(p + 4);
    s.moves = GetInt32(p + 8);
    s.bombCarried = GetInt32(p + 12);
    s.carX = GetInt32(p + 16);
    s.carY = GetInt32(p + 20);
    s.heading = GetFloat(p + 24);
    std::memcpy(s.cells, p + 28, kSlotCells);
    std::memcpy(s.targetMap, p + 328, kSlotCells);
    std::memcpy(s.blockMap, p + 628, kSlotCells);
    s.blockCount = n;
    std::memcpy(s.targetColours, p + kSlotHeadSize, static_cast<size_t>(n));
    std::memcpy(s.blockColours, p + kSlotHeadSize + n, static_cast<size_t>(n));
    slot = s;
    return SlotFault::None;
}

SlotFault CheckSlot(const SlotData& slot, int levelCount, int levelBlockCount)
{
    if (slot.blockCount < 0 || slot.blockCount > kSlotMaxBlocks)
        return SlotFault::Size;
    if (slot.level < 0 || slot.level >= levelCount || slot.level >= kLevelCount || levelBlockCount < 0)
        return SlotFault::Level;
    if (slot.blockCount != levelBlockCount)
        return SlotFault::BlockCount;
    if (slot.difficulty < 1 || slot.difficulty > 3)
        return SlotFault::Difficulty;
    if (slot.moves < 0)
        return SlotFault::Moves;
    if (slot.bombCarried != 0 && slot.bombCarried != 5)
        return SlotFault::Bomb;
    if (!std::isfinite(slot.heading))
        return SlotFault::Heading;
    int bombs = 0;
    int targets = 0;
    for (unsigned char code : slot.cells) {
        if (!IsKnownCell(code))
            return SlotFault::Cell;
        bombs += code == 5;
        targets += IsTargetCell(code);
    }
    if (bombs > kSlotMaxBombs)
        return SlotFault::Bombs;
    // The car only ever stands on cells it can drive over.
    if (slot.carX < 0 || slot.carX >= kSlotBoardWidth || slot.carY < 0 || slot.carY >= kSlotBoardHeight ||
        !IsGround(slot.cells[slot.carY * kSlotBoardWidth + slot.carX]))
        return SlotFault::Car;
    for (int i = 0; i < slot.blockCount; ++i)
        if (slot.targetColours[i] >= kSlotColours || slot.blockColours[i] >= kSlotColours)
            return SlotFault::Colour;
    if (targets > kSlotColourRoom || !MapAgrees(slot.targetMap, slot.cells, IsTargetCell, targets))
        return SlotFault::TargetMap;
    if (!MapAgrees(slot.blockMap, slot.cells, IsBlockCell, slot.blockCount))
        return SlotFault::BlockMap;
    return SlotFault::None;
}

bool SlotPath(const char* gamePath, int slot, std::string& path)
{
    if (slot < 0 || slot >= kSlotCount)
        return false;
    char buf[kPathSize];
    if (!FormatPath(buf, sizeof buf, "%s%s%02d%s", gamePath ? gamePath : "", "save/save", slot, ".vro"))
        return false;
    path = buf;
    return true;
}

namespace {

// Reads and checks one slot file. Missing files give false with fault None.
bool ReadSlot(const std::string& path, int levelCount, const LevelBlockCountFn& blockCountOf, SlotData& data,
              SlotFault& fault)
{
    fault = SlotFault::None;
    std::string bytes;
    // One byte more than the largest sound slot, so an oversized file shows.
    const size_t limit = kSlotHeadSize + 2 * kSlotMaxBlocks + 1;
    switch (ReadFileHead(path.c_str(), limit, bytes)) {
    case FileRead::Missing:
        return false;
    case FileRead::Unreadable:
        fault = SlotFault::Unreadable;
        return false;
    case FileRead::Ok:
        break;
    }
    SlotData s;
    fault = DecodeSlot(bytes, s);
    if (fault != SlotFault::None)
        return false;
    int blocks = -1;
    if (s.level >= 0 && s.level < levelCount && s.level < kLevelCount && blockCountOf)
        blocks = blockCountOf(s.level);
    fault = CheckSlot(s, levelCount, blocks);
    if (fault != SlotFault::None)
        return false;
    data = s;
    return true;
}

}  // namespace

void ReadSlotSummaries(SlotSummary (&summaries)[kSlotCount], const char* gamePath, int levelCount,
                       const LevelBlockCountFn& blockCountOf)
{
    for (int n = 0; n < kSlotCount; ++n) {
        SlotSummary& s = summaries[n];
        s = SlotSummary();
        std::string path;
        if (!SlotPath(gamePath, n, path))
            continue;
        SlotData data;
        SlotFault fault;
        if (ReadSlot(path, levelCount, blockCountOf, data, fault)) {
            s.slot = n;
            s.level = data.level;
            s.difficulty = data.difficulty;
        } else if (fault != SlotFault::None) {
            s.slot = n;
            s.damaged = 1;
        }
    }
}

const char* SlotDifficultyKey(const SlotSummary& summary)
{
    if (summary.slot < 0 || summary.damaged)
        return nullptr;
    static const char* const keys[3] = {"Easy", "Normal", "Hard"};
    if (summary.difficulty < 1 || summary.difficulty > 3)
        return nullptr;
    return keys[summary.difficulty - 1];
}

bool SaveGame(int slot, const char* gamePath, const SlotData& data)
{
    std::string path;
    if (!SlotPath(gamePath, slot, path)) {
        Warn("unable to write save file %d : bad slot or path\n", slot);
        return false;
    }
    if (data.blockCount < 0 || data.blockCount > kSlotMaxBlocks) {
        Warn("unable to write save file %s : %d blocks\n", path.c_str(), data.blockCount);
        return false;
    }
    std::string bytes = EncodeSlot(data);
    if (!WriteFileAtomic(path.c_str(), bytes.data(), bytes.size())) {
        Warn("unable to write save file %s\n", path.c_str());
        return false;
    }
    return true;
}

bool LoadGame(int slot, const char* gamePath, int levelCount, const LevelBlockCountFn& blockCountOf, SlotData& data,
              SlotFault* fault)
{
    SlotFault why = SlotFault::None;
    std::string path;
    bool ok = SlotPath(gamePath, slot, path) && ReadSlot(path, levelCount, blockCountOf, data, why);
    if (!ok && why != SlotFault::None)
        Warn("damaged save file %s : %s\n", path.c_str(), SlotFaultText(why));
    if (fault)
        *fault = why;
    return ok;
}
