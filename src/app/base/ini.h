#pragma once
// The INI files of the game ("config.ini", "game.ini", "data/font.ini").
#include <cstddef>

// INI reader and writer with the profile-string semantics the settings
// files rely on: section and key names match without regard to case, blanks
// around names and values are ignored, a missing file, section or key gives
// the default, and the result is cut to the caller's buffer.
// Returns the number of characters copied (without the terminator).
size_t ReadIniString(const char* section, const char* key, const char* def, char* out,
                     size_t outSize, const char* path);

// Replaces the key's value in place, or appends the key at the end of its
// section (appending the section, or creating the file, when needed). Every
// other line is kept as it was. Goes to disk at once, atomically.
bool WriteIniString(const char* section, const char* key, const char* value, const char* path);

// C atoi rule: leading blanks, optional sign, digits up to the first other
// character, 0 without digits. Saturates instead of overflowing.
int ParseIntLikeAtoi(const char* text);
