#include "gltest.h"

#include <cmath>
#include <cstring>
#include <random>

namespace {

class ModelTest : public GLTest {
protected:
    void TearDown() override
    {
        // Every test gives back every reference it took.
        EXPECT_EQ(MaterialList().count, materialsBefore);
        GLTest::TearDown();
    }
    int materialsBefore = MaterialList().count;
};

Model3doObject Triangle(const std::string& name, const std::string& material)
{
    Model3doObject o;
    o.name = name;
    o.material = material;
    o.points = {Precompensate3doCoordinate(0, 0), Precompensate3doCoordinate(0, 1),
                Precompensate3doCoordinate(0, 2), Precompensate3doCoordinate(1, 0),
                Precompensate3doCoordinate(0, 1), Precompensate3doCoordinate(0, 2),
                Precompensate3doCoordinate(0, 0), Precompensate3doCoordinate(1, 1),
                Precompensate3doCoordinate(0, 2)};
    o.uvs = {0, 0, 1, 0, 0, 1};
    o.faces = {0, 1, 2};
    return o;
}

TEST_F(ModelTest, LoadKeepsObjectsInReverseFileOrderWithTheirData)
{
    Model3doFile f;
    f.objects = {SquareObject("first", "red", -1, -1, 1, 1, -2), Triangle("second", "red")};
    f.materials = {FlatColour("red", 1, 0, 0)};
    WriteModel(dir.file("two.3do"), f);

    Model3D m;
    ASSERT_TRUE(m.Load("two.3do"));
    EXPECT_EQ(m.name, "two.3do");
    EXPECT_EQ(m.totalPoints, 7);
    EXPECT_EQ(m.totalFaces, 3);
    ASSERT_EQ(m.objects.count, 2);
    EXPECT_EQ(m.objects.head->name, "second");
    EXPECT_EQ(m.objects.head->next->name, "first");
    const Objet3D* sq = m.objects.head->next;
    EXPECT_EQ(sq->materialName, "red");
    EXPECT_EQ(sq->pointCount, 4u);
    EXPECT_EQ(sq->faceCount, 2u);
    EXPECT_FLOAT_EQ(sq->points[0], -1);
    EXPECT_FLOAT_EQ(sq->points[1], 1);
    EXPECT_FLOAT_EQ(sq->points[2], -2);
    EXPECT_EQ(sq->texCoords, (std::vector<float>{0, 0, 1, 0, 0, 1, 1, 1}));
    EXPECT_EQ(sq->faces, (std::vector<uint32_t>{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(sq->visible, 1);
    ASSERT_NE(sq->material, nullptr);
    EXPECT_EQ(sq->material->name, "red");
    EXPECT_EQ(sq->material->ambient[0], 1.0f);
    // The model's box is known after loading.
    EXPECT_FLOAT_EQ(m.bboxMin[0], -1);
    EXPECT_FLOAT_EQ(m.bboxMax[1], 1);
    m.Free();
    EXPECT_EQ(m.objects.count, 0);
    EXPECT_EQ(m.totalPoints, 0);
    EXPECT_TRUE(m.name.empty());
}

TEST_F(ModelTest, CoordinatesAreSnappedAsTheGridExamplesSay)
{
    Model3doObject o;
    o.name = "points";
    o.material = "m";
    o.points = {0.0005f, 0.0005f, -0.0005f, 1.2346f, 2, 3, -1.5f, 0.25f, -2};
    o.uvs = {0.123456f, 0.5f, 0, 0, 0, 0};
    Model3doFile f;
    f.objects = {o};
    f.materials = {FlatColour("m", 1, 1, 1)};
    WriteModel(dir.file("grid.3do"), f);
    Model3D m;
    ASSERT_TRUE(m.Load("grid.3do"));
    const std::vector<float>& p = m.objects.head->points;
    const float expected[9] = {0, 0, 0, 1.233f, 1.998f, 3.001f, -1.501f, 0.248f, -1.998f};
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(p[i], expected[i]) << "coordinate " << i;
    // Texture coordinates are kept as they are.
    EXPECT_EQ(m.objects.head->texCoords[0], 0.123456f);
}

TEST_F(ModelTest, FindObjectReturnsTheLastReadOfTwoEqualNames)
{
    Model3doFile f;
    Model3doObject a = Triangle("RoueAvD", "m"), b = Triangle("RoueAvD", "m");
    b.points[0] = Precompensate3doCoordinate(5, 0);
    f.objects = {a, Triangle("RoueArG", "m"), b};
    f.materials = {FlatColour("m", 1, 1, 1)};
    WriteModel(dir.file("car.3do"), f);
    Model3D m;
    ASSERT_TRUE(m.Load("car.3do"));
    Objet3D* wheel = m.FindObject("RoueAvD");
    ASSERT_NE(wheel, nullptr);
    EXPECT_FLOAT_EQ(wheel->points[0], 5);
    EXPECT_NE(m.FindObject("RoueArG"), nullptr);
    EXPECT_EQ(m.FindObject("roueavd"), nullptr);  // exact, case-sensitive
    EXPECT_EQ(m.FindObject("RoueAv"), nullptr);
    EXPECT_EQ(m.FindObject(nullptr), nullptr);
}

TEST_F(ModelTest, KnownMaterialsTakeNothingFromASecondFile)
{
    Model3doMaterial red = FlatColour("shared", 1, 0, 0);
    Model3doFile first;
    first.objects = {Triangle("a", "shared")};
    first.materials = {red};
    WriteModel(dir.file("first.3do"), first);

    Model3doMaterial green = FlatColour("shared", 0, 1, 0);
    green.transparency = 0.5f;
    green.texture = "absent.png";  // never looked at: the material is known
    green.lighting = 0;
    Model3doFile second;
    second.objects = {Triangle("b", "shared")};
    second.materials = {green};
    WriteModel(dir.file("second.3do"), second);

    Model3D a, b;
    ASSERT_TRUE(a.Load("first.3do"));
    ASSERT_TRUE(b.Load("second.3do"));
    Material* m = FindMaterial("shared");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(a.objects.head->material, m);
    EXPECT_EQ(b.objects.head->material, m);
    EXPECT_EQ(m->refCount, 2);
    EXPECT_EQ(m->ambient[0], 1.0f);
    EXPECT_EQ(m->ambient[1], 0.0f);
    EXPECT_EQ(m->flags, kMatSmooth);  // unlit, opaque, one-sided
    EXPECT_EQ(m->texture, nullptr);

    a.Free();
    EXPECT_EQ(FindMaterial("shared"), m);
    EXPECT_EQ(m->refCount, 1);
    b.Free();
    EXPECT_EQ(FindMaterial("shared"), nullptr);
}

TEST_F(ModelTest, TransparencyFlagUnlessExactlyOne)
{
    Model3doMaterial almost = FlatColour("almost", 1, 1, 1);
    almost.transparency = 0.9999f;
    Model3doMaterial opaque = FlatColour("opaque", 1, 1, 1);
    opaque.transparency = 1.0f;
    Model3doMaterial litFlatTwoSided = FlatColour("lit", 1, 1, 1);
    litFlatTwoSided.lighting = 0;
    litFlatTwoSided.shading = 1;
    litFlatTwoSided.sides = 1;
    Model3doFile f;
    f.objects = {Triangle("a", "almost"), Triangle("o", "opaque"), Triangle("l", "lit")};
    f.materials = {almost, opaque, litFlatTwoSided};
    WriteModel(dir.file("t.3do"), f);
    Model3D m;
    ASSERT_TRUE(m.Load("t.3do"));
    Material* a = FindMaterial("almost");
    Material* o = FindMaterial("opaque");
    Material* l = FindMaterial("lit");
    EXPECT_EQ(a->flags, kMatTransparency | kMatSmooth);
    EXPECT_EQ(a->transparencyMode, 5);
    EXPECT_FLOAT_EQ(a->transparency, 0.9999f);
    EXPECT_EQ(o->flags, kMatSmooth);
    EXPECT_EQ(o->transparencyMode, 1);
    EXPECT_EQ(l->flags, kMatLighted | kMatTwoSided);
    // Unlit objects get no normals; lit flat ones face normals.
    EXPECT_EQ(m.FindObject("a")->normalMode, 0);
    EXPECT_EQ(m.FindObject("o")->normalMode, 0);
    EXPECT_EQ(m.FindObject("l")->normalMode, kNormalsFace);
    // The triangle (0,0,0) (1,0,0) (0,1,0) turns clockwise seen from −z.
    const std::vector<float>& n = m.FindObject("l")->faceNormals;
    EXPECT_FLOAT_EQ(n[0], 0);
    EXPECT_FLOAT_EQ(n[1], 0);
    EXPECT_FLOAT_EQ(n[2], -1);
}

TEST_F(ModelTest, TextureNamesAreLowerCasedAndAlphaTexturesMakeTransparency)
{
    std::vector<uint8_t> rgb(8 * 8 * 3, 120);
    WriteRgbPng(dir.file("wood_01.png"), 8, 8, rgb);
    std::vector<uint8_t> rgba(8 * 8 * 4, 200);
    WriteRgbaPng(dir.file("glass.png"), 8, 8, rgba);

    Model3doMaterial wood = FlatColour("wood", 1, 1, 1);
    wood.texture = "WoOD_01.PNG";
    Model3doMaterial glass = FlatColour("glass", 1, 1, 1);
    glass.texture = "GLASS.png";
    glass.transparency = 0.25f;  // replaced by the texture's alpha
    glass.shading = 1;           // flat: the smooth bit must stay clear
    glass.lighting = 0;
    Model3doFile f;
    f.objects = {Triangle("w", "wood"), Triangle("g", "glass")};
    f.materials = {wood, glass};
    WriteModel(dir.file("tex.3do"), f);

    Model3D m;
    ASSERT_TRUE(m.Load("tex.3do"));
    Material* w = FindMaterial("wood");
    ASSERT_NE(w->texture, nullptr);
    EXPECT_EQ(w->texture->fileName, dir.path() + "/wood_01.png");
    EXPECT_EQ(w->flags, kMatSmooth | kMatMapping);
    EXPECT_EQ(w->texture->envMode, GLenum(GL_REPLACE));  // unlit
    EXPECT_TRUE(w->texture->HasGLName());

    Material* g = FindMaterial("glass");
    ASSERT_NE(g->texture, nullptr);
    EXPECT_EQ(g->flags, kMatLighted | kMatMapping | kMatTransparency);
    EXPECT_FLOAT_EQ(g->transparency, 1.0f);
    EXPECT_EQ(g->transparencyMode, 5);
    EXPECT_EQ(g->texture->envMode, GLenum(GL_MODULATE));
    EXPECT_EQ(m.FindObject("g")->normalMode, kNormalsFace);
}

TEST_F(ModelTest, EnvironmentTextureSetsEnvMappingAndSmoothNormals)
{
    std::vector<uint8_t> rgb(8 * 8 * 3, 60);
    WriteRgbPng(dir.file("chrome.png"), 8, 8, rgb);
    Model3doMaterial chrome = FlatColour("chrome", 1, 1, 1);
    chrome.envTexture = "Chrome.png";
    chrome.shading = 1;  // flat, but env-mapping needs vertex normals
    Model3doFile f;
    f.objects = {Triangle("logo", "chrome")};
    f.materials = {chrome};
    WriteModel(dir.file("env.3do"), f);
    Model3D m;
    ASSERT_TRUE(m.Load("env.3do"));
    Material* c = FindMaterial("chrome");
    EXPECT_EQ(c->flags, kMatEnvMapping);
    ASSERT_NE(c->envTexture, nullptr);
    EXPECT_EQ(c->envTexture->envMode, GLenum(GL_REPLACE));
    const Objet3D* o = m.objects.head;
    EXPECT_EQ(o->normalMode, kNormalsVertex);
    EXPECT_FLOAT_EQ(o->vertexNormals[2], -1);
}

TEST_F(ModelTest, UnknownMaterialNameGetsTheDefaultMaterial)
{
    Model3doFile f;
    f.objects = {Triangle("orphan", "nowhere"), Triangle("ok", "m")};
    f.materials = {FlatColour("m", 1, 1, 1)};
    WriteModel(dir.file("o.3do"), f);
    // A material of that name in another model is not borrowed: this model
    // holds no reference to it.
    Model3doFile other;
    other.objects = {Triangle("x", "nowhere")};
    other.materials = {FlatColour("nowhere", 0, 0, 1)};
    WriteModel(dir.file("other.3do"), other);
    Model3D keeper, m;
    ASSERT_TRUE(keeper.Load("other.3do"));
    ASSERT_TRUE(m.Load("o.3do"));
    keeper.Free();
    Objet3D* orphan = m.FindObject("orphan");
    ASSERT_NE(orphan->material, nullptr);
    EXPECT_EQ(orphan->material, DefaultMaterial());
    EXPECT_EQ(orphan->normalMode, kNormalsVertex);  // the default is lit and smooth
    EXPECT_EQ(m.FindObject("ok")->material, FindMaterial("m"));
}

TEST_F(ModelTest, MissingFileAndMissingTextureFailWithTheirMessages)
{
    Model3D m;
    std::string err = CaptureStderr([&] { EXPECT_FALSE(m.Load("absent.3do")); });
    EXPECT_EQ(err, "Couldn't load Objet3D " + dir.path() + "/absent.3do\n");

    Model3doMaterial t = FlatColour("textured", 1, 1, 1);
    t.texture = "missing.png";
    Model3doFile f;
    f.objects = {Triangle("a", "textured"), Triangle("b", "plain")};
    f.materials = {FlatColour("plain", 1, 1, 1), t};
    WriteModel(dir.file("t.3do"), f);
    err = CaptureStderr([&] { EXPECT_FALSE(m.Load("t.3do")); });
    EXPECT_EQ(err, "Couldn't load texture " + dir.path() + "/missing.png\n");
    // Nothing half-loaded stays behind.
    EXPECT_EQ(m.objects.count, 0);
    EXPECT_EQ(m.materials.count, 0);
    EXPECT_EQ(m.totalFaces, 0);
    EXPECT_TRUE(m.name.empty());
    EXPECT_EQ(FindMaterial("textured"), nullptr);
    EXPECT_EQ(FindMaterial("plain"), nullptr);
}

TEST_F(ModelTest, DamagedFilesFailCleanlyAndLeaveTheModelEmpty)
{
    Model3doFile f;
    f.objects = {SquareObject("sq", "m", 0, 0, 1, 1, 0)};
    f.materials = {FlatColour("m", 1, 1, 1)};
    std::string bytes, error;
    ASSERT_TRUE(Encode3do(f, bytes, error));

    std::string badIndex = bytes;
    badIndex[k3doHeaderSize + 168 + 20 * 4 + 4] = 4;  // second corner of the first face → 4 of 4
    std::string nan = bytes;
    const float q = std::nanf("");
    std::memcpy(&nan[k3doHeaderSize + 168 + 4], &q, 4);
    std::string negative = bytes;
    std::memset(&negative[k3doHeaderSize + 160], 0xFF, 4);
    const std::pair<const char*, std::string> cases[] = {
        {"truncated.3do", bytes.substr(0, bytes.size() - 1)},
        {"header.3do", bytes.substr(0, 5)},
        {"index.3do", badIndex},
        {"nan.3do", nan},
        {"negative.3do", negative},
    };
    WriteTestFile(dir.file("ok.3do"), bytes);
    for (const auto& c : cases) {
        WriteTestFile(dir.file(c.first), c.second);
        Model3D m;
        ASSERT_TRUE(m.Load("ok.3do"));  // a model that held something loses it
        std::string err = CaptureStderr([&] { EXPECT_FALSE(m.Load(c.first)) << c.first; });
        EXPECT_EQ(err.rfind("Couldn't load Objet3D " + dir.path() + "/" + c.first, 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(m.objects.count, 0);
        EXPECT_EQ(m.materials.count, 0);
    }
}

TEST_F(ModelTest, LoadReplacesWhatTheModelHeld)
{
    Model3doFile f;
    f.objects = {Triangle("a", "m")};
    f.materials = {FlatColour("m", 1, 1, 1)};
    WriteModel(dir.file("a.3do"), f);
    WriteTestFile(dir.file("bad.3do"), "3DO");
    Model3D m;
    ASSERT_TRUE(m.Load("a.3do"));
    ASSERT_TRUE(m.Load("a.3do"));
    EXPECT_EQ(m.objects.count, 1);
    EXPECT_EQ(FindMaterial("m")->refCount, 1);
    CaptureStderr([&] { EXPECT_FALSE(m.Load("bad.3do")); });
    EXPECT_EQ(m.objects.count, 0);
    EXPECT_EQ(FindMaterial("m"), nullptr);
}

TEST_F(ModelTest, CopyFromIsIndependentAndSharesMaterials)
{
    Model3doFile f;
    f.objects = {SquareObject("body", "m", 0, 0, 1, 1, 0), Triangle("wheel", "m")};
    Model3doMaterial lit = FlatColour("m", 1, 1, 1);
    lit.lighting = 0;
    f.materials = {lit};
    WriteModel(dir.file("car.3do"), f);
    Model3D src, copy;
    ASSERT_TRUE(src.Load("car.3do"));
    ASSERT_TRUE(copy.CopyFrom(src));
    EXPECT_EQ(copy.morphSource, &src);
    ASSERT_EQ(copy.objects.count, 2);
    EXPECT_EQ(copy.objects.head->name, src.objects.head->name);
    EXPECT_EQ(copy.objects.head->next->name, "body");
    EXPECT_EQ(FindMaterial("m")->refCount, 2);
    const Objet3D* s = src.FindObject("body");
    Objet3D* c = copy.FindObject("body");
    EXPECT_EQ(c->points, s->points);
    EXPECT_EQ(c->vertexNormals, s->vertexNormals);
    EXPECT_EQ(c->faces, s->faces);
    EXPECT_EQ(c->material, s->material);
    EXPECT_EQ(c->normalMode, kNormalsVertex);
    c->points[0] = 42;
    EXPECT_NE(s->points[0], 42);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(copy.bboxMin[i], src.bboxMin[i]);
        EXPECT_EQ(copy.bboxMax[i], src.bboxMax[i]);
    }
    src.Free();
    EXPECT_EQ(FindMaterial("m")->refCount, 1);
}

TEST_F(ModelTest, BoundingBoxAndTransform)
{
    Model3doFile f;
    f.objects = {SquareObject("a", "m", -1, -2, 1, 2, -3), SquareObject("b", "m", 4, 0, 5, 1, 6)};
    f.materials = {FlatColour("m", 1, 1, 1)};
    WriteModel(dir.file("box.3do"), f);
    Model3D m;
    ASSERT_TRUE(m.Load("box.3do"));
    float mn[3], mx[3];
    m.ComputeBoundingBox(mn, mx);
    EXPECT_FLOAT_EQ(mn[0], -1);
    EXPECT_FLOAT_EQ(mn[1], -2);
    EXPECT_FLOAT_EQ(mn[2], -3);
    EXPECT_FLOAT_EQ(mx[0], 5);
    EXPECT_FLOAT_EQ(mx[1], 2);
    EXPECT_FLOAT_EQ(mx[2], 6);
    const float offset[3] = {-1, -2, -3}, scale[3] = {0.05f, 0.5f, 2};
    m.Transform(offset, scale);
    m.ComputeBoundingBox(mn, mx);
    EXPECT_FLOAT_EQ(mn[0], 0);
    EXPECT_FLOAT_EQ(mx[0], 0.3f);
    EXPECT_FLOAT_EQ(mx[1], 2);
    EXPECT_FLOAT_EQ(mx[2], 18);

    // An object without points has the empty box; a model without objects
    // keeps the box it had.
    Objet3D empty;
    empty.BoundingBox(mn, mx);
    EXPECT_EQ(mn[0], 1000000.0f);
    EXPECT_EQ(mx[0], -1000000.0f);
    Model3D none;
    none.bboxMin[0] = 7;
    none.ComputeBoundingBox();
    EXPECT_EQ(none.bboxMin[0], 7);
}

// The straightforward points × faces definition, to check the indexed one.
std::vector<float> ReferenceVertexNormals(const Objet3D& o)
{
    std::vector<float> fn(3 * o.faceCount), out(3 * o.pointCount);
    for (uint32_t f = 0; f < o.faceCount; ++f) {
        const float* p0 = &o.points[3 * o.faces[3 * f]];
        const float* p1 = &o.points[3 * o.faces[3 * f + 1]];
        const float* p2 = &o.points[3 * o.faces[3 * f + 2]];
        float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        float b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int i = 0; i < 3; ++i)
            fn[3 * f + i] = len != 0 ? n[i] / len : n[i];
    }
    for (uint32_t p = 0; p < o.pointCount; ++p) {
        float s[3] = {0, 0, 0};
        for (uint32_t f = 0; f < o.faceCount; ++f) {
            bool touches = false;
            for (int k = 0; k < 3 && !touches; ++k) {
                const float* q = &o.points[3 * o.faces[3 * f + k]];
                touches = std::fabs(q[0] - o.points[3 * p]) <= 0.000001f &&
                          std::fabs(q[1] - o.points[3 * p + 1]) <= 0.000001f &&
                          std::fabs(q[2] - o.points[3 * p + 2]) <= 0.000001f;
            }
            if (touches)
                for (int i = 0; i < 3; ++i)
                    s[i] += fn[3 * f + i];
        }
        float len = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
        for (int i = 0; i < 3; ++i)
            out[3 * p + i] = -(len != 0 ? s[i] / len : s[i]);
    }
    return out;
}

TEST(VertexNormals, SharedPositionsShareOneNormal)
{
    // Two triangles meeting at a right angle along the z axis, with their
    // corners duplicated as a mesh exporter writes them.
    Objet3D o;
    ASSERT_TRUE(o.Allocate(6, 2));
    const float pts[18] = {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(o.points.data(), pts, sizeof pts);
    o.faces = {0, 1, 2, 3, 4, 5};
    ASSERT_TRUE(o.ComputeVertexNormals());
    // The shared corners (0, 0, 0) and (0, 0, 1) get the average of both faces.
    EXPECT_EQ(std::vector<float>(o.vertexNormals.begin(), o.vertexNormals.begin() + 3),
              std::vector<float>(o.vertexNormals.begin() + 9, o.vertexNormals.begin() + 12));
    const float h = std::sqrt(0.5f);
    EXPECT_NEAR(std::fabs(o.vertexNormals[0]), h, 1e-6);
    EXPECT_NEAR(std::fabs(o.vertexNormals[1]), h, 1e-6);
    EXPECT_NEAR(o.vertexNormals[2], 0, 1e-6);
    // Corners used by one face only keep that face's normal.
    EXPECT_NEAR(std::fabs(o.vertexNormals[7]), 1, 1e-6);
    EXPECT_EQ(o.vertexNormals, ReferenceVertexNormals(o));
}

TEST(VertexNormals, AgreeWithThePointsTimesFacesDefinition)
{
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> coord(-3, 3);
    for (int round = 0; round < 20; ++round) {
        Objet3D o;
        const uint32_t points = 60, faces = 90;
        ASSERT_TRUE(o.Allocate(points, faces));
        for (float& v : o.points)  // a coarse grid: many points coincide
            v = coord(rng) * 0.5f + (rng() % 4 == 0 ? 0.0000005f : 0.0f);
        for (uint32_t& i : o.faces)
            i = rng() % points;
        ASSERT_TRUE(o.ComputeVertexNormals());
        EXPECT_EQ(o.vertexNormals, ReferenceVertexNormals(o)) << "round " << round;
    }
}

}  // namespace
