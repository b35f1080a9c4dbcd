#pragma once
// The puzzle driver of every suite: small levels drawn as text, written into
// the test's temporary directory, a hook recorder, and a puzzle played step
// by step through the real frame update.
//
// Level text: '#' wall (written as 23, so the loader joins it to every wall
// beside it), '=' wall written as 20 (alone), ' ' or '-' floor, '.' target,
// '$' block, '*' block on a target, '@' car start, 'b' or '!' bomb, 'S' 'T'
// 'U' 'V' special blocks 36 to 39, 'F' a block fixed on a target (15),
// digits '3'..'9' cell codes 3..9. Rows shorter than 20 and missing rows are
// floor.
#include "app/base/files.h"
#include "puzzle/tableau.h"
#include "testdir.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

inline LevelFileData LevelFromText(const std::vector<std::string>& rows)
{
    LevelFileData d;
    int blocks = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            char ch = y < int(rows.size()) && x < int(rows[size_t(y)].size()) ? rows[size_t(y)][size_t(x)] : ' ';
            uint8_t c = 0;
            switch (ch) {
            case '#': c = 23; break;
            case '=': c = 20; break;
            case '.': c = 1; break;
            case '$': c = 14; ++blocks; break;
            case '*': c = 100; ++blocks; break;
            case 'F': c = 15; ++blocks; break;
            case '@': c = 2; break;
            case 'b': case '!': c = 5; break;
            case 'S': case 'T': case 'U': case 'V': c = uint8_t(36 + ch - 'S'); break;
            default:
                c = (ch >= '3' && ch <= '9') ? uint8_t(ch - '0') : 0;
            }
            d.cells[y * kPlayWidth + x] = c;
            d.floorMask[y * kPlayWidth + x] = 1;
        }
    for (int b = 0; b < blocks; ++b) d.pairing.push_back(uint8_t(b));
    return d;
}

inline std::string LevelPath(int index) { return LevelFilePath("", index); }

inline void WriteLevelBytes(int index, const std::string& bytes)
{
    MakeDirectory("data");
    MakeDirectory("data/level");
    WriteTestFile(LevelPath(index), bytes);
}

inline void WriteLevel(int index, const LevelFileData& d) { WriteLevelBytes(index, EncodeLevelFile(d)); }

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
        if (randomValues.empty()) return 0;
        int v = randomValues.front();
        randomValues.pop_front();
        return v;
    }
    int Count(const std::string& wav) const
    {
        int n = 0;
        for (const auto& s : sounds) n += s == wav;
        return n;
    }
    void Clear()
    {
        sounds.clear();
        hints.clear();
        fixed.clear();
        releases = 0;
        sceneryChanges = 0;
    }
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

    // Runs frames with no input until the car is idle; returns the last frame's result.
    PuzzleFrameResult Settle(float dt = 1.0f)
    {
        PuzzleFrameResult r = UpdatePuzzleFrame(p, PuzzleInput(), dt);
        for (int i = 0; i < 100000 && (p.moveProgress != 0 || p.examineDue); ++i)
            r = UpdatePuzzleFrame(p, PuzzleInput(), dt);
        return r;
    }

    // One step request, then frames until the car is idle again.
    StepResult Step(Direction d)
    {
        StepResult r = StepCar(p, d);
        Settle();
        return r;
    }

    // The same request as the frame loop hands it over.
    PuzzleFrameResult Press(Direction d)
    {
        PuzzleInput in;
        in.left = d == kDirLeft;
        in.right = d == kDirRight;
        in.up = d == kDirUp;
        in.down = d == kDirDown;
        PuzzleFrameResult r = UpdatePuzzleFrame(p, in, 1.0f);
        Settle();
        return r;
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

    int Cell(int x, int y) const { return p.board.At(x, y); }

    std::string Row(int y) const
    {
        std::string s;
        for (int x = 0; x < kPlayWidth; ++x) s += std::to_string(p.board.At(x, y)) + (x + 1 < kPlayWidth ? "," : "");
        return s;
    }
};

// The name the puzzle suites know it by.
using PuzzleBench = PuzzleDriver;
