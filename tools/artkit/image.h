#pragma once
// Pictures for the art kit: a float RGBA canvas with anti-aliased shapes
// drawn from signed distances, tileable noise, blurs and relief shading of
// height fields, written out as 8-bit PNG.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

inline Rgba Rgb(double r, double g, double b, double a = 1.0)
{
    return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), static_cast<float>(a)};
}
Rgba Mix(Rgba a, Rgba b, double t);
Rgba Scale(Rgba c, double s);  // colour times s, alpha kept
double Clamp01(double v);
double SmoothStep(double e0, double e1, double x);

class Canvas {
public:
    Canvas(int width, int height, Rgba fill = Rgb(0, 0, 0, 0));
    int width() const { return w_; }
    int height() const { return h_; }
    Rgba& At(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
    const Rgba& At(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
    Rgba AtWrap(int x, int y) const;
    // Porter-Duff "over" with the colour's alpha times coverage.
    void Over(int x, int y, Rgba c, double coverage);
    // Sets every pixel from a function of the pixel centre.
    void Fill(const std::function<Rgba(double x, double y)>& f);
    // Draws a shape given by its signed distance in pixels (negative
    // inside), anti-aliased over `soft` pixels.
    void Shape(Rgba c, const std::function<double(double x, double y)>& sd, double soft = 1.0);
    // The same, only within the pixel rectangle [x0, x1) x [y0, y1).
    void ShapeIn(Rgba c, const std::function<double(double x, double y)>& sd, double soft, int x0, int y0, int x1,
                 int y1);
    void Blur(double radius, bool wrap);
    // 8-bit PNG with 1, 3 or 4 channels (1 uses the red channel).
    bool Save(const std::string& path, int channels, std::string& error) const;

private:
    int w_, h_;
    std::vector<Rgba> px_;
};

// Signed distances (pixels, negative inside).
double SdCircle(double x, double y, double cx, double cy, double r);
double SdBox(double x, double y, double cx, double cy, double hx, double hy, double round = 0);
double SdSegment(double x, double y, double ax, double ay, double bx, double by, double r);
double SdPolygon(double x, double y, const std::vector<std::pair<double, double>>& pts);

// Value noise that repeats every `period` lattice steps in x and y; 0..1.
double TileNoise(double x, double y, int period, uint32_t seed);
// Sum of octaves of TileNoise, each octave at twice the frequency; 0..1.
double TileFbm(double x, double y, int period, int octaves, uint32_t seed, double gain = 0.5);

// A height field (0..1 per pixel) shaded as relief lit from (lx, ly, lz):
// returns a factor per pixel around 1.0 (brighter on slopes facing the light).
std::vector<float> ReliefShade(const std::vector<float>& height, int w, int h, double depth, double lx, double ly,
                               double lz, bool wrap);
