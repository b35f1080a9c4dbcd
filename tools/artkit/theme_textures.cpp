// The textures of theme 1. Opaque model textures are RGB (an alpha
// channel would make the game draw the model as transparent); overlays
// drawn with blending are RGBA.
#include "kit.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

namespace {

// A colour from a height field: base colour per pixel times relief light.
Canvas ReliefCanvas(int w, int h, const std::vector<float>& height, double depth, bool wrap,
                    const std::function<Rgba(int x, int y)>& base)
{
    std::vector<float> light = ReliefShade(height, w, h, depth, -1.0, -1.2, 2.0, wrap);
    Canvas c(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double l = light[static_cast<size_t>(y) * w + x];
            c.At(x, y) = Scale(base(x, y), 0.55 + 0.45 * l);
        }
    return c;
}

// Distance from s to the nearest multiple of `step` shifted by `offset`.
double DistToLine(double s, double step, double offset)
{
    double t = (s - offset) / step;
    return std::fabs(t - std::round(t)) * step;
}

// Wall sides: three courses of stones, two stones per cell, staggered.
// Sampled so that the first and last texel columns are the same place
// (the walls map each cell onto texel centres).
Canvas WallSideTexture()
{
    const int n = kWallTextureSize;
    std::vector<float> hgt(static_cast<size_t>(n) * n);
    std::vector<uint32_t> stone(hgt.size());
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double s = static_cast<double>(x) / (n - 1), r = static_cast<double>(y) / (n - 1);
            int course = std::min(2, static_cast<int>(r * 3));
            double offset = (course % 2) ? 0.25 : 0.0;
            double dv = DistToLine(r, 1.0 / 3, 0.0);
            double du = DistToLine(s, 0.5, offset);
            double joint = std::min(dv * 3, du * 2);  // 0 on a joint
            double rough = TileFbm(s * 8, r * 8, 8, 4, 11);
            double height = SmoothStep(0.0, 0.06, joint) * (0.85 + 0.15 * rough);
            hgt[static_cast<size_t>(y) * n + x] = static_cast<float>(height);
            int idx = static_cast<int>(std::floor((s - offset) * 2 + 4)) % 2;
            stone[static_cast<size_t>(y) * n + x] = static_cast<uint32_t>(course * 2 + idx);
        }
    return ReliefCanvas(n, n, hgt, 9.0, false, [&](int x, int y) {
        size_t i = static_cast<size_t>(y) * n + x;
        double tint = HashUnit(stone[i], 3, 17);
        double grain = TileFbm(x / (n - 1.0) * 16, y / (n - 1.0) * 16, 16, 3, 12);
        Rgba c = Mix(Rgb(0.62, 0.66, 0.76), Rgb(0.7, 0.72, 0.8), tint);
        c = Scale(c, 0.88 + 0.2 * grain);
        return Mix(Rgb(0.32, 0.33, 0.38), c, SmoothStep(0.2, 0.6, hgt[i]));
    });
}

// Wall tops: one capstone per cell with a fine joint at the cell edge.
Canvas WallTopTexture()
{
    const int n = kWallTextureSize;
    std::vector<float> hgt(static_cast<size_t>(n) * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double s = static_cast<double>(x) / (n - 1), r = static_cast<double>(y) / (n - 1);
            double edge = std::min({s, 1 - s, r, 1 - r});
            double rough = TileFbm(s * 6, r * 6, 6, 4, 21);
            hgt[static_cast<size_t>(y) * n + x] = static_cast<float>(SmoothStep(0.0, 0.03, edge) * (0.9 + 0.1 * rough));
        }
    return ReliefCanvas(n, n, hgt, 7.0, false, [&](int x, int y) {
        double s = static_cast<double>(x) / (n - 1), r = static_cast<double>(y) / (n - 1);
        double grain = TileFbm(s * 12, r * 12, 12, 4, 22);
        double speck = HashUnit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 23) > 0.985 ? 0.08 : 0.0;
        Rgba c = Scale(Rgb(0.78, 0.8, 0.86), 0.9 + 0.16 * grain + speck);
        return c;
    });
}

