// Drawing, read back from the frame buffer.
#include "engine/draw3d.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "glwindow.h"

#include <cmath>

namespace {

// An orthographic view of x in [−2, 2], y in [−1.5, 1.5]: one unit is 40
// pixels, pixel (x, y) from the top left is at (x / 40 − 2, 1.5 − y / 40).
class Drawing : public GLWindowTest {
protected:
    void SetUp() override
    {
        GLWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -1.5, 1.5, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void Load(Model3D& m, const char* name, std::vector<Model3doObject> objects,
              std::vector<Model3doMaterial> materials)
    {
        LoadModel(m, name, ModelFile(std::move(objects), std::move(materials)));
    }

    // Each (x, y) of the picture is near its colour.
    void ExpectColours(const std::vector<std::pair<std::pair<int, int>, Rgb>>& points, int tolerance = 3)
    {
        const Picture p = ReadPicture();
        for (const auto& [at, colour] : points)
            EXPECT_TRUE(Near(p.At(at.first, at.second), colour, tolerance))
                << "at " << at.first << "," << at.second << ": " << p.At(at.first, at.second) << " not " << colour;
    }

    void LightFromTheViewer()
    {
        const float pos[4] = {0, 0, 1, 0}, white[4] = {1, 1, 1, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, pos);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glEnable(GL_LIGHT0);
    }
};

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0};

bool DepthWrites()
{
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    return mask;
}

bool NoClientArrayEnabled()
{
    return !glIsEnabled(GL_VERTEX_ARRAY) && !glIsEnabled(GL_NORMAL_ARRAY) && !glIsEnabled(GL_TEXTURE_COORD_ARRAY) &&
           !glIsEnabled(GL_COLOR_ARRAY);
}

// The OpenGL state a hidden object must leave alone.
std::vector<float> GLStateNow()
{
    std::vector<float> s;
    for (GLenum cap : {GL_BLEND, GL_TEXTURE_2D, GL_LIGHTING, GL_CULL_FACE, GL_DEPTH_TEST, GL_ALPHA_TEST, GL_NORMALIZE,
                       GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY})
        s.push_back(glIsEnabled(cap));
    for (GLenum name : {GL_TEXTURE_BINDING_2D, GL_SHADE_MODEL, GL_LIGHT_MODEL_TWO_SIDE, GL_BLEND_SRC, GL_BLEND_DST,
                        GL_DEPTH_WRITEMASK}) {
        GLint v = 0;
        glGetIntegerv(name, &v);
        s.push_back(float(v));
    }
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    s.insert(s.end(), colour, colour + 4);
    return s;
}

TEST_F(Drawing, TheOpaqueAndGeometryPassesDrawWhereTheyShouldAndHiddenObjectsNothing)
{
    Model3D m;
    Load(m, "two.3do",
         {SquareObject("left", "red", -1.5f, -0.5f, -0.5f, 0.5f, 0),
          SquareObject("right", "green", 0.5f, -0.5f, 1.5f, 0.5f, 0)},
         {FlatColour("red", 1, 0, 0), FlatColour("green", 0, 1, 0)});
    m.FindObject("right")->visible = 0;
    DrawModel(&m);
    // The red square covers pixels 20 to 59 across and 40 to 79 down.
    ExpectColours({{{40, 60}, kRed},
                   {{21, 41}, kRed},
                   {{58, 78}, kRed},
                   {{17, 60}, kBlack},
                   {{62, 60}, kBlack},
                   {{40, 37}, kBlack},
                   {{120, 60}, kBlack}});
    // Drawing the hidden one alone touches neither pixels nor state.
    const Picture before = ReadPicture();
    glEnable(GL_BLEND);
    glColor4f(0.25f, 0.5f, 0.75f, 1);
    const std::vector<float> state = GLStateNow();
    DrawObject(m.FindObject("right"));
    DrawObjectMenu(m.FindObject("right"));
    EXPECT_EQ(GLStateNow(), state);
    EXPECT_EQ(ReadPicture().rgb, before.rgb);
    EXPECT_TRUE(context.CheckError());

    // The geometry pass: the current colour only, hidden objects skipped.
    glDisable(GL_BLEND);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor4f(0, 0.5f, 1, 1);
    DrawModelGeometry(&m);
    ExpectColours({{{40, 60}, Rgb{0, 128, 255}}, {{120, 60}, kBlack}}, 2);
    EXPECT_TRUE(NoClientArrayEnabled());
}

TEST_F(Drawing, TransparentObjectsComeAfterOpaqueOnesAndTheAdditiveModeWritesNoDepth)
{
    // The transparent square is read last, so it heads the list; with depth
    // writes on (mode 5), drawing it first would hide the red one behind it.
    Model3doMaterial blue = FlatColour("blue", 0, 0, 1), fire = FlatColour("fire", 1, 0, 0);
    blue.transparency = fire.transparency = 0.5f;
    Model3D m, flame, behind;
    Load(m, "glass.3do",
         {SquareObject("back", "red", -1, -1, 1, 1, 0), SquareObject("front", "blue", -0.5f, -0.5f, 1.5f, 0.5f, 1)},
         {FlatColour("red", 1, 0, 0), blue});
    ASSERT_EQ(m.objects.head->name, "front");
    ASSERT_EQ(FindMaterial("blue")->transparencyMode, 5);
    DrawModel(&m);
    ExpectColours({{{90, 60}, Rgb{128, 0, 128}}, {{135, 60}, Rgb{0, 0, 128}}, {{50, 60}, kRed}}, 4);
    EXPECT_TRUE(!glIsEnabled(GL_BLEND) && DepthWrites() && NoClientArrayEnabled());

    Load(flame, "fire.3do", {SquareObject("flame", "fire", -1, -1, 1, 1, 0)}, {fire});
    Load(behind, "behind.3do", {SquareObject("behind", "deep", -1, -1, 1, 1, -1)}, {FlatColour("deep", 0, 0, 1)});
    Material* mat = FindMaterial("fire");
    mat->transparencyMode = 2;
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyMaterial(mat);
    GLint blend[2];
    glGetIntegerv(GL_BLEND_SRC, &blend[0]);
    glGetIntegerv(GL_BLEND_DST, &blend[1]);
    EXPECT_EQ(std::make_tuple(DepthWrites(), blend[0], blend[1]),
              std::make_tuple(false, GLint(GL_SRC_ALPHA), GLint(GL_ONE)));
    EndMaterial(mat);
    EXPECT_TRUE(DepthWrites());
    DrawObject(flame.objects.head);
    ExpectColours({{{80, 60}, Rgb{128, 255, 0}}}, 4);
    DrawModel(&behind);  // no depth was written: it still shows through
    ExpectColours({{{80, 60}, Rgb{0, 0, 255}}});
}

TEST_F(Drawing, TwoSidedAndLightedMaterialsDrawAsTheirFlagsSay)
{
    Model3doMaterial both = FlatColour("both", 1, 1, 0), flat = FlatColour("flat", 1, 1, 1),
                     smooth = FlatColour("smooth", 1, 1, 1);
    both.sides = 1;
    flat.lighting = smooth.lighting = 0;
    flat.shading = 1;
    smooth.diffuse[0] = smooth.diffuse[1] = smooth.diffuse[2] = 1;
    // Written the wrong way round: its front faces away from the viewer.
    Model3doObject back = SquareObject("back", "both", -1, -1, 1, 1, 0);
    back.faces = {0, 2, 1, 2, 3, 1};
    Model3D m, lit;
    Load(m, "both.3do", {back}, {both});
    DrawModel(&m);
    ExpectColours({{{80, 60}, Rgb{255, 255, 0}}});
    GLint twoSide = 1;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    EXPECT_EQ(twoSide, 0);
    // One-sided, the same square is culled.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    FindMaterial("both")->flags &= ~kMatTwoSided;
    DrawModel(&m);
    ExpectColours({{{80, 60}, kBlack}});

    // Lighted flat objects are not drawn; smooth ones facing the light are lit full.
    Load(lit, "lit.3do",
         {SquareObject("flat", "flat", -1.5f, -0.5f, -0.5f, 0.5f, 0),
          SquareObject("smooth", "smooth", 0.5f, -0.5f, 1.5f, 0.5f, 0)},
         {flat, smooth});
    ASSERT_EQ(lit.FindObject("flat")->normalMode, kNormalsFace);
    ASSERT_EQ(lit.FindObject("smooth")->normalMode, kNormalsVertex);
    LightFromTheViewer();
    DrawModel(&lit);
    ExpectColours({{{40, 60}, kBlack}, {{120, 60}, Rgb{255, 255, 255}}}, 6);
}

TEST_F(Drawing, TheQuadsFollowStripOrderAndLeaveNoArrayEnabled)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    glColor4f(0, 1, 1, 1);
    const float xyz[12] = {0.75f, 1, 0, 1.75f, 1, 0, 0.75f, 0, 0, 1.75f, 0, 0};
    const float normals[12] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    DrawQuad3DTexNormal(xyz, normals, uv);
    EXPECT_TRUE(NoClientArrayEnabled());
    const float rgba[16] = {1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1};
    const float xyz2[12] = {-1.75f, -0.5f, 0, -0.75f, -0.5f, 0, -1.75f, -1.25f, 0, -0.75f, -1.25f, 0};
    DrawQuad3DTexColor(xyz2, rgba, uv);
    EXPECT_TRUE(NoClientArrayEnabled());
    Begin2D();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 0, 0, 1);
    const float xy[8] = {10, 10, 50, 10, 10, 30, 50, 30};
    DrawQuad2D(xy);
    EXPECT_TRUE(NoClientArrayEnabled());
    const float xy2[8] = {60, 10, 100, 10, 60, 50, 100, 50};
    const float colours[16] = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1};
    glShadeModel(GL_SMOOTH);  // the context starts flat: one colour per triangle
    DrawQuad2DTexColor(xy2, uv, colours);
    EXPECT_TRUE(NoClientArrayEnabled());
    End2D();
    ExpectColours({{{30, 20}, kRed}, {{30, 35}, kBlack}, {{130, 40}, Rgb{0, 255, 255}}, {{30, 95}, Rgb{255, 255, 0}}});
    // Corner colours: top left red, top right green, bottom left blue.
    const Picture p = ReadPicture();
    EXPECT_TRUE(p.At(61, 11).r > 230 && p.At(98, 11).g > 230 && p.At(61, 48).b > 230)
        << p.At(61, 11) << p.At(98, 11) << p.At(61, 48);
    EXPECT_TRUE(context.CheckError());
}

