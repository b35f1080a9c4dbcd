#pragma once
// The screens in a GL window with the built game's fonts, texts and 2D
// pictures, a GameState with the game's own menus, and a driver that feeds
// frames of SDL events through the game's input rules and runs the screen
// under test (`screen`) after each one.
#include "engine/gltexture.h"
#include "glwindow.h"
#include "menu/menu.h"
#include "persist/slotgame.h"
#include "puzzledriver.h"
#include "scene/hud.h"
#include "text/font.h"
#include "text/texte.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class ScreenTest : public GLWindowTest {
protected:
    ScreenTest() : game(std::make_unique<GameState>()), g(*game) { width = 1024, height = 768; }

    void SetUp() override
    {
        GLWindowTest::SetUp();
        static bool ttf = GLTTF2D::Init();
        ASSERT_TRUE(ttf);
        for (const char* d : {"data/level", "save", "level"})
            std::filesystem::create_directories(d);
        for (const char* file :
             {"credit_en.txt", "credit_fr.txt", "credit_es.txt", "text_en.txt", "text_fr.txt", "text_es.txt"})
            std::filesystem::create_symlink(GameDir() + "data/" + file, std::string("data/") + file);
        std::snprintf(g.settings.GamePath, sizeof g.settings.GamePath, "%s/", dir.path().c_str());
        std::snprintf(g.dataPrefix, sizeof g.dataPrefix, "%s/", dir.path().c_str());
        g.settings.Speed = 4;  // "VeryFast", the longest of the speed words
        g.displayModes = {{640, 480, 32}, {1024, 768, 32}, {1280, 1024, 32}, {1600, 1200, 32}};
        InitScores(g.scores, g.settings.GamePath);
        g.codes.codeCount = kLevelCount;  // the codes LEVAA, LEVAB, …
        for (int i = 0; i < kLevelCount; ++i)
            g.codes.codes.insert(g.codes.codes.end(), {'L', 'E', 'V', 'A', static_cast<char>('A' + i)});
        g.fadeIn = 0;
        Load();
        MoveTo(2, 2);
    }
    void TearDown() override
    {
        Unload();
        GLWindowTest::TearDown();
    }
    // Another window size or language: fonts, texts and menus anew.
    void Use(int w, int h, const char* language)
    {
        std::snprintf(g.settings.Lang, sizeof g.settings.Lang, "%s", language);
        Unload();
        Reopen(w, h);
        Load();
    }

    // One frame of input, `step` time units long, then the screen's update.
    void Frame(const std::vector<SDL_Event>& events = {})
    {
        RawInput raw;
        raw.keys = keys, raw.keyCount = SDLK_LAST, raw.events = events;
        raw.mouseX = mouseX, raw.mouseY = mouseY, raw.mouseRelX = relX, raw.mouseRelY = relY;
        ProcessInput(g.input, raw);
        relX = relY = 0;
        g.frameStep = step;
        if (screen) {
            last = screen(g);
            reports += last.kind != ScreenAction::None;
        }
    }
    static SDL_Event Event(Uint8 type, int code, Uint16 unicode = 0)
    {
        SDL_Event e{};
        e.type = type;
        if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
            e.key.keysym.sym = static_cast<SDLKey>(code);
            e.key.keysym.unicode = unicode;
        } else {
            e.button.button = static_cast<Uint8>(code);
        }
        return e;
    }
    void Watch(ScreenAction (*update)(GameState&)) { screen = update, reports = 0; }
    testing::AssertionResult Reported(ScreenAction::Kind kind, int arg = 0) const
    {
        if (last.kind == kind && last.arg == arg)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "reported " << last.kind << " (" << last.arg << ")";
    }
    void Press(SDLKey key, Uint16 unicode = 0) { Frame({Event(SDL_KEYDOWN, key, unicode), Event(SDL_KEYUP, key)}); }
    void Hold(SDLKey key, Uint16 unicode = 0) { keys[key] = 1, Frame({Event(SDL_KEYDOWN, key, unicode)}); }
    void Release(SDLKey key) { keys[key] = 0, Frame({Event(SDL_KEYUP, key)}); }
    // Each character in a frame of its own, on its own key.
    void Type(const std::u16string& text)
    {
        for (char16_t c : text)
            Press(c < 128 ? static_cast<SDLKey>(std::tolower(c)) : SDLK_WORLD_0, c);
    }
    void MoveTo(int x, int y, const std::vector<SDL_Event>& events = {})
    {
        relX = x - mouseX, relY = y - mouseY, mouseX = x, mouseY = y;
        Frame(events);
    }
    void Click(int x, int y, Uint8 button = SDL_BUTTON_LEFT)
    {
        MoveTo(x, y, {Event(SDL_MOUSEBUTTONDOWN, button), Event(SDL_MOUSEBUTTONUP, button)});
    }
    void Wheel(bool up) { Click(mouseX, mouseY, up ? SDL_BUTTON_WHEELUP : SDL_BUTTON_WHEELDOWN); }

    // The background (a chequered floor for the screens over the board,
    // the menu scene's dark otherwise), the screen over it, read back.
    Picture Draw(void (*draw)(const GameState&), bool board = false)
    {
        DrawBackground(board);
        draw(g);
        return ReadPicture();
    }
    Picture DrawBackground(bool board = false)
    {
        glClearColor(0.05f, 0.07f, 0.15f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Begin2D();
        const float cell = width / 24.0f;
        for (int y = 0; board && y * cell < height; ++y)
            for (int x = 0; x < 24; ++x) {
                const float v = (x + y) % 2 ? 0.45f : 0.65f;  // as bright as the board gets
                DrawRect(x * cell, y * cell, (x + 1) * cell, (y + 1) * cell, v, v + 0.05f, v + 0.15f, 1);
            }
        End2D();
        return ReadPicture();
    }

    // A sound saved game of a level (written first) at a difficulty.
    void WriteSlot(int slot, int level, int difficulty) const
    {
        auto p = std::make_unique<Puzzle>();
        ASSERT_EQ(LoadLevel(*p, level, g.dataPrefix), 1);
        p->difficulty = difficulty;
        StartLevelBoard(*p, 0);
        ASSERT_TRUE(SaveRunningGame(slot, g.settings.GamePath, g.dataPrefix, *p));
    }

    std::unique_ptr<GameState> game;
    GameState& g;
    ScreenAction (*screen)(GameState&) = nullptr;
    ScreenAction last;  // what the screen reported in the last frame
    int reports = 0;    // the frames in which it reported something
    float step = 1.0f;

private:
    static std::string GameDir() { return RunDir() + "/"; }
    void Load()
    {
        g.settings.Width = width, g.settings.Height = height;
        ASSERT_TRUE(LoadTextFile(GameDir().c_str(), g.settings.Lang));
        LoadFontConfig(GameDir().c_str());
        SetIconFontHooks(LoadHudIconFont, FreeHudIconFont);
        ASSERT_TRUE(InitFont(width, height, GameDir().c_str()));
        InitMenu(GameDir().c_str());
        pointer.wrapS = pointer.wrapT = 0x812F;  // clamp to edge
        ASSERT_TRUE(pointer.Load((GameDir() + "data/gfx/2d/pointeur.png").c_str()) && pointer.Upload());
        SetPointerTexture(&pointer);
        BuildMenus(g);
    }
    // What lives in the GL context goes before the context does.
    void Unload()
    {
        FreeMenus(g);
        SetPointerTexture(nullptr);
        pointer.Reset();
        FreeMenuTextures();
        FreeFonts();
    }
    GLTexture pointer;
    Uint8 keys[SDLK_LAST] = {};
    int mouseX = 2, mouseY = 2, relX = 0, relY = 0;
};
