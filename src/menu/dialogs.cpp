// The dialog screens the menus open, drawn over the menu scene: the level
// code entry, the solution list, the load and save slot lists, the
// high-score table and the credits.
#include "menu/screens.h"

#include "app/base/files.h"
#include "engine/glcontext.h"
#include "menu/screenutil.h"
#include "puzzle/tableau.h"
#include "sound/sound.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

using screens::DrawTextBar;
using screens::Measures;

namespace {

using screens::kGreyBottom;
using screens::kGreyTop;
const float kDamagedTop[3] = {1.0f, 0.45f, 0.35f};
const float kDamagedBottom[3] = {0.8f, 0.2f, 0.15f};

// Leaving a dialog with a click.
ScreenAction Leave(GameState& g, ScreenAction::Kind kind, int arg = 0, SoundId sound = SoundId::MenuClick)
{
    PlaySample(sound);
    screens::Disarm(g);
    return ScreenAction{kind, arg};
}

// The mouse took part this frame (moved or pressed): the row under it
// becomes the selected one. Otherwise a selection made with the keys stays.
bool MouseActive(const InputState& in)
{
    return in.mouseRelX != 0 || in.mouseRelY != 0 || in.leftButtonDown || in.rightButtonDown || in.leftClick ||
           in.rightClick;
}

// The row under the mouse, or -1 (outside the window or over the buttons).
int RowUnderMouse(const Measures& m, const screens::Rows& rows, const InputState& in)
{
    if (in.mouseX < 0 || in.mouseX >= m.W || screens::InBottomZone(m, in.mouseY))
        return -1;
    return rows.At(in.mouseY);
}

// The bar of a list's selected row, as wide as the widest row needs.
void DrawRowBar(const Measures& m, int top, int widestText)
{
    DrawTextBar(m.W / 2.0f, top, m.R, widestText, 320, m.W);
}

void DrawRowText(const Measures& m, const std::u16string& text, int top)
{
    DrawTextFit(gameFont, text, 0, top, m.W, m.R, true, false);
}

// "Ok" or "Back" alone across the bottom, with its bar when selected.
void DrawBottomWord(const Measures& m, const WideText& word, bool selected)
{
    const int top = screens::BottomRowTop(m);
    if (selected)
        DrawTextBar(m.W / 2.0f, top, m.F, FittedWidth(menuFont, word.Str(), m.W), 160, m.W);
    DrawTextFit(menuFont, word.Units(), 0, top, m.W, m.F, true, false);
}

int PageCount(int entries)
{
    return std::max(1, (entries + 9) / 10);
}

// Previous (-1) or next (+1) page, kept within the pages that exist.
void TurnPage(int& page, int delta, int entries)
{
    page = std::clamp(page + delta, 0, PageCount(entries) - 1);
}

int PageDelta(const InputState& in)
{
    int delta = 0;
    if (in.wheelUp || in.leftReleased)
        --delta;
    if (in.wheelDown || in.rightReleased)
        ++delta;
    return delta;
}

}  // namespace

// ---- level code entry --------------------------------------------------------------

namespace {

// The letters' cells are one line of the big font wide.
int CodeCellWidth(const Measures& m)
{
    return m.F;
}

int CodeCellLeft(const Measures& m, int i)
{
    return (m.W - kCodeLength * CodeCellWidth(m)) / 2 + i * CodeCellWidth(m);
}

int CodeCellsTop(const Measures& m)
{
    return m.H / 2;
}

// The character of one key press; without a Unicode value the letter keys
// still type their letter.
unsigned int TypedCharacter(const InputState::TextEvent& e)
{
    if (e.unicode)
        return e.unicode;
    if (e.sym >= SDLK_a && e.sym <= SDLK_z)
        return 'a' + (e.sym - SDLK_a);
    return 0;
}

}  // namespace

