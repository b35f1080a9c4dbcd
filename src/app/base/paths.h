#pragma once
// Fixed-size path buffers and the game-directory helpers.
#include <cstddef>

constexpr size_t kPathSize = 1024;

// The longest name the game appends to the game directory
// ("capture\ScreenShot99.bmp" and friends) fits in this many characters;
// a game directory longer than kPathSize - 1 - kLongestGameFileName is
// treated as missing.
constexpr size_t kLongestGameFileName = 40;

// Creates, one after the other, every directory named by a prefix of the path
// that ends just before a separator ('/' or '\'). The first component is never
// created, nor a last component without a separator after it. Returns 0 for a
// null or empty path or one without any separator, else 1. Copies at most
// kPathSize - 1 characters of the path.
int MakePath(const char* path);

// snprintf into a path buffer; false when the result would be cut, so that a
// cut path is never opened.
bool FormatPath(char* out, size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