// A lit square moved by moveBy in the target, and one that stays; the
// moving one may be a triangle instead (another shape).
std::vector<Model3doObject> MorphObjects(float moveBy, bool triangle = false)
{
    Model3doObject moving = SquareObject("moving", "lit", -1 + moveBy, -1, 0 + moveBy, 0, 0);
    if (triangle) {
        moving.points.resize(9);
        moving.uvs.resize(6);
        moving.faces = {0, 1, 2};
    }
    return {moving, SquareObject("still", "lit", 0.5f, 0.5f, 1.5f, 1.5f, 0)};
}

TEST_F(Drawing, MorphGoesFromSourceToTargetObjectByObjectWhereTheShapesAgree)
{
    Model3doMaterial lit = FlatColour("lit", 1, 1, 1);
    lit.lighting = 0;
    Model3D a, b, other, one, inst;
    Load(a, "a.3do", MorphObjects(0), {lit});
    Load(b, "b.3do", MorphObjects(1), {lit});
    std::vector<Model3doObject> single = MorphObjects(1);
    single.pop_back();
    Load(other, "other.3do", MorphObjects(1, true), {lit});
    Load(one, "one.3do", single, {lit});
    for (float& n : b.FindObject("moving")->vertexNormals)  // the normals blend too
        n = 0.5f;
    ASSERT_TRUE(inst.CopyFrom(a));
    SetMorph(&inst, &a, &b);
    Objet3D *moving = inst.FindObject("moving"), *still = inst.FindObject("still");
    EXPECT_EQ(std::make_tuple(inst.morphSource, inst.morphTarget, moving->morphable, still->morphable),
              std::make_tuple(&a, &b, 1, 0));
    Morph(&inst, 1);
    EXPECT_EQ(moving->points, b.FindObject("moving")->points);
    EXPECT_EQ(moving->vertexNormals, b.FindObject("moving")->vertexNormals);
    EXPECT_EQ(still->points, a.FindObject("still")->points);
    Morph(&inst, 0);
    EXPECT_EQ(moving->points, a.FindObject("moving")->points);
    EXPECT_EQ(moving->vertexNormals, a.FindObject("moving")->vertexNormals);
    Morph(&inst, 0.5f);
    EXPECT_FLOAT_EQ(moving->points[0], a.FindObject("moving")->points[0] + 0.5f);
    EXPECT_FLOAT_EQ(moving->points[1], a.FindObject("moving")->points[1]);
    // Drawn half way, the moving square spans x −0.5 to 0.5.
    LightFromTheViewer();
    DrawModel(&inst);
    EXPECT_GT(ReadPicture().At(70, 80).r, 100);  // x −0.25, y −0.5
    EXPECT_EQ(ReadPicture().At(50, 80).r, 0);    // x −0.75: left behind

    // An object of another shape stays as it is; the others still morph.
    Model3D shaped;
    ASSERT_TRUE(shaped.CopyFrom(a));
    other.FindObject("still")->points[0] += 0.25f;
    SetMorph(&shaped, &a, &other);
    EXPECT_EQ(std::make_pair(shaped.FindObject("moving")->morphable, shaped.FindObject("still")->morphable),
              std::make_pair(0, 1));
    Morph(&shaped, 1);
    EXPECT_EQ(std::make_pair(shaped.FindObject("moving")->points, shaped.FindObject("moving")->pointCount),
              std::make_pair(a.FindObject("moving")->points, 4u));
    EXPECT_EQ(shaped.FindObject("still")->points, other.FindObject("still")->points);
    DrawModel(&shaped);

    // Models of different object counts: SetMorph does nothing.
    Model3D fresh;
    ASSERT_TRUE(fresh.CopyFrom(a));
    fresh.morphSource = nullptr;
    SetMorph(&fresh, &a, &one);
    EXPECT_TRUE(fresh.morphSource == nullptr && fresh.morphTarget == nullptr);
    const std::vector<float> before = fresh.FindObject("moving")->points;
    Morph(&fresh, 1);
    EXPECT_EQ(fresh.FindObject("moving")->points, before);
    SetMorph(&one, &a, &a);
    EXPECT_EQ(one.morphTarget, nullptr);
}

