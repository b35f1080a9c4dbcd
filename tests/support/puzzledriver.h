#pragma once
// The puzzle driver of every suite: small levels drawn as text, written into
// the test's temporary directory, a hook recorder, and a puzzle played key
// by key through the real frame update.
//
// Level text: '#' wall (written as 23, so the loader joins it to every wall
// beside it), '=' wall written as 20 (alone), ' ' or '-' floor, '.' target,
// '$' block, '*' block on a target, '@' car start, 'b' or '!' bomb, 'S' 'T'
// 'U' 'V' special blocks 36 to 39, 'F' a block fixed on a target (15),
// digits '3'..'9' cell codes 3..9. Rows shorter than 20 and missing rows are
// floor. Rows("a/b/c") splits one string into rows.
#include "app/base/exception.h"
#include "app/base/files.h"
#include "puzzle/tableau.h"
#include "testdir.h"

#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> Rows(const std::string& picture)
{
    std::vector<std::string> rows;
    std::stringstream in(picture);
    for (std::string row; std::getline(in, row, '/');)
        rows.push_back(row);
    return rows;
}

constexpr char kSigns[] = "#=.$*F@b!STUV";
constexpr uint8_t kSignCodes[] = {23, 20, 1, 14, 100, 15, 2, 5, 5, 36, 37, 38, 39};

inline uint8_t CellCodeOf(char ch)
{
    const char* at = ch ? std::char_traits<char>::find(kSigns, sizeof kSigns - 1, ch) : nullptr;
    return at ? kSignCodes[at - kSigns] : (ch >= '3' && ch <= '9') ? uint8_t(ch - '0') : 0;
}

// The sign of a cell code: '#' for any wall piece, '?' for codes without one.
inline char SignOf(int c)
{
    if (IsWallCode(c) || c == 0)
        return c ? '#' : ' ';
    for (size_t i = 0; i < sizeof kSignCodes; ++i)
        if (kSignCodes[i] == c)
            return kSigns[i];
    return c >= 3 && c <= 9 ? char('0' + c) : '?';
}

inline LevelFileData LevelFromText(const std::vector<std::string>& rows)
{
    LevelFileData d;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const char ch = y < int(rows.size()) && x < int(rows[size_t(y)].size()) ? rows[size_t(y)][size_t(x)] : ' ';
            d.cells[y * kPlayWidth + x] = CellCodeOf(ch);
            d.floorMask[y * kPlayWidth + x] = 1;
            if (IsBlockCode(d.cells[y * kPlayWidth + x]))
                d.pairing.push_back(uint8_t(d.pairing.size()));
        }
    return d;
}

inline std::string LevelPath(int index)
{
    return LevelFilePath("", index);
}
inline void WriteLevelBytes(int index, const std::string& bytes)
{
    WriteTestFile(LevelPath(index), bytes);
}
// The game refuses a level file without a target: a picture that draws none
// is written with one in its last cell, out of the way of what the test
// looks at.
inline void WriteLevel(int index, LevelFileData d)
{
    bool target = false;
    for (uint8_t c : d.cells)
        target |= c == kCellTarget || c == kCellBlockOnTarget || c == kCellBlockFixed;
    if (!target)
        d.cells[kCellCount - 1] = kCellTarget;
    WriteLevelBytes(index, EncodeLevelFile(d));
}

// True when every cell of the frame around the playable area holds 255.
inline bool Framed(const Board& b)
{
    for (int r = 0; r < kBoardRows; ++r)
        for (int c = 0; c < kBoardCols; ++c)
            if ((r < 2 || r >= kBoardRows - 2 || c < 2 || c >= kBoardCols - 2) && b.cells[r][c] != kCellOutside)
                return false;
    return true;
}

struct RecordingHooks : PuzzleHooks {
    std::vector<std::string> sounds;
    std::vector<int> hints;
    std::vector<int> fixed;
    int releases = 0;
    int sceneryChanges = 0;
    std::deque<int> randomValues;  // consumed first; 0 (no mirror) after

    void PlaySound(const char* wav) override { sounds.push_back(wav); }
    void ReleaseHeldKeys() override { ++releases; }
    void ShowHint(int kind) override { hints.push_back(kind); }
    void SceneryChanged() override { ++sceneryChanges; }
    void BlockFixed(int li) override { fixed.push_back(li); }
    int Random() override
    {
        const int v = randomValues.empty() ? 0 : randomValues.front();
        if (!randomValues.empty())
            randomValues.pop_front();
        return v;
    }
    // Everything asked for, in order of kind: the sounds, "hint<kind>",
    // "fixed" for each block fixed, "release" for each release of the keys.
    std::string Heard() const
    {
        std::string s;
        for (const auto& w : sounds)
            s += " " + w;
        for (int h : hints)
            s += " hint" + std::to_string(h);
        for (size_t i = 0; i < fixed.size(); ++i)
            s += " fixed";
        for (int i = 0; i < releases; ++i)
            s += " release";
        return s.empty() ? s : s.substr(1);
    }
    void Clear() { sounds.clear(), hints.clear(), fixed.clear(), releases = sceneryChanges = 0; }
};

// A puzzle on the heap (the record is a few hundred kilobytes) with its
// recorder, in a temporary directory of its own.
struct PuzzleDriver {
    ScopedTempDir dir;
    std::unique_ptr<Puzzle> owner{new Puzzle()};
    Puzzle& p = *owner;
    RecordingHooks hooks;

