#pragma once
// GameState: the one global block of game state, from start-up to shutdown.
// Each subsystem keeps its own part in a record of its own; this block only
// gathers them so the frame loop, the menus and the renderer can reach them.
#include "app/settings.h"

struct GameState {
    Settings settings;

    // Start-up (command line, data location, intro logo colours).
    int windowed = 0;
    char dataPrefix[kPathSize] = "";
    float logoColor[3][3] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};

    // Which menus we came from and what runs (menus and screens).
    int gameInProgress = 0;
    int inMenu = 1;
    int replayMode = 0;
    int quitRequested = 0;
    float menuFadeIn = 100;
    float quitFade = 0;
};

extern GameState gameState;