// Floor: 3 x 3 tiles per repeat, each a little different, bevelled grout.
Canvas FloorTexture()
{
    const int n = 256;
    const double tile = n / 3.0;
    std::vector<float> hgt(static_cast<size_t>(n) * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double dx = DistToLine(px, tile, 0), dy = DistToLine(py, tile, 0);
            double joint = std::min(dx, dy);
            double rough = TileFbm(px / n * 12, py / n * 12, 12, 4, 31);
            hgt[static_cast<size_t>(y) * n + x] =
                static_cast<float>(SmoothStep(1.0, 4.0, joint) * (0.92 + 0.08 * rough));
        }
    return ReliefCanvas(n, n, hgt, 3.0, true, [&](int x, int y) {
        double px = x + 0.5, py = y + 0.5;
        uint32_t tx = static_cast<uint32_t>(px / tile), ty = static_cast<uint32_t>(py / tile);
        double tint = HashUnit(tx, ty, 33);
        double cloud = TileFbm(px / n * 6, py / n * 6, 6, 5, 34);
        double fine = TileFbm(px / n * 32, py / n * 32, 32, 2, 35);
        Rgba stone = Mix(Rgb(0.84, 0.79, 0.7), Rgb(0.78, 0.76, 0.72), tint);
        stone = Scale(stone, 0.9 + 0.14 * cloud + 0.06 * fine);
        return Mix(Rgb(0.5, 0.46, 0.42), stone, SmoothStep(0.1, 0.7, hgt[static_cast<size_t>(y) * n + x]));
    });
}

// Side of the board slab: a light trim on top, dressed stone below.
Canvas BorderTexture()
{
    const int w = 128, h = 64;
    std::vector<float> hgt(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double s = (x + 0.5) / w, r = (y + 0.5) / h;
            double trim = std::fabs(r - 0.22) * h;
            double joint = std::min(DistToLine(s, 1.0, 0.0) * w, trim);
            double rough = TileFbm(s * 8, r * 4, 8, 3, 41);
            hgt[static_cast<size_t>(y) * w + x] = static_cast<float>(SmoothStep(0.5, 3.0, joint) * (0.9 + 0.1 * rough));
        }
    return ReliefCanvas(w, h, hgt, 6.0, true, [&](int x, int y) {
        double s = (x + 0.5) / w, r = (y + 0.5) / h;
        double grain = TileFbm(s * 16, r * 8, 16, 3, 42);
        Rgba top = Rgb(0.86, 0.82, 0.74), face = Rgb(0.46, 0.5, 0.62);
        Rgba c = r < 0.22 ? top : Mix(face, Scale(face, 0.7), (r - 0.22) / 0.78);
        return Scale(c, 0.9 + 0.18 * grain);
    });
}

Canvas TargetTexture(int colour)
{
    const int n = 128;
    const double c = n / 2.0;
    Rgba col = BlockColour(colour);
    Rgba bright = Mix(col, Rgb(1, 1, 1), 0.45);
    Canvas img(n, n, Rgb(col.r, col.g, col.b, 0));
    // A faint fill, a glowing ring, a diamond in the middle and four
    // corner brackets so the cell reads as a place to fill.
    img.Shape(
        Rgb(col.r, col.g, col.b, 0.16), [&](double x, double y) { return SdBox(x, y, c, c, 54, 54, 14); }, 2.0);
    Canvas glow(n, n, Rgb(col.r, col.g, col.b, 0));
    glow.Shape(Rgb(col.r, col.g, col.b, 0.8),
               [&](double x, double y) { return std::fabs(SdCircle(x, y, c, c, 38)) - 6; });
    glow.Blur(5, false);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            img.Over(x, y, glow.At(x, y), 1.0);
    img.Shape(
        bright, [&](double x, double y) { return std::fabs(SdCircle(x, y, c, c, 38)) - 3.5; }, 1.5);
    img.Shape(
        Rgb(bright.r, bright.g, bright.b, 0.85),
        [&](double x, double y) { return (std::fabs(x - c) + std::fabs(y - c)) / std::sqrt(2.0) - 12; }, 1.5);
    for (int k = 0; k < 4; ++k) {
        double sx = (k & 1) ? 1 : -1, sy = (k & 2) ? 1 : -1;
        double cx = c + sx * 52, cy = c + sy * 52;
        img.Shape(
            Rgb(bright.r, bright.g, bright.b, 0.75),
            [&](double x, double y) {
                double a = SdSegment(x, y, cx, cy, cx - sx * 16, cy, 3);
                double b = SdSegment(x, y, cx, cy, cx, cy - sy * 16, 3);
                return std::min(a, b);
            },
            1.5);
    }
    return img;
}

