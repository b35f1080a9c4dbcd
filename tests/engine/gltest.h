#pragma once
// Helpers for the engine's OpenGL tests: a window of its own per test (each
// test runs in its own process under ctest), pixel read-back, pictures saved
// for a person to look at, and small models written to the temporary
// directory.
#include "engine/format3do.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "engine/pngwrite.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

struct Rgb {
    int r, g, b;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// The frame buffer as packed RGB rows, top row first.
class Picture {
public:
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    static Picture Read(int w, int h)
    {
        Picture p;
        p.width = w;
        p.height = h;
        uint8_t* data = ReadPixelsRGB(0, 0, w, h);
        if (data) {
            p.rgb.assign(data, data + size_t(w) * h * 3);
            std::free(data);
        }
        return p;
    }

    // x from the left, y from the top.
    Rgb At(int x, int y) const
    {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return Rgb{p[0], p[1], p[2]};
    }

    // Saved as PNG in the test output directory.
    void Save(const std::string& name) const
    {
        std::string error;
        std::string path = TestOutputDir() + "/" + name;
        EXPECT_TRUE(WritePng(path.c_str(), width, height, 3, rgb.data(), error)) << error;
    }
};

inline bool Near(const Rgb& a, const Rgb& b, int tolerance = 3)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

class GLTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;

    void SetUp() override
    {
        context.fov = 45;
        context.nearDist = 0.01f;
        context.farDist = 1000;
        ASSERT_TRUE(context.Create(kWidth, kHeight, 0));
        Set2DScreenSize(kWidth, kHeight);
        SetObjectPath((dir.path() + "/").c_str());
        SetTexturePath((dir.path() + "/").c_str());
        SetMipMapping(0);
    }

    void TearDown() override { context.Close(); }

    ScopedTempDir dir;
    GLContext context;
};

// A square of two clockwise triangles in the plane z, spanning [x0, x1] ×
// [y0, y1], its front side towards +z (the viewer of a default camera).
inline Model3doObject SquareObject(const std::string& name, const std::string& material, float x0,
                                   float y0, float x1, float y1, float z)
{
    Model3doObject o;
    o.name = name;
    o.material = material;
    // Written so that the loader's grid snapping gives these values back.
    const float corners[4][3] = {{x0, y1, z}, {x1, y1, z}, {x0, y0, z}, {x1, y0, z}};
    for (const auto& c : corners)
        for (int axis = 0; axis < 3; ++axis)
            o.points.push_back(Precompensate3doCoordinate(c[axis], axis));
    o.uvs = {0, 0, 1, 0, 0, 1, 1, 1};
    // Seen from +z, top-left → top-right → bottom-left turns clockwise.
    o.faces = {0, 1, 2, 2, 1, 3};
    return o;
}

inline Model3doMaterial FlatColour(const std::string& name, float r, float g, float b)
{
    Model3doMaterial m;
    m.name = name;
    m.ambient[0] = r;
    m.ambient[1] = g;
    m.ambient[2] = b;
    m.lighting = 1;  // unlit: drawn in its ambient colour
    m.shading = 0;
    return m;
}

inline void WriteModel(const std::string& path, const Model3doFile& m)
{
    std::string error;
    ASSERT_TRUE(Write3do(path.c_str(), m, error)) << error;
}

// An RGBA image written as PNG; pixels top row first.
inline void WriteRgbaPng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba)
{
    std::string error;
    ASSERT_TRUE(WritePng(path.c_str(), w, h, 4, rgba.data(), error)) << error;
}

inline void WriteRgbPng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb)
{
    std::string error;
    ASSERT_TRUE(WritePng(path.c_str(), w, h, 3, rgb.data(), error)) << error;
}
