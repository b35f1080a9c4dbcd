#include "app/startup.h"

#include "app/errorbox.h"
#include "app/base/exception.h"
#include "state/gamestate.h"
#include "app/base/log.h"
#include "app/base/paths.h"
#include "app/base/files.h"
#include "app/base/ini.h"
#include "app/settings.h"

#include "app/display.h"
#include "app/location.h"
#include "app/videomode.h"
#include "engine/glcontext.h"
#include "loop/pelmo.h"
#include "app/resolution.h"
#include "menu/menu.h"
#include "persist/levelcode.h"
#include "persist/score.h"
#include "scene/hud.h"
#include "scene/pelmo3d.h"
#include "sound/sound.h"
#include "text/fontconfig.h"
#include "text/font.h"
#include "text/texte.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

const char* failedStep = nullptr;
IntroDriver* introDriver = nullptr;

// Logs a start-up step and remembers it, so that a step that fails without
// throwing can be named in the report.
const char* currentStep = nullptr;
void LogStep(const char* line)
{
    WriteLog(line);
    currentStep = line;
}

int StopAtCurrentStep()
{
    failedStep = currentStep;
    return 0;
}

void ReadLogoColours()
{
    char path[kPathSize];
    if (!FormatPath(path, sizeof path, "%sdata/font.ini", gameState.dataPrefix))
        return;
    const char* keys[3] = {"Color1", "Color2", "Color3"};
    for (int i = 0; i < 3; ++i) {
        char text[256];
        ReadIniString("Logo", keys[i], "1,1,1", text, sizeof text, path);
        float* c = gameState.logoColor[i];
        std::sscanf(text, "%f,%f,%f", &c[0], &c[1], &c[2]);
    }
}

}  // namespace

void SetIntroDriver(IntroDriver* driver)
{
    introDriver = driver;
}

const char* FailedStartupStep()
{
    return failedStep;
}

void ParseCommandLine(int argc, char** argv)
{
    if (ReadCommandLine(argc, argv).windowed)
        gameState.windowed = 1;
}

namespace {

// "list video modes" and "Init video mode": the start resolution and the
// window, each logged once, here.
void ChooseStartResolution(GameState& g)
{
    Settings& s = g.settings;
    WriteLog("list video modes");
    int dw = 0, dh = 0;
    bool desktop = QueryDesktopMode(dw, dh);
    if (desktop) {
        char line[64];
        std::snprintf(line, sizeof line, "current resolution = %dx%d", dw, dh);
        WriteLog(line);
    }
    g.displayModes = ChooseStartSize(s, desktop, dw, dh, EnumerateDisplayModes(g.windowed != 0));

    WriteLog("Init video mode");
    g.pendingWidth = s.Width;
    g.pendingHeight = s.Height;
    gameWindow.fov = 45;
    gameWindow.nearDist = 0.01f;
    gameWindow.farDist = 1000;
    if (!gameWindow.Create(static_cast<uint32_t>(s.Width), static_cast<uint32_t>(s.Height), g.windowed ? 0 : 1))
        throw Exception("Couldn't initialize OpenGL", "InitPelmo", "pelmo", __LINE__);
    // The window may have come out another size than asked (a full screen
    // the display refused): the game follows the window.
    s.Width = static_cast<int>(gameWindow.width);
    s.Height = static_cast<int>(gameWindow.height);
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    glEnable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
}

}  // namespace

