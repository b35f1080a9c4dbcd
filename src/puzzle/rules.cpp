// The move rules: level start, steps and pushes, bombs, the blocks'
// examination and the win test.
#include "puzzle/internal.h"

#include <cmath>
#include <cstring>

PuzzleHooks& Hooks(Puzzle& p)
{
    static PuzzleHooks silent;
    return p.hooks ? *p.hooks : silent;
}

void DirectionDelta(Direction dir, int& dx, int& dy)
{
    dx = dir == kDirLeft ? -1 : dir == kDirRight ? 1 : 0;
    dy = dir == kDirUp ? -1 : dir == kDirDown ? 1 : 0;
}

float DirectionHeading(Direction dir)
{
    switch (dir) {
    case kDirLeft:
        return 0;
    case kDirDown:
        return 90;
    case kDirRight:
        return 180;
    case kDirUp:
        return 270;
    }
    return 0;
}

void PlaceBlockRecord(BlockRecord& r, int x, int y)
{
    r.x = x;
    r.y = y;
    r.drawX = static_cast<float>(x);
    r.drawY = static_cast<float>(y);
    r.height = 0;
}

void SetBlockOrientation(BlockRecord& r, const Quat& q)
{
    r.orientation = q;
    QuatToMatrix(q, r.matrix);
}

int BlockListIndexAt(const Puzzle& p, int x, int y)
{
    if (!InPlay(x, y))
        return -1;
    const int bi = p.blockIndexMap[CellIndex(x, y)];
    if (bi >= kMaxBlocks)
        return -1;
    const int li = p.listOfBlock[bi];
    if (li >= p.blockListCount || p.blocks[li].blockIndex != bi)
        return -1;
    return li;
}

int BombListIndexAt(const Puzzle& p, int x, int y)
{
    for (int i = 0; i < p.bombListCount; ++i)
        if (p.bombs[i].present && p.bombs[i].x == x && p.bombs[i].y == y)
            return i;
    return -1;
}

void ShowHintOnce(Puzzle& p, int kind)
{
    int* flag = kind == kHintBlocked ? &p.helpBlocked : kind == kHintLost ? &p.helpLost : &p.helpBomb;
    if (!*flag || p.replayMode)
        return;
    *flag = 0;
    Hooks(p).PlaySound("message.wav");
    Hooks(p).ShowHint(kind);
}

namespace {

int BlockColourOf(const Puzzle& p, int blockIndex)
{
    if (blockIndex >= kMaxBlocks)
        return 0;
    const int c = p.blockColour[p.pairing[blockIndex]];
    return c < kMaxColours ? c : 0;
}

// A wall piece seen in the mirror is its partner piece.
void SwapPieceCode(uint8_t& c, const uint8_t (&swaps)[6][2])
{
    for (const auto& s : swaps) {
        if (c == s[0] || c == s[1]) {
            c = c == s[0] ? s[1] : s[0];
            return;
        }
    }
}

void MirrorLeftRight(Puzzle& p)
{
    static const uint8_t swaps[][2] = {{24, 25}, {26, 27}, {28, 29}, {32, 33}, {36, 37}, {38, 39}};
    for (int y = 0; y < kPlayHeight; ++y) {
        for (int x = 0; x < kPlayWidth / 2; ++x) {
            const int xr = kPlayWidth - 1 - x;
            std::swap(p.board.At(x, y), p.board.At(xr, y));
            std::swap(p.blockIndexMap[CellIndex(x, y)], p.blockIndexMap[CellIndex(xr, y)]);
            std::swap(p.targetIndexMap[CellIndex(x, y)], p.targetIndexMap[CellIndex(xr, y)]);
        }
        for (int x = 0; x < kPlayWidth; ++x) {
            SwapPieceCode(p.board.At(x, y), swaps);
        }
    }
}

void MirrorTopBottom(Puzzle& p)
{
    static const uint8_t swaps[][2] = {{24, 26}, {25, 27}, {30, 31}, {34, 35}, {36, 38}, {37, 39}};
    for (int y = 0; y < kPlayHeight / 2; ++y) {
        const int yb = kPlayHeight - 1 - y;
        for (int x = 0; x < kPlayWidth; ++x) {
            std::swap(p.board.At(x, y), p.board.At(x, yb));
            std::swap(p.blockIndexMap[CellIndex(x, y)], p.blockIndexMap[CellIndex(x, yb)]);
            std::swap(p.targetIndexMap[CellIndex(x, y)], p.targetIndexMap[CellIndex(x, yb)]);
        }
    }
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            SwapPieceCode(p.board.At(x, y), swaps);
        }
}

}  // namespace

