#pragma once
// The whole game in this process, driven frame by frame: a fake clock, key
// states, mouse and events injected into the real input rules, the real
// start-up, frame loop, menus, screens and puzzle. No real-time waiting.
// Each suite that drives the game derives its fixture from GameHarness.
#include "app/startup.h"
#include "loop/pelmo.h"
#include "scene/intro.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <initializer_list>
#include <string>
#include <vector>

// What the next frames' input holds; InjectInput hands it to the game.
struct InjectedInput {
    uint32_t now = 0;
    Uint8 keys[SDLK_LAST] = {};
    std::vector<SDL_Event> events;  // taken by the next frame
    int mouseX = 1, mouseY = 1;     // off every menu item
    int mouseRelX = 0, mouseRelY = 0;
    Uint8 mouseButtons = 0;
    bool joystick = false;
    Sint16 axis0 = 0, axis1 = 0;
    bool joyButton = false;
};
extern InjectedInput injected;

void QueueEvent(Uint8 type, SDLKey key = SDLK_UNKNOWN, Uint16 unicode = 0);
void QueueMouseButton(Uint8 type, Uint8 button, int x, int y);

// The intro stops at once (as a closed window when closeWindow is set).
struct SkipIntro : IntroDriver {
    bool closeWindow = false;
    uint32_t Ticks() override;
    bool StopRequested(bool* closed) override;
    void EndFrame(GLContext&) override {}
};

// Sounds the puzzle asks for, passed on to the game's own hooks.
struct SoundRecorder : PuzzleHooks {
    PuzzleHooks* game = nullptr;
    std::vector<std::string> sounds;
    void PlaySound(const char* wav) override;
    void ReleaseHeldKeys() override { game->ReleaseHeldKeys(); }
    void ShowHint(int kind) override { game->ShowHint(kind); }
    void SceneryChanged() override { game->SceneryChanged(); }
    void BlockFixed(int i) override { game->BlockFixed(i); }
};

class GameHarness : public ::testing::Test {
protected:
    ScopedTempDir dir;
    SkipIntro intro;
    GameState& g = gameState;

    // The game.ini the run starts with (small and quick; help hints off so
    // they never stop a replay). A fixture may set it before SetUp.
    std::string gameIni = "[Game]\nWidth=640\nHeight=480\nSpeed=12\nHelp=0\nReflect=1\n";

    void SetUp() override;
    void TearDown() override;

    // n passes of the loop, each ms milliseconds after the one before.
    void Frames(int n, uint32_t ms);
    // A key held for that many frames, then released.
    void Hold(SDLKey key, int frames = 1, uint32_t ms = 16);
    void Keys(std::initializer_list<SDLKey> keys);
    // A step of the car (a push when a block is in the way), to its end.
    void Step(SDLKey key);
    // A left click (press and release within one frame) at (x, y).
    void Click(int x, int y, Uint8 button = SDL_BUTTON_LEFT);
    // The pointer moves to (x, y) over one frame.
    void MoveMouse(int x, int y);
    // A new game at a level, past its start screen.
    void Play(int level);
};