Canvas BlobShadow(int n, bool round, double half, double alpha)
{
    Canvas c(n, n, Rgb(0, 0, 0, 0));
    double m = n / 2.0;
    c.Shape(Rgb(0, 0, 0, alpha), [&](double x, double y) {
        return round ? SdCircle(x, y, m, m, half * n) : SdBox(x, y, m, m, half * n, half * n, n * 0.12);
    });
    c.Blur(n * 0.06, false);
    return c;
}

// Laid over the whole board (stretched to 20 x 15 cells): a slight
// darkening towards the rim and a few soft stains. Its colour also tints
// the baked shadows.
Canvas DetailTexture()
{
    const int n = 256;
    Canvas c(n, n);
    c.Fill([&](double x, double y) {
        double u = x / n, v = y / n;
        double edge = std::min({u, 1 - u, v, 1 - v});
        double rim = 1 - SmoothStep(0.0, 0.09, edge);
        double stain = TileFbm(u * 5, v * 5, 5, 4, 51);
        double a = 0.04 + 0.3 * rim * rim + 0.08 * SmoothStep(0.55, 0.8, stain);
        return Rgb(0.2, 0.22, 0.32, a);
    });
    return c;
}

double TreadStrip(double across, double along)
{
    // across: -1..1 over the tyre's width; along: distance travelled.
    double chevron = std::fmod(along * 10 + std::fabs(across) * 0.8 + 100, 1.0);
    double mark = 0.55 + 0.45 * SmoothStep(0.25, 0.15, std::fabs(chevron - 0.5) - 0.1);
    return mark * SmoothStep(1.0, 0.75, std::fabs(across));
}

Canvas TrackTexture(bool curve)
{
    const int n = 64;
    const double halfWidth = 0.05, offset = 0.215;
    Canvas c(n, n, Rgb(0.22, 0.19, 0.16, 0));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double u = (x + 0.5) / n, v = (y + 0.5) / n;
            double a = 0;
            if (!curve) {
                for (double side : {-1.0, 1.0})
                    a = std::max(a, TreadStrip((u - 0.5 - side * offset) / halfWidth, v));
            } else {
                // Quarter turn about the corner (u, v) = (1, 1): joins the
                // middle of the right edge to the middle of the bottom edge.
                double r = std::hypot(u - 1, v - 1);
                double ang = std::atan2(1 - v, 1 - u);
                for (double side : {-1.0, 1.0}) {
                    double radius = 0.5 + side * offset;
                    a = std::max(a, TreadStrip((r - radius) / halfWidth, ang * radius));
                }
            }
            c.At(x, y).a = static_cast<float>(0.42 * a);
        }
    return c;
}

Canvas BlockFaceTexture(bool on)
{
    const int n = 128;
    std::vector<float> hgt(static_cast<size_t>(n) * n);
    auto heightAt = [&](double x, double y) {
        double m = n / 2.0;
        double frame = SdBox(x, y, m, m, 50, 50, 10);  // inside of the raised frame
        double outer = SdBox(x, y, m, m, 60, 60, 14);
        double h = 0.5;
        h += 0.3 * SmoothStep(1.5, -1.5, outer) * SmoothStep(-1.5, 1.5, frame);  // frame
        if (on) {
            // A round socket for the star that floats above it.
            double r = std::hypot(x - m, y - m);
            h += 0.3 * SmoothStep(1.5, -1.5, r - 36) - 0.25 * SmoothStep(1.5, -1.5, r - 28);
        } else {
            double diamond = (std::fabs(x - m) + std::fabs(y - m)) / std::sqrt(2.0);
            h += 0.3 * SmoothStep(1.5, -1.5, diamond - 22) - 0.15 * SmoothStep(1.5, -1.5, diamond - 11);
        }
        return h;
    };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            hgt[static_cast<size_t>(y) * n + x] = static_cast<float>(heightAt(x + 0.5, y + 0.5));
    return ReliefCanvas(n, n, hgt, 10.0, false, [&](int x, int y) {
        double u = (x + 0.5) / n, v = (y + 0.5) / n;
        double grain = TileFbm(u * 8, v * 8, 8, 4, on ? 62 : 61);
        double edge = std::min({u, 1 - u, v, 1 - v});
        double base = (on ? 1.0 : 0.93) * (0.92 + 0.1 * grain) * (0.82 + 0.18 * SmoothStep(0.0, 0.12, edge));
        Rgba c = Scale(Rgb(1, 1, 1), base);
        if (on) {
            double r = std::hypot(u - 0.5, v - 0.5);
            c = Mix(c, Rgb(1, 1, 0.95), 0.35 * SmoothStep(0.35, 0.0, r));
        }
        return c;
    });
}

