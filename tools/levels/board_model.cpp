#include "board_model.h"

#include <cstdio>
#include <cstring>

namespace lvl {

namespace {

constexpr uint8_t kCodeForMask[16] = {20, 31, 30, 22, 28, 26, 24, 32, 29, 27, 25, 33, 21, 35, 34, 23};
constexpr int kJoinUp = 1, kJoinDown = 2, kJoinRight = 4, kJoinLeft = 8;

inline bool Occupied(uint8_t c) { return c > 13; }
inline bool Fixed(uint8_t c) { return c > 14 && c != kPlaced; }
inline bool PlainBlock(uint8_t c) { return c == kBlock; }

// The chain of cells under test; the recursion only walks from a block into
// a neighbouring block, so a cycle means blocks that hold each other.
struct Chain {
    int cells[kCells + 1];
    int length = 0;
    bool Contains(int idx) const
    {
        for (int i = 0; i < length; ++i)
            if (cells[i] == idx) return true;
        return false;
    }
};

bool Frozen(const uint8_t* b, int p, Chain& chain);

bool FrozenHere(const uint8_t* b, int p, Chain& chain)
{
    const int x = CellX(p), y = CellY(p);
    const uint8_t L = b[p - 1], R = b[p + 1], A = b[p - kCols], B = b[p + kCols];
    const uint8_t AL = b[p - kCols - 1], AR = b[p - kCols + 1];
    const uint8_t BL = b[p + kCols - 1], BR = b[p + kCols + 1];

    if (x == 0 || x == kWidth - 1) {
        if (y == 0 || y == kHeight - 1 || Occupied(A) || Occupied(B)) return true;
    }
    if (y == 0 || y == kHeight - 1) {
        if (Occupied(L) || Occupied(R)) return true;
    }
    if ((Occupied(L) && Occupied(BL) && Occupied(B)) || (Occupied(R) && Occupied(BR) && Occupied(B)) ||
        (Occupied(R) && Occupied(AR) && Occupied(A)) || (Occupied(L) && Occupied(AL) && Occupied(A)))
        return true;
    if ((Fixed(L) && Fixed(A)) || (Fixed(R) && Fixed(A)) || (Fixed(R) && Fixed(B)) ||
        (Fixed(L) && Fixed(B)))
        return true;
    // Only recurse into a neighbour that is a block: the test stays linear
    // on a row of blocks.
    const bool horizontalStop = L > 14 || R > 14;
    const bool verticalStop = A > 14 || B > 14;
    if (horizontalStop && PlainBlock(A) && Frozen(b, p - kCols, chain)) return true;
    if (horizontalStop && PlainBlock(B) && Frozen(b, p + kCols, chain)) return true;
    if (verticalStop && PlainBlock(L) && Frozen(b, p - 1, chain)) return true;
    if (verticalStop && PlainBlock(R) && Frozen(b, p + 1, chain)) return true;
    if (PlainBlock(L) && PlainBlock(A) && Frozen(b, p - 1, chain) && Frozen(b, p - kCols, chain))
        return true;
    if (PlainBlock(R) && PlainBlock(A) && Frozen(b, p + 1, chain) && Frozen(b, p - kCols, chain))
        return true;
    if (PlainBlock(R) && PlainBlock(B) && Frozen(b, p + 1, chain) && Frozen(b, p + kCols, chain))
        return true;
    if (PlainBlock(L) && PlainBlock(B) && Frozen(b, p - 1, chain) && Frozen(b, p + kCols, chain))
        return true;
    return false;
}

bool Frozen(const uint8_t* b, int p, Chain& chain)
{
    if (chain.Contains(p)) return true;
    chain.cells[chain.length++] = p;
    const bool frozen = FrozenHere(b, p, chain);
    --chain.length;
    return frozen;
}

// Scans from the block's own cell in one direction over cells coded 14 or
// less; true when a target was passed.
bool ScanPassesTarget(const uint8_t* b, int p, int step)
{
    for (int q = p;; q += step) {
        if (b[q] > 14) return false;
        if (b[q] == kTarget) return true;
    }
}

// The block lies against the fixed cell p + w; the lane is the block's row
// or column. True when the block can only slide along a closed stretch of
// the lane that holds no target.
bool WallLineHolds(const uint8_t* b, int p, int w)
{
    if (!Fixed(b[p + w])) return false;
    const int s = (w == 1 || w == -1) ? kCols : 1;
    for (int dir = -1; dir <= 1; dir += 2) {
        int q = p + dir * s;
        while (b[q + w] > 14 && b[q] < 16) {
            if (b[q] == kTarget) return false;
            q += dir * s;
        }
        if (!Fixed(b[q])) return false;
    }
    return true;
}

}  // namespace

uint8_t WallCodeForMask(int mask) { return kCodeForMask[mask & 15]; }

int WallMaskOfCode(uint8_t code)
{
    for (int m = 0; m < 16; ++m)
        if (kCodeForMask[m] == code) return m;
    return -1;
}

Board MakeEmptyBoard()
{
    Board b;
    std::memset(b.cell, kOutside, sizeof b.cell);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) b.at(x, y) = kFloor;
    return b;
}

