// Pictures of every screen, saved into the test output directory for a
// person to look at: the menus in the three languages, the dialogs and the
// game screens at the smallest and largest window sizes. Each picture is
// also checked for what can be checked by machine: something was drawn,
// and nothing of the screen's own texts runs off the window's sides.
#include "screens_fixture.h"

#include "persist/score.h"
#include "text/font.h"

#include <cstring>
#include <functional>
#include <string>

namespace {

class ScreenshotTest : public ScreenTest {
protected:
    void SetUp() override {}

    void Use(int w, int h, const char* lang)
    {
        ScreenSetup s;
        s.width = w;
        s.height = h;
        s.lang = lang;
        s.kitArt = true;
        Open(s);
    }

    std::string Name(const std::string& screen) const
    {
        return "screens_" + screen + "_" + setup.lang + "_" + std::to_string(setup.width) + "x" +
               std::to_string(setup.height) + ".png";
    }

    // Draws the background and the screen, saves the picture and checks it.
    void Snap(const std::string& screen, bool board, const std::function<void()>& draw, bool checkSides = true)
    {
        DrawBackground(board);
        draw();
        const Shot shot = Shot::Take(setup.width, setup.height);
        ASSERT_EQ(shot.rgb.size(), static_cast<size_t>(setup.width) * setup.height * 3);
        shot.Save(Name(screen));
        // Text reaches neither side of the window: the leftmost and
        // rightmost columns show only the background (or a full-width bar
        // of the level start).
        if (!checkSides)
            return;
        auto textInk = [](const Rgb8& c) { return c.r > 235 && c.g > 225 && c.b > 190; };
        EXPECT_EQ(shot.Count(0, 0, 1, setup.height, textInk), 0) << Name(screen);
        EXPECT_EQ(shot.Count(setup.width - 1, 0, setup.width, setup.height, textInk), 0) << Name(screen);
    }

