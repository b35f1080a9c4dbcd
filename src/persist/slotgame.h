#pragma once
// Saving the running game into a slot and loading it back: the bridge
// between the slot files and the puzzle core.
#include "persist/levelcode.h"
#include "persist/savegame.h"
#include "puzzle/tableau.h"

// The slot record of the running game.
void TakeSlotData(const Puzzle& p, SlotData& slot);

// Saves the running game into slot. The record is checked as a load would
// check it before anything is written, so a slot that could not be loaded
// back is never written. False, with a line on stderr, when it is refused or
// cannot be written; the old slot file then stays whole.
bool SaveRunningGame(int slot, const char* gamePath, const char* dataPrefix, const Puzzle& p,
                     int levelCount = kLevelCount);

// Loads slot into the running game: its level is loaded and the saved
// position put on it exactly as it was saved (ApplySavedPosition: no floor
// mask, renumbering or mirroring). The slot is judged as the slot list
// judges it (LoadGame, with ReadSavedBlockCount), and once more against the
// level as loaded. False, with the game exactly as it was, when the slot is
// missing, damaged, or does not fit its level.
bool LoadSavedGame(Puzzle& p, int slot, const char* gamePath, const char* dataPrefix, int levelCount = kLevelCount);