Board BoardFromCells(const uint8_t* cells)
{
    Board b = MakeEmptyBoard();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) b.at(x, y) = cells[y * kWidth + x];
    return b;
}

void CellsFromBoard(const Board& b, uint8_t* cells)
{
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) cells[y * kWidth + x] = b.at(x, y);
}

void ShapeAllWalls(Board& b)
{
    Board src = b;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (!IsWallCode(src.at(x, y))) continue;
            int mask = 0;
            if (y > 0 && IsWallCode(src.at(x, y - 1))) mask |= kJoinUp;
            if (y < kHeight - 1 && IsWallCode(src.at(x, y + 1))) mask |= kJoinDown;
            if (x < kWidth - 1 && IsWallCode(src.at(x + 1, y))) mask |= kJoinRight;
            if (x > 0 && IsWallCode(src.at(x - 1, y))) mask |= kJoinLeft;
            b.at(x, y) = WallCodeForMask(mask);
        }
}

void ShapeWallsAsLoader(Board& b)
{
    auto joins = [](uint8_t code, int bit) {
        int m = WallMaskOfCode(code);
        return m >= 0 && (m & bit) != 0;
    };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (!IsWallCode(b.at(x, y))) continue;
            int mask = 0;
            if (y > 0 && joins(b.at(x, y - 1), kJoinDown)) mask |= kJoinUp;
            if (y < kHeight - 1 && joins(b.at(x, y + 1), kJoinUp)) mask |= kJoinDown;
            if (x < kWidth - 1 && joins(b.at(x + 1, y), kJoinLeft)) mask |= kJoinRight;
            if (x > 0 && joins(b.at(x - 1, y), kJoinRight)) mask |= kJoinLeft;
            b.at(x, y) = WallCodeForMask(mask);
        }
}

bool ModelBlockLost(const Board& board, int p)
{
    const uint8_t* b = board.cell;
    Chain chain;
    if (Frozen(b, p, chain)) return true;
    const int x = CellX(p), y = CellY(p);
    if (y == 0 || y == kHeight - 1)
        return !(ScanPassesTarget(b, p, -1) || ScanPassesTarget(b, p, 1));
    if (x == 0 || x == kWidth - 1)
        return !(ScanPassesTarget(b, p, -kCols) || ScanPassesTarget(b, p, kCols));
    return WallLineHolds(b, p, kCols) || WallLineHolds(b, p, -kCols) || WallLineHolds(b, p, 1) ||
           WallLineHolds(b, p, -1);
}

