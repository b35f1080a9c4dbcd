#pragma once
// What the art kit tests know of the generated data: where it is, every
// file the generators write, and the header of its pictures.
#include <cstdint>
#include <string>
#include <vector>

// The data directory of the built game ("<run dir>/data").
std::string KitDataDir();
// Every file the generators write, relative to the data directory.
std::vector<std::string> KitGeneratedFiles();
bool EndsWith(const std::string& s, const std::string& tail);

// The width and height of a PNG file and its colour type (2 RGB, 6 RGBA);
// colour type -1 when it is no whole PNG.
struct PngInfo {
    uint32_t width = 0, height = 0;
    int depth = 0, colourType = -1;
};
PngInfo ReadPngInfo(const std::string& path);
