#pragma once
// The game's window: its caption and icon, and a change of resolution while
// the game runs, which frees and rebuilds everything that lives in GL.
#include "state/gamestate.h"

#include <cstdint>

struct GLContext;

// Caption "Pondrake" and the icon "data/gfx/2d/icon.png" (no icon, no
// error, when the image is missing).
void SetWindowCaptionAndIcon(const GameState& g);

// Returns 1 when the game runs at width × height afterwards (also when
// nothing had to change), 0 when the new mode could not be set; the window
// is then opened again at the size it had, and "game.ini" must not keep the
// failed size. Throws Exception ("Couldn't initialize OpenGL") when the old
// size cannot be opened again either.
int ChangeResolution(GameState& g, int width, int height);

// Sets a video mode on the window, closing it first (GLContext::Recreate);
// a test puts its own in place to refuse modes. Null: Recreate.
using ModeSetter = bool (*)(GLContext& window, uint32_t width, uint32_t height, int fullScreen);
void SetModeSetter(ModeSetter setter);

// The options menu's "Back": applies a new resolution, with the music
// paused while the window changes, then writes "game.ini" (with the
// player's own Sound and Music values), also before an Exception from
// ChangeResolution goes on.
void ApplyOptions(GameState& g);

// Writes "game.ini"; without an audio device the player's own Sound and
// Music values are written, not the zeros this run is forced to.
bool SaveSettings(GameState& g);
