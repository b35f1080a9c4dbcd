#pragma once
// The puzzle core: the board and its level file, the move rules, the undo
// stack and the move history, the solution playback and the level check.
//
// Everything lives in one plain record, `Puzzle`, that the game's global
// state embeds and that the free functions below take by reference. The core
// is headless and deterministic: it links neither SDL nor GL, and whatever it
// asks of the rest of the game (sounds, hints, held keys, the renderer's
// scenery) goes through `PuzzleHooks`, which the game fills in and tests
// record.
//
// Coordinates: playable column x (0 to 19) and row y (0 to 14). The board
// keeps a frame of 255 two cells wide around them, so looking one or two
// cells beyond the playable area always meets 255.
//
// Colours on Hard. Blocks and targets are numbered 0, 1, 2 ... in row-major
// order of their cells when the level starts (before any mirroring, so the
// numbers travel with the cells). Target t gets colour t mod K and block b
// gets colour b mod K, with K = 2 + levelIndex / 50, at most 5. The pairing
// list of the level file then decides what a block is worth: block b counts
// as colour blockColour[pairing[b]] -- the colour of the block it is paired
// with -- both in the win test and on screen (BlockRecord::colour), so the
// player always sees the colour that the win test reads. A level designer who
// wants block b to finish on target t therefore writes pairing[b] = t (any
// value congruent to t mod K will do), with every pairing byte below the block
// count. On Easy and Normal every colour is 0 and the pairing plays no part.
#include "app/base/quat.h"
#include "puzzle/wallpieces.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Sizes and cell codes

constexpr int kBoardRows = 19;
constexpr int kBoardCols = 24;
constexpr int kPlayWidth = 20;
constexpr int kPlayHeight = 15;
constexpr int kCellCount = kPlayWidth * kPlayHeight;  // 300
constexpr int kMaxBlocks = 200;
constexpr int kMaxTargets = 224;  // room in the colour lists
constexpr int kMaxBombs = 4;
constexpr int kMaxColours = 5;
constexpr int kUndoSize = 3000;
constexpr int kUndoTrim = 750;
constexpr int kHistorySize = 64000;
constexpr int kPileSize = 1000;
constexpr int kMaxTracks = 16;
constexpr int kMaxExplosions = 8;
constexpr int kLevelHeadSize = 18;    // magic, two reserved bytes, width, height, B
constexpr int kLevelFixedSize = 630;  // a level file is 630 + B + L bytes
constexpr int kLevelMaxSize = kLevelFixedSize + kMaxBlocks + kHistorySize;  // 64 830

enum CellCode : int {
    kCellFloor = 0,
    kCellTarget = 1,
    kCellCarStart = 2,
    kCellBomb = 5,
    kCellBlock = 14,
    kCellBlockFixed = 15,
    kCellBlockOnTarget = 100,
    kCellWallFirst = kWallCodeFirst,
    kCellWallLast = kWallCodeLast,
    kCellSpecialFirst = 36,
    kCellSpecialLast = 39,
    kCellHollowMark = 254,
    kCellOutside = 255,
};

constexpr uint8_t kNoIndex = 255;  // index maps and undo list indices: none

enum Difficulty : int { kEasy = 1, kNormal = 2, kHard = 3 };

// Directions share their numbers with the action codes of the history.
enum Direction : int { kDirLeft = 1, kDirRight = 2, kDirUp = 3, kDirDown = 4 };

enum ActionCode : int {
    kActLeft = 1,
    kActRight = 2,
    kActUp = 3,
    kActDown = 4,
    kActPushLeft = 5,
    kActPushRight = 6,
    kActPushUp = 7,
    kActPushDown = 8,
    kActUndo = 10,
    kActSetOff = 20,
};

enum HintKind : int { kHintBlocked = 0, kHintLost = 1, kHintBomb = 2 };

inline bool IsWallCode(int c)
{
    return c >= kCellWallFirst && c <= kCellWallLast;
}
inline bool IsSpecialCode(int c)
{
    return c >= kCellSpecialFirst && c <= kCellSpecialLast;
}
inline bool IsBlockCode(int c)
{
    return c == kCellBlock || c == kCellBlockFixed || c == kCellBlockOnTarget;
}

// ---------------------------------------------------------------------------
// Records

// 19 rows of 24 bytes, row-major, the playable area at rows 2..16, cols 2..21.
struct Board {
    uint8_t cells[kBoardRows][kBoardCols];