int ReexamineBlocks(Board& b)
{
    // Fixing one block can fix its neighbour: repeat the row-major pass
    // until nothing changes, as the game does (at most 8 passes).
    int lost = 0;
    for (int pass = 0; pass < 8; ++pass) {
        bool changed = false;
        lost = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const int p = CellIndex(x, y);
                const uint8_t c = b.cell[p];
                if (c == kBlock) {
                    if (ModelBlockLost(b, p)) ++lost;
                } else if (c == kPlaced) {
                    if (ModelBlockLost(b, p)) {
                        b.cell[p] = kFixed;
                        changed = true;
                    }
                } else if (c == kFixed) {
                    if (!ModelBlockLost(b, p)) {
                        b.cell[p] = kPlaced;
                        changed = true;
                    }
                }
            }
        if (!changed) break;
    }
    return lost;
}

Board PrepareBoard(const Board& fileBoard, const uint8_t* floorMask, Difficulty d)
{
    Board b = fileBoard;
    if (d == kEasy) return b;
    for (int i = 0; i < kBoardSize; ++i)
        if (IsPlayable(i) && b.cell[i] == kBomb) b.cell[i] = kFloor;
    if (d != kHard) return b;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (b.at(x, y) == kFloor && floorMask[y * kWidth + x] == 0) b.at(x, y) = kWallFirst;
    const uint8_t kMark = 254;
    auto countsAsWall = [](uint8_t c) { return IsWallCode(c) || c == 254 || c == kOutside; };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int p = CellIndex(x, y);
            if (!IsWallCode(b.cell[p])) continue;
            bool inner = true;
            for (int dy = -1; dy <= 1 && inner; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && !countsAsWall(b.cell[p + dy * kCols + dx])) {
                        inner = false;
                        break;
                    }
            if (inner) b.cell[p] = kMark;
        }
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (b.at(x, y) == kMark) b.at(x, y) = kFloor;
    ShapeAllWalls(b);
    return b;
}

Numbering NumberBoard(const Board& b)
{
    Numbering n;
    for (int i = 0; i < kBoardSize; ++i) n.blockAt[i] = n.targetAt[i] = -1;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int p = CellIndex(x, y);
            const uint8_t c = b.cell[p];
            if (c == kTarget || c == kPlaced) n.targetAt[p] = n.targets++;
            if (c == kBlock || c == kPlaced || c == kFixed) n.blockAt[p] = n.blocks++;
        }
    return n;
}

int HardColourCount(int levelIndex)
{
    int k = 2 + levelIndex / 50;
    return k > 5 ? 5 : k;
}

bool StartGameSim(GameSim& g, const Board& fileBoard, const uint8_t* floorMask, Difficulty d)
{
    g.board = PrepareBoard(fileBoard, floorMask, d);
    g.difficulty = d;
    g.carried = 0;
    g.carStart = -1;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (g.board.at(x, y) == kCarStart) g.carStart = CellIndex(x, y);
    if (g.carStart < 0) return false;
    g.car = g.carStart;
    Numbering n = NumberBoard(g.board);
    std::memcpy(g.blockIdAt, n.blockAt, sizeof g.blockIdAt);
    return true;
}

StepResult StepGameSim(GameSim& g, Dir d)
{
    const int a = g.car + kDirStep[d];
    const int beyond = a + kDirStep[d];
    uint8_t* c = g.board.cell;
    StepResult result;
    if (c[a] <= 13) {
        g.car = a;
        result = StepResult::Moved;
    } else if (c[a] == kBlock || c[a] == kPlaced) {
        // A bomb is not ground a block can be pushed onto.
        if (c[beyond] > 13 || c[beyond] == kBomb) return StepResult::Refused;
        c[a] = c[a] == kPlaced ? kTarget : (a == g.carStart ? kCarStart : kFloor);
        c[beyond] = c[beyond] == kTarget ? kPlaced : kBlock;
        g.blockIdAt[beyond] = g.blockIdAt[a];
        g.blockIdAt[a] = -1;
        g.car = a;
        result = StepResult::Pushed;
    } else if (c[a] == kFixed) {
        return StepResult::PushedFixed;
    } else {
        return StepResult::Refused;
    }
    if (g.difficulty == kEasy && c[g.car] == kBomb && g.carried == 0) {
        g.carried = kBomb;
        c[g.car] = kFloor;
    }
    ReexamineBlocks(g.board);
    return result;
}

