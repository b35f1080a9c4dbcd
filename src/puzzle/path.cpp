// Walks: the shortest way over quiet ground, and what a click on a cell asks.
#include "puzzle/internal.h"

#include <cstdlib>

bool IsQuietGround(const Puzzle& p, int x, int y)
{
    if (!InPlay(x, y))
        return false;
    const int c = p.board.At(x, y);
    return IsGround(c) && (c <= kCellCarStart || p.bombCarried != 0);
}

std::vector<Direction> FindPath(const Puzzle& p, int x, int y)
{
    std::vector<Direction> path;
    if (!InPlay(x, y) || !InPlay(p.carX, p.carY) || (x == p.carX && y == p.carY) || !IsQuietGround(p, x, y))
        return path;
    // Breadth first from the goal, so each cell knows its next step towards it.
    int8_t toward[kCellCount];
    for (auto& t : toward)
        t = 0;
    int queue[kCellCount], head = 0, tail = 0;
    queue[tail++] = CellIndex(x, y);
    toward[CellIndex(x, y)] = -1;
    const Direction dirs[4] = {kDirUp, kDirDown, kDirRight, kDirLeft};
    while (head < tail) {
        const int cell = queue[head++];
        const int cx = cell % kPlayWidth, cy = cell / kPlayWidth;
        for (Direction d : dirs) {
            int dx, dy;
            DirectionDelta(d, dx, dy);
            const int nx = cx - dx, ny = cy - dy;  // a neighbour that steps by d onto this cell
            if (!InPlay(nx, ny) || toward[CellIndex(nx, ny)] != 0)
                continue;
            const bool car = nx == p.carX && ny == p.carY;
            if (!car && !IsQuietGround(p, nx, ny))
                continue;
            toward[CellIndex(nx, ny)] = static_cast<int8_t>(d);
            if (car)
                head = tail;  // found: the queue need not go on
            else
                queue[tail++] = CellIndex(nx, ny);
        }
    }
    if (toward[CellIndex(p.carX, p.carY)] <= 0)
        return path;
    for (int cx = p.carX, cy = p.carY; cx != x || cy != y;) {
        const Direction d = static_cast<Direction>(toward[CellIndex(cx, cy)]);
        path.push_back(d);
        int dx, dy;
        DirectionDelta(d, dx, dy);
        cx += dx, cy += dy;
    }
    return path;
}

namespace {

// The pushes a click on (x, y) asks for: the direction and their number, or
// 0 when the cell is not a block beside the car or a cell in line beyond it.
int PushesTo(const Puzzle& p, int x, int y, Direction& dir)
{
    const int dx = x - p.carX, dy = y - p.carY;
    if ((dx != 0) == (dy != 0) || !InPlay(x, y))
        return 0;
    dir = dx < 0 ? kDirLeft : dx > 0 ? kDirRight : dy < 0 ? kDirUp : kDirDown;
    const int sx = dx ? dx / std::abs(dx) : 0, sy = dy ? dy / std::abs(dy) : 0;
    if (!IsPushable(p.board.At(p.carX + sx, p.carY + sy)))
        return 0;
    const int distance = std::abs(dx) + std::abs(dy);
    return distance == 1 ? 1 : distance - 1;  // the block ends on the clicked cell
}

}  // namespace

bool ClickableCell(const Puzzle& p, int x, int y)
{
    Direction d;
    return !p.replayMode && (!FindPath(p, x, y).empty() || PushesTo(p, x, y, d) > 0);
}

void StopWalk(Puzzle& p)
{
    p.walkCount = p.walkPos = 0;
    p.walkRedo = false;
}

bool ClickCell(Puzzle& p, int x, int y)
{
    if (Walking(p)) {
        StopWalk(p);
        return false;
    }
    StopWalk(p);
    if (p.replayMode)
        return false;
    // In line beyond a block the car touches, the click pushes even where
    // the car could also drive round.
    Direction d;
    const int pushes = PushesTo(p, x, y, d);
    const std::vector<Direction> path = pushes ? std::vector<Direction>(size_t(pushes), d) : FindPath(p, x, y);
    for (Direction step : path)
        p.walk[p.walkCount++] = static_cast<uint8_t>(step);
    return Walking(p);
}