void OpenCodeEntry(GameState& g)
{
    std::memset(g.codeEntry.typedCode, 'A', sizeof g.codeEntry.typedCode);
    g.codeEntry.cursor = 0;
    g.codeEntry.codeFound = 0;
    screens::Disarm(g);
    g.ScreenState = kScreenCodeEntry;
}

ScreenAction UpdateCodeEntry(GameState& g)
{
    const Measures m = screens::Measure(g);
    const InputState& in = g.input;
    CodeEntry& entry = g.codeEntry;
    if (in.escape) {
        entry.codeFound = 0;
        return Leave(g, ScreenAction::ToMenus);
    }
    if (in.setOff || (in.leftClick && screens::InBottomZone(m, in.mouseY))) {
        const int level = EnterLevelCode(g.codes, entry, g.progress, g.settings.GamePath);
        if (level >= 0)
            return Leave(g, ScreenAction::StartLevel, level);
        // Heard, so a typo is not taken for a broken screen.
        return Leave(g, ScreenAction::ToMenus, 0, SoundId::Error1);
    }
    // A click on a letter puts the cursor there.
    if (in.leftClick && in.mouseY >= CodeCellsTop(m) && in.mouseY < CodeCellsTop(m) + m.F)
        for (int i = 0; i < kCodeLength; ++i)
            if (in.mouseX >= CodeCellLeft(m, i) && in.mouseX < CodeCellLeft(m, i) + CodeCellWidth(m))
                entry.cursor = i;
    if (in.leftReleased)
        MoveCodeCursor(entry, -1);
    if (in.rightReleased)
        MoveCodeCursor(entry, +1);
    // Every key press of the frame, in order, so fast typing loses nothing.
    for (int i = 0; i < in.textEventCount; ++i) {
        const InputState::TextEvent& e = in.textEvents[i];
        if (e.erase)
            MoveCodeCursor(entry, -1);
        else if (unsigned int ch = TypedCharacter(e))
            TypeCodeCharacter(entry, ch);
    }
    return ScreenAction();
}

void DrawCodeEntry(const GameState& g)
{
    const Measures m = screens::Measure(g);
    const CodeEntry& entry = g.codeEntry;
    Begin2D();
    screens::DrawTitle(m, TextKey::MessageCode, gameFont);
    const int top = CodeCellsTop(m);
    const int cursor = std::clamp(entry.cursor, 0, kCodeLength - 1);
    const int cell = CodeCellWidth(m);
    // The bar's round ends (half its height each) stand out of the cell by
    // a quarter line on every side.
    const float left = static_cast<float>(CodeCellLeft(m, cursor));
    DrawSelectionBar(left - m.F / 4.0f, top - m.F / 4.0f, left + cell + m.F / 4.0f, top + m.F + m.F / 4.0f);
    for (int i = 0; i < kCodeLength; ++i)
        DrawChar(menuFont, static_cast<char16_t>(static_cast<unsigned char>(entry.typedCode[i])), CodeCellLeft(m, i),
                 top, cell, m.F, true, false);
    DrawBottomWord(m, TextKey::Ok, screens::InBottomZone(m, g.input.mouseY));
    DrawMousePointer(g);
    End2D();
}

// ---- level pages: the solution list and the level list -----------------------------

