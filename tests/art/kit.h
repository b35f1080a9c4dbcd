#pragma once
// What the art kit tests know of the generated data: where it is, every
// file the generators write, and the models as the game's loader makes them
// (snapped coordinates, face normals, boxes).
#include "engine/format3do.h"

#include <array>
#include <string>
#include <vector>

// The data directory of the built game ("<run dir>/data").
std::string KitDataDir();
// Every file the generators write, relative to the data directory.
std::vector<std::string> KitGeneratedFiles();
bool EndsWith(const std::string& s, const std::string& tail);

// A model of the data directory read by the engine's strict reader.
Model3doFile KitModel(const std::string& rel);
// The width and height of a PNG file and its colour type (2 RGB, 6 RGBA);
// colour type -1 when it is no whole PNG.
struct PngInfo {
    uint32_t width = 0, height = 0;
    int depth = 0, colourType = -1;
};
PngInfo ReadPngInfo(const std::string& path);

using Vec3 = std::array<double, 3>;

struct KitBox {
    Vec3 min{1e9, 1e9, 1e9};
    Vec3 max{-1e9, -1e9, -1e9};
    void Add(const Vec3& p);
    Vec3 Centre() const { return {(min[0] + max[0]) / 2, (min[1] + max[1]) / 2, (min[2] + max[2]) / 2}; }
    double Extent(int axis) const { return max[axis] - min[axis]; }
};

// Point i of an object as loaded.
Vec3 LoadedPoint(const Model3doObject& o, size_t i);
KitBox ObjectBox(const Model3doObject& o);
KitBox ModelBox(const Model3doFile& m);
const Model3doObject* FindKitObject(const Model3doFile& m, const std::string& name);
// The normal the loader gives face f: minus the cross product of its edges,
// so a face whose corners run clockwise as seen faces the viewer.
Vec3 LoadedFaceNormal(const Model3doObject& o, size_t f);
Vec3 FaceCentroid(const Model3doObject& o, size_t f);
// Share of faces whose loaded normal points away from the centre (towards
// it when inward).
double OutwardShare(const Model3doObject& o, const Vec3& centre, bool inward = false);
