#pragma once
// Verification of a written level file through the game's own puzzle core:
// the developer level check, the "Solution" playback on Hard (unmirrored,
// frame by frame until it ends), and the stored actions played as key
// presses on Easy and Normal. No step may be refused (a block fixed on its
// target is never pushed) and every run must end won.
#include <string>

namespace lvl {

// dataPrefix: the directory that holds data/level/ (with its trailing '/').
// Returns an empty string when the level passes, else what failed.
std::string VerifyLevelWithCore(const std::string& dataPrefix, int index);

// Writes bytes as level index under a fresh temporary directory and verifies
// them there; the directory is removed afterwards.
std::string VerifyLevelBytesWithCore(const std::string& bytes, int index);

}  // namespace lvl