namespace {

bool LevelDone(const GameState& g, int level)
{
    return level >= 0 && level < kLevelCount && g.progress.done[level] != 0;
}

// Codes mark every level below theirs done, so the first gap is where the
// player stands.
int FirstLevelNotDone(const GameState& g)
{
    int level = 0;
    while (level < kLevelCount && LevelDone(g, level))
        ++level;
    return level;
}

bool LevelStartable(const GameState& g, int level)
{
    return LevelDone(g, level) || (level < kLevelCount && level == FirstLevelNotDone(g));
}

// Which rows of a page may be confirmed; the others are drawn grey.
using RowPickable = bool (*)(const GameState&, int level);

std::u16string LevelRowText(int level)
{
    char number[16];
    std::snprintf(number, sizeof number, " %2d", level + 1);
    return screens::Concat(TextKey::Area, number);
}

// The two lists differ only in which rows start and what starts.
struct LevelPage {
    ScreenStateId screen;
    const WideText& title;
    RowPickable pickable;
    ScreenAction::Kind start;
};
const LevelPage kSolutionPage{kScreenSolutionList, TextKey::Solution, LevelDone, ScreenAction::StartReplay};
// The level start screen that follows asks for the difficulty.
const LevelPage kLevelListPage{kScreenLevelList, TextKey::Level, LevelStartable, ScreenAction::StartLevel};

void OpenLevelPage(GameState& g, const LevelPage& page)
{
    g.solutionPage = 0;
    g.solutionRow = 0;
    g.codeEntry.codeFound = 0;
    screens::Disarm(g);
    g.ScreenState = page.screen;
}

// One frame of a page of ten levels: the picked level (-1 none), or
// leave set when the page is closed.
struct PagePick {
    bool leave = false;
    int level = -1;
};

PagePick UpdateLevelPage(GameState& g, RowPickable pickable)
{
    const Measures m = screens::Measure(g);
    const InputState& in = g.input;
    const screens::Rows rows = screens::LayOutRows(m, 10);
    const int under = RowUnderMouse(m, rows, in);
    if (under >= 0 && MouseActive(in))
        g.solutionRow = under;

    PagePick pick;
    if (in.escape) {
        pick.leave = true;
        return pick;
    }
    if (in.upReleased || in.joyUpPressed)
        g.solutionRow = g.solutionRow <= 0 ? 9 : g.solutionRow - 1;
    if (in.downReleased || in.joyDownPressed)
        g.solutionRow = g.solutionRow >= 9 || g.solutionRow < 0 ? 0 : g.solutionRow + 1;
    TurnPage(g.solutionPage, PageDelta(in), kLevelCount);

    if (in.leftClick || in.rightClick) {
        switch (screens::BottomButtonAt(m, in.mouseX, in.mouseY)) {
        case 0:
            TurnPage(g.solutionPage, -1, kLevelCount);
            return pick;
        case 1:
            pick.leave = true;
            return pick;
        case 2:
            TurnPage(g.solutionPage, +1, kLevelCount);
            return pick;
        default:
            break;
        }
    }
    const bool clickOnRow = (in.leftClick || in.rightClick) && under >= 0;
    const bool confirm = clickOnRow || in.setOff || in.joyButtonPressed;
    const int row = clickOnRow ? under : g.solutionRow;
    if (confirm && row >= 0 && row <= 9) {
        const int level = g.solutionPage * 10 + row;
        if (pickable(g, level))
            pick.level = level;
    }
    return pick;
}

void DrawLevelPage(const GameState& g, const WideText& title, RowPickable pickable)
{
    const Measures m = screens::Measure(g);
    const screens::Rows rows = screens::LayOutRows(m, 10);
    Begin2D();
    screens::DrawTitle(m, title);
    int widest = 0;
    for (int row = 0; row < 10; ++row)
        widest = std::max(widest, FittedWidth(gameFont, LevelRowText(g.solutionPage * 10 + row), m.W));
    if (g.solutionRow >= 0 && g.solutionRow <= 9)
        DrawRowBar(m, rows.Top(g.solutionRow), widest);
    for (int row = 0; row < 10; ++row) {
        const int level = g.solutionPage * 10 + row;
        if (pickable(g, level)) {
            DrawRowText(m, LevelRowText(level), rows.Top(row));
        } else {
            FontTint grey(gameFont, kGreyTop, kGreyBottom, 1.0f);
            DrawRowText(m, LevelRowText(level), rows.Top(row));
        }
    }
    screens::DrawBottomButtons(m, screens::BottomButtonAt(m, g.input.mouseX, g.input.mouseY), g.solutionPage > 0,
                               g.solutionPage < PageCount(kLevelCount) - 1);
    DrawMousePointer(g);
    End2D();
}

ScreenAction UpdateLevelPage(GameState& g, const LevelPage& page)
{
    const PagePick pick = UpdateLevelPage(g, page.pickable);
    if (pick.leave)
        return Leave(g, ScreenAction::ToMenus);
    if (pick.level < 0)
        return ScreenAction();
    g.codeEntry.codeFound = page.start == ScreenAction::StartReplay;
    return Leave(g, page.start, pick.level);
}

}  // namespace

