#include "image.h"

#include "engine/pngwrite.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

double Clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

double SmoothStep(double e0, double e1, double x)
{
    double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

Rgba Mix(Rgba a, Rgba b, double t)
{
    float f = static_cast<float>(t);
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f, a.a + (b.a - a.a) * f};
}

Rgba Scale(Rgba c, double s)
{
    float f = static_cast<float>(s);
    return {c.r * f, c.g * f, c.b * f, c.a};
}

Canvas::Canvas(int width, int height, Rgba fill) : w_(width), h_(height), px_(static_cast<size_t>(width) * height, fill)
{}

Rgba Canvas::AtWrap(int x, int y) const
{
    x %= w_;
    y %= h_;
    if (x < 0)
        x += w_;
    if (y < 0)
        y += h_;
    return At(x, y);
}

void Canvas::Over(int x, int y, Rgba c, double coverage)
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return;
    Rgba& d = At(x, y);
    float a = static_cast<float>(c.a * coverage);
    if (a <= 0)
        return;
    float outA = a + d.a * (1 - a);
    if (outA <= 0)
        return;
    d.r = (c.r * a + d.r * d.a * (1 - a)) / outA;
    d.g = (c.g * a + d.g * d.a * (1 - a)) / outA;
    d.b = (c.b * a + d.b * d.a * (1 - a)) / outA;
    d.a = outA;
}

void Canvas::Fill(const std::function<Rgba(double, double)>& f)
{
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x)
            At(x, y) = f(x + 0.5, y + 0.5);
}

void Canvas::Shape(Rgba c, const std::function<double(double, double)>& sd, double soft)
{
    ShapeIn(c, sd, soft, 0, 0, w_, h_);
}

void Canvas::ShapeIn(Rgba c, const std::function<double(double, double)>& sd, double soft, int x0, int y0, int x1,
                     int y1)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, w_);
    y1 = std::min(y1, h_);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            double d = sd(x + 0.5, y + 0.5);
            double cov = Clamp01(0.5 - d / soft);
            if (cov > 0)
                Over(x, y, c, cov);
        }
}

void Canvas::Blur(double radius, bool wrap)
{
    // Three box passes per axis approximate a gaussian.
    int r = std::max(1, static_cast<int>(std::lround(radius)));
    auto pass = [&](bool horizontal) {
        int n = horizontal ? w_ : h_;
        int lines = horizontal ? h_ : w_;
        std::vector<Rgba> line(static_cast<size_t>(n));
        for (int l = 0; l < lines; ++l) {
            auto at = [&](int i) -> Rgba& { return horizontal ? At(i, l) : At(l, i); };
            for (int i = 0; i < n; ++i) {
                double s[4] = {0, 0, 0, 0};
                for (int k = -r; k <= r; ++k) {
                    int j = i + k;
                    if (wrap)
                        j = ((j % n) + n) % n;
                    else
                        j = std::clamp(j, 0, n - 1);
                    const Rgba& p = at(j);
                    // Premultiplied, so transparent pixels do not darken.
                    s[0] += p.r * p.a;
                    s[1] += p.g * p.a;
                    s[2] += p.b * p.a;
                    s[3] += p.a;
                }
                double inv = 1.0 / (2 * r + 1);
                double a = s[3] * inv;
                Rgba o;
                o.a = static_cast<float>(a);
                if (a > 1e-9) {
                    o.r = static_cast<float>(s[0] * inv / a);
                    o.g = static_cast<float>(s[1] * inv / a);
                    o.b = static_cast<float>(s[2] * inv / a);
                } else {
                    o.r = o.g = o.b = 0;
                }
                line[static_cast<size_t>(i)] = o;
            }
            for (int i = 0; i < n; ++i)
                at(i) = line[static_cast<size_t>(i)];
        }
    };
    for (int k = 0; k < 3; ++k) {
        pass(true);
        pass(false);
    }
}

