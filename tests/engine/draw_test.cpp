#include "engine/draw3d.h"
#include "engine/glfont2d.h"
#include "gltest.h"

#include <GL/glu.h>

#include <cmath>

namespace {

// An orthographic view of x in [−2, 2], y in [−1.5, 1.5]: one unit is 40
// pixels, pixel (x, y) from the top left is at (x / 40 − 2, 1.5 − y / 40).
class DrawTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
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

    void Load(Model3D& m, const Model3doFile& f, const char* name)
    {
        WriteModel(dir.file(name), f);
        ASSERT_TRUE(m.Load(name));
    }

    Picture Read() { return Picture::Read(kWidth, kHeight); }
};

// The OpenGL state a hidden object must leave alone.
struct GLStateSnapshot {
    GLboolean caps[7];
    GLboolean arrays[4];
    GLint texture, shade, twoSide, blendSrc, blendDst;
    GLboolean depthMask;
    GLfloat colour[4];

    static GLStateSnapshot Take()
    {
        GLStateSnapshot s;
        const GLenum caps[7] = {GL_BLEND, GL_TEXTURE_2D, GL_LIGHTING, GL_CULL_FACE,
                                GL_DEPTH_TEST, GL_ALPHA_TEST, GL_NORMALIZE};
        for (int i = 0; i < 7; ++i)
            s.caps[i] = glIsEnabled(caps[i]);
        const GLenum arrays[4] = {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY};
        for (int i = 0; i < 4; ++i)
            s.arrays[i] = glIsEnabled(arrays[i]);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
        glGetIntegerv(GL_SHADE_MODEL, &s.shade);
        glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &s.twoSide);
        glGetIntegerv(GL_BLEND_SRC, &s.blendSrc);
        glGetIntegerv(GL_BLEND_DST, &s.blendDst);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depthMask);
        glGetFloatv(GL_CURRENT_COLOR, s.colour);
        return s;
    }

    bool operator==(const GLStateSnapshot& o) const
    {
        return std::equal(caps, caps + 7, o.caps) && std::equal(arrays, arrays + 4, o.arrays) &&
               texture == o.texture && shade == o.shade && twoSide == o.twoSide &&
               blendSrc == o.blendSrc && blendDst == o.blendDst && depthMask == o.depthMask &&
               std::equal(colour, colour + 4, o.colour);
    }
};

bool NoClientArrayEnabled()
{
    return !glIsEnabled(GL_VERTEX_ARRAY) && !glIsEnabled(GL_NORMAL_ARRAY) &&
           !glIsEnabled(GL_TEXTURE_COORD_ARRAY) && !glIsEnabled(GL_COLOR_ARRAY);
}

TEST_F(DrawTest, OpaquePassDrawsWhereItShouldAndAHiddenObjectChangesNothing)
{
    Model3doFile f;
    f.objects = {SquareObject("left", "red", -1.5f, -0.5f, -0.5f, 0.5f, 0),
                 SquareObject("right", "green", 0.5f, -0.5f, 1.5f, 0.5f, 0)};
    f.materials = {FlatColour("red", 1, 0, 0), FlatColour("green", 0, 1, 0)};
    Model3D m;
    Load(m, f, "two.3do");
    m.FindObject("right")->visible = 0;

    DrawModel(&m);
    Picture p = Read();
    p.Save("draw_opaque_hidden.png");
    // The red square covers pixels 20 to 59 across and 40 to 79 down.
    EXPECT_TRUE(Near(p.At(40, 60), Rgb{255, 0, 0})) << p.At(40, 60);
    EXPECT_TRUE(Near(p.At(21, 41), Rgb{255, 0, 0})) << p.At(21, 41);
    EXPECT_TRUE(Near(p.At(58, 78), Rgb{255, 0, 0})) << p.At(58, 78);
    EXPECT_TRUE(Near(p.At(17, 60), Rgb{0, 0, 0})) << p.At(17, 60);
    EXPECT_TRUE(Near(p.At(62, 60), Rgb{0, 0, 0})) << p.At(62, 60);
    EXPECT_TRUE(Near(p.At(40, 37), Rgb{0, 0, 0})) << p.At(40, 37);
    // The hidden green one drew nothing.
    EXPECT_TRUE(Near(p.At(120, 60), Rgb{0, 0, 0})) << p.At(120, 60);

    // Drawing it alone touches neither pixels nor state.
    glEnable(GL_BLEND);
    glColor4f(0.25f, 0.5f, 0.75f, 1);
    GLStateSnapshot before = GLStateSnapshot::Take();
    DrawObject(m.FindObject("right"));
    DrawObjectMenu(m.FindObject("right"));
    EXPECT_TRUE(GLStateSnapshot::Take() == before);
    EXPECT_EQ(Read().rgb, p.rgb);
    EXPECT_TRUE(context.CheckError());
}

