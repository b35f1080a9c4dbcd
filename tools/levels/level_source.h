#pragma once
// Level sources: the Sokoban text notation with a few characters of our own
// (see the README's "Level sources" section), read onto the puzzle core's
// board.
#include "app/base/exception.h"
#include "puzzle/tableau.h"

#include <string>
#include <vector>

namespace lvl {

// A source is refused with an Exception whose file is the source's path and
// whose line is the source line; this is its text, "file:line: message".
std::string SourceErrorText(const Exception& e);

struct LevelSource {
    std::string path;
    std::string title;
    int gridWidth = 0, gridHeight = 0;
    int offsetX = 0, offsetY = 0;        // where the grid's top-left cell lands on the board
    int gridLine = 0;                    // source line of the grid's first row
    Board board = MakeEmptyBoard();      // the level as the file stores it, walls shaped
    uint8_t floorMask[kCellCount] = {};  // non-zero: stays floor on Hard
    int blocks = 0, targets = 0, bombs = 0, specials = 0;
    bool hasSolution = false;
    std::string solution;               // letters l r u d L R U D
    std::vector<int> solutionLines;     // source line of each letter
    std::vector<std::string> hardRows;  // the Hard grid as written (empty: none)
};

// Throw Exception (see SourceErrorText).
LevelSource ParseLevelSource(const std::string& text, const std::string& path);
LevelSource ReadLevelSource(const std::string& path);

// The grid as text again, the car at (carX, carY) (for the solver's reports).
std::string RenderGrid(const Board& b, int carX, int carY);
// Only the source's own grid rectangle, so that the rows read back onto the
// same cells (the generator writes its candidates so).
std::string RenderSourceGrid(const LevelSource& src, const Board& b, int carX, int carY);

// The source text with its solution section replaced by (or given) these
// letters, wrapped at 60 per line.
std::string ReplaceSolutionText(const std::string& text, const std::string& letters);

}  // namespace lvl
