#pragma once
// The player's options and the display modes, as plain records: read and
// written by the settings files and the video mode above, carried by the
// game state, and handed to the lower modules as the values they need.
#include "app/base/paths.h"

struct Settings {
    char GamePath[kPathSize] = ".\\";
    char Lang[kPathSize] = "en";
    char firstRunLang[kPathSize] = "en";  // the "Lang" of config.ini
    int Width = 1024;
    int Height = 768;
    int Speed = 12;
    int Difficulty = 1;
    int Help = 1;
    int Sound = 1;
    int Music = 1;
    int MipMapping = 1;
    int Reflect = 0;
    int firstRun = 0;
};

// One resolution the options offer.
struct DisplayMode {
    int width = 0;
    int height = 0;
    int bpp = 32;
};
