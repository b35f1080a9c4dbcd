#pragma once
// What the display offers, asked of SDL (the video subsystem is started
// here if it is not running yet).
#include "app/videomode.h"

#include <vector>

// The desktop's current size; false when no display answers, after waiting
// for one as long as the window's opening does (the video subsystem is then
// left closed).
bool QueryDesktopMode(int& width, int& height);

// Every mode SDL lists at 32 bits per pixel, largest first as SDL gives
// them. When SDL accepts any size (always so in a window), the usual sizes
// that fit on the desktop are offered.
// Empty when no display answers.
std::vector<DisplayMode> EnumerateDisplayModes(bool windowed);

// Starts SDL's video subsystem, 0 on success (SDL_InitSubSystem); a test
// puts its own in place to play a display server that is not back yet.
// Null: SDL's.
using VideoStarter = int (*)();
void SetVideoStarter(VideoStarter starter);
