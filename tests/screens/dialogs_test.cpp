// The dialog screens driven frame by frame through the game's input rules:
// code entry, solution list, slot lists, high scores and credits.
#include "screens_fixture.h"

#include "app/base/files.h"
#include "persist/levelcode.h"
#include "persist/savegame.h"
#include "persist/score.h"
#include "text/font.h"

#include <string>

namespace {

std::string Typed(const CodeEntry& e)
{
    return std::string(e.typedCode, e.typedCode + kCodeLength);
}

// Where the screens put things, as a player would aim the mouse.
struct Aim {
    int W, H, F, R;
    explicit Aim(const GameState& g)
        : W(g.settings.Width), H(g.settings.Height), F(menuFont.lineHeight), R(gameFont.lineHeight)
    {
    }
    int BottomY() const { return H - F / 2; }          // the "Ok" / buttons row
    int ButtonX(int k) const { return k * W / 3 + W / 6; }
};

class DialogTest : public ScreenTest {};

// ---- code entry ------------------------------------------------------------------------

TEST_F(DialogTest, CodeEntryTypesCapitalsAndTheSixthLetterOverwritesTheFifth)
{
    GameState& g = *game;
    g.codeEntry.cursor = 3;
    OpenCodeEntry(g);
    EXPECT_EQ(g.ScreenState, kScreenCodeEntry);
    EXPECT_EQ(Typed(g.codeEntry), "AAAAA");
    EXPECT_EQ(g.codeEntry.cursor, 0);

    // Each key goes through its own frame, as a player types.
    for (char16_t c : std::u16string(u"levab")) {
        input->Type(std::u16string(1, c));
        EXPECT_EQ(UpdateCodeEntry(g).kind, ScreenAction::None);
    }
    EXPECT_EQ(Typed(g.codeEntry), "LEVAB");
    EXPECT_EQ(g.codeEntry.cursor, 4);
    input->Type(u"x");
    UpdateCodeEntry(g);
    EXPECT_EQ(Typed(g.codeEntry), "LEVAX") << "a sixth letter takes the fifth place";
    EXPECT_EQ(g.codeEntry.cursor, 4);

    // Digits, accents and signs are not code letters.
    for (char16_t c : std::u16string(u"7é-")) {
        input->Type(std::u16string(1, c));
        UpdateCodeEntry(g);
    }
    EXPECT_EQ(Typed(g.codeEntry), "LEVAX");
}

TEST_F(DialogTest, CodeEntryCursorMovesWithBackspaceLeftRightAndStaysInTheCode)
{
    GameState& g = *game;
    OpenCodeEntry(g);
    input->Press(SDLK_LEFT);
    UpdateCodeEntry(g);
    EXPECT_EQ(g.codeEntry.cursor, 0);
    for (int i = 0; i < 6; ++i) {
        input->Press(SDLK_RIGHT);
        UpdateCodeEntry(g);
    }
    EXPECT_EQ(g.codeEntry.cursor, 4);
    input->Press(SDLK_BACKSPACE, 8);
    UpdateCodeEntry(g);
    EXPECT_EQ(g.codeEntry.cursor, 3);
    EXPECT_EQ(Typed(g.codeEntry), "AAAAA") << "backspace only moves the cursor";
    input->Press(SDLK_LEFT);
    UpdateCodeEntry(g);
    EXPECT_EQ(g.codeEntry.cursor, 2);
    input->Type(u"q");
    UpdateCodeEntry(g);
    EXPECT_EQ(Typed(g.codeEntry), "AAQAA");
    EXPECT_EQ(g.codeEntry.cursor, 3);

    // A click on a letter puts the cursor on it.
    Aim aim(g);
    // The first letter's cell is left of the middle one by two cells or so.
    input->Click(aim.W / 2 - 2 * static_cast<int>(1.4f * aim.F), aim.H / 2 + aim.F / 2);
    UpdateCodeEntry(g);
    EXPECT_EQ(g.codeEntry.cursor, 0);
}

TEST_F(DialogTest, CodeEntryConfirmStartsTheCodesLevelAndMarksEarlierLevelsDone)
{
    GameState& g = *game;
    OpenCodeEntry(g);
    for (char16_t c : std::u16string(u"LEVAD")) {
        input->Type(std::u16string(1, c));
        UpdateCodeEntry(g);
    }
    input->Press(SDLK_RETURN, 13);
    ScreenAction a = UpdateCodeEntry(g);
    EXPECT_EQ(a.kind, ScreenAction::StartLevel);
    EXPECT_EQ(a.arg, 3);
    EXPECT_EQ(g.codeEntry.codeFound, 1);
    const std::string progress = ReadTestFile(dir.file("level/leveldata.dat"));
    ASSERT_EQ(progress.size(), 10u);
    EXPECT_EQ(progress.substr(0, 4), std::string("\1\1\1\0", 4));
}

TEST_F(DialogTest, CodeEntryWrongCodeOrEscapeGoesBackToTheMenus)
{
    GameState& g = *game;
    OpenCodeEntry(g);
    input->Press(SDLK_RETURN, 13);  // "AAAAA" is no level's code
    ScreenAction a = UpdateCodeEntry(g);
    EXPECT_EQ(a.kind, ScreenAction::ToMenus);
    EXPECT_EQ(g.codeEntry.codeFound, 0);
    EXPECT_FALSE(TestFileExists(dir.file("level/leveldata.dat")));

    OpenCodeEntry(g);
    input->Press(SDLK_ESCAPE);
    EXPECT_EQ(UpdateCodeEntry(g).kind, ScreenAction::ToMenus);
}

TEST_F(DialogTest, CodeEntryClickOnOkConfirmsAndAClickHigherDoesNot)
{
    GameState& g = *game;
    Aim aim(g);
    OpenCodeEntry(g);
    for (char16_t c : std::u16string(u"LEVAA")) {
        input->Type(std::u16string(1, c));
        UpdateCodeEntry(g);
    }
    input->Click(aim.W / 2, aim.H / 4);
    EXPECT_EQ(UpdateCodeEntry(g).kind, ScreenAction::None);
    input->Click(aim.W / 2, aim.BottomY());
    ScreenAction a = UpdateCodeEntry(g);
    EXPECT_EQ(a.kind, ScreenAction::StartLevel);
    EXPECT_EQ(a.arg, 0);
}

// ---- solution list -------------------------------------------------------------------

class SolutionListTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        game->progress.done[0] = 1;
        game->progress.done[2] = 1;
        OpenSolutionList(*game);
    }
    // The middle of the band in which the mouse selects row i.
    int RowY(int i)
    {
        GameState& g = *game;
        int first = -1, last = -1;
        for (int y = 0; y < g.settings.Height; ++y) {
            g.solutionRow = -1;
            input->MoveTo(g.settings.Width / 2, y);
            UpdateSolutionList(g);
            if (g.solutionRow == i) {
                if (first < 0)
                    first = y;
                last = y;
            }
        }
        EXPECT_GE(first, 0) << "no row " << i;
        g.solutionRow = 0;
        return (first + last) / 2;
    }
};