    uint8_t& At(int x, int y) { return cells[y + 2][x + 2]; }
    uint8_t At(int x, int y) const { return cells[y + 2][x + 2]; }
};

// An empty playable area inside its frame of 255: what a puzzle holds
// before its first level.
Board MakeEmptyBoard();

struct UndoEntry {
    uint8_t kind = 0;  // 0 empty, 1 first entry of a step, 2+ further entries
    uint8_t x = 0, y = 0;
    uint8_t code = 0;  // the cell's code before the step
    uint8_t carX = 0, carY = 0;
    uint8_t bombCarried = 0;
    uint8_t listIndex = kNoIndex;   // block list or bomb list entry, or none
    uint8_t blockIndex = kNoIndex;  // the block's number in the block index map
    float carAngle = 0;
    Quat orientation;
};

// One movable block as the renderer draws it.
struct BlockRecord {
    bool active = false;
    bool onTarget = false;  // fixed on its target (code 15): drawn with the "on" model
    bool lost = false;      // can never reach a target any more
    bool visible = true;
    int colour = 0;                          // 0..4, the colour the win test reads
    int x = 0, y = 0;                        // cell
    float drawX = 0, drawY = 0, height = 0;  // drawn position, in cells
    uint8_t blockIndex = kNoIndex;
    Quat orientation;                                                     // accumulated rolls
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // column-major
};

struct BombRecord {
    bool present = false;
    bool visible = false;
    int x = 0, y = 0;
    float drawX = 0, drawY = 0, height = 0;
};

struct TrackMark {
    int type = 0;  // 0 straight, 1 curve
    int x = 0, z = 0;
    float angle = 0;
    float opacity = 1;
};

struct Explosion {
    bool active = false;
    float x = 0, z = 0;
    float p = 0;
    float speed = 0;
};

// What the core asks of the rest of the game. Every call has a harmless
// default so that a headless user only overrides what it wants to see.
struct PuzzleHooks {
    virtual ~PuzzleHooks() = default;
    // A sound effect by its file name: "push.wav", "error1.wav", "error2.wav",
    // "selbomb.wav", "explo.wav", "transfor.wav", "back.wav", "message.wav".
    virtual void PlaySound(const char* /*wavName*/) {}
    // The car met a lost block: forget the held direction keys.
    virtual void ReleaseHeldKeys() {}
    // A help hint is due (HintKind); "message.wav" has already been asked for.
    // The game shows the three lines over the board.
    virtual void ShowHint(int /*kind*/) {}
    // Wall or special cells changed: rebuild the scenery lists and the baked
    // shadows.
    virtual void SceneryChanged() {}
    // Block list entry listIndex has just become fixed on its target.
    virtual void BlockFixed(int /*listIndex*/) {}
    // The random source of the Hard mirroring (the C library's rand()).
    virtual int Random() { return std::rand(); }
};

struct Puzzle {
    Board board = MakeEmptyBoard();
    int levelIndex = 0;

    // Per-level tables (filled by LoadLevel and StartLevelBoard).
    int blockCount = 0;                // B of the level file
    uint8_t pairing[kMaxBlocks] = {};  // unsigned, each below blockCount
    std::vector<uint8_t> solution;     // stored solution (action codes)
    std::vector<uint8_t> floorMask;    // 300 bytes once a level is loaded
    uint8_t blockIndexMap[kCellCount] = {};
    uint8_t targetIndexMap[kCellCount] = {};
    uint8_t blockColour[kMaxTargets] = {};
    uint8_t targetColour[kMaxTargets] = {};
    int targetCount = 0;
    uint8_t startBoard[kCellCount] = {};

    // The car.
    int carX = 0, carY = 0;
    int carStartX = -1, carStartY = -1;
    float carDrawX = 0, carDrawY = 0;
    float carAngle = 0;  // drawn angle, degrees
    float heading = 0;   // 0 left, 90 down, 180 right, 270 up
    float wheelAngle = 0;
    float moveProgress = 0;  // time left of the step under way; 0 when idle

    // The step under way.
    float moveDuration = 0, moveElapsed = 0;
    float moveFromX = 0, moveFromY = 0, moveFromAngle = 0;
    float stepRate = 0, turnRate = 0;
    int moveDX = 0, moveDY = 0;
    int pushedBlock = -1;  // block list index, -1 when the step pushes nothing
    Quat pushStartOrientation;
    float rollTotal[3] = {0, 0, 0};