bool Canvas::Save(const std::string& path, int channels, std::string& error) const
{
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(w_) * h_ * channels);
    auto q = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0)); };
    for (const Rgba& p : px_) {
        if (channels == 1) {
            bytes.push_back(q(p.r));
            continue;
        }
        bytes.push_back(q(p.r));
        bytes.push_back(q(p.g));
        bytes.push_back(q(p.b));
        if (channels == 4)
            bytes.push_back(q(p.a));
    }
    return WritePng(path.c_str(), w_, h_, channels, bytes.data(), error);
}

double SdCircle(double x, double y, double cx, double cy, double r)
{
    return std::hypot(x - cx, y - cy) - r;
}

double SdBox(double x, double y, double cx, double cy, double hx, double hy, double round)
{
    double dx = std::fabs(x - cx) - (hx - round), dy = std::fabs(y - cy) - (hy - round);
    double ox = std::max(dx, 0.0), oy = std::max(dy, 0.0);
    return std::hypot(ox, oy) + std::min(std::max(dx, dy), 0.0) - round;
}

double SdSegment(double x, double y, double ax, double ay, double bx, double by, double r)
{
    double px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(px - dx * t, py - dy * t) - r;
}

double SdPolygon(double x, double y, const std::vector<std::pair<double, double>>& v)
{
    double d = 1e30;
    bool inside = false;
    for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
        double ex = v[j].first - v[i].first, ey = v[j].second - v[i].second;
        double wx = x - v[i].first, wy = y - v[i].second;
        double t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0, 1.0);
        d = std::min(d, std::hypot(wx - ex * t, wy - ey * t));
        bool c1 = y >= v[i].second, c2 = y < v[j].second;
        double cr = ex * wy - ey * wx;
        if ((c1 && c2 && cr > 0) || (!c1 && !c2 && cr < 0))
            inside = !inside;
    }
    return inside ? -d : d;
}

double TileNoise(double x, double y, int period, uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = x - fx, ty = y - fy;
    auto lattice = [&](int a, int b) {
        a = ((a % period) + period) % period;
        b = ((b % period) + period) % period;
        return HashUnit(static_cast<uint32_t>(a), static_cast<uint32_t>(b), seed);
    };
    double sx = tx * tx * tx * (tx * (tx * 6 - 15) + 10);
    double sy = ty * ty * ty * (ty * (ty * 6 - 15) + 10);
    double v00 = lattice(ix, iy), v10 = lattice(ix + 1, iy);
    double v01 = lattice(ix, iy + 1), v11 = lattice(ix + 1, iy + 1);
    double a = v00 + (v10 - v00) * sx, b = v01 + (v11 - v01) * sx;
    return a + (b - a) * sy;
}

double TileFbm(double x, double y, int period, int octaves, uint32_t seed, double gain)
{
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * TileNoise(x, y, period, seed + 977u * static_cast<uint32_t>(o));
        norm += amp;
        amp *= gain;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / norm;
}

std::vector<float> ReliefShade(const std::vector<float>& hgt, int w, int h, double depth, double lx, double ly,
                               double lz, bool wrap)
{
    double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    lx /= ll;
    ly /= ll;
    lz /= ll;
    auto at = [&](int x, int y) {
        if (wrap) {
            x = ((x % w) + w) % w;
            y = ((y % h) + h) % h;
        } else {
            x = std::clamp(x, 0, w - 1);
            y = std::clamp(y, 0, h - 1);
        }
        return static_cast<double>(hgt[static_cast<size_t>(y) * w + x]);
    };
    std::vector<float> out(hgt.size());
    double flat = lz;  // a flat pixel's light, which maps to 1.0
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = (at(x + 1, y) - at(x - 1, y)) * depth * 0.5;
            double dy = (at(x, y + 1) - at(x, y - 1)) * depth * 0.5;
            double nx = -dx, ny = -dy, nz = 1;
            double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
            double d = (nx * lx + ny * ly + nz * lz) / nl;
            out[static_cast<size_t>(y) * w + x] = static_cast<float>(std::max(0.0, d) / flat);
        }
    return out;
}
