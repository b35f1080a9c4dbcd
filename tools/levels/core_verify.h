#pragma once
// Verification of a written level file through the game's own puzzle core:
// the developer level check, the "Solution" playback on Hard (unmirrored,
// frame by frame until it ends), and the stored actions played as key
// presses on Easy and Normal. No step may be refused (a block fixed on its
// target is never pushed) and every run must end won.
#include "puzzle/tableau.h"

#include <string>
#include <vector>

namespace lvl {

// Silent hooks that never mirror a Hard start.
struct VerifyHooks : PuzzleHooks {
    int Random() override { return 0; }
};

// Plays action codes as key presses through the frame update on a started
// puzzle, each step to its end. Empty when every step starts, else which
// action was refused.
std::string PlayActionsAsKeys(Puzzle& p, const std::vector<uint8_t>& actions);

// dataPrefix: the directory that holds data/level/ (with its trailing '/').
// Returns an empty string when the level passes, else what failed.
std::string VerifyLevelWithCore(const std::string& dataPrefix, int index);

// Writes bytes as level index under a fresh temporary directory and verifies
// them there; the directory is removed afterwards.
std::string VerifyLevelBytesWithCore(const std::string& bytes, int index);

}  // namespace lvl
