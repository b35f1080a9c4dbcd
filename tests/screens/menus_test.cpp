// The game's four menus: what each choice asks for, how the options change
// the settings, and their drawing (selection bar, pointer, fades, texts
// kept inside the window; the layout at every size is the gallery's).
#include "screens_fixture.h"

#include "app/base/exception.h"

namespace {

class MenuTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        Watch(MenuAction);
    }
    // Chooses item i of a menu with the keys.
    void Choose(Menu& menu, int i, SDLKey key = SDLK_RETURN)
    {
        g.ScreenState = kScreenMenus;
        SetCurrentMenu(g.menus, menu);
        for (int k = 0; k < i; ++k)
            Press(SDLK_DOWN);
        Press(key, key == SDLK_RETURN ? 13 : 0);
    }
    // The selection bar: what the menu shows beyond the same menu drawn
    // without a current item.
    PixelBox Bar(int x0 = 0, int x1 = 0)
    {
        const Picture shown = Draw(DrawMenu);
        Menu& menu = *g.menus.currentMenu;
        const int current = menu.currentIndex;
        menu.currentIndex = -1;
        const Picture plain = Draw(DrawMenu);
        menu.currentIndex = current;
        return shown.DifferenceBox(plain, 8, x0, 0, x1 > 0 ? x1 : width, height);
    }
};

TEST_F(MenuTest, EveryChoiceOpensItsScreenOrAsksTheLoopForItsStep)
{
    using A = ScreenAction;
    // The loop's own steps (quit, apply, continue, restart, leave) are the
    // loop's tests.
    const struct {
        Menu* menu;
        int item;
        ScreenAction::Kind asked;
        int screen;  // afterwards
    } cases[] = {
        {&g.mainMenu, 2, A::None, kScreenHighScores},  {&g.mainMenu, 3, A::None, kScreenCredits},
        {&g.gameMenu, 0, A::StartLevel, kScreenMenus}, {&g.gameMenu, 1, A::None, kScreenCodeEntry},
        {&g.gameMenu, 2, A::None, kScreenLevelList},   {&g.gameMenu, 3, A::None, kScreenSolutionList},
        {&g.gameMenu, 4, A::None, kScreenLoadSlots},   {&g.inGameMenu, 2, A::None, kScreenLoadSlots},
        {&g.inGameMenu, 3, A::None, kScreenSaveSlots},
    };
    for (const auto& c : cases) {
        Choose(*c.menu, c.item);
        EXPECT_TRUE(Reported(c.asked)) << c.menu->items[c.item].id;
        EXPECT_EQ(g.ScreenState, c.screen) << c.menu->items[c.item].id;
    }
    Choose(g.mainMenu, 0);
    EXPECT_EQ(g.menus.currentMenu, &g.gameMenu) << "a link enters its menu";
    Choose(g.inGameMenu, 0, SDLK_ESCAPE);
    EXPECT_TRUE(Reported(A::None)) << "Escape with no game running";
    g.gameInProgress = 1;
    Choose(g.inGameMenu, 0, SDLK_ESCAPE);
    EXPECT_TRUE(Reported(A::ResumePlay));
}

TEST_F(MenuTest, OptionsShowTheSettingsAndChangeThem)
{
    g.settings.Speed = 10;  // no value of its own: shown as the slowest, kept until another is chosen
    BuildMenus(g);
    EXPECT_EQ(WideText(g.optionsMenu.items[4].value->text), TextKey::VerySlow);
    EXPECT_EQ(g.settings.Speed, 10);
    EXPECT_EQ(WideText(g.optionsMenu.items[1].value->text), WideText("1024x768"));
    const struct {
        int item;
        SDLKey key;
        const int* value;
        int want;
    } cases[] = {
        {1, SDLK_RIGHT, &g.pendingWidth, 1280},  {1, SDLK_RIGHT, &g.pendingHeight, 1200},
        {2, SDLK_RIGHT, &g.settings.Reflect, 1}, {3, SDLK_LEFT, &g.settings.Help, 0},
        {4, SDLK_RIGHT, &g.settings.Speed, 20},  {4, SDLK_LEFT, &g.settings.Speed, 25},
        {4, SDLK_LEFT, &g.settings.Speed, 4},    {5, SDLK_RIGHT, &g.storedSound, 0},
        {6, SDLK_LEFT, &g.storedMusic, 0},
    };
    for (const auto& c : cases) {
        Choose(g.optionsMenu, c.item, c.key);
        EXPECT_TRUE(Reported(ScreenAction::None));
        EXPECT_EQ(*c.value, c.want) << "item " << c.item;
    }
    EXPECT_EQ(g.settings.Width, 1024) << "the resolution waits for Back";
    Choose(g.optionsMenu, 0, SDLK_RIGHT);
    EXPECT_STREQ(g.settings.Lang, "es");
    EXPECT_EQ(g.menus.currentMenu, &g.optionsMenu) << "the menus are built again in the new language";
    EXPECT_EQ(WideText(g.optionsMenu.items[0].text), TextKey::Lang);
    EXPECT_EQ(WideText(g.optionsMenu.items[4].value->text), TextKey::VeryFast);
    std::filesystem::remove("data/text_fr.txt");
    CaptureStderr([&] { Choose(g.optionsMenu, 0, SDLK_RIGHT); });  // on to "fr", which cannot be read
    EXPECT_STREQ(g.settings.Lang, "es");
    EXPECT_EQ(WideText(g.optionsMenu.items[0].value->text), TextKey::LangES) << "the option steps back";
}

