#include "engine/format3do.h"

#include "engine/fileio.h"

#include <cmath>
#include <cstring>

namespace {

void PutInt(std::string& out, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void PutFloat(std::string& out, float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    PutInt(out, static_cast<int32_t>(u));
}

bool PutName(std::string& out, const std::string& name, std::string& error)
{
    if (name.size() >= k3doNameSize || name.find('\0') != std::string::npos) {
        error = "name does not fit in 80 bytes: " + name;
        return false;
    }
    out += name;
    out.append(k3doNameSize - name.size(), '\0');
    return true;
}

}  // namespace

bool Encode3do(const Model3doFile& model, std::string& bytes, std::string& error)
{
    std::string out;
    out += "3DO";
    PutInt(out, 1);
    PutInt(out, static_cast<int32_t>(model.objects.size()));
    for (const Model3doObject& o : model.objects) {
        size_t p = o.points.size() / 3;
        if (o.points.size() % 3 != 0 || o.uvs.size() != 2 * p || o.faces.size() % 3 != 0) {
            error = "object arrays disagree in size: " + o.name;
            return false;
        }
        for (uint32_t idx : o.faces)
            if (idx >= p) {
                error = "face index beyond the points: " + o.name;
                return false;
            }
        if (!PutName(out, o.name, error) || !PutName(out, o.material, error))
            return false;
        PutInt(out, static_cast<int32_t>(p));
        PutInt(out, static_cast<int32_t>(o.faces.size() / 3));
        for (float f : o.points)
            PutFloat(out, f);
        for (float f : o.uvs)
            PutFloat(out, f);
        for (uint32_t idx : o.faces)
            PutInt(out, static_cast<int32_t>(idx));
    }
    PutInt(out, static_cast<int32_t>(model.materials.size()));
    for (const Model3doMaterial& m : model.materials) {
        if (!PutName(out, m.name, error))
            return false;
        for (float f : m.ambient)
            PutFloat(out, f);
        for (float f : m.diffuse)
            PutFloat(out, f);
        for (float f : m.third)
            PutFloat(out, f);
        PutFloat(out, m.transparency);
        PutInt(out, m.shading);
        PutInt(out, m.lighting);
        PutInt(out, m.sides);
        if (!PutName(out, m.texture, error) || !PutName(out, m.envTexture, error))
            return false;
    }
    bytes.swap(out);
    return true;
}

bool Write3do(const char* path, const Model3doFile& model, std::string& error)
{
    std::string bytes;
    if (!Encode3do(model, bytes, error))
        return false;
    FILE* f = OpenFile(path, "wb");
    if (!f) {
        error = std::string("cannot create ") + (path ? path : "");
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        error = std::string("cannot write ") + path;
    return ok;
}

float Precompensate3doCoordinate(float value, int axis)
{
    // The loader computes d * trunc(1000 * (v -/+ d)) with d the float 0.001.
    // Writing v = target +/- d plus half a grid step away from zero puts
    // 1000 * (v -/+ d) in the middle of the target's grid cell.
    const double d = static_cast<double>(0.001f);
    double target = std::round(static_cast<double>(value) * 1000.0) / 1000.0;
    double half = target >= 0 ? 0.0005 : -0.0005;
    double v = axis == 2 ? target - d + half : target + d + half;
    return static_cast<float>(v);
}