TEST_F(SolutionListTest, OpensOnPageZeroRowZero)
{
    EXPECT_EQ(game->ScreenState, kScreenSolutionList);
    EXPECT_EQ(game->solutionPage, 0);
    EXPECT_EQ(game->solutionRow, 0);
    EXPECT_EQ(game->codeEntry.codeFound, 0);
}

TEST_F(SolutionListTest, UpAndDownWrapRoundTheTenRows)
{
    GameState& g = *game;
    input->Press(SDLK_UP);
    UpdateSolutionList(g);
    EXPECT_EQ(g.solutionRow, 9);
    input->Press(SDLK_DOWN);
    UpdateSolutionList(g);
    EXPECT_EQ(g.solutionRow, 0);
    input->Press(SDLK_DOWN);
    UpdateSolutionList(g);
    EXPECT_EQ(g.solutionRow, 1);
    // A mouse that rests does not take the keys' choice back.
    input->Frame();
    UpdateSolutionList(g);
    EXPECT_EQ(g.solutionRow, 1);
}

TEST_F(SolutionListTest, ReturnPlaysOnlyADoneLevelsSolution)
{
    GameState& g = *game;
    input->Press(SDLK_DOWN);
    UpdateSolutionList(g);  // row 1: level 2, not done
    input->Press(SDLK_RETURN, 13);
    EXPECT_EQ(UpdateSolutionList(g).kind, ScreenAction::None);
    input->Press(SDLK_DOWN);
    UpdateSolutionList(g);  // row 2: level 3, done
    input->Press(SDLK_RETURN, 13);
    ScreenAction a = UpdateSolutionList(g);
    EXPECT_EQ(a.kind, ScreenAction::StartReplay);
    EXPECT_EQ(a.arg, 2);
    EXPECT_EQ(g.codeEntry.codeFound, 1);
}