    PuzzleDriver() { p.hooks = &hooks; }

    // Writes the level as level index 0, loads it and starts it.
    void Start(const std::vector<std::string>& rows, int difficulty = kNormal)
    {
        StartData(LevelFromText(rows), difficulty);
    }
    void StartData(const LevelFileData& d, int difficulty = kNormal, int index = 0)
    {
        WriteLevel(index, d);
        LoadLevel(p, index, "");
        p.difficulty = difficulty;
        StartLevelBoard(p, 0);
        ExamineBlocks(p);
        hooks.Clear();
    }
    // The playable cells straight from the text, nothing loaded or shaped
    // (so 'F' stays 15): for the rules that look at the board alone.
    void SetBoard(const std::string& picture)
    {
        const LevelFileData d = LevelFromText(Rows(picture));
        for (int i = 0; i < kCellCount; ++i)
            p.board.At(i % kPlayWidth, i / kPlayWidth) = d.cells[i];
    }

    // Runs frames with no input until the car is idle; returns the last frame's result.
    PuzzleFrameResult Settle(float dt = 1.0f)
    {
        PuzzleFrameResult r = UpdatePuzzleFrame(p, PuzzleInput(), dt);
        for (int i = 0; i < 100000 && (p.moveProgress != 0 || p.examineDue || Walking(p)); ++i)
            r = UpdatePuzzleFrame(p, PuzzleInput(), dt);
        return r;
    }
    // One step request, then frames until the car is idle again.
    StepResult Step(Direction d)
    {
        const StepResult r = StepCar(p, d);
        Settle();
        return r;
    }
    // The same request as the frame loop hands it over.
    PuzzleFrameResult Press(Direction d)
    {
        PuzzleInput in;
        in.left = d == kDirLeft, in.right = d == kDirRight, in.up = d == kDirUp, in.down = d == kDirDown;
        const PuzzleFrameResult r = UpdatePuzzleFrame(p, in, 1.0f);
        Settle();
        return r;
    }
    // A click on (x, y), its walk played to the end; false when none started.
    bool Click(int x, int y)
    {
        const bool walk = ClickCell(p, x, y);
        Settle();
        return walk;
    }
    bool Undo()
    {
        PuzzleInput in;
        in.undo = true;
        const int before = p.undoCount;
        UpdatePuzzleFrame(p, in, 1.0f);
        Settle();
        return p.undoCount != before;
    }
    // Keys through the frame update: L R U D steps, Z an undo, X the set-off
    // key (its blast then runs out), Y a redo (its walk then runs out). A
    // letter back for each: m moved, p pushed, r refused; u undone; x blast;
    // y redone; '-' for nothing done.
    std::string Play(const std::string& keys)
    {
        std::string out;
        for (char k : keys) {
            if (k == 'Z') {
                out += Undo() ? 'u' : '-';
                continue;
            }
            PuzzleInput in;
            in.setOff = k == 'X', in.left = k == 'L', in.right = k == 'R', in.up = k == 'U', in.down = k == 'D';
            in.redo = k == 'Y';
            const int entries = p.undoCount, redos = p.redoCount;
            const PuzzleFrameResult r = UpdatePuzzleFrame(p, in, 1.0f);
            const bool blast = p.bombTimer != 0;
            for (int i = 0; i < 100000 && (p.moveProgress != 0 || p.bombTimer != 0 || p.examineDue || Walking(p)); ++i)
                UpdatePuzzleFrame(p, PuzzleInput(), 1.0f);
            out += k == 'Y'                     ? (p.redoCount < redos ? 'y' : '-')
                   : k == 'X'                   ? (blast ? 'x' : '-')
                   : r.refused                  ? 'r'
                   : !r.stepStarted             ? '-'
                   : p.undoCount == entries + 2 ? 'p'
                                                : 'm';
        }
        return out;
    }

    int Cell(int x, int y) const { return p.board.At(x, y); }
    // The board in the level text's signs with the car as 'c' and a block
    // marked lost as 'x', rows cut after their last sign and joined by '/',
    // empty rows at the end left out.
    std::string Picture() const
    {
        bool lost[kCellCount] = {};
        for (int i = 0; i < p.blockListCount; ++i)
            if (p.blocks[i].lost && unsigned(p.blocks[i].x) < kPlayWidth && unsigned(p.blocks[i].y) < kPlayHeight)
                lost[p.blocks[i].y * kPlayWidth + p.blocks[i].x] = true;
        std::string out;
        for (int y = 0; y < kPlayHeight; ++y) {
            for (int x = 0; x < kPlayWidth; ++x)
                out += x == p.carX && y == p.carY ? 'c' : lost[y * kPlayWidth + x] ? 'x' : SignOf(p.board.At(x, y));
            out.erase(out.find_last_not_of(' ') + 1);
            out += '/';
        }
        return out.erase(out.find_last_not_of('/') + 1);
    }
    // Moves, undo entries, history length and heading, as "m/u/h/heading".
    std::string State() const
    {
        return FormatText("%d/%d/%d/%d", p.moves, p.undoCount, p.historyCount, int(p.heading));
    }
};

// The name the puzzle suites know it by.
using PuzzleBench = PuzzleDriver;
