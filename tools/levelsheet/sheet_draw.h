#pragma once
// Draws compiled levels small, side by side, for a designer to look over a
// level set at a glance: walls, room floor, the open ground outside the room,
// floor that Hard walls up, targets, blocks, blocks on targets, the car,
// bombs and statues each in a colour of their own, and the level's number
// above each board.
#include "puzzle/tableau.h"

#include <cstdint>
#include <vector>

struct SheetOptions {
    int columns = 10;     // boards per row: one page of levels
    int cell = 8;         // pixels per board cell
    int firstNumber = 1;  // the number written above the first board
};

struct SheetImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows top first, 3 bytes a pixel

    const uint8_t* Pixel(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

// Where cell (x, y) of board n (from 0) starts on the sheet.
struct SheetPoint {
    int x = 0, y = 0;
};
SheetPoint SheetCellOrigin(const SheetOptions& o, int board, int x, int y);

// The colours a cell is drawn in, so a reader of the sheet (or a test) can
// tell them apart.
enum class SheetInk { Ground, Floor, HardWall, Wall, Target, Block, BlockOnTarget, Car, Bomb, Statue, Back };
const uint8_t* SheetInkColour(SheetInk ink);

SheetImage DrawLevelSheet(const std::vector<LevelFileData>& levels, const SheetOptions& o);