TEST_F(MenuTest, TheBarSitsOnTheItemUnderTheMouseAndOnlyThere)
{
    const Menu& main = g.mainMenu;
    const float L = g.menus.lineStep, F = static_cast<float>(menuFont.lineHeight);
    for (int item : {0, 2, 4}) {
        MoveTo(main.x + 5, static_cast<int>(main.y + (item + 0.5f) * L));
        ASSERT_EQ(g.menus.hoverIndex, item);
        const PixelBox bar = Bar();
        const float top = main.y + item * L;
        EXPECT_NEAR(bar.top, top - F / 4, 3) << item;
        EXPECT_NEAR(bar.bottom, top + F + F / 4, 3) << item;
        EXPECT_NEAR(bar.CentreX(), main.x, 3) << item;
        EXPECT_NEAR(bar.right - bar.left, TextWidth(menuFont, main.items[item].text) + 48, 4);
    }
    // The keys' bar, and none while the mouse is over no item: the loop's
    // tests.
    SetCurrentMenu(g.menus, g.optionsMenu);  // an option: a bar behind its label, one behind its value
    MoveTo(width / 2, static_cast<int>(g.optionsMenu.y + 4.5f * L));
    const PixelBox label = Bar(0, width / 2), value = Bar(width / 2, width);
    EXPECT_NEAR(label.CentreX(), width / 4.0f, 3);
    EXPECT_NEAR(value.CentreX(), 3 * width / 4.0f, 3);
    EXPECT_NEAR(label.top, g.optionsMenu.y + 4 * L - F / 4, 3);

    const Picture plain = DrawBackground();
    Begin2D();
    DrawSelectionBar(200, 100, 230, 180);  // narrower than its two caps would be
    End2D();
    const PixelBox narrow = ReadPicture().DifferenceBox(plain, 8, 0, 0, width, height);
    EXPECT_TRUE(!narrow.Empty() && narrow.left >= 199 && narrow.right <= 231);
}

TEST_F(MenuTest, ALabelTooLongIsDrawnSmallerNotCutAndTheMenusFadeFromAndToBlack)
{
    const char16_t* label = u"A label far too long for any menu of this game, really much too long";
    ASSERT_GT(TextWidth(menuFont, label), width);
    CopyMenuText(g.mainMenu.items[0].text, label);
    const Picture plain = DrawBackground();
    const int top = g.mainMenu.y;
    const PixelBox ink = Draw(DrawMenu).DifferenceBox(plain, 8, 0, top, width, top + menuFont.lineHeight);
    EXPECT_TRUE(ink.left > 0 && ink.right < width - 1);

    auto lit = [&](const Picture& p) { return p.CountNear(Rgb{0, 0, 0}, 60, 0, 0, width, height) < width * height; };
    g.fadeIn = 100;
    EXPECT_FALSE(lit(Draw(DrawMenu)));
    g.fadeIn = 0;
    EXPECT_TRUE(lit(Draw(DrawMenu)));
    g.quitRequested = 1;
    EXPECT_FALSE(lit(Draw(DrawMenu))) << "quitting ends in black";
}

TEST_F(MenuTest, PointerIsDrawnWithItsPictureOrAsAPlainSquare)
{
    const int x = 100, y = 120, side = 32;  // at 1024 pixels wide; 20 at 640
    EXPECT_EQ(2 * PointerHalfSize(width) + 2 * PointerHalfSize(640), side + 20);
    auto pointer = [](const GameState& s) {
        Begin2D();
        DrawPointer(100, 120, PointerHalfSize(s.settings.Width));
        End2D();
    };
    const Picture plain = DrawBackground();
    const Picture textured = Draw(pointer);
    const PixelBox box = textured.DifferenceBox(plain, 8, 0, 0, width, height);
    EXPECT_TRUE(box.left >= x && box.top >= y && box.right < x + side && box.bottom < y + side);
    EXPECT_EQ(textured.CountDifferent(plain, 8, x + side / 2, y, x + side, y + 4), 0) << "the arrow's far corner";
    const GLTexture stale;  // a texture whose GL name is gone (a resolution change)
    for (const GLTexture* texture : {static_cast<const GLTexture*>(nullptr), &stale}) {
        SetPointerTexture(texture);
        const Picture square = Draw(pointer);
        EXPECT_EQ(square.CountNear(Rgb{255, 255, 255}, 0, x, y, x + side, y + side), side * side);
        EXPECT_EQ(square.CountDifferent(plain, 0), side * side);
    }
}

TEST_F(MenuTest, AMissingSelectionPictureStopsTheStartWithItsName)
{
    std::filesystem::create_directories("data/gfx/2d");
    for (const char* f : {"selection.png", "selection_left.png", "selection_right.png"})
        std::filesystem::create_symlink(RunDir() + "/data/gfx/2d/" + f, std::string("data/gfx/2d/") + f);
    for (const char* missing : {"data/gfx/2d/selection_middle.png", "data/gfx/2d/selection.png"}) {
        std::remove(missing);
        std::string message, function;
        const std::string err = CaptureStderr([&] {
            try {
                InitMenu("");
            } catch (const Exception& e) {
                message = e.message, function = e.function;
            }
        });
        EXPECT_EQ(message, std::string("Couldn't load texture ") + missing + "\n");
        EXPECT_EQ(function, "InitMenu");
        EXPECT_NE(err.find(missing), std::string::npos);
    }
}

}  // namespace
