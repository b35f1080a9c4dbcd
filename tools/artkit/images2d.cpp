// The 2D pictures in data/gfx/2d/: mouse pointer, menu selection bar,
// icon font of the heads-up bar and the window icon.
#include "kit.h"

#include <algorithm>
#include <cmath>

namespace {

using Points = std::vector<std::pair<double, double>>;

// A soft drop shadow under everything drawn so far.
void AddShadow(Canvas& c, double dx, double dy, double blur, double alpha)
{
    Canvas shadow(c.width(), c.height(), Rgb(0, 0, 0, 0));
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            int sx = x - static_cast<int>(dx), sy = y - static_cast<int>(dy);
            if (sx >= 0 && sy >= 0 && sx < c.width() && sy < c.height())
                shadow.At(x, y) = Rgb(0, 0, 0, c.At(sx, sy).a * alpha);
        }
    shadow.Blur(blur, false);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            shadow.Over(x, y, c.At(x, y), 1.0);
    c = shadow;
}

Canvas Pointer()
{
    const int n = 64;
    Canvas c(n, n, Rgb(0, 0, 0, 0));
    // The hot spot is the top-left corner, where the arrow's tip is.
    const Points arrow = {{2.5, 2.5}, {2.5, 47}, {14, 36}, {22.5, 55}, {30, 51.5}, {22, 33.5}, {38, 33.5}};
    c.Shape(Rgb(0.1, 0.08, 0.2), [&](double x, double y) { return SdPolygon(x, y, arrow) - 1.8; });
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double d = SdPolygon(x + 0.5, y + 0.5, arrow) + 0.9;
            double cov = Clamp01(0.5 - d);
            if (cov <= 0)
                continue;
            double t = Clamp01((x + y) / 70.0);
            Rgba fill = Mix(Rgb(1.0, 0.98, 0.9), Rgb(1.0, 0.72, 0.25), t);
            c.Over(x, y, fill, cov);
        }
    AddShadow(c, 3, 3, 2.5, 0.45);
    return c;
}

// The selection bar: a glassy amber pill. `from` and `to` give the pill's
// straight part in pixels of this picture (caps are half circles).
Canvas Pill(int w, int h, double from, double to)
{
    Canvas c(w, h, Rgb(1, 0.8, 0.4, 0));
    const double r = h / 2.0 - 1.5;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double d = SdSegment(px, py, from, h / 2.0, to, h / 2.0, r);
            double cov = Clamp01(0.5 - d);
            if (cov <= 0)
                continue;
            double v = py / h;
            Rgba body = Mix(Rgb(1.0, 0.88, 0.45, 0.72), Rgb(1.0, 0.52, 0.08, 0.62), v);
            // Gloss on the upper part, a bright rim all round.
            body = Mix(body, Rgb(1, 1, 0.95, 0.62), 0.55 * SmoothStep(0.48, 0.18, v) * SmoothStep(0.06, 0.16, v));
            body = Mix(body, Rgb(1.0, 0.96, 0.75, 0.95), SmoothStep(-3.5, -0.8, d));
            c.Over(x, y, body, cov);
        }
    return c;
}

// Icon font cells (48 x 48): a dark round badge with a symbol, so that
// the label the game writes over it stays readable.
void Badge(Canvas& c, double ox, Rgba rim)
{
    c.Shape(Rgb(0.05, 0.08, 0.2, 0.6), [&](double x, double y) { return SdCircle(x, y, ox + 24, 24, 21.5); });
    c.Shape(rim, [&](double x, double y) { return std::fabs(SdCircle(x, y, ox + 24, 24, 21.5)) - 1.2; });
}

void BombGlyph(Canvas& c, double ox)
{
    Badge(c, ox, Rgb(1.0, 0.7, 0.3, 0.9));
    c.Shape(Rgb(0.12, 0.13, 0.2), [&](double x, double y) { return SdCircle(x, y, ox + 22, 27, 11); });
    c.Shape(
        Rgb(0.6, 0.65, 0.8, 0.8), [&](double x, double y) { return SdCircle(x, y, ox + 18.5, 23.5, 3); }, 2.0);
    c.Shape(Rgb(0.85, 0.72, 0.4), [&](double x, double y) { return SdBox(x, y, ox + 27.5, 16.5, 3.2, 2.5, 1); });
    c.Shape(Rgb(0.9, 0.8, 0.6), [&](double x, double y) { return SdSegment(x, y, ox + 29, 14.5, ox + 33, 10, 1.1); });
    c.Shape(Rgb(1.0, 0.9, 0.3), [&](double x, double y) {
        double ang = std::atan2(y - 9, x - (ox + 34));
        double r = std::hypot(x - (ox + 34), y - 9);
        return r - (2.2 + 2.2 * std::fabs(std::cos(ang * 3)));
    });
}

void ExclamationGlyph(Canvas& c, double ox)
{
    Badge(c, ox, Rgb(1.0, 0.5, 0.3, 0.9));
    c.Shape(Rgb(1.0, 0.85, 0.4), [&](double x, double y) { return SdSegment(x, y, ox + 24, 12, ox + 24, 28, 3.6); });
    c.Shape(Rgb(1.0, 0.85, 0.4), [&](double x, double y) { return SdCircle(x, y, ox + 24, 36, 3.8); });
}