TEST_F(DrawTest, TransparentObjectsComeAfterOpaqueOnes)
{
    // The transparent square is read last, so it heads the list; with depth
    // writes on (mode 5), drawing it first would hide the red one behind it.
    Model3doMaterial blue = FlatColour("blue", 0, 0, 1);
    blue.transparency = 0.5f;
    Model3doFile f;
    f.objects = {SquareObject("back", "red", -1, -1, 1, 1, 0),
                 SquareObject("front", "blue", -0.5f, -0.5f, 1.5f, 0.5f, 1)};
    f.materials = {FlatColour("red", 1, 0, 0), blue};
    Model3D m;
    Load(m, f, "glass.3do");
    ASSERT_EQ(m.objects.head->name, "front");
    ASSERT_EQ(FindMaterial("blue")->transparencyMode, 5);

    DrawModel(&m);
    Picture p = Read();
    p.Save("draw_transparent_after_opaque.png");
    EXPECT_TRUE(Near(p.At(90, 60), Rgb{128, 0, 128}, 4)) << p.At(90, 60);  // blue over red
    EXPECT_TRUE(Near(p.At(135, 60), Rgb{0, 0, 128}, 4)) << p.At(135, 60);  // blue over black
    EXPECT_TRUE(Near(p.At(50, 60), Rgb{255, 0, 0})) << p.At(50, 60);        // red alone
    // After the model, blending is off and depth writes are on again.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_TRUE(mask);
    EXPECT_TRUE(NoClientArrayEnabled());
}

TEST_F(DrawTest, AdditiveModeWritesNoDepthUntilEndMaterial)
{
    Model3doMaterial fire = FlatColour("fire", 1, 0, 0);
    fire.transparency = 0.5f;
    Model3doFile f;
    f.objects = {SquareObject("flame", "fire", -1, -1, 1, 1, 0)};
    f.materials = {fire};
    Model3D m;
    Load(m, f, "fire.3do");
    Material* mat = FindMaterial("fire");
    mat->transparencyMode = 2;

    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyMaterial(mat);
    GLboolean mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_FALSE(mask);
    GLint src, dst;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    EndMaterial(mat);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_TRUE(mask);

    DrawObject(m.objects.head);
    Picture p = Read();
    EXPECT_TRUE(Near(p.At(80, 60), Rgb{128, 255, 0}, 4)) << p.At(80, 60);
    // No depth was written: an opaque square behind it still shows through.
    Model3doFile g;
    g.objects = {SquareObject("behind", "blue", -1, -1, 1, 1, -1)};
    g.materials = {FlatColour("blue", 0, 0, 1)};
    Model3D behind;
    Load(behind, g, "behind.3do");
    DrawModel(&behind);
    EXPECT_TRUE(Near(Read().At(80, 60), Rgb{0, 0, 255})) << Read().At(80, 60);
}

TEST_F(DrawTest, TwoSidedMaterialsDrawBothSidesAndRestoreTheLightModel)
{
    Model3doMaterial both = FlatColour("both", 1, 1, 0);
    both.sides = 1;
    Model3doFile f;
    // Written the wrong way round: its front faces away from the viewer.
    Model3doObject back = SquareObject("back", "both", -1, -1, 1, 1, 0);
    back.faces = {0, 2, 1, 2, 3, 1};
    f.objects = {back};
    f.materials = {both};
    Model3D m;
    Load(m, f, "both.3do");
    DrawModel(&m);
    EXPECT_TRUE(Near(Read().At(80, 60), Rgb{255, 255, 0})) << Read().At(80, 60);
    GLint twoSide = 1;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    EXPECT_EQ(twoSide, 0);

    // One-sided, the same square is culled.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    FindMaterial("both")->flags &= ~kMatTwoSided;
    DrawModel(&m);
    EXPECT_TRUE(Near(Read().At(80, 60), Rgb{0, 0, 0})) << Read().At(80, 60);
}

