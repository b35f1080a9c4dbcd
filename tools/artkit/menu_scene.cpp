// The menu scene in data/gfx/3d/: the menu car, the 3D logo, the menu
// background and the floor and shadow pictures.
//
// The game scales the logo to a 0.4 cube on every axis whatever its shape,
// so the logo is built as a cube: the outline of a block (twelve rounded
// bars) with the name in raised letters inside its front face. Its
// proportions then survive the scaling.
#include "kit.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

namespace {

struct Piece {
    std::vector<V2> outline;
    std::vector<bool> open;
};

Piece Poly(std::initializer_list<V2> pts)
{
    Piece p;
    p.outline = pts;
    p.open.assign(p.outline.size(), false);
    return p;
}

Piece Rect(double x0, double y0, double x1, double y1)
{
    return Poly({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

// Rect's edges run bottom, right, top, left.
Piece OpenRight(Piece p)
{
    p.open[1] = true;
    return p;
}

std::vector<V2> RoundedRectPath(double x0, double y0, double x1, double y1, double r, int steps)
{
    std::vector<V2> p;
    const V2 centres[4] = {{x1 - r, y0 + r}, {x1 - r, y1 - r}, {x0 + r, y1 - r}, {x0 + r, y0 + r}};
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i <= steps; ++i) {
            double a = (c - 1) * kPi / 2 + kPi / 2 * i / steps;
            p.push_back({centres[c].x + r * std::cos(a), centres[c].y + r * std::sin(a)});
        }
    return p;
}

// Keeps the part of a convex counter-clockwise polygon with n·p <= c.
std::vector<V2> ClipHalfPlane(const std::vector<V2>& poly, V2 n, double c)
{
    std::vector<V2> out;
    for (size_t i = 0; i < poly.size(); ++i) {
        V2 a = poly[i], b = poly[(i + 1) % poly.size()];
        double da = n.x * a.x + n.y * a.y - c, db = n.x * b.x + n.y * b.y - c;
        if (da <= 0)
            out.push_back(a);
        if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
            double t = da / (da - db);
            out.push_back(a + (b - a) * t);
        }
    }
    // Drop repeated points.
    std::vector<V2> clean;
    for (const V2& p : out)
        if (clean.empty() || std::hypot(p.x - clean.back().x, p.y - clean.back().y) > 1e-9)
            clean.push_back(p);
    while (clean.size() > 1 && std::hypot(clean.front().x - clean.back().x, clean.front().y - clean.back().y) < 1e-9)
        clean.pop_back();
    return clean;
}

// The clipped polygon as a path that starts where the cut edge ends and
// stops where it starts (the cut edge itself left out).
std::vector<V2> PathWithoutCut(const std::vector<V2>& poly, V2 n, double c)
{
    size_t k = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        V2 a = poly[i], b = poly[(i + 1) % poly.size()];
        if (std::fabs(n.x * a.x + n.y * a.y - c) < 1e-9 && std::fabs(n.x * b.x + n.y * b.y - c) < 1e-9) {
            k = (i + 1) % poly.size();
            break;
        }
    }
    std::vector<V2> path;
    for (size_t i = 0; i < poly.size(); ++i)
        path.push_back(poly[(k + i) % poly.size()]);
    return path;
}

// The part of a ring (between two rounded rectangles) on one side of a
// line; the two edges on the line are open, so halves cut at the same
// line join without a seam.
Piece HalfRing(const std::vector<V2>& outer, const std::vector<V2>& inner, V2 n, double c)
{
    std::vector<V2> o = PathWithoutCut(ClipHalfPlane(outer, n, c), n, c);
    std::vector<V2> in = PathWithoutCut(ClipHalfPlane(inner, n, c), n, c);
    Piece p;
    p.outline = o;
    p.outline.insert(p.outline.end(), in.rbegin(), in.rend());
    p.open.assign(p.outline.size(), false);
    p.open[o.size() - 1] = true;          // outer end to inner end
    p.open[p.outline.size() - 1] = true;  // inner start back to outer start
    return p;
}

struct Letter {
    double width;
    std::vector<Piece> pieces;
};

// Letters one unit tall, strokes 0.22 wide, drawn from simple pieces.
Letter MakeLetter(char ch)
{
    const double s = 0.22;
    const int st = 6;
    Letter l;
    switch (ch) {
    case 'P':
    case 'R': {
        // Stem, two bars and the bowl, the bowl joined to the bars at a
        // line where all three have the same section.
        double w = ch == 'P' ? 0.7 : 0.72;
        l.width = ch == 'P' ? 0.7 : 0.76;
        double bar = s * 0.9, y0 = 0.38, cut = s + 0.08;
        l.pieces.push_back(Rect(0, 0, s, 1));
        l.pieces.push_back(OpenRight(Rect(0.1, 1 - bar, cut, 1)));
        l.pieces.push_back(OpenRight(Rect(0.1, y0, cut, y0 + bar)));
        l.pieces.push_back(HalfRing(RoundedRectPath(0, y0, w, 1, 0.28, st),
                                    RoundedRectPath(s, y0 + bar, w - s, 1 - bar, 0.08, st), {-1, 0}, -cut));
        if (ch == 'R')
            l.pieces.push_back(Poly({{0.5, 0}, {0.76, 0}, {0.48, 0.46}, {0.26, 0.46}}));
        break;
    }
    case 'O':
        l.width = 0.8;
        for (double side : {-1.0, 1.0}) {
            std::vector<V2> outer = RoundedRectPath(0, 0, 0.8, 1, 0.36, st + 2);
            std::vector<V2> inner = RoundedRectPath(s, s, 0.8 - s, 1 - s, 0.15, st);
            l.pieces.push_back(HalfRing(outer, inner, {side, 0}, side * 0.4));
        }
        break;
    case 'D': {
        l.width = 0.76;
        double cut = s + 0.15;
        l.pieces.push_back(Rect(0, 0, s, 1));
        l.pieces.push_back(OpenRight(Rect(0.1, 1 - s, cut, 1)));
        l.pieces.push_back(OpenRight(Rect(0.1, 0, cut, s)));
        l.pieces.push_back(HalfRing(RoundedRectPath(0, 0, 0.76, 1, 0.36, st + 2),
                                    RoundedRectPath(s, s, 0.76 - s, 1 - s, 0.15, st), {-1, 0}, -cut));
        break;
    }
    case 'N':
        l.width = 0.76;
        l.pieces.push_back(Rect(0, 0, s, 1));
        l.pieces.push_back(Rect(0.76 - s, 0, 0.76, 1));
        l.pieces.push_back(Poly({{0.76 - s - 0.02, 0}, {0.76, 0}, {s + 0.02, 1}, {0, 1}}));
        break;
    case 'A':
        l.width = 0.82;
        l.pieces.push_back(Poly({{0, 0}, {0.24, 0}, {0.53, 1}, {0.29, 1}}));
        l.pieces.push_back(Poly({{0.82, 0}, {0.58, 0}, {0.29, 1}, {0.53, 1}}));
        l.pieces.push_back(Rect(0.18, 0.2, 0.64, 0.38));
        break;
    case 'K':
        l.width = 0.78;
        l.pieces.push_back(Rect(0, 0, s, 1));
        l.pieces.push_back(Poly({{0.14, 0.32}, {0.78, 1}, {0.48, 1}, {0.14, 0.64}}));
        l.pieces.push_back(Poly({{0.52, 0}, {0.8, 0}, {0.44, 0.64}, {0.26, 0.5}}));
        break;
    case 'E':
        l.width = 0.66;
        l.pieces.push_back(Poly({{0, 0},
                                 {0.66, 0},
                                 {0.66, 0.2},
                                 {s, 0.2},
                                 {s, 0.4},
                                 {0.58, 0.4},
                                 {0.58, 0.6},
                                 {s, 0.6},
                                 {s, 0.8},
                                 {0.66, 0.8},
                                 {0.66, 1},
                                 {0, 1}}));
        break;
    default:
        throw KitError(std::string("no letter ") + ch);
    }
    return l;
}

// One line of raised letters in the plane z = front, centred on x = 0,
// its base at `base`, `height` tall. Returns the letters' meshes.
std::vector<Mesh> LetterLine(const std::string& text, double base, double height, double front, double depth)
{
    const double gap = 0.1;
    double total = -gap;
    for (char ch : text)
        total += MakeLetter(ch).width + gap;
    double x = -total / 2 * height;
    std::vector<Mesh> letters;
    for (char ch : text) {
        Letter l = MakeLetter(ch);
        Mesh m;
        for (const Piece& p : l.pieces) {
            ExtrudeParams params;
            for (const V2& q : p.outline)
                params.outline.push_back(q * height);
            params.openEdge = p.open;
            params.height = depth;
            params.bevelTop = 0.065 * height;
            params.bevelBottom = 0.03 * height;
            params.margin = 0.02 * height;
            params.capBottom = true;
            // Outline in x, y; extruded towards the viewer (+z).
            params.frame = Frame{{x, base, front - depth}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
            AddExtrusion(params, {&m, &m, &m}, [&](V3 w, V2, double, V3) {
                return V2{(w.x + 1) / 2, (base + height - w.y) / height};
            });
        }
        letters.push_back(m);
        x += (l.width + gap) * height;
    }
    return letters;
}

Mesh Frame12()
{
    Mesh m;
    const double e = 1.0, r = 0.075;
    for (int axis = 0; axis < 3; ++axis)
        for (int k = 0; k < 4; ++k) {
            double a = (k & 1) ? e : -e, b = (k & 2) ? e : -e;
            RoundedBoxParams bar;
            bar.radius = r * 0.9;
            bar.bandSteps = 1;  // the bars are a few pixels thick on screen
            bar.margin = 0.01;
            V3 c, h;
            if (axis == 0) {
                c = {0, a, b};
                h = {e, r, r};
            } else if (axis == 1) {
                c = {a, 0, b};
                h = {r, e, r};
            } else {
                c = {a, b, 0};
                h = {r, r, e};
            }
            bar.center = c;
            bar.half = h;
            // The ends lie inside the corner knobs.
            bar.faces[2 * axis] = bar.faces[2 * axis + 1] = false;
            AddRoundedBox(m, bar);
        }
    // Corner knobs.
    for (int k = 0; k < 8; ++k) {
        RoundedBoxParams knob;
        knob.center = {(k & 1) ? e : -e, (k & 2) ? e : -e, (k & 4) ? e : -e};
        knob.half = {0.11, 0.11, 0.11};
        knob.radius = 0.06;
        knob.bandSteps = 1;
        knob.margin = 0.01;
        AddRoundedBox(m, knob);
    }
    return m;
}

Model3doFile BuildLogo(bool morph)
{
    Model3doFile m;
    Mesh frame = Frame12();
    if (morph)
        frame.MapPoints([](V3 p) { return p * 1.025; });
    std::vector<Mesh> letters = LetterLine("PON", -0.02, 0.56, 0.86, 0.24);
    std::vector<Mesh> second = LetterLine("DRAKE", -0.56, 0.38, 0.86, 0.24);
    letters.insert(letters.end(), second.begin(), second.end());
    Mesh all;
    for (size_t i = 0; i < letters.size(); ++i) {
        if (morph) {
            // Letters step forward, every other one a little up or down.
            double dy = (i % 2 ? 0.035 : -0.035);
            letters[i].MapPoints([&](V3 p) { return V3{p.x, p.y + dy, p.z + 0.1}; });
        }
        all.Append(letters[i]);
    }
    m.objects.push_back(ToObject(frame, "cadre", "logo_cadre"));
    m.objects.push_back(ToObject(all, "lettres", "logo_lettres"));
    m.materials.push_back(MakeMaterial({"logo_cadre", Rgb(0.4, 0.48, 0.66), Rgb(0.6, 0.7, 0.92)}));
    m.materials.push_back(MakeMaterial({"logo_lettres", Rgb(0.95, 0.95, 0.95), Rgb(1, 1, 1), "logolettres.png"}));
    return m;
}

Canvas LetterTexture()
{
    // Gold running down each line of letters, with a brushed grain.
    const int n = 64;
    Canvas c(n, n);
    c.Fill([&](double x, double y) {
        double u = x / n, v = y / n;
        Rgba top = Rgb(1.0, 0.93, 0.62), mid = Rgb(1.0, 0.7, 0.2), low = Rgb(0.9, 0.42, 0.1);
        Rgba g = v < 0.5 ? Mix(top, mid, v / 0.5) : Mix(mid, low, (v - 0.5) / 0.5);
        double grain = TileFbm(u * 32, v * 2, 32, 2, 131);
        return Scale(g, 0.92 + 0.12 * grain);
    });
    return c;
}

Canvas MenuFloor()
{
    // Dark glossy tiles with glowing seams; 16 tiles across (half a unit
    // each on the 8-unit floor), repeating as the floor scrolls.
    const int n = 512, tiles = 16;
    const double t = static_cast<double>(n) / tiles;
    Canvas c(n, n);
    c.Fill([&](double x, double y) {
        uint32_t tx = static_cast<uint32_t>(x / t), ty = static_cast<uint32_t>(y / t);
        double lx = std::fmod(x, t), ly = std::fmod(y, t);
        double edge = std::min({lx, t - lx, ly, t - ly});
        Rgba a = ((tx + ty) % 2) ? Rgb(0.1, 0.13, 0.24) : Rgb(0.13, 0.17, 0.3);
        double cloud = TileFbm(x / n * 8, y / n * 8, 8, 4, 141);
        a = Scale(a, 0.9 + 0.2 * cloud);
        // Sheen across each tile.
        a = Mix(a, Rgb(0.22, 0.3, 0.48), 0.25 * SmoothStep(0.6, 1.0, (lx + ly) / (2 * t)));
        Rgba seam = Rgb(0.35, 0.62, 0.95);
        a = Mix(a, seam, 0.9 * SmoothStep(1.6, 0.4, edge));
        a = Mix(a, seam, 0.25 * SmoothStep(6.0, 1.0, edge));
        return a;
    });
    return c;
}

Canvas MenuFloorShadow()
{
    // Clear around the car, fading to black towards the floor's edges.
    const int n = 256;
    Canvas c(n, n, Rgb(0, 0, 0, 0));
    c.Fill([&](double x, double y) {
        double r = std::hypot(x / n - 0.5, y / n - 0.5);
        return Rgb(0, 0, 0, SmoothStep(0.16, 0.46, r));
    });
    return c;
}

Canvas MenuBackground()
{
    // Deep blue to violet with soft out-of-focus lights around the horizon
    // (v = 0.5), where the fixed camera of the menus looks.
    const int w = 512, h = 256;
    Canvas c(w, h);
    c.Fill([&](double x, double y) {
        double u = x / w, v = y / h;
        Rgba top = Rgb(0.05, 0.07, 0.2), mid = Rgb(0.2, 0.13, 0.34), low = Rgb(0.03, 0.04, 0.1);
        Rgba g = v < 0.5 ? Mix(top, mid, SmoothStep(0.0, 0.5, v)) : Mix(mid, low, SmoothStep(0.5, 1.0, v));
        double haze = TileFbm(u * 6, v * 3, 6, 5, 151);
        return Mix(g, Rgb(0.16, 0.3, 0.5), 0.35 * SmoothStep(0.5, 0.85, haze) * (1 - std::fabs(v - 0.5) * 2));
    });
    Rng rng(152);
    const Rgba tints[4] = {Rgb(0.4, 0.8, 1.0), Rgb(1.0, 0.7, 0.3), Rgb(0.8, 0.5, 1.0), Rgb(0.5, 1.0, 0.8)};
    for (int i = 0; i < 90; ++i) {
        double sx = rng.Range(0, w), sy = rng.Range(h * 0.3, h * 0.7), r = rng.Range(3, 13);
        Rgba t = tints[rng.Below(4)];
        t.a = static_cast<float>(rng.Range(0.08, 0.3));
        for (int dx = -1; dx <= 1; ++dx) {
            double cx = sx + dx * w;
            c.ShapeIn(
                t, [&](double x, double y) { return SdCircle(x, y, cx, sy, r); }, 2.5, static_cast<int>(cx - r - 4),
                static_cast<int>(sy - r - 4), static_cast<int>(cx + r + 5), static_cast<int>(sy + r + 5));
        }
    }
    return c;
}

}  // namespace

void GenerateMenuScene(const std::string& data)
{
    const std::string dir = data + "/gfx/3d/";
    MakeKitDir(dir);
    WriteKitModel(dir + "carmenu.3do", BuildCar(kMenuCarDetail, "menucar_", 0.0));
    WriteKitModel(dir + "carmenumorph.3do", BuildCar(kMenuCarDetail, "menucar_", 1.0));
    WriteKitModel(dir + "logo.3do", BuildLogo(false));
    WriteKitModel(dir + "logomorph.3do", BuildLogo(true));
    WriteKitModel(dir + "fondmenu.3do", BuildSkySphere(20.0, "fondmenu", "fondmenu.png"));
    WriteKitImage(dir + "car.png", CarBodyTexture(256, 128), 3);
    WriteKitImage(dir + "carvitre.png", CarCabinTexture(128, 128), 3);
    WriteKitImage(dir + "roue.png", WheelTexture(256, 128), 3);
    WriteKitImage(dir + "logolettres.png", LetterTexture(), 3);
    WriteKitImage(dir + "fondmenu.png", MenuBackground(), 3);
    WriteKitImage(dir + "solmenu.png", MenuFloor(), 3);
    WriteKitImage(dir + "solmenushadow.png", MenuFloorShadow(), 4);
    WriteKitImage(dir + "shadowcar.png", CarShadowTexture(128), 4);
}
