#include "level_compile.h"

#include "core_verify.h"

#include <cstring>
#include <memory>

namespace lvl {

namespace {

[[noreturn]] void Refuse(const LevelSource& src, int line, const std::string& message)
{
    Fail(message, "CompileLevel", src.path.c_str(), line);
}

int LineOfAction(const LevelSource& src, size_t pos)
{
    if (pos < src.solutionLines.size())
        return src.solutionLines[pos];
    return src.solutionLines.empty() ? src.gridLine : src.solutionLines.back();
}

// Pairs every block with the target it ends on when the core plays the
// solution on Hard (unmirrored), so that on Hard each block meets a target
// of its own colour.
void PairBlocksWithTargets(const LevelSource& src, int levelIndex, LevelFileData& file)
{
    file.pairing.assign(size_t(src.blocks), 0);
    for (size_t b = 0; b < file.pairing.size(); ++b)
        file.pairing[b] = uint8_t(b);
    std::unique_ptr<Puzzle> owner(new Puzzle());
    Puzzle& p = *owner;
    VerifyHooks hooks;
    p.hooks = &hooks;
    PutLevelData(p, levelIndex, file);
    p.difficulty = kHard;
    StartLevelBoard(p, 0);
    const std::string why = PlayActionsAsKeys(p, file.solution);
    if (!why.empty())
        Refuse(src, LineOfAction(src, 0), "the solution does not win on Hard: " + why);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int block = p.blockIndexMap[y * kPlayWidth + x];
            if (block == kNoIndex)
                continue;
            const int target = p.targetIndexMap[y * kPlayWidth + x];
            if (target == kNoIndex)
                Refuse(src, src.gridLine, "internal: a block ends off the targets");
            file.pairing[size_t(block)] = uint8_t(target);
        }
}

}  // namespace

Board HardBoard(const LevelSource& src)
{
    Board b = src.board;
    RemoveBombs(b);
    ApplyFloorMask(b, src.floorMask);
    return b;
}

Board SolverBoard(const LevelSource& src)
{
    // Bombs stay where they lie on Easy: a block can never be pushed onto
    // one there, so a solution that keeps clear of them plays on every
    // difficulty. For the car and the dead-block test a bomb cell is floor.
    Board b = HardBoard(src);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (src.board.At(x, y) == kCellBomb)
                b.At(x, y) = kCellBomb;
    return b;
}

std::vector<uint8_t> ActionsFromLetters(const std::string& letters)
{
    std::vector<uint8_t> out;
    for (char c : letters) {
        const char* steps = "lrud";
        const char* pushes = "LRUD";
        if (const char* s = std::strchr(steps, c))
            out.push_back(static_cast<uint8_t>(1 + (s - steps)));
        else if (const char* p = std::strchr(pushes, c))
            out.push_back(static_cast<uint8_t>(5 + (p - pushes)));
    }
    return out;
}

CompiledLevel CompileLevel(const LevelSource& src, const CompileOptions& options)
{
    CompiledLevel out;
    const Board hard = SolverBoard(src);
    std::string letters = src.solution;
    if (!src.hasSolution || letters.empty()) {
        if (!options.solveMissing)
            Refuse(src, src.gridLine, "the level has no solution");
        const SolverResult r = SolveLevel(hard, options.solver);
        if (!r.solved)
            Refuse(src, src.gridLine, "the solver found no solution: " + r.reason);
        letters = r.solution;
        out.solvedHere = true;
    }
    const Replay replay = ReplaySolution(hard, letters);
    if (!replay.error.empty()) {
        const size_t at = replay.errorAt < 0 ? 0 : static_cast<size_t>(replay.errorAt);
        const std::string what = at < letters.size()
                                     ? "move " + std::to_string(at + 1) + " ('" + letters[at] + "') " + replay.error
                                     : replay.error;
        Refuse(src, out.solvedHere ? src.gridLine : LineOfAction(src, at), "the solution " + what);
    }
    out.letters = letters;
    out.pushes = replay.pushes;
    out.moves = replay.moves;

    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            out.file.cells[y * kPlayWidth + x] = src.board.At(x, y);
    std::memcpy(out.file.floorMask, src.floorMask, kCellCount);
    out.file.solution = ActionsFromLetters(letters);
    PairBlocksWithTargets(src, options.levelIndex, out.file);

    LevelFileData back;
    std::string why;
    if (!DecodeLevelFile(EncodeLevelFile(out.file), back, why))
        Refuse(src, src.gridLine, "internal: the written file would be refused: " + why);
    return out;
}

}  // namespace lvl
