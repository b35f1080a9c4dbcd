#pragma once
// The game window with its OpenGL context, the extension probe, the 2D
// overlay mode and the view-frustum test. Everything runs on the thread that
// created the context. Nothing here throws: failures return false (or null)
// and, where the caller cannot tell why, print one line on standard error.
#include <SDL.h>
#include <GL/gl.h>

#include <cstdint>

// How often the video subsystem is tried, 100 ms apart, while the display
// server refuses connections for a moment (it resets when its only client
// closed its window).
constexpr int kVideoOpenAttempts = 20;

struct GLContext {
    SDL_Surface* surface = nullptr;
    uint32_t width = 0, height = 0;
    uint32_t depth = 0;      // informational, for the driver report
    int32_t fullScreen = 0;  // as requested (the window may have been granted instead)
    float fov = 45.0f;       // vertical angle in degrees
    float nearDist = 0.1f;
    float farDist = 100.0f;
    int32_t rotated = 0;        // window used turned by a quarter
    float frustum[6][4] = {};   // right, left, bottom, top, far, near (a, b, c, d)
    double modelview[16] = {};  // column-major, as OpenGL returns them
    double projection[16] = {};
    double clip[16] = {};  // projection × modelview
    double keptModelview[16] = {};
    double keptProjection[16] = {};
    int32_t initialised = 0;
    bool swapSync = true;  // ask for swaps synchronised with the display (benchmarks do not)
    // Of the window opened last: a display may grant one window a stencil
    // and the next (after a change of resolution) none.
    int stencilBits = 0;

    // Opens the window and the context at width × height. A full-screen
    // request the display cannot grant falls back to a window (one line on
    // standard error). False for a 0 size (before SDL is touched) or when no
    // window can be opened.
    bool Create(uint32_t w, uint32_t h, int fullScreen);
    // Closes the video subsystem and opens it again at the new size. Every
    // texture name and display list of the old context is invalid afterwards.
    bool Recreate(uint32_t w, uint32_t h, int fullScreen);
    void Close();

    // True when no OpenGL error is pending; otherwise one line on stderr.
    bool CheckError();

    void SaveMatrices();
    void SetWindowOrtho();
    void RestoreMatrices();

    // Planes of the current view volume, from the current matrices.
    void UpdateFrustum();
    // False only when the box lies wholly outside one of the six planes.
    bool BoxInFrustum(const float minCorner[3], const float maxCorner[3]) const;

    // Driver report on standard output (not used by the game).
    void PrintDriverReport() const;

private:
    bool OpenMode(int fullScreenFlag, bool hideCursorAgain);
    void SetInitialState(bool rotatedAspect);
};

// projection × modelview as GL holds them now (column-major), with the two
// matrices it was made of.
void CurrentClipMatrix(double clip[16], double projection[16], double modelview[16]);

// Counts the contexts made so far (0 before the first). A texture remembers
// the context its GL name belongs to and never uses or deletes a name of an
// older one.
uint32_t CurrentGLGeneration();

struct GLExtensions {
    int edgeClamp = 0;
    int multitexture = 0;
    int textureUnits = 0;
    int maxTextureSize = 0;
    void* glActiveTextureARB = nullptr;
    void* glMultiTexCoord2fARB = nullptr;
    void* glClientActiveTextureARB = nullptr;
    int compiledArrays = 0;
    void* glLockArraysEXT = nullptr;
    void* glUnlockArraysEXT = nullptr;
    int bufferObjects = 0;
    void* glBindBufferARB = nullptr;
    void* glGenBuffersARB = nullptr;
    void* glBufferDataARB = nullptr;
    void* glBufferSubDataARB = nullptr;
    void* glDeleteBuffersARB = nullptr;
    void* glMapBufferARB = nullptr;
    void* glUnmapBufferARB = nullptr;
};

extern GLExtensions glExtensions;

void TestExtensions();
// True when one name of the space-separated list equals `name` exactly.
bool HasExtension(const char* name, const char* list);
// Extension report on standard output (not used by the game).
void PrintExtensionReport();

// The 2D overlay: window pixels of the 2D screen size, origin top left, y
// downwards. The application sets the size to the video mode at start-up and
// after each change of resolution (640 × 480 until then).
void Set2DScreenSize(uint32_t width, uint32_t height);
void Set2DRotated(int rotated);
void Begin2D();
void End2D();

// The shortest frame where the display does not synchronise the swaps:
// about 120 frames a second.
constexpr uint32_t kMinFrameMs = 8;
// Milliseconds to wait so that a frame begun at frameStart lasts at least
// minFrameMs at time now (both SDL ticks).
uint32_t FramePaceDelay(uint32_t frameStart, uint32_t now, uint32_t minFrameMs);
