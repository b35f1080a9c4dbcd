#pragma once
// Small file helpers shared by the progress, code, slot and score files:
// bounded reads that tell a missing file from one that exists but cannot be
// read, and little-endian fields. Writing goes through the platform's atomic
// writes (app/platform.h).
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
