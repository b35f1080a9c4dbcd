// The screens shown over the board: the level start with its difficulty
// buttons, the won level with the record name editor, the help message, and
// the end of the game after the last level.
#include "menu/screens.h"

#include "engine/glcontext.h"
#include "menu/screenutil.h"
#include "sound/sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using screens::Measures;

namespace {

constexpr float kPi = 3.14159265358979f;

// The difficulty buttons: the top of their texts, and the band of the
// window in which the pointer chooses one (in pixels whatever the size).
int DifficultyTextTop(const Measures& m)
{
    return m.H - 128;
}

bool InDifficultyBand(const Measures& m, int y)
{
    return y >= m.H - 159 && y < m.H - 48;
}

// "Ok" of the level-won and end screens: its text's top, and the zone a
// click confirms in.
int OkTop(const Measures& m)
{
    return m.H - 2 * m.R;
}

bool InOkZone(const Measures& m, int y)
{
    return y >= m.H - 2.5f * m.R;
}

void DrawOk(const Measures& m)
{
    DrawTextFit(gameFont, TextKey::Ok.Units(), 0, OkTop(m), m.W, m.R, true, false);
}

// A confirmation by a key or a click whose press belongs to this screen, or
// by a joystick button pressed now.
bool KeyOrButtonConfirms(const GameState& g, int screen)
{
    const InputState& in = g.input;
    const bool armed = screens::Armed(g, screen);
    return (armed && (in.keyReleased || in.leftClick || in.rightClick)) || in.joyButtonPressed;
}

}  // namespace

// ---- level start ---------------------------------------------------------------

ScreenAction UpdateLevelStart(GameState& g)
{
    ScreenAction action;
    const Measures m = screens::Measure(g);
    const InputState& in = g.input;
    screens::ArmScreen(g, kScreenLevelStart);

    // The camera circles the board.
    g.levelStartOrbit = std::fmod(g.levelStartOrbit + g.frameStep * 0.075f, 180.0f);
    g.screenCamera.yaw = 2 * g.levelStartOrbit;
    g.screenCamera.pitch = -45;
    g.screenCamera.distance = 1.2f;
    g.camera = &g.screenCamera;

    // A change of difficulty under way: the white veil rises, the level is
    // set up again at its height, and it falls. Nothing else meanwhile.
    if (g.flash > 0) {
        g.flash = std::max(0.0f, g.flash - 0.025f * g.frameStep);
        if (g.flash <= 0.5f && !g.difficultyChangeDone) {
            g.difficultyChangeDone = true;
            action.kind = ScreenAction::ChangeDifficulty;
            action.arg = g.puzzle.difficulty;
        }
        return action;
    }

    if (in.mouseRelX || in.mouseRelY)
        g.difficultyByPointer = true;
    // Left and Right choose as the pointer does; they never start play.
    const bool armed = screens::Armed(g, kScreenLevelStart);
    const int stepKey = (armed && in.leftReleased) || in.joyLeftPressed     ? -1
                        : (armed && in.rightReleased) || in.joyRightPressed ? +1
                                                                            : 0;
    if (!g.puzzle.replayMode) {
        int chosen = std::clamp(g.puzzle.difficulty + stepKey, 1, 3);
        if (!stepKey && g.difficultyByPointer && InDifficultyBand(m, in.mouseY) && in.mouseX >= 0 && in.mouseX < m.W)
            chosen = 1 + std::min(2, in.mouseX * 3 / m.W);
        if (chosen != g.puzzle.difficulty) {
            PlaySample(SoundId::MenuChoice);
            g.puzzle.difficulty = chosen;
            g.flash = 1.0f;
            g.difficultyChangeDone = false;
            return action;
        }
    }

    if (!(stepKey && !g.puzzle.replayMode) && KeyOrButtonConfirms(g, kScreenLevelStart)) {
        PlaySample(SoundId::MenuClick);
        screens::Disarm(g);
        g.difficultyByPointer = false;  // the next level start waits for the pointer again
        action.kind = ScreenAction::Play;
    }
    return action;
}

