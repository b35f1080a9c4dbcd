#pragma once
// Reads the kit's ".3do" files for the tests and computes what the game's
// loader makes of them (snapped coordinates, face normals, boxes).
#include "engine/format3do.h"

#include <array>
#include <string>

bool ReadKitModel(const std::string& path, Model3doFile& out, std::string& error);

// A coordinate as the game's loader snaps it to its grid (axis 0 x, 1 y, 2 z).
float SnapLikeLoader(float value, int axis);

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
