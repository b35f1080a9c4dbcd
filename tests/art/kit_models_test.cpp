// The kit's models: well formed, materials the game can draw, morph
// targets that fit their models, pieces that stand on their cells, wall
// pieces open exactly on the sides their codes join, faces turned the way
// the game culls them.
#include "engine/configfile.h"
#include "kit_model.h"
#include "kit_paths.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace {

Model3doFile Load(const std::string& rel)
{
    Model3doFile m;
    std::string error;
    EXPECT_TRUE(ReadKitModel(KitDataDir() + "/" + rel, m, error)) << rel << ": " << error;
    return m;
}

std::string Theme(const std::string& name) { return "gfx/theme1/3d/" + name; }
std::string Menu(const std::string& name) { return "gfx/3d/" + name; }

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int PngColourType(const std::string& path)
{
    std::string b = ReadTestFile(path);
    return b.size() > 26 && b.compare(12, 4, "IHDR") == 0 ? static_cast<uint8_t>(b[25]) : -1;
}

bool SameMaterial(const Model3doMaterial& a, const Model3doMaterial& b)
{
    for (int i = 0; i < 3; ++i)
        if (a.ambient[i] != b.ambient[i] || a.diffuse[i] != b.diffuse[i])
            return false;
    return a.transparency == b.transparency && a.shading == b.shading && a.lighting == b.lighting &&
           a.sides == b.sides && a.texture == b.texture && a.envTexture == b.envTexture;
}

// Share of faces whose loaded normal points away from (or, inward, towards)
// the given centre.
double OutwardShare(const Model3doObject& o, const Vec3& centre, bool inward = false)
{
    size_t faces = o.faces.size() / 3, good = 0;
    for (size_t f = 0; f < faces; ++f) {
        Vec3 n = LoadedFaceNormal(o, f), c = FaceCentroid(o, f);
        double d = n[0] * (c[0] - centre[0]) + n[1] * (c[1] - centre[1]) + n[2] * (c[2] - centre[2]);
        if (inward ? d < 0 : d > 0)
            ++good;
    }
    return faces ? static_cast<double>(good) / faces : 0.0;
}

double MaxDisplacement(const Model3doObject& a, const Model3doObject& b)
{
    double m = 0;
    for (size_t i = 0; i < a.points.size(); ++i)
        m = std::max(m, static_cast<double>(std::fabs(a.points[i] - b.points[i])));
    return m;
}

bool InsideWallFootprint(int mask, double x, double z)
{
    const double a = 0.42;
    if (std::fabs(x) <= a && std::fabs(z) <= a)
        return true;
    bool across = std::fabs(z) <= a, along = std::fabs(x) <= a;
    return ((mask & 4) && across && x > 0 && x <= 0.5) || ((mask & 8) && across && x < 0 && x >= -0.5) ||
           ((mask & 2) && along && z > 0 && z <= 0.5) || ((mask & 1) && along && z < 0 && z >= -0.5);
}

}  // namespace

