#pragma once
// Helpers shared by the puzzle core's sources; not for the rest of the game.
#include "puzzle/tableau.h"

PuzzleHooks& Hooks(Puzzle& p);

inline int CellIndex(int x, int y)
{
    return y * kPlayWidth + x;
}
inline bool InPlay(int x, int y)
{
    return x >= 0 && x < kPlayWidth && y >= 0 && y < kPlayHeight;
}

void DirectionDelta(Direction dir, int& dx, int& dy);
float DirectionHeading(Direction dir);

// Rebuilds the block list and the bomb list from the board and the maps.
void BuildObjectLists(Puzzle& p);

// Block list entry of the block standing at (x, y), or -1.
int BlockListIndexAt(const Puzzle& p, int x, int y);
// Bomb list entry of the present bomb at (x, y), or -1.
int BombListIndexAt(const Puzzle& p, int x, int y);

// Sets a block record's cell and puts its drawn position there.
void PlaceBlockRecord(BlockRecord& r, int x, int y);
void SetBlockOrientation(BlockRecord& r, const Quat& q);

// Shows a help hint once per level, never during playback.
void ShowHintOnce(Puzzle& p, int kind);

// Ends the step under way at once (drawn positions snap to the cells).
void CancelCarMove(Puzzle& p);
