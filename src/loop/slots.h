#pragma once
// A saved game as the puzzle takes and restores it, and as the slot file
// keeps it: the same fields, one record each side.
#include "persist/savegame.h"
#include "puzzle/tableau.h"

SlotData SavedPositionToSlot(const SavedPosition& pos, int level);
SavedPosition SlotToSavedPosition(const SlotData& slot);
