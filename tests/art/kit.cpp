#include "kit.h"

#include "puzzle/wallpieces.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cmath>

std::string KitDataDir()
{
    return RunDir() + "/data";
}

std::vector<std::string> KitGeneratedFiles()
{
    std::vector<std::string> f = {"font.ini", "gfx/theme1/theme.ini"};
    const std::string m = "gfx/theme1/3d/", t = "gfx/theme1/texture/";
    for (const WallPiece& piece : kWallPieces)
        f.push_back(m + piece.model);
    for (const char* n : {"car", "carmorph", "sol", "bombe", "special", "explosion", "fond"})
        f.push_back(m + n + ".3do");
    for (int k = 1; k <= 5; ++k)
        for (const char* s : {"", "morph", "on", "onmorph"})
            f.push_back(m + "objet" + std::to_string(k) + s + ".3do");
    for (const char* n :
         {"bordure",   "shadow", "shadowbomb", "shadowcar", "detail",   "trace1",  "trace2", "mur",    "murhaut",
          "sol",       "bloc",   "blocon",     "car",       "carvitre", "roue",    "bombe",  "pierre", "colonne",
          "explosion", "fond",   "arrive1",    "arrive2",   "arrive3",  "arrive4", "arrive5"})
        f.push_back(t + n + ".png");
    for (const char* n : {"carmenu", "carmenumorph", "logo", "logomorph", "fondmenu"})
        f.push_back(std::string("gfx/3d/") + n + ".3do");
    for (const char* n :
         {"solmenu", "solmenushadow", "shadowcar", "car", "carvitre", "roue", "logolettres", "fondmenu"})
        f.push_back(std::string("gfx/3d/") + n + ".png");
    for (const char* n :
         {"pointeur", "selection", "selection_left", "selection_middle", "selection_right", "fonteicone", "icon"})
        f.push_back(std::string("gfx/2d/") + n + ".png");
    for (const char* n :
         {"menuchoix", "menuclic", "back", "error1", "error2", "explo", "selbomb", "transfor", "message", "push"})
        f.push_back(std::string("sfx/") + n + ".wav");
    for (const char* n : {"musicmenu", "musicjeu1", "musicjeu2", "musicjeu3", "musicjeu4"})
        f.push_back(std::string("sfx/") + n + ".zik");
    return f;
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

Model3doFile KitModel(const std::string& rel)
{
    Model3doFile m;
    std::string error;
    EXPECT_TRUE(Read3do((KitDataDir() + "/" + rel).c_str(), m, error)) << rel << ": " << error;
    return m;
}

PngInfo ReadPngInfo(const std::string& path)
{
    const std::string b = ReadTestFile(path);
    PngInfo info;
    if (b.size() < 33 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0 ||
        b.find("IEND") == std::string::npos)
        return info;
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
               uint8_t(b[at + 3]);
    };
    info.width = be32(16);
    info.height = be32(20);
    info.depth = uint8_t(b[24]);
    info.colourType = uint8_t(b[25]);
    return info;
}

void KitBox::Add(const Vec3& p)
{
    for (int a = 0; a < 3; ++a) {
        min[a] = std::min(min[a], p[a]);
        max[a] = std::max(max[a], p[a]);
    }
}

Vec3 LoadedPoint(const Model3doObject& o, size_t i)
{
    return {Snap3doCoordinate(o.points[3 * i], 0), Snap3doCoordinate(o.points[3 * i + 1], 1),
            Snap3doCoordinate(o.points[3 * i + 2], 2)};
}

KitBox ObjectBox(const Model3doObject& o)
{
    KitBox b;
    for (size_t i = 0; i < o.points.size() / 3; ++i)
        b.Add(LoadedPoint(o, i));
    return b;
}

KitBox ModelBox(const Model3doFile& m)
{
    KitBox b;
    for (const Model3doObject& o : m.objects) {
        const KitBox ob = ObjectBox(o);
        b.Add(ob.min);
        b.Add(ob.max);
    }
    return b;
}

const Model3doObject* FindKitObject(const Model3doFile& m, const std::string& name)
{
    for (const Model3doObject& o : m.objects)
        if (o.name == name)
            return &o;
    return nullptr;
}

Vec3 LoadedFaceNormal(const Model3doObject& o, size_t f)
{
    const Vec3 p0 = LoadedPoint(o, o.faces[3 * f]), p1 = LoadedPoint(o, o.faces[3 * f + 1]),
               p2 = LoadedPoint(o, o.faces[3 * f + 2]);
    const Vec3 a{p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]}, b{p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    Vec3 n{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (l > 0)
        for (double& v : n)
            v = -v / l;
    return n;
}

Vec3 FaceCentroid(const Model3doObject& o, size_t f)
{
    Vec3 c{0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        const Vec3 p = LoadedPoint(o, o.faces[3 * f + k]);
        for (int a = 0; a < 3; ++a)
            c[a] += p[a] / 3;
    }
    return c;
}

double OutwardShare(const Model3doObject& o, const Vec3& centre, bool inward)
{
    const size_t faces = o.faces.size() / 3;
    size_t good = 0;
    for (size_t f = 0; f < faces; ++f) {
        const Vec3 n = LoadedFaceNormal(o, f), c = FaceCentroid(o, f);
        const double d = n[0] * (c[0] - centre[0]) + n[1] * (c[1] - centre[1]) + n[2] * (c[2] - centre[2]);
        good += inward ? d < 0 : d > 0;
    }
    return faces ? double(good) / faces : 0.0;
}
