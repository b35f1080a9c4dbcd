#include "level_source.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace lvl {

std::string LevelError::Text() const
{
    return file + ":" + std::to_string(line) + ": " + message;
}

namespace {

[[noreturn]] void Fail(const std::string& path, int line, const std::string& message)
{
    throw LevelError{path, line, message};
}

bool IsBlank(const std::string& s)
{
    for (char c : s)
        if (c != ' ' && c != '\t') return false;
    return true;
}

std::string TrimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
    return s;
}

bool StartsWithKey(const std::string& line, const char* key, std::string* rest)
{
    const size_t n = std::strlen(key);
    if (line.compare(0, n, key) != 0) return false;
    if (rest) *rest = line.substr(n);
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
            if (!l.empty() && l.back() == '\r') l.pop_back();
            lines.push_back(l);
        }
    }

    std::vector<GridRow> grid, hard;
    enum class Section { Head, Grid, AfterGrid, Hard, Solution } section = Section::Head;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        const std::string& line = lines[i];
        std::string rest;
        if (!line.empty() && line[0] == ';') continue;
        if (StartsWithKey(line, "Title:", &rest)) {
            if (section != Section::Head) Fail(path, lineNo, "the title must come before the grid");
            size_t b = rest.find_first_not_of(" \t");
            src.title = b == std::string::npos ? std::string() : TrimRight(rest.substr(b));
            continue;
        }
        if (StartsWithKey(line, "Hard:", &rest)) {
            if (section == Section::Head) Fail(path, lineNo, "the Hard grid must follow the level grid");
            if (!hard.empty()) Fail(path, lineNo, "a second Hard grid");
            if (!IsBlank(rest)) Fail(path, lineNo, "the Hard grid starts on the line after \"Hard:\"");
            section = Section::Hard;
            continue;
        }
        if (StartsWithKey(line, "Solution:", &rest)) {
            if (section == Section::Head) Fail(path, lineNo, "the solution must follow the level grid");
            if (src.hasSolution) Fail(path, lineNo, "a second solution");
            src.hasSolution = true;
            section = Section::Solution;
            for (char c : rest) {
                if (c == ' ' || c == '\t') continue;
                if (!std::strchr("lrudLRUD", c))
                    Fail(path, lineNo, std::string("'") + c + "' is not a move (use l r u d, L R U D)");
                src.solution.push_back(c);
                src.solutionLines.push_back(lineNo);
            }
            continue;
        }
        if (IsBlank(line)) {
            if (section == Section::Grid) section = Section::AfterGrid;
            else if (section == Section::Hard && !hard.empty()) section = Section::AfterGrid;
            else if (section == Section::Solution) section = Section::AfterGrid;
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
                    Fail(path, lineNo, std::string("'") + c + "' is not a level character");
            grid.push_back({row, lineNo});
            break;
        }
        case Section::Hard:
            hard.push_back({TrimRight(line), lineNo});
            break;
        case Section::Solution:
            for (char c : line) {
                if (c == ' ' || c == '\t') continue;
                if (!std::strchr("lrudLRUD", c))
                    Fail(path, lineNo, std::string("'") + c + "' is not a move (use l r u d, L R U D)");
                src.solution.push_back(c);
                src.solutionLines.push_back(lineNo);
            }
            break;
        case Section::AfterGrid:
            Fail(path, lineNo, "unexpected text after the level grid");
        }
    }
    if (grid.empty()) Fail(path, static_cast<int>(lines.size()), "no level grid");

    src.gridLine = grid.front().line;
    src.gridHeight = static_cast<int>(grid.size());
    if (src.gridHeight > kHeight)
        Fail(path, grid[kHeight].line,
             "the level is " + std::to_string(src.gridHeight) + " rows high; the board holds 15");
    for (const GridRow& r : grid) {
        const int w = static_cast<int>(r.text.size());
        if (w > kWidth)
            Fail(path, r.line, "the row is " + std::to_string(w) + " cells wide; the board holds 20");
        if (w > src.gridWidth) src.gridWidth = w;
    }
    src.offsetX = (kWidth - src.gridWidth) / 2;
    src.offsetY = (kHeight - src.gridHeight) / 2;

    // Read the characters, noting the line of each cell for the refusals.
    src.board = MakeEmptyBoard();
    int lineOf[kBoardSize] = {};
    int car = -1;
    for (int gy = 0; gy < src.gridHeight; ++gy) {
        const GridRow& r = grid[gy];
        for (int gx = 0; gx < static_cast<int>(r.text.size()); ++gx) {
            const int x = gx + src.offsetX, y = gy + src.offsetY;
            const int p = CellIndex(x, y);
            lineOf[p] = r.line;
            uint8_t code = kFloor;
            switch (r.text[gx]) {
            case '#': code = kWallFirst; break;
            case '$': code = kBlock; ++src.blocks; break;
            case '.': code = kTarget; ++src.targets; break;
            case '*': code = kPlaced; ++src.blocks; ++src.targets; break;
            case '@':
                if (car >= 0) Fail(path, r.line, "a second car (@); a level has one");
                code = kCarStart;
                car = p;
                break;
            case '+':
                Fail(path, r.line, "the car cannot start on a target (+): a cell holds one code");
            case '!': code = kBomb; ++src.bombs; break;
            case '6': case '7': case '8': case '9':
                code = static_cast<uint8_t>(kSpecialFirst + (r.text[gx] - '6'));
                ++src.specials;
                break;
            default: code = kFloor; break;
            }
            if (src.blocks > kMaxBlocks)
                Fail(path, r.line, "more than 200 blocks; a level holds at most 200");
            if (src.bombs > kMaxBombs) Fail(path, r.line, "more than 4 bombs; a level holds at most 4");
            src.board.cell[p] = code;
        }
    }
    if (car < 0) Fail(path, src.gridLine, "no car (@) in the level");
    if (src.blocks != src.targets)
        Fail(path, src.gridLine,
             std::to_string(src.blocks) + " blocks but " + std::to_string(src.targets) +
                 " targets; they must match");

    // The room is what the car can reach through anything but walls; the
    // rest of the board is open ground that only the Hard start walls in.
    bool inside[kBoardSize] = {};
    std::vector<int> stack{car};
    inside[car] = true;
    while (!stack.empty()) {
        const int p = stack.back();
        stack.pop_back();
        for (int d = 0; d < 4; ++d) {
            const int q = p + kDirStep[d];
            if (inside[q] || !IsPlayable(q) || IsWallCode(src.board.cell[q])) continue;
            inside[q] = true;
            stack.push_back(q);
        }
    }
    for (int p = 0; p < kBoardSize; ++p) {
        if (!IsPlayable(p) || inside[p]) continue;
        const uint8_t c = src.board.cell[p];
        if (c != kFloor && !IsWallCode(c))
            Fail(path, lineOf[p], "a level element outside the car's room (column " +
                                      std::to_string(CellX(p) - src.offsetX + 1) + ")");
    }
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) src.floorMask[y * kWidth + x] = inside[CellIndex(x, y)] ? 1 : 0;

    if (!hard.empty()) {
        if (hard.size() != grid.size())
            Fail(path, hard.front().line, "the Hard grid must have as many rows as the level grid");
        for (int gy = 0; gy < static_cast<int>(hard.size()); ++gy) {
            const GridRow& r = hard[gy];
            for (int gx = 0; gx < static_cast<int>(r.text.size()); ++gx) {
                if (r.text[gx] != 'x') continue;
                const int x = gx + src.offsetX, y = gy + src.offsetY;
                const int p = CellIndex(x, y);
                if (gx >= src.gridWidth || !inside[p] || src.board.cell[p] != kFloor)
                    Fail(path, r.line, "'x' in the Hard grid must mark a floor cell of the room (column " +
                                           std::to_string(gx + 1) + ")");
                src.floorMask[y * kWidth + x] = 0;
            }
        }
    }
    ShapeAllWalls(src.board);
    return src;
}

