#include "level_compile.h"

#include <cstring>

namespace lvl {

namespace {

[[noreturn]] void Fail(const LevelSource& src, int line, const std::string& message)
{
    throw LevelError{src.path, line, message};
}

int LineOfAction(const LevelSource& src, size_t pos)
{
    if (pos < src.solutionLines.size()) return src.solutionLines[pos];
    return src.solutionLines.empty() ? src.gridLine : src.solutionLines.back();
}

}  // namespace

Board HardBoard(const LevelSource& src)
{
    return PrepareBoard(src.board, src.floorMask, kHard);
}

Board SolverBoard(const LevelSource& src)
{
    // Bombs stay where they lie on Easy: a block can never be pushed onto
    // one there, so a solution that keeps clear of them plays on every
    // difficulty. For the car and the dead-block test a bomb cell is floor.
    Board b = HardBoard(src);
    for (int i = 0; i < kBoardSize; ++i)
        if (IsPlayable(i) && src.board.cell[i] == kBomb) b.cell[i] = kBomb;
    return b;
}

std::vector<uint8_t> ActionsFromLetters(const std::string& letters)
{
    std::vector<uint8_t> out;
    for (char c : letters) {
        const char* steps = "lrud";
        const char* pushes = "LRUD";
        if (const char* s = std::strchr(steps, c)) out.push_back(static_cast<uint8_t>(1 + (s - steps)));
        else if (const char* p = std::strchr(pushes, c)) out.push_back(static_cast<uint8_t>(5 + (p - pushes)));
    }
    return out;
}

std::string PlayModel(const LevelFileData& level, Difficulty d, int levelIndex)
{
    const Board file = BoardFromCells(level.cells);
    GameSim g;
    if (!StartGameSim(g, file, level.floorMask, d)) return "no car start";
    const Numbering start = NumberBoard(g.board);
    for (size_t i = 0; i < level.solution.size(); ++i) {
        const int code = level.solution[i];
        if (code < 1 || code > 8) return "action " + std::to_string(i) + " is not a step or a push";
        const StepResult r = StepGameSim(g, static_cast<Dir>((code - 1) % 4));
        const bool push = code >= 5;
        if (r == StepResult::PushedFixed)
            return "action " + std::to_string(i) + " pushes a block fixed on its target";
        if (r == StepResult::Refused) return "action " + std::to_string(i) + " is refused";
        if (push != (r == StepResult::Pushed))
            return "action " + std::to_string(i) + (push ? " pushes nothing" : " pushes a block");
    }
    const int colours = d == kHard ? HardColourCount(levelIndex) : 0;
    const int placed = CountPlacedMatching(g, level.pairing, start, colours);
    if (placed != start.targets)
        return "the level is not won at the end (" + std::to_string(placed) + " / " +
               std::to_string(start.targets) + " blocks on matching targets)";
    return std::string();
}

CompiledLevel CompileLevel(const LevelSource& src, const CompileOptions& options)
{
    CompiledLevel out;
    const Board hard = SolverBoard(src);
    std::string letters = src.solution;
    if (!src.hasSolution || letters.empty()) {
        if (!options.solveMissing) Fail(src, src.gridLine, "the level has no solution");
        const SolverResult r = SolveLevel(hard, options.solver);
        if (!r.solved) Fail(src, src.gridLine, "the solver found no solution: " + r.reason);
        letters = r.solution;
        out.solvedHere = true;
    }
    const Replay replay = ReplaySolution(hard, letters);
    if (!replay.error.empty()) {
        const size_t at = replay.errorAt < 0 ? 0 : static_cast<size_t>(replay.errorAt);
        const std::string what = at < letters.size()
                                     ? "move " + std::to_string(at + 1) + " ('" + letters[at] + "') " + replay.error
                                     : replay.error;
        Fail(src, out.solvedHere ? src.gridLine : LineOfAction(src, at), "the solution " + what);
    }
    out.letters = letters;
    out.pushes = replay.pushes;
    out.moves = replay.moves;

    CellsFromBoard(src.board, out.file.cells);
    std::memcpy(out.file.floorMask, src.floorMask, kCells);
    out.file.solution = ActionsFromLetters(letters);

    // Pair every block with the target it ends on under the stored solution,
    // so that on Hard each block meets a target of its own colour.
    GameSim g;
    StartGameSim(g, src.board, src.floorMask, kHard);
    const Numbering start = NumberBoard(g.board);
    for (uint8_t code : out.file.solution) StepGameSim(g, static_cast<Dir>((code - 1) % 4));
    out.file.pairing.assign(start.blocks, 0);
    for (int p = 0; p < kBoardSize; ++p) {
        if (g.blockIdAt[p] < 0) continue;
        if (start.targetAt[p] < 0) Fail(src, src.gridLine, "internal: a block ends off the targets");
        out.file.pairing[g.blockIdAt[p]] = static_cast<uint8_t>(start.targetAt[p]);
    }

    const std::string check = ModelCheckLevel(src.board, out.file.solution, options.levelIndex);
    if (!check.empty()) Fail(src, LineOfAction(src, 0), "the level check refuses the solution: " + check);
    const Difficulty all[3] = {kHard, kNormal, kEasy};
    const char* names[3] = {"Hard", "Normal", "Easy"};
    for (int i = 0; i < 3; ++i) {
        const std::string why = PlayModel(out.file, all[i], options.levelIndex);
        if (!why.empty())
            Fail(src, LineOfAction(src, 0), std::string("the solution does not win on ") + names[i] + ": " + why);
    }
    LevelFileData back;
    const std::string bad = DecodeLevelFile(EncodeLevelFile(out.file), back);
    if (!bad.empty()) Fail(src, src.gridLine, "internal: the written file would be refused: " + bad);
    return out;
}

}  // namespace lvl