TEST(ArtKitModels, EveryModelIsWellFormedWithMaterialsTheGameCanDraw)
{
    std::map<std::string, Model3doMaterial> shared;
    int models = 0;
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".3do"))
            continue;
        ++models;
        Model3doFile m = Load(rel);
        ASSERT_FALSE(m.objects.empty()) << rel;
        std::string texDir = rel.rfind("gfx/theme1/", 0) == 0 ? "gfx/theme1/texture/" : "gfx/3d/";
        std::set<std::string> materialNames;
        for (const Model3doMaterial& mat : m.materials) {
            EXPECT_FALSE(mat.name.empty()) << rel;
            materialNames.insert(mat.name);
            // Materials are shared by name across every model of the game:
            // a name must always mean the same material.
            auto it = shared.find(mat.name);
            if (it == shared.end())
                shared[mat.name] = mat;
            else
                EXPECT_TRUE(SameMaterial(it->second, mat)) << rel << ": material " << mat.name << " differs elsewhere";
            // Lit flat-shaded objects are not drawn by the game.
            if (mat.lighting == 0) {
                EXPECT_NE(mat.shading, 1) << rel << ": " << mat.name;
            }
            EXPECT_TRUE(mat.envTexture.empty()) << rel;
            if (!mat.texture.empty()) {
                for (char ch : mat.texture)
                    EXPECT_FALSE(ch >= 'A' && ch <= 'Z') << rel << ": texture names are looked up in lower case";
                std::string tex = KitDataDir() + "/" + texDir + mat.texture;
                ASSERT_TRUE(TestFileExists(tex)) << rel << " needs " << texDir << mat.texture;
                // A texture with alpha would turn the material transparent.
                EXPECT_EQ(PngColourType(tex), 2) << tex;
            }
        }
        for (const Model3doObject& o : m.objects) {
            EXPECT_FALSE(o.name.empty()) << rel;
            EXPECT_TRUE(materialNames.count(o.material)) << rel << ": " << o.name << " uses unknown " << o.material;
            EXPECT_FALSE(o.faces.empty()) << rel << ": " << o.name;
            for (float p : o.points)
                ASSERT_TRUE(std::isfinite(p)) << rel;
            for (float t : o.uvs)
                ASSERT_TRUE(std::isfinite(t)) << rel;
        }
    }
    EXPECT_EQ(models, 48);
}

TEST(ArtKitModels, MorphTargetsMatchTheirModelsAndMoveGently)
{
    std::vector<std::pair<std::string, std::string>> pairs = {
        {Theme("car.3do"), Theme("carmorph.3do")},
        {Menu("carmenu.3do"), Menu("carmenumorph.3do")},
        {Menu("logo.3do"), Menu("logomorph.3do")}};
    for (int k = 1; k <= 5; ++k) {
        std::string n = "objet" + std::to_string(k);
        pairs.push_back({Theme(n + ".3do"), Theme(n + "morph.3do")});
        pairs.push_back({Theme(n + "on.3do"), Theme(n + "onmorph.3do")});
    }
    for (const auto& [a, b] : pairs) {
        Model3doFile ma = Load(a), mb = Load(b);
        ASSERT_EQ(ma.objects.size(), mb.objects.size()) << a;
        double moved = 0;
        for (size_t i = 0; i < ma.objects.size(); ++i) {
            const Model3doObject &oa = ma.objects[i], &ob = mb.objects[i];
            EXPECT_EQ(oa.name, ob.name) << a;
            EXPECT_EQ(oa.material, ob.material) << a;
            ASSERT_EQ(oa.points.size(), ob.points.size()) << a << " " << oa.name;
            EXPECT_EQ(oa.faces, ob.faces) << a << " " << oa.name;
            moved = std::max(moved, MaxDisplacement(oa, ob));
        }
        EXPECT_GT(moved, 0.005) << b << " does not move";
        if (a.rfind("gfx/theme1/", 0) == 0) {
            EXPECT_LT(moved, 0.12) << b << " moves too far for a pulse";
        }
    }
}

