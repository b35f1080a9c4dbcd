// The dead-block test: can the block at a cell still be brought to a target?
#include "puzzle/tableau.h"

namespace {

constexpr int kSearchBudget = 4096;

// Occupied: nothing can be pushed into it (block, block on a target, wall,
// special block, outside).
inline bool Occupied(int c)
{
    return c > 13;
}
// Fixed: it will never move (a fixed block on a target, a wall, a special
// block, the outside).
inline bool Fixed(int c)
{
    return c > 14 && c != kCellBlockOnTarget;
}
inline bool PlainBlock(int c)
{
    return c == kCellBlock;
}

// The chain of cells under test, and how many cells the test has put on it.
struct Chain {
    uint8_t x[kPileSize];
    uint8_t y[kPileSize];
    int visits = 0;
};

bool Frozen(const Board& b, Chain& chain, int x, int y, int depth)
{
    // The chain can never hold more than the board's blocks, so the stacks
    // never fill. The visit budget keeps the time of one test bounded on any
    // board (the crowded boards of the benchmark stay below a hundred
    // visits): past it a branch answers "not frozen", which can only leave a
    // block movable, never fix one wrongly.
    if (depth >= kPileSize || chain.visits >= kSearchBudget)
        return false;
    ++chain.visits;
    chain.x[depth] = static_cast<uint8_t>(x);
    chain.y[depth] = static_cast<uint8_t>(y);
    // Back at a cell already under test: the cells of the loop hold each other.
    for (int i = 0; i + 1 < depth; ++i)
        if (chain.x[i] == x && chain.y[i] == y)
            return true;

    const int L = b.At(x - 1, y), R = b.At(x + 1, y), A = b.At(x, y - 1), B = b.At(x, y + 1);
    if (x == 0 || x == kPlayWidth - 1)
        return y == 0 || y == kPlayHeight - 1 || Occupied(A) || Occupied(B);
    if (y == 0 || y == kPlayHeight - 1)
        return Occupied(L) || Occupied(R);

    const int AL = b.At(x - 1, y - 1), AR = b.At(x + 1, y - 1), BL = b.At(x - 1, y + 1), BR = b.At(x + 1, y + 1);
    if ((Occupied(L) && Occupied(BL) && Occupied(B)) || (Occupied(R) && Occupied(BR) && Occupied(B)) ||
        (Occupied(R) && Occupied(AR) && Occupied(A)) || (Occupied(L) && Occupied(AL) && Occupied(A)))
        return true;
    if ((Fixed(L) && Fixed(A)) || (Fixed(R) && Fixed(A)) || (Fixed(R) && Fixed(B)) || (Fixed(L) && Fixed(B)))
        return true;

    // Only a plain block is worth a recursive look: anything else is either
    // already counted above or free to move.
    const bool sideHeld = L > 14 || R > 14;
    const bool endHeld = A > 14 || B > 14;
    if (sideHeld && PlainBlock(A) && Frozen(b, chain, x, y - 1, depth + 1))
        return true;
    if (sideHeld && PlainBlock(B) && Frozen(b, chain, x, y + 1, depth + 1))
        return true;
    if (endHeld && PlainBlock(L) && Frozen(b, chain, x - 1, y, depth + 1))
        return true;
    if (endHeld && PlainBlock(R) && Frozen(b, chain, x + 1, y, depth + 1))
        return true;

    // Two blocks at a right angle that are both frozen hold this one too.
    const int d = depth + 1;
    if (PlainBlock(L) && PlainBlock(A) && Frozen(b, chain, x - 1, y, d) && Frozen(b, chain, x, y - 1, d))
        return true;
    if (PlainBlock(R) && PlainBlock(A) && Frozen(b, chain, x + 1, y, d) && Frozen(b, chain, x, y - 1, d))
        return true;
    if (PlainBlock(R) && PlainBlock(B) && Frozen(b, chain, x + 1, y, d) && Frozen(b, chain, x, y + 1, d))
        return true;
    return PlainBlock(L) && PlainBlock(B) && Frozen(b, chain, x - 1, y, d) && Frozen(b, chain, x, y + 1, d);
}

// Scans from (x, y) by (dx, dy) over cells coded 14 or less, stopping at the
// first cell above 14; true when it passed a target.
bool ScanPassesTarget(const Board& b, int x, int y, int dx, int dy)
{
    for (;; x += dx, y += dy) {
        const int c = b.At(x, y);
        if (c > 14)
            return false;
        if (c == kCellTarget)
            return true;
    }
}

// The block at (x, y) lies beside the fixed neighbour (x + dx, y + dy). The
// wall line through the neighbour and the lane of the block beside it run
// along (ex, ey); the block can only slide along the lane, so it is lost when
// both ends of the lane are closed and no target lies in between.
bool WallLineHolds(const Board& b, int x, int y, int dx, int dy)
{
    if (!Fixed(b.At(x + dx, y + dy)))
        return false;
    const int ex = dy != 0 ? 1 : 0, ey = dx != 0 ? 1 : 0;
    for (int sign = -1; sign <= 1; sign += 2) {
        for (int k = 1;; ++k) {
            const int lx = x + sign * k * ex, ly = y + sign * k * ey;
            const int lane = b.At(lx, ly);
            const int wall = b.At(lx + dx, ly + dy);
            if (wall > 14 && lane < 16) {
                if (lane == kCellTarget)
                    return false;
                continue;
            }
            if (!Fixed(lane))
                return false;
            break;
        }
    }
    return true;
}

}  // namespace

bool IsBlockLost(const Board& b, int x, int y, int* visits)
{
    Chain chain;
    bool lost = false;
    if (x < 0 || x >= kPlayWidth || y < 0 || y >= kPlayHeight)
        lost = false;
    else if (Frozen(b, chain, x, y, 0))
        lost = true;
    else if (y == 0 || y == kPlayHeight - 1)
        lost = !ScanPassesTarget(b, x, y, -1, 0) && !ScanPassesTarget(b, x, y, 1, 0);
    else if (x == 0 || x == kPlayWidth - 1)
        lost = !ScanPassesTarget(b, x, y, 0, -1) && !ScanPassesTarget(b, x, y, 0, 1);
    else
        lost = WallLineHolds(b, x, y, 0, 1) || WallLineHolds(b, x, y, 0, -1) || WallLineHolds(b, x, y, 1, 0) ||
               WallLineHolds(b, x, y, -1, 0);
    if (visits)
        *visits = chain.visits;
    return lost;
}

bool IsBlockLost(Puzzle& p, int x, int y)
{
    return IsBlockLost(p.board, x, y, &p.searchVisits);
}
