#pragma once
// Writes 8-bit PNG images (grey, grey+alpha, RGB or RGBA) deterministically:
// no time stamp or other chunk that changes from one run to the next, so
// generated data is the same bytes on every build.
#include <cstdint>
#include <string>

// channels: 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA; rows top first, packed.
bool WritePng(const char* path, int width, int height, int channels, const uint8_t* pixels, std::string& error);
