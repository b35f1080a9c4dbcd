#include "kit.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

void MakeKitDir(const std::string& dir)
{
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i != dir.size() && dir[i] != '/')
            continue;
        std::string part = dir.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            throw KitError("cannot create directory " + part);
    }
}

void WriteKitBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw KitError("cannot create " + path);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        throw KitError("cannot write " + path);
}

void WriteKitText(const std::string& path, const std::string& text)
{
    WriteKitBytes(path, text);
}

void WriteKitModel(const std::string& path, const Model3doFile& model)
{
    std::string error;
    if (!Write3do(path.c_str(), model, error))
        throw KitError(path + ": " + error);
}

void WriteKitImage(const std::string& path, const Canvas& canvas, int channels)
{
    std::string error;
    if (!canvas.Save(path, channels, error))
        throw KitError(path + ": " + error);
}

Model3doMaterial MakeMaterial(const MaterialParams& s)
{
    Model3doMaterial m;
    m.name = s.name;
    m.ambient[0] = s.ambient.r;
    m.ambient[1] = s.ambient.g;
    m.ambient[2] = s.ambient.b;
    m.diffuse[0] = s.diffuse.r;
    m.diffuse[1] = s.diffuse.g;
    m.diffuse[2] = s.diffuse.b;
    m.transparency = static_cast<float>(s.transparency);
    m.shading = 0;  // smooth: the game does not draw lit flat-shaded objects
    m.lighting = s.lit ? 0 : 1;
    m.sides = s.twoSided ? 1 : 0;
    m.texture = s.texture;
    return m;
}

Rgba BlockColour(int index)
{
    static const Rgba kColours[5] = {
        Rgb(1.0, 0.62, 0.14),   // amber
        Rgb(0.25, 0.5, 1.0),    // blue
        Rgb(0.36, 0.84, 0.24),  // green
        Rgb(0.7, 0.36, 0.96),   // purple
        Rgb(0.12, 0.8, 0.78),   // teal
    };
    return kColours[index];
}