void DrawLevelStart(const GameState& g)
{
    const Measures m = screens::Measure(g);
    Begin2D();
    DrawGameHud(g);
    DrawTextFit(menuFont, TextKey::MessageStart.Units(), 0, 3 * m.F, m.W, m.F, true, false);

    // The level line: during a replay the level's number too.
    char code[8] = "?????";
    if (const char* c = LevelCode(g.codes, g.puzzle.levelIndex))
        std::snprintf(code, sizeof code, "%c%c%c%c%c", c[0], c[1], c[2], c[3], c[4]);
    std::u16string line;
    if (g.puzzle.replayMode) {
        char number[24];
        std::snprintf(number, sizeof number, " %d - ", g.puzzle.levelIndex + 1);
        line = screens::Concat(TextKey::Area, number);
    }
    line += TextKey::Code.Str() + screens::Widen(" ") + screens::Widen(code);
    DrawTextFit(gameFont, line, 0, 64, m.W, m.H - 64, true, true);

    if (!g.puzzle.replayMode) {
        const int top = DifficultyTextTop(m);
        const int k = std::clamp(g.puzzle.difficulty, 1, 3);
        DrawSelectionBar(static_cast<float>((k - 1) * m.W / 3), static_cast<float>(top),
                         static_cast<float>(k * m.W / 3), static_cast<float>(m.H - 80));
        const WideText* names[3] = {&TextKey::Easy, &TextKey::Normal, &TextKey::Hard};
        for (int i = 0; i < 3; ++i)
            DrawTextFit(menuFont, names[i]->Units(), i * m.W / 3, top, m.W / 3, m.F, true, false);
    }
    DrawMousePointer(g);
    if (g.flash > 0) {
        const float f = g.flash;
        DrawFlash(1, 1, 1, f > 0.5f ? 2 * (1 - f) : 2 * f);
    }
    End2D();
}

// ---- level won -------------------------------------------------------------------

ScreenAction UpdateLevelWon(GameState& g)
{
    ScreenAction action;
    const Measures m = screens::Measure(g);
    const InputState& in = g.input;
    screens::ArmScreen(g, kScreenLevelWon);

    // The camera swings round the board while the car turns on the spot.
    // The three swings repeat together every 3600 units.
    g.levelWonOrbit = std::fmod(g.levelWonOrbit + g.frameStep * 0.3f, 3600.0f);
    const float t = g.levelWonOrbit;
    g.screenCamera.yaw = 360 * std::cos(0.5f * t * kPi / 180);
    g.screenCamera.pitch = 20 * std::sin(0.8f * t * kPi / 90) - 30;
    g.screenCamera.distance = 0.2f * std::cos(kPi * t / 30) + 0.4f;
    g.camera = &g.screenCamera;
    g.puzzle.carAngle = std::fmod(g.puzzle.carAngle + 1.2f * g.frameStep, 360.0f);

    const bool armed = screens::Armed(g, kScreenLevelWon);
    const bool clickOk = armed && in.leftClick && InOkZone(m, in.mouseY);
    if (g.nameEditor.nameEntryActive) {
        // One character per key press, from the key's own typed character;
        // every press of the frame counts, so fast typing loses nothing.
        for (int i = 0; i < in.textEventCount; ++i) {
            const InputState::TextEvent& e = in.textEvents[i];
            UpdateNameEditor(g.nameEditor, e.erase, e.erase ? 0 : e.unicode);
        }
        if ((armed && in.setOff) || in.joyButtonPressed || clickOk) {
            ConfirmScoreName(g.scores, g.nameEditor, g.settings.GamePath);
            screens::Disarm(g);
            action.kind = ScreenAction::LevelWonDone;
        }
        return action;
    }
    if ((armed && in.keyReleased) || in.joyButtonPressed || clickOk) {
        screens::Disarm(g);
        action.kind = ScreenAction::LevelWonDone;
    }
    return action;
}

