// A game in progress as the slot files keep it, and put back on its level.
// Whether a slot may be put back is the saved games' check alone.
#include "puzzle/internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The slot's block map numbers exactly the blocks on the board, so they are
// its N, however long the level's pairing list is.
int CountBlocks(const uint8_t (&cells)[kCellCount])
{
    return static_cast<int>(
        std::count_if(std::begin(cells), std::end(cells), [](uint8_t c) { return IsBlockCode(c); }));
}

}  // namespace

int ReadSavedBlockCount(const char* dataPrefix, int level)
{
    std::string bytes, why;
    LevelFileData d;
    if (level < 0 || !ReadLevelFileBytes(dataPrefix, level, bytes) || !DecodeLevelFile(bytes, d, why))
        return -1;
    return CountBlocks(d.cells);
}

void TakeSavedPosition(const Puzzle& p, SavedPosition& s)
{
    s = SavedPosition();
    s.difficulty = p.difficulty;
    s.moves = p.moves;
    s.bombCarried = p.bombCarried;
    s.carX = p.carX;
    s.carY = p.carY;
    s.heading = p.heading;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            s.cells[CellIndex(x, y)] = p.board.At(x, y);
    std::memcpy(s.targetIndexMap, p.targetIndexMap, sizeof s.targetIndexMap);
    std::memcpy(s.blockIndexMap, p.blockIndexMap, sizeof s.blockIndexMap);
    s.colourCount = CountBlocks(s.cells);
    std::memcpy(s.targetColour, p.targetColour, sizeof s.targetColour);
    std::memcpy(s.blockColour, p.blockColour, sizeof s.blockColour);
}

void ApplySavedPosition(Puzzle& p, const SavedPosition& s)
{
    int targets = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            int c = s.cells[CellIndex(x, y)];
            if (c == kCellBlockFixed)
                c = kCellBlockOnTarget;  // every block on a target may move again
            if (c == kCellTarget || c == kCellBlockOnTarget)
                ++targets;
            p.board.At(x, y) = static_cast<uint8_t>(c);
        }
    std::memcpy(p.targetIndexMap, s.targetIndexMap, sizeof p.targetIndexMap);
    std::memcpy(p.blockIndexMap, s.blockIndexMap, sizeof p.blockIndexMap);
    std::memset(p.targetColour, 0, sizeof p.targetColour);
    std::memset(p.blockColour, 0, sizeof p.blockColour);
    std::memcpy(p.targetColour, s.targetColour, size_t(s.colourCount));
    std::memcpy(p.blockColour, s.blockColour, size_t(s.colourCount));
    // Targets whose colours the slot does not hold get them as a level
    // start gives them.
    const int k = HardColourCount(p.levelIndex);
    for (int t = s.colourCount; t < targets && t < kMaxTargets; ++t)
        p.targetColour[t] = static_cast<uint8_t>(s.difficulty == kHard ? t % k : 0);
    p.targetCount = targets;
    p.difficulty = s.difficulty;
    p.bombCarried = s.bombCarried;
    p.carX = s.carX;
    p.carY = s.carY;
    long q = std::lround(s.heading / 90.0f) % 4;
    p.heading = static_cast<float>((q < 0 ? q + 4 : q) * 90);
    StartLevelBoard(p, 1);
    // The level start counts from 0; a loaded game goes on from its saved
    // count, so a record cannot be had by saving near the end.
    p.moves = s.moves;
}
