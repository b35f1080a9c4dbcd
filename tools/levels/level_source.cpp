#include "level_source.h"

#include "app/base/files.h"

#include <cstring>
#include <sstream>

namespace lvl {

std::string SourceErrorText(const Exception& e)
{
    return e.file + ":" + std::to_string(e.line) + ": " + e.message;
}

namespace {

[[noreturn]] void Refuse(const std::string& path, int line, const std::string& message)
{
    Fail(message, "ParseLevelSource", path.c_str(), line);
}

bool IsBlank(const std::string& s)
{
    for (char c : s)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

std::string TrimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.pop_back();
    return s;
}

bool StartsWithKey(const std::string& line, const char* key, std::string* rest)
{
    const size_t n = std::strlen(key);
    if (line.compare(0, n, key) != 0)
        return false;
    if (rest)
        *rest = line.substr(n);
    return true;
}

bool IsGridChar(char c)
{
    return std::strchr("#$.*@+-_ !6789", c) != nullptr;
}

struct GridRow {
    std::string text;
    int line;
};

}  // namespace

LevelSource ParseLevelSource(const std::string& text, const std::string& path)
{
    LevelSource src;
    src.path = path;
    std::vector<std::string> lines;
    {
        std::istringstream in(text);
        std::string l;
        while (std::getline(in, l)) {
            if (!l.empty() && l.back() == '\r')
                l.pop_back();
            lines.push_back(l);
        }
    }

    std::vector<GridRow> grid, hard;
    enum class Section { Head, Grid, AfterGrid, Hard, Solution } section = Section::Head;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        const std::string& line = lines[i];
        std::string rest;
        if (!line.empty() && line[0] == ';')
            continue;
        if (StartsWithKey(line, "Title:", &rest)) {
            if (section != Section::Head)
                Refuse(path, lineNo, "the title must come before the grid");
            size_t b = rest.find_first_not_of(" \t");
            src.title = b == std::string::npos ? std::string() : TrimRight(rest.substr(b));
            continue;
        }
        if (StartsWithKey(line, "Hard:", &rest)) {
            if (section == Section::Head)
                Refuse(path, lineNo, "the Hard grid must follow the level grid");
            if (!hard.empty())
                Refuse(path, lineNo, "a second Hard grid");
            if (!IsBlank(rest))
                Refuse(path, lineNo, "the Hard grid starts on the line after \"Hard:\"");
            section = Section::Hard;
            continue;
        }
        if (StartsWithKey(line, "Solution:", &rest)) {
            if (section == Section::Head)
                Refuse(path, lineNo, "the solution must follow the level grid");
            if (src.hasSolution)
                Refuse(path, lineNo, "a second solution");
            src.hasSolution = true;
            section = Section::Solution;
            for (char c : rest) {
                if (c == ' ' || c == '\t')
                    continue;
                if (!std::strchr("lrudLRUD", c))
                    Refuse(path, lineNo, std::string("'") + c + "' is not a move (use l r u d, L R U D)");
                src.solution.push_back(c);
                src.solutionLines.push_back(lineNo);
            }
            continue;
        }
        if (IsBlank(line)) {
            if (section == Section::Grid)
                section = Section::AfterGrid;
            else if (section == Section::Hard && !hard.empty())
                section = Section::AfterGrid;
            else if (section == Section::Solution)
                section = Section::AfterGrid;
            continue;
        }
        switch (section) {
        case Section::Head:
            section = Section::Grid;
            [[fallthrough]];
        case Section::Grid: {
            std::string row = TrimRight(line);
            for (char c : row)
                if (!IsGridChar(c))
                    Refuse(path, lineNo, std::string("'") + c + "' is not a level character");
            grid.push_back({row, lineNo});
            break;
        }
        case Section::Hard:
            hard.push_back({TrimRight(line), lineNo});
            src.hardRows.push_back(hard.back().text);
            break;
        case Section::Solution:
            for (char c : line) {
                if (c == ' ' || c == '\t')
                    continue;
                if (!std::strchr("lrudLRUD", c))
                    Refuse(path, lineNo, std::string("'") + c + "' is not a move (use l r u d, L R U D)");
                src.solution.push_back(c);
                src.solutionLines.push_back(lineNo);
            }
            break;
        case Section::AfterGrid:
            Refuse(path, lineNo, "unexpected text after the level grid");
        }
    }
    if (grid.empty())
        Refuse(path, static_cast<int>(lines.size()), "no level grid");

