#pragma once
// The level generator: candidate levels for a room the designer has drawn,
// made by reverse play. A block stands on every target of the room and the
// car pulls them back one cell at a time, walking only where it may; the
// position the pulls end in is a candidate. The solver then proves it
// solvable under the game's rules and measures it, and only candidates hard
// enough and free of trivial parts are kept, each as a level source with the
// solver's solution for the designer to pick, edit and name.
//
// Every rule is the puzzle core's: a pull is legal exactly when the push it
// undoes is, on the core's board and by its cell predicates, so every
// position a walk passes through is one the game can play back to the goal.
#include "level_solver.h"
#include "level_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lvl {

// One pull: the car at (carX, carY) backs one cell away from the block
// beside it towards dir and draws the block into the cell it leaves. It is
// legal when, on the board it makes (blocks on targets settled by the core's
// fixing rule), the car one cell back could push the block where it came
// from: the car's new cell is ground, the block may enter the car's cell and
// is pushable there, its old cell takes a pushed block again -- and no block
// on that board is one the game holds lost (the solver never passes such a
// position). Pull returns false and leaves everything as it was when the
// pull is not legal.
bool CanPull(const Board& b, int carX, int carY, Direction dir);
bool Pull(Board& b, int& carX, int& carY, Direction dir);

// The room's goal: the solver's board for the source (Hard, bombs kept as
// cells no block enters) with its blocks and car start taken away and a
// block put on every target, settled as the game settles it.
Board GoalBoard(const LevelSource& room);

// The trivial parts of a solution, joined by "; ", or an empty string: each
// block the solution never pushes, each block that one push open to the car
// at the start finishes, and each block that never meets another (no cell
// it occupies or is pushed from is ever occupied by another block, nor the
// other way round). board: as SolveLevel takes it.
std::string TrivialPart(const Board& board, const std::string& solution);

struct GenerateOptions {
    uint32_t seed = 1;
    int walks = 200;         // reverse walks tried
    int keep = 5;            // stop once this many candidates are kept
    int pullsPerBlock = 20;  // a walk makes about this many pulls per block
    int minPushes = 0;
    long minExplored = 0;  // the solver's explored positions, at least
    long maxExplored = 0;  // at most (0: no limit)
    int levelIndex = 0;    // the index each candidate is compiled and verified at
    // The bound of each solve. Walks repeat exactly for a seed as long as
    // the state bound, not the time, is what stops a search.
    SolverOptions solver;
};

struct Candidate {
    int walk = 0;  // which walk of the run made it
    Board board;   // the level as its source stores it (Easy: bombs, no Hard walls)
    int carX = 0, carY = 0;
    SolverResult result;
    std::string text;  // the level source, the solver's solution stored
};

struct GenerateReport {
    std::vector<Candidate> kept;
    int walks = 0;                 // walks made
    int repeated = 0;              // ended in a position an earlier walk had made
    int beyond = 0;                // the solver's bound stopped the search
    int easy = 0;                  // fewer pushes or explored positions than asked
    int hard = 0;                  // more explored positions than asked
    int trivial = 0;               // a trivial part (see TrivialPart)
    int refused = 0;               // the compiler or the core's verification refused it
    std::vector<std::string> log;  // a line for each walk: what came of it
};

// Throws nothing for a room it cannot use: the report then keeps none.
GenerateReport GenerateLevels(const LevelSource& room, const GenerateOptions& options);

}  // namespace lvl