void OpenSolutionList(GameState& g)
{
    OpenLevelPage(g, kSolutionPage);
}

ScreenAction UpdateSolutionList(GameState& g)
{
    return UpdateLevelPage(g, kSolutionPage);
}

void DrawSolutionList(const GameState& g)
{
    DrawLevelPage(g, kSolutionPage.title, kSolutionPage.pickable);
}

void OpenLevelList(GameState& g)
{
    OpenLevelPage(g, kLevelListPage);
}

ScreenAction UpdateLevelList(GameState& g)
{
    return UpdateLevelPage(g, kLevelListPage);
}

void DrawLevelList(const GameState& g)
{
    DrawLevelPage(g, kLevelListPage.title, kLevelListPage.pickable);
}

// ---- load and save slot lists ------------------------------------------------------

namespace {

constexpr int kBackRow = kSlotCount;  // the row of "Back" below the slots

std::u16string SlotRowText(const SlotSummary& s)
{
    if (s.slot < 0)
        return TextKey::Empty.Str();
    const char* key = SlotDifficultyKey(s);
    if (s.damaged || !key)
        return screens::Concat(TextKey::Area, " -- : ???");
    char number[24];
    std::snprintf(number, sizeof number, " %2d : ", s.level + 1);
    const WideText& word = s.difficulty == 1 ? TextKey::Easy : s.difficulty == 2 ? TextKey::Normal : TextKey::Hard;
    return screens::Concat(TextKey::Area, number) + word.Str();
}

bool SlotFilled(const SlotSummary& s)
{
    return s.slot >= 0 && !s.damaged && SlotDifficultyKey(s);
}

int SlotTarget(const Measures& m, const screens::Rows& rows, const InputState& in)
{
    if (in.mouseX < 0 || in.mouseX >= m.W || in.mouseY >= m.H)
        return -1;
    if (screens::InBottomZone(m, in.mouseY))
        return kBackRow;
    return rows.At(in.mouseY);
}

ScreenAction BackFromSlots(GameState& g)
{
    return Leave(g, g.inMenu ? ScreenAction::ToMenus : ScreenAction::ResumePlay);
}

}  // namespace

void OpenSlotList(GameState& g, bool save)
{
    const std::string prefix = g.dataPrefix;
    ReadSlotSummaries(g.slots, g.settings.GamePath, kLevelCount,
                      [prefix](int level) { return ReadSavedBlockCount(prefix.c_str(), level); });
    g.slotRow = -1;
    screens::Disarm(g);
    g.ScreenState = save ? kScreenSaveSlots : kScreenLoadSlots;
}