    src.gridLine = grid.front().line;
    src.gridHeight = static_cast<int>(grid.size());
    if (src.gridHeight > kPlayHeight)
        Refuse(path, grid[kPlayHeight].line,
               "the level is " + std::to_string(src.gridHeight) + " rows high; the board holds 15");
    for (const GridRow& r : grid) {
        const int w = static_cast<int>(r.text.size());
        if (w > kPlayWidth)
            Refuse(path, r.line, "the row is " + std::to_string(w) + " cells wide; the board holds 20");
        if (w > src.gridWidth)
            src.gridWidth = w;
    }
    src.offsetX = (kPlayWidth - src.gridWidth) / 2;
    src.offsetY = (kPlayHeight - src.gridHeight) / 2;

    // Read the characters, noting the line of each cell for the refusals.
    int lineOf[kCellCount] = {};
    int carX = -1, carY = -1;
    for (int gy = 0; gy < src.gridHeight; ++gy) {
        const GridRow& r = grid[gy];
        for (int gx = 0; gx < static_cast<int>(r.text.size()); ++gx) {
            const int x = gx + src.offsetX, y = gy + src.offsetY;
            lineOf[y * kPlayWidth + x] = r.line;
            uint8_t code = kCellFloor;
            switch (r.text[gx]) {
            case '#':
                code = kCellWallFirst;
                break;
            case '$':
                code = kCellBlock;
                ++src.blocks;
                break;
            case '.':
                code = kCellTarget;
                ++src.targets;
                break;
            case '*':
                code = kCellBlockOnTarget;
                ++src.blocks;
                ++src.targets;
                break;
            case '@':
                if (carX >= 0)
                    Refuse(path, r.line, "a second car (@); a level has one");
                code = kCellCarStart;
                carX = x;
                carY = y;
                break;
            case '+':
                Refuse(path, r.line, "the car cannot start on a target (+): a cell holds one code");
            case '!':
                code = kCellBomb;
                ++src.bombs;
                break;
            case '6':
            case '7':
            case '8':
            case '9':
                code = static_cast<uint8_t>(kCellSpecialFirst + (r.text[gx] - '6'));
                ++src.specials;
                break;
            default:
                code = kCellFloor;
                break;
            }
            if (src.blocks > kMaxBlocks)
                Refuse(path, r.line, "more than 200 blocks; a level holds at most 200");
            if (src.bombs > kMaxBombs)
                Refuse(path, r.line, "more than 4 bombs; a level holds at most 4");
            src.board.At(x, y) = code;
        }
    }
    if (carX < 0)
        Refuse(path, src.gridLine, "no car (@) in the level");
    if (src.blocks != src.targets)
        Refuse(path, src.gridLine,
               std::to_string(src.blocks) + " blocks but " + std::to_string(src.targets) + " targets; they must match");

