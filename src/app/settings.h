#pragma once
// The two settings files: "config.ini" beside the program (read only) and
// "game.ini" in the game directory (the player's options).
#include "app/base/settingsrecord.h"

// Reads ".\config.ini" into GamePath and the first-run language, then applies
// MakePath to GamePath. A game directory too long to hold the game's file
// names is treated as missing.
void ReadConfig(Settings& s);

// Reads "game.ini" from the game directory, or on a first run gives every
// option its first-run value and writes the file at once. A file that is
// there but cannot be read (ReadIniFile) gives the first-run values too, but
// is never written over: "unable to write <path>" says so.
void LoadGameConfig(Settings& s);

// Writes the nine options of "game.ini" ("MipMapping" is never written).
// Returns false when the file could not be written.
bool SaveGameConfig(const Settings& s);

// "%sgame.ini" of the game directory; false when it does not fit.
bool GameIniPath(const Settings& s, char (&out)[kPathSize]);