TEST(ArtKitModels, WallPiecesOpenExactlyOnTheSidesTheirCodesJoin)
{
    // Sections where pieces meet, as (height, across) pairs in thousandths.
    std::set<std::pair<int, int>> sectionX, sectionZ;
    bool haveX = false, haveZ = false;
    for (int i = 0; i < 16; ++i) {
        const std::string rel = Theme(kKitWallFiles[i]);
        const int mask = kKitWallMask[i];
        Model3doFile m = Load(rel);
        KitBox box = ModelBox(m);
        EXPECT_NEAR(box.min[1], 0.0, 0.002) << rel << " does not stand on the floor";
        EXPECT_LT(box.max[1], 1.01) << rel;
        // Joined sides reach the cell's edge; the others stop short of it.
        EXPECT_EQ(box.max[0] >= 0.499, (mask & 4) != 0) << rel << " right";
        EXPECT_EQ(box.min[0] <= -0.499, (mask & 8) != 0) << rel << " left";
        EXPECT_EQ(box.max[2] >= 0.499, (mask & 2) != 0) << rel << " down (+z)";
        EXPECT_EQ(box.min[2] <= -0.499, (mask & 1) != 0) << rel << " up (-z)";
        for (int side = 0; side < 4; ++side) {
            bool joined = mask & (1 << side);
            double reach = side == 0 ? -box.min[2] : side == 1 ? box.max[2] : side == 2 ? box.max[0] : -box.min[0];
            if (!joined) {
                EXPECT_LT(reach, 0.46) << rel << " side " << side;
            }
        }
        // Both ends of a join have the same section, so neighbours meet
        // without a step or a gap.
        for (int axis : {0, 2}) {
            for (int sign : {-1, 1}) {
                int bit = axis == 0 ? (sign > 0 ? 4 : 8) : (sign > 0 ? 2 : 1);
                if (!(mask & bit))
                    continue;
                std::set<std::pair<int, int>> section;
                for (const Model3doObject& o : m.objects)
                    for (size_t p = 0; p < o.points.size() / 3; ++p) {
                        Vec3 v = LoadedPoint(o, p);
                        if (v[axis] * sign >= 0.499)
                            section.insert({static_cast<int>(std::lround(v[1] * 1000)),
                                            static_cast<int>(std::lround(v[2 - axis] * 1000))});
                    }
                std::set<std::pair<int, int>>& ref = axis == 0 ? sectionX : sectionZ;
                bool& have = axis == 0 ? haveX : haveZ;
                if (!have) {
                    ref = section;
                    have = true;
                }
                EXPECT_EQ(section, ref) << rel << ": the join at axis " << axis << " side " << sign << " differs";
            }
        }
        // Faces turned outwards: tops look up, sides look away from the
        // wall's footprint.
        for (const Model3doObject& o : m.objects) {
            bool top = o.name == "mur_dessus";
            for (size_t f = 0; f < o.faces.size() / 3; ++f) {
                Vec3 n = LoadedFaceNormal(o, f), c = FaceCentroid(o, f);
                if (top) {
                    EXPECT_GT(n[1], 0.3) << rel << " top face " << f;
                    continue;
                }
                EXPECT_NEAR(n[1], 0.0, 1e-6) << rel;
                EXPECT_TRUE(InsideWallFootprint(mask, c[0] - n[0] * 0.01, c[2] - n[2] * 0.01)) << rel << " face " << f;
                EXPECT_FALSE(InsideWallFootprint(mask, c[0] + n[0] * 0.01, c[2] + n[2] * 0.01)) << rel << " face " << f;
            }
        }
    }
    EXPECT_FALSE(sectionX.empty());
    // The game clamps wall textures (without edge clamping in s): texture
    // coordinates stay on texel centres so no border colour bleeds in.
    for (const char* wall : kKitWallFiles) {
        Model3doFile m = Load(Theme(wall));
        for (const Model3doObject& o : m.objects) {
            std::string texture;
            for (const Model3doMaterial& mat : m.materials)
                if (mat.name == o.material)
                    texture = mat.texture;
            ASSERT_FALSE(texture.empty()) << wall;
            std::string png = ReadTestFile(KitDataDir() + "/gfx/theme1/texture/" + texture);
            ASSERT_GT(png.size(), 24u);
            double size[2] = {static_cast<double>(static_cast<uint8_t>(png[18]) << 8 | static_cast<uint8_t>(png[19])),
                              static_cast<double>(static_cast<uint8_t>(png[22]) << 8 | static_cast<uint8_t>(png[23]))};
            for (size_t i = 0; i < o.uvs.size(); ++i) {
                double half = 0.5 / size[i % 2];
                EXPECT_GE(o.uvs[i], half - 1e-6) << wall << " " << o.name;
                EXPECT_LE(o.uvs[i], 1 - half + 1e-6) << wall << " " << o.name;
            }
        }
    }
    EXPECT_FALSE(sectionZ.empty());
    // The first piece decides whether walls cast baked shadows: it must
    // not reach below the floor.
    EXPECT_GT(ModelBox(Load(Theme(kKitWallFiles[0]))).min[1], -0.1);
}

