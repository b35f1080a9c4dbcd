// The menus on the window: layout, the selection bar on the hovered item,
// the pointer, the fades, and texts kept inside their boxes.
#include "screens_fixture.h"

#include "app/base/exception.h"
#include "text/font.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

class MenuDrawTest : public ScreenTest {
protected:
    int W() const { return game->settings.Width; }
    int H() const { return game->settings.Height; }
    int MenuFrame()
    {
        int item, value;
        return MenuInput(game->menus, MenuFrameFromInput(game->input), item, value);
    }
    Shot DrawAndTake()
    {
        DrawBackground(false);
        DrawMenu(*game);
        return Shot::Take(W(), H());
    }
};

// Rows and columns holding bar-coloured pixels.
struct Extent {
    int top = -1, bottom = -1, left = -1, right = -1;
};

Extent BarExtent(const Shot& s, int x0 = 0, int x1 = -1)
{
    Extent e;
    if (x1 < 0)
        x1 = s.width;
    for (int y = 0; y < s.height; ++y)
        for (int x = x0; x < x1; ++x)
            if (IsBarColour(s.At(x, y))) {
                if (e.top < 0)
                    e.top = y;
                e.bottom = y;
                e.left = e.left < 0 ? x : std::min(e.left, x);
                e.right = std::max(e.right, x);
            }
    return e;
}

TEST_F(MenuDrawTest, TheBarSitsOnTheItemUnderTheMouse)
{
    BuildTestMenus();
    GameState& g = *game;
    const Menu& main = g.mainMenu;
    const float L = g.menus.lineStep;
    const int F = menuFont.lineHeight;
    for (int item : {0, 2, 4}) {
        input->MoveTo(main.x + 5, static_cast<int>(main.y + (item + 0.5f) * L));
        MenuFrame();
        ASSERT_EQ(g.menus.hoverIndex, item);
        const Extent e = BarExtent(DrawAndTake());
        const float top = main.y + item * L;
        ASSERT_GE(e.top, 0) << "no bar for item " << item;
        EXPECT_NEAR(e.top, top - F / 4.0f, 3) << item;
        EXPECT_NEAR(e.bottom, top + F + F / 4.0f, 3) << item;
        // Centred on the menu's x, a little wider than the label.
        const int w = TextWidth(menuFont, main.items[item].text);
        EXPECT_NEAR((e.left + e.right) / 2.0f, main.x, 3) << item;
        EXPECT_NEAR(e.right - e.left, w + 48 * W() / 1024.0f, 4) << item;
    }
}

TEST_F(MenuDrawTest, WithTheKeyboardAloneNoItemGetsTheBar)
{
    BuildTestMenus();
    GameState& g = *game;
    input->MoveTo(5, 2);
    input->Press(SDLK_DOWN);
    MenuFrame();
    EXPECT_EQ(g.menus.hoverIndex, -1);
    EXPECT_EQ(g.mainMenu.currentIndex, 1);
    EXPECT_LT(BarExtent(DrawAndTake()).top, 0);
}

TEST_F(MenuDrawTest, AnOptionGetsABarBehindItsLabelAndOneBehindItsValue)
{
    BuildTestMenus();
    GameState& g = *game;
    SetCurrentMenu(g.menus, g.optionsMenu);
    const Menu& o = g.optionsMenu;
    input->MoveTo(W() / 2, static_cast<int>(o.y + 4.5f * g.menus.lineStep));  // "Speed"
    MenuFrame();
    ASSERT_EQ(g.menus.hoverIndex, 4);
    const Shot shot = DrawAndTake();
    const Extent left = BarExtent(shot, 0, W() / 2), right = BarExtent(shot, W() / 2, W());
    ASSERT_GE(left.top, 0);
    ASSERT_GE(right.top, 0);
    EXPECT_NEAR((left.left + left.right) / 2.0f, W() / 4.0f, 3);
    EXPECT_NEAR((right.left + right.right) / 2.0f, 3 * W() / 4.0f, 3);
    const float top = o.y + 4 * g.menus.lineStep;
    EXPECT_NEAR(left.top, top - menuFont.lineHeight / 4.0f, 3);
}

TEST_F(MenuDrawTest, LayoutFollowsTheWindowAndKeepsEveryMenuOnIt)
{
    const int sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1280, 720}};
    for (const auto& size : sizes) {
        for (const char* lang : kLanguages) {
            ScreenSetup s;
            s.width = size[0];
            s.height = size[1];
            s.lang = lang;
            Open(s);
            BuildTestMenus();
            GameState& g = *game;
            const int F = menuFont.lineHeight;
            EXPECT_EQ(g.mainMenu.x, static_cast<int>(0.7f * size[0]));
            EXPECT_EQ(g.mainMenu.y, static_cast<int>((size[1] - 3.0f * F) / 2));
            const float S = F * size[0] / 1024.0f;
            EXPECT_EQ(g.optionsMenu.y, static_cast<int>((size[1] - S * 8) / 2));
            EXPECT_FLOAT_EQ(g.menus.lineStep, 48.0f * size[0] / 1024);
            for (const Menu* m : {&g.mainMenu, &g.gameMenu, &g.optionsMenu, &g.inGameMenu}) {
                EXPECT_GE(m->y - F / 4, 0) << size[0] << "x" << size[1];
                EXPECT_LE(m->y + (m->count - 1) * g.menus.lineStep + 1.25f * F, size[1]) << size[0] << "x" << size[1];
            }
            // A change of resolution lays them out by the same formulas.
            const int oldY = g.inGameMenu.y;
            LayoutMenus(g, 1024, 768);
            LayoutMenus(g, size[0], size[1]);
            EXPECT_EQ(g.inGameMenu.y, oldY);
        }
    }
}