TEST_F(Drawing, EnvironmentCoordinatesComeFromNormalsAndTheMatrix)
{
    WriteTestPng(dir.file("chrome.png"), 8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 60));
    Model3doMaterial chrome = FlatColour("chrome", 1, 1, 1);
    chrome.envTexture = "chrome.png";
    Model3D m, plain;
    Load(m, "env.3do", {SquareObject("logo", "chrome", -1, -1, 1, 1, 0)}, {chrome});
    Load(plain, "plain.3do", {SquareObject("plain", "red", -1, -1, 1, 1, 0)}, {FlatColour("red", 1, 0, 0)});
    Objet3D* o = m.objects.head;
    ASSERT_EQ(o->normalMode, kNormalsVertex);
    o->vertexNormals = {0.6f, 0.8f, 0, 0, 0, 1, -1, 0, 0, 0, -1, 0};
    const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ComputeEnvMapCoords(o, identity);
    const float expected[8] = {0.8f, 0.1f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 1.0f};
    for (int i : {0, 1, 2, 3, 4, 7})
        EXPECT_FLOAT_EQ(o->texCoords[size_t(i)], expected[i]) << i;
    // A quarter turn about z swaps the roles of x and y.
    const double turn[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ComputeEnvMapCoords(o, turn);
    EXPECT_FLOAT_EQ(o->texCoords[0], 0.5f + 0.5f * -0.8f);
    EXPECT_FLOAT_EQ(o->texCoords[1], 0.5f - 0.5f * 0.6f);
    // Only env-mapped objects are touched.
    const std::vector<float> uv = plain.objects.head->texCoords;
    ComputeEnvMapCoords(plain.objects.head, identity);
    EXPECT_EQ(plain.objects.head->texCoords, uv);
}

}  // namespace
