#pragma once
// What the display offers, asked of SDL (the video subsystem is started
// here if it is not running yet).
#include "app/videomode.h"

#include <vector>

// The desktop's current size; false when SDL cannot say.
bool QueryDesktopMode(int& width, int& height);

// Every mode SDL lists at 32 bits per pixel, largest first as SDL gives
// them. When SDL accepts any size (always so in a window), the usual sizes
// that fit on the desktop are offered.
std::vector<DisplayMode> EnumerateDisplayModes(bool windowed);
