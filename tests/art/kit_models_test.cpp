// The kit's models, read by the engine's strict reader.
#include "engine/configfile.h"
#include "engine/format3do.h"
#include "kit.h"
#include "puzzle/wallpieces.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <set>

namespace {

// A model of the data directory read by the engine's strict reader.
Model3doFile KitModel(const std::string& rel)
{
    Model3doFile m;
    std::string error;
    EXPECT_TRUE(Read3do((KitDataDir() + "/" + rel).c_str(), m, error)) << rel << ": " << error;
    return m;
}

using Vec3 = std::array<double, 3>;

struct KitBox {
    Vec3 min{1e9, 1e9, 1e9};
    Vec3 max{-1e9, -1e9, -1e9};
    void Add(const Vec3& p)
    {
        for (int a = 0; a < 3; ++a) {
            min[a] = std::min(min[a], p[a]);
            max[a] = std::max(max[a], p[a]);
        }
    }
    Vec3 Centre() const { return {(min[0] + max[0]) / 2, (min[1] + max[1]) / 2, (min[2] + max[2]) / 2}; }
    double Extent(int axis) const { return max[axis] - min[axis]; }
};

// Point i of an object as loaded.
Vec3 LoadedPoint(const Model3doObject& o, size_t i)
{
    return {Snap3doCoordinate(o.points[3 * i], 0), Snap3doCoordinate(o.points[3 * i + 1], 1),
            Snap3doCoordinate(o.points[3 * i + 2], 2)};
}

KitBox BoxOf(const std::vector<Model3doObject>& objects)
{
    KitBox b;
    for (const Model3doObject& o : objects)
        for (size_t i = 0; i < o.points.size() / 3; ++i)
            b.Add(LoadedPoint(o, i));
    return b;
}

const Model3doObject* FindKitObject(const Model3doFile& m, const std::string& name)
{
    const auto it = std::find_if(m.objects.begin(), m.objects.end(), [&](const auto& o) { return o.name == name; });
    return it == m.objects.end() ? nullptr : &*it;
}

// The normal the loader gives face f (minus the cross product of its edges,
// so a face whose corners run clockwise as seen faces the viewer), and its centre.
std::pair<Vec3, Vec3> LoadedFace(const Model3doObject& o, size_t f)
{
    const Vec3 p0 = LoadedPoint(o, o.faces[3 * f]), p1 = LoadedPoint(o, o.faces[3 * f + 1]),
               p2 = LoadedPoint(o, o.faces[3 * f + 2]);
    const Vec3 a{p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]}, b{p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    Vec3 n{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (l > 0)
        for (double& v : n)
            v = -v / l;
    return {n, {(p0[0] + p1[0] + p2[0]) / 3, (p0[1] + p1[1] + p2[1]) / 3, (p0[2] + p1[2] + p2[2]) / 3}};
}

// Share of faces whose loaded normal points away from the centre (towards
// it when inward).
double OutwardShare(const Model3doObject& o, const Vec3& centre, bool inward = false)
{
    const size_t faces = o.faces.size() / 3;
    size_t good = 0;
    for (size_t f = 0; f < faces; ++f) {
        const auto [n, c] = LoadedFace(o, f);
        const double d = n[0] * (c[0] - centre[0]) + n[1] * (c[1] - centre[1]) + n[2] * (c[2] - centre[2]);
        good += inward ? d < 0 : d > 0;
    }
    return faces ? double(good) / faces : 0.0;
}

std::string Theme(const std::string& name)
{
    return "gfx/theme1/3d/" + name;
}

bool SameMaterial(const Model3doMaterial& a, const Model3doMaterial& b)
{
    return std::equal(a.ambient, a.ambient + 3, b.ambient) && std::equal(a.diffuse, a.diffuse + 3, b.diffuse) &&
           a.transparency == b.transparency && a.shading == b.shading && a.lighting == b.lighting &&
           a.sides == b.sides && a.texture == b.texture && a.envTexture == b.envTexture;
}

// Edges of the object's loaded surface that are not shared by exactly two
// faces: a crack, or a point lying on another face's edge, which the
// rasteriser shows as seams of missing pixels.
size_t OpenEdges(const Model3doObject& o)
{
    std::map<std::array<long, 6>, int> edges;
    auto key = [&](uint32_t i) {
        const Vec3 p = LoadedPoint(o, i);
        return std::array<long, 3>{std::lround(p[0] * 1e4), std::lround(p[1] * 1e4), std::lround(p[2] * 1e4)};
    };
    for (size_t f = 0; f + 2 < o.faces.size(); f += 3)
        for (int k = 0; k < 3; ++k) {
            auto a = key(o.faces[f + k]), b = key(o.faces[f + (k + 1) % 3]);
            if (b < a)
                std::swap(a, b);
            ++edges[{a[0], a[1], a[2], b[0], b[1], b[2]}];
        }
    return size_t(std::count_if(edges.begin(), edges.end(), [](const auto& e) { return e.second != 2; }));
}

bool InsideWallFootprint(int joins, double x, double z)
{
    const double a = 0.42;
    const bool across = std::fabs(z) <= a, along = std::fabs(x) <= a;
    return (across && along) || ((joins & kJoinRight) && across && x > 0 && x <= 0.5) ||
           ((joins & kJoinLeft) && across && x < 0 && x >= -0.5) ||
           ((joins & kJoinDown) && along && z > 0 && z <= 0.5) || ((joins & kJoinUp) && along && z < 0 && z >= -0.5);
}

}  // namespace

TEST(ArtKitModels, EveryModelIsWellFormedWithMaterialsTheGameCanDrawInTheTrianglesItsSizeOnTheScreenShows)
{
    // What the software rasteriser can afford per frame: a board model is
    // drawn twice (with its reflection) at about a cell's size on the screen.
    const std::map<std::string, size_t> budgets = {{Theme("car.3do"), 1500},
                                                   {Theme("special.3do"), 420},
                                                   {Theme("objet1.3do"), 160},
                                                   {"gfx/3d/logo.3do", 5500},
                                                   {"gfx/3d/carmenu.3do", 6000}};
    std::map<std::string, Model3doMaterial> shared;
    int models = 0;
    size_t budgeted = 0;
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".3do"))
            continue;
        ++models;
        const Model3doFile m = KitModel(rel);
        ASSERT_FALSE(m.objects.empty()) << rel;
        const std::string texDir = rel.rfind("gfx/theme1/", 0) == 0 ? "gfx/theme1/texture/" : "gfx/3d/";
        std::set<std::string> names;
        for (const Model3doMaterial& mat : m.materials) {
            EXPECT_FALSE(mat.name.empty()) << rel;
            names.insert(mat.name);
            // Materials are shared by name across every model of the game:
            // a name must always mean the same material.
            const auto it = shared.emplace(mat.name, mat).first;
            EXPECT_TRUE(SameMaterial(it->second, mat)) << rel << ": material " << mat.name << " differs elsewhere";
            EXPECT_FALSE(mat.lighting == 0 && mat.shading == 1) << rel << ": the game draws no lit flat objects";
            EXPECT_TRUE(mat.envTexture.empty()) << rel;
            EXPECT_EQ(mat.transparency != 1.0f, mat.name == "explosion")
                << rel << ": only the explosion is see-through";
            if (mat.texture.empty())
                continue;
            EXPECT_TRUE(
                std::none_of(mat.texture.begin(), mat.texture.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
                << rel << ": texture names are looked up in lower case";
            // A texture with alpha would turn the material transparent.
            EXPECT_EQ(ReadPngInfo(KitDataDir() + "/" + texDir + mat.texture).colourType, 2)
                << rel << " " << mat.texture;
        }
        size_t triangles = 0;
        for (const Model3doObject& o : m.objects) {
            triangles += o.faces.size() / 3;
            EXPECT_FALSE(o.name.empty()) << rel;
            EXPECT_TRUE(names.count(o.material)) << rel << ": " << o.name << " uses unknown " << o.material;
            EXPECT_FALSE(o.faces.empty()) << rel << ": " << o.name;
            EXPECT_TRUE(std::all_of(o.uvs.begin(), o.uvs.end(), [](float t) { return std::isfinite(t); })) << rel;
        }
        const auto budget = budgets.find(rel);
        budgeted += budget != budgets.end();
        EXPECT_TRUE(budget == budgets.end() || (triangles > budget->second / 4 && triangles <= budget->second))
            << rel << ": " << triangles;
    }
    EXPECT_EQ(models, 48);
    EXPECT_EQ(budgeted, budgets.size()) << "a model with a budget is not generated";
}

