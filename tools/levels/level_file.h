#pragma once
// The ".lvl" byte layout: magic "LVL\0", two reserved bytes, width and
// height (20, 15), the block count and pairing list, 300 cells, the solution
// length, two unused ints, the solution and the 300-byte Hard floor mask.
#include "board_model.h"

#include <string>
#include <vector>

namespace lvl {

struct LevelFileData {
    uint8_t cells[kCells];
    std::vector<uint8_t> pairing;   // one byte per block
    std::vector<uint8_t> solution;  // action codes
    uint8_t floorMask[kCells];
};

std::string EncodeLevelFile(const LevelFileData& level);
// Strict decoding of a whole file, as the game's loader checks it. Returns an
// empty string on success, else why the bytes are refused.
std::string DecodeLevelFile(const std::string& bytes, LevelFileData& out);

}  // namespace lvl
