#include "engine/glcontext.h"
#include "app/base/log.h"

#include <GL/glu.h>

#include <cstdio>
#include <initializer_list>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#ifndef GL_MAX_TEXTURE_UNITS_ARB
#define GL_MAX_TEXTURE_UNITS_ARB 0x84E2
#endif

GLExtensions glExtensions;

namespace {

uint32_t contextGeneration = 0;

uint32_t screen2DWidth = 640;
uint32_t screen2DHeight = 480;
int rotated2D = 0;
float projection2D[16];
float modelview2D[16];

}  // namespace

uint32_t CurrentGLGeneration()
{
    return contextGeneration;
}

static void SetGLAttributes(bool swapSync, int stencilBits)
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencilBits);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);
    // Swaps wait for the display where it can: no frame is drawn that the
    // screen never shows.
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, swapSync ? 1 : 0);
}

bool GLContext::OpenMode(int fullScreenFlag, bool hideCursorAgain)
{
    // When the game was the display server's only client, closing the video
    // subsystem makes the server reset, and for a moment it refuses
    // connections (SDL may then even pick a video driver without OpenGL). A
    // re-creation waits for the server rather than ending the game.
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    bool fellBack = false;
    for (int attempt = 0; attempt < kVideoOpenAttempts && !surface; ++attempt) {
        if (attempt > 0)
            SDL_Delay(100);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) < 0)
            continue;
        SDL_ShowCursor(SDL_DISABLE);
        // The stencil only saves the board's floor a pass: a display that
        // has none still gets the game, drawn the longer way.
        auto open = [&](Uint32 flags) -> SDL_Surface* {
            for (int bits : {8, 0}) {
                SetGLAttributes(swapSync, bits);
                if (SDL_Surface* s = SDL_SetVideoMode(w, h, 24, flags))
                    return s;
            }
            return nullptr;
        };
        if (fullScreenFlag)
            surface = open(SDL_OPENGL | SDL_FULLSCREEN);
        if (!surface) {
            surface = open(SDL_OPENGL);
            fellBack = surface && fullScreenFlag;
        }
        if (!surface)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    if (!surface)
        return false;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    if (fellBack) {
        // A player whose display lacks the mode still gets a game.
        Warn("Full screen %dx%d not available : using a window\n", w, h);
    }
    if (hideCursorAgain)
        SDL_ShowCursor(SDL_DISABLE);
    ++contextGeneration;
    return true;
}

void GLContext::SetInitialState(bool rotatedAspect)
{
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double aspect = rotatedAspect ? double(height) / double(width) : double(width) / double(height);
    gluPerspective(fov, aspect, nearDist, farDist);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glClearColor(0, 0, 0, 1);
    glColor4f(1, 1, 1, 1);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_DITHER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CW);  // the models' front side is their clockwise side
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}

namespace {

// A software rasteriser allocates its bins and vertex buffers afresh each
// frame; by default the C library hands the freed top of the heap back to the
// system at once, so every frame faulted in and zeroed the same pages again
// (about a tenth of the CPU time of a frame), and large blocks went to
// their own mappings, unmapped when freed. Keep up to this much instead.
void KeepFrameMemory()
{
#ifdef __GLIBC__
    static const bool kept = mallopt(M_TRIM_THRESHOLD, 64 << 20) != 0 && mallopt(M_MMAP_THRESHOLD, 32 << 20) != 0;
    (void)kept;
#endif
}

}  // namespace

bool GLContext::Create(uint32_t w, uint32_t h, int full)
{
    if (w == 0 || h == 0)
        return false;
    KeepFrameMemory();
    width = w;
    height = h;
    depth = 16;
    fullScreen = full;
    if (!OpenMode(full, false))
        return false;
    SetInitialState(rotated != 0);
    TestExtensions();
    initialised = 1;
    return CheckError();
}

bool GLContext::Recreate(uint32_t w, uint32_t h, int full)
{
    if (w == 0 || h == 0)
        return false;
    Close();
    width = w;
    height = h;
    depth = 16;
    fullScreen = full;
    if (!OpenMode(full, true))
        return false;
    SetInitialState(false);
    initialised = 1;
    return CheckError();
}

void GLContext::Close()
{
    if (surface) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
    }
    initialised = 0;
    surface = nullptr;
    ++contextGeneration;  // the names of this context die with it
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool GLContext::CheckError()
{
    if (!initialised) {
        Warn("OpenGL Error : Not Initialized !!!\n");
        return false;
    }
    const char* line;
    switch (glGetError()) {
    case GL_NO_ERROR:
        return true;
    case GL_INVALID_ENUM:
        line = "OpenGL Error : Invalid Enum\n";
        break;
    case GL_INVALID_VALUE:
        line = "OpenGL Error : Invalid Value\n";
        break;
    case GL_INVALID_OPERATION:
        line = "OpenGL Error : Invalid Operation\n";
        break;
    case GL_STACK_OVERFLOW:
        line = "OpenGL Error : Stack Overflow\n";
        break;
    case GL_STACK_UNDERFLOW:
        line = "OpenGL Error : Stack UnderFlow\n";
        break;
    case GL_OUT_OF_MEMORY:
        line = "OpenGL Error : Out of Memory\n";
        break;
    default:
        line = "OpenGL Error : Unknown Error ?\n";
        break;
    }
    Warn("%s", line);
    return false;
}