TEST(ArtKitModels, BlocksStandOnTheirCellsAndRollAboutTheirCentre)
{
    VROConfigFile cfg;
    ASSERT_TRUE(cfg.Load((KitDataDir() + "/gfx/theme1/theme.ini").c_str()));
    for (int k = 1; k <= 5; ++k) {
        std::string n = "objet" + std::to_string(k);
        Model3doFile plain = Load(Theme(n + ".3do")), on = Load(Theme(n + "on.3do"));
        KitBox b = ModelBox(plain), ob = ModelBox(on);
        for (int axis : {0, 2}) {
            EXPECT_LE(b.max[axis], 0.5) << n;
            EXPECT_GE(b.min[axis], -0.5) << n;
            EXPECT_LE(ob.max[axis], 0.5) << n << "on";
            EXPECT_GE(ob.min[axis], -0.5) << n << "on";
        }
        EXPECT_NEAR(b.min[1], 0.0, 0.002) << n;
        EXPECT_NEAR(ob.min[1], 0.0, 0.002) << n << "on";
        // Rolled about the rotation centre, a block must come back into its
        // cell: the centre is the middle of the block.
        std::string centre;
        ASSERT_TRUE(cfg.GetValue(("RotationCenter" + std::to_string(k)).c_str(), centre));
        double cx = 0, cy = 0, cz = 0;
        ASSERT_EQ(std::sscanf(centre.c_str(), "%lf,%lf,%lf", &cx, &cy, &cz), 3);
        Vec3 mid = b.Centre();
        EXPECT_NEAR(cx, mid[0], 0.01) << n;
        EXPECT_NEAR(cy, mid[1], 0.01) << n;
        EXPECT_NEAR(cz, mid[2], 0.01) << n;
        // The block looks the same after a quarter roll: as wide as tall.
        EXPECT_NEAR(b.Extent(0), b.Extent(1), 0.01) << n;
        EXPECT_NEAR(b.Extent(2), b.Extent(1), 0.01) << n;
        // The "on" form is clearly different: much lower body, and more parts.
        const Model3doObject* socle = FindKitObject(on, "socle");
        ASSERT_NE(socle, nullptr);
        EXPECT_LT(ObjectBox(*socle).max[1], b.max[1] * 0.6) << n;
        EXPECT_GT(on.objects.size(), plain.objects.size()) << n;
        for (const Model3doObject& o : plain.objects)
            EXPECT_GT(OutwardShare(o, mid), 0.99) << n << " " << o.name;
    }
    for (const char* prop : {"bombe.3do", "explosion.3do"}) {
        KitBox b = ModelBox(Load(Theme(prop)));
        EXPECT_GE(b.min[1], -0.01) << prop;
        for (int axis : {0, 2})
            EXPECT_LE(std::max(-b.min[axis], b.max[axis]), 0.75) << prop;
    }
    // The game draws a special block half a cell along x and z from its
    // cell's centre: the model stands on the cell centred at (-0.5, -0.5),
    // and is symmetric so its mirrored codes look alike.
    KitBox s = ModelBox(Load(Theme("special.3do")));
    for (int axis : {0, 2}) {
        EXPECT_GE(s.min[axis], -1.0);
        EXPECT_LE(s.max[axis], 0.0);
        EXPECT_NEAR(s.Centre()[axis], -0.5, 0.01);
        EXPECT_GT(s.Extent(axis), 0.6);
    }
    EXPECT_NEAR(s.min[1], 0.0, 0.002);
}

