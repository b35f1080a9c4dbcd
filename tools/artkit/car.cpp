// The car, for the board (small, one unit per cell) and for the menu scene
// (the same shape with more detail). Its front faces -x; the wheels turn
// about z around their own centres.
#include "kit.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFront = -0.43, kRear = 0.41;
constexpr double kBodyBottom = 0.07;
constexpr double kWheelRadius = 0.1, kWheelHalfWidth = 0.05;

double BodyTop(double t)
{
    return 0.19 + 0.045 * SmoothStep(0.18, 0.42, t) - 0.012 * SmoothStep(0.85, 1.0, t);
}

// Superellipse roundness of the ends, in plan and in profile.
double EndScale(double t, double p)
{
    double e = std::fabs(2 * t - 1);
    return std::pow(std::max(0.0, 1 - std::pow(e, p)), 1.0 / p);
}

// Steps round a curve: `base` at the least detail, `per` more for each unit.
int Steps(double detail, int per, int base)
{
    return static_cast<int>(std::lround(per * detail)) + base;
}

Mesh Body(double detail)
{
    const int sections = Steps(detail, 12, 8), ring = Steps(detail, 16, 8);
    std::vector<std::vector<V3>> rings;
    std::vector<double> ts;
    for (int i = 0; i <= sections; ++i) {
        double t = 0.5 - 0.5 * std::cos(kPi * i / sections);
        double x = kFront + (kRear - kFront) * t;
        double yt = BodyTop(t);
        double cy = (kBodyBottom + yt) / 2, hy = (yt - kBodyBottom) / 2 * EndScale(t, 6);
        double hz = (0.205 + 0.012 * std::sin(kPi * t)) * EndScale(t, 5);
        rings.push_back(SuperellipseRing(x, cy, 0, hz, hy, 3.2, ring));
        ts.push_back(t);
    }
    Mesh m;
    AddLoft(m, rings, false, false, [&](int r, int, V3 p) {
        return V2{ts[static_cast<size_t>(std::max(0, r))], 0.5 + p.z / 0.5};
    });
    return m;
}

Mesh Cabin(double detail)
{
    const int sections = Steps(detail, 8, 6), ring = Steps(detail, 14, 8);
    const double x0 = -0.12, x1 = 0.23, yb = 0.19, h = 0.17;
    std::vector<std::vector<V3>> rings;
    for (int i = 0; i <= sections; ++i) {
        double t = 0.5 - 0.5 * std::cos(kPi * i / sections);
        double x = x0 + (x1 - x0) * t;
        // A long slope in front (windscreen), a shorter one behind.
        double front = t < 0.45 ? std::sqrt(std::max(0.0, 1 - std::pow(1 - t / 0.45, 2))) : 1.0;
        double rear = t > 0.75 ? std::sqrt(std::max(0.0, 1 - std::pow((t - 0.75) / 0.25, 2))) : 1.0;
        double f = std::min(front, rear);
        double yt = yb + h * (0.12 + 0.88 * f);
        double hz = 0.158 * (0.82 + 0.18 * f) * (1 - 0.08 * t);
        rings.push_back(SuperellipseRing(x, (yb + yt) / 2, 0, hz, (yt - yb) / 2, 3.0, ring));
    }
    Mesh m;
    AddLoft(m, rings, true, true, [&](int r, int, V3 p) {
        return V2{static_cast<double>(std::max(0, r)) / sections, std::clamp((p.y - yb) / h, 0.0, 1.0)};
    });
    return m;
}

Mesh Wheel(V3 centre, double detail)
{
    // A multiple of four keeps a point at the bottom of the tyre, where it
    // stands on the floor, however few the steps.
    const int seg = (Steps(detail, 14, 4) + 3) / 4 * 4;
    const double r = kWheelRadius, hw = kWheelHalfWidth, ch = 0.022;
    Frame f{centre, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Mesh m;
    // Tyre: the tread and its two rounded shoulders, on the right half of
    // the texture; the angle runs along u so the tread turns with it.
    AddRevolution(m, f,
                  {{r - ch, -hw},
                   {r - ch * 0.3, -hw + ch * 0.3},
                   {r, -hw + ch},
                   {r, hw - ch},
                   {r - ch * 0.3, hw - ch * 0.3},
                   {r - ch, hw}},
                  seg, [&](int i, double t, V3) {
                      return V2{0.5 + 0.5 * t, i / 5.0};
                  });
    // Both faces: rim and hub, drawn from the left half of the texture.
    auto capUv = [&](int, double, V3 p) {
        return V2{0.25 + 0.25 * (p.x - centre.x) / r * 0.98, 0.5 + 0.5 * (p.y - centre.y) / r * 0.98};
    };
    AddRevolution(m, f, {{0, -hw - 0.012}, {0.04, -hw - 0.01}, {0.055, -hw}, {r - ch, -hw}}, seg, capUv);
    AddRevolution(m, f, {{r - ch, hw}, {0.055, hw}, {0.04, hw + 0.01}, {0, hw + 0.012}}, seg, capUv);
    return m;
}

}  // namespace