void GLContext::SaveMatrices()
{
    glGetDoublev(GL_PROJECTION_MATRIX, keptProjection);
    glGetDoublev(GL_MODELVIEW_MATRIX, keptModelview);
}

void GLContext::SetWindowOrtho()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (rotated)
        glOrtho(0, height, width, 0, -1, 1);
    else
        glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GLContext::RestoreMatrices()
{
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(keptProjection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(keptModelview);
}

void CurrentClipMatrix(double clip[16], double projection[16], double modelview[16])
{
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    // Column-major: element (row r, column c) is at 4c + r.
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double s = 0;
            for (int k = 0; k < 4; ++k)
                s += projection[4 * k + r] * modelview[4 * c + k];
            clip[4 * c + r] = s;
        }
}

void GLContext::UpdateFrustum()
{
    CurrentClipMatrix(clip, projection, modelview);
    auto row = [this](int i, int c) { return clip[4 * c + i]; };
    for (int c = 0; c < 4; ++c) {
        frustum[0][c] = static_cast<float>(row(3, c) - row(0, c));  // right
        frustum[1][c] = static_cast<float>(row(3, c) + row(0, c));  // left
        frustum[2][c] = static_cast<float>(row(3, c) + row(1, c));  // bottom
        frustum[3][c] = static_cast<float>(row(3, c) - row(1, c));  // top
        frustum[4][c] = static_cast<float>(row(3, c) - row(2, c));  // far
        frustum[5][c] = static_cast<float>(row(3, c) + row(2, c));  // near
    }
}

bool GLContext::BoxInFrustum(const float mn[3], const float mx[3]) const
{
    for (const float* p : frustum) {
        bool inside = false;
        for (int corner = 0; corner < 8 && !inside; ++corner) {
            float x = (corner & 1) ? mx[0] : mn[0];
            float y = (corner & 2) ? mx[1] : mn[1];
            float z = (corner & 4) ? mx[2] : mn[2];
            if (p[0] * x + p[1] * y + p[2] * z + p[3] > 0)
                inside = true;
        }
        if (!inside)
            return false;
    }
    return true;
}

void GLContext::PrintDriverReport() const
{
    auto str = [](GLenum e) {
        const GLubyte* s = glGetString(e);
        return s ? reinterpret_cast<const char*>(s) : "";
    };
    std::printf("OpenGL version %s\n", str(GL_VERSION));
    std::printf("Vendor : %s\n", str(GL_VENDOR));
    std::printf("Renderer : %s\n", str(GL_RENDERER));
    std::printf("Extensions :\n");
    for (const char* p = str(GL_EXTENSIONS); *p; ++p)
        std::putchar(*p == ' ' ? '\n' : *p);
    std::putchar('\n');
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info)
        std::printf("Video Memory = %d Kb\n", static_cast<int>(info->video_mem));
    else
        std::printf("Video Info not available\n");
    std::printf(fullScreen ? "Video Mode : %dx%d %d bpp Full Screen\n\n" : "Video Mode : %dx%d %d bpp Windowed\n\n",
                static_cast<int>(width), static_cast<int>(height), static_cast<int>(depth));
    static const struct {
        SDL_GLattr attr;
        const char* text;
    } kAttrs[] = {
        {SDL_GL_RED_SIZE, "OpenGL : Red Size = %d\n"},
        {SDL_GL_GREEN_SIZE, "OpenGL : Green Size = %d\n"},
        {SDL_GL_BLUE_SIZE, "OpenGL : Blue Size = %d\n"},
        {SDL_GL_BUFFER_SIZE, "OpenGL : Buffer Size = %d\n"},
        {SDL_GL_ALPHA_SIZE, "OpenGL : Alpha Size = %d\n"},
        {SDL_GL_DEPTH_SIZE, "OpenGL : Depth Size = %d\n"},
        {SDL_GL_DOUBLEBUFFER, "OpenGL : Double Buffer = %d\n"},
        {SDL_GL_STENCIL_SIZE, "OpenGL : Stencil Size = %d\n"},
        {SDL_GL_ACCUM_RED_SIZE, "OpenGL : Accum Red Size = %d\n"},
        {SDL_GL_ACCUM_GREEN_SIZE, "OpenGL : Accum Green Size = %d\n"},
        {SDL_GL_ACCUM_BLUE_SIZE, "OpenGL : Accum Blue Size = %d\n"},
        {SDL_GL_ACCUM_ALPHA_SIZE, "OpenGL : Accum Alpha Size = %d\n"},
    };
    for (const auto& a : kAttrs) {
        int value = 0;
        SDL_GL_GetAttribute(a.attr, &value);
        std::printf(a.text, value);
    }
}

