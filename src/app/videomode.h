#pragma once
// The resolutions the game offers and the one it starts at.
#include "app/settings.h"

#include <vector>

// Keeps the modes of 32 bits per pixel, at least 640 × 480, one entry per
// width and height (the first occurrence, in enumeration order).
std::vector<DisplayMode> FilterDisplayModes(const std::vector<DisplayMode>& enumerated);

// Settles Width and Height from the stored setting, the desktop (used on a
// first run, capped at 1024 × 768) and the offered modes (800 × 600, else
// 640 × 480, when the setting is not offered). The size chosen is always in
// the returned list, added when the display did not name it, so the options
// never index an empty list and show the size in use.
std::vector<DisplayMode> ChooseStartSize(Settings& s, bool haveDesktop, int desktopWidth, int desktopHeight,
                                         const std::vector<DisplayMode>& enumerated);