TEST(ArtKitModels, MorphTargetsMatchTheirModelsAndMoveGently)
{
    std::vector<std::pair<std::string, std::string>> pairs = {{Theme("car.3do"), Theme("carmorph.3do")},
                                                              {"gfx/3d/carmenu.3do", "gfx/3d/carmenumorph.3do"},
                                                              {"gfx/3d/logo.3do", "gfx/3d/logomorph.3do"}};
    for (int k = 1; k <= 5; ++k)
        for (const char* form : {"", "on"}) {
            const std::string n = "objet" + std::to_string(k) + form;
            pairs.push_back({Theme(n + ".3do"), Theme(n + "morph.3do")});
        }
    for (const auto& [a, b] : pairs) {
        const Model3doFile ma = KitModel(a), mb = KitModel(b);
        ASSERT_EQ(ma.objects.size(), mb.objects.size()) << a;
        double moved = 0;
        for (size_t i = 0; i < ma.objects.size(); ++i) {
            const Model3doObject &oa = ma.objects[i], &ob = mb.objects[i];
            EXPECT_EQ(oa.name, ob.name) << a;
            EXPECT_EQ(oa.material, ob.material) << a;
            ASSERT_EQ(oa.points.size(), ob.points.size()) << a << " " << oa.name;
            EXPECT_EQ(oa.faces, ob.faces) << a << " " << oa.name;
            for (size_t p = 0; p < oa.points.size(); ++p)
                moved = std::max(moved, double(std::fabs(oa.points[p] - ob.points[p])));
        }
        EXPECT_GT(moved, 0.005) << b << " does not move";
        if (a.rfind("gfx/theme1/", 0) == 0) {
            EXPECT_LT(moved, 0.12) << b << " moves too far for a pulse";
        }
    }
}

