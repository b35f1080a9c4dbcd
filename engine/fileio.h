#pragma once
// Paths are written with both '/' and '\' throughout the game and its data;
// every file operation maps '\' to '/' so ".\" means the working directory.
#include <cstdio>
#include <string>

std::string NativePath(const char* path);

// fopen with the separator mapping; null for a null or empty path.
FILE* OpenFile(const char* path, const char* mode);
