#pragma once
// A GL window with the game's fonts, texts and 2D pictures, a GameState and
// a driver that feeds it frames of keyboard and mouse events through the
// game's own input rules. The pictures and fonts are the art kit's when the
// built game directory has them, else small stand-ins written by the test
// (and the DejaVu fonts of the system).
#include "state/gamestate.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "menu/screens.h"
#include "scene/hud.h"
#include "testdir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The colour of the stand-in selection bar and icons, so pixel tests can
// find them.
struct Rgb8 {
    int r, g, b;
};
constexpr Rgb8 kBarColour{40, 220, 90};
constexpr Rgb8 kBombIconColour{255, 0, 255};

// Drives g.input one frame at a time with SDL events, through ProcessInput.
class InputDriver {
public:
    explicit InputDriver(GameState& g);

    // One frame with these events (and the mouse where it is).
    void Frame(const std::vector<SDL_Event>& events = {});
    // A key pressed and released within one frame.
    void Press(SDLKey key, Uint16 unicode = 0);
    // A key goes down in this frame and stays down / goes up.
    void Hold(SDLKey key, Uint16 unicode = 0);
    void Release(SDLKey key);
    // Each character pressed in a frame of its own (its own key, its own
    // Unicode value).
    void Type(const std::u16string& text);
    void MoveTo(int x, int y);
    // Moves there and presses and releases a button within one frame.
    void Click(int x, int y, Uint8 button = SDL_BUTTON_LEFT);
    void Wheel(bool up);

    static SDL_Event KeyEvent(Uint8 type, SDLKey key, Uint16 unicode = 0);
    static SDL_Event ButtonEvent(Uint8 type, Uint8 button, int x, int y);

private:
    GameState& g_;
    std::vector<Uint8> keys_;
    int x_ = 0, y_ = 0, relX_ = 0, relY_ = 0;
};

// The frame buffer, top row first.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    static Shot Take(int w, int h);
    Rgb8 At(int x, int y) const;
    // Pixels in the rectangle [x0, x1) × [y0, y1) for which pred holds.
    template <class Pred>
    int Count(int x0, int y0, int x1, int y1, Pred pred) const
    {
        int n = 0;
        for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
                n += pred(At(x, y)) ? 1 : 0;
        return n;
    }
    void Save(const std::string& name) const;
};

bool IsBarColour(const Rgb8& c);

struct ScreenSetup {
    int width = 1024, height = 768;
    const char* lang = "en";
    bool kitArt = false;  // the art kit's pictures and fonts when the game has them
};

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override { Open(ScreenSetup()); }
    void TearDown() override;

    // Opens the window and loads everything for a setup (called again by
    // tests that need another size or language).
    void Open(const ScreenSetup& setup);
    void Close();

    // The four menus with the game's texts, laid out for the window.
    void BuildTestMenus();
    // A background to draw the screens over: the menu scene's darkness, or
    // a board-like pattern for the game screens.
    void DrawBackground(bool board) const;
    // Writes level files data/level/level<n>.lvl (index 0 …) into the
    // data prefix: a walled room with `blocks` blocks and targets.
    void WriteLevel(int index, int blocks) const;
    // A sound saved position of level `index` (written with WriteLevel).
    void WriteSlot(int slot, int index, int difficulty) const;

    ScreenSetup setup;
    ScopedTempDir dir;
    GLContext context;
    GLTexture pointer;
    std::unique_ptr<GameState> game;
    std::unique_ptr<InputDriver> input;
    bool usingKit = false;
    bool open = false;
};

// The screens' texts by language, for tests that go through all three.
extern const char* const kLanguages[3];
