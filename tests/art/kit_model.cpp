#include "kit_model.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

struct Cursor {
    const std::string& bytes;
    size_t pos = 0;
    bool Need(size_t n) const { return bytes.size() - pos >= n; }
    int32_t Int()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[pos + i])) << (8 * i);
        pos += 4;
        return static_cast<int32_t>(v);
    }
    float Float()
    {
        int32_t i = Int();
        float f;
        std::memcpy(&f, &i, 4);
        return f;
    }
    bool Name(std::string& out)
    {
        if (!Need(k3doNameSize))
            return false;
        const char* p = bytes.data() + pos;
        size_t len = strnlen(p, k3doNameSize);
        pos += k3doNameSize;
        if (len == k3doNameSize)
            return false;  // no terminator
        out.assign(p, len);
        return true;
    }
};

}  // namespace

bool ReadKitModel(const std::string& path, Model3doFile& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string bytes = ss.str();
    Cursor c{bytes};
    out = Model3doFile();
    if (!c.Need(k3doHeaderSize)) {
        error = "short header";
        return false;
    }
    c.pos = 7;
    int32_t objects = c.Int();
    if (objects < 1 || objects > 1000) {
        error = "object count " + std::to_string(objects);
        return false;
    }
    for (int32_t k = 0; k < objects; ++k) {
        Model3doObject o;
        if (!c.Name(o.name) || !c.Name(o.material) || !c.Need(8)) {
            error = "object " + std::to_string(k) + ": bad names or short record";
            return false;
        }
        int32_t p = c.Int(), f = c.Int();
        if (p < 0 || f < 0 || !c.Need(static_cast<size_t>(p) * 20 + static_cast<size_t>(f) * 12)) {
            error = "object " + o.name + ": counts beyond the file";
            return false;
        }
        for (int32_t i = 0; i < 3 * p; ++i)
            o.points.push_back(c.Float());
        for (int32_t i = 0; i < 2 * p; ++i)
            o.uvs.push_back(c.Float());
        for (int32_t i = 0; i < 3 * f; ++i) {
            int32_t idx = c.Int();
            if (idx < 0 || idx >= p) {
                error = "object " + o.name + ": face index " + std::to_string(idx) + " out of range";
                return false;
            }
            o.faces.push_back(static_cast<uint32_t>(idx));
        }
        out.objects.push_back(o);
    }
    if (!c.Need(4)) {
        error = "no material count";
        return false;
    }
    int32_t materials = c.Int();
    if (materials < 0 || !c.Need(static_cast<size_t>(materials) * k3doMaterialSize)) {
        error = "material count " + std::to_string(materials);
        return false;
    }
    for (int32_t k = 0; k < materials; ++k) {
        Model3doMaterial m;
        if (!c.Name(m.name)) {
            error = "material name";
            return false;
        }
        for (float& v : m.ambient)
            v = c.Float();
        for (float& v : m.diffuse)
            v = c.Float();
        for (float& v : m.third)
            v = c.Float();
        m.transparency = c.Float();
        m.shading = c.Int();
        m.lighting = c.Int();
        m.sides = c.Int();
        if (!c.Name(m.texture) || !c.Name(m.envTexture)) {
            error = "texture names of " + m.name;
            return false;
        }
        out.materials.push_back(m);
    }
    if (c.pos != bytes.size()) {
        error = "bytes after the last material";
        return false;
    }
    return true;
}

float SnapLikeLoader(float value, int axis)
{
    const double d = static_cast<double>(0.001f);
    double v = static_cast<double>(value);
    double shifted = axis == 2 ? v + d : v - d;
    return static_cast<float>(d * std::trunc(1000.0 * shifted));
}

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
