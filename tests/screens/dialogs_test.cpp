// The dialog screens driven frame by frame through the game's input rules:
// code entry, solution list, slot lists, high scores and credits.
#include "screens_fixture.h"

#include <functional>

namespace {

class DialogTest : public ScreenTest {
protected:
    int BottomY() const { return height - menuFont.lineHeight / 2; }  // "Ok", "Back", the three buttons
    int ButtonX(int k) const { return k * width / 3 + width / 6; }    // "Previous", "Back", "Next"
    // The lists' rows: ten lines of the second font one under the other,
    // centred on the window's height.
    int RowTop(int i) const { return (height - 10 * gameFont.lineHeight) / 2 + i * gameFont.lineHeight; }
    int RowY(int i) const { return RowTop(i) + gameFont.lineHeight / 2; }
    std::string Typed() const { return std::string(g.codeEntry.typedCode, kCodeLength); }
};

TEST_F(DialogTest, CodeEntryTypesCapitalsMovesItsCursorWithinTheCodeAndStartsTheCodesLevel)
{
    g.codeEntry.cursor = 3;
    OpenCodeEntry(g);
    EXPECT_EQ(g.ScreenState, kScreenCodeEntry);
    EXPECT_EQ(Typed() + std::to_string(g.codeEntry.cursor), "AAAAA0");
    Watch(UpdateCodeEntry);
    Press(SDLK_RETURN, 13);  // "AAAAA" is no level's code
    EXPECT_TRUE(Reported(ScreenAction::ToMenus));
    g.codeEntry.codeFound = 1;
    Press(SDLK_ESCAPE);
    EXPECT_TRUE(Reported(ScreenAction::ToMenus));
    EXPECT_EQ(g.codeEntry.codeFound, 0);
    OpenCodeEntry(g);
    Watch(UpdateCodeEntry);
    Type(u"levab");
    EXPECT_EQ(Typed(), "LEVAB");
    Type(u"x7é-");  // a sixth letter takes the fifth place; the rest are no code letters
    Press(SDLK_RIGHT);
    EXPECT_EQ(Typed() + std::to_string(g.codeEntry.cursor), "LEVAX4");
    Press(SDLK_BACKSPACE, 8);  // only moves back
    EXPECT_EQ(g.codeEntry.cursor, 3);
    Press(SDLK_LEFT);
    Type(u"q");
    EXPECT_EQ(Typed() + std::to_string(g.codeEntry.cursor), "LEQAX3");
    const int cell = menuFont.lineHeight;
    Click((width - 5 * cell) / 2 + cell / 2, height / 2 + menuFont.lineHeight / 2);  // on the first letter
    Press(SDLK_LEFT);
    EXPECT_EQ(g.codeEntry.cursor, 0);
    Press(SDLK_RIGHT);
    EXPECT_EQ(g.codeEntry.cursor, 1);
    EXPECT_EQ(reports, 0);
    Type(u"EVAD");
    EXPECT_EQ(Typed(), "LEVAD");
    Click(width / 2, height / 4);  // above "Ok"
    EXPECT_TRUE(Reported(ScreenAction::None));
    Click(width / 2, BottomY());
    EXPECT_TRUE(Reported(ScreenAction::StartLevel, 3));
}

TEST_F(DialogTest, SolutionListPlaysOnlyTheSolutionOfADoneLevel)
{
    g.progress.done[0] = g.progress.done[2] = g.progress.done[9] = 1;
    g.codeEntry.codeFound = 1;
    OpenSolutionList(g);
    EXPECT_EQ(g.ScreenState, kScreenSolutionList);
    EXPECT_EQ(g.solutionRow + g.codeEntry.codeFound, 0);
    Watch(UpdateSolutionList);
    Press(SDLK_UP);
    EXPECT_EQ(g.solutionRow, 9) << "up from the first row is the last";
    Press(SDLK_DOWN);
    Press(SDLK_DOWN);
    Frame();  // a resting mouse leaves the keys' row
    Press(SDLK_RETURN, 13);
    EXPECT_EQ(g.solutionRow, 1);
    EXPECT_EQ(reports, 0) << "level 2 is not done";
    Press(SDLK_DOWN);
    Press(SDLK_RETURN, 13);
    EXPECT_TRUE(Reported(ScreenAction::StartReplay, 2));
    EXPECT_EQ(g.codeEntry.codeFound, 1);
    for (int row : {-1, 10, 42}) {
        g.solutionRow = row;
        Press(SDLK_RETURN, 13);
        EXPECT_TRUE(Reported(ScreenAction::None)) << row;
    }
    MoveTo(width / 2, RowY(1));
    EXPECT_EQ(g.solutionRow, 1) << "the row under the mouse is selected";
    Click(width / 2, RowY(1));
    EXPECT_TRUE(Reported(ScreenAction::None));
    Click(width / 2, RowY(0), SDL_BUTTON_RIGHT);
    EXPECT_TRUE(Reported(ScreenAction::StartReplay, 0));
    g.solutionRow = 0;
    Click(width / 2, 2);  // over the title: not the selected row
    EXPECT_TRUE(Reported(ScreenAction::None));
}

TEST_F(DialogTest, LevelPagesTurnWithinTheLevelsAndLeaveByBackOrEscape)
{
    const struct {
        void (*open)(GameState&);
        ScreenAction (*update)(GameState&);
        const int* page;
    } cases[] = {{OpenSolutionList, UpdateSolutionList, &g.solutionPage},
                 {OpenLevelList, UpdateLevelList, &g.solutionPage},
                 {OpenHighScores, UpdateHighScores, &g.scores.scorePage}};
    for (const auto& c : cases) {
        c.open(g);
        Watch(c.update);
        // "Next", the wheel and Right turn on; "Previous", the wheel and Left back.
        const std::function<void()> turns[] = {
            [&] { Click(ButtonX(2), BottomY()); }, [&] { Wheel(false); }, [&] { Press(SDLK_RIGHT); },
            [&] { Click(ButtonX(0), BottomY()); }, [&] { Wheel(true); },  [&] { Press(SDLK_LEFT); }};
        const int pages[] = {1, 2, 3, 2, 1, 0};
        for (int i = 0; i < 6; ++i) {
            turns[i]();
            EXPECT_EQ(*c.page, pages[i]) << i;
        }
        for (int i = 0; i < 2 * kLevelCount / 10; ++i)
            turns[i % 3]();
        EXPECT_EQ(*c.page, (kLevelCount - 1) / 10) << "the last page holds the last level";
        EXPECT_EQ(reports, 0);
        Click(ButtonX(1), BottomY());
        EXPECT_TRUE(Reported(ScreenAction::ToMenus));
        c.open(g);
        Press(SDLK_ESCAPE);
        EXPECT_TRUE(Reported(ScreenAction::ToMenus));
    }
}

// Where the design puts the code's letters, the list rows and the bars, at
// the smallest, a middle and the largest window. The bars keep to their
// rows and to the window where the design's fixed pixels would not.
TEST_F(DialogTest, CellsRowsAndBarsStandWhereTheDesignPutsThemAtEverySize)
{
    for (auto [w, h] : {std::pair{640, 480}, {1024, 768}, {1600, 1200}}) {
        Use(w, h, "en");
        const int F = menuFont.lineHeight, R = gameFont.lineHeight;
        OpenCodeEntry(g);
        Watch(UpdateCodeEntry);
        for (int i : {4, 0, 2}) {
            const int left = (w - 5 * F) / 2 + i * F;  // cells one line wide, centred
            Click(left + F - 1, h / 2 + 1);
            EXPECT_EQ(g.codeEntry.cursor, i) << w;
            Click(left, h / 2 + F - 1);
            EXPECT_EQ(g.codeEntry.cursor, i) << w;
        }
        const struct {
            void (*open)(GameState&);
            ScreenAction (*update)(GameState&);
            void (*draw)(const GameState&);
            int* row;
        } lists[] = {{[](GameState& s) { OpenSlotList(s, false); }, UpdateSlotList, DrawSlotList, &g.slotRow},
                     {OpenSolutionList, UpdateSolutionList, DrawSolutionList, &g.solutionRow}};
        for (const auto& list : lists) {
            list.open(g);
            Watch(list.update);
            for (int i : {0, 9}) {
                MoveTo(w / 2, RowTop(i));
                EXPECT_EQ(*list.row, i) << w;
                MoveTo(w / 2, RowTop(i + 1) - 1);
                EXPECT_EQ(*list.row, i) << w;
            }
            MoveTo(2, 2);
            *list.row = -1;
            const Picture plain = Draw(list.draw);
            *list.row = 3;
            const PixelBox bar = Draw(list.draw).DifferenceBox(plain, 8, 0, 0, w, h);
            EXPECT_NEAR(bar.CentreX(), w / 2.0f, 2) << w;
            EXPECT_NEAR(bar.right - bar.left, 320, 3) << w;
            EXPECT_NEAR(bar.top, RowTop(3) - 10.0f * R / 36, 2) << w;
            EXPECT_NEAR(bar.bottom, RowTop(4), 2) << w;
        }
        g.slotRow = -1;
        const Picture plain = Draw(DrawSlotList);
        g.slotRow = kSlotCount;
        const PixelBox back = Draw(DrawSlotList).DifferenceBox(plain, 8, 0, 0, w, h);
        const int backTop = h - static_cast<int>(1.2f * F);  // "Back" 1.2 lines above the bottom
        EXPECT_NEAR(back.top, backTop - 10.0f * F / 36, 2) << w;
        EXPECT_NEAR(back.bottom, backTop + F, 2) << w;
        EXPECT_GE(back.right - back.left, 157) << w;
        EXPECT_GE(back.right - back.left, TextWidth(menuFont, TextKey::Back)) << w;
    }
}

class SlotListTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        WriteLevel(3, LevelFromText({"", " @ $ .", "   $ ."}));
        WriteSlot(2, 3, kHard);
        const std::string bytes = ReadTestFile("save/save02.vro");
        WriteTestFile("save/save05.vro", bytes.substr(0, 100));  // cut short
        std::string other = bytes;
        other[0] = 6;  // level 7, which has no file
        WriteTestFile("save/save07.vro", other);
        g.inMenu = 0;
    }
    void ClickSlot(int slot) { Click(width / 2, RowY(slot)); }
};

