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

// The same in two steps, for when several files must be replaced together:
// StageFile writes data to a temporary file beside path (flushed to the
// disk) and gives its name back, replacing nothing yet (false, and nothing
// left behind, when it cannot be written completely); CommitFile renames it
// over path (false, the staged file removed and the old file untouched, when
// the rename fails); DiscardFile removes a staged file not to be committed.
bool StageFile(const char* path, const std::string& data, std::string& staged);
bool CommitFile(const std::string& staged, const char* path);
void DiscardFile(const std::string& staged);

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
