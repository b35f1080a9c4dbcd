#pragma once
// A push solver for levels under the game's rules: A* over pushes with a
// transposition table, dead squares and the game's own dead-block test for
// pruning, and a block-to-target matching of push distances as the lower
// bound. Every rule is the puzzle core's, applied to the core's board: what
// may be pushed and where, which blocks the game fixes on their targets
// (never pushed again) and which it holds lost.
#include "puzzle/tableau.h"

#include <functional>
#include <string>

namespace lvl {

struct SolverOptions {
    long maxStates = 8000000;  // positions kept in the table
    double maxSeconds = 60.0;
    // 1 searches for the fewest pushes; above 1 weights the bound and only
    // finds some solution, faster.
    int weight = 1;
    // Plain Sokoban: no block is ever fixed, and only pruning that holds
    // under any rules is used (dead squares and the bound), never the game's
    // dead-block test. For designing only.
    bool plainRules = false;
};

struct SolverResult {
    bool solved = false;
    bool pushOptimal = false;  // the search proved no solution has fewer pushes
    std::string solution;      // letters l r u d / L R U D
    int pushes = 0;
    int moves = 0;
    long expanded = 0;  // positions taken from the open list
    long stored = 0;    // distinct positions in the table
    double seconds = 0.0;
    std::string reason;  // why no solution came out
};

// board: the level as it is played (bombs gone, Hard mask applied); the car
// starts on the last cell coded 2.
SolverResult SolveLevel(const Board& board, const SolverOptions& options = SolverOptions());

// Replays letters by the core's rules from the board's start (under plain
// rules no block is ever fixed and none is held lost). The error is empty
// when every letter plays as written (lower case a step, upper case a push,
// never a push of a fixed block) and all targets end filled; else it says
// what went wrong, with the letter's position. afterPush, when given, sees
// the board and the car after every push.
struct Replay {
    std::string error;
    int pushes = 0;
    int moves = 0;
    int errorAt = -1;
};
using PushWatcher = std::function<void(char letter, const Board& b, int carX, int carY)>;
Replay ReplaySolution(const Board& board, const std::string& letters, bool plainRules = false,
                      const PushWatcher& afterPush = PushWatcher());

}  // namespace lvl