TEST_F(SlotListTest, LoadingTakesOnlyASoundSlotAndSavingAnySlot)
{
    OpenSlotList(g, false);
    EXPECT_EQ(g.ScreenState, kScreenLoadSlots);
    EXPECT_EQ(g.slotRow, -1);
    const SlotSummary& s = g.slots[2];
    EXPECT_TRUE(s.slot == 2 && s.level == 3 && s.difficulty == kHard && !s.damaged);
    EXPECT_TRUE(g.slots[5].damaged && g.slots[7].damaged);
    EXPECT_EQ(g.slots[0].slot, -1);
    Watch(UpdateSlotList);
    for (int slot : {0, 5, 7})
        ClickSlot(slot);
    Press(SDLK_RETURN, 13);
    EXPECT_EQ(reports, 0);
    ClickSlot(2);
    EXPECT_TRUE(Reported(ScreenAction::LoadSlot, 2));
    OpenSlotList(g, false);
    for (int i = 0; i < 3; ++i)
        Press(SDLK_DOWN);
    Press(SDLK_RETURN, 13);
    EXPECT_TRUE(Reported(ScreenAction::LoadSlot, 2)) << "the keys choose the rows";
    OpenSlotList(g, true);
    EXPECT_EQ(g.ScreenState, kScreenSaveSlots);
    for (int slot : {0, 2, 5}) {
        ClickSlot(slot);
        EXPECT_TRUE(Reported(ScreenAction::SaveSlot, slot));
    }
    g.puzzle.replayMode = 1;  // a solution being watched is no game of the player's
    const int before = reports;
    ClickSlot(0);
    OpenSlotList(g, false);
    ClickSlot(2);
    EXPECT_EQ(reports, before);
}