Canvas BombTexture()
{
    // A riveted band round the middle of the shell, seams top to bottom.
    const int w = 64, h = 64;
    Canvas c(w, h);
    c.Fill([&](double x, double y) {
        double u = x / w, v = y / h;  // v = 0 at the top of the bomb
        double band = std::fabs(v - 0.5);
        double shade = 0.78 + 0.1 * TileFbm(u * 8, v * 8, 8, 3, 71);
        shade *= 1 - 0.25 * SmoothStep(0.02, 0.0, std::fabs(std::fmod(u * 4 + 100, 1.0) - 0.5) - 0.48);
        if (band < 0.07)
            shade = 0.95 - 0.25 * SmoothStep(0.05, 0.07, band);
        double rivet = std::hypot((std::fmod(u * 12 + 100, 1.0) - 0.5) / 1.0, (v - 0.5) * 12);
        shade = shade + 0.25 * SmoothStep(0.3, 0.18, rivet);
        return Scale(Rgb(1, 1, 1), std::min(1.0, shade));
    });
    return c;
}

Canvas StoneTexture()
{
    // Irregular flagstones: cells of a jittered grid that wraps around.
    const int n = 128, cells = 4;
    std::vector<V2> seeds;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i)
            seeds.push_back(
                {(i + 0.2 + 0.6 * HashUnit(i, j, 81)) / cells, (j + 0.2 + 0.6 * HashUnit(i, j, 82)) / cells});
    std::vector<float> hgt(static_cast<size_t>(n) * n);
    std::vector<int> owner(hgt.size());
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double u = (x + 0.5) / n, v = (y + 0.5) / n;
            double d1 = 1e9, d2 = 1e9;
            int best = 0;
            for (size_t k = 0; k < seeds.size(); ++k)
                for (int oy = -1; oy <= 1; ++oy)
                    for (int ox = -1; ox <= 1; ++ox) {
                        double d = std::hypot(u - seeds[k].x - ox, v - seeds[k].y - oy);
                        if (d < d1) {
                            d2 = d1;
                            d1 = d;
                            best = static_cast<int>(k);
                        } else if (d < d2) {
                            d2 = d;
                        }
                    }
            double rough = TileFbm(u * 8, v * 8, 8, 3, 83);
            hgt[static_cast<size_t>(y) * n + x] =
                static_cast<float>(SmoothStep(0.0, 0.03, d2 - d1) * (0.85 + 0.15 * rough));
            owner[static_cast<size_t>(y) * n + x] = best;
        }
    return ReliefCanvas(n, n, hgt, 12.0, true, [&](int x, int y) {
        size_t i = static_cast<size_t>(y) * n + x;
        double tint = HashUnit(static_cast<uint32_t>(owner[i]), 5, 84);
        Rgba c = Mix(Rgb(0.86, 0.82, 0.75), Rgb(0.74, 0.72, 0.7), tint);
        return Mix(Rgb(0.4, 0.38, 0.36), c, SmoothStep(0.15, 0.6, hgt[i]));
    });
}

Canvas ColumnTexture()
{
    // Marble with flutes running up the column (u goes round it twice).
    const int n = 64;
    Canvas c(n, n);
    c.Fill([&](double x, double y) {
        double u = x / n, v = y / n;
        double vein = TileFbm(u * 4 + TileFbm(u * 8, v * 8, 8, 3, 95) * 1.5, v * 4, 4, 4, 96);
        double flute = 0.88 + 0.12 * std::cos(u * 2 * kPi * 8);
        Rgba marble = Mix(Rgb(0.95, 0.94, 0.92), Rgb(0.72, 0.74, 0.8), SmoothStep(0.55, 0.75, vein));
        return Scale(marble, flute);
    });
    return c;
}

Canvas ExplosionTexture()
{
    // Flames with dark gaps of smoke: the game adds it onto the scene, so
    // it stays short of white to keep its colour over a light floor.
    const int n = 128;
    Canvas c(n, n);
    c.Fill([&](double x, double y) {
        double u = x / n, v = y / n;
        double f = TileFbm(u * 6, v * 6, 6, 5, 101);
        double heat = Clamp01(f * 1.7 - 0.45);
        Rgba smoke = Rgb(0.05, 0.02, 0.01), red = Rgb(0.55, 0.1, 0.02), orange = Rgb(0.85, 0.38, 0.06),
             yellow = Rgb(0.9, 0.7, 0.25);
        if (heat < 0.35)
            return Mix(smoke, red, heat / 0.35);
        if (heat < 0.7)
            return Mix(red, orange, (heat - 0.35) / 0.35);
        return Mix(orange, yellow, (heat - 0.7) / 0.3);
    });
    return c;
}