LevelSource ReadLevelSource(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw LevelError{path, 0, "cannot open the level source"};
    std::ostringstream ss;
    ss << in.rdbuf();
    return ParseLevelSource(ss.str(), path);
}

std::string RenderGrid(const Board& b, int car)
{
    std::string out;
    for (int y = 0; y < kHeight; ++y) {
        std::string row;
        for (int x = 0; x < kWidth; ++x) {
            const int p = CellIndex(x, y);
            const uint8_t c = b.cell[p];
            char ch = ' ';
            if (IsWallCode(c)) ch = '#';
            else if (c == kBlock) ch = '$';
            else if (c == kPlaced || c == kFixed) ch = '*';
            else if (c == kTarget) ch = p == car ? '+' : '.';
            else if (c == kBomb) ch = '!';
            else if (c >= kSpecialFirst && c <= kSpecialLast) ch = static_cast<char>('6' + c - kSpecialFirst);
            if (p == car && c != kTarget) ch = '@';
            row.push_back(ch);
        }
        out += TrimRight(row) + "\n";
    }
    return out;
}

}  // namespace lvl

namespace lvl {

std::string ReplaceSolutionText(const std::string& text, const std::string& letters)
{
    std::istringstream in(text);
    std::string line, out;
    bool skipping = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 9, "Solution:") == 0) {
            skipping = true;
            continue;
        }
        if (skipping) {
            if (IsBlank(line) || (!line.empty() && line[0] == ';')) skipping = false;
            else continue;
        }
        out += line + "\n";
    }
    while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
    if (!out.empty() && out.back() != '\n') out += "\n";
    out += "\nSolution:\n";
    for (size_t i = 0; i < letters.size(); i += 60) out += letters.substr(i, 60) + "\n";
    return out;
}

}  // namespace lvl