TEST_F(DrawTest, LightedFlatObjectsAreNotDrawnButSmoothOnesAre)
{
    Model3doMaterial flat = FlatColour("flat", 1, 1, 1);
    flat.lighting = 0;
    flat.shading = 1;
    Model3doMaterial smooth = FlatColour("smooth", 1, 1, 1);
    smooth.lighting = 0;
    smooth.diffuse[0] = smooth.diffuse[1] = smooth.diffuse[2] = 1;
    Model3doFile f;
    f.objects = {SquareObject("flat", "flat", -1.5f, -0.5f, -0.5f, 0.5f, 0),
                 SquareObject("smooth", "smooth", 0.5f, -0.5f, 1.5f, 0.5f, 0)};
    f.materials = {flat, smooth};
    Model3D m;
    Load(m, f, "lit.3do");
    ASSERT_EQ(m.FindObject("flat")->normalMode, kNormalsFace);
    ASSERT_EQ(m.FindObject("smooth")->normalMode, kNormalsVertex);
    const float pos[4] = {0, 0, 1, 0}, white[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, pos);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glEnable(GL_LIGHT0);
    DrawModel(&m);
    Picture p = Read();
    EXPECT_TRUE(Near(p.At(40, 60), Rgb{0, 0, 0})) << p.At(40, 60);
    // Facing the light head on: fully lit by the diffuse term.
    EXPECT_TRUE(Near(p.At(120, 60), Rgb{255, 255, 255}, 6)) << p.At(120, 60);
}

TEST_F(DrawTest, GeometryPassUsesTheCurrentColourOnly)
{
    Model3doFile f;
    f.objects = {SquareObject("a", "red", -1.5f, -0.5f, -0.5f, 0.5f, 0),
                 SquareObject("b", "red", 0.5f, -0.5f, 1.5f, 0.5f, 0)};
    f.materials = {FlatColour("red", 1, 0, 0)};
    Model3D m;
    Load(m, f, "geo.3do");
    m.FindObject("b")->visible = 0;
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor4f(0, 0.5f, 1, 1);
    DrawModelGeometry(&m);
    Picture p = Read();
    EXPECT_TRUE(Near(p.At(40, 60), Rgb{0, 128, 255}, 2)) << p.At(40, 60);
    EXPECT_TRUE(Near(p.At(120, 60), Rgb{0, 0, 0})) << p.At(120, 60);
    EXPECT_TRUE(NoClientArrayEnabled());
}

TEST_F(DrawTest, QuadFamilyFollowsStripOrderAndLeavesNoArrayEnabled)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    Begin2D();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 0, 0, 1);
    const float xy[8] = {10, 10, 50, 10, 10, 30, 50, 30};
    DrawQuad2D(xy);
    EXPECT_TRUE(NoClientArrayEnabled());
    const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    const float xy2[8] = {60, 10, 100, 10, 60, 50, 100, 50};
    const float colours[16] = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1};
    glShadeModel(GL_SMOOTH);  // the context starts flat: one colour per triangle
    DrawQuad2DTexColor(xy2, uv, colours);
    EXPECT_TRUE(NoClientArrayEnabled());
    End2D();

    glColor4f(0, 1, 1, 1);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    const float xyz[12] = {0.75f, 1, 0, 1.75f, 1, 0, 0.75f, 0, 0, 1.75f, 0, 0};
    const float normals[12] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    DrawQuad3DTexNormal(xyz, normals, uv);
    EXPECT_TRUE(NoClientArrayEnabled());
    const float rgba[16] = {1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1};
    const float xyz2[12] = {-1.75f, -0.5f, 0, -0.75f, -0.5f, 0, -1.75f, -1.25f, 0, -0.75f, -1.25f, 0};
    DrawQuad3DTexColor(xyz2, rgba, uv);
    EXPECT_TRUE(NoClientArrayEnabled());

    Picture p = Read();
    p.Save("draw_quads.png");
    EXPECT_TRUE(Near(p.At(30, 20), Rgb{255, 0, 0})) << p.At(30, 20);
    EXPECT_TRUE(Near(p.At(30, 35), Rgb{0, 0, 0})) << p.At(30, 35);
    // Corner colours: top left red, top right green, bottom left blue.
    EXPECT_GT(p.At(61, 11).r, 230);
    EXPECT_GT(p.At(98, 11).g, 230);
    EXPECT_GT(p.At(61, 48).b, 230);
    EXPECT_TRUE(Near(p.At(130, 40), Rgb{0, 255, 255})) << p.At(130, 40);
    EXPECT_TRUE(Near(p.At(30, 95), Rgb{255, 255, 0})) << p.At(30, 95);
    EXPECT_TRUE(context.CheckError());
}