    int difficulty = kNormal;
    int moves = 0;
    int bombCarried = 0;  // 0 or 5
    float bombTimer = 0;
    int helpBlocked = 0, helpLost = 0, helpBomb = 0;

    // Undo stack (count 0 when empty) and move history.
    UndoEntry undo[kUndoSize];
    int undoCount = 0;
    uint8_t history[kHistorySize] = {};
    int historyCount = 0;

    // Solution playback.
    int replayMode = 0;
    int savedDifficulty = kNormal;
    int playbackPos = 0;
    float playbackPause = 0;

    int searchVisits = 0;  // cells the last dead-block test put on its chain

    // What the renderer reads.
    BlockRecord blocks[kMaxBlocks];
    int blockListCount = 0;
    uint8_t listOfBlock[kMaxBlocks] = {};  // block index -> block list entry
    BombRecord bombs[kMaxBombs];
    int bombListCount = 0;
    TrackMark tracks[kMaxTracks];
    int trackCount = 0;
    Explosion explosions[kMaxExplosions];
    int explosionCount = 0;
    float blastTimer = 0;

    // Copied in by the game: the theme's rolls and rotation centres per
    // colour, and the "Speed" and "Help" options.
    float rollVertical[kMaxColours][3] = {};
    float rollHorizontal[kMaxColours][3] = {};
    float rotationCentre[kMaxColours][3] = {};
    int speed = 12;
    int help = 1;

    bool examineDue = false;  // the board changed since the blocks were last examined
    PuzzleHooks* hooks = nullptr;
};

// ---------------------------------------------------------------------------
// Level file and board

// The level file's fields; EncodeLevelFile writes them byte for byte.
struct LevelFileData {
    uint8_t reserved[2] = {1, 0};
    int32_t width = kPlayWidth, height = kPlayHeight;
    std::vector<uint8_t> pairing;    // B bytes
    uint8_t cells[kCellCount] = {};  // row by row, y = 0 first
    int32_t unused[2] = {0, 0};
    std::vector<uint8_t> solution;  // L bytes
    uint8_t floorMask[kCellCount] = {};
};

// The ".lvl" bytes of a level (no checks: tests use it to build bad files too).
std::string EncodeLevelFile(const LevelFileData& d);

// Checks a whole level file's bytes; on success fills out and returns true,
// else sets why ("format" or "size") and returns false. Cells coded 15 come
// back as 100.
bool DecodeLevelFile(const std::string& bytes, LevelFileData& out, std::string& why);

// "%sdata/level/level%d.lvl" with the prefix and index + 1.
std::string LevelFilePath(const char* dataPrefix, int index);

// The bytes of level index's file, never more than one byte past
// kLevelMaxSize (so the decoder refuses a larger file without its being read
// whole), and never from a FIFO or a device. False when the file is missing
// or cannot be read.
bool ReadLevelFileBytes(const char* dataPrefix, int index, std::string& bytes);

// Reads level index (from 0) into the puzzle. Returns 1; throws Exception
// (function "LoadLevel", file "tableau") with "Level file not found : %s",
// "bad level format : %s" or "bad level size", after printing its line on the
// standard error stream. The whole file is checked before anything changes,
// and a refused file leaves the puzzle as it was. "bad level format" covers:
// a magic other than the four bytes "LVL\0"; a length other than 630 + B + L;
// B outside 0..200; L outside 0..64000 (the history's size); a pairing byte
// not below B; more than 200 blocks, 224 targets or 4 bombs on the board; no
// car start; a cell code no rule gives a meaning to (16..19, 40..99,
// 101..255). Blocks beyond a short pairing list are paired with themselves.
int LoadLevel(Puzzle& p, int index, const char* dataPrefix);
// What LoadLevel does with a file it has decoded and accepted.
void PutLevelData(Puzzle& p, int index, LevelFileData d);

// Drops the solution and the floor mask.
void FreeLevel(Puzzle& p);

// Wall pieces (wallpieces.h): join mask bits up 1, down 2, right 4, left 8.
int WallCodeForMask(int mask);
int WallJoinMask(int code);  // 0 for anything that is not a wall piece
// The loader's shaper for one cell: joins where the neighbour's code joins back.
int ShapeWallByJoins(const Board& b, int x, int y);
// The whole board, in row-major order, as the loader does it.
void ShapeAllWalls(Board& b);
// The Hard level start's shaper: joins every neighbouring wall piece.
int ShapeWallSimple(const Board& b, int x, int y);

