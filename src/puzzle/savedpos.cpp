// A game in progress as the slot files keep it, and the checks that keep a
// damaged slot from putting an impossible position on the board.
#include "puzzle/internal.h"

#include <cmath>
#include <cstring>

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
        for (int x = 0; x < kPlayWidth; ++x) s.cells[CellIndex(x, y)] = p.board.At(x, y);
    std::memcpy(s.targetIndexMap, p.targetIndexMap, sizeof s.targetIndexMap);
    std::memcpy(s.blockIndexMap, p.blockIndexMap, sizeof s.blockIndexMap);
    s.colourCount = p.blockCount;
    std::memcpy(s.targetColour, p.targetColour, sizeof s.targetColour);
    std::memcpy(s.blockColour, p.blockColour, sizeof s.blockColour);
}

bool ApplySavedPosition(Puzzle& p, const SavedPosition& s)
{
    if (s.difficulty < kEasy || s.difficulty > kHard) return false;
    if (s.bombCarried != 0 && s.bombCarried != kCellBomb) return false;
    if (s.colourCount < 0 || s.colourCount > kMaxTargets) return false;
    for (int i = 0; i < s.colourCount; ++i)
        if (s.targetColour[i] >= kMaxColours || s.blockColour[i] >= kMaxColours) return false;
    if (!InPlay(s.carX, s.carY) || !std::isfinite(s.heading)) return false;

    uint8_t cells[kCellCount];
    int levelBlocks = 0, blocks = 0, targets = 0, bombs = 0;
    bool blockSeen[kMaxBlocks] = {}, targetSeen[kMaxTargets] = {};
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (IsBlockCode(p.board.At(x, y))) ++levelBlocks;
    for (int i = 0; i < kCellCount; ++i) {
        int c = s.cells[i];
        const bool known = c <= 15 || (c >= kCellWallFirst && c <= kCellSpecialLast) || c == kCellBlockOnTarget;
        if (!known) return false;
        if (c == kCellBlockFixed) c = kCellBlockOnTarget;  // every block on a target may move again
        cells[i] = static_cast<uint8_t>(c);
        const int bi = s.blockIndexMap[i], ti = s.targetIndexMap[i];
        if (IsBlockCode(c)) {
            if (bi >= kMaxBlocks || blockSeen[bi]) return false;
            blockSeen[bi] = true;
            ++blocks;
        } else if (bi != kNoIndex) {
            return false;
        }
        if (c == kCellTarget || c == kCellBlockOnTarget) {
            if (ti >= kMaxTargets || targetSeen[ti]) return false;
            targetSeen[ti] = true;
            ++targets;
        }
        if (c == kCellBomb) ++bombs;
    }
    if (blocks != levelBlocks || bombs > kMaxBombs) return false;
    if (cells[CellIndex(s.carX, s.carY)] > 13) return false;

    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) p.board.At(x, y) = cells[CellIndex(x, y)];
    std::memcpy(p.targetIndexMap, s.targetIndexMap, sizeof p.targetIndexMap);
    std::memcpy(p.blockIndexMap, s.blockIndexMap, sizeof p.blockIndexMap);
    std::memset(p.targetColour, 0, sizeof p.targetColour);
    std::memset(p.blockColour, 0, sizeof p.blockColour);
    std::memcpy(p.targetColour, s.targetColour, size_t(s.colourCount));
    std::memcpy(p.blockColour, s.blockColour, size_t(s.colourCount));
    p.targetCount = targets;
    p.difficulty = s.difficulty;
    p.moves = s.moves;
    p.bombCarried = s.bombCarried;
    p.carX = s.carX;
    p.carY = s.carY;
    long q = std::lround(s.heading / 90.0f) % 4;
    p.heading = static_cast<float>((q < 0 ? q + 4 : q) * 90);
    StartLevelBoard(p, 1);
    return true;
}
