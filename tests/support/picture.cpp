#include "picture.h"

#include "engine/gltexture.h"
#include "engine/pngwrite.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

bool Near(const Rgb& a, const Rgb& b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

Picture Picture::Read(int w, int h)
{
    Picture p;
    p.width = w;
    p.height = h;
    if (uint8_t* data = ReadPixelsRGB(0, 0, w, h)) {
        p.rgb.assign(data, data + size_t(w) * h * 3);
        std::free(data);
    }
    return p;
}

Rgb Picture::At(int x, int y) const
{
    const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
    return Rgb{p[0], p[1], p[2]};
}

int Picture::CountDifferent(const Picture& o, int tolerance) const
{
    int n = 0;
    for (size_t i = 0; i + 2 < rgb.size() && i + 2 < o.rgb.size(); i += 3)
        if (std::abs(rgb[i] - o.rgb[i]) > tolerance || std::abs(rgb[i + 1] - o.rgb[i + 1]) > tolerance ||
            std::abs(rgb[i + 2] - o.rgb[i + 2]) > tolerance)
            ++n;
    return n;
}

int Picture::CountDifferent(const Picture& o, int tolerance, int x0, int y0, int x1, int y1) const
{
    int n = 0;
    for (int y = std::max(0, y0); y < std::min({y1, height, o.height}); ++y)
        for (int x = std::max(0, x0); x < std::min({x1, width, o.width}); ++x)
            n += !Near(At(x, y), o.At(x, y), tolerance);
    return n;
}

int Picture::CountGaps(const Rgb& background) const
{
    auto clear = [&](int x, int y) { return At(x, y) == background; };
    int n = 0;
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x)
            n += clear(x, y) && ((!clear(x - 1, y) && !clear(x + 1, y)) || (!clear(x, y - 1) && !clear(x, y + 1)));
    return n;
}

PixelBox Picture::DifferenceBox(const Picture& o, int tolerance, int x0, int y0, int x1, int y1) const
{
    PixelBox box{width, height, -1, -1};
    for (int y = std::max(0, y0); y < std::min({y1, height, o.height}); ++y)
        for (int x = std::max(0, x0); x < std::min({x1, width, o.width}); ++x)
            if (!Near(At(x, y), o.At(x, y), tolerance)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

int Picture::CountNear(const Rgb& colour, int tolerance, int x0, int y0, int x1, int y1) const
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += Near(At(x, y), colour, tolerance);
    return n;
}

double Picture::MeanBrightness(int x0, int y0, int x1, int y1) const
{
    double sum = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Rgb c = At(x, y);
            sum += (c.r + c.g + c.b) / 3.0;
            ++n;
        }
    return n ? sum / n : 0;
}

void Picture::SaveToGallery(const std::string& name) const
{
    std::string error;
    const std::string path = TestOutputDir() + "/" + name;
    if (!WritePng(path.c_str(), width, height, 3, rgb.data(), error))
        ADD_FAILURE() << "the gallery picture " << path << " could not be written: " << error;
}

void WriteTestPng(const std::string& path, int w, int h, int channels, const std::vector<uint8_t>& pixels)
{
    std::string error;
    if (pixels.size() != size_t(w) * h * channels || !WritePng(path.c_str(), w, h, channels, pixels.data(), error))
        ADD_FAILURE() << "the test picture " << path << " could not be written: " << error;
}
