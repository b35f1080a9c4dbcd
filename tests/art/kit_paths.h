#pragma once
// Where the art kit tests find the generated data and what they expect in it.
#include <string>
#include <vector>

// The data directory of the built game ("<run dir>/data").
std::string KitDataDir();

// Every file the generators write, relative to the data directory.
std::vector<std::string> KitGeneratedFiles();

// The 16 wall pieces in the order the theme draws them (piece i for wall
// code 20 + i) and the join mask of each (up 1, down 2, right 4, left 8).
extern const char* const kKitWallFiles[16];
extern const int kKitWallMask[16];
