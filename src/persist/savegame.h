#pragma once
// Saved games: ten slot files "save/saveNN.vro" in the game directory.
//
// A slot holds the level being played with the board as it stands, the
// car's cell and heading, the move counter and the difficulty. SlotData is
// the slot's content as a record of its own; the puzzle core converts it to
// and from its board. Every slot is checked field by field before it is
// offered or loaded, so a damaged file can never change the running game.
#include <cstdint>
#include <functional>
#include <string>

constexpr int kSlotCount = 10;
constexpr int kSlotBoardWidth = 20;
constexpr int kSlotBoardHeight = 15;
constexpr int kSlotCells = kSlotBoardWidth * kSlotBoardHeight;
constexpr int kSlotMaxBlocks = 200;   // blocks a level can hold
constexpr int kSlotColourRoom = 224;  // room in the game's colour lists
constexpr int kSlotHeadSize = 932;    // everything before the colour lists
constexpr int kSlotMaxBombs = 4;      // room in the bomb list
constexpr int kSlotColours = 5;       // colours 0 to 4
constexpr unsigned char kSlotNoIndex = 255;

struct SlotData {
    int32_t level = 0;       // level index, 0 = level 1
    int32_t difficulty = 2;  // 1 easy, 2 normal, 3 hard
    int32_t moves = 0;
    int32_t bombCarried = 0;                            // 0, or 5 while the car carries a bomb
    int32_t carX = 0;                                   // playable column 0 … 19
    int32_t carY = 0;                                   // playable row 0 … 14
    float heading = 0;                                  // degrees
    unsigned char cells[kSlotCells] = {};               // row 0 first, 20 per row
    unsigned char targetMap[kSlotCells] = {};           // 255 or the target's index
    unsigned char blockMap[kSlotCells] = {};            // 255 or the block's index
    int32_t blockCount = 0;                             // N
    unsigned char targetColours[kSlotColourRoom] = {};  // N used
    unsigned char blockColours[kSlotColourRoom] = {};   // N used
};

// Why a slot is refused.
enum class SlotFault {
    None,
    Unreadable,  // the file exists but cannot be read
    Size,        // not 932 + 2·N bytes, or N outside 0 … 200
    Level,       // no such level, or beyond the progress array
    BlockCount,  // N differs from the level's block count
    Difficulty,  // not 1, 2 or 3
    Moves,       // negative move counter
    Bomb,        // bomb carried neither 0 nor 5
    Car,         // car outside the board or not on a cell it can stand on
    Heading,     // not a finite angle
    Cell,        // an unknown cell code
    Bombs,       // more bombs than the bomb list holds
    Colour,      // a colour outside 0 … 4
    TargetMap,   // target indices that disagree with the board, or too many targets
    BlockMap,    // block indices that disagree with the board, or a block gained or lost
};
const char* SlotFaultText(SlotFault fault);

// The slot file's bytes (little-endian, 932 + 2·N bytes).
std::string EncodeSlot(const SlotData& slot);
// Reads the bytes of a slot file; on any fault other than None, slot is
// left untouched. Only the layout is checked here (size and N).
SlotFault DecodeSlot(const std::string& bytes, SlotData& slot);
// Checks every field against the rules of the board: the one check of a
// saved game, made before a slot is offered, loaded or written. levelCount
// is the number of levels the game has; levelBlockCount the block count of
// slot.level (or -1 when that level cannot be read).
SlotFault CheckSlot(const SlotData& slot, int levelCount, int levelBlockCount);

// The block count of a level, or -1 when the level cannot be read (the game
// passes ReadSavedBlockCount of the puzzle core).
using LevelBlockCountFn = std::function<int(int level)>;

// "%s%s%02d%s" of the game directory, "save/save", slot and ".vro"; false
// when the slot number is outside 0 … 9 or the path does not fit.
bool SlotPath(const char* gamePath, int slot, std::string& path);

struct SlotSummary {
    int slot = -1;       // the slot number when its file exists, else -1
    int level = -1;      // stored level index (valid slots only)
    int difficulty = 0;  // stored difficulty 1 … 3 (valid slots only)
    int damaged = 0;     // 1: the file exists but is refused; it may be saved over
};

// Reads and checks every slot. A refused slot keeps its number, gets
// damaged 1, level -1 and difficulty 0.
void ReadSlotSummaries(SlotSummary (&summaries)[kSlotCount], const char* gamePath, int levelCount,
                       const LevelBlockCountFn& blockCountOf);

// The text key for a summary's difficulty ("Easy", "Normal", "Hard"), or
// null for an empty or damaged slot.
const char* SlotDifficultyKey(const SlotSummary& summary);

// Writes the slot through a temporary file and a rename. False, with a line
// on stderr naming the file, when it cannot be written; the old slot file
// then stays whole.
bool SaveGame(int slot, const char* gamePath, const SlotData& data);

// Reads and checks a slot. True with data filled when the slot is sound;
// false with data untouched (and a line on stderr for a damaged file) when
// the file is missing or refused. fault, when given, tells why.
bool LoadGame(int slot, const char* gamePath, int levelCount, const LevelBlockCountFn& blockCountOf, SlotData& data,
              SlotFault* fault = nullptr);