TEST_F(SolutionListTest, ReturnWithNoRowSelectedDoesNothing)
{
    GameState& g = *game;
    g.progress.done[9] = 1;
    for (int row : {-1, 10, 42}) {
        g.solutionRow = row;
        input->Press(SDLK_RETURN, 13);
        EXPECT_EQ(UpdateSolutionList(g).kind, ScreenAction::None) << row;
    }
}

TEST_F(SolutionListTest, AClickActsOnTheRowUnderTheMouse)
{
    GameState& g = *game;
    const int row0 = RowY(0), row1 = RowY(1);
    input->MoveTo(g.settings.Width / 2, row1);
    UpdateSolutionList(g);
    EXPECT_EQ(g.solutionRow, 1) << "the row under the mouse is selected";
    input->Click(g.settings.Width / 2, row1);
    EXPECT_EQ(UpdateSolutionList(g).kind, ScreenAction::None) << "level 2 is not done";
    input->Click(g.settings.Width / 2, row0, SDL_BUTTON_RIGHT);
    ScreenAction a = UpdateSolutionList(g);
    EXPECT_EQ(a.kind, ScreenAction::StartReplay);
    EXPECT_EQ(a.arg, 0);
}

TEST_F(SolutionListTest, AClickBesideTheRowsDoesNotPlayTheSelectedRow)
{
    GameState& g = *game;
    g.solutionRow = 0;  // a done level, chosen with the keys
    input->Click(g.settings.Width / 2, 2);  // over the title
    EXPECT_EQ(UpdateSolutionList(g).kind, ScreenAction::None);
}

TEST_F(SolutionListTest, BackButtonAndEscapeLeaveThePagesStayAtZero)
{
    GameState& g = *game;
    Aim aim(g);
    input->Click(aim.ButtonX(2), aim.BottomY());
    EXPECT_EQ(UpdateSolutionList(g).kind, ScreenAction::None);
    EXPECT_EQ(g.solutionPage, 0) << "ten levels: one page";
    input->Wheel(false);
    UpdateSolutionList(g);
    input->Press(SDLK_RIGHT);
    UpdateSolutionList(g);
    EXPECT_EQ(g.solutionPage, 0);
    input->Click(aim.ButtonX(1), aim.BottomY());
    EXPECT_EQ(UpdateSolutionList(g).kind, ScreenAction::ToMenus);
    OpenSolutionList(g);
    input->Press(SDLK_ESCAPE);
    EXPECT_EQ(UpdateSolutionList(g).kind, ScreenAction::ToMenus);
}

// ---- slot lists ------------------------------------------------------------------------

class SlotListTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        WriteLevel(3, 2);
        WriteSlot(2, 3, 3);
        // A slot file cut short: damaged.
        std::string bytes = ReadTestFile(dir.file("save/save02.vro"));
        ASSERT_GT(bytes.size(), 100u);
        WriteTestFile(dir.file("save/save05.vro"), bytes.substr(0, 100));
        // A slot whose level file is gone: damaged too.
        std::string other = bytes;
        other[0] = 6;  // level 7, which has no file
        WriteTestFile(dir.file("save/save07.vro"), other);
    }
    int RowY(int slot)
    {
        GameState& g = *game;
        int first = -1, last = -1;
        for (int y = 0; y < g.settings.Height; ++y) {
            input->MoveTo(g.settings.Width / 2, y);
            UpdateSlotList(g);
            if (g.slotRow == slot) {
                if (first < 0)
                    first = y;
                last = y;
            }
        }
        EXPECT_GE(first, 0) << "no row " << slot;
        return (first + last) / 2;
    }
};

TEST_F(SlotListTest, SummariesShowFilledEmptyAndDamagedSlots)
{
    GameState& g = *game;
    OpenSlotList(g, false);
    EXPECT_EQ(g.ScreenState, kScreenLoadSlots);
    EXPECT_EQ(g.slotRow, -1);
    EXPECT_EQ(g.slots[2].slot, 2);
    EXPECT_EQ(g.slots[2].level, 3);
    EXPECT_EQ(g.slots[2].difficulty, 3);
    EXPECT_EQ(g.slots[2].damaged, 0);
    EXPECT_EQ(g.slots[5].damaged, 1);
    EXPECT_EQ(g.slots[7].damaged, 1);
    EXPECT_EQ(g.slots[0].slot, -1);
    OpenSlotList(g, true);
    EXPECT_EQ(g.ScreenState, kScreenSaveSlots);
}