// InitMenu's exception, with what it wrote on stderr.
bool InitMenuFails(Exception& caught, std::string& err)
{
    testing::internal::CaptureStderr();
    bool threw = false;
    try {
        InitMenu("");
    } catch (const Exception& e) {
        caught = e;
        threw = true;
    }
    err = testing::internal::GetCapturedStderr();
    return threw;
}

TEST_F(MenuDrawTest, MissingSelectionPictureStopsStartUpWithItsName)
{
    Exception e("", "", "", 0);
    std::string err;
    std::remove("data/gfx/2d/selection_middle.png");
    ASSERT_TRUE(InitMenuFails(e, err));
    EXPECT_EQ(e.message, "Couldn't load texture data/gfx/2d/selection_middle.png\n");
    EXPECT_EQ(e.function, "InitMenu");
    EXPECT_EQ(e.file, "menu");
    EXPECT_NE(err.find("data/gfx/2d/selection_middle.png"), std::string::npos);
    std::remove("data/gfx/2d/selection.png");
    EXPECT_TRUE(InitMenuFails(e, err)) << "the undrawn picture is required too";
    EXPECT_EQ(e.message, "Couldn't load texture data/gfx/2d/selection.png\n");
}

TEST_F(MenuDrawTest, PointerIsDrawnWithItsPictureOrAsAPlainSquare)
{
    const int x = 100, y = 120, half = W() * 16 / 1024;
    auto white = [](const Rgb8& c) { return c.r > 240 && c.g > 240 && c.b > 240; };

    DrawBackground(false);
    Begin2D();
    DrawPointer(x, y, static_cast<float>(half));
    End2D();
    Shot textured = Shot::Take(W(), H());
    // The arrow: its tip's corner is drawn, the opposite corner is not.
    EXPECT_TRUE(white(textured.At(x + 3, y + 6)));
    EXPECT_FALSE(white(textured.At(x + 2 * half - 3, y + 3)));
    EXPECT_EQ(textured.Count(x + 2 * half + 1, y, x + 4 * half, y + 2 * half, white), 0);

    SetPointerTexture(nullptr);
    DrawBackground(false);
    Begin2D();
    DrawPointer(x, y, static_cast<float>(half));
    End2D();
    Shot plain = Shot::Take(W(), H());
    EXPECT_EQ(plain.Count(x, y, x + 2 * half, y + 2 * half, white), 4 * half * half);
    EXPECT_EQ(plain.Count(x + 2 * half, y, x + 4 * half, y + 2 * half, white), 0);

    // A texture whose GL name is gone (a resolution change) draws plain too.
    GLTexture stale;
    SetPointerTexture(&stale);
    DrawBackground(false);
    Begin2D();
    DrawPointer(x, y, static_cast<float>(half));
    End2D();
    EXPECT_EQ(Shot::Take(W(), H()).Count(x, y, x + 2 * half, y + 2 * half, white), 4 * half * half);
    SetPointerTexture(&pointer);
}

TEST_F(MenuDrawTest, TheMenusFadeInFromBlack)
{
    BuildTestMenus();
    GameState& g = *game;
    auto lit = [](const Rgb8& c) { return c.r > 60 || c.g > 60 || c.b > 60; };
    g.fadeIn = 100;
    const Shot dark = DrawAndTake();
    EXPECT_EQ(dark.Count(0, 0, W(), H(), lit), 0);
    g.fadeIn = 0;
    const Shot shown = DrawAndTake();
    EXPECT_GT(shown.Count(0, 0, W(), H(), lit), 1000);
    g.quitRequested = 1;
    g.fadeOut = 0.0f;
    EXPECT_EQ(DrawAndTake().Count(0, 0, W(), H(), lit), 0) << "quitting ends in black";
}

TEST_F(MenuDrawTest, ABarNarrowerThanItsCapsStaysWithinItsEnds)
{
    DrawBackground(false);
    Begin2D();
    DrawSelectionBar(200, 100, 230, 160);  // 30 wide, 60 high: caps of 30 each
    End2D();
    const Extent e = BarExtent(Shot::Take(W(), H()));
    ASSERT_GE(e.top, 0);
    EXPECT_GE(e.left, 199);
    EXPECT_LE(e.right, 231);
}

TEST_F(MenuDrawTest, ALabelTooLongForItsMenuIsDrawnSmallerNotCut)
{
    BuildTestMenus();
    GameState& g = *game;
    const char16_t* longLabel = u"A label far too long for any menu of this game, really much too long";
    CopyMenuText(g.mainMenu.items[0].text, longLabel);
    input->MoveTo(5, 2);
    MenuFrame();
    const Shot shot = DrawAndTake();
    auto ink = [](const Rgb8& c) { return c.r > 150 && c.g > 100; };
    const int F = menuFont.lineHeight;
    const int y0 = g.mainMenu.y, y1 = g.mainMenu.y + F;
    int left = W(), right = -1;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < W(); ++x)
            if (ink(shot.At(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0);
    EXPECT_GT(left, 0);
    EXPECT_LT(right, W() - 1);
    EXPECT_GT(TextWidth(menuFont, longLabel), W()) << "the label would not fit at full size";
}

}  // namespace