bool HasExtension(const char* name, const char* list)
{
    if (!name || !list)
        return false;
    size_t n = std::strlen(name);
    const char* p = list;
    while (*p) {
        const char* end = std::strchr(p, ' ');
        size_t len = end ? static_cast<size_t>(end - p) : std::strlen(p);
        if (len == n && std::strncmp(p, name, n) == 0)
            return true;
        if (!end)
            break;
        p = end + 1;
    }
    return false;
}

void TestExtensions()
{
    GLExtensions& e = glExtensions;
    e = GLExtensions();
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!list)
        list = "";
    // Edge clamping is core from OpenGL 1.2 on; drivers need not list it.
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (version)
        std::sscanf(version, "%d.%d", &major, &minor);
    e.edgeClamp = HasExtension("GL_EXT_texture_edge_clamp", list) || HasExtension("GL_SGIS_texture_edge_clamp", list) ||
                  major > 1 || (major == 1 && minor >= 2);
    if (HasExtension("GL_ARB_multitexture", list)) {
        e.glActiveTextureARB = SDL_GL_GetProcAddress("glActiveTextureARB");
        e.glMultiTexCoord2fARB = SDL_GL_GetProcAddress("glMultiTexCoord2fARB");
        e.glClientActiveTextureARB = SDL_GL_GetProcAddress("glClientActiveTextureARB");
        if (e.glActiveTextureARB && e.glMultiTexCoord2fARB && e.glClientActiveTextureARB) {
            e.multitexture = 1;
            GLint units = 0;
            glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
            e.textureUnits = units;
        }
    }
    if (HasExtension("GL_EXT_compiled_vertex_array", list)) {
        e.glLockArraysEXT = SDL_GL_GetProcAddress("glLockArraysEXT");
        e.glUnlockArraysEXT = SDL_GL_GetProcAddress("glUnlockArraysEXT");
        e.compiledArrays = e.glLockArraysEXT && e.glUnlockArraysEXT;
    }
    e.bufferObjects = 0;
    if (HasExtension("GL_ARB_vertex_buffer_object", list)) {
        e.bufferObjects = 1;
        e.glBindBufferARB = SDL_GL_GetProcAddress("glBindBufferARB");
        e.glGenBuffersARB = SDL_GL_GetProcAddress("glGenBuffersARB");
        e.glBufferDataARB = SDL_GL_GetProcAddress("glBufferDataARB");
        e.glBufferSubDataARB = SDL_GL_GetProcAddress("glBufferSubDataARB");
        e.glDeleteBuffersARB = SDL_GL_GetProcAddress("glDeleteBuffersARB");
        e.glMapBufferARB = SDL_GL_GetProcAddress("glMapBufferARB");
        e.glUnmapBufferARB = SDL_GL_GetProcAddress("glUnmapBufferARB");
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    e.maxTextureSize = maxSize;
}

void PrintExtensionReport()
{
    const GLExtensions& e = glExtensions;
    std::printf("Extensions Test :\n\n");
    std::printf(e.edgeClamp ? "Texture Clamp Edge : Supported\n" : "Texture Clamp Edge : NOT Supported\n");
    std::printf("\n");
    if (e.multitexture) {
        std::printf("MultiTexturing : Supported\n");
        std::printf("Maximum Texture Unit = %d\n", e.textureUnits);
    } else {
        std::printf("MultiTexturing : NOT Supported\n");
    }
    std::printf("\n");
    std::printf(e.compiledArrays ? "Compiled Vertex Array : Supported\n" : "Compiled Vertex Array : NOT Supported\n");
    std::printf("\n");
    std::printf("Texture Maximum Size = %dx%d\n", e.maxTextureSize, e.maxTextureSize);
}

void Set2DScreenSize(uint32_t w, uint32_t h)
{
    screen2DWidth = w;
    screen2DHeight = h;
}

void Set2DRotated(int r)
{
    rotated2D = r;
}

void Begin2D()
{
    glGetFloatv(GL_PROJECTION_MATRIX, projection2D);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (rotated2D)
        glOrtho(0, screen2DHeight, screen2DWidth, 0, -1, 1);
    else
        glOrtho(0, screen2DWidth, screen2DHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
}

void End2D()
{
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection2D);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(modelview2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
}

uint32_t FramePaceDelay(uint32_t frameStart, uint32_t now, uint32_t minFrameMs)
{
    const uint32_t spent = now - frameStart;  // unsigned: right across the tick counter's wrap
    return spent < minFrameMs ? minFrameMs - spent : 0;
}
