// The window and its GL context.
#include "app/base/quat.h"
#include "engine/gltexture.h"
#include "glwindow.h"

#include <cmath>

namespace {

GLint Get(GLenum name, int i = 0)
{
    GLint v[4] = {-1, -1, -1, -1};
    glGetIntegerv(name, v);
    return v[i];
}

std::string Error(GLContext& c)
{
    return CaptureStderr([&] { EXPECT_FALSE(c.CheckError()); });
}

TEST(GLContextCreate, CreateSetsTheInitialStateRecreateRetiresOldNamesAndCloseEndsIt)
{
    GLContext c;
    const auto closed = std::make_tuple(0u, static_cast<SDL_Surface*>(nullptr), 0);
    // A zero size is refused before SDL is touched, and errors need a context.
    EXPECT_FALSE(c.Create(0, 480, 0) || c.Create(640, 0, 0) || c.Recreate(0, 0, 0));
    EXPECT_EQ(std::make_tuple(SDL_WasInit(SDL_INIT_VIDEO), c.surface, c.initialised), closed);
    EXPECT_EQ(Error(c), "OpenGL Error : Not Initialized !!!\n");
    c.nearDist = 0.01f;
    c.farDist = 1000;
    ASSERT_TRUE(c.Create(200, 100, 0));
    EXPECT_NE(c.surface, nullptr);
    EXPECT_EQ(std::make_tuple(c.width, c.height, c.depth, c.initialised), std::make_tuple(200u, 100u, 16u, 1));
    // Capabilities read as values too: 1 enabled, 0 disabled.
    const std::pair<GLenum, GLint> values[] = {{GL_FRONT_FACE, GL_CW},     {GL_CULL_FACE_MODE, GL_BACK},
                                               {GL_DEPTH_FUNC, GL_LEQUAL}, {GL_PACK_ALIGNMENT, 1},
                                               {GL_UNPACK_ALIGNMENT, 1},   {GL_SHADE_MODEL, GL_FLAT},
                                               {GL_DEPTH_TEST, 1},         {GL_CULL_FACE, 1},
                                               {GL_TEXTURE_2D, 1},         {GL_BLEND, 0},
                                               {GL_LIGHTING, 0},           {GL_VERTEX_ARRAY, 0}};
    for (const auto& [name, expected] : values)
        EXPECT_EQ(Get(name), expected) << std::hex << name;
    EXPECT_EQ(std::make_pair(Get(GL_VIEWPORT, 2), Get(GL_VIEWPORT, 3)), std::make_pair(200, 100));
    EXPECT_GE(Get(GL_DEPTH_BITS), 16);
    // The projection is gluPerspective(45, 2, 0.01, 1000).
    double p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    const double f = 1.0 / std::tan(45.0 * M_PI / 360.0);
    EXPECT_NEAR(p[0], f / 2.0, 1e-5);
    EXPECT_NEAR(p[5], f, 1e-5);
    EXPECT_EQ(p[11], -1.0);
    EXPECT_GT(glExtensions.maxTextureSize, 0);
    // Pending errors are named, one line each.
    EXPECT_TRUE(c.CheckError());
    glEnable(0x1234);  // not a capability
    EXPECT_EQ(Error(c), "OpenGL Error : Invalid Enum\n");
    glPopMatrix();  // nothing pushed
    EXPECT_EQ(Error(c), "OpenGL Error : Stack UnderFlow\n");
    EXPECT_TRUE(c.CheckError());

    GLTexture t;
    ASSERT_TRUE(t.Allocate(4, 4, 24) && t.Upload() && t.HasGLName());
    ASSERT_TRUE(c.Recreate(96, 80, 0));
    EXPECT_EQ(std::make_tuple(c.width, c.initialised, Get(GL_VIEWPORT, 2), Get(GL_VIEWPORT, 3)),
              std::make_tuple(96u, 1, 96, 80));
    // The old name belongs to the closed context: never bound or deleted here.
    EXPECT_FALSE(t.HasGLName() || t.Bind());
    t.Reset();
    EXPECT_TRUE(c.CheckError());
    c.Close();
    EXPECT_EQ(std::make_tuple(SDL_WasInit(SDL_INIT_VIDEO), c.surface, c.initialised), closed);

    // The virtual screen is 1280 × 1024: no full-screen mode is this large.
    bool ok = false;
    const std::string err = CaptureStderr([&] { ok = c.Create(1400, 1100, 1); });
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::make_pair(c.surface->flags & SDL_FULLSCREEN, c.width), std::make_pair(0u, 1400u));
    EXPECT_NE(err.find("using a window"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    c.Close();
}

TEST(GLExtensionNames, ExactNamesOnly)
{
    const char* list = "GL_ARB_multitexture_extra GL_EXT_a GL_ARB_multitexture";
    const char* spaced = "GL_EXT_a GL_EXT_b ";
    const struct {
        const char *name, *list;
        bool found;
    } cases[] = {
        {"GL_ARB_multitexture", list, true},  // the last name, no trailing space
        {"GL_EXT_a", list, true},
        {"GL_ARB_multitexture_extra", list, true},
        {"GL_EXT_b", spaced, true},
        {"GL_ARB_multitexture", "GL_ARB_multitexture_extra GL_EXT_b ", false},
        {"GL_ARB", list, false},  // a prefix is not a name
        {"GL_EXT_a GL_ARB", list, false},
        {"", spaced, false},
        {nullptr, list, false},
        {"GL_EXT_a", nullptr, false},
        {"GL_EXT_a", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasExtension(c.name, c.list), c.found) << (c.name ? c.name : "null");
}

class GLState : public GLWindowTest {};

TEST_F(GLState, TheExtensionProbeAgreesWithTheDriverListAndTheReportsPrintTheirHeadings)
{
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(glExtensions.multitexture != 0,
              HasExtension("GL_ARB_multitexture", list) && glExtensions.glActiveTextureARB);
    EXPECT_EQ(glExtensions.bufferObjects != 0, HasExtension("GL_ARB_vertex_buffer_object", list));
    EXPECT_TRUE(!glExtensions.multitexture || glExtensions.textureUnits >= 1);
    EXPECT_EQ(glExtensions.edgeClamp, 1);  // core in the OpenGL Mesa offers

    testing::internal::CaptureStdout();
    context.PrintDriverReport();
    PrintExtensionReport();
    const std::string out = testing::internal::GetCapturedStdout();
    for (const char* heading : {"OpenGL version ", "Video Mode : 160x120 16 bpp Windowed\n\n", "OpenGL : Depth Size = ",
                                "Extensions Test :\n\n", "Texture Clamp Edge : Supported\n", "Texture Maximum Size = "})
        EXPECT_NE(out.find(heading), std::string::npos) << heading;
}

TEST_F(GLState, TheWindowAndThe2DModesComeBackToTheMatricesBefore)
{
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    float before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    double p[16];
    // Window pixel (x, y) from the top left maps to clip (2x/w − 1, 1 − 2y/h).
    context.SaveMatrices();
    context.SetWindowOrtho();
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    for (const auto& [at, value] : {std::make_pair(0, 2.0 / width), {5, -2.0 / height}, {12, -1.0}, {13, 1.0}})
        EXPECT_NEAR(p[at], value, 1e-9) << at;
    context.RestoreMatrices();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(before, before + 16, after));

    Set2DScreenSize(320, 240);
    Begin2D();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_CULL_FACE) || glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[0], 2.0 / 320, 1e-7);
    EXPECT_NEAR(p[5], -2.0 / 240, 1e-7);
    End2D();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(before, before + 16, after));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(GLState, TheViewVolumeHidesOnlyBoxesWhollyOutsideAPlane)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    context.UpdateFrustum();
    // Right plane −x + 1 ≥ 0, left x + 1, far z + 1 (glOrtho looks down −z).
    EXPECT_EQ(std::vector<float>(
                  {context.frustum[0][0], context.frustum[0][3], context.frustum[1][0], context.frustum[4][2]}),
              std::vector<float>({-1, 1, 1, 1}));
    const struct {
        float mn[3], mx[3];
        bool inside, afterMove;
    } boxes[] = {
        {{-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, true, false},
        {{1, 0, 0}, {2, 0.5f, 0.5f}, false, false},  // touching the right plane is outside
        {{0.9f, 0, 0}, {2, 0.5f, 0.5f}, true, false},
        {{0, -3, 0}, {0.1f, -2, 0.1f}, false, false},
        {{0.8f, 0.8f, 0}, {3, 3, 0.1f}, true, false},  // straddling a corner
        {{-5.5f, -0.5f, -0.5f}, {-4.5f, 0.5f, 0.5f}, false, true},
    };
    for (bool moved : {false, true}) {
        for (const auto& b : boxes)
            EXPECT_EQ(context.BoxInFrustum(b.mn, b.mx), moved ? b.afterMove : b.inside) << b.mn[0] << "," << b.mn[1];
        // Moving the camera moves the planes with it.
        glTranslatef(5, 0, 0);
        context.UpdateFrustum();
    }
}

