// The gallery: every screen at the smallest and the largest window and in
// the three languages, saved for a person to look at
// (build/test-output/gallery_screens_*.png). Saving a picture asserts
// nothing; what a machine can check is checked on the way: the four menus
// lie on the window, and no text reaches its left or right edge.
#include "screens_fixture.h"

#include "text/font.h"

#include <cstring>
#include <functional>

namespace {

TEST_F(ScreenTest, GalleryOfEveryScreenWithItsTextsInsideTheWindow)
{
    WriteLevel(0, LevelFromText({"", " @ $ ."}));
    WriteLevel(9, LevelFromText({"", " @ $ .", "   $ ."}));
    WriteSlot(0, 0, kEasy);
    WriteSlot(3, 9, kHard);
    WriteSlot(4, 0, kNormal);
    WriteTestFile("save/save06.vro", "damaged");
    SetScoreName(g.scores, 0, "WWWWWWWWWWWWWWWWWWWW");  // the widest name there can be
    g.scores.entries[0].moves = 99999;
    SetScoreName(g.scores, 1, "Ada");
    g.scores.entries[1].moves = 57;
    for (int i = 0; i < 4; ++i)
        g.progress.done[i] = 1;
    g.puzzle.levelIndex = 6;
    g.puzzle.moves = 123;
    g.puzzle.bombCarried = 5;

    auto hover = [&](Menu& menu, int item) {
        SetCurrentMenu(g.menus, menu);
        MoveTo(item == 4 && &menu == &g.optionsMenu ? width / 4 : menu.x,
               static_cast<int>(menu.y + (item + 0.5f) * g.menus.lineStep));
        int id, value;
        MenuInput(g.menus, MenuFrameFromInput(g.input), id, value);
    };
    auto bottom = [&](int x) { MoveTo(x, height - menuFont.lineHeight / 2); };
    const struct {
        const char* name;
        bool board;
        std::function<void()> prepare;
        void (*draw)(const GameState&);
    } shots[] = {
        {"menu_main", false, [&] { hover(g.mainMenu, 1); }, DrawMenu},
        {"menu_game", false, [&] { hover(g.gameMenu, 1); }, DrawMenu},
        {"menu_ingame", false, [&] { hover(g.inGameMenu, 3); }, DrawMenu},
        {"menu_options", false, [&] { hover(g.optionsMenu, 4); }, DrawMenu},
        {"code", false, [&] { OpenCodeEntry(g), std::memcpy(g.codeEntry.typedCode, "WMQAZ", 5), bottom(width / 2); },
         DrawCodeEntry},
        {"solutions", false, [&] { OpenSolutionList(g), g.solutionRow = 2, bottom(width / 6); }, DrawSolutionList},
        {"solutions_page6", false, [&] { OpenSolutionList(g), g.solutionPage = 5, g.progress.done[52] = 1; },
         DrawSolutionList},
        {"levels_page1", false, [&] { OpenLevelList(g), g.solutionRow = 4; }, DrawLevelList},
        {"load", false, [&] { OpenSlotList(g, false), MoveTo(width - 40, height / 2), g.slotRow = 3; }, DrawSlotList},
        {"save_back", false, [&] { OpenSlotList(g, true), g.slotRow = kSlotCount; }, DrawSlotList},
        {"highscores", false, [&] { OpenHighScores(g), bottom(width / 2); }, DrawHighScores},
        {"highscores_page6", false,
         [&] { OpenHighScores(g), g.scores.scorePage = 5, SetScoreName(g.scores, 55, "Ada"); }, DrawHighScores},
        {"credits", false, [&] { OpenCredits(g), g.creditsScroll = height * 0.1f; }, DrawCredits},
        {"levelstart", true, [&] { g.puzzle.difficulty = kHard; }, DrawLevelStart},
        {"levelstart_replay", true, [&] { g.puzzle.replayMode = 1; }, DrawLevelStart},
        {"levelstart_flash", true, [&] { g.puzzle.replayMode = 0, g.flash = 0.6f; }, DrawLevelStart},
        {"levelwon", true, [&] { g.flash = 0, RecordLevelWon(g.scores, g.nameEditor, 3, 6000); }, DrawLevelWon},
        {"levelwon_record", true,
         [&] {
             g.scores.entries[3].moves = 99999,
             RecordLevelWon(g.scores, g.nameEditor, 3, 123);  // a record at every size
             std::strcpy(g.nameEditor.nameEdit, "WWWWWWWWWWWWWWWWWWWW");
             MoveTo(width / 2, height - gameFont.lineHeight);
         },
         DrawLevelWon},
        {"help0", true, [&] { g.helpKind = 0; }, DrawHelpMessage},
        {"help1", true, [&] { g.helpKind = 1; }, DrawHelpMessage},
        {"help2", true, [&] { g.helpKind = 2; }, DrawHelpMessage},
        {"gameend", false, [&] { MoveTo(width / 2, height / 2); }, DrawGameEnd},
    };
    auto textInk = [](const Rgb& c) { return c.r > 235 && c.g > 225 && c.b > 190; };
    for (auto [w, h, language] :
         {std::tuple{640, 480, "fr"}, {640, 480, "es"}, {1024, 768, "en"}, {1280, 720, "fr"}, {1600, 1200, "es"}}) {
        Use(w, h, language);
        const int F = menuFont.lineHeight;
        EXPECT_EQ(g.mainMenu.x, static_cast<int>(0.7f * w));
        EXPECT_EQ(g.mainMenu.y, static_cast<int>((h - 3.0f * F) / 2));
        EXPECT_EQ(g.optionsMenu.y, static_cast<int>((h - F * w / 1024.0f * 8) / 2));
        EXPECT_FLOAT_EQ(g.menus.lineStep, 48.0f * w / 1024);
        for (const Menu* m : {&g.mainMenu, &g.gameMenu, &g.optionsMenu, &g.inGameMenu}) {
            EXPECT_GE(m->y - F / 4, 0) << w << "x" << h;
            EXPECT_LE(m->y + (m->count - 1) * g.menus.lineStep + 1.25f * F, h) << w << "x" << h;
        }
        for (const auto& shot : shots) {
            shot.prepare();
            const Picture picture = Draw(shot.draw, shot.board);
            const std::string name = std::string("gallery_screens_") + shot.name + "_" + language + "_" +
                                     std::to_string(w) + "x" + std::to_string(h) + ".png";
            picture.SaveToGallery(name);
            if (g.flash > 0)
                continue;  // the white veil covers the edges
            int edges = 0;
            for (int y = 0; y < h; ++y)
                edges += textInk(picture.At(0, y)) + textInk(picture.At(w - 1, y));
            EXPECT_EQ(edges, 0) << name;
        }
    }
}

}  // namespace