void DrawLevelWon(const GameState& g)
{
    const Measures m = screens::Measure(g);
    Begin2D();
    DrawGameHud(g);
    if (!g.nameEditor.nameEntryActive) {
        DrawTextFit(menuFont, TextKey::MessageLevelWin.Units(), 0, 0, m.W, m.H, true, true);
    } else {
        // The name in the middle of (0, 16, W, H); the two record lines
        // stacked above it, as the boxes of fixed pixels they would be
        // centred in overlap once the fonts grow with the window.
        const int nameTop = 16 + (m.H - 16 - m.R) / 2;
        const int secondTop = nameTop - static_cast<int>(1.75f * m.R);
        const int firstTop = secondTop - static_cast<int>(0.3f * m.R) - m.F;
        DrawTextFit(menuFont, TextKey::HighScores1.Units(), 0, firstTop, m.W, m.F, true, false);
        DrawTextFit(gameFont, TextKey::HighScores2.Units(), 0, secondTop, m.W, m.R, true, false);
        char name[kScoreNameSize + 2];
        std::snprintf(name, sizeof name, "%s_", g.nameEditor.nameEdit);
        DrawTextFit(gameFont, screens::Widen(name), 0, nameTop, m.W, m.R, true, false);
    }
    DrawOk(m);
    DrawMousePointer(g);
    End2D();
}

// ---- help message ------------------------------------------------------------------

ScreenAction UpdateHelpMessage(GameState& g)
{
    ScreenAction action;
    screens::ArmScreen(g, kScreenHelpMessage);
    if (KeyOrButtonConfirms(g, kScreenHelpMessage)) {
        screens::Disarm(g);
        action.kind = ScreenAction::HelpDone;
    }
    return action;
}

namespace {

void HelpLines(int kind, const WideText* (&lines)[3])
{
    switch (kind) {
    case 1:
        lines[0] = &TextKey::MessageBlock1;
        lines[1] = &TextKey::MessageBlock2;
        lines[2] = &TextKey::MessageBlock3;
        break;
    case 2:
        lines[0] = &TextKey::MessageBombe1;
        lines[1] = &TextKey::MessageBombe2;
        lines[2] = &TextKey::MessageBombe3;
        break;
    default:
        lines[0] = &TextKey::MessageObjet1;
        lines[1] = &TextKey::MessageObjet2;
        lines[2] = &TextKey::MessageObjet3;
        break;
    }
}

}  // namespace

void DrawHelpMessage(const GameState& g)
{
    const WideText* lines[3];
    HelpLines(g.helpKind, lines);
    Begin2D();
    DrawMessageBox(g.settings.Width, g.settings.Height, lines);
    DrawGameHud(g);
    End2D();
}

// ---- end of the game ----------------------------------------------------------------

ScreenAction UpdateGameEnd(GameState& g)
{
    ScreenAction action;
    screens::ArmScreen(g, kScreenGameEnd);
    if (KeyOrButtonConfirms(g, kScreenGameEnd)) {
        PlaySample(SoundId::MenuClick);
        screens::Disarm(g);
        action.kind = ScreenAction::GameEndDone;
    }
    return action;
}

void DrawGameEnd(const GameState& g)
{
    const Measures m = screens::Measure(g);
    const int firstTop = m.H / 2 - m.F - static_cast<int>(0.25f * m.R);
    const int secondTop = m.H / 2 + static_cast<int>(0.25f * m.R);
    const int margin = static_cast<int>(16 * m.s);
    const int room = m.W - 2 * margin;
    Begin2D();
    DrawRect(0, firstTop - 0.75f * m.F, static_cast<float>(m.W), secondTop + m.R + 0.75f * m.F, 0, 0, 0, 0.35f);
    DrawTextFit(menuFont, TextKey::MessageGameWin1.Units(), margin, firstTop, room, m.F, true, false);
    DrawTextFit(gameFont, TextKey::MessageGameWin2.Units(), margin, secondTop, room, m.R, true, false);
    DrawOk(m);
    DrawMousePointer(g);
    End2D();
}
