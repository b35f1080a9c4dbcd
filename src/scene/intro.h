#pragma once
// The company-logo animation played once before the first menu: three
// chrome rings, each in one of the logo colours, fly in turning twice round,
// stand still, and the picture fades to black.
#include <cstdint>

struct GLContext;
struct Model3D;

// What the intro's loop needs from the outside world, so that a test can run
// it frame by frame with a clock of its own.
struct IntroDriver {
    virtual ~IntroDriver() = default;
    // Milliseconds, as SDL_GetTicks.
    virtual uint32_t Ticks();
    // Polls the events: true when a key was released (the player skips the
    // intro) or the window was closed (then *closed is set too).
    virtual bool StopRequested(bool* closed);
    // The frame is drawn: swap the buffers.
    virtual void EndFrame(GLContext& context);
};

enum class IntroEnd { Played, Skipped, Closed };

// Time line, in sixtieths of a second from the intro's start.
constexpr float kIntroFlyTime = 144;    // the logo turns from 720° to 0 while it comes closer
constexpr float kIntroStillTime = 200;  // then stands still
constexpr float kIntroFadeTime = 100;   // then fades to black
constexpr float kIntroLength = kIntroFlyTime + kIntroStillTime + kIntroFadeTime;

// The logo's pose and the black veil at time t of the intro.
struct IntroPose {
    float angle;  // degrees about (0, 1, 0)
    float z;      // extra move towards the viewer
    float veil;   // alpha of the black rectangle
};
IntroPose IntroPoseAt(float t);

// Builds the three-part logo ("LOGO1", "LOGO2", "LOGO3"), each part
// environment-mapped with a texture made in memory in its colour.
bool BuildIntroLogo(Model3D& logo, const float logoColours[3][3]);

// Draws the intro's frame at time t into the current context.
void DrawIntroFrame(GLContext& context, Model3D& logo, float t);

// Runs the intro's own loop until it ends, a key is released or the window
// is closed. The clock starts when the logo is ready, so the time start-up
// took does not count. Null driver: SDL's clock, events and buffer swap.
IntroEnd PlayIntro(GLContext& context, const float logoColours[3][3], IntroDriver* driver = nullptr);
