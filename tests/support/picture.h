#pragma once
// The frame buffer read back for the GL suites: pixels by position, simple
// measures, and pictures saved for a person to look at (the gallery in
// build/test-output). Saving a picture is never an assertion.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
};
inline bool operator==(const Rgb& a, const Rgb& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}
std::ostream& operator<<(std::ostream& os, const Rgb& c);

// Every channel within tolerance.
bool Near(const Rgb& a, const Rgb& b, int tolerance = 3);

// A rectangle of pixels, edges included; empty when right < left.
struct PixelBox {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool Empty() const { return right < left; }
    float CentreX() const { return (left + right) / 2.0f; }
};

// The frame buffer as packed RGB rows, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    // The lower-left w × h of the frame buffer in use.
    static Picture Read(int w, int h);

    // x from the left, y from the top.
    Rgb At(int x, int y) const;
    // Pixels that differ by more than tolerance on some channel.
    int CountDifferent(const Picture& other, int tolerance = 8) const;
    // The same within the rectangle [x0, x1) × [y0, y1).
    int CountDifferent(const Picture& other, int tolerance, int x0, int y0, int x1, int y1) const;
    // The smallest box holding every pixel of [x0, x1) × [y0, y1) that
    // differs from the other picture by more than tolerance.
    PixelBox DifferenceBox(const Picture& other, int tolerance, int x0, int y0, int x1, int y1) const;
    // Pixels of the rectangle [x0, x1) × [y0, y1) near the colour.
    int CountNear(const Rgb& colour, int tolerance, int x0, int y0, int x1, int y1) const;
    double MeanBrightness(int x0, int y0, int x1, int y1) const;
    // Pixels of exactly the colour between two that are not, in a row or a
    // column: the gaps a mesh with cracks leaves over a background.
    int CountGaps(const Rgb& background) const;

    // Into the gallery: build/test-output/<name> as PNG.
    void SaveToGallery(const std::string& name) const;
};

// Pixels (rows top first, 3 or 4 channels) as a PNG file for a test to load.
void WriteTestPng(const std::string& path, int w, int h, int channels, const std::vector<uint8_t>& pixels);