TEST_F(SlotListTest, BackAndEscapeReturnToWhereThePlayerCameFrom)
{
    const struct {
        int inMenu;
        bool save, escape, keys;
        ScreenAction::Kind want;
    } cases[] = {
        {1, false, true, false, ScreenAction::ToMenus},     {0, false, true, false, ScreenAction::ResumePlay},
        {0, false, false, false, ScreenAction::ResumePlay}, {1, false, false, true, ScreenAction::ToMenus},
        {1, true, false, false, ScreenAction::ResumePlay},  // nothing is saved
    };
    for (const auto& c : cases) {
        g.inMenu = c.inMenu;
        OpenSlotList(g, c.save);
        Watch(UpdateSlotList);
        if (c.escape) {
            Press(SDLK_ESCAPE);
        } else if (c.keys) {
            Press(SDLK_UP);  // up from no row reaches "Back"
            EXPECT_EQ(g.slotRow, kSlotCount);
            Press(SDLK_RETURN, 13);
        } else {
            Click(width / 2, BottomY());
        }
        EXPECT_TRUE(Reported(c.want)) << c.inMenu << c.save << c.escape << c.keys;
    }
}

TEST_F(DialogTest, HighScoresF1ResetsThePageAndWritesTheFile)
{
    SetScoreName(g.scores, 3, "ANNE");
    ASSERT_TRUE(SaveScores(g.scores, g.settings.GamePath));
    g.scores.scorePage = 5;
    OpenHighScores(g);
    EXPECT_EQ(g.ScreenState, kScreenHighScores);
    EXPECT_EQ(g.scores.scorePage, 0);
    Watch(UpdateHighScores);
    Press(SDLK_F2);
    EXPECT_STREQ(g.scores.entries[3].name, "ANNE") << "only F1 resets";
    Press(SDLK_F1);
    EXPECT_TRUE(Reported(ScreenAction::None));
    EXPECT_STREQ(g.scores.entries[3].name, kDefaultScoreName);
    EXPECT_EQ(ReadTestFile("score.vro").substr(3 * kScoreEntryBytes, 9), "VRO GAMES");
}