int CountPlacedMatching(const GameSim& g, const std::vector<uint8_t>& pairing,
                        const Numbering& start, int colours)
{
    int placed = 0;
    for (int i = 0; i < kBoardSize; ++i) {
        const uint8_t c = g.board.cell[i];
        if (c != kFixed && c != kPlaced) continue;
        const int block = g.blockIdAt[i];
        const int target = start.targetAt[i];
        if (block < 0 || target < 0) continue;
        if (colours > 0) {
            const unsigned paired = static_cast<uint8_t>(pairing[block]);
            if (static_cast<int>(paired % colours) != target % colours) continue;
        }
        ++placed;
    }
    return placed;
}

std::string ModelCheckLevel(const Board& fileBoard, const std::vector<uint8_t>& actions, int levelIndex)
{
    char msg[160];
    Board board = fileBoard;
    uint8_t* b = board.cell;
    int car = -1;
    int targets = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int p = CellIndex(x, y);
            if (b[p] >= kSpecialFirst && b[p] <= kSpecialLast) b[p] = kWallFirst;
            if (b[p] == kCarStart) {
                b[p] = kFloor;
                car = p;
            }
            if (b[p] == kBomb) b[p] = kFloor;
            if (b[p] == kTarget || b[p] == kPlaced || b[p] == kFixed) ++targets;
        }
    if (car < 0) {
        std::snprintf(msg, sizeof msg, "bloque au niveau %d, position %d", levelIndex, 0);
        return msg;
    }
    for (size_t pos = 0; pos < actions.size(); ++pos) {
        const int code = actions[pos];
        if (code >= 1 && code <= 4) {
            const int a = car + kDirStep[code - 1];
            if (b[a] != kFloor && b[a] != kTarget) {
                std::snprintf(msg, sizeof msg, "bloque au niveau %d, position %d", levelIndex, (int)pos);
                return msg;
            }
            car = a;
        } else if (code >= 5 && code <= 8) {
            const int a = car + kDirStep[code - 5];
            const int beyond = a + kDirStep[code - 5];
            if ((b[a] != kBlock && b[a] != kPlaced) || (b[beyond] != kFloor && b[beyond] != kTarget)) {
                std::snprintf(msg, sizeof msg, "bloque au niveau %d, position %d", levelIndex, (int)pos);
                return msg;
            }
            const bool landedOnFloor = b[beyond] == kFloor;
            b[beyond] = landedOnFloor ? kBlock : kFixed;
            b[a] = b[a] == kBlock ? kFloor : kTarget;
            car = a;
            if (landedOnFloor && ModelBlockLost(board, beyond)) {
                std::snprintf(msg, sizeof msg, "bloc perdu au niveau %d, position %d", levelIndex, (int)pos);
                return msg;
            }
        } else if (code == 10) {
            std::snprintf(msg, sizeof msg, "bloque au niveau %d, position %d", levelIndex, (int)pos);
            return msg;
        }
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const int p = CellIndex(x, y);
                if (b[p] == kFixed && !ModelBlockLost(board, p)) b[p] = kPlaced;
            }
    }
    int placed = 0;
    for (int i = 0; i < kBoardSize; ++i)
        if (IsPlayable(i) && (b[i] == kFixed || b[i] == kPlaced)) ++placed;
    if (placed != targets) {
        std::snprintf(msg, sizeof msg, "Le niveau %d n'est pas terminÈ apres la resolution (%d / %d)",
                      levelIndex, placed, targets);
        return msg;
    }
    return std::string();
}

}  // namespace lvl