TEST(ArtKitModels, CarsHaveFourNamedWheelsWhereACarHasThem)
{
    for (const std::string& rel : {Theme("car.3do"), Menu("carmenu.3do")}) {
        Model3doFile car = Load(rel);
        const char* names[4] = {"RoueAvD", "RoueAvG", "RoueArD", "RoueArG"};
        KitBox wheel[4];
        for (int w = 0; w < 4; ++w) {
            const Model3doObject* o = FindKitObject(car, names[w]);
            ASSERT_NE(o, nullptr) << rel << " has no " << names[w];
            wheel[w] = ObjectBox(*o);
            // Turning about z around its centre: round in x and y.
            EXPECT_NEAR(wheel[w].Extent(0), wheel[w].Extent(1), 0.01) << rel << " " << names[w];
            EXPECT_LT(wheel[w].Extent(2), wheel[w].Extent(0)) << rel << " " << names[w];
            EXPECT_NEAR(wheel[w].min[1], 0.0, 0.005) << rel << ": wheels touch the floor";
        }
        Vec3 avD = wheel[0].Centre(), avG = wheel[1].Centre(), arD = wheel[2].Centre(), arG = wheel[3].Centre();
        // The front faces -x; the right side of a car looking along -x is -z.
        EXPECT_LT(avD[0], arD[0]) << rel;
        EXPECT_LT(avG[0], arG[0]) << rel;
        EXPECT_LT(avD[2], 0) << rel;
        EXPECT_LT(arD[2], 0) << rel;
        EXPECT_GT(avG[2], 0) << rel;
        EXPECT_GT(arG[2], 0) << rel;
        KitBox b = ModelBox(car);
        EXPECT_LE(b.Extent(0), 1.0) << rel << " is longer than a cell";
        EXPECT_LT(b.Extent(2), b.Extent(0)) << rel << " is wider than long";
        const Model3doObject* body = FindKitObject(car, "Carrosserie");
        ASSERT_NE(body, nullptr);
        EXPECT_GT(OutwardShare(*body, ObjectBox(*body).Centre()), 0.97) << rel;
    }
}

TEST(ArtKitModels, BackgroundsSurroundTheSceneAndFaceInwards)
{
    for (const auto& [rel, radius] : {std::pair<std::string, double>{Theme("fond.3do"), 100.0},
                                      std::pair<std::string, double>{Menu("fondmenu.3do"), 10.0}}) {
        Model3doFile m = Load(rel);
        for (const Model3doObject& o : m.objects) {
            for (size_t p = 0; p < o.points.size() / 3; ++p) {
                Vec3 v = LoadedPoint(o, p);
                EXPECT_GT(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), radius) << rel;
            }
            EXPECT_GT(OutwardShare(o, {0, 0, 0}, true), 0.99) << rel;
        }
    }
}

TEST(ArtKitModels, LogoHasVolumeOnEveryAxisAndKeepsItsShapeWhenScaledToACube)
{
    // The game scales the logo's box to the same size on every axis.
    KitBox b = ModelBox(Load(Menu("logo.3do")));
    double x = b.Extent(0), y = b.Extent(1), z = b.Extent(2);
    ASSERT_GT(x, 0);
    ASSERT_GT(y, 0);
    ASSERT_GT(z, 0);
    EXPECT_NEAR(y / x, 1.0, 0.05);
    EXPECT_NEAR(z / x, 1.0, 0.05);
    Model3doFile logo = Load(Menu("logo.3do"));
    const Model3doObject* letters = FindKitObject(logo, "lettres");
    ASSERT_NE(letters, nullptr);
    KitBox lb = ObjectBox(*letters);
    EXPECT_GT(lb.Extent(2), 0.05) << "letters need depth";
    EXPECT_GT(lb.Extent(0), lb.Extent(1)) << "the name reads across";
}