Model3doFile MorphModel(float moveBy, bool triangleInsteadOfSquare)
{
    Model3doFile f;
    Model3doObject moving = SquareObject("moving", "lit", -1 + moveBy, -1, 0 + moveBy, 0, 0);
    if (triangleInsteadOfSquare) {
        moving.points.resize(9);
        moving.uvs.resize(6);
        moving.faces = {0, 1, 2};
    }
    f.objects = {moving, SquareObject("still", "lit", 0.5f, 0.5f, 1.5f, 1.5f, 0)};
    Model3doMaterial lit = FlatColour("lit", 1, 1, 1);
    lit.lighting = 0;
    f.materials = {lit};
    return f;
}

TEST_F(DrawTest, MorphGivesTheSourceAtZeroAndTheTargetAtOne)
{
    Model3D a, b, inst;
    Load(a, MorphModel(0, false), "a.3do");
    Load(b, MorphModel(1, false), "b.3do");
    // Make the target's normals differ too, so their blending shows.
    for (float& n : b.FindObject("moving")->vertexNormals)
        n = 0.5f;
    ASSERT_TRUE(inst.CopyFrom(a));
    SetMorph(&inst, &a, &b);
    EXPECT_EQ(inst.morphSource, &a);
    EXPECT_EQ(inst.morphTarget, &b);
    Objet3D* moving = inst.FindObject("moving");
    Objet3D* still = inst.FindObject("still");
    EXPECT_EQ(moving->morphable, 1);
    EXPECT_EQ(still->morphable, 0);

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
    const float pos[4] = {0, 0, 1, 0}, white[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, pos);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glEnable(GL_LIGHT0);
    DrawModel(&inst);
    Picture p = Read();
    p.Save("draw_morph_half.png");
    EXPECT_GT(p.At(70, 80).r, 100);   // x −0.25, y −0.5
    EXPECT_EQ(p.At(50, 80).r, 0);     // x −0.75: left behind
}

TEST_F(DrawTest, MorphLeavesObjectsOfAnotherShapeAlone)
{
    Model3D a, b, inst;
    Load(a, MorphModel(0, false), "a.3do");
    Load(b, MorphModel(1, true), "b.3do");
    b.FindObject("still")->points[0] += 0.25f;  // the other object does morph
    ASSERT_TRUE(inst.CopyFrom(a));
    SetMorph(&inst, &a, &b);
    EXPECT_EQ(inst.FindObject("moving")->morphable, 0);
    EXPECT_EQ(inst.FindObject("still")->morphable, 1);
    Morph(&inst, 1);
    EXPECT_EQ(inst.FindObject("moving")->points, a.FindObject("moving")->points);
    EXPECT_EQ(inst.FindObject("moving")->pointCount, 4u);
    EXPECT_EQ(inst.FindObject("still")->points, b.FindObject("still")->points);
    DrawModel(&inst);
}

TEST_F(DrawTest, SetMorphWithDifferentObjectCountsDoesNothing)
{
    Model3D a, b, inst;
    Load(a, MorphModel(0, false), "a.3do");
    Model3doFile one = MorphModel(1, false);
    one.objects.pop_back();
    Load(b, one, "one.3do");
    ASSERT_TRUE(inst.CopyFrom(a));
    inst.morphSource = nullptr;  // as a fresh instance
    SetMorph(&inst, &a, &b);
    EXPECT_EQ(inst.morphSource, nullptr);
    EXPECT_EQ(inst.morphTarget, nullptr);
    std::vector<float> before = inst.FindObject("moving")->points;
    Morph(&inst, 1);
    EXPECT_EQ(inst.FindObject("moving")->points, before);
    // Nor does an instance with a different object count.
    SetMorph(&b, &a, &a);
    EXPECT_EQ(b.morphTarget, nullptr);
}

