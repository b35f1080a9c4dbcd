#include "app/startup.h"

#include "app/errorbox.h"
#include "app/exception.h"
#include "app/gamestate.h"
#include "app/log.h"
#include "app/paths.h"
#include "app/platform.h"
#include "app/settings.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

const char* failedStep = nullptr;

// Logs a start-up step and remembers it, so that a step that fails without
// throwing can be named in the report.
const char* currentStep = nullptr;
void LogStep(const char* line)
{
    WriteLog(line);
    currentStep = line;
}

[[maybe_unused]] int StopAtCurrentStep()
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

const char* FailedStartupStep()
{
    return failedStep;
}

void ParseCommandLine(int argc, char** argv)
{
    if (argc > 1 && argv && argv[1] && std::strcmp(argv[1], "-windowed") == 0)
        gameState.windowed = 1;
}

int InitPelmo()
{
    failedStep = nullptr;
    Settings& s = gameState.settings;
    LogStep("Init Game :");
    gameState.dataPrefix[0] = '\0';

    const char* subdirs[3] = {"save\\", "level\\", "capture\\"};
    for (const char* sub : subdirs) {
        char path[kPathSize];
        if (FormatPath(path, sizeof path, "%s%s", s.GamePath, sub))
            MakePath(path);
    }

    LogStep("Load config file");
    LoadGameConfig(s);
    ReadLogoColours();

    gameState.gameInProgress = 0;
    gameState.inMenu = 1;
    gameState.puzzle.replayMode = 0;
    gameState.fadeIn = 100;
    gameState.fadeOut = 0;
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    LogStep("Start game...");
    return 1;
}

void FreeGame()
{
    WriteLog("Free Game :");
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
        throw Exception(FormatText("Couldn't initialize SDL: %s\n", SDL_GetError()), "SDL_main",
                        "pelmo", __LINE__);
    ParseCommandLine(argc, argv);

    int ready = InitPelmo();

    WriteLog("Free level codes");
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