    // The room is what the car can reach through anything but walls; the
    // rest of the board is open ground that only the Hard start walls in.
    bool inside[kCellCount] = {};
    std::vector<int> stack{carY * kPlayWidth + carX};
    inside[stack.back()] = true;
    while (!stack.empty()) {
        const int x = stack.back() % kPlayWidth, y = stack.back() / kPlayWidth;
        stack.pop_back();
        const int steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& d : steps) {
            const int qx = x + d[0], qy = y + d[1], q = qy * kPlayWidth + qx;
            if (qx < 0 || qx >= kPlayWidth || qy < 0 || qy >= kPlayHeight)
                continue;
            if (inside[q] || IsWallCode(src.board.At(qx, qy)))
                continue;
            inside[q] = true;
            stack.push_back(q);
        }
    }
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int p = y * kPlayWidth + x;
            const uint8_t c = src.board.At(x, y);
            if (!inside[p] && c != kCellFloor && !IsWallCode(c))
                Refuse(path, lineOf[p],
                       "a level element outside the car's room (column " + std::to_string(x - src.offsetX + 1) + ")");
            src.floorMask[p] = inside[p] ? 1 : 0;
        }

    if (!hard.empty()) {
        if (hard.size() != grid.size())
            Refuse(path, hard.front().line, "the Hard grid must have as many rows as the level grid");
        for (int gy = 0; gy < static_cast<int>(hard.size()); ++gy) {
            const GridRow& r = hard[gy];
            for (int gx = 0; gx < static_cast<int>(r.text.size()); ++gx) {
                if (r.text[gx] != 'x')
                    continue;
                const int x = gx + src.offsetX, y = gy + src.offsetY;
                if (gx >= src.gridWidth || !inside[y * kPlayWidth + x] || src.board.At(x, y) != kCellFloor)
                    Refuse(path, r.line,
                           "'x' in the Hard grid must mark a floor cell of the room (column " + std::to_string(gx + 1) +
                               ")");
                src.floorMask[y * kPlayWidth + x] = 0;
            }
        }
    }
    // Every wall piece joins all its wall neighbours, as the Hard start
    // shapes them: the loader's shaper then leaves the file's walls as they are.
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (IsWallCode(src.board.At(x, y)))
                src.board.At(x, y) = uint8_t(ShapeWallSimple(src.board, x, y));
    return src;
}

LevelSource ReadLevelSource(const std::string& path)
{
    std::string text;
    if (!ReadWholeFile(path.c_str(), text))
        Fail("cannot open the level source", "ReadLevelSource", path.c_str(), 0);
    return ParseLevelSource(text, path);
}

namespace {

std::string RenderRect(const Board& b, int carX, int carY, int left, int top, int width, int height)
{
    std::string out;
    for (int y = top; y < top + height; ++y) {
        std::string row;
        for (int x = left; x < left + width; ++x) {
            const bool car = x == carX && y == carY;
            const uint8_t c = b.At(x, y);
            char ch = ' ';
            if (IsWallCode(c))
                ch = '#';
            else if (c == kCellBlock)
                ch = '$';
            else if (c == kCellBlockOnTarget || c == kCellBlockFixed)
                ch = '*';
            else if (c == kCellTarget)
                ch = car ? '+' : '.';
            else if (c == kCellBomb)
                ch = '!';
            else if (IsSpecialCode(c))
                ch = static_cast<char>('6' + c - kCellSpecialFirst);
            if (car && c != kCellTarget)
                ch = '@';
            row.push_back(ch);
        }
        out += TrimRight(row) + "\n";
    }
    return out;
}

}  // namespace

std::string RenderGrid(const Board& b, int carX, int carY)
{
    return RenderRect(b, carX, carY, 0, 0, kPlayWidth, kPlayHeight);
}

std::string RenderSourceGrid(const LevelSource& src, const Board& b, int carX, int carY)
{
    return RenderRect(b, carX, carY, src.offsetX, src.offsetY, src.gridWidth, src.gridHeight);
}

std::string ReplaceSolutionText(const std::string& text, const std::string& letters)
{
    std::istringstream in(text);
    std::string line, out;
    bool skipping = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, 9, "Solution:") == 0) {
            skipping = true;
            continue;
        }
        if (skipping) {
            if (IsBlank(line) || (!line.empty() && line[0] == ';'))
                skipping = false;
            else
                continue;
        }
        out += line + "\n";
    }
    while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n')
        out.pop_back();
    if (!out.empty() && out.back() != '\n')
        out += "\n";
    out += "\nSolution:\n";
    for (size_t i = 0; i < letters.size(); i += 60)
        out += letters.substr(i, 60) + "\n";
    return out;
}

}  // namespace lvl