// On Hard the floor outside the mask is walled in and only the outer skin of
// each wall mass is kept.
void ApplyFloorMask(Board& b, const uint8_t* floorMask)
{
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (b.At(x, y) == kCellFloor && floorMask && floorMask[CellIndex(x, y)] == 0)
                b.At(x, y) = kCellWallFirst;
    // Only walls, cells already marked and the outside count as wall around a
    // cell: a block or a special block next to a wall must not open it.
    auto wallish = [](int c) { return IsWallCode(c) || c == kCellHollowMark || c == kCellOutside; };
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            if (!IsWallCode(b.At(x, y)))
                continue;
            bool inner = true;
            for (int dy = -1; dy <= 1 && inner; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && !wallish(b.At(x + dx, y + dy))) {
                        inner = false;
                        break;
                    }
            if (inner)
                b.At(x, y) = kCellHollowMark;
        }
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            uint8_t& c = b.At(x, y);
            if (c == kCellHollowMark)
                c = kCellFloor;
            else if (IsWallCode(c))
                c = static_cast<uint8_t>(ShapeWallSimple(b, x, y));
        }
}

void RemoveBombs(Board& b)
{
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (b.At(x, y) == kCellBomb)
                b.At(x, y) = kCellFloor;
}

int HardColourCount(int levelIndex)
{
    const int k = 2 + levelIndex / 50;
    return k > kMaxColours ? kMaxColours : k;
}

namespace {

void NumberBlocksAndTargets(Puzzle& p)
{
    std::memset(p.blockIndexMap, kNoIndex, sizeof p.blockIndexMap);
    std::memset(p.targetIndexMap, kNoIndex, sizeof p.targetIndexMap);
    std::memset(p.blockColour, 0, sizeof p.blockColour);
    std::memset(p.targetColour, 0, sizeof p.targetColour);
    const int k = HardColourCount(p.levelIndex);
    int targets = 0, blocks = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int c = p.board.At(x, y);
            if ((c == kCellTarget || c == kCellBlockOnTarget || c == kCellBlockFixed) && targets < kMaxTargets) {
                p.targetIndexMap[CellIndex(x, y)] = static_cast<uint8_t>(targets);
                p.targetColour[targets] = p.difficulty == kHard ? static_cast<uint8_t>(targets % k) : 0;
                ++targets;
            }
            if (IsBlockCode(c) && blocks < kMaxBlocks) {
                p.blockIndexMap[CellIndex(x, y)] = static_cast<uint8_t>(blocks);
                p.blockColour[blocks] = p.difficulty == kHard ? static_cast<uint8_t>(blocks % k) : 0;
                ++blocks;
            }
        }
}

}  // namespace

void BuildObjectLists(Puzzle& p)
{
    p.blockListCount = 0;
    std::memset(p.listOfBlock, kNoIndex, sizeof p.listOfBlock);
    for (int colour = 0; colour < kMaxColours; ++colour)
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x) {
                const int c = p.board.At(x, y);
                const int bi = p.blockIndexMap[CellIndex(x, y)];
                if (!IsBlockCode(c) || bi >= kMaxBlocks || BlockColourOf(p, bi) != colour)
                    continue;
                if (p.blockListCount >= kMaxBlocks)
                    continue;
                BlockRecord& r = p.blocks[p.blockListCount];
                r = BlockRecord();
                r.active = true;
                r.onTarget = c == kCellBlockFixed;
                r.colour = colour;
                r.blockIndex = static_cast<uint8_t>(bi);
                PlaceBlockRecord(r, x, y);
                SetBlockOrientation(r, Quat());
                p.listOfBlock[bi] = static_cast<uint8_t>(p.blockListCount);
                ++p.blockListCount;
            }
    p.bombListCount = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (p.board.At(x, y) == kCellBomb && p.bombListCount < kMaxBombs) {
                BombRecord& m = p.bombs[p.bombListCount++];
                m = BombRecord();
                m.present = true;
                m.visible = true;
                m.x = x;
                m.y = y;
                m.drawX = static_cast<float>(x);
                m.drawY = static_cast<float>(y);
            }
}

