#include "sheet_draw.h"

#include <algorithm>

namespace {

const uint8_t kInk[][3] = {
    {86, 110, 62},    // Ground: the open ground outside the room
    {214, 206, 184},  // Floor
    {150, 120, 150},  // HardWall: room floor that the Hard start walls up
    {64, 64, 76},     // Wall
    {220, 40, 40},    // Target
    {196, 128, 40},   // Block
    {40, 170, 70},    // BlockOnTarget
    {30, 90, 230},    // Car
    {10, 10, 10},     // Bomb
    {150, 40, 200},   // Statue
    {24, 24, 28},     // Back
};

// Digits three pixels wide and five high, one row a byte, bit 2 the left.
const uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

struct Layout {
    int scale;   // pixels of a digit's pixel
    int margin;  // between boards and round the sheet
    int label;   // height of the number band above a board
    int slotW, slotH;
};

Layout MakeLayout(const SheetOptions& o)
{
    Layout l;
    l.scale = std::max(1, o.cell / 4);
    l.margin = o.cell;
    l.label = 7 * l.scale;
    l.slotW = kPlayWidth * o.cell + l.margin;
    l.slotH = kPlayHeight * o.cell + l.label + l.margin;
    return l;
}

class Canvas {
public:
    explicit Canvas(SheetImage& image) : image_(image) {}
    void Fill(int x0, int y0, int w, int h, SheetInk ink)
    {
        const uint8_t* c = SheetInkColour(ink);
        for (int y = std::max(0, y0); y < std::min(image_.height, y0 + h); ++y)
            for (int x = std::max(0, x0); x < std::min(image_.width, x0 + w); ++x) {
                uint8_t* p = &image_.rgb[(size_t(y) * image_.width + x) * 3];
                p[0] = c[0];
                p[1] = c[1];
                p[2] = c[2];
            }
    }

private:
    SheetImage& image_;
};

void DrawNumber(Canvas& canvas, int x, int y, int scale, int number)
{
    const std::string text = std::to_string(number);
    for (char ch : text) {
        const uint8_t* rows = kDigits[ch - '0'];
        for (int r = 0; r < 5; ++r)
            for (int b = 0; b < 3; ++b)
                if (rows[r] & (4 >> b))
                    canvas.Fill(x + b * scale, y + r * scale, scale, scale, SheetInk::Floor);
        x += 4 * scale;
    }
}

// The room is what the car reaches through anything but walls; the rest of
// the board that is not wall is open ground.
std::vector<bool> RoomCells(const LevelFileData& d)
{
    std::vector<bool> room(kCellCount, false);
    std::vector<int> stack;
    for (int i = 0; i < kCellCount; ++i)
        if (d.cells[i] == kCellCarStart)
            stack.push_back(i);
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        if (room[i] || IsWallCode(d.cells[i]))
            continue;
        room[i] = true;
        const int x = i % kPlayWidth, y = i / kPlayWidth;
        if (x > 0)
            stack.push_back(i - 1);
        if (x + 1 < kPlayWidth)
            stack.push_back(i + 1);
        if (y > 0)
            stack.push_back(i - kPlayWidth);
        if (y + 1 < kPlayHeight)
            stack.push_back(i + kPlayWidth);
    }
    return room;
}

void DrawCell(Canvas& canvas, int px, int py, int c, uint8_t code, bool inRoom, bool hardWall)
{
    if (IsWallCode(code)) {
        canvas.Fill(px, py, c, c, SheetInk::Wall);
        return;
    }
    canvas.Fill(px, py, c, c, !inRoom ? SheetInk::Ground : hardWall ? SheetInk::HardWall : SheetInk::Floor);
    const int q = std::max(1, c / 4);
    switch (code) {
    case kCellTarget:
        canvas.Fill(px + q, py + q, c - 2 * q, c - 2 * q, SheetInk::Target);
        break;
    case kCellCarStart:
        canvas.Fill(px + q, py + q, c - 2 * q, c - 2 * q, SheetInk::Car);
        break;
    case kCellBomb:
        canvas.Fill(px + q, py + q, c - 2 * q, c - 2 * q, SheetInk::Bomb);
        break;
    case kCellBlock:
        canvas.Fill(px + 1, py + 1, c - 2, c - 2, SheetInk::Block);
        break;
    case kCellBlockFixed:
    case kCellBlockOnTarget:
        canvas.Fill(px + 1, py + 1, c - 2, c - 2, SheetInk::BlockOnTarget);
        break;
    default:
        if (IsSpecialCode(code)) {
            // The four statues are mirror images: the missing quarter shows which.
            canvas.Fill(px + 1, py + 1, c - 2, c - 2, SheetInk::Statue);
            const int k = code - kCellSpecialFirst;
            const int half = c / 2;
            canvas.Fill(px + (k & 1 ? half : 1), py + (k & 2 ? half : 1), half - 1, half - 1,
                        hardWall ? SheetInk::HardWall : SheetInk::Floor);
        }
        break;
    }
}

}  // namespace

const uint8_t* SheetInkColour(SheetInk ink)
{
    return kInk[static_cast<int>(ink)];
}

SheetPoint SheetCellOrigin(const SheetOptions& o, int board, int x, int y)
{
    const Layout l = MakeLayout(o);
    const int col = board % o.columns, row = board / o.columns;
    return {l.margin + col * l.slotW + x * o.cell, l.margin + row * l.slotH + l.label + y * o.cell};
}

SheetImage DrawLevelSheet(const std::vector<LevelFileData>& levels, const SheetOptions& o)
{
    const Layout l = MakeLayout(o);
    const int count = static_cast<int>(levels.size());
    const int columns = std::max(1, std::min(o.columns, count));
    const int rows = (count + o.columns - 1) / std::max(1, o.columns);
    SheetImage image;
    image.width = l.margin + columns * l.slotW;
    image.height = l.margin + std::max(1, rows) * l.slotH;
    image.rgb.assign(size_t(image.width) * image.height * 3, 0);
    Canvas canvas(image);
    canvas.Fill(0, 0, image.width, image.height, SheetInk::Back);
    for (int n = 0; n < count; ++n) {
        const LevelFileData& d = levels[n];
        const std::vector<bool> room = RoomCells(d);
        const SheetPoint label = SheetCellOrigin(o, n, 0, 0);
        DrawNumber(canvas, label.x, label.y - l.label, l.scale, o.firstNumber + n);
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x) {
                const int i = y * kPlayWidth + x;
                const SheetPoint p = SheetCellOrigin(o, n, x, y);
                DrawCell(canvas, p.x, p.y, o.cell, d.cells[i], room[i], room[i] && d.floorMask[i] == 0);
            }
    }
    return image;
}
