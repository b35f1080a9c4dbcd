// The contact sheet must put every cell of every board where a designer
// expects it, in the ink of what the cell holds.
#include "puzzledriver.h"
#include "sheet_draw.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A small room at (6, 5) with a statue ('S'); everything outside its walls
// is open ground, and the floor right of the car is walled up on Hard.
constexpr int kLeft = 6, kTop = 5;

LevelFileData RoomLevel()
{
    LevelFileData d = LevelFromText(Rows("/////      #######/      #@ $ .#/      #* b S#/      #######"));
    d.floorMask[(kTop + 1) * kPlayWidth + kLeft + 2] = 0;
    return d;
}

std::string InkAt(const SheetImage& image, const SheetOptions& o, int board, int x, int y)
{
    const SheetPoint p = SheetCellOrigin(o, board, x, y);
    const uint8_t* px = image.Pixel(p.x + o.cell / 2, p.y + o.cell / 2);
    const char* names[] = {"ground",          "floor", "hard wall", "wall",   "target", "block",
                           "block on target", "car",   "bomb",      "statue", "back"};
    for (int i = 0; i <= static_cast<int>(SheetInk::Back); ++i)
        if (std::memcmp(px, SheetInkColour(static_cast<SheetInk>(i)), 3) == 0)
            return names[i];
    return "unknown";
}

TEST(LevelSheet, EveryCellIsDrawnInItsInkAtItsPlace)
{
    SheetOptions o;
    o.columns = 2;
    o.cell = 8;
    LevelFileData second = RoomLevel();
    second.cells[(kTop + 1) * kPlayWidth + kLeft + 3] = kCellFloor;  // the block gone
    const SheetImage image = DrawLevelSheet({RoomLevel(), second, RoomLevel()}, o);

    struct Case {
        int board, x, y;
        const char* ink;
    } cases[] = {
        {0, 0, 0, "ground"},
        {0, kLeft - 1, kTop + 1, "ground"},
        {0, kLeft, kTop, "wall"},
        {0, kLeft + 1, kTop + 1, "car"},
        {0, kLeft + 2, kTop + 1, "hard wall"},
        {0, kLeft + 3, kTop + 1, "block"},
        {0, kLeft + 4, kTop + 1, "floor"},
        {0, kLeft + 5, kTop + 1, "target"},
        {0, kLeft + 1, kTop + 2, "block on target"},
        {0, kLeft + 3, kTop + 2, "bomb"},
        {0, kLeft + 5, kTop + 2, "statue"},
        {0, 19, 14, "ground"},
        {1, kLeft + 3, kTop + 1, "floor"},
        {1, kLeft + 5, kTop + 1, "target"},
        {2, kLeft + 3, kTop + 1, "block"},
        {2, kLeft + 6, kTop + 3, "wall"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InkAt(image, o, c.board, c.x, c.y), c.ink) << "board " << c.board << " cell " << c.x << "," << c.y;

    // Two boards a row, and the third starts the second row: the sheet holds
    // them all and nothing is drawn past its edge.
    const SheetPoint last = SheetCellOrigin(o, 2, kPlayWidth - 1, kPlayHeight - 1);
    EXPECT_LE(last.x + o.cell, image.width);
    EXPECT_LE(last.y + o.cell, image.height);
    EXPECT_GT(SheetCellOrigin(o, 1, 0, 0).x, SheetCellOrigin(o, 0, kPlayWidth - 1, 0).x);
    EXPECT_GT(SheetCellOrigin(o, 2, 0, 0).y, SheetCellOrigin(o, 0, 0, kPlayHeight - 1).y);
}

}  // namespace