void StartLevelBoard(Puzzle& p, int restore)
{
    p.moves = 0;
    p.undoCount = 0;
    ClearRedo(p);
    StopWalk(p);
    p.moveProgress = 0;
    p.moveElapsed = 0;
    p.pushedBlock = -1;
    p.bombTimer = 0;
    p.playbackPause = 0;
    p.explosionCount = 0;
    p.blastTimer = 0;
    ClearTracks(p);
    // A played solution has just been put into the history; anything else
    // starts with an empty one.
    if (!p.replayMode)
        ClearHistory(p);
    if (!restore)
        p.heading = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            p.startBoard[CellIndex(x, y)] = p.board.At(x, y);
    const int h = p.help ? 1 : 0;
    p.helpBlocked = p.helpLost = p.helpBomb = h;

    if (p.difficulty != kEasy)
        RemoveBombs(p.board);

    // A saved game brings its own walls, numbers, colours and mirroring.
    if (!restore) {
        p.bombCarried = 0;
        p.targetCount = 0;
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x) {
                const int c = p.board.At(x, y);
                if (c == kCellTarget || c == kCellBlockOnTarget || c == kCellBlockFixed)
                    ++p.targetCount;
            }
        if (p.difficulty == kHard)
            ApplyFloorMask(p.board, p.floorMask.empty() ? nullptr : p.floorMask.data());
        NumberBlocksAndTargets(p);
        if (p.difficulty == kHard && !p.replayMode) {
            if (Hooks(p).Random() & 1)
                MirrorLeftRight(p);
            if (Hooks(p).Random() & 1)
                MirrorTopBottom(p);
        }
    }

    p.carStartX = p.carStartY = -1;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (p.board.At(x, y) == kCellCarStart) {
                p.carStartX = x;
                p.carStartY = y;
            }
    if (!restore && p.carStartX >= 0) {
        p.carX = p.carStartX;
        p.carY = p.carStartY;
    }
    p.carDrawX = static_cast<float>(p.carX);
    p.carDrawY = static_cast<float>(p.carY);
    p.carAngle = p.heading;

    BuildObjectLists(p);
    p.examineDue = true;
    Hooks(p).SceneryChanged();
}

void ChangeDifficulty(Puzzle& p, int difficulty)
{
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            p.board.At(x, y) = p.startBoard[CellIndex(x, y)];
    p.difficulty = difficulty;
    StartLevelBoard(p, 0);
    ClearHistory(p);
}