TEST_F(SlotListTest, LoadingTakesOnlyASoundSlot)
{
    GameState& g = *game;
    OpenSlotList(g, false);
    for (int slot : {0, 5, 7}) {
        input->Click(g.settings.Width / 2, RowY(slot));
        EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::None) << "slot " << slot;
    }
    input->Click(g.settings.Width / 2, RowY(2));
    ScreenAction a = UpdateSlotList(g);
    EXPECT_EQ(a.kind, ScreenAction::LoadSlot);
    EXPECT_EQ(a.arg, 2);
}

TEST_F(SlotListTest, SavingGoesIntoAnySlotDamagedOnesIncluded)
{
    GameState& g = *game;
    g.inMenu = 0;
    OpenSlotList(g, true);
    for (int slot : {0, 2, 5}) {
        input->Click(g.settings.Width / 2, RowY(slot));
        ScreenAction a = UpdateSlotList(g);
        EXPECT_EQ(a.kind, ScreenAction::SaveSlot) << "slot " << slot;
        EXPECT_EQ(a.arg, slot);
    }
}

TEST_F(SlotListTest, BackAndEscapeReturnToWhereThePlayerCameFrom)
{
    GameState& g = *game;
    Aim aim(g);
    g.inMenu = 1;
    OpenSlotList(g, false);
    input->Press(SDLK_ESCAPE);
    EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::ToMenus);
    g.inMenu = 0;
    OpenSlotList(g, false);
    input->Press(SDLK_ESCAPE);
    EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::ResumePlay);
    OpenSlotList(g, false);
    input->Click(aim.W / 2, aim.BottomY());
    EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::ResumePlay) << "Back from the game's load list";
    OpenSlotList(g, true);
    input->Click(aim.W / 2, aim.BottomY());
    EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::ResumePlay) << "Back from the save list saves nothing";
}

TEST_F(SlotListTest, KeysChooseRowsAndReturnConfirms)
{
    GameState& g = *game;
    OpenSlotList(g, false);
    input->Press(SDLK_RETURN, 13);
    EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::None) << "no row yet";
    for (int i = 0; i < 3; ++i) {
        input->Press(SDLK_DOWN);
        UpdateSlotList(g);
    }
    EXPECT_EQ(g.slotRow, 2);
    input->Press(SDLK_RETURN, 13);
    ScreenAction a = UpdateSlotList(g);
    EXPECT_EQ(a.kind, ScreenAction::LoadSlot);
    EXPECT_EQ(a.arg, 2);

    OpenSlotList(g, false);
    input->Press(SDLK_UP);
    UpdateSlotList(g);
    EXPECT_EQ(g.slotRow, kSlotCount) << "up from nothing reaches Back";
    g.inMenu = 1;
    input->Press(SDLK_RETURN, 13);
    EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::ToMenus);
}

TEST_F(SlotListTest, NothingIsSavedOrLoadedWhileASolutionPlays)
{
    GameState& g = *game;
    g.puzzle.replayMode = 1;
    OpenSlotList(g, true);
    input->Click(g.settings.Width / 2, RowY(0));
    EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::None);
    OpenSlotList(g, false);
    input->Click(g.settings.Width / 2, RowY(2));
    EXPECT_EQ(UpdateSlotList(g).kind, ScreenAction::None);
}

TEST_F(DialogTest, LevelBlockCountReadsTheLevelFile)
{
    WriteLevel(1, 3);
    EXPECT_EQ(LevelBlockCount(game->dataPrefix, 1), 3);
    EXPECT_EQ(LevelBlockCount(game->dataPrefix, 2), -1) << "no file";
    EXPECT_EQ(LevelBlockCount(game->dataPrefix, -1), -1);
    WriteTestFile(LevelFilePath(game->dataPrefix, 4), "LVL\0short");
    EXPECT_EQ(LevelBlockCount(game->dataPrefix, 4), -1) << "damaged file";
}

// ---- high scores ---------------------------------------------------------------------

