#pragma once
// Saving the running game into a slot and loading it back: the bridge
// between the slot files and the puzzle core.
#include "persist/levelcode.h"
#include "persist/savegame.h"
#include "puzzle/tableau.h"

// The slot record of the running game.
void TakeSlotData(const Puzzle& p, SlotData& slot);

// What the slot check needs to know of level index: the block count B of
// its file, or -1 when the file is missing or refused, or when its pairing
// list does not hold exactly one byte per block on its board.
int ReadLevelBlockCount(const char* dataPrefix, int level);

// ReadSlotSummaries with the level facts read from the level files.
void ReadSlotList(SlotSummary (&summaries)[kSlotCount], const char* gamePath,
                  const char* dataPrefix, int levelCount = kLevelCount);

// Saves the running game into slot. The record is checked as a load would
// check it before anything is written, so a slot that could not be loaded
// back is never written. False, with a line on stderr, when it is refused or
// cannot be written; the old slot file then stays whole.
bool SaveRunningGame(int slot, const char* gamePath, const char* dataPrefix, const Puzzle& p,
                     int levelCount = kLevelCount);

// Loads slot into the running game: its level is loaded and the saved
// position put on it exactly as it was saved (index maps, colours, car cell
// and heading, move counter, difficulty; no floor mask, renumbering or
// mirroring), blocks fixed on targets become movable again and the target
// count is recounted. Targets beyond the stored colours get their colours as
// at a level start. False, with the game exactly as it was, when the slot is
// missing, damaged, or its level cannot be loaded.
bool LoadSavedGame(Puzzle& p, int slot, const char* gamePath, const char* dataPrefix,
                   int levelCount = kLevelCount);