TEST_F(DrawTest, EnvironmentCoordinatesComeFromNormalsAndTheMatrix)
{
    std::vector<uint8_t> rgb(8 * 8 * 3, 60);
    WriteRgbPng(dir.file("chrome.png"), 8, 8, rgb);
    Model3doMaterial chrome = FlatColour("chrome", 1, 1, 1);
    chrome.envTexture = "chrome.png";
    Model3doFile f;
    f.objects = {SquareObject("logo", "chrome", -1, -1, 1, 1, 0)};
    f.materials = {chrome};
    Model3D m;
    Load(m, f, "env.3do");
    Objet3D* o = m.objects.head;
    ASSERT_EQ(o->normalMode, kNormalsVertex);
    o->vertexNormals = {0.6f, 0.8f, 0, 0, 0, 1, -1, 0, 0, 0, -1, 0};
    const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ComputeEnvMapCoords(o, identity);
    EXPECT_FLOAT_EQ(o->texCoords[0], 0.8f);
    EXPECT_FLOAT_EQ(o->texCoords[1], 0.1f);
    EXPECT_FLOAT_EQ(o->texCoords[2], 0.5f);
    EXPECT_FLOAT_EQ(o->texCoords[3], 0.5f);
    EXPECT_FLOAT_EQ(o->texCoords[4], 0.0f);
    EXPECT_FLOAT_EQ(o->texCoords[7], 1.0f);
    // A quarter turn about z swaps the roles of x and y.
    const double turn[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ComputeEnvMapCoords(o, turn);
    EXPECT_FLOAT_EQ(o->texCoords[0], 0.5f + 0.5f * -0.8f);
    EXPECT_FLOAT_EQ(o->texCoords[1], 0.5f - 0.5f * 0.6f);

    // Only env-mapped objects are touched.
    Model3doFile g;
    g.objects = {SquareObject("plain", "red", -1, -1, 1, 1, 0)};
    g.materials = {FlatColour("red", 1, 0, 0)};
    Model3D plain;
    Load(plain, g, "plain.3do");
    std::vector<float> uv = plain.objects.head->texCoords;
    ComputeEnvMapCoords(plain.objects.head, identity);
    EXPECT_EQ(plain.objects.head->texCoords, uv);
}

// A lit, smooth sphere of radius r at c, its triangles turned so that the
// front (clockwise) side faces outwards.
Model3doObject Sphere(const std::string& name, const std::string& material, float r, int rings,
                      int segments)
{
    Model3doObject o;
    o.name = name;
    o.material = material;
    for (int i = 0; i <= rings; ++i)
        for (int j = 0; j <= segments; ++j) {
            double th = M_PI * i / rings, ph = 2 * M_PI * j / segments;
            const float p[3] = {float(r * std::sin(th) * std::cos(ph)), float(r * std::cos(th)),
                                float(r * std::sin(th) * std::sin(ph))};
            for (int a = 0; a < 3; ++a)
                o.points.push_back(Precompensate3doCoordinate(p[a], a));
            o.uvs.push_back(float(j) / segments);
            o.uvs.push_back(float(i) / rings);
        }
    auto idx = [&](int i, int j) { return uint32_t(i * (segments + 1) + j); };
    auto add = [&](uint32_t a, uint32_t b, uint32_t c) {
        const float* p0 = &o.points[3 * a];
        const float* p1 = &o.points[3 * b];
        const float* p2 = &o.points[3 * c];
        float u[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        float v[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        float out = n[0] * (p0[0] + p1[0] + p2[0]) + n[1] * (p0[1] + p1[1] + p2[1]) +
                    n[2] * (p0[2] + p1[2] + p2[2]);
        if (n[0] == 0 && n[1] == 0 && n[2] == 0)
            return;
        if (out > 0)
            std::swap(b, c);
        o.faces.insert(o.faces.end(), {a, b, c});
    };
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            add(idx(i, j), idx(i, j + 1), idx(i + 1, j));
            add(idx(i + 1, j), idx(i, j + 1), idx(i + 1, j + 1));
        }
    return o;
}

// A small scene with everything the engine draws, saved for a person to
// look at: a lit smooth sphere, a textured lit floor, a transparent pane,
// an additive glow and a line of bitmap-font text.
TEST_F(DrawTest, RenderedScene)
{
    // Textures made here: a checker for the floor, a font of 4 glyphs.
    std::vector<uint8_t> checker(64 * 64 * 3);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t v = ((x / 8 + y / 8) % 2) ? 220 : 70;
            checker[3 * (y * 64 + x)] = v;
            checker[3 * (y * 64 + x) + 1] = v;
            checker[3 * (y * 64 + x) + 2] = uint8_t(v / 2 + 60);
        }
    WriteRgbPng(dir.file("checker.png"), 64, 64, checker);
    std::vector<uint8_t> glyphs(4 * 16 * 16 * 4, 0);
    for (int g = 1; g < 4; ++g)
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x) {
                bool ink = g == 1 ? (x >= 6 && x <= 9 && (y < 10 || y > 11))  // '!'
                         : g == 2 ? ((x == 4 || x == 11) && y < 7)             // '"'
                                  : (x == 5 || x == 10 || y == 5 || y == 10);  // '#'
                if (ink) {
                    uint8_t* p = &glyphs[4 * (y * 64 + g * 16 + x)];
                    p[0] = p[1] = p[2] = p[3] = 255;
                }
            }
    WriteRgbaPng(dir.file("font.png"), 64, 16, glyphs);

    Model3doMaterial red = FlatColour("shiny_red", 0.3f, 0.05f, 0.05f);
    red.lighting = 0;
    red.diffuse[0] = 0.9f;
    red.diffuse[1] = 0.15f;
    red.diffuse[2] = 0.1f;
    Model3doMaterial pane = FlatColour("pane", 0.2f, 0.4f, 1.0f);
    pane.transparency = 0.45f;
    pane.sides = 1;
    Model3doFile f;
    f.objects = {Sphere("ball", "shiny_red", 0.6f, 16, 24),
                 SquareObject("pane", "pane", -1.7f, -0.9f, -0.5f, 0.6f, 0.9f)};
    f.materials = {red, pane};
    Model3D scene;
    Load(scene, f, "scene.3do");

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, double(kWidth) / kHeight, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, -0.2f, -4);
    glRotatef(15, 1, 0, 0);
    glClearColor(0.05f, 0.05f, 0.1f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const float pos[4] = {0.5f, 1, 1, 0}, white[4] = {1, 1, 1, 1}, dim[4] = {0.3f, 0.3f, 0.3f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, pos);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, dim);
    glEnable(GL_LIGHT0);

    // Floor: a textured, lit quad at y = −0.6 seen from above.
    GLTexture floor;
    ASSERT_TRUE(floor.Load("checker.png"));
    floor.mipmap = 1;
    floor.SetFilters(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    ASSERT_TRUE(floor.Upload());
    Material floorMat;
    floorMat.flags = kMatMapping | kMatLighted;
    floorMat.transparency = 1;
    floorMat.ambient[0] = floorMat.ambient[1] = floorMat.ambient[2] = 1;
    floorMat.diffuse[0] = floorMat.diffuse[1] = floorMat.diffuse[2] = 1;
    floorMat.texture = &floor;
    ApplyMaterial(&floorMat);
    floorMat.texture = nullptr;  // the test owns it
    glDisable(GL_CULL_FACE);
    const float fl[12] = {-2.5f, -0.6f, -2.5f, 2.5f, -0.6f, -2.5f, -2.5f, -0.6f, 2, 2.5f, -0.6f, 2};
    const float up[12] = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
    const float fuv[8] = {0, 0, 4, 0, 0, 4, 4, 4};
    DrawQuad3DTexNormal(fl, up, fuv);
    EndMaterial(&floorMat);

    DrawModel(&scene);

    // An additive glow over the ball.
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    const float glow[12] = {0.7f, 0.9f, 0.2f, 1.5f, 0.9f, 0.2f, 0.7f, 0.1f, 0.2f, 1.5f, 0.1f, 0.2f};
    const float glowColour[16] = {1, 0.8f, 0, 0.8f, 1, 0.8f, 0, 0.1f, 1, 0.8f, 0, 0.1f, 1, 0.8f, 0, 0.8f};
    const float guv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    DrawQuad3DTexColor(glow, glowColour, guv);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);

    GLFont2D font;
    font.charList = " !\"#";
    ASSERT_TRUE(font.Load("font.png", 16, 16, 4));
    Begin2D();
    glColor4f(1, 1, 0.3f, 1);
    font.Draw(4, 4, "!\"#! #");
    End2D();

    Picture p = Read();
    p.Save("draw_scene.png");
    // The sphere's lit side is red; the text is yellow; the pane tints blue.
    Rgb ball = p.At(kWidth / 2 + 6, kHeight / 2 - 10);
    EXPECT_GT(ball.r, 120) << ball;
    EXPECT_LT(ball.g, ball.r / 2) << ball;
    Rgb bang = p.At(4 + 7, 4 + 5);
    EXPECT_GT(bang.r, 200) << bang;
    EXPECT_GT(bang.g, 200) << bang;
    EXPECT_TRUE(context.CheckError());
    font.Free();
    floor.Reset();
}

}  // namespace
