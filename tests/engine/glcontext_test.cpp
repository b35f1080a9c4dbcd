#include "app/base/quat.h"
#include "gltest.h"

#include <GL/glu.h>

#include <cmath>

namespace {

TEST(GLContextCreate, ZeroSizeIsRefusedBeforeSDLIsTouched)
{
    GLContext c;
    EXPECT_FALSE(c.Create(0, 480, 0));
    EXPECT_FALSE(c.Create(640, 0, 0));
    EXPECT_FALSE(c.Recreate(0, 0, 0));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_EQ(c.surface, nullptr);
    EXPECT_EQ(c.initialised, 0);
}

TEST(GLContextCreate, CheckErrorBeforeCreationSaysNotInitialised)
{
    GLContext c;
    std::string err = CaptureStderr([&] { EXPECT_FALSE(c.CheckError()); });
    EXPECT_EQ(err, "OpenGL Error : Not Initialized !!!\n");
}

TEST(GLContextCreate, CreateSetsTheInitialState)
{
    GLContext c;
    c.fov = 45;
    c.nearDist = 0.01f;
    c.farDist = 1000;
    ASSERT_TRUE(c.Create(200, 100, 0));
    EXPECT_NE(c.surface, nullptr);
    EXPECT_EQ(c.width, 200u);
    EXPECT_EQ(c.height, 100u);
    EXPECT_EQ(c.depth, 16u);
    EXPECT_EQ(c.initialised, 1);

    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(v[2], 200);
    EXPECT_EQ(v[3], 100);
    glGetIntegerv(GL_FRONT_FACE, v);
    EXPECT_EQ(v[0], GL_CW);
    glGetIntegerv(GL_CULL_FACE_MODE, v);
    EXPECT_EQ(v[0], GL_BACK);
    glGetIntegerv(GL_DEPTH_FUNC, v);
    EXPECT_EQ(v[0], GL_LEQUAL);
    glGetIntegerv(GL_PACK_ALIGNMENT, v);
    EXPECT_EQ(v[0], 1);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, v);
    EXPECT_EQ(v[0], 1);
    glGetIntegerv(GL_SHADE_MODEL, v);
    EXPECT_EQ(v[0], GL_FLAT);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    glGetIntegerv(GL_DEPTH_BITS, v);
    EXPECT_GE(v[0], 16);

    // The projection is gluPerspective(45, 2, 0.01, 1000).
    double p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    double f = 1.0 / std::tan(45.0 * M_PI / 360.0);
    EXPECT_NEAR(p[0], f / 2.0, 1e-5);
    EXPECT_NEAR(p[5], f, 1e-5);
    EXPECT_EQ(p[11], -1.0);