ScreenAction UpdateSlotList(GameState& g)
{
    const Measures m = screens::Measure(g);
    const InputState& in = g.input;
    const bool save = g.ScreenState == kScreenSaveSlots;
    const screens::Rows rows = screens::LayOutRows(m, kSlotCount);
    const int target = SlotTarget(m, rows, in);
    if (MouseActive(in))
        g.slotRow = target;

    if (in.escape)
        return BackFromSlots(g);
    if (in.upReleased || in.joyUpPressed)
        g.slotRow = g.slotRow <= 0 ? kBackRow : g.slotRow - 1;
    if (in.downReleased || in.joyDownPressed)
        g.slotRow = g.slotRow < 0 || g.slotRow >= kBackRow ? 0 : g.slotRow + 1;

    const bool confirm = in.leftClick || in.setOff || in.joyButtonPressed;
    if (!confirm)
        return ScreenAction();
    const int row = in.leftClick ? target : g.slotRow;
    if (row < 0 || row > kBackRow)
        return ScreenAction();
    PlaySample(SoundId::MenuClick);
    if (row == kBackRow) {
        screens::Disarm(g);
        if (save)
            return ScreenAction{ScreenAction::ResumePlay};
        return ScreenAction{g.inMenu ? ScreenAction::ToMenus : ScreenAction::ResumePlay};
    }
    // A solution being watched is no game of the player's: nothing is saved
    // from it or loaded over it.
    if (g.puzzle.replayMode)
        return ScreenAction();
    if (save) {
        // Empty, filled or damaged: any slot can be written.
        screens::Disarm(g);
        return ScreenAction{ScreenAction::SaveSlot, row};
    }
    if (SlotFilled(g.slots[row])) {
        screens::Disarm(g);
        return ScreenAction{ScreenAction::LoadSlot, row};
    }
    return ScreenAction();
}

void DrawSlotList(const GameState& g)
{
    const Measures m = screens::Measure(g);
    const bool save = g.ScreenState == kScreenSaveSlots;
    const screens::Rows rows = screens::LayOutRows(m, kSlotCount);
    Begin2D();
    screens::DrawTitle(m, save ? TextKey::SaveGame : TextKey::LoadGame);
    int widest = 0;
    for (const SlotSummary& s : g.slots)
        widest = std::max(widest, FittedWidth(gameFont, SlotRowText(s), m.W));
    if (g.slotRow >= 0 && g.slotRow < kSlotCount)
        DrawRowBar(m, rows.Top(g.slotRow), widest);
    for (int n = 0; n < kSlotCount; ++n) {
        const SlotSummary& s = g.slots[n];
        const std::u16string text = SlotRowText(s);
        if (s.slot < 0) {
            FontTint grey(gameFont, kGreyTop, kGreyBottom, 1.0f);
            DrawRowText(m, text, rows.Top(n));
        } else if (!SlotFilled(s)) {
            FontTint red(gameFont, kDamagedTop, kDamagedBottom, 1.0f);
            DrawRowText(m, text, rows.Top(n));
        } else {
            DrawRowText(m, text, rows.Top(n));
        }
    }
    DrawBottomWord(m, TextKey::Back, g.slotRow == kBackRow);
    DrawMousePointer(g);
    End2D();
}

// ---- high scores ---------------------------------------------------------------------

void OpenHighScores(GameState& g)
{
    g.scores.scorePage = 0;
    screens::Disarm(g);
    g.ScreenState = kScreenHighScores;
}

ScreenAction UpdateHighScores(GameState& g)
{
    const Measures m = screens::Measure(g);
    const InputState& in = g.input;
    if (in.escape)
        return Leave(g, ScreenAction::ToMenus);
    if (in.fkey[1]) {
        ResetScorePage(g.scores, g.scores.scorePage);
        SaveScores(g.scores, g.settings.GamePath);
        PlaySample(SoundId::MenuClick);
    }
    TurnPage(g.scores.scorePage, PageDelta(in), kScoreEntries);
    if (in.leftClick) {
        switch (screens::BottomButtonAt(m, in.mouseX, in.mouseY)) {
        case 0:
            TurnPage(g.scores.scorePage, -1, kScoreEntries);
            break;
        case 1:
            return Leave(g, ScreenAction::ToMenus);
        case 2:
            TurnPage(g.scores.scorePage, +1, kScoreEntries);
            break;
        default:
            break;
        }
    }
    return ScreenAction();
}