StepResult StepCar(Puzzle& p, Direction dir)
{
    if (p.moveProgress != 0)
        return kStepBusy;
    p.heading = DirectionHeading(dir);
    int dx, dy;
    DirectionDelta(dir, dx, dy);
    Board& b = p.board;
    const int ax = p.carX + dx, ay = p.carY + dy;
    const int bx = ax + dx, by = ay + dy;
    const int a = b.At(ax, ay);

    if (IsGround(a)) {
        if (a >= 3 && p.bombCarried == 0)
            PushUndo(p, ax, ay, a, p.carX, p.carY, p.bombCarried);
        StartCarMove(p, dir, -1);
        RecordAction(p, dir);
        return kStepMoved;
    }
    if (!IsPushable(a))
        return kStepRefused;

    const int c = b.At(bx, by);
    if (TakesPushedBlock(c)) {
        PushUndo(p, ax, ay, a, p.carX, p.carY, p.bombCarried, 1);
        PushUndo(p, bx, by, c, p.carX, p.carY, p.bombCarried, 2);
        const int li = BlockListIndexAt(p, ax, ay);
        MoveBlock(b, ax, ay, dx, dy, p.carStartX, p.carStartY);
        p.blockIndexMap[CellIndex(bx, by)] = p.blockIndexMap[CellIndex(ax, ay)];
        p.blockIndexMap[CellIndex(ax, ay)] = kNoIndex;
        if (li >= 0) {
            BlockRecord& r = p.blocks[li];
            r.x = bx;
            r.y = by;
            r.onTarget = false;
            r.lost = false;
        }
        StartCarMove(p, dir, li);
        RecordAction(p, dir);
        Hooks(p).PlaySound("push.wav");
        return kStepPushed;
    }
    if (c == kCellBlock) {
        Hooks(p).PlaySound("error1.wav");
        ShowHintOnce(p, kHintBlocked);
    }
    if (a == kCellBlock && IsBlockLost(p, ax, ay)) {
        Hooks(p).ReleaseHeldKeys();
        Hooks(p).PlaySound("error2.wav");
        ShowHintOnce(p, kHintLost);
    }
    return kStepRefused;
}

bool PickUpBomb(Puzzle& p)
{
    if (p.board.At(p.carX, p.carY) != kCellBomb || p.bombTimer != 0 || p.bombCarried != 0)
        return false;
    p.bombCarried = kCellBomb;
    Hooks(p).PlaySound("selbomb.wav");
    ShowHintOnce(p, kHintBomb);
    p.board.At(p.carX, p.carY) = kCellFloor;
    const int m = BombListIndexAt(p, p.carX, p.carY);
    if (m >= 0)
        p.bombs[m].present = false;
    return true;
}

bool SetOffBomb(Puzzle& p)
{
    if (p.bombCarried == 0 || p.bombTimer != 0)
        return false;
    Board& b = p.board;
    const int under = b.At(p.carX, p.carY);
    if (under == kCellBomb || under == kCellTarget) {
        Hooks(p).PlaySound("error2.wav");
        return false;
    }
    RecordAction(p, kActSetOff);
    p.bombTimer = 60;
    p.blastTimer = 60;
    p.explosionCount = 0;
    AddExplosion(p, p.carX, p.carY);

    auto isTarget = [&](int x, int y) {
        return InPlay(x, y) && (b.At(x, y) == kCellTarget || p.targetIndexMap[CellIndex(x, y)] != kNoIndex);
    };
    int kind = 1;
    bool changed = false;
    const int dirs[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};  // up, down, left, right
    for (const auto& d : dirs) {
        const int ax = p.carX + d[0], ay = p.carY + d[1];
        // The two cells flanking the destroyed one, beside the line of the blast.
        const int fx1 = ax + d[1], fy1 = ay + d[0], fx2 = ax - d[1], fy2 = ay - d[0];
        if (!IsWallCode(b.At(ax, ay)) || isTarget(fx1, fy1) || isTarget(fx2, fy2))
            continue;
        PushUndo(p, ax, ay, b.At(ax, ay), p.carX, p.carY, kCellBomb, kind++);
        b.At(ax, ay) = kCellFloor;
        AddExplosion(p, ax, ay);
        changed = true;
        const int around[3][2] = {{ax + d[0], ay + d[1]}, {fx1, fy1}, {fx2, fy2}};
        for (const auto& c : around) {
            if (!InPlay(c[0], c[1]) || !IsWallCode(b.At(c[0], c[1])))
                continue;
            PushUndo(p, c[0], c[1], b.At(c[0], c[1]), p.carX, p.carY, kCellBomb, kind++);
            b.At(c[0], c[1]) = static_cast<uint8_t>(ShapeWallByJoins(b, c[0], c[1]));
        }
    }
    // A blast that destroys nothing still leaves its step on the stack, so
    // that undoing it gives the bomb back and a redo sets it off again.
    if (kind == 1)
        PushUndo(p, p.carX, p.carY, under, p.carX, p.carY, kCellBomb, kind);
    Hooks(p).PlaySound("explo.wav");
    p.bombCarried = 0;
    p.moves += 50;
    p.examineDue = true;
    if (changed)
        Hooks(p).SceneryChanged();
    return true;
}