// The world around the board: sky above, a deep blue below with soft
// drifting clouds and specks of light (that is what the camera mostly
// sees, looking down at the board). Equirectangular, v = 0 at the zenith.
Canvas GameBackground()
{
    const int w = 512, h = 256;
    Canvas c(w, h);
    c.Fill([&](double x, double y) {
        double u = x / w, v = y / h;
        double clouds = TileFbm(u * 8, v * 4, 8, 5, 111);
        Rgba col;
        if (v < 0.5) {
            double t = v / 0.5;
            col = Mix(Rgb(0.14, 0.24, 0.5), Rgb(0.56, 0.72, 0.86), t * t);
            col = Mix(col, Rgb(0.95, 0.95, 1.0), 0.45 * SmoothStep(0.55, 0.8, clouds) * SmoothStep(0.2, 0.45, v));
        } else {
            double t = (v - 0.5) / 0.5;
            col = Mix(Rgb(0.32, 0.46, 0.62), Rgb(0.05, 0.08, 0.18), std::sqrt(t));
            double mist = TileFbm(u * 6 + 3, v * 6, 6, 5, 112);
            col = Mix(col, Rgb(0.16, 0.32, 0.46), 0.6 * SmoothStep(0.45, 0.8, mist));
        }
        return col;
    });
    // Specks of light below the horizon.
    Rng rng(113);
    for (int i = 0; i < 140; ++i) {
        // Kept away from the pole, where the sphere would smear them.
        double sx = rng.Range(0, w), sy = rng.Range(h * 0.55, h * 0.8), r = rng.Range(0.6, 1.6);
        double bright = rng.Range(0.25, 0.7);
        for (int dx = -1; dx <= 1; ++dx) {  // drawn three times so the seam wraps
            double cx = sx + dx * w;
            c.ShapeIn(
                Rgb(0.75, 0.88, 1.0, bright), [&](double x, double y) { return SdCircle(x, y, cx, sy, r); }, 1.0,
                static_cast<int>(cx - r - 2), static_cast<int>(sy - r - 2), static_cast<int>(cx + r + 3),
                static_cast<int>(sy + r + 3));
        }
    }
    return c;
}

}  // namespace

void GenerateThemeTextures(const std::string& data)
{
    const std::string dir = data + "/gfx/theme1/texture/";
    MakeKitDir(dir);
    WriteKitImage(dir + "mur.png", WallSideTexture(), 3);
    WriteKitImage(dir + "murhaut.png", WallTopTexture(), 3);
    WriteKitImage(dir + "sol.png", FloorTexture(), 3);
    WriteKitImage(dir + "bordure.png", BorderTexture(), 3);
    for (int k = 0; k < 5; ++k)
        WriteKitImage(dir + "arrive" + std::to_string(k + 1) + ".png", TargetTexture(k), 4);
    WriteKitImage(dir + "shadow.png", BlobShadow(64, false, 0.4, 0.55), 4);
    WriteKitImage(dir + "shadowbomb.png", BlobShadow(64, true, 0.3, 0.55), 4);
    WriteKitImage(dir + "shadowcar.png", CarShadowTexture(64), 4);
    WriteKitImage(dir + "detail.png", DetailTexture(), 4);
    WriteKitImage(dir + "trace1.png", TrackTexture(false), 4);
    WriteKitImage(dir + "trace2.png", TrackTexture(true), 4);
    WriteKitImage(dir + "bloc.png", BlockFaceTexture(false), 3);
    WriteKitImage(dir + "blocon.png", BlockFaceTexture(true), 3);
    WriteKitImage(dir + "car.png", CarBodyTexture(128, 64), 3);
    WriteKitImage(dir + "carvitre.png", CarCabinTexture(64, 64), 3);
    WriteKitImage(dir + "roue.png", WheelTexture(128, 64), 3);
    WriteKitImage(dir + "bombe.png", BombTexture(), 3);
    WriteKitImage(dir + "pierre.png", StoneTexture(), 3);
    WriteKitImage(dir + "colonne.png", ColumnTexture(), 3);
    WriteKitImage(dir + "explosion.png", ExplosionTexture(), 3);
    WriteKitImage(dir + "fond.png", GameBackground(), 3);
}
