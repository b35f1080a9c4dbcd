#pragma once
// Turns a level source into the puzzle core's level file: the stored
// solution checked by the core's rules on the Hard board, and every block
// paired with the target it ends on when the core plays the solution on Hard.
// The main program then verifies the written bytes with core_verify.
#include "level_solver.h"
#include "level_source.h"

#include <string>
#include <vector>

namespace lvl {

struct CompileOptions {
    int levelIndex = 0;        // counted from 0; sets the Hard colour count
    bool solveMissing = true;  // run the solver when the source has no solution
    SolverOptions solver;
};

struct CompiledLevel {
    LevelFileData file;
    std::string letters;  // the solution played
    int pushes = 0, moves = 0;
    bool solvedHere = false;
};

// The board the stored solution is played on (Hard, no mirroring).
Board HardBoard(const LevelSource& src);
// The Hard board with the Easy bombs left in place as cells no block may
// enter: what the solver searches and the stored solution is replayed on.
Board SolverBoard(const LevelSource& src);

// Throws Exception naming the source file and line (see SourceErrorText).
CompiledLevel CompileLevel(const LevelSource& src, const CompileOptions& options);

// Action codes for solution letters: steps 1-4, pushes 5-8.
std::vector<uint8_t> ActionsFromLetters(const std::string& letters);

}  // namespace lvl
