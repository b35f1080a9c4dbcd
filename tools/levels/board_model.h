#pragma once
// A headless model of the board and of the move rules, used by the level
// compiler and the solver. It mirrors the game's own rules (cell codes, the
// dead-block test, the fixing of blocks on targets, the Hard start) so that a
// solution found or checked here also plays in the game; the compiler's
// verification then replays it through the real puzzle core as well.
#include <cstdint>
#include <string>
#include <vector>

namespace lvl {

constexpr int kWidth = 20;
constexpr int kHeight = 15;
constexpr int kCells = kWidth * kHeight;
// The board keeps a frame two cells wide, so a look two cells beyond the
// playable area always meets 255.
constexpr int kRows = kHeight + 4;
constexpr int kCols = kWidth + 4;
constexpr int kBoardSize = kRows * kCols;
constexpr int kMaxBlocks = 200;
constexpr int kMaxBombs = 4;

enum CellCode : uint8_t {
    kFloor = 0,
    kTarget = 1,
    kCarStart = 2,
    kBomb = 5,
    kBlock = 14,
    kFixed = 15,
    kPlaced = 100,
    kWallFirst = 20,
    kWallLast = 35,
    kSpecialFirst = 36,
    kSpecialLast = 39,
    kOutside = 255,
};

enum Difficulty { kEasy = 1, kNormal = 2, kHard = 3 };

// Directions in the order of the action codes: left, right, up, down.
enum Dir { kLeft = 0, kRight = 1, kUp = 2, kDown = 3 };
constexpr int kDirStep[4] = {-1, 1, -kCols, kCols};
constexpr char kStepLetter[4] = {'l', 'r', 'u', 'd'};
constexpr char kPushLetter[4] = {'L', 'R', 'U', 'D'};

inline int CellIndex(int x, int y) { return (y + 2) * kCols + (x + 2); }
inline int CellX(int idx) { return idx % kCols - 2; }
inline int CellY(int idx) { return idx / kCols - 2; }
inline bool IsPlayable(int idx)
{
    int x = CellX(idx), y = CellY(idx);
    return x >= 0 && x < kWidth && y >= 0 && y < kHeight;
}
inline bool IsWallCode(int c) { return c >= kWallFirst && c <= kWallLast; }
inline bool IsBlockCode(int c) { return c == kBlock || c == kFixed || c == kPlaced; }

// Wall code for a join mask (up 1, down 2, right 4, left 8) and back.
uint8_t WallCodeForMask(int mask);
int WallMaskOfCode(uint8_t code);  // -1 for a non-wall code

struct Board {
    uint8_t cell[kBoardSize];
    uint8_t& at(int x, int y) { return cell[CellIndex(x, y)]; }
    uint8_t at(int x, int y) const { return cell[CellIndex(x, y)]; }
};

// An empty board: playable cells 0, frame 255.
Board MakeEmptyBoard();
// Fills the board from 300 row-major playable cells.
Board BoardFromCells(const uint8_t* cells);
void CellsFromBoard(const Board& b, uint8_t* cells);

// Gives every wall cell the mask of its wall neighbours (a file written this
// way loads unchanged through the join-based shaper of the loader).
void ShapeAllWalls(Board& b);
// The loader's join-based shaper, for tests: joins only what the codes
// already join.
void ShapeWallsAsLoader(Board& b);

// The dead-block test of the game: true when the block at idx can never
// reach a target. Pure function of the board.
bool ModelBlockLost(const Board& b, int idx);

// Re-examines every block in row-major order after a step: a block on a
// target that is lost becomes fixed (15), a fixed one that no longer is
// becomes movable (100). Returns the number of plain blocks (14) found lost.
int ReexamineBlocks(Board& b);

// The board as the level start makes it for a difficulty: bombs removed on
// Normal and Hard; on Hard the floor outside the mask becomes wall, wall
// masses are hollowed to their skin and re-shaped. No mirroring.
Board PrepareBoard(const Board& fileBoard, const uint8_t* floorMask, Difficulty d);

// Index maps and colours as the level start numbers them.
struct Numbering {
    int blockAt[kBoardSize];   // block index on a cell, -1 for none
    int targetAt[kBoardSize];  // target index on a cell, -1 for none
    int blocks = 0;
    int targets = 0;
};
Numbering NumberBoard(const Board& b);
// Number of Hard colours for a level index counted from 0.
int HardColourCount(int levelIndex);

// One game position played by the model rules.
struct GameSim {
    Board board;
    int car = 0;        // board index of the car
    int carStart = 0;   // board index of the car start cell
    int carried = 0;    // 5 while a bomb is carried
    int blockIdAt[kBoardSize];  // block index moving with the blocks, -1 none
    Difficulty difficulty = kNormal;
};
// Starts a level on a difficulty (the car start is the last cell coded 2).
bool StartGameSim(GameSim& g, const Board& fileBoard, const uint8_t* floorMask, Difficulty d);

enum class StepResult { Moved, Pushed, Refused, PushedFixed };
// One step request as the game makes it: a block is pushed only when the
// cell beyond is free ground (never a bomb), and every block is re-examined
// after the step.
StepResult StepGameSim(GameSim& g, Dir d);
// Number of blocks on targets whose Hard colour matches (colours 0 below Hard).
int CountPlacedMatching(const GameSim& g, const std::vector<uint8_t>& pairing,
                        const Numbering& start, int colours);

// The developer level check applied to one level (with its known faults
// mended: undo is refused, a fixed block is not pushed, the placed count is
// compared with the target count). Empty string on success, else the
// message the check would report.
std::string ModelCheckLevel(const Board& fileBoard, const std::vector<uint8_t>& actions,
                            int levelIndex);

}  // namespace lvl