// The block rolls hand QuatToMatrix's result to glMultMatrixf; it must be the
// matrix OpenGL itself builds for the same turn, in its column-major order.
TEST_F(GLState, QuatToMatrixMatchesGlRotate)
{
    const float turns[][4] = {{90, 0, 0, 1},  {90, 1, 0, 0}, {90, 0, 1, 0},
                              {-45, 0, 1, 0}, {30, 1, 1, 0}, {123, -0.3f, 0.5f, 0.8f},
                              {180, 0, 0, 1}, {0, 1, 0, 0}};
    glMatrixMode(GL_MODELVIEW);
    for (const auto& t : turns) {
        const float len = std::sqrt(t[1] * t[1] + t[2] * t[2] + t[3] * t[3]);
        const double half = t[0] * M_PI / 360.0;
        const float s = float(std::sin(half) / len);
        const Quat q{t[1] * s, t[2] * s, t[3] * s, float(std::cos(half))};
        float mine[16], gl[16];
        QuatToMatrix(q, mine);
        glLoadIdentity();
        glRotatef(t[0], t[1], t[2], t[3]);
        glGetFloatv(GL_MODELVIEW_MATRIX, gl);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(mine[i], gl[i], 1e-5) << "element " << i << " of a turn of " << t[0];
    }
}

}  // namespace