void DrawHighScores(const GameState& g)
{
    const Measures m = screens::Measure(g);
    const screens::Rows rows = screens::LayOutRows(m, 11);
    const int third = m.W / 3;
    Begin2D();
    screens::DrawTitle(m, TextKey::HighScores);
    {
        // The column heads in the colours of the big font.
        FontTint heads(gameFont, menuFont.colorTop, menuFont.colorBottom, 1.0f);
        const WideText* names[3] = {&TextKey::Area, &TextKey::Name, &TextKey::Moves};
        for (int k = 0; k < 3; ++k)
            DrawTextFit(gameFont, names[k]->Units(), k * third, rows.Top(0), third, m.R, true, false);
    }
    for (int row = 0; row < 10; ++row) {
        const int entry = g.scores.scorePage * 10 + row;
        if (entry >= kScoreEntries)
            break;
        const ScoreEntry& e = g.scores.entries[entry];
        const int top = rows.Top(row + 1);
        char text[32];
        std::snprintf(text, sizeof text, "% 2d", entry + 1);
        DrawTextFit(gameFont, screens::Widen(text), 0, top, third, m.R, true, false);
        char name[kScoreNameSize];
        std::memcpy(name, e.name, sizeof name);
        name[kScoreNameSize - 1] = 0;
        DrawTextFit(gameFont, screens::Widen(name), third, top, third, m.R, true, false);
        std::snprintf(text, sizeof text, "% 5d", static_cast<int>(e.moves));
        DrawTextFit(gameFont, screens::Widen(text), 2 * third, top, third, m.R, true, false);
    }
    screens::DrawBottomButtons(m, screens::BottomButtonAt(m, g.input.mouseX, g.input.mouseY), g.scores.scorePage > 0,
                               g.scores.scorePage < PageCount(kScoreEntries) - 1);
    DrawMousePointer(g);
    End2D();
}

// ---- credits ---------------------------------------------------------------------------

namespace {

int CreditLineHeight(const Measures& m, const CreditLine& line)
{
    if (line.text.Empty())
        return 32;
    return line.heading ? m.F : m.R;
}

int CreditsHeight(const Measures& m, const std::vector<CreditLine>& lines)
{
    int total = 0;
    for (const CreditLine& line : lines)
        total += CreditLineHeight(m, line);
    return total;
}

}  // namespace

void OpenCredits(GameState& g)
{
    // LoadCredits empties the list first, so a second visit never doubles it.
    LoadCredits(g.dataPrefix, g.settings.Lang, g.credits);
    g.creditsScroll = static_cast<float>(g.settings.Height - 16);
    screens::Disarm(g);
    g.ScreenState = kScreenCredits;
}

ScreenAction UpdateCredits(GameState& g)
{
    const Measures m = screens::Measure(g);
    const InputState& in = g.input;
    if (in.keyReleased || in.leftClick || in.rightClick || in.joyButtonPressed) {
        RestoreFontColours();
        return Leave(g, ScreenAction::ToMenus);
    }
    g.creditsScroll -= 0.46f * g.frameStep;
    // Round again once the last line has left the top of the window.
    if (g.creditsScroll <= -static_cast<float>(CreditsHeight(m, g.credits)))
        g.creditsScroll = static_cast<float>(g.settings.Height + 16);
    return ScreenAction();
}

void DrawCredits(const GameState& g)
{
    const Measures m = screens::Measure(g);
    const float fade = 64;
    const int margin = static_cast<int>(16 * m.s);
    Begin2D();
    float top = g.creditsScroll;
    for (const CreditLine& line : g.credits) {
        const int h = CreditLineHeight(m, line);
        const float bottom = top + h;
        if (!line.text.Empty() && top < m.H && bottom > 0) {
            float alpha = 1;
            if (top < fade)
                alpha = top / (fade - 1);
            else if (bottom > m.H - fade)
                alpha = (m.H - bottom) / (fade - 1);
            alpha = std::clamp(alpha, 0.0f, 1.0f);
            GLTTF2D& font = line.heading ? menuFont : gameFont;
            FontTint tint(font, alpha);
            DrawTextFit(font, line.text.Units(), margin, static_cast<int>(top), m.W - 2 * margin, h, true, false);
        }
        top = bottom;
    }
    DrawMousePointer(g);
    End2D();
}
