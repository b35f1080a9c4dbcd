// The models of theme 1: wall pieces, floor, blocks and their "on" forms,
// bomb, special block, explosion and background. One unit is one board
// cell; a piece stands on y = 0 centred on its cell.
#include "kit.h"
#include "puzzle/wallpieces.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kWallHeight = 0.8;
constexpr double kWallHalf = 0.42;
constexpr double kWallBevel = 0.07;

constexpr double kBlockHalf = 0.39;

// Texture coordinate for a position running over one cell (-0.5 .. 0.5),
// kept on texel centres so the clamped wall textures never sample their
// border and the two ends of a cell meet the neighbouring cell's.
double CellToTexel(double t, int size)
{
    return (0.5 + (t + 0.5) * (size - 1)) / size;
}

struct Outline {
    std::vector<V2> points;
    std::vector<bool> open;
};

// A join reaches the cell's edge: up towards -z, down +z, right +x, left -x.
Outline WallFootprint(int mask)
{
    const double a = kWallHalf, e = 0.5;
    Outline o;
    auto add = [&](double x, double z, bool openNext) {
        o.points.push_back({x, z});
        o.open.push_back(openNext);
    };
    // Counter-clockwise in the (x, z) plane: right side, down side, left
    // side, up side, each with its arm when the piece joins that way.
    if (mask & kJoinRight) {
        add(a, -a, false);
        add(e, -a, true);
        add(e, a, false);
    } else {
        add(a, -a, false);
    }
    if (mask & kJoinDown) {
        add(a, a, false);
        add(a, e, true);
        add(-a, e, false);
    } else {
        add(a, a, false);
    }
    if (mask & kJoinLeft) {
        add(-a, a, false);
        add(-e, a, true);
        add(-e, -a, false);
    } else {
        add(-a, a, false);
    }
    if (mask & kJoinUp) {
        add(-a, -a, false);
        add(-a, -e, true);
        add(a, -e, false);
    } else {
        add(-a, -a, false);
    }
    // Drop points that lie on a straight run (and repeated points).
    Outline clean;
    size_t n = o.points.size();
    for (size_t i = 0; i < n; ++i) {
        V2 p = o.points[(i + n - 1) % n], c = o.points[i], q = o.points[(i + 1) % n];
        bool same = std::fabs(c.x - q.x) < 1e-12 && std::fabs(c.y - q.y) < 1e-12;
        if (same || std::fabs(Cross2(c - p, q - c)) < 1e-12)
            continue;
        clean.points.push_back(c);
        clean.open.push_back(o.open[i]);
    }
    return clean;
}

