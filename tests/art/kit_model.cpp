#include "kit_model.h"

#include <cmath>

bool ReadKitModel(const std::string& path, Model3doFile& out, std::string& error)
{
    // The engine's strict reader: every count, index and name is checked
    // against the bytes present.
    return Read3do(path.c_str(), out, error);
}

float SnapLikeLoader(float value, int axis) { return Snap3doCoordinate(value, axis); }

void KitBox::Add(const Vec3& p)
{
    for (int a = 0; a < 3; ++a) {
        min[a] = std::min(min[a], p[a]);
        max[a] = std::max(max[a], p[a]);
    }
}

Vec3 LoadedPoint(const Model3doObject& o, size_t i)
{
    return {SnapLikeLoader(o.points[3 * i], 0), SnapLikeLoader(o.points[3 * i + 1], 1),
            SnapLikeLoader(o.points[3 * i + 2], 2)};
}

KitBox ObjectBox(const Model3doObject& o)
{
    KitBox b;
    for (size_t i = 0; i < o.points.size() / 3; ++i)
        b.Add(LoadedPoint(o, i));
    return b;
}

KitBox ModelBox(const Model3doFile& m)
{
    KitBox b;
    for (const Model3doObject& o : m.objects) {
        KitBox ob = ObjectBox(o);
        b.Add(ob.min);
        b.Add(ob.max);
    }
    return b;
}

const Model3doObject* FindKitObject(const Model3doFile& m, const std::string& name)
{
    for (const Model3doObject& o : m.objects)
        if (o.name == name)
            return &o;
    return nullptr;
}

Vec3 LoadedFaceNormal(const Model3doObject& o, size_t f)
{
    Vec3 p0 = LoadedPoint(o, o.faces[3 * f]), p1 = LoadedPoint(o, o.faces[3 * f + 1]),
         p2 = LoadedPoint(o, o.faces[3 * f + 2]);
    Vec3 a{p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]}, b{p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    Vec3 n{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (l > 0)
        for (double& v : n)
            v = -v / l;
    return n;
}

Vec3 FaceCentroid(const Model3doObject& o, size_t f)
{
    Vec3 c{0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        Vec3 p = LoadedPoint(o, o.faces[3 * f + k]);
        for (int a = 0; a < 3; ++a)
            c[a] += p[a] / 3;
    }
    return c;
}