void MoveBlock(Board& b, int x, int y, int dx, int dy, int startX, int startY)
{
    const int from = b.At(x, y), to = b.At(x + dx, y + dy);
    b.At(x, y) = from == kCellBlockOnTarget ? kCellTarget : (x == startX && y == startY) ? kCellCarStart : kCellFloor;
    b.At(x + dx, y + dy) = to == kCellTarget ? kCellBlockOnTarget : kCellBlock;
}

void SettleBlocksOnTargets(Board& b)
{
    // Every block on a target starts out movable and is fixed only when the
    // others justify it; a fixed block never holds itself (with its own 15
    // counted as fixed it could), so the result depends on the board alone,
    // not on the order of the moves that led to it, and an undo frees what
    // the undone move had fixed.
    // The passes visit only the blocks on targets, in row-major order (the
    // solver settles every position it makes).
    uint8_t onTargetX[kCellCount], onTargetY[kCellCount];
    int count = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            uint8_t& c = b.At(x, y);
            if (c == kCellBlockFixed)
                c = kCellBlockOnTarget;
            if (c != kCellBlockOnTarget)
                continue;
            onTargetX[count] = uint8_t(x);
            onTargetY[count++] = uint8_t(y);
        }
    // Fixing a block can only make its neighbours more fixed, so this ends
    // after at most one pass per block.
    for (bool changed = true; changed;) {
        changed = false;
        for (int i = 0; i < count; ++i) {
            const int x = onTargetX[i], y = onTargetY[i];
            if (b.At(x, y) == kCellBlockOnTarget && IsBlockLost(b, x, y)) {
                b.At(x, y) = kCellBlockFixed;
                changed = true;
            }
        }
    }
}

void ExamineBlocks(Puzzle& p)
{
    p.examineDue = false;
    bool wasFixed[kCellCount];
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            wasFixed[CellIndex(x, y)] = p.board.At(x, y) == kCellBlockFixed;
    SettleBlocksOnTargets(p.board);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int c = p.board.At(x, y);
            if (!IsBlockCode(c))
                continue;
            const int li = BlockListIndexAt(p, x, y);
            if (c == kCellBlock) {
                if (li >= 0)
                    p.blocks[li].lost = IsBlockLost(p, x, y);
                continue;
            }
            const bool fixed = c == kCellBlockFixed;
            if (li >= 0) {
                p.blocks[li].onTarget = fixed;
                p.blocks[li].lost = false;
            }
            if (fixed && !wasFixed[CellIndex(x, y)]) {
                Hooks(p).PlaySound("transfor.wav");
                Hooks(p).BlockFixed(li);
                if (p.replayMode)
                    p.playbackPause = 50;
            }
        }
}

int CountPlacedBlocks(const Puzzle& p)
{
    int placed = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int c = p.board.At(x, y);
            if (c != kCellBlockFixed && c != kCellBlockOnTarget)
                continue;
            const int bi = p.blockIndexMap[CellIndex(x, y)];
            const int ti = p.targetIndexMap[CellIndex(x, y)];
            if (bi >= kMaxBlocks || ti >= kMaxTargets)
                continue;
            if (p.blockColour[p.pairing[bi]] == p.targetColour[ti])
                ++placed;
        }
    return placed;
}

bool CheckLevelWon(const Puzzle& p)
{
    return CountPlacedBlocks(p) == p.targetCount;
}

int TargetColourAt(const Puzzle& p, int x, int y)
{
    if (!InPlay(x, y))
        return 0;
    const int ti = p.targetIndexMap[CellIndex(x, y)];
    if (ti >= kMaxTargets)
        return 0;
    const int c = p.targetColour[ti];
    return c < kMaxColours ? c : 0;
}
