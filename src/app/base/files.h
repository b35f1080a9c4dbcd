#pragma once
// Files and directories for every layer of the game and its tools: path
// separators, existence, directory creation, bounded reads and atomic
// writes. Headless: no SDL, no GL.

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

// The call StageFile makes to flush the staged file to the disk before
// anything is renamed over the old one (fsync; non-zero is a failure). A
// seam for the tests, which put a recorder in its place; null puts fsync
// back.
using SyncFileFn = int (*)(int fd);
void SetSyncFile(SyncFileFn sync);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::string& out);

// Paths are written with both '/' and '\' throughout the game and its data;
// every file operation maps '\' to '/' so ".\" means the working directory.
std::string NativePath(const char* path);

// fopen with the separator mapping; null for a null or empty path.
FILE* OpenFile(const char* path, const char* mode);

enum class FileRead {
    Missing,     // no such file: the caller may create a fresh one
    Unreadable,  // the file is there but cannot be opened or read: leave it alone
    Ok,
};

// Reads at most maxBytes from the start of the file into out. Anything but
// a regular file (a FIFO, a device, a directory) is Unreadable and is never
// waited on.
FileRead ReadFileHead(const char* path, size_t maxBytes, std::string& out);