// Fills the frame of 255 around the playable area.
void FillFrame(Board& b);

// ---------------------------------------------------------------------------
// Move rules

// The rules below that take a Board are pure functions of the cells: the
// game, the level check, the level compiler and the solver all play by them.

// K, the number of colours on Hard, for a level index counted from 0.
int HardColourCount(int levelIndex);

// The car drives onto ground (codes up to 13, bombs included). It pushes a
// block or a movable block on a target, never one fixed on its target, and
// only onto ground that holds no bomb.
inline bool IsGround(int c)
{
    return c <= 13;
}
inline bool IsPushable(int c)
{
    return c == kCellBlock || c == kCellBlockOnTarget;
}
inline bool TakesPushedBlock(int c)
{
    return IsGround(c) && c != kCellBomb;
}

// Moves the block at (x, y) one cell by (dx, dy), which the rules above
// allow: it lands as a block on a target where it meets one, and the cell it
// leaves becomes its target again, the car start when it is (startX, startY),
// or floor.
void MoveBlock(Board& b, int x, int y, int dx, int dy, int startX, int startY);

// The level start's board below Easy: no bombs.
void RemoveBombs(Board& b);
// The Hard level start's board: the floor outside the mask (300 bytes, row
// by row; null walls in nothing) becomes wall, every wall mass is hollowed to
// its skin and the walls are joined again.
void ApplyFloorMask(Board& b, const uint8_t* floorMask);

// The dead-block test: true when the block at (x, y) can never reach a
// target. visits, when given, gets the cells the test put on its chain.
bool IsBlockLost(const Board& b, int x, int y, int* visits = nullptr);

// The fixing rule: exactly the blocks on targets that the dead-block test
// holds become fixed (15), the others movable (100). A fixed block never
// counts itself as fixed while it is examined, so the outcome depends on the
// board alone and an undo frees what the undone step had fixed.
void SettleBlocksOnTargets(Board& b);

// Prepares the loaded board for play (restore 0) or continues a saved game
// whose board, car, index maps and colours are already in place (restore 1).
void StartLevelBoard(Puzzle& p, int restore);

// A change of difficulty on the level's start screen: the starting board
// back, a new level start, an empty history.
void ChangeDifficulty(Puzzle& p, int difficulty);

enum StepResult : int {
    kStepBusy = 0,     // a step is under way: nothing done
    kStepMoved = 1,    // the car moves one cell
    kStepPushed = 2,   // the car moves and pushes a block
    kStepRefused = 3,  // nothing moves (heading changed; maybe a sound)
};

// One step request; does nothing while a step is under way.
StepResult StepCar(Puzzle& p, Direction dir);

// Picks up the bomb under the car when allowed; true when it did.
bool PickUpBomb(Puzzle& p);
// Sets off the carried bomb when allowed; true when it exploded.
bool SetOffBomb(Puzzle& p);

// The dead-block test on the puzzle's board; the chain's size goes to
// searchVisits.
bool IsBlockLost(Puzzle& p, int x, int y);

// Re-examines every block: the lost marks of plain blocks, and which blocks
// on targets are fixed (15) or movable (100) by SettleBlocksOnTargets. "transfor.wav"
// (and BlockFixed, and during playback a pause of 50) for each newly fixed
// block.
void ExamineBlocks(Puzzle& p);

// Blocks on a target of their own colour, and the win test.
int CountPlacedBlocks(const Puzzle& p);
bool CheckLevelWon(const Puzzle& p);

// The colour (0..4) of the target at (x, y); 0 where there is none.
int TargetColourAt(const Puzzle& p, int x, int y);

// ---------------------------------------------------------------------------
// Undo stack and move history

// Empties the undo array (start-up).
void InitPile(Puzzle& p);

// Appends one undo entry with the given kind (1 starts a step).
void PushUndo(Puzzle& p, int x, int y, int code, int carX, int carY, int bombCarried, int kind = 1);

// Takes back one step; false (and nothing at all) when the stack is empty.
bool PopUndo(Puzzle& p);

// Appends an action to the move history (not during playback, not past 64000).
void RecordAction(Puzzle& p, int code);
void ClearHistory(Puzzle& p);

// ---------------------------------------------------------------------------
// Animations the rules start and the frame advances

