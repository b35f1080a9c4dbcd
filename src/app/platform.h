#pragma once
// The small layer that stands in for the Windows calls the game was first
// written against: INI files, directories, path separators and whole-file
// writes. Headless: no SDL, no GL.
#include "engine/fileio.h"

#include <cstddef>
#include <cstdio>
#include <string>


// True when the file exists (whatever its type), after separator mapping.
bool FileExists(const char* path);

// Creates one directory; an existing directory or any other error is ignored.
void MakeDirectory(const char* path);

// Writes a whole file through a temporary file in the same directory and a
// rename, so that a crash or a full disk never leaves a half-written file:
// either the new content is complete on disk or the old file is untouched.
bool WriteFileAtomic(const char* path, const void* data, size_t size);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::string& out);

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
