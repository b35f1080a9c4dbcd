#pragma once
// High scores: for every level, the fewest moves it was ever finished in
// and the name of the player who did it, kept in "score.vro" in the game
// directory (one entry of 24 bytes per level). Also the rule run when a level is won
// and the editing of the record holder's name, as logic over typed
// characters so that it runs without a window.
#include <cstddef>
#include <cstdint>

#include "persist/levelcode.h"

constexpr int kScoreEntries = kLevelCount;  // one per level
constexpr int kScoreNameSize = 21;          // 20 characters and a terminator
constexpr int kScoreNameLength = 20;
constexpr int kScoreEntryBytes = 24;  // 20 name bytes, 4 move bytes
constexpr int kScoreFileBytes = kScoreEntries * kScoreEntryBytes;
constexpr int kDefaultScoreMoves = 5000;
extern const char kDefaultScoreName[];   // "VRO GAMES"
extern const char kDefaultPlayerName[];  // "noname"

struct ScoreEntry {
    char name[kScoreNameSize] = {};
    int32_t moves = kDefaultScoreMoves;
};

struct ScoreTable {
    ScoreEntry entries[kScoreEntries];
    int ready = 0;  // set by InitScores, cleared by FreeScores
    // The last name confirmed in this run; pre-fills the name editor.
    char playerName[kScoreNameSize] = {};
    int scorePage = 0;  // the page of the high-score screen
    // Set when the score file exists but could not be read: it may still
    // hold records, so this run never replaces it.
    bool keepFile = false;
};

// The record holder's name being typed on the level-won screen.
struct NameEditor {
    char nameEdit[kScoreNameSize] = {};
    int length = 0;  // 0 to 20
    int nameEntryActive = 0;
    int level = -1;  // the level whose record waits for its name
};

// Sets the table up (playerName "noname") and loads the file.
void InitScores(ScoreTable& table, const char* gamePath);
void FreeScores(ScoreTable& table);

// "%s%s" of the game directory and "score.vro"; false when it does not fit.
bool ScorePath(const char* gamePath, char* out, size_t size);

// Fills every entry with "VRO GAMES" and 5000, then reads the file over
// them: only whole 24-byte entries, so a short file (one written by a game
// with fewer levels) fills only the entries it holds. A missing file is written at once with the defaults. A file that
// exists but cannot be read keeps the defaults, is reported on stderr and is
// left alone for the whole run.
void LoadScores(ScoreTable& table, const char* gamePath);

// Writes kScoreFileBytes through a temporary file and a rename. False, with
// "unable to write score file\n" on stderr, when it cannot (the old file
// stays whole); false without a word when no table exists.
bool SaveScores(const ScoreTable& table, const char* gamePath);

// A record needs strictly fewer moves. Returns 1 when stored, else 0. An
// index outside the table does nothing.
int SubmitScore(ScoreTable& table, int level, int moves);
// Stores at most 20 characters of name (the rest zero). An index outside
// the table does nothing.
void SetScoreName(ScoreTable& table, int level, const char* name);
// Gives entries 10·page … 10·page + 9 the default entry; entries beyond the
// table are skipped.
void ResetScorePage(ScoreTable& table, int page);

// A level was won with moves. On a record: the editor starts from
// playerName, that name is stored in the entry at once and the editor is
// active; returns 1. Otherwise the editor is inactive; returns 0.
int RecordLevelWon(ScoreTable& table, NameEditor& editor, int level, int moves);

// One frame of name editing: backspaceReleased removes the last character;
// typed (the Unicode value of the last key press, 0 for none) is appended
// when it is 'A'-'Z', 'a'-'z', '0'-'9' or a space and the name is shorter
// than 20. Anything else is ignored. Does nothing while inactive.
void UpdateNameEditor(NameEditor& editor, bool backspaceReleased, unsigned int typed);

// The player confirmed the name: it goes into the entry and into
// playerName, the editor closes and the file is written. Returns what
// SaveScores returns (false also when the editor was not active).
bool ConfirmScoreName(ScoreTable& table, NameEditor& editor, const char* gamePath);
