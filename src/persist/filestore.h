#pragma once
// Small file helpers shared by the progress, code, slot and score files:
// bounded reads that tell a missing file from one that exists but cannot be
// read, little-endian fields, and a two-step write (stage, then commit) for
// when two files must be replaced together.
#include <cstddef>
#include <cstdint>
#include <string>

enum class FileRead {
    Missing,     // no such file: the caller may create a fresh one
    Unreadable,  // the file is there but cannot be opened or read: leave it alone
    Ok,
};

// Reads at most maxBytes from the start of the file into out.
FileRead ReadFileHead(const char* path, size_t maxBytes, std::string& out);

void PutInt32(std::string& out, int32_t value);
int32_t GetInt32(const unsigned char* p);
void PutFloat(std::string& out, float value);
float GetFloat(const unsigned char* p);

// Writes data to a temporary file beside path (flushed to the disk) and gives
// its name back; nothing is replaced yet. False when the temporary file
// cannot be written completely (it is removed again).
bool StageFile(const char* path, const std::string& data, std::string& staged);
// Renames a staged file over path. False (and the staged file removed) when
// the rename fails; the old file is then untouched.
bool CommitFile(const std::string& staged, const char* path);
// Removes a staged file that will not be committed.
void DiscardFile(const std::string& staged);