Model3doFile BuildCar(double detail, const std::string& prefix, double bounce)
{
    Mesh body = Body(detail), cabin = Cabin(detail);
    Mesh front, rear, wing;
    auto sphereAt = [&](Mesh& into, V3 c, V3 radii) {
        Mesh s;
        std::vector<V2> profile;
        const int rings = Steps(detail, 1, 4);
        for (int i = 0; i <= rings; ++i) {
            double phi = kPi * i / rings;
            profile.push_back({std::sin(phi), -std::cos(phi)});
        }
        AddRevolution(s, Frame{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, profile, Steps(detail, 2, 6),
                      [](int, double t, V3) {
                          return V2{t, 0.5};
                      });
        s.MapPoints([&](V3 p) { return V3{c.x + p.x * radii.x, c.y + p.y * radii.y, c.z + p.z * radii.z}; });
        into.Append(s);
    };
    for (double z : {-0.115, 0.115}) {
        sphereAt(front, {kFront + 0.012, 0.145, z}, {0.022, 0.032, 0.045});
        sphereAt(rear, {kRear - 0.008, 0.165, z}, {0.018, 0.026, 0.05});
    }
    RoundedBoxParams w;
    w.center = {0.37, 0.305, 0};
    w.half = {0.04, 0.012, 0.19};
    w.radius = 0.01;
    // On the board the wing is a few pixels long: one step rounds it, and
    // its posts are plain boxes.
    const bool closeUp = detail >= 1;
    w.bandSteps = closeUp ? 2 : 1;
    w.margin = 0.004;
    AddRoundedBox(wing, w);
    for (double z : {-0.12, 0.12}) {
        RoundedBoxParams post;
        post.center = {0.37, 0.26, z};
        post.half = {0.014, 0.05, 0.012};
        post.radius = closeUp ? 0.006 : 0;
        post.bandSteps = 1;
        post.margin = closeUp ? 0.002 : 0;
        AddRoundedBox(wing, post);
    }
    if (bounce != 0) {
        // The idle bounce: the body rises a little, the cabin a little more.
        auto lift = [&](double dy) { return [dy](V3 p) { return V3{p.x, p.y + dy, p.z}; }; };
        body.MapPoints(lift(0.012 * bounce));
        front.MapPoints(lift(0.012 * bounce));
        rear.MapPoints(lift(0.012 * bounce));
        wing.MapPoints(lift(0.016 * bounce));
        cabin.MapPoints([&](V3 p) { return V3{p.x, 0.19 + (p.y - 0.19) * (1 + 0.04 * bounce) + 0.012 * bounce, p.z}; });
    }
    Model3doFile m;
    m.objects.push_back(ToObject(body, "Carrosserie", prefix + "caisse"));
    m.objects.push_back(ToObject(cabin, "Cabine", prefix + "cabine"));
    m.objects.push_back(ToObject(front, "Phares", prefix + "phares"));
    m.objects.push_back(ToObject(rear, "Feux", prefix + "feux"));
    m.objects.push_back(ToObject(wing, "Aileron", prefix + "aileron"));
    const double wx[2] = {-0.26, 0.25}, wz = 0.215;
    // Right is -z for a car looking along -x.
    m.objects.push_back(ToObject(Wheel({wx[0], kWheelRadius, -wz}, detail), "RoueAvD", prefix + "roue"));
    m.objects.push_back(ToObject(Wheel({wx[0], kWheelRadius, wz}, detail), "RoueAvG", prefix + "roue"));
    m.objects.push_back(ToObject(Wheel({wx[1], kWheelRadius, -wz}, detail), "RoueArD", prefix + "roue"));
    m.objects.push_back(ToObject(Wheel({wx[1], kWheelRadius, wz}, detail), "RoueArG", prefix + "roue"));
    m.materials.push_back(MakeMaterial({prefix + "caisse", Rgb(0.9, 0.9, 0.9), Rgb(1, 1, 1), "car.png"}));
    m.materials.push_back(MakeMaterial({prefix + "cabine", Rgb(0.9, 0.9, 0.9), Rgb(1, 1, 1), "carvitre.png"}));
    MaterialParams lights{prefix + "phares", Rgb(1.0, 0.96, 0.72), Rgb(1, 1, 1)};
    lights.lit = false;
    m.materials.push_back(MakeMaterial(lights));
    MaterialParams tail{prefix + "feux", Rgb(1.0, 0.18, 0.12), Rgb(1, 1, 1)};
    tail.lit = false;
    m.materials.push_back(MakeMaterial(tail));
    m.materials.push_back(MakeMaterial({prefix + "aileron", Rgb(0.2, 0.2, 0.24), Rgb(0.28, 0.28, 0.34)}));
    m.materials.push_back(MakeMaterial({prefix + "roue", Rgb(0.9, 0.9, 0.9), Rgb(1, 1, 1), "roue.png"}));
    return m;
}

Canvas CarBodyTexture(int w, int h)
{
    // u runs from the nose (left) to the tail, v across the car.
    Canvas c(w, h);
    c.Fill([&](double x, double y) {
        double u = x / w, v = y / h;
        double n = TileFbm(u * 8, v * 4, 8, 3, 501);
        double across = std::fabs(v - 0.5) * 2;  // 0 in the middle, 1 at the sides
        Rgba paint = Rgb(0.86, 0.1, 0.08);
        paint = Scale(paint, 1.08 - 0.25 * across * across + 0.06 * (n - 0.5));
        // Two racing stripes.
        double stripe = std::min(std::fabs(v - 0.43), std::fabs(v - 0.57));
        double sCov = SmoothStep(0.045, 0.035, stripe) * SmoothStep(0.02, 0.06, u) * SmoothStep(0.98, 0.94, u);
        paint = Mix(paint, Rgb(0.97, 0.96, 0.92), sCov);
        // Door and bonnet lines.
        for (double line : {0.3, 0.72}) {
            double d = std::fabs(u - line) * w;
            paint = Mix(paint, Rgb(0.3, 0.02, 0.02), 0.6 * SmoothStep(1.2, 0.2, d) * SmoothStep(0.1, 0.25, across));
        }
        // Grille at the nose, bumper at the tail.
        paint = Mix(paint, Rgb(0.12, 0.12, 0.14), SmoothStep(0.035, 0.02, u) * SmoothStep(0.85, 0.7, across));
        paint = Mix(paint, Rgb(0.2, 0.2, 0.22), SmoothStep(0.975, 0.99, u));
        return paint;
    });
    return c;
}

Canvas CarCabinTexture(int w, int h)
{
    // v is the height on the cabin: 0 at its foot, 1 on the roof.
    Canvas c(w, h);
    c.Fill([&](double x, double y) {
        double u = x / w, v = y / h;
        Rgba body = Rgb(0.86, 0.1, 0.08);
        Rgba glass = Mix(Rgb(0.08, 0.12, 0.2), Rgb(0.3, 0.42, 0.55), 0.5 * (1 - v));
        // Sky reflections in streaks.
        double streak = std::sin((u * 3 + v * 1.5) * kPi * 2);
        glass = Mix(glass, Rgb(0.55, 0.68, 0.8), 0.25 * SmoothStep(0.7, 1.0, streak));
        Rgba out = body;
        if (v > 0.16 && v < 0.82)
            out = glass;
        double trim = std::min(std::fabs(v - 0.16), std::fabs(v - 0.82));
        out = Mix(out, Rgb(0.1, 0.1, 0.12), SmoothStep(0.035, 0.01, trim));
        if (v >= 0.82)
            out = Scale(body, 1.05 + 0.05 * (v - 0.82));
        return out;
    });
    return c;
}

Canvas WheelTexture(int w, int h)
{
    // Left half: the face of the wheel (tyre, rim, five spokes, hub);
    // right half: the tread, u = angle around the wheel.
    Canvas c(w, h);
    c.Fill([&](double x, double y) {
        double u = x / w, v = y / h;
        if (u < 0.5) {
            double dx = (u - 0.25) * 4, dy = (v - 0.5) * 2;  // -1..1 over the face
            double r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            Rgba rubber = Rgb(0.12, 0.12, 0.13);
            Rgba rim = Rgb(0.82, 0.84, 0.88);
            Rgba dark = Rgb(0.18, 0.18, 0.2);
            Rgba out = rubber;
            if (r < 0.72) {
                double spoke = std::fabs(std::sin(a * 2.5));  // five spokes
                out =
                    Mix(rim, dark, SmoothStep(0.35, 0.55, spoke) * SmoothStep(0.22, 0.3, r) * SmoothStep(0.66, 0.6, r));
                out = Scale(out, 0.85 + 0.25 * (1 - r));
            }
            out = Mix(out, Rgb(0.95, 0.95, 0.97), SmoothStep(0.13, 0.1, r));  // hub cap
            out = Mix(out, Rgb(0.05, 0.05, 0.06), SmoothStep(0.03, 0.0, std::fabs(r - 0.72)) * 0.7);
            return out;
        }
        double t = (u - 0.5) * 2;  // around the wheel
        double chevron = std::fmod(t * 24 + std::fabs(v - 0.5) * 1.6, 1.0);
        double groove = SmoothStep(0.15, 0.05, std::fabs(chevron - 0.5) - 0.3);
        Rgba rubber = Rgb(0.16, 0.16, 0.17);
        return Mix(rubber, Rgb(0.06, 0.06, 0.07), groove * SmoothStep(0.05, 0.15, v) * SmoothStep(0.95, 0.85, v));
    });
    return c;
}

Canvas CarShadowTexture(int size)
{
    // Seen from above with the nose towards u = 0: long along u.
    Canvas c(size, size, Rgb(0, 0, 0, 0));
    double s = size;
    c.Shape(Rgb(0, 0, 0, 0.6),
            [&](double x, double y) { return SdBox(x, y, s * 0.5, s * 0.5, s * 0.44, s * 0.27, s * 0.12); });
    c.Blur(s * 0.05, false);
    return c;
}