    void Hover(int x, int y) { input->MoveTo(x, y); }
    int MenuFrame()
    {
        int item, value;
        return MenuInput(game->menus, MenuFrameFromInput(game->input), item, value);
    }
};

TEST_F(ScreenshotTest, Menus)
{
    for (const char* lang : kLanguages) {
        Use(1024, 768, lang);
        BuildTestMenus();
        GameState& g = *game;
        const float L = g.menus.lineStep;
        Hover(g.mainMenu.x, static_cast<int>(g.mainMenu.y + 1.5f * L));
        MenuFrame();
        Snap("menu_main", false, [&] { DrawMenu(g); });

        SetCurrentMenu(g.menus, g.gameMenu);
        Hover(g.gameMenu.x, static_cast<int>(g.gameMenu.y + 1.5f * L));
        MenuFrame();
        Snap("menu_game", false, [&] { DrawMenu(g); });

        SetCurrentMenu(g.menus, g.inGameMenu);
        Hover(g.inGameMenu.x, static_cast<int>(g.inGameMenu.y + 3.5f * L));
        MenuFrame();
        Snap("menu_ingame", false, [&] { DrawMenu(g); });

        Use(640, 480, lang);
        BuildTestMenus();
        GameState& small = *game;
        SetCurrentMenu(small.menus, small.optionsMenu);
        Hover(small.settings.Width / 4, static_cast<int>(small.optionsMenu.y + 4.5f * small.menus.lineStep));
        MenuFrame();
        Snap("menu_options", false, [&] { DrawMenu(small); });
    }
    Use(1600, 1200, "es");
    BuildTestMenus();
    GameState& g = *game;
    SetCurrentMenu(g.menus, g.optionsMenu);
    Hover(g.settings.Width / 2, static_cast<int>(g.optionsMenu.y + 1.5f * g.menus.lineStep));
    MenuFrame();
    Snap("menu_options", false, [&] { DrawMenu(g); });
}

TEST_F(ScreenshotTest, CodeEntry)
{
    for (auto [w, h, lang] : {std::tuple{1024, 768, "en"}, std::tuple{640, 480, "fr"}}) {
        Use(w, h, lang);
        GameState& g = *game;
        OpenCodeEntry(g);
        std::memcpy(g.codeEntry.typedCode, "WMQAZ", 5);
        g.codeEntry.cursor = 2;
        Hover(w / 2, h - menuFont.lineHeight / 2);
        Snap("code", false, [&] { DrawCodeEntry(g); });
    }
}

TEST_F(ScreenshotTest, SolutionList)
{
    for (auto [w, h, lang] : {std::tuple{1024, 768, "en"}, std::tuple{640, 480, "fr"}}) {
        Use(w, h, lang);
        GameState& g = *game;
        for (int i = 0; i < 4; ++i)
            g.progress.done[i] = 1;
        OpenSolutionList(g);
        g.solutionRow = 2;
        Hover(w / 6, h - menuFont.lineHeight / 2);
        Snap("solutions", false, [&] { DrawSolutionList(g); });
    }
}

TEST_F(ScreenshotTest, SlotLists)
{
    for (auto [w, h, lang, save] : {std::tuple{640, 480, "es", false}, std::tuple{1024, 768, "en", true},
                                    std::tuple{1600, 1200, "fr", false}}) {
        Use(w, h, lang);
        GameState& g = *game;
        WriteLevel(9, 2);
        WriteLevel(0, 1);
        WriteSlot(0, 0, 1);
        WriteSlot(3, 9, 3);
        WriteSlot(4, 0, 2);
        WriteTestFile(dir.file("save/save06.vro"), "damaged");
        OpenSlotList(g, save);
        g.slotRow = 3;
        Hover(w - 40, h / 2);
        Snap(save ? "save" : "load", false, [&] { DrawSlotList(g); });
        g.slotRow = kSlotCount;
        Snap(save ? "save_back" : "load_back", false, [&] { DrawSlotList(g); });
    }
}

TEST_F(ScreenshotTest, HighScores)
{
    for (auto [w, h, lang] : {std::tuple{640, 480, "es"}, std::tuple{1600, 1200, "en"}, std::tuple{1024, 768, "fr"}}) {
        Use(w, h, lang);
        GameState& g = *game;
        SetScoreName(g.scores, 0, "WWWWWWWWWWWWWWWWWWWW");  // the widest name there can be
        g.scores.entries[0].moves = 99999;
        SetScoreName(g.scores, 1, "Ada");
        g.scores.entries[1].moves = 57;
        OpenHighScores(g);
        Hover(w / 2, h - menuFont.lineHeight / 2);
        Snap("highscores", false, [&] { DrawHighScores(g); });
    }
}

TEST_F(ScreenshotTest, Credits)
{
    for (auto [w, h, lang] : {std::tuple{1024, 768, "fr"}, std::tuple{640, 480, "es"}}) {
        Use(w, h, lang);
        GameState& g = *game;
        OpenCredits(g);
        g.creditsScroll = h * 0.1f;
        Hover(w / 2, h / 2);
        Snap("credits", false, [&] { DrawCredits(g); });
    }
}

TEST_F(ScreenshotTest, LevelStart)
{
    for (auto [w, h, lang, replay] : {std::tuple{1024, 768, "en", 0}, std::tuple{640, 480, "es", 0},
                                      std::tuple{1024, 768, "fr", 1}, std::tuple{1600, 1200, "fr", 0}}) {
        Use(w, h, lang);
        GameState& g = *game;
        g.puzzle.levelIndex = 6;
        g.puzzle.moves = 0;
        g.puzzle.difficulty = 3;
        g.puzzle.replayMode = replay;
        Hover(w / 2, h / 2);
        Snap(replay ? "levelstart_replay" : "levelstart", true, [&] { DrawLevelStart(g); });
    }
    // The flash at its height.
    Use(1024, 768, "en");
    GameState& g = *game;
    g.flash = 0.6f;
    Snap("levelstart_flash", true, [&] { DrawLevelStart(g); }, false);
}

TEST_F(ScreenshotTest, LevelWon)
{
    for (auto [w, h, lang] : {std::tuple{1024, 768, "en"}, std::tuple{640, 480, "es"}, std::tuple{1600, 1200, "fr"}}) {
        Use(w, h, lang);
        GameState& g = *game;
        g.puzzle.levelIndex = 3;
        g.puzzle.moves = 123;
        RecordLevelWon(g.scores, g.nameEditor, 3, 6000);
        Hover(w / 2, h / 2);
        Snap("levelwon", true, [&] { DrawLevelWon(g); });
        RecordLevelWon(g.scores, g.nameEditor, 3, 123);
        std::strcpy(g.nameEditor.nameEdit, "WWWWWWWWWWWWWWWWWWWW");
        g.nameEditor.length = 20;
        Hover(w / 2, h - gameFont.lineHeight);
        Snap("levelwon_record", true, [&] { DrawLevelWon(g); });
    }
}

TEST_F(ScreenshotTest, HelpMessages)
{
    for (auto [w, h, lang] : {std::tuple{640, 480, "es"}, std::tuple{1024, 768, "fr"}, std::tuple{1600, 1200, "en"}}) {
        Use(w, h, lang);
        GameState& g = *game;
        g.puzzle.moves = 42;
        for (int kind = 0; kind < 3; ++kind) {
            g.helpKind = kind;
            Snap("help" + std::to_string(kind), true, [&] { DrawHelpMessage(g); });
        }
    }
}

TEST_F(ScreenshotTest, GameEnd)
{
    for (auto [w, h, lang] : {std::tuple{640, 480, "es"}, std::tuple{1024, 768, "en"}, std::tuple{1600, 1200, "fr"}}) {
        Use(w, h, lang);
        GameState& g = *game;
        Hover(w / 2, h / 2);
        Snap("gameend", false, [&] { DrawGameEnd(g); });
    }
}

TEST_F(ScreenshotTest, HudBar)
{
    for (auto [w, h, lang] : {std::tuple{640, 480, "fr"}, std::tuple{1024, 768, "es"}, std::tuple{1600, 1200, "en"}}) {
        Use(w, h, lang);
        GameState& g = *game;
        g.puzzle.levelIndex = 9;
        g.puzzle.moves = 99999;
        g.puzzle.bombCarried = 5;
        Snap("hud", true, [&] {
            Begin2D();
            DrawGameHud(g);
            End2D();
        });
    }
}

}  // namespace