void FlagGlyph(Canvas& c, double ox)
{
    Badge(c, ox, Rgb(0.45, 0.75, 1.0, 0.9));
    c.Shape(Rgb(0.85, 0.88, 0.95), [&](double x, double y) { return SdSegment(x, y, ox + 15, 9, ox + 15, 38, 1.4); });
    c.Shape(Rgb(0.3, 0.7, 1.0), [&](double x, double y) {
        // A waving cloth: a band whose edges follow a sine.
        double t = (x - (ox + 16)) / 18.0;
        if (t < 0 || t > 1)
            return 10.0;
        double wave = 2.2 * std::sin(t * kPi * 2);
        double top = 10 + wave, bottom = 23 + wave;
        return std::max(top - y, y - bottom);
    });
    c.Shape(Rgb(0.85, 0.95, 1.0, 0.8), [&](double x, double y) { return SdCircle(x, y, ox + 24, 16.5, 2.6); });
}

void WheelGlyph(Canvas& c, double ox)
{
    Badge(c, ox, Rgb(0.5, 1.0, 0.6, 0.9));
    c.Shape(Rgb(0.15, 0.15, 0.17), [&](double x, double y) { return SdCircle(x, y, ox + 24, 22, 13); });
    c.Shape(Rgb(0.82, 0.85, 0.9), [&](double x, double y) { return SdCircle(x, y, ox + 24, 22, 8); });
    c.Shape(Rgb(0.3, 0.32, 0.36), [&](double x, double y) {
        double ang = std::atan2(y - 22, x - (ox + 24));
        double r = std::hypot(x - (ox + 24), y - 22);
        double spoke = std::fabs(std::sin(ang * 2.5));
        return (r > 7 || r < 2.8) ? 5.0 : (0.45 - spoke) * 6;
    });
    // Tread marks.
    for (int k = 0; k < 12; ++k) {
        double a = 2 * kPi * k / 12;
        double x0 = ox + 24 + 11.5 * std::cos(a), y0 = 22 + 11.5 * std::sin(a);
        c.Shape(Rgb(0.35, 0.35, 0.38), [&](double x, double y) { return SdCircle(x, y, x0, y0, 1.0); });
    }
}

Canvas IconFont()
{
    // Cells side by side: space (carried bomb), "!", '"' (level), '#' (moves).
    Canvas c(192, 48, Rgb(1, 1, 1, 0));
    BombGlyph(c, 0);
    ExclamationGlyph(c, 48);
    FlagGlyph(c, 96);
    WheelGlyph(c, 144);
    return c;
}

// Drawn in a 32-pixel square and scaled, so every size is the same picture
// (the window's own 32-pixel icon and the desktop's theme sizes).
Canvas WindowIcon(int n = 32)
{
    // A small amber block with the game's initial.
    const double k = n / 32.0;
    Canvas c(n, n, Rgb(0, 0, 0, 0));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double px = (x + 0.5) / k, py = (y + 0.5) / k;
            double d = SdBox(px, py, 16, 16, 14.5, 14.5, 5);
            double cov = Clamp01(0.5 - d * k);
            if (cov <= 0)
                continue;
            double t = (px + py) / 64.0;
            Rgba body = Mix(Rgb(1.0, 0.8, 0.35), Rgb(0.9, 0.45, 0.08), t);
            body = Mix(body, Rgb(1.0, 0.93, 0.7), 0.6 * SmoothStep(-2.5, -0.5, d) * (1 - t));
            body = Mix(body, Rgb(0.55, 0.25, 0.05), 0.5 * SmoothStep(-2.5, -0.5, d) * t);
            c.Over(x, y, body, cov);
        }
    Rgba ink = Rgb(0.12, 0.14, 0.3);
    c.Shape(ink, [k](double x, double y) {
        x /= k;
        y /= k;
        double stem = SdBox(x, y, 12.5, 16, 2.6, 8.5);
        double bowl = std::fabs(SdBox(x, y, 16.5, 12.8, 5.2, 4.3, 3.5)) - 2.3;
        bowl = std::max(bowl, 10.5 - x);
        return std::min(stem, bowl) * k;
    });
    return c;
}

}  // namespace

void GenerateImages2D(const std::string& data)
{
    const std::string dir = data + "/gfx/2d/";
    MakeKitDir(dir);
    WriteKitImage(dir + "pointeur.png", Pointer(), 4);
    WriteKitImage(dir + "selection.png", Pill(256, 64, 32, 224), 4);
    WriteKitImage(dir + "selection_left.png", Pill(32, 64, 32, 1000), 4);
    WriteKitImage(dir + "selection_middle.png", Pill(16, 64, -1000, 1000), 4);
    WriteKitImage(dir + "selection_right.png", Pill(32, 64, -1000, 0), 4);
    WriteKitImage(dir + "fonteicone.png", IconFont(), 4);
    WriteKitImage(dir + "icon.png", WindowIcon(), 4);
}

void GenerateDesktopIcons(const std::string& dir)
{
    for (int n : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string sized = dir + "/hicolor/" + std::to_string(n) + "x" + std::to_string(n) + "/apps/";
        MakeKitDir(sized);
        WriteKitImage(sized + "pondrake.png", WindowIcon(n), 4);
    }
}