TEST(ArtKitModels, WallPiecesOpenExactlyOnTheSidesTheirJoinsName)
{
    // The sections where pieces meet, as (height, across) in thousandths,
    // must be the same at both ends of a join: neighbours meet without a
    // step or a gap.
    std::map<int, std::set<std::pair<int, int>>> sections;  // by axis
    for (const WallPiece& piece : kWallPieces) {
        const std::string rel = Theme(piece.model);
        const Model3doFile m = KitModel(rel);
        const KitBox box = BoxOf(m.objects);
        EXPECT_NEAR(box.min[1], 0.0, 0.002) << rel << " does not stand on the floor";
        EXPECT_LT(box.max[1], 1.01) << rel;
        // Joined sides reach the cell's edge; the others stop well short of it.
        const struct {
            int join, axis, sign;
        } sides[] = {{kJoinUp, 2, -1}, {kJoinDown, 2, 1}, {kJoinRight, 0, 1}, {kJoinLeft, 0, -1}};
        for (const auto& side : sides) {
            const double reach = side.sign > 0 ? box.max[side.axis] : -box.min[side.axis];
            const bool joined = piece.joins & side.join;
            EXPECT_TRUE(joined ? reach >= 0.499 : reach < 0.46) << rel << " side " << side.join << " reaches " << reach;
            if (!joined)
                continue;
            std::set<std::pair<int, int>> section;
            for (const Model3doObject& o : m.objects)
                for (size_t p = 0; p < o.points.size() / 3; ++p) {
                    const Vec3 v = LoadedPoint(o, p);
                    if (v[side.axis] * side.sign >= 0.499)
                        section.insert({int(std::lround(v[1] * 1000)), int(std::lround(v[2 - side.axis] * 1000))});
                }
            const auto known = sections.emplace(side.axis, section).first;
            EXPECT_EQ(section, known->second) << rel << ": the join at side " << side.join << " differs";
        }
        for (const Model3doObject& o : m.objects) {
            // Faces turned outwards: tops look up, sides away from the footprint.
            for (size_t f = 0; f < o.faces.size() / 3; ++f) {
                const auto [n, c] = LoadedFace(o, f);
                if (o.name == "mur_dessus") {
                    EXPECT_GT(n[1], 0.3) << rel << " top face " << f;
                    continue;
                }
                EXPECT_NEAR(n[1], 0.0, 1e-6) << rel;
                EXPECT_TRUE(InsideWallFootprint(piece.joins, c[0] - n[0] * 0.01, c[2] - n[2] * 0.01))
                    << rel << " " << f;
                EXPECT_FALSE(InsideWallFootprint(piece.joins, c[0] + n[0] * 0.01, c[2] + n[2] * 0.01))
                    << rel << " " << f;
            }
            // The game clamps wall textures (without edge clamping in s):
            // texture coordinates stay on texel centres so no border bleeds in.
            std::string texture;
            for (const Model3doMaterial& mat : m.materials)
                if (mat.name == o.material)
                    texture = mat.texture;
            const PngInfo png = ReadPngInfo(KitDataDir() + "/gfx/theme1/texture/" + texture);
            ASSERT_GT(png.width, 0u) << rel << " " << o.name;
            for (size_t i = 0; i < o.uvs.size(); ++i) {
                const double half = 0.5 / (i % 2 ? png.height : png.width);
                EXPECT_TRUE(o.uvs[i] >= half - 1e-6 && o.uvs[i] <= 1 - half + 1e-6) << rel << " " << o.name;
            }
        }
    }
    EXPECT_EQ(sections.size(), 2u);
    // The first piece decides whether walls cast baked shadows: it must not
    // reach below the floor.
    EXPECT_GT(BoxOf(KitModel(Theme(kWallPieces[0].model)).objects).min[1], -0.1);
}

