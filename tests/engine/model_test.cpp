// Models through the engine's loader.
#include "engine/draw3d.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "fuzz.h"
#include "glwindow.h"

#include <cmath>
#include <cstring>
#include <random>

namespace {

class Models : public GLWindowTest {
protected:
    void TearDown() override
    {
        m.Free();
        EXPECT_EQ(MaterialList().count, materialsBefore) << "every reference taken is given back";
        GLWindowTest::TearDown();
    }

    int materialsBefore = MaterialList().count;
    Model3D m;
};

// (0, 0, 0), (1, 0, 0), (0, 1, 0): clockwise seen from −z.
Model3doObject Triangle(const std::string& name, const std::string& material, float x0 = 0)
{
    const float p[3][3] = {{x0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    Model3doObject o{name, material, {}, {0, 0, 1, 0, 0, 1}, {0, 1, 2}};
    for (const auto& c : p)
        for (int axis = 0; axis < 3; ++axis)
            o.points.push_back(Precompensate3doCoordinate(c[axis], axis));
    return o;
}

TEST_F(Models, LoadKeepsObjectsInReverseFileOrderOnTheGridAndFindsTheLastOfTwoNames)
{
    LoadModel(m, "four.3do",
              ModelFile({SquareObject("first", "red", -1, -1, 1, 1, -2), Triangle("RoueAvD", "red"),
                         Triangle("RoueArG", "red"), Triangle("RoueAvD", "red", 0.5f)},
                        {FlatColour("red", 1, 0, 0)}));
    EXPECT_EQ(std::make_tuple(m.name, m.totalPoints, m.totalFaces, m.objects.count),
              std::make_tuple(std::string("four.3do"), 13, 5, 4));
    EXPECT_EQ(m.objects.head->next->next->name, "RoueAvD");
    const Objet3D* sq = m.objects.At(3);
    EXPECT_EQ(std::make_tuple(sq->name, sq->materialName, sq->pointCount, sq->faceCount, sq->visible),
              std::make_tuple(std::string("first"), std::string("red"), 4u, 2u, 1));
    // Snapped back onto the grid the writer compensated for.
    EXPECT_EQ(sq->points, (std::vector<float>{-1, 1, -2, 1, 1, -2, -1, -1, -2, 1, -1, -2}));
    EXPECT_EQ(sq->texCoords, (std::vector<float>{0, 0, 1, 0, 0, 1, 1, 1}));
    EXPECT_EQ(sq->faces, (std::vector<uint32_t>{0, 1, 2, 2, 1, 3}));
    ASSERT_NE(sq->material, nullptr);
    EXPECT_EQ(std::make_pair(sq->material->name, sq->material->ambient[0]), std::make_pair(std::string("red"), 1.0f));
    // Of two equal names the last read is found.
    const Objet3D* last = m.FindObject("RoueAvD");
    ASSERT_EQ(last, m.objects.head);
    EXPECT_EQ(last->points[0], 0.5f);
    EXPECT_NE(m.FindObject("RoueArG"), nullptr);
    for (const char* absent : {"roueavd", "RoueAv", static_cast<const char*>(nullptr)})
        EXPECT_EQ(m.FindObject(absent), nullptr) << "exact and case-sensitive";
}

TEST_F(Models, AKnownMaterialTakesNothingFromASecondFile)
{
    Model3doMaterial green = FlatColour("shared", 0, 1, 0);
    green.transparency = 0.5f;
    green.texture = "absent.png";  // never looked at: the material is known
    green.lighting = 0;
    Model3D b;
    LoadModel(m, "first.3do", ModelFile({Triangle("a", "shared")}, {FlatColour("shared", 1, 0, 0)}));
    LoadModel(b, "second.3do", ModelFile({Triangle("b", "shared")}, {green}));
    Material* shared = FindMaterial("shared");
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(std::make_tuple(m.objects.head->material, b.objects.head->material, shared->refCount),
              std::make_tuple(shared, shared, 2));
    // Unlit, opaque, one-sided, untextured, red: the first file's.
    EXPECT_EQ(std::make_tuple(shared->ambient[0], shared->ambient[1], shared->flags, shared->texture),
              std::make_tuple(1.0f, 0.0f, int32_t(kMatSmooth), static_cast<GLTexture*>(nullptr)));
    m.Free();
    EXPECT_EQ(std::make_pair(FindMaterial("shared"), shared->refCount), std::make_pair(shared, 1));
    b.Free();
    EXPECT_EQ(FindMaterial("shared"), nullptr);
}

TEST_F(Models, MaterialFlagsTexturesAndNormalsFollowTheRecord)
{
    WriteTestPng(dir.file("wood_01.png"), 8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 120));
    WriteTestPng(dir.file("glass.png"), 8, 8, 4, std::vector<uint8_t>(8 * 8 * 4, 200));
    WriteTestPng(dir.file("chrome.png"), 8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 60));
    auto material = [](const char* name, float transparency, int lighting, int shading, int sides, const char* texture,
                       const char* env) {
        return Model3doMaterial{name,    {1, 1, 1}, {1, 1, 1}, {0, 0, 0}, transparency,
                                shading, lighting,  sides,     texture,   env};
    };
    const struct {
        Model3doMaterial in;
        int32_t flags, mode;
        float transparency;
        int normals;
        GLenum texEnv, envEnv;  // 0: no such texture
    } cases[] = {
        {material("almost", 0.9999f, 1, 0, 0, "", ""), kMatTransparency | kMatSmooth, 5, 0.9999f, 0, 0, 0},
        {material("opaque", 1.0f, 1, 0, 0, "", ""), kMatSmooth, 1, 1.0f, 0, 0, 0},
        {material("lit", 1.0f, 0, 1, 1, "", ""), kMatLighted | kMatTwoSided, 1, 1.0f, kNormalsFace, 0, 0},
        // Texture names are looked up in lower case; unlit textures replace.
        {material("wood", 1.0f, 1, 0, 0, "WoOD_01.PNG", ""), kMatSmooth | kMatMapping, 1, 1.0f, 0, GL_REPLACE, 0},
        // A texture's alpha replaces the material's; flat stays flat.
        {material("glass", 0.25f, 0, 1, 0, "GLASS.png", ""), kMatLighted | kMatMapping | kMatTransparency, 5, 1.0f,
         kNormalsFace, GL_MODULATE, 0},
        // Env-mapping needs vertex normals, even flat.
        {material("chrome", 1.0f, 1, 1, 0, "", "Chrome.png"), kMatEnvMapping, 1, 1.0f, kNormalsVertex, 0, GL_REPLACE},
    };
    Model3doFile f;
    for (const auto& c : cases) {
        f.objects.push_back(Triangle(c.in.name, c.in.name));
        f.materials.push_back(c.in);
    }
    LoadModel(m, "materials.3do", f);
    for (const auto& c : cases) {
        const Material* mat = FindMaterial(c.in.name.c_str());
        const Objet3D* o = m.FindObject(c.in.name.c_str());
        ASSERT_TRUE(mat && o) << c.in.name;
        const GLTexture *tex = mat->texture, *env = mat->envTexture;
        EXPECT_EQ(std::make_tuple(mat->flags, mat->transparencyMode, o->normalMode, tex ? tex->envMode : 0,
                                  env ? env->envMode : 0, !tex || tex->HasGLName()),
                  std::make_tuple(c.flags, c.mode, c.normals, c.texEnv, c.envEnv, true))
            << c.in.name;
        EXPECT_FLOAT_EQ(mat->transparency, c.transparency) << c.in.name;
    }
    EXPECT_EQ(FindMaterial("wood")->texture->fileName, dir.path() + "/wood_01.png");
    // The triangle turns clockwise seen from −z: its normals look that way.
    const std::vector<float>& n = m.FindObject("lit")->faceNormals;
    EXPECT_EQ(std::vector<float>(n.begin(), n.begin() + 3), (std::vector<float>{0, 0, -1}));
    EXPECT_FLOAT_EQ(m.FindObject("chrome")->vertexNormals[2], -1);

    // A material name no record of the file gives gets the default material
    // (lit and smooth), never one of that name from another model.
    Model3D other, orphan;
    LoadModel(other, "other.3do", ModelFile({Triangle("x", "nowhere")}, {FlatColour("nowhere", 0, 0, 1)}));
    LoadModel(orphan, "orphan.3do",
              ModelFile({Triangle("orphan", "nowhere"), Triangle("ok", "opaque")}, {cases[1].in}));
    other.Free();
    EXPECT_EQ(std::make_tuple(orphan.FindObject("orphan")->material, orphan.FindObject("orphan")->normalMode,
                              orphan.FindObject("ok")->material),
              std::make_tuple(DefaultMaterial(), int(kNormalsVertex), FindMaterial("opaque")));
}

TEST_F(Models, RefusedFilesSayWhyAndLeaveTheModelEmpty)
{
    Model3doMaterial textured = FlatColour("textured", 1, 1, 1);
    textured.texture = "missing.png";
    WriteModel("t.3do", ModelFile({Triangle("a", "textured"), Triangle("b", "plain")},
                                  {FlatColour("plain", 1, 1, 1), textured}));
    std::string bytes, error;
    ASSERT_TRUE(
        Encode3do(ModelFile({SquareObject("sq", "m", 0, 0, 1, 1, 0)}, {FlatColour("m", 1, 1, 1)}), bytes, error));
    WriteTestFile(dir.file("ok.3do"), bytes);
    const std::string prefix = "Couldn't load Objet3D " + dir.path() + "/";
    // Each way the decoder refuses a file is in Format3do's table.
    const struct {
        std::string file, content, message;  // no content: as it is; message: the whole of standard error
    } cases[] = {{"absent.3do", "", prefix + "absent.3do\n"},
                 {"t.3do", "", "Couldn't load texture " + dir.path() + "/missing.png\n"},
                 {"truncated.3do", bytes.substr(0, bytes.size() - 1), prefix + "truncated.3do : "},
                 {"bad.3do", "3DO", prefix + "bad.3do : "}};
    for (const auto& c : cases) {
        if (!c.content.empty())
            WriteTestFile(dir.file(c.file), c.content);
        ASSERT_TRUE(m.Load("ok.3do"));  // a model that held something loses it
        const std::string err = CaptureStderr([&] { EXPECT_FALSE(m.Load(c.file.c_str())) << c.file; });
        EXPECT_EQ(err.substr(0, c.message.size()), c.message);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(std::make_tuple(m.objects.count, m.materials.count, m.totalFaces, m.totalPoints, m.name),
                  std::make_tuple(0, 0, 0, 0, std::string()))
            << c.file;
        EXPECT_EQ(FindMaterial("m"), nullptr);
    }
    EXPECT_TRUE(FindMaterial("textured") == nullptr && FindMaterial("plain") == nullptr);
}

TEST_F(Models, DamagedCopiesLoadWholeOrNotAtAll)
{
    WriteTestPng(dir.file("t.png"), 8, 8, 4, std::vector<uint8_t>(8 * 8 * 4, 128));
    Model3doMaterial textured = FlatColour("fz_tex", 1, 1, 1), env = FlatColour("fz_env", 1, 1, 1);
    textured.texture = "t.png";
    textured.lighting = 0;
    env.envTexture = "T.PNG";
    std::string good, error;
    ASSERT_TRUE(
        Encode3do(ModelFile({SquareObject("a", "fz_tex", 0, 0, 1, 1, 0), SquareObject("b", "fz_env", 1, 1, 2, 2, 1),
                             SquareObject("c", "fz_none", -1, -1, 0, 0, 0)},
                            {textured, env, FlatColour("fz_flat", 0.5f, 0.5f, 0.5f)}),
                  good, error));
    int loaded = 0;
    ForEachDamagedCopy(good, 600, 2024, [&](const std::string& bytes, int round) {
        WriteTestFile(dir.file("f.3do"), bytes);
        bool ok = false;
        CaptureStderr([&] { ok = m.Load("f.3do"); });
        loaded += ok;
        for (const Objet3D* o = m.objects.head; o; o = o->next) {
            ASSERT_NE(o->material, nullptr);
            for (uint32_t i : o->faces)
                ASSERT_LT(i, o->pointCount);
        }
        ASSERT_TRUE(ok || (m.objects.count == 0 && m.materials.count == 0)) << "round " << round;
        DrawModel(&m);  // whatever loads can be drawn
        m.Free();
        ASSERT_EQ(MaterialList().count, materialsBefore) << "round " << round;
    });
    EXPECT_GT(loaded, 0);
    EXPECT_TRUE(context.CheckError());
}

TEST_F(Models, LoadReplacesWhatTheModelHeldACopyIsIndependentAndEmptyBoxesStayEmpty)
{
    Model3doMaterial lit = FlatColour("m", 1, 1, 1);
    lit.lighting = 0;
    Model3D copy;
    LoadModel(m, "car.3do", ModelFile({SquareObject("body", "m", 0, 0, 1, 1, 0), Triangle("wheel", "m")}, {lit}));
    ASSERT_TRUE(m.Load("car.3do"));
    EXPECT_EQ(std::make_tuple(m.objects.count, FindMaterial("m")->refCount), std::make_tuple(2, 1));
    ASSERT_TRUE(copy.CopyFrom(m));
    EXPECT_FALSE(copy.CopyFrom(copy));
    EXPECT_EQ(
        std::make_tuple(copy.morphSource, copy.objects.count, copy.objects.head->name, FindMaterial("m")->refCount),
        std::make_tuple(&m, 2, std::string("wheel"), 2));
    const Objet3D* s = m.FindObject("body");
    Objet3D* c = copy.FindObject("body");
    EXPECT_EQ(std::make_tuple(c->points, c->vertexNormals, c->faces, c->material, c->normalMode),
              std::make_tuple(s->points, s->vertexNormals, s->faces, s->material, int(kNormalsVertex)));
    c->points[0] = 42;
    EXPECT_NE(s->points[0], 42);
    EXPECT_TRUE(std::equal(copy.bboxMin, copy.bboxMin + 3, m.bboxMin) &&
                std::equal(copy.bboxMax, copy.bboxMax + 3, m.bboxMax));
    m.Free();
    EXPECT_EQ(FindMaterial("m")->refCount, 1);
    // An object without points has the empty box; a model without objects
    // keeps the box it had. (The scene's logo checks the boxes and Transform.)
    float mn[3], mx[3];
    Objet3D().BoundingBox(mn, mx);
    EXPECT_EQ(std::make_pair(mn[0], mx[0]), std::make_pair(1000000.0f, -1000000.0f));
    m.bboxMin[0] = 7;
    m.ComputeBoundingBox();
    EXPECT_EQ(m.bboxMin[0], 7);
}

// The straightforward points × faces definition, to check the indexed one:
// every face touching a point's position (within 1e-6) adds its normal.
std::vector<float> ReferenceVertexNormals(const Objet3D& o)
{
    std::vector<float> fn(3 * o.faceCount), out(3 * o.pointCount);
    auto at = [&](uint32_t f, int k) { return &o.points[3 * o.faces[3 * f + k]]; };
    for (uint32_t f = 0; f < o.faceCount; ++f) {
        const float *p0 = at(f, 0), *p1 = at(f, 1), *p2 = at(f, 2);
        const float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        const float b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        const float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int i = 0; i < 3; ++i)
            fn[3 * f + i] = len != 0 ? n[i] / len : n[i];
    }
    for (uint32_t p = 0; p < o.pointCount; ++p) {
        float s[3] = {0, 0, 0};
        for (uint32_t f = 0; f < o.faceCount; ++f) {
            bool touches = false;
            for (int k = 0; k < 3 && !touches; ++k) {
                const float* q = at(f, k);
                touches = std::fabs(q[0] - o.points[3 * p]) <= 0.000001f &&
                          std::fabs(q[1] - o.points[3 * p + 1]) <= 0.000001f &&
                          std::fabs(q[2] - o.points[3 * p + 2]) <= 0.000001f;
            }
            for (int i = 0; touches && i < 3; ++i)
                s[i] += fn[3 * f + i];
        }
        const float len = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
        for (int i = 0; i < 3; ++i)
            out[3 * p + i] = -(len != 0 ? s[i] / len : s[i]);
    }
    return out;
}

// Random points on a coarse grid (many coincide, some within the tolerance
// of each other) against the straightforward definition.
TEST(VertexNormals, SharedPositionsShareOneNormalAsThePointsTimesFacesDefinitionSays)
{
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> coord(-3, 3);
    for (int round = 0; round < 20; ++round) {
        Objet3D r;
        ASSERT_TRUE(r.Allocate(60, 90));
        for (float& v : r.points)  // a coarse grid: many coincide, some just either side of a search cell's edge
            v = coord(rng) * 0.5f + float(int(rng() % 5) - 2) * 0.00000025f;
        for (uint32_t& i : r.faces)
            i = rng() % 60;
        ASSERT_TRUE(r.ComputeVertexNormals());
        EXPECT_EQ(r.vertexNormals, ReferenceVertexNormals(r)) << "round " << round;
    }
}

}  // namespace