// Starts the one-cell move towards dir: one move counted, the car cell one
// cell on at once, the drawn car (and the pushed block, a block list index or
// -1) on their way, a track mark on the cell left. The board must already
// show the step's result.
void StartCarMove(Puzzle& p, Direction dir, int pushedBlock);
// Advances the step under way by dt; snaps everything at its end.
void AdvanceCarMove(Puzzle& p, float dt);

void AddTrackMark(Puzzle& p, int type, int x, int z, float angle);
void ClearTracks(Puzzle& p);
void FadeTracks(Puzzle& p, float dt);
void AddExplosion(Puzzle& p, int x, int z);
void UpdateExplosions(Puzzle& p, float dt);

// The effects update of the play screen: tracks and explosions.
void UpdatePuzzleEffects(Puzzle& p, float dt);

// ---------------------------------------------------------------------------
// The play screen's game update and the solution playback

struct PuzzleInput {
    bool left = false, right = false, up = false, down = false;  // already mapped
    bool undo = false;                                           // Space or Backspace released
    bool setOff = false;                                         // Return / keypad Enter released, or a joystick button
};

struct PuzzleFrameResult {
    bool won = false;            // every target holds a block of its colour
    bool openWonScreen = false;  // won, and not while a solution is played
    bool playbackEnded = false;  // the stored solution has run out
    unsigned refused = 0;        // bit (1 << dir) for each refused step request
    bool stepStarted = false;
};

// One frame of the play screen's game logic: undo request, set-off key,
// playback or the mapped directions, timers and the step under way, the step
// logic, bombs and undo, then the blocks' examination and the win test.
// Directions count only while the car is idle and no bomb goes off; a frame
// with an undo request does nothing else, so the history always lists the
// actions in the order they were played. Escape, the function keys, the
// camera and the choice of the level-won screen are the caller's; `refused`
// lets it keep a refused direction quiet until its key is released.
PuzzleFrameResult UpdatePuzzleFrame(Puzzle& p, const PuzzleInput& in, float frameStep);

// Loads level index and starts it for the playback of its stored solution:
// on Hard without mirroring, the solution copied into the move history.
// UpdatePuzzleFrame then plays it; when it reports playbackEnded the game
// calls StopSolution and leaves to the menu. It never opens the level-won
// screen during playback (openWonScreen stays false; won still tells).
void StartSolution(Puzzle& p, int index, const char* dataPrefix);
// Leaves the playback (its end, or Escape): the saved difficulty back,
// replayMode 0.
void StopSolution(Puzzle& p);

// ---------------------------------------------------------------------------
// Saved games

// A game as the slot files keep it (the layout belongs to the saved games).
struct SavedPosition {
    int difficulty = kNormal;
    int moves = 0;
    int bombCarried = 0;
    int carX = 0, carY = 0;
    float heading = 0;
    uint8_t cells[kCellCount] = {};
    uint8_t targetIndexMap[kCellCount] = {};
    uint8_t blockIndexMap[kCellCount] = {};
    int colourCount = 0;  // N: the blocks on the board, numbered by the block map
    uint8_t targetColour[kMaxTargets] = {};
    uint8_t blockColour[kMaxTargets] = {};
};

// The N a saved game of level holds: the blocks on the board of its file,
// whatever the length of its pairing list; -1 when the file is missing or
// refused. The one rule by which the slot list, the save and the load judge
// a slot's block count.
int ReadSavedBlockCount(const char* dataPrefix, int level);

void TakeSavedPosition(const Puzzle& p, SavedPosition& s);

// Puts a saved position on the loaded level exactly as it was taken: board,
// index maps, colours, car, heading, difficulty and move counter. Blocks
// fixed on targets become movable again until examined, the target count is
// recounted, targets beyond the N stored colours get their level-start
// colours, and the level starts with restore 1. The position must be one the
// saved-game check (CheckSlot) accepts for this level: it is not checked again.
void ApplySavedPosition(Puzzle& p, const SavedPosition& s);

// ---------------------------------------------------------------------------
// Level check (a developer tool; the game never calls it)

// Replays level index's stored solution on its own board; throws Exception
// (function "checkAllLevel", file "pelmo") at the first fault.
void CheckLevel(int index, const char* dataPrefix);
// Every level from index 0 to levelCount - 1; returns 1 when all pass.
int CheckAllLevels(const char* dataPrefix, int levelCount);