TEST_F(DialogTest, CreditsScrollRoundAndLeaveOnAnyKeyOrClick)
{
    OpenCredits(g);
    EXPECT_EQ(g.ScreenState, kScreenCredits);
    ASSERT_GT(g.credits.size(), 3u);
    EXPECT_FLOAT_EQ(g.creditsScroll, height - 16.0f);
    // A line with text is its font's line high, an empty one 32 pixels (at
    // 1024): the list starts again below the window once all of it has
    // gone above the top.
    int total = 0;
    for (const CreditLine& line : g.credits)
        total += line.text.Empty() ? 32 : line.heading ? menuFont.lineHeight : gameFont.lineHeight;
    Watch(UpdateCredits);
    step = 7;
    float before = g.creditsScroll;
    while (g.creditsScroll <= before && before > -10 * height)
        before = g.creditsScroll, Frame();
    EXPECT_GT(before + total, 0.0f);
    EXPECT_LE(before + total, 0.46f * 7 + 0.01f);
    EXPECT_FLOAT_EQ(g.creditsScroll, height + 16.0f);
    Press(SDLK_q, 'q');
    EXPECT_TRUE(Reported(ScreenAction::ToMenus));
    Click(10, 10, SDL_BUTTON_RIGHT);
    EXPECT_TRUE(Reported(ScreenAction::ToMenus));
    g.credits.clear();  // no credits file: an empty screen, left the same way
    Frame();
    EXPECT_TRUE(Reported(ScreenAction::None));
    Click(10, 10);
    EXPECT_TRUE(Reported(ScreenAction::ToMenus));
}

}  // namespace
