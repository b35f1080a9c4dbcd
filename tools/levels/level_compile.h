#pragma once
// Turns a level source into the bytes of a ".lvl" file and checks that the
// stored solution plays: through the level check, on Hard with the Hard
// colours, and on Easy and Normal, never pushing a block fixed on its target.
#include "level_file.h"
#include "level_source.h"
#include "level_solver.h"

#include <string>
#include <vector>

namespace lvl {

struct CompileOptions {
    int levelIndex = 0;          // counted from 0; sets the Hard colour count
    bool solveMissing = true;    // run the solver when the source has no solution
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

// Throws LevelError naming the source file and line.
CompiledLevel CompileLevel(const LevelSource& src, const CompileOptions& options);

// Action codes for solution letters: steps 1-4, pushes 5-8.
std::vector<uint8_t> ActionsFromLetters(const std::string& letters);

// Plays action codes with the model rules on a difficulty and reports the
// first fault, or an empty string when the level ends won. pairing may be
// empty below Hard.
std::string PlayModel(const LevelFileData& level, Difficulty d, int levelIndex);

}  // namespace lvl
