#include "engine/format3do.h"

#include "app/base/bytes.h"
#include "app/base/files.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

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
    PutInt32(out, 1);
    PutInt32(out, static_cast<int32_t>(model.objects.size()));
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
        PutInt32(out, static_cast<int32_t>(p));
        PutInt32(out, static_cast<int32_t>(o.faces.size() / 3));
        for (float f : o.points)
            PutFloat(out, f);
        for (float f : o.uvs)
            PutFloat(out, f);
        for (uint32_t idx : o.faces)
            PutInt32(out, static_cast<int32_t>(idx));
    }
    PutInt32(out, static_cast<int32_t>(model.materials.size()));
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
        PutInt32(out, m.shading);
        PutInt32(out, m.lighting);
        PutInt32(out, m.sides);
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

namespace {

// A cursor over the file's bytes that never reads past the end.
struct Reader {
    const unsigned char* data;
    size_t size;
    size_t pos;

    size_t Left() const { return size - pos; }

    bool Int(int32_t& v)
    {
        if (Left() < 4)
            return false;
        v = GetInt32(data + pos);
        pos += 4;
        return true;
    }

    bool Float(float& f)
    {
        if (Left() < 4)
            return false;
        f = GetFloat(data + pos);
        pos += 4;
        return true;
    }

    // An 80-byte name field; the text ends at its first zero byte, which
    // must be inside the field.
    bool Name(std::string& name)
    {
        if (Left() < k3doNameSize)
            return false;
        const char* p = reinterpret_cast<const char*>(data + pos);
        const void* zero = std::memchr(p, 0, k3doNameSize);
        if (!zero)
            return false;
        name.assign(p, static_cast<const char*>(zero) - p);
        pos += k3doNameSize;
        return true;
    }
};

bool Refuse(std::string& error, const std::string& why, Model3doFile& out)
{
    error = why;
    out = Model3doFile();
    return false;
}

}  // namespace

bool Decode3do(const void* data, size_t size, Model3doFile& out, std::string& error)
{
    out = Model3doFile();
    if (!data && size > 0)
        return Refuse(error, "no data", out);
    Reader r{static_cast<const unsigned char*>(data), size, 0};
    int32_t signatureValue, objectCount;
    if (r.Left() < k3doHeaderSize)
        return Refuse(error, "truncated header", out);
    r.pos = 3;
    r.Int(signatureValue);
    r.Int(objectCount);
    if (objectCount < 0 || static_cast<uint64_t>(objectCount) > r.Left() / k3doObjectHeadSize)
        return Refuse(error, "bad object count", out);

    try {
        out.objects.resize(static_cast<size_t>(objectCount));
        for (Model3doObject& o : out.objects) {
            int32_t p, f;
            if (!r.Name(o.name) || !r.Name(o.material))
                return Refuse(error, "object name without terminator or truncated", out);
            if (!r.Int(p) || !r.Int(f))
                return Refuse(error, "truncated object", out);
            if (p < 0 || f < 0)
                return Refuse(error, "negative point or face count in object " + o.name, out);
            uint64_t need = 20 * static_cast<uint64_t>(p) + 12 * static_cast<uint64_t>(f);
            if (need > r.Left())
                return Refuse(error, "truncated object " + o.name, out);
            o.points.resize(3 * static_cast<size_t>(p));
            for (float& v : o.points) {
                r.Float(v);
                if (!std::isfinite(v))
                    return Refuse(error, "coordinate not a finite number in object " + o.name, out);
            }
            o.uvs.resize(2 * static_cast<size_t>(p));
            for (float& v : o.uvs)
                r.Float(v);
            o.faces.resize(3 * static_cast<size_t>(f));
            for (uint32_t& idx : o.faces) {
                int32_t v = -1;
                r.Int(v);
                if (v < 0 || v >= p)
                    return Refuse(error, "face index beyond the points in object " + o.name, out);
                idx = static_cast<uint32_t>(v);
            }
        }

        int32_t materialCount;
        if (!r.Int(materialCount))
            return Refuse(error, "truncated before the material count", out);
        if (materialCount < 0 || static_cast<uint64_t>(materialCount) > r.Left() / k3doMaterialSize)
            return Refuse(error, "bad material count", out);
        out.materials.resize(static_cast<size_t>(materialCount));
        for (Model3doMaterial& m : out.materials) {
            // The count check above guarantees the 292 bytes are present.
            if (!r.Name(m.name))
                return Refuse(error, "material name without terminator", out);
            for (float& v : m.ambient)
                r.Float(v);
            for (float& v : m.diffuse)
                r.Float(v);
            for (float& v : m.third)
                r.Float(v);
            r.Float(m.transparency);
            r.Int(m.shading);
            r.Int(m.lighting);
            r.Int(m.sides);
            if (!r.Name(m.texture) || !r.Name(m.envTexture))
                return Refuse(error, "texture name without terminator in material " + m.name, out);
        }
    } catch (const std::bad_alloc&) {
        return Refuse(error, "out of memory", out);
    }
    return true;
}

bool Read3do(const char* path, Model3doFile& out, std::string& error, bool* missing)
{
    out = Model3doFile();
    if (missing)
        *missing = false;
    FILE* f = OpenFile(path, "rb");
    if (!f) {
        if (missing)
            *missing = true;
        error = "cannot open the file";
        return false;
    }
    std::string bytes;
    bool ok = true;
    try {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
            if (bytes.size() + n > k3doMaxFileSize) {
                error = "file too large";
                ok = false;
                break;
            }
            bytes.append(buf, n);
        }
        if (ok && std::ferror(f)) {
            error = "read error";
            ok = false;
        }
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        ok = false;
    }
    std::fclose(f);
    return ok && Decode3do(bytes.data(), bytes.size(), out, error);
}

float Snap3doCoordinate(float value, int axis)
{
    const double d = static_cast<double>(0.001f);
    double v = static_cast<double>(value);
    double snapped = axis == 2 ? d * std::trunc(1000.0 * (v + d)) : d * std::trunc(1000.0 * (v - d));
    const double limit = static_cast<double>(std::numeric_limits<float>::max());
    if (!(snapped <= limit))  // also catches NaN
        snapped = std::isnan(snapped) ? 0.0 : limit;
    if (snapped < -limit)
        snapped = -limit;
    return static_cast<float>(snapped);
}