Model3doFile BuildWall(int mask)
{
    Outline fp = WallFootprint(mask);
    ExtrudeParams params;
    params.outline = fp.points;
    params.openEdge = fp.open;
    params.height = kWallHeight;
    params.bevelTop = kWallBevel;
    params.margin = 0.035;
    params.frame = Frame{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    Mesh top, side;
    AddExtrusion(params, {&top, &side, nullptr}, [](V3 p, V2, double c, V3 out) {
        if (out.y > 0.1)  // top face and bevel: seen from above
            return V2{CellToTexel(p.x, kWallTextureSize), CellToTexel(p.z, kWallTextureSize)};
        double along = std::fabs(out.x) > std::fabs(out.z) ? p.z : p.x;
        double v = (kWallHeight - c) / kWallHeight;  // 0 at the top
        return V2{CellToTexel(along, kWallTextureSize), CellToTexel(v - 0.5, kWallTextureSize)};
    });
    Model3doFile m;
    m.objects.push_back(ToObject(side, "mur_cote", "mur_cote"));
    m.objects.push_back(ToObject(top, "mur_dessus", "mur_dessus"));
    m.materials.push_back(MakeMaterial({"mur_cote", Rgb(0.62, 0.66, 0.78), Rgb(0.7, 0.74, 0.86), "mur.png"}));
    m.materials.push_back(MakeMaterial({"mur_dessus", Rgb(0.8, 0.82, 0.9), Rgb(0.86, 0.88, 0.96), "murhaut.png"}));
    return m;
}

// Plain block: a rounded cube, the same on all six faces so that it looks
// the same after every roll. The morph target breathes a little.
Model3doFile BuildBlock(int colour, bool morph)
{
    RoundedBoxParams s;
    double sx = morph ? 1.035 : 1.0, sy = morph ? 0.965 : 1.0;
    s.half = {kBlockHalf * sx, kBlockHalf * sy, kBlockHalf * sx};
    s.center = {0, kBlockHalf * sy, 0};
    s.radius = 0.085;
    // The rounding is about three pixels wide on a 1024 × 768 board: one
    // chamfer shades it as well as finer steps would.
    s.bandSteps = 1;
    s.margin = 0.035;
    Mesh body;
    AddRoundedBox(body, s);
    Model3doFile m;
    std::string name = "objet" + std::to_string(colour + 1);
    m.objects.push_back(ToObject(body, "bloc", name));
    Rgba c = BlockColour(colour);
    m.materials.push_back(MakeMaterial({name, Scale(c, 0.95), c, "bloc.png"}));
    return m;
}

// Block fixed on a target: a low slab set into the floor with a bright star
// floating over it; the morph target lifts and swells the star.
Model3doFile BuildBlockOn(int colour, bool morph)
{
    RoundedBoxParams s;
    s.half = {0.43, 0.14, 0.43};
    s.center = {0, 0.14, 0};
    s.radius = 0.07;
    s.bandSteps = 1;
    s.margin = 0.03;
    Mesh slab;
    AddRoundedBox(slab, s);
    const double grow = morph ? 1.1 : 1.0, lift = morph ? 0.07 : 0.0;
    ExtrudeParams star;
    for (int i = 0; i < 10; ++i) {
        // Points up the board (towards -z) as seen by the player.
        double a = -kPi / 2 + kPi * i / 5;
        double r = (i % 2 ? 0.14 : 0.33) * grow;
        star.outline.push_back({r * std::cos(a), r * std::sin(a)});
    }
    star.height = 0.09;
    star.bevelTop = 0.03;
    star.bevelBottom = 0.02;
    star.margin = 0.012;
    star.capBottom = true;
    star.frame = Frame{{0, 0.34 + lift, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    Mesh emblem;
    AddExtrusion(star, {&emblem, &emblem, &emblem}, [](V3 p, V2, double, V3) { return V2{p.x + 0.5, p.z + 0.5}; });
    Model3doFile m;
    std::string base = "objet" + std::to_string(colour + 1);
    m.objects.push_back(ToObject(slab, "socle", base + "on"));
    m.objects.push_back(ToObject(emblem, "etoile", base + "etoile"));
    Rgba c = BlockColour(colour);
    Rgba light = Mix(c, Rgb(1, 1, 1), 0.3);
    m.materials.push_back(MakeMaterial({base + "on", Scale(light, 0.95), light, "blocon.png"}));
    Rgba glow = Mix(c, Rgb(1, 1, 0.9), 0.55);
    m.materials.push_back(MakeMaterial({base + "etoile", Mix(glow, Rgb(1, 1, 1), 0.3), glow}));
    return m;
}

Mesh Sphere(V3 c, double r, int segments, int rings, const std::function<double(V3)>& displace = nullptr)
{
    Mesh m;
    std::vector<V2> profile;
    for (int i = 0; i <= rings; ++i) {
        double phi = kPi * i / rings;
        profile.push_back({r * std::sin(phi), -r * std::cos(phi)});
    }
    AddRevolution(m, Frame{c, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, profile, segments, [rings](int i, double t, V3) {
        return V2{t, 1.0 - static_cast<double>(i) / rings};
    });
    if (displace) {
        m.MapPoints([&](V3 p) {
            V3 d = p - c;
            double l = Length(d);
            return l > 0 ? c + d * ((l + displace(d * (1.0 / l))) / l) : p;
        });
    }
    return m;
}

Model3doFile BuildBomb()
{
    Model3doFile m;
    Mesh body = Sphere({0, 0.27, 0}, 0.25, 18, 12);
    // Neck and fuse.
    Mesh neck;
    AddRevolution(neck, Frame{{0, 0.47, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                  {{0.0, 0.0}, {0.085, 0.0}, {0.085, 0.07}, {0.07, 0.09}, {0.0, 0.09}}, 12, [](int, double t, V3) {
                      return V2{t, 0.5};
                  });
    std::vector<std::vector<V3>> rings;
    const int steps = 8;
    auto fusePoint = [](double t) { return V3{0.12 * t * t, 0.56 + 0.1 * std::sin(t * kPi * 0.6), 0.03 * t}; };
    for (int i = 0; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        V3 c = fusePoint(t);
        // Rings across the fuse's own direction, so the bend keeps its width.
        V3 tangent = Normalize(fusePoint(std::min(1.0, t + 0.01)) - fusePoint(std::max(0.0, t - 0.01)));
        V3 side1 = Normalize(Cross(tangent, {0, 0, 1}));
        V3 side2 = Cross(tangent, side1);
        double r = 0.022;
        std::vector<V3> ring;
        for (int k = 0; k < 6; ++k) {
            double a = 2 * kPi * k / 6;
            ring.push_back(c + side1 * (r * std::cos(a)) + side2 * (r * std::sin(a)));
        }
        rings.push_back(ring);
    }
    Mesh fuse;
    AddLoft(fuse, rings, true, true, [](int r, int, V3) { return V2{r / 8.0, 0.5}; });
    // Spark: a small spiky star, unlit.
    Mesh spark;
    V3 tip = fusePoint(1.0);
    spark = Sphere(tip, 0.045, 8, 4, [](V3 d) {
        double spikes = std::fabs(std::sin(d.x * 7.0) * std::cos(d.z * 7.0 + d.y * 5.0));
        return 0.05 * spikes;
    });
    m.objects.push_back(ToObject(body, "bombe", "bombe_corps"));
    m.objects.push_back(ToObject(neck, "col", "bombe_metal"));
    m.objects.push_back(ToObject(fuse, "meche", "bombe_meche"));
    m.objects.push_back(ToObject(spark, "etincelle", "bombe_etincelle"));
    m.materials.push_back(MakeMaterial({"bombe_corps", Rgb(0.22, 0.24, 0.32), Rgb(0.3, 0.33, 0.45), "bombe.png"}));
    m.materials.push_back(MakeMaterial({"bombe_metal", Rgb(0.75, 0.62, 0.3), Rgb(0.9, 0.75, 0.4)}));
    m.materials.push_back(MakeMaterial({"bombe_meche", Rgb(0.7, 0.6, 0.45), Rgb(0.85, 0.72, 0.5)}));
    MaterialParams sparkMat{"bombe_etincelle", Rgb(1.0, 0.85, 0.35), Rgb(1, 1, 1)};
    sparkMat.lit = false;
    sparkMat.twoSided = true;
    m.materials.push_back(MakeMaterial(sparkMat));
    return m;
}

// The special block (codes 36 to 39): a statue on one cell, a column on a
// plinth carrying a golden orb. The game places it half a cell along x and
// z from its cell's centre, so it is built centred on (-0.5, -0.5). It is
// symmetric both ways, so the mirrored codes look alike.
Model3doFile BuildSpecial()
{
    const double cx = -0.5, cz = -0.5;
    Model3doFile m;
    RoundedBoxParams plinth;
    plinth.center = {cx, 0.12, cz};
    plinth.half = {0.42, 0.12, 0.42};
    plinth.radius = 0.04;
    plinth.bandSteps = 1;  // a pixel or two on screen
    plinth.margin = 0.02;
    Mesh stone;
    AddRoundedBox(stone, plinth);
    // The step is two pixels tall: a plain box shows it as well.
    RoundedBoxParams step = plinth;
    step.center = {cx, 0.28, cz};
    step.half = {0.32, 0.05, 0.32};
    step.radius = 0;
    step.margin = 0;
    AddRoundedBox(stone, step);
    // Column with a base and a capital, turned about the vertical.
    Mesh column;
    AddRevolution(column, Frame{{cx, 0.33, cz}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                  {{0.0, 0.0},
                   {0.24, 0.0},
                   {0.24, 0.05},
                   {0.19, 0.09},
                   {0.16, 0.14},
                   {0.14, 0.7},
                   {0.18, 0.76},
                   {0.25, 0.8},
                   {0.25, 0.86},
                   {0.0, 0.86}},
                  10, [](int i, double t, V3) {
                      return V2{t * 2, i / 9.0};
                  });
    // About twenty pixels across on a 1024 × 768 board: eight sides keep the
    // outline within a pixel of a circle.
    Mesh orb = Sphere({cx, 1.42, cz}, 0.24, 8, 6);
    m.objects.push_back(ToObject(stone, "socle", "special_pierre"));
    m.objects.push_back(ToObject(column, "colonne", "special_colonne"));
    m.objects.push_back(ToObject(orb, "globe", "special_globe"));
    m.materials.push_back(MakeMaterial({"special_pierre", Rgb(0.8, 0.76, 0.7), Rgb(0.9, 0.86, 0.8), "pierre.png"}));
    m.materials.push_back(
        MakeMaterial({"special_colonne", Rgb(0.86, 0.86, 0.9), Rgb(0.94, 0.94, 0.98), "colonne.png"}));
    m.materials.push_back(MakeMaterial({"special_globe", Rgb(0.95, 0.72, 0.28), Rgb(1.0, 0.8, 0.35)}));
    return m;
}

Model3doFile BuildExplosion()
{
    Model3doFile m;
    Mesh burst = Sphere({0, 0.6, 0}, 0.32, 20, 12, [](V3 d) {
        double n = TileFbm(d.x * 3 + 10, d.z * 3 + d.y * 2 + 10, 64, 2, 77);
        double spikes = std::pow(std::fabs(std::sin(d.x * 9) * std::sin(d.y * 8) * std::sin(d.z * 9)), 0.5);
        return 0.05 + 0.16 * spikes + 0.1 * (n - 0.5);
    });
    Mesh ring;
    AddRevolution(ring, Frame{{0, 0.05, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                  {{0.3, 0.0}, {0.55, 0.02}, {0.5, 0.05}, {0.3, 0.0}}, 24, [](int i, double t, V3) {
                      return V2{t * 3, 0.2 + 0.2 * i};
                  });
    burst.Append(ring);
    m.objects.push_back(ToObject(burst, "explosion", "explosion"));
    MaterialParams mat{"explosion", Rgb(1, 1, 1), Rgb(1, 1, 1), "explosion.png"};
    mat.lit = false;
    mat.twoSided = true;
    mat.transparency = 0.5;
    m.materials.push_back(MakeMaterial(mat));
    return m;
}

Model3doFile BuildFloor()
{
    Model3doFile m;
    Mesh q;
    uint32_t a = q.Point({-0.5, 0, -0.5}, {0, 0});
    uint32_t b = q.Point({19.5, 0, -0.5}, {20.0 / 3, 0});
    uint32_t c = q.Point({19.5, 0, 14.5}, {20.0 / 3, 5});
    uint32_t d = q.Point({-0.5, 0, 14.5}, {0, 5});
    q.Quad(a, b, c, d, {0, 1, 0});
    m.objects.push_back(ToObject(q, "sol", "sol"));
    MaterialParams mat{"sol", Rgb(1, 1, 1), Rgb(1, 1, 1), "sol.png"};
    mat.lit = false;
    m.materials.push_back(MakeMaterial(mat));
    return m;
}

}  // namespace

// A sphere seen from inside, with an equirectangular picture: v = 0 at the
// zenith. Shared with the menu background.
Model3doFile BuildSkySphere(double radius, const std::string& material, const std::string& texture)
{
    Model3doFile m;
    Mesh s;
    const int rings = 16;
    std::vector<V2> profile;
    for (int i = 0; i <= rings; ++i) {
        double phi = kPi * i / rings;
        profile.push_back({radius * std::sin(phi), -radius * std::cos(phi)});
    }
    AddRevolution(
        s, Frame{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, profile, 32,
        [](int i, double t, V3) {
            return V2{t, 1.0 - static_cast<double>(i) / rings};
        },
        true);
    m.objects.push_back(ToObject(s, "fond", material));
    MaterialParams mat{material, Rgb(1, 1, 1), Rgb(1, 1, 1), texture};
    mat.lit = false;
    mat.twoSided = true;
    m.materials.push_back(MakeMaterial(mat));
    return m;
}

void GenerateThemeModels(const std::string& data)
{
    const std::string dir = data + "/gfx/theme1/3d/";
    MakeKitDir(dir);
    for (const WallPiece& piece : kWallPieces)
        WriteKitModel(dir + piece.model, BuildWall(piece.joins));
    WriteKitModel(dir + "car.3do", BuildCar(kBoardCarDetail, "car_", 0.0));
    WriteKitModel(dir + "carmorph.3do", BuildCar(kBoardCarDetail, "car_", 1.0));
    WriteKitModel(dir + "sol.3do", BuildFloor());
    for (int k = 0; k < 5; ++k) {
        std::string n = dir + "objet" + std::to_string(k + 1);
        WriteKitModel(n + ".3do", BuildBlock(k, false));
        WriteKitModel(n + "morph.3do", BuildBlock(k, true));
        WriteKitModel(n + "on.3do", BuildBlockOn(k, false));
        WriteKitModel(n + "onmorph.3do", BuildBlockOn(k, true));
    }
    WriteKitModel(dir + "bombe.3do", BuildBomb());
    WriteKitModel(dir + "special.3do", BuildSpecial());
    WriteKitModel(dir + "explosion.3do", BuildExplosion());
    WriteKitModel(dir + "fond.3do", BuildSkySphere(300.0, "fond", "fond.png"));
}