    EXPECT_GT(glExtensions.maxTextureSize, 0);
    EXPECT_TRUE(c.CheckError());
    c.Close();
    EXPECT_EQ(c.initialised, 0);
    EXPECT_EQ(c.surface, nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST(GLContextCreate, CheckErrorNamesThePendingError)
{
    GLContext c;
    ASSERT_TRUE(c.Create(64, 64, 0));
    glEnable(0x1234);  // not a capability
    std::string err = CaptureStderr([&] { EXPECT_FALSE(c.CheckError()); });
    EXPECT_EQ(err, "OpenGL Error : Invalid Enum\n");
    glPopMatrix();  // nothing pushed
    err = CaptureStderr([&] { EXPECT_FALSE(c.CheckError()); });
    EXPECT_EQ(err, "OpenGL Error : Stack UnderFlow\n");
    EXPECT_TRUE(c.CheckError());
    c.Close();
}

TEST(GLContextCreate, RecreateChangesTheSizeAndRetiresOldTextureNames)
{
    GLContext c;
    ASSERT_TRUE(c.Create(64, 48, 0));
    GLTexture t;
    ASSERT_TRUE(t.Allocate(4, 4, 24));
    ASSERT_TRUE(t.Upload());
    EXPECT_TRUE(t.HasGLName());

    ASSERT_TRUE(c.Recreate(96, 80, 0));
    EXPECT_EQ(c.width, 96u);
    EXPECT_EQ(c.initialised, 1);
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(v[2], 96);
    EXPECT_EQ(v[3], 80);
    // The old name belongs to the closed context: never bound or deleted here.
    EXPECT_FALSE(t.HasGLName());
    EXPECT_FALSE(t.Bind());
    t.Reset();
    EXPECT_TRUE(c.CheckError());
    c.Close();
}

TEST(GLContextCreate, FullScreenThatCannotBeGrantedFallsBackToAWindow)
{
    // The virtual screen is 1280 × 1024: no full-screen mode is this large.
    GLContext c;
    bool ok = false;
    std::string err = CaptureStderr([&] { ok = c.Create(1400, 1100, 1); });
    ASSERT_TRUE(ok);
    EXPECT_NE(c.surface, nullptr);
    EXPECT_EQ(c.surface->flags & SDL_FULLSCREEN, 0u);
    EXPECT_EQ(c.width, 1400u);
    // One line saying what happened.
    EXPECT_NE(err.find("using a window"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    c.Close();
}

TEST(GLExtensionNames, ExactNamesOnly)
{
    const char* list = "GL_ARB_multitexture_extra GL_EXT_a GL_ARB_multitexture";
    EXPECT_TRUE(HasExtension("GL_ARB_multitexture", list));  // the last name, no trailing space
    EXPECT_TRUE(HasExtension("GL_EXT_a", list));
    EXPECT_TRUE(HasExtension("GL_ARB_multitexture_extra", list));
    EXPECT_FALSE(HasExtension("GL_ARB_multitexture", "GL_ARB_multitexture_extra GL_EXT_b "));
    EXPECT_FALSE(HasExtension("GL_ARB", list));  // a prefix is not a name
    EXPECT_FALSE(HasExtension("GL_EXT_a GL_ARB", list));
    EXPECT_TRUE(HasExtension("GL_EXT_b", "GL_EXT_a GL_EXT_b "));
    EXPECT_FALSE(HasExtension("", "GL_EXT_a GL_EXT_b "));
    EXPECT_FALSE(HasExtension(nullptr, list));
    EXPECT_FALSE(HasExtension("GL_EXT_a", nullptr));
    EXPECT_FALSE(HasExtension("GL_EXT_a", ""));
}

TEST_F(GLTest, ExtensionProbeAgreesWithTheDriverList)
{
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(glExtensions.multitexture != 0,
              HasExtension("GL_ARB_multitexture", list) && glExtensions.glActiveTextureARB);
    EXPECT_EQ(glExtensions.bufferObjects != 0, HasExtension("GL_ARB_vertex_buffer_object", list));
    if (glExtensions.multitexture) {
        EXPECT_GE(glExtensions.textureUnits, 1);
    }
    // Mesa offers OpenGL 1.2 or later, where edge clamping is core.
    EXPECT_EQ(glExtensions.edgeClamp, 1);
}

TEST_F(GLTest, WindowOrthoAndBack)
{
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    double before[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    context.SaveMatrices();
    context.SetWindowOrtho();
    // Window pixel (x, y) from the top left maps to clip (2x/w − 1, 1 − 2y/h).
    double p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[0], 2.0 / kWidth, 1e-9);
    EXPECT_NEAR(p[5], -2.0 / kHeight, 1e-9);
    EXPECT_NEAR(p[12], -1.0, 1e-9);
    EXPECT_NEAR(p[13], 1.0, 1e-9);
    context.RestoreMatrices();
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(before[i], after[i]);
}

TEST_F(GLTest, Begin2DAndEnd2D)
{
    Set2DScreenSize(320, 240);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0, 0, -5);
    float before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    Begin2D();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    double p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[0], 2.0 / 320, 1e-7);
    EXPECT_NEAR(p[5], -2.0 / 240, 1e-7);
    End2D();
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(before[i], after[i]);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(GLTest, FrustumPlanesAndBoxes)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    context.UpdateFrustum();
    // The right plane of this volume is −x + 1 ≥ 0.
    EXPECT_FLOAT_EQ(context.frustum[0][0], -1);
    EXPECT_FLOAT_EQ(context.frustum[0][3], 1);
    // Left plane x + 1, far plane: z + 1 (glOrtho looks down −z).
    EXPECT_FLOAT_EQ(context.frustum[1][0], 1);
    EXPECT_FLOAT_EQ(context.frustum[4][2], 1);

    const float inMin[3] = {-0.5f, -0.5f, -0.5f}, inMax[3] = {0.5f, 0.5f, 0.5f};
    EXPECT_TRUE(context.BoxInFrustum(inMin, inMax));
    // Touching the right plane with distance exactly 0 is outside.
    const float touchMin[3] = {1, 0, 0}, touchMax[3] = {2, 0.5f, 0.5f};
    EXPECT_FALSE(context.BoxInFrustum(touchMin, touchMax));
    const float overMin[3] = {0.9f, 0, 0}, overMax[3] = {2, 0.5f, 0.5f};
    EXPECT_TRUE(context.BoxInFrustum(overMin, overMax));
    const float belowMin[3] = {0, -3, 0}, belowMax[3] = {0.1f, -2, 0.1f};
    EXPECT_FALSE(context.BoxInFrustum(belowMin, belowMax));
    // A box that straddles a corner of the volume counts as visible.
    const float cornerMin[3] = {0.8f, 0.8f, 0}, cornerMax[3] = {3, 3, 0.1f};
    EXPECT_TRUE(context.BoxInFrustum(cornerMin, cornerMax));

    // Moving the camera moves the planes with it.
    glTranslatef(5, 0, 0);
    context.UpdateFrustum();
    EXPECT_FALSE(context.BoxInFrustum(inMin, inMax));
    const float movedMin[3] = {-5.5f, -0.5f, -0.5f}, movedMax[3] = {-4.5f, 0.5f, 0.5f};
    EXPECT_TRUE(context.BoxInFrustum(movedMin, movedMax));
}

// The block rolls hand QuatToMatrix's result to glMultMatrixf; it must be the
// matrix OpenGL itself builds for the same turn, in its column-major order.
TEST_F(GLTest, QuatToMatrixMatchesGlRotate)
{
    struct Turn {
        float angle, x, y, z;
    } turns[] = {
        {90, 0, 0, 1}, {90, 1, 0, 0}, {90, 0, 1, 0}, {-45, 0, 1, 0},
        {30, 1, 1, 0}, {123, -0.3f, 0.5f, 0.8f}, {180, 0, 0, 1}, {0, 1, 0, 0},
    };
    for (const Turn& t : turns) {
        float len = std::sqrt(t.x * t.x + t.y * t.y + t.z * t.z);
        double half = t.angle * M_PI / 360.0;
        Quat q;
        q.x = static_cast<float>(t.x / len * std::sin(half));
        q.y = static_cast<float>(t.y / len * std::sin(half));
        q.z = static_cast<float>(t.z / len * std::sin(half));
        q.w = static_cast<float>(std::cos(half));
        float mine[16];
        QuatToMatrix(q, mine);

        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(t.angle, t.x, t.y, t.z);
        float gl[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, gl);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(mine[i], gl[i], 1e-5) << "element " << i << " of a turn of " << t.angle;

        // And glMultMatrixf of it turns a point as glRotatef does.
        glLoadIdentity();
        glMultMatrixf(mine);
        glTranslatef(1, 2, 3);
        float moved[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, moved);
        glLoadIdentity();
        glRotatef(t.angle, t.x, t.y, t.z);
        glTranslatef(1, 2, 3);
        glGetFloatv(GL_MODELVIEW_MATRIX, gl);
        for (int i = 12; i < 15; ++i)
            EXPECT_NEAR(moved[i], gl[i], 1e-5);
    }
    // A quarter turn about z takes the x axis to the y axis.
    float m[16];
    Quat q;
    q.z = static_cast<float>(std::sqrt(0.5));
    q.w = q.z;
    QuatToMatrix(q, m);
    EXPECT_NEAR(m[0], 0, 1e-6);
    EXPECT_NEAR(m[1], 1, 1e-6);
    EXPECT_NEAR(m[4], -1, 1e-6);
}

TEST_F(GLTest, DiagnosticReportsPrintTheirHeadings)
{
    testing::internal::CaptureStdout();
    context.PrintDriverReport();
    PrintExtensionReport();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("OpenGL version "), std::string::npos);
    EXPECT_NE(out.find("Video Mode : 160x120 16 bpp Windowed\n\n"), std::string::npos);
    EXPECT_NE(out.find("OpenGL : Depth Size = "), std::string::npos);
    EXPECT_NE(out.find("Extensions Test :\n\n"), std::string::npos);
    EXPECT_NE(out.find("Texture Clamp Edge : Supported\n"), std::string::npos);
    EXPECT_NE(out.find("Texture Maximum Size = "), std::string::npos);
}

}  // namespace