TEST(ArtKitModels, BlocksStandOnTheirCellsAndRollAboutTheirCentre)
{
    VROConfigFile cfg;
    ASSERT_TRUE(cfg.Load((KitDataDir() + "/gfx/theme1/theme.ini").c_str()));
    for (int k = 1; k <= 5; ++k) {
        const std::string n = "objet" + std::to_string(k);
        const Model3doFile plain = KitModel(Theme(n + ".3do")), on = KitModel(Theme(n + "on.3do"));
        const KitBox b = BoxOf(plain.objects), ob = BoxOf(on.objects);
        for (const KitBox& box : {b, ob}) {
            for (int axis : {0, 2})
                EXPECT_TRUE(box.max[axis] <= 0.5 && box.min[axis] >= -0.5) << n;
            EXPECT_NEAR(box.min[1], 0.0, 0.002) << n;
        }
        // Rolled about its rotation centre, a block must come back into its
        // cell: the centre is the middle of the block.
        std::string centre;
        ASSERT_TRUE(cfg.GetValue(("RotationCenter" + std::to_string(k)).c_str(), centre));
        Vec3 c{};
        ASSERT_EQ(std::sscanf(centre.c_str(), "%lf,%lf,%lf", &c[0], &c[1], &c[2]), 3);
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(c[axis], b.Centre()[axis], 0.01) << n;
        // The block looks the same after a quarter roll: as wide as tall.
        EXPECT_NEAR(b.Extent(0), b.Extent(1), 0.01) << n;
        EXPECT_NEAR(b.Extent(2), b.Extent(1), 0.01) << n;
        // The "on" form is clearly different: much lower body, and more parts.
        const Model3doObject* socle = FindKitObject(on, "socle");
        ASSERT_NE(socle, nullptr);
        EXPECT_LT(BoxOf({*socle}).max[1], b.max[1] * 0.6) << n;
        EXPECT_GT(on.objects.size(), plain.objects.size()) << n;
        for (const Model3doObject& o : plain.objects) {
            EXPECT_GT(OutwardShare(o, b.Centre()), 0.99) << n << " " << o.name;
            EXPECT_EQ(OpenEdges(o), 0u) << n << " " << o.name;
        }
    }
    for (const char* prop : {"bombe.3do", "explosion.3do"}) {
        const KitBox b = BoxOf(KitModel(Theme(prop)).objects);
        EXPECT_GE(b.min[1], -0.01) << prop;
        for (int axis : {0, 2})
            EXPECT_LE(std::max(-b.min[axis], b.max[axis]), 0.75) << prop;
    }
    // The game draws a special block half a cell along x and z from its
    // cell's centre: the model stands on the cell centred at (-0.5, -0.5),
    // and is symmetric so its mirrored codes look alike.
    const KitBox s = BoxOf(KitModel(Theme("special.3do")).objects);
    for (int axis : {0, 2}) {
        EXPECT_TRUE(s.min[axis] >= -1.0 && s.max[axis] <= 0.0) << axis;
        EXPECT_NEAR(s.Centre()[axis], -0.5, 0.01);
        EXPECT_GT(s.Extent(axis), 0.6);
    }
    EXPECT_NEAR(s.min[1], 0.0, 0.002);
}

