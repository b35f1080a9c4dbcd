#pragma once
// The INI files of the game ("config.ini", "game.ini", "data/font.ini").
#include "app/base/files.h"

#include <cstddef>
#include <string>

// The most an INI file may hold. The game's are a few hundred bytes, edited
// by hand at most; a megabyte leaves room for any comment and still bounds
// what a wrong file in their place can cost.
constexpr size_t kIniMaxBytes = 1 << 20;

// Reads an INI file whole into text. Missing when there is none; Unreadable
// when it cannot be read, is no regular file, or is larger than kIniMaxBytes.
FileRead ReadIniFile(const char* path, std::string& text);

// INI reader and writer with the profile-string semantics the settings
// files rely on: section and key names match without regard to case, blanks
// around names and values are ignored, a missing file, section or key gives
// the default, and the result is cut to the caller's buffer.
// Returns the number of characters copied (without the terminator).
size_t ReadIniString(const char* section, const char* key, const char* def, char* out, size_t outSize,
                     const char* path);

// Replaces the key's value in place, or appends the key at the end of its
// section (appending the section, or creating the file, when needed). Every
// other line is kept as it was. Goes to disk at once, atomically. False,
// with the file untouched, when it cannot be written, or when it exists but
// cannot be read (ReadIniFile): its other lines would be lost.
bool WriteIniString(const char* section, const char* key, const char* value, const char* path);

// C atoi rule: leading blanks, optional sign, digits up to the first other
// character, 0 without digits. Saturates instead of overflowing.
int ParseIntLikeAtoi(const char* text);
