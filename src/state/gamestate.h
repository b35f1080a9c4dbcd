#pragma once
// GameState: the one global block of game state, from start-up to shutdown.
// Each subsystem keeps its own part in a record of its own (the puzzle, the
// input, the cameras, the saved data, the menus); this block gathers them so
// the frame loop, the screens and the renderer reach them in one place.
//
// Resources that live in GL (theme, fonts, menu scene) and the sound are
// owned by their subsystems and are not here.
#include "app/base/settingsrecord.h"
#include "scene/camera.h"
#include "state/input.h"
#include "state/menuwidget.h"
#include "persist/levelcode.h"
#include "persist/savegame.h"
#include "persist/score.h"
#include "puzzle/tableau.h"
#include "text/texte.h"

#include <cstdint>
#include <string>
#include <vector>

// Which screen the frame loop draws and updates.
enum ScreenStateId : int {
    kScreenMenus = 0,
    kScreenLevelStart = 1,
    kScreenPlay = 2,
    kScreenLevelWon = 4,
    kScreenCredits = 7,
    kScreenCodeEntry = 8,
    kScreenSolutionList = 9,
    kScreenLoadSlots = 10,
    kScreenSaveSlots = 11,
    kScreenHighScores = 12,
    kScreenHelpMessage = 15,
    kScreenGameEnd = 16,  // after the last level
    kScreenLevelList = 17,
};

struct GameState {
    Settings settings;
    // The player's own Sound and Music values: kept for "game.ini" when no
    // audio device forces both off for this run.
    int storedSound = 1, storedMusic = 1;
    bool soundDevice = false;

    // Start-up (command line, data location, intro logo colours).
    int windowed = 0;
    char dataPrefix[kPathSize] = "";
    float logoColor[3][3] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};

    // Frame loop and screens.
    int ScreenState = kScreenMenus;
    uint32_t lastTicks = 0;
    float frameStep = 0;  // elapsed time in sixtieths of a second
    float fadeIn = 100;   // menu fade-in timer
    float fadeOut = 0;    // quit fade-out timer
    int quitRequested = 0;
    float T = 0;  // animation clock of the board
    int screenshotCounter = 0;

    // What runs (whether a stored solution is being watched is the puzzle's
    // replayMode).
    int gameInProgress = 0;
    int inMenu = 1;
    int themeIndex = -1;

    InputState input;
    CameraRig cameras;
    Camera screenCamera;             // the camera a screen sets for itself (menus, level start, won)
    Camera* camera = &screenCamera;  // the camera in use

    Puzzle puzzle;

    // Saved data.
    LevelCodes codes;
    Progress progress;
    CodeEntry codeEntry;
    ScoreTable scores;
    NameEditor nameEditor;
    SlotSummary slots[kSlotCount];

    // Menus.
    Menu mainMenu, gameMenu, optionsMenu, inGameMenu;
    MenuSystem menus;
    // The resolutions the options offer (chosen at start-up) and the one
    // chosen there until "Back" applies it.
    std::vector<DisplayMode> displayModes;
    int pendingWidth = 0, pendingHeight = 0;

    // Dialog screens.
    int solutionPage = 0, solutionRow = 0;  // also the level list's
    int slotRow = -1;                       // load/save lists: 0 … 9 a slot, 10 "Back", -1 none
    // The screen on which a key or a mouse button last went down (-1: none
    // since a screen was left). A release confirms a screen only when its
    // press belongs to that screen, so a key still held from the play
    // screen (the winning push) never skips the next one.
    int armedScreen = -1;
    // Where the left button went down on the play screen (-1: not there),
    // so that only a press and release without a drag counts as a click.
    int boardPressX = -1, boardPressY = -1;
    std::vector<CreditLine> credits;
    float creditsScroll = 0;

    // Level start screen: its orbit and the white flash of a difficulty change.
    float levelStartOrbit = 0;
    float flash = 0;
    bool difficultyChangeDone = false;
    // The pointer has moved since the screen showed: only then does its
    // place choose, so a click that left the screen before never does.
    bool difficultyByPointer = false;
    // Level won screen: its orbit.
    float levelWonOrbit = 0;
    // The three lines of the help message screen.
    int helpKind = 0;
};

extern GameState gameState;