int InitPelmo()
{
    GameState& g = gameState;
    failedStep = nullptr;
    Settings& s = g.settings;
    LogStep("Init Game :");

    const char* subdirs[3] = {"save\\", "level\\", "capture\\"};
    for (const char* sub : subdirs) {
        char path[kPathSize];
        if (FormatPath(path, sizeof path, "%s%s", s.GamePath, sub))
            MakePath(path);
    }

    LogStep("Find themes");
    if (!InitListTheme(g.dataPrefix))
        return StopAtCurrentStep();

    LogStep("Load config file");
    LoadGameConfig(s);
    LoadTextFile(g.dataPrefix, s.Lang);
    LoadFontConfig(g.dataPrefix);
    ReadLogoColours();

    g.gameInProgress = 0;
    g.inMenu = 1;
    g.puzzle.replayMode = 0;
    g.fadeIn = 100;
    g.fadeOut = 0;
    g.puzzle.difficulty = kNormal;
    g.puzzle.levelIndex = 0;
    g.cameras = CameraRig();
    UseMenuCamera(g);
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    LogStep("Init stack");
    InitPile(g.puzzle);

    LogStep("Init scores");
    if (!InitScores(g.scores, s.GamePath))
        return StopAtCurrentStep();

    SDL_ShowCursor(SDL_DISABLE);

    ChooseStartResolution(g);

    SDL_EnableUNICODE(1);
    SetWindowCaptionAndIcon(g);

    Set2DScreenSize(static_cast<uint32_t>(s.Width), static_cast<uint32_t>(s.Height));
    LogStep("Init fonts");
    SetIconFontHooks(LoadHudIconFont, FreeHudIconFont);
    if (!InitFont(s.Width, s.Height, g.dataPrefix))
        return StopAtCurrentStep();

    LogStep("VRO Logo");
    // A window closed during the intro ends the run before the first menu.
    if (PlayIntro(gameWindow, g.logoColor, introDriver) == IntroEnd::Closed)
        g.quitRequested = 1;
    SetWindowCaptionAndIcon(g);

    LogStep("Init menu");
    SetOptionsApplier(ApplyOptions);
    BuildMenus(g);

    LogStep("Init menu textures");
    InitMenu(g.dataPrefix);

    LogStep("Load 3D objects and textures");
    if (!InitPelmo3D(g.dataPrefix, s))
        return StopAtCurrentStep();
    SetPointerTexture(PointerTexture());

    LogStep("Init menu objects");
    if (!InitObjetMenu(g.dataPrefix))
        return StopAtCurrentStep();

    LogStep("Load other textures");

    // The player's own values stay for "game.ini" even when no device
    // forces both off for this run.
    g.storedSound = s.Sound;
    g.storedMusic = s.Music;
    g.soundDevice = StartSound(g.dataPrefix, s.Sound, s.Music);

    LogStep("Init joystick");
    OpenJoysticks(g.input);

    LogStep("Load level and codes");
    LoadProgress(g.progress, s.GamePath);
    loadLevelCodes(g.codes, g.dataPrefix);
    g.lastTicks = ReadFrameClock();
    SetCurrentMenu(g.menus, g.mainMenu);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetMenuLights();

    LogStep("Start game...");
    return 1;
}

void FreeGame()
{
    GameState& g = gameState;
    WriteLog("Free Game :");
    WriteLog("Free joystick");
    CloseJoysticks(g.input);
    WriteLog("Free Resolution list");
    g.displayModes.clear();
    WriteLog("Free Fonts");
    FreeFonts();
    WriteLog("Free scores");
    FreeScores(g.scores);
    WriteLog("Free stack");
    g.puzzle.undoCount = 0;
    WriteLog("Free level");
    FreeLevel(g.puzzle);
    WriteLog("Free theme");
    FreeTheme();
    WriteLog("Free game objects and textures");
    FreeScene();
    WriteLog("Free menu objects");
    FreeMenuObjects();
    WriteLog("Free sounds");
    FreeSound();
    WriteLog("Free menu textures");
    FreeMenuTextures();
    WriteLog("Free menu");
    FreeMenus(g);
    WriteLog("Free glutil");
    if (gameWindow.initialised)
        gameWindow.Close();
}

namespace {

// The program between the banner and "End.", as one body for the handler.
int RunProgram(int argc, char** argv)
{
    WriteLog("Pondrake logfile.");
    WriteLog("");

    WriteLog("Init FreeType");
    if (TTF_Init() < 0)
        throw Exception("Error while initializing FreeType", "SDL_main", "pelmo", __LINE__);

    WriteLog("Create game directory");
    ReadConfig(gameState.settings);

    WriteLog("Init SDL");
    // Audio is opened on its own later, so that a machine without a sound
    // device still starts (without sound).
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_JOYSTICK) < 0)
        throw Exception(FormatText("Couldn't initialize SDL: %s\n", SDL_GetError()), "SDL_main", "pelmo", __LINE__);
    ParseCommandLine(argc, argv);

    int ready = InitPelmo();
    if (ready)
        RunFrameLoop();

    WriteLog("Free level codes");
    FreeLevelCodes(gameState.codes);
    FreeGame();
    WriteLog("Free SDL");
    SDL_Quit();
    WriteLog("Free FreeType");
    TTF_Quit();

    if (!ready) {
        std::string text = FormatText("Start-up failed : %s\n", failedStep ? failedStep : "?");
        ShowErrorBox("Error", text.c_str());
        return 1;
    }
    return 0;
}

void ReleaseVideoForErrorBox()
{
    // A full-screen window would hide the box: give the display back first.
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

int RunWithErrorReport(int (*body)(int, char**), int argc, char** argv)
{
    int status = 1;
    try {
        status = body(argc, argv);
    } catch (const Exception& e) {
        ReleaseVideoForErrorBox();
        ShowErrorBox("Error", FormatExceptionReport(e).c_str());
        status = 1;
    } catch (...) {
        ReleaseVideoForErrorBox();
        ShowErrorBox("Error", "Unknown Exception");
        status = 1;
    }
    WriteLog("End.");
    return status;
}

int SDL_main(int argc, char** argv)
{
    return RunWithErrorReport(RunProgram, argc, argv);
}
