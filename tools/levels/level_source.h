#pragma once
// Level sources: the Sokoban text notation with a few characters of our own
// (see the README's "Level sources" section).
#include "board_model.h"

#include <string>
#include <vector>

namespace lvl {

// A refusal that names the source file and line.
struct LevelError {
    std::string file;
    int line = 0;
    std::string message;
    std::string Text() const;  // "file:line: message"
};

struct LevelSource {
    std::string path;
    std::string title;
    int gridWidth = 0, gridHeight = 0;
    int offsetX = 0, offsetY = 0;  // where the grid's top-left cell lands on the board
    int gridLine = 0;              // source line of the grid's first row
    Board board;                   // the level as the file stores it, walls shaped
    uint8_t floorMask[kCells];     // non-zero: stays floor on Hard
    int blocks = 0, targets = 0, bombs = 0, specials = 0;
    bool hasSolution = false;
    std::string solution;          // letters l r u d L R U D
    std::vector<int> solutionLines;  // source line of each letter
};

// Throws LevelError.
LevelSource ParseLevelSource(const std::string& text, const std::string& path);
LevelSource ReadLevelSource(const std::string& path);

// The grid as text again (for the solver's reports and tests).
std::string RenderGrid(const Board& b, int car);

}  // namespace lvl

namespace lvl {
// The source text with its solution section replaced by (or given) these
// letters, wrapped at 60 per line.
std::string ReplaceSolutionText(const std::string& text, const std::string& letters);
}  // namespace lvl
