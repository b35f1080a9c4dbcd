// The undo stack and the move history.
#include "puzzle/internal.h"

#include <cstring>

void InitPile(Puzzle& p)
{
    for (UndoEntry& e : p.undo)
        e = UndoEntry();
    p.undoCount = 0;
}

void PushUndo(Puzzle& p, int x, int y, int code, int carX, int carY, int bombCarried, int kind)
{
    if (p.undoCount < 0 || p.undoCount >= kUndoSize)
        p.undoCount = 0;  // never write outside the array
    UndoEntry& e = p.undo[p.undoCount];
    e = UndoEntry();
    e.kind = static_cast<uint8_t>(kind < 1 ? 1 : kind > 255 ? 255 : kind);
    e.x = static_cast<uint8_t>(x);
    e.y = static_cast<uint8_t>(y);
    e.code = static_cast<uint8_t>(code);
    e.carX = static_cast<uint8_t>(carX);
    e.carY = static_cast<uint8_t>(carY);
    e.bombCarried = static_cast<uint8_t>(bombCarried);
    e.carAngle = p.carAngle;
    if (IsBlockCode(code)) {
        const int li = BlockListIndexAt(p, x, y);
        if (li >= 0) {
            e.listIndex = static_cast<uint8_t>(li);
            e.blockIndex = p.blocks[li].blockIndex;
            e.orientation = p.blocks[li].orientation;
        } else if (InPlay(x, y)) {
            e.blockIndex = p.blockIndexMap[CellIndex(x, y)];
        }
    } else if (code == kCellBomb) {
        const int m = BombListIndexAt(p, x, y);
        if (m >= 0)
            e.listIndex = static_cast<uint8_t>(m);
    }
    ++p.undoCount;

    if (p.undoCount == kUndoSize) {
        // Drop the oldest steps, cutting only where a step begins, so that no
        // part of a step is left without its first entry.
        int cut = kUndoTrim;
        while (cut < kUndoSize && p.undo[cut].kind != 1)
            ++cut;
        std::memmove(p.undo, p.undo + cut, sizeof(UndoEntry) * size_t(kUndoSize - cut));
        for (int i = kUndoSize - cut; i < kUndoSize; ++i)
            p.undo[i] = UndoEntry();
        p.undoCount = kUndoSize - cut;
    }
}

namespace {

// Writes one entry's code back to its cell, with the block or bomb it held.
void RestoreEntry(Puzzle& p, const UndoEntry& e, bool& sceneryChanged)
{
    if (!InPlay(e.x, e.y))
        return;
    p.board.At(e.x, e.y) = e.code;
    const int cell = CellIndex(e.x, e.y);
    if (IsWallCode(e.code) || IsSpecialCode(e.code))
        sceneryChanged = true;
    if (IsBlockCode(e.code)) {
        p.blockIndexMap[cell] = e.blockIndex;
        if (e.listIndex < p.blockListCount) {
            BlockRecord& r = p.blocks[e.listIndex];
            PlaceBlockRecord(r, e.x, e.y);
            SetBlockOrientation(r, e.orientation);
            r.onTarget = e.code == kCellBlockFixed;
            r.lost = false;
        }
    } else {
        p.blockIndexMap[cell] = kNoIndex;
    }
    if (e.code == kCellBomb) {
        int m = e.listIndex;
        if (m >= p.bombListCount) {
            // No entry was remembered: take a free one if there is one.
            m = -1;
            for (int i = 0; i < p.bombListCount; ++i)
                if (!p.bombs[i].present) {
                    m = i;
                    break;
                }
            if (m < 0 && p.bombListCount < kMaxBombs)
                m = p.bombListCount++;
        }
        if (m >= 0) {
            BombRecord& b = p.bombs[m];
            b.present = true;
            b.visible = true;
            b.x = e.x;
            b.y = e.y;
            b.drawX = static_cast<float>(e.x);
            b.drawY = static_cast<float>(e.y);
            b.height = 0;
        }
    }
}

}  // namespace

bool PopUndo(Puzzle& p)
{
    if (p.undoCount <= 0 || p.undoCount > kUndoSize)
        return false;
    CancelCarMove(p);
    p.moves += 10;
    --p.undoCount;
    Hooks(p).PlaySound("back.wav");
    bool scenery = false;
    while (p.undo[p.undoCount].kind > 1 && p.undoCount > 0) {
        RestoreEntry(p, p.undo[p.undoCount], scenery);
        p.undo[p.undoCount] = UndoEntry();
        --p.undoCount;
    }
    const UndoEntry e = p.undo[p.undoCount];
    p.undo[p.undoCount] = UndoEntry();
    RestoreEntry(p, e, scenery);
    p.carX = e.carX;
    p.carY = e.carY;
    p.carDrawX = static_cast<float>(e.carX);
    p.carDrawY = static_cast<float>(e.carY);
    p.carAngle = e.carAngle;
    p.heading = e.carAngle;  // facing where it faced then, also in a saved game
    p.bombCarried = e.bombCarried;
    if (scenery)
        Hooks(p).SceneryChanged();
    ExamineBlocks(p);
    return true;
}

void RecordAction(Puzzle& p, int code)
{
    if (p.replayMode || p.historyCount >= kHistorySize)
        return;
    p.history[p.historyCount++] = static_cast<uint8_t>(code);
}

void ClearHistory(Puzzle& p)
{
    p.historyCount = 0;
    p.playbackPos = 0;
}
