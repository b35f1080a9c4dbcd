#pragma once
// What is drawn in 2D over the board while a game is shown: the heads-up
// bar, the help-message box, the colour flash and the mouse pointer, and the
// plain rectangles they are made of.
//
// Each piece draws into a 2D overlay the caller has already entered
// (Begin2D) and leaves the GL state as it found it. Positions follow the
// window's width and height; icons and boxes are in pixels; the texts are
// drawn with the game font (text/font.h), which grows with the window.
#include "text/widetext.h"

struct GLTexture;

// An untextured rectangle, blended.
void DrawRect(float x0, float y0, float x1, float y1, float r, float g, float b, float a);

// The whole viewport in one colour, blended.
void DrawFlash(float r, float g, float b, float a);

// The pointer's half size on a window of that width: W × 16 / 1024, so it
// is 32 × 32 pixels at 1024 and 20 × 20 at 640.
float PointerHalfSize(int windowWidth);
// The pointer texture ("data/gfx/2d/pointeur.png") is the menu scene's; it
// is handed over here (null, or a texture without a GL name: the pointer is
// drawn untextured).
void SetPointerTexture(const GLTexture* texture);
// A square of side 2 · halfSize from (x, y), the pointer's picture on it.
void DrawPointer(int x, int y, float halfSize);

// The icon font of the heads-up bar ("data/gfx/2d/fonteicone.png", four
// 48 x 48 cells: space, '!', '"', '#'). These two are the hooks to hand to
// SetIconFontHooks, so that InitFont loads it and FreeFonts frees it.
bool LoadHudIconFont(const char* path);
void FreeHudIconFont();

// What the heads-up bar shows.
struct HudValues {
    int windowWidth = 640;
    int levelIndex = 0;  // shown as levelIndex + 1
    int moves = 0;
    bool bombCarried = false;
};
// The level number, the move counter and, while the car carries one, the
// bomb, each under its icon and label ("IconLevel", "IconMoves", "IconBomb").
void DrawHudBar(const HudValues& hud);

// The three lines of a help message across a window of width × height,
// over a faint 400 × 128 box in its middle.
void DrawMessageBox(int windowWidth, int windowHeight, const WideText* const lines[3]);
