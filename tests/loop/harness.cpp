#include "harness.h"

#include "app/base/exception.h"
#include "app/base/log.h"
#include "app/settings.h"
#include "persist/levelcode.h"

#include <SDL_ttf.h>

#include <cstring>
#include <filesystem>
#include <new>

InjectedInput injected;

namespace {

uint32_t FakeClock()
{
    return injected.now;
}

void InjectInput(RawInput& raw)
{
    raw.keys = injected.keys;
    raw.keyCount = SDLK_LAST;
    raw.mouseX = injected.mouseX;
    raw.mouseY = injected.mouseY;
    raw.mouseRelX = injected.mouseRelX;
    raw.mouseRelY = injected.mouseRelY;
    raw.mouseButtons = injected.mouseButtons;
    raw.joystickPresent = injected.joystick;
    raw.axis0 = injected.axis0;
    raw.axis1 = injected.axis1;
    raw.anyButton = injected.joyButton;
    raw.events = injected.events;
    injected.events.clear();
    injected.mouseRelX = injected.mouseRelY = 0;
}

}  // namespace

void QueueEvent(Uint8 type, SDLKey key, Uint16 unicode)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = key;
    e.key.keysym.unicode = unicode;
    injected.events.push_back(e);
}

void QueueMouseButton(Uint8 type, Uint8 button, int x, int y)
{
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    injected.events.push_back(e);
}

uint32_t SkipIntro::Ticks()
{
    return injected.now;
}

bool SkipIntro::StopRequested(bool* closed)
{
    if (closed)
        *closed = closeWindow;
    return true;
}

void SoundRecorder::PlaySound(const char* wav)
{
    sounds.push_back(wav);
    game->PlaySound(wav);
}

void GameHarness::SetUp()
{
    std::filesystem::create_directory_symlink(RunDir() + "/data", "data");
    WriteTestFile("game.ini", gameIni);
    injected = InjectedInput();
    injected.now = 1000;
    SetFrameClock(FakeClock);
    SetInputSource(InjectInput);
    SetIntroDriver(&intro);
    ResetLog();
    // Every test starts from a fresh game block, as a new run would.
    gameState.~GameState();
    new (&gameState) GameState();
    g.windowed = 1;
    ASSERT_EQ(TTF_Init(), 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_JOYSTICK), 0);
    ReadConfig(g.settings);
    int ready = 0;
    try {
        ready = InitPelmo();
    } catch (const Exception& e) {
        FAIL() << FormatExceptionReport(e);
    }
    ASSERT_EQ(ready, 1);
    if (!g.quitRequested)
        Frames(120, 1000 / 60);  // past the menus' fade-in
}

void GameHarness::TearDown()
{
    FreeLevelCodes(g.codes);
    FreeGame();
    SDL_Quit();
    TTF_Quit();
    SetFrameClock(nullptr);
    SetInputSource(nullptr);
    SetIntroDriver(nullptr);
}

void GameHarness::Frames(int n, uint32_t ms)
{
    for (int i = 0; i < n; ++i) {
        injected.now += ms;
        ASSERT_TRUE(RunFrame());
    }
}

void GameHarness::Hold(SDLKey key, int frames, uint32_t ms)
{
    injected.keys[key] = 1;
    QueueEvent(SDL_KEYDOWN, key);
    Frames(frames, ms);
    injected.keys[key] = 0;
    QueueEvent(SDL_KEYUP, key);
    Frames(1, ms);
}

void GameHarness::Keys(std::initializer_list<SDLKey> keys)
{
    for (SDLKey k : keys)
        Hold(k);
}

void GameHarness::Step(SDLKey key)
{
    Hold(key, 3);
    Frames(30, 16);
}

void GameHarness::Click(int x, int y, Uint8 button)
{
    MoveMouse(x, y);
    QueueMouseButton(SDL_MOUSEBUTTONDOWN, button, x, y);
    QueueMouseButton(SDL_MOUSEBUTTONUP, button, x, y);
    Frames(1, 16);
}

void GameHarness::MoveMouse(int x, int y)
{
    injected.mouseRelX = x - injected.mouseX;
    injected.mouseRelY = y - injected.mouseY;
    injected.mouseX = x;
    injected.mouseY = y;
    Frames(1, 16);
}

void GameHarness::Play(int level)
{
    StartNewGame(g, level);
    ASSERT_EQ(g.ScreenState, kScreenLevelStart);
    Hold(SDLK_SPACE);
    ASSERT_EQ(g.ScreenState, kScreenPlay);
}