TEST_F(DialogTest, HighScoresF1ResetsThePageAndWritesTheFile)
{
    GameState& g = *game;
    SetScoreName(g.scores, 3, "ANNE");
    g.scores.entries[3].moves = 120;
    ASSERT_TRUE(SaveScores(g.scores, g.settings.GamePath));
    g.scores.scorePage = 5;
    OpenHighScores(g);
    EXPECT_EQ(g.ScreenState, kScreenHighScores);
    EXPECT_EQ(g.scores.scorePage, 0);

    input->Press(SDLK_F2);
    UpdateHighScores(g);
    EXPECT_EQ(g.scores.entries[3].moves, 120) << "only F1 resets";
    input->Press(SDLK_F1);
    EXPECT_EQ(UpdateHighScores(g).kind, ScreenAction::None);
    EXPECT_EQ(g.scores.entries[3].moves, kDefaultScoreMoves);
    EXPECT_STREQ(g.scores.entries[3].name, kDefaultScoreName);
    const std::string file = ReadTestFile(dir.file("score.vro"));
    ASSERT_EQ(file.size(), static_cast<size_t>(kScoreFileBytes));
    EXPECT_EQ(file.substr(3 * kScoreEntryBytes, 9), "VRO GAMES");
}

TEST_F(DialogTest, HighScoresLeaveByEscapeOrBack)
{
    GameState& g = *game;
    Aim aim(g);
    OpenHighScores(g);
    input->Click(aim.ButtonX(0), aim.BottomY());
    EXPECT_EQ(UpdateHighScores(g).kind, ScreenAction::None);
    input->Wheel(true);
    UpdateHighScores(g);
    EXPECT_EQ(g.scores.scorePage, 0);
    input->Click(aim.ButtonX(1), aim.BottomY());
    EXPECT_EQ(UpdateHighScores(g).kind, ScreenAction::ToMenus);
    input->Press(SDLK_ESCAPE);
    EXPECT_EQ(UpdateHighScores(g).kind, ScreenAction::ToMenus);
}

// ---- credits ---------------------------------------------------------------------------

TEST_F(DialogTest, CreditsAreReadAfreshOnEveryVisit)
{
    GameState& g = *game;
    OpenCredits(g);
    EXPECT_EQ(g.ScreenState, kScreenCredits);
    const size_t lines = g.credits.size();
    ASSERT_GT(lines, 3u);
    EXPECT_TRUE(g.credits[0].heading);
    EXPECT_FLOAT_EQ(g.creditsScroll, g.settings.Height - 16.0f);
    OpenCredits(g);
    EXPECT_EQ(g.credits.size(), lines) << "a second visit does not add the lines again";
}

TEST_F(DialogTest, CreditsWithoutTheirFileAreEmptyAndSaySo)
{
    GameState& g = *game;
    OpenCredits(g);
    std::remove(dir.file("data/credit_en.txt").c_str());
    const std::string err = CaptureStderr([&] { OpenCredits(g); });
    EXPECT_NE(err.find("Credit file not found !!!"), std::string::npos);
    EXPECT_TRUE(g.credits.empty());
    for (int i = 0; i < 5; ++i) {
        input->Frame();
        EXPECT_EQ(UpdateCredits(g).kind, ScreenAction::None);
    }
}

TEST_F(DialogTest, CreditsScrollUpAndStartAgainOnceTheLastLineHasGone)
{
    GameState& g = *game;
    OpenCredits(g);
    const float start = g.creditsScroll;
    input->Frame();
    UpdateCredits(g);
    EXPECT_LT(g.creditsScroll, start);
    // Run until it starts again; just before that, the whole list was above
    // the window's top.
    float before = g.creditsScroll;
    int frames = 0;
    while (g.creditsScroll <= before && frames < 100000) {
        before = g.creditsScroll;
        g.frameStep = 7;
        UpdateCredits(g);
        ++frames;
    }
    ASSERT_LT(frames, 100000);
    int total = 0;
    for (const CreditLine& line : g.credits)
        total += line.text.Empty() ? static_cast<int>(32 * g.settings.Width / 1024.0f)
                                   : line.heading ? menuFont.lineHeight : gameFont.lineHeight;
    // The frame that started it again took the last line's bottom above the
    // window's top; the frame before, it was still showing.
    const float move = 0.46f * 7 * g.settings.Width / 1024.0f;
    EXPECT_GT(before + total, 0.0f);
    EXPECT_LE(before + total, move + 0.01f);
    EXPECT_FLOAT_EQ(g.creditsScroll, g.settings.Height + 16.0f);
}

TEST_F(DialogTest, CreditsLeaveOnAnyKeyOrClick)
{
    GameState& g = *game;
    OpenCredits(g);
    input->Press(SDLK_q, 'q');
    EXPECT_EQ(UpdateCredits(g).kind, ScreenAction::ToMenus);
    OpenCredits(g);
    input->Click(10, 10, SDL_BUTTON_RIGHT);
    EXPECT_EQ(UpdateCredits(g).kind, ScreenAction::ToMenus);
}

}  // namespace