TEST(ArtKitModels, CarBodiesBackgroundsAndTheLogoFaceTheWayTheyAreSeen)
{
    for (const char* rel : {"gfx/theme1/3d/car.3do", "gfx/3d/carmenu.3do"}) {
        const Model3doFile car = KitModel(rel);
        const KitBox b = BoxOf(car.objects);
        EXPECT_LE(b.Extent(0), 1.0) << rel << " is longer than a cell";
        EXPECT_LT(b.Extent(2), b.Extent(0)) << rel << " is wider than long";
        const Model3doObject* body = FindKitObject(car, "Carrosserie");
        ASSERT_NE(body, nullptr);
        EXPECT_GT(OutwardShare(*body, BoxOf({*body}).Centre()), 0.97) << rel;
    }
    // Backgrounds surround the scene and face inwards.
    for (const auto& [rel, radius] : {std::pair<std::string, double>{Theme("fond.3do"), 100.0},
                                      std::pair<std::string, double>{"gfx/3d/fondmenu.3do", 10.0}})
        for (const Model3doObject& o : KitModel(rel).objects) {
            for (size_t p = 0; p < o.points.size() / 3; ++p) {
                const Vec3 v = LoadedPoint(o, p);
                EXPECT_GT(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), radius) << rel;
            }
            EXPECT_GT(OutwardShare(o, {0, 0, 0}, true), 0.99) << rel;
        }
    // The game scales the logo's box to the same size on every axis: it has
    // volume on each and keeps its shape; the name reads across, with depth.
    const Model3doFile logo = KitModel("gfx/3d/logo.3do");
    const KitBox b = BoxOf(logo.objects);
    ASSERT_GT(b.Extent(0), 0);
    EXPECT_NEAR(b.Extent(1) / b.Extent(0), 1.0, 0.05);
    EXPECT_NEAR(b.Extent(2) / b.Extent(0), 1.0, 0.05);
    const Model3doObject* letters = FindKitObject(logo, "lettres");
    ASSERT_NE(letters, nullptr);
    const KitBox lb = BoxOf({*letters});
    EXPECT_GT(lb.Extent(2), 0.05);
    EXPECT_GT(lb.Extent(0), lb.Extent(1));
}
