#pragma once
// Level codes and the progress file.
//
// Every level has a five-letter code; typing it on the code screen starts
// that level with every earlier level counted as done. Which levels are done
// is kept in "level/leveldata.dat" in the game directory.
#include <string>
#include <vector>

// The number of levels the game ships: one progress byte, one code and one
// score entry each. The build reads the level sources' count from this line.
constexpr int kLevelCount = 60;
constexpr int kCodeLength = 5;
// Distinct codes of five letters with no two neighbours equal: 26 · 25⁴.
constexpr int kMaxDistinctCodes = 26 * 25 * 25 * 25 * 25;

struct LevelCodes {
    int codeCount = 0;
    std::vector<char> codes;  // codeCount × 5 capitals, level 0 first, no terminators
};

struct Progress {
    unsigned char done[kLevelCount] = {};  // 1: won, or passed over by a code
    // Set when the progress file exists but could not be read at start-up:
    // it may still hold the player's progress, so this run never replaces it.
    bool keepFile = false;
};

// What the code screen is typing.
struct CodeEntry {
    char typedCode[kCodeLength] = {'A', 'A', 'A', 'A', 'A'};
    int cursor = 0;  // 0 to 4
    int codeFound = 0;
    int foundLevel = -1;
};

// --- the code table -------------------------------------------------------

// Reads dataPrefix + "data/level/levelcode.dat" into codes and returns 1.
// Throws Exception from "loadLevelCodes" ("can't load level code file : ...")
// when the file is missing or unreadable, shorter than its count says, its
// count is negative or above kLevelCount, or a code holds anything but 'A'-'Z'.
// The previous table is kept when the new one is refused.
int loadLevelCodes(LevelCodes& codes, const char* dataPrefix);
void FreeLevelCodes(LevelCodes& codes);

// Index of the first code equal to typed (five letters), or -1.
int MatchCode(const LevelCodes& codes, const char* typed);

// The five letters of level's code, or null when the table has none for it.
const char* LevelCode(const LevelCodes& codes, int level);

// The bytes of "levelcode.dat" for a table: the count, then the codes.
std::string EncodeLevelCodes(const LevelCodes& codes);
// Reads the bytes of "levelcode.dat"; false (codes untouched) when refused.
bool DecodeLevelCodes(const std::string& bytes, LevelCodes& codes);

// The listing "codes.txt": a header, one line per code and an empty line
// after every tenth.
std::string FormatCodeListing(const LevelCodes& codes);
// Reads a listing back (any number of codes, in order from level 1). False
// with a reason when a line is neither the header, empty nor a code line,
// the levels are not numbered 1, 2, 3 … in order, a code is not five
// capitals, or two codes are equal (the higher level could never be reached).
bool ParseCodeListing(const std::string& text, LevelCodes& codes, std::string& error);

// Makes count new distinct codes and writes "codes.txt" and
// "data/level/levelcode.dat" in the working directory, both through temporary
// files that replace the old ones only when both are complete. Only then does
// the new table replace codes. Returns 1 on success; 0 with a line on stderr
// when count is negative or above kMaxDistinctCodes, or a file cannot be
// written ("can't create codes.txt", "can't create level code file"); the old
// table and the old files are then left whole.
int generateLevelCodes(LevelCodes& codes, int count);
// The same with a given random seed (the game seeds with the time).
int GenerateLevelCodesSeeded(LevelCodes& codes, int count, unsigned seed);

// --- progress ---------------------------------------------------------------

// "%slevel/leveldata.dat" of the game directory; false when it does not fit.
bool ProgressPath(const char* gamePath, std::string& path);

// Reads the progress file; a short file (one written by a game with fewer
// levels) fills only the bytes it holds and is extended on the next write. A
// missing file is created with every level not done. A file that exists but
// cannot be read keeps the defaults in memory, is reported on stderr and is
// left alone for the whole run. Always returns 1.
int LoadProgress(Progress& progress, const char* gamePath);

// Writes the kLevelCount bytes (through a temporary file and a rename). Returns 0 on
// success, 1 when the file could not be written (reported on stderr; the old
// file stays whole).
int SaveProgress(const Progress& progress, const char* gamePath);

// --- the code screen --------------------------------------------------------

// A typed character: 'a'-'z' goes in as its capital, 'A'-'Z' as is, at the
// cursor, which then moves right (not beyond 4). Anything else is ignored.
void TypeCodeCharacter(CodeEntry& entry, unsigned int ch);
// Backspace or Left: delta -1; Right: +1. The cursor stays within 0 to 4.
void MoveCodeCursor(CodeEntry& entry, int delta);

// The player confirmed the typed code. Not found: codeFound 0 and -1 back.
// Found at level i: codeFound 1, foundLevel i, levels 0 … i-1 marked done
// (level i keeps its byte), the progress file written, and i back: the
// caller then starts level i.
int EnterLevelCode(const LevelCodes& codes, CodeEntry& entry, Progress& progress, const char* gamePath);
