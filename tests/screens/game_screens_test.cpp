// The screens over the board: level start, level won with the record name
// editor, help message, end of the game, and the heads-up bar.
#include "screens_fixture.h"

#include "persist/score.h"
#include "text/font.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

class GameScreenTest : public ScreenTest {
protected:
    int W() const { return game->settings.Width; }
    int H() const { return game->settings.Height; }
    // A point in the difficulty buttons' band, in third k (1, 2, 3).
    void PointAtDifficulty(int k) { input->MoveTo((2 * k - 1) * W() / 6, H() - static_cast<int>(100 * W() / 1024.0)); }
};

// ---- level start -----------------------------------------------------------------------

TEST_F(GameScreenTest, LevelStartMouseChoosesTheDifficultyWithOneSetUpAtTheFlashsMiddle)
{
    GameState& g = *game;
    g.ScreenState = kScreenLevelStart;
    g.puzzle.difficulty = kNormal;
    PointAtDifficulty(3);
    EXPECT_EQ(UpdateLevelStart(g).kind, ScreenAction::None);
    EXPECT_EQ(g.puzzle.difficulty, kHard);
    EXPECT_FLOAT_EQ(g.flash, 1.0f);

    // The flash runs down by 0.025 per time unit: 20 frames to its middle,
    // 40 to its end; the level is set up again once, at the middle.
    int changes = 0, changeFrame = -1, frames = 0;
    while (g.flash > 0 && frames < 1000) {
        input->Frame();
        ScreenAction a = UpdateLevelStart(g);
        ++frames;
        if (a.kind == ScreenAction::ChangeDifficulty) {
            ++changes;
            changeFrame = frames;
            EXPECT_EQ(a.arg, kHard);
        }
        // Keys and clicks wait for the flash.
        EXPECT_NE(a.kind, ScreenAction::Play);
    }
    EXPECT_EQ(changes, 1);
    EXPECT_NEAR(changeFrame, 20, 1);
    EXPECT_NEAR(frames, 40, 1);

    // Resting over the chosen button changes nothing more.
    input->Frame();
    EXPECT_EQ(UpdateLevelStart(g).kind, ScreenAction::None);
    EXPECT_FLOAT_EQ(g.flash, 0.0f);
}

TEST_F(GameScreenTest, LevelStartALongFrameStillSetsTheLevelUpOnce)
{
    GameState& g = *game;
    g.puzzle.difficulty = kNormal;
    PointAtDifficulty(1);
    UpdateLevelStart(g);
    input->Frame();
    g.frameStep = 500;  // a stall
    ScreenAction a = UpdateLevelStart(g);
    EXPECT_EQ(a.kind, ScreenAction::ChangeDifficulty);
    EXPECT_EQ(a.arg, kEasy);
    EXPECT_FLOAT_EQ(g.flash, 0.0f);
    input->Frame();
    EXPECT_EQ(UpdateLevelStart(g).kind, ScreenAction::None);
}

TEST_F(GameScreenTest, LevelStartOffersNoDifficultyDuringAReplayOrOutsideTheButtons)
{
    GameState& g = *game;
    g.puzzle.difficulty = kNormal;
    input->MoveTo(W() - 5, H() / 2);
    UpdateLevelStart(g);
    EXPECT_EQ(g.puzzle.difficulty, kNormal);
    input->MoveTo(W() - 5, H() - 2);  // below the band
    UpdateLevelStart(g);
    EXPECT_EQ(g.puzzle.difficulty, kNormal);
    g.puzzle.replayMode = 1;
    PointAtDifficulty(3);
    UpdateLevelStart(g);
    EXPECT_EQ(g.puzzle.difficulty, kNormal);
    EXPECT_FLOAT_EQ(g.flash, 0.0f);
}

TEST_F(GameScreenTest, LevelStartAKeyPressedHereStartsPlayAKeyHeldFromBeforeDoesNot)
{
    GameState& g = *game;
    input->MoveTo(W() / 2, H() / 2);
    input->Hold(SDLK_RIGHT);  // pressed on the screen before
    g.armedScreen = -1;
    input->Release(SDLK_RIGHT);
    EXPECT_EQ(UpdateLevelStart(g).kind, ScreenAction::None);
    input->Press(SDLK_SPACE, ' ');
    EXPECT_EQ(UpdateLevelStart(g).kind, ScreenAction::Play);
    EXPECT_EQ(g.armedScreen, -1);
    input->Click(W() / 2, H() / 2);
    EXPECT_EQ(UpdateLevelStart(g).kind, ScreenAction::Play);
}

TEST_F(GameScreenTest, LevelStartCameraCirclesTheBoard)
{
    GameState& g = *game;
    input->MoveTo(W() / 2, H() / 2);
    for (int i = 0; i < 10; ++i) {
        input->Frame();
        UpdateLevelStart(g);
    }
    EXPECT_EQ(g.camera, &g.screenCamera);
    EXPECT_NEAR(g.screenCamera.yaw, 2 * 0.75f, 1e-4);
    EXPECT_FLOAT_EQ(g.screenCamera.pitch, -45);
    EXPECT_FLOAT_EQ(g.screenCamera.distance, 1.2f);
}

// ---- level won and the record name -------------------------------------------------------

TEST_F(GameScreenTest, LevelWonNameEditorTakesLettersDigitsAndSpacesOnly)
{
    GameState& g = *game;
    g.ScreenState = kScreenLevelWon;
    ASSERT_EQ(RecordLevelWon(g.scores, g.nameEditor, 2, 40), 1);
    EXPECT_STREQ(g.nameEditor.nameEdit, "noname");
    for (int i = 0; i < 8; ++i) {
        input->Press(SDLK_BACKSPACE, 8);
        EXPECT_EQ(UpdateLevelWon(g).kind, ScreenAction::None);
    }
    EXPECT_STREQ(g.nameEditor.nameEdit, "") << "the erase key on an empty name does nothing";
    for (char16_t c : std::u16string(u"Zoé-2 x")) {
        input->Type(std::u16string(1, c));
        UpdateLevelWon(g);
    }
    EXPECT_STREQ(g.nameEditor.nameEdit, "Zo2 x") << "accents and hyphens are not name characters";
    for (char16_t c : std::u16string(u"abcdefghijklmnopqrstuvw")) {
        input->Type(std::u16string(1, c));
        UpdateLevelWon(g);
    }
    EXPECT_EQ(std::strlen(g.nameEditor.nameEdit), 20u) << "a 21st character is ignored";
    EXPECT_STREQ(g.nameEditor.nameEdit, "Zo2 xabcdefghijklmno");
}

TEST_F(GameScreenTest, LevelWonOneCharacterPerKeyPress)
{
    GameState& g = *game;
    RecordLevelWon(g.scores, g.nameEditor, 0, 10);
    std::memset(g.nameEditor.nameEdit, 0, sizeof g.nameEditor.nameEdit);
    g.nameEditor.length = 0;
    input->Hold(SDLK_k, 'k');
    UpdateLevelWon(g);
    for (int i = 0; i < 30; ++i) {  // held, no repeat of its own
        input->Frame();
        UpdateLevelWon(g);
    }
    input->Release(SDLK_k);
    UpdateLevelWon(g);
    EXPECT_STREQ(g.nameEditor.nameEdit, "k");
}

TEST_F(GameScreenTest, LevelWonConfirmStoresTheNameAndSavesTheScores)
{
    GameState& g = *game;
    ASSERT_EQ(RecordLevelWon(g.scores, g.nameEditor, 4, 77), 1);
    for (int i = 0; i < 6; ++i) {
        input->Press(SDLK_BACKSPACE, 8);
        UpdateLevelWon(g);
    }
    for (char16_t c : std::u16string(u"Ada")) {
        input->Type(std::u16string(1, c));
        UpdateLevelWon(g);
    }
    input->Press(SDLK_RETURN, 13);
    EXPECT_EQ(UpdateLevelWon(g).kind, ScreenAction::LevelWonDone);
    EXPECT_STREQ(g.scores.entries[4].name, "Ada");
    EXPECT_EQ(g.scores.entries[4].moves, 77);
    EXPECT_STREQ(g.scores.playerName, "Ada");
    EXPECT_EQ(g.nameEditor.nameEntryActive, 0);
    const std::string file = ReadTestFile(dir.file("score.vro"));
    ASSERT_EQ(file.size(), static_cast<size_t>(kScoreFileBytes));
    EXPECT_EQ(file.substr(4 * kScoreEntryBytes, 4), std::string("Ada\0", 4));
    // The next record starts from the confirmed name.
    RecordLevelWon(g.scores, g.nameEditor, 5, 70);
    EXPECT_STREQ(g.nameEditor.nameEdit, "Ada");
}

TEST_F(GameScreenTest, LevelWonTheArrowHeldFromTheWinningPushDoesNotSkipIt)
{
    GameState& g = *game;
    // Without a record: any key confirms, but only one pressed on this screen.
    RecordLevelWon(g.scores, g.nameEditor, 1, 6000);
    ASSERT_EQ(g.nameEditor.nameEntryActive, 0);
    input->MoveTo(W() / 2, H() / 2);
    input->Hold(SDLK_UP);
    g.armedScreen = -1;  // the push was made on the play screen
    g.ScreenState = kScreenLevelWon;
    for (int i = 0; i < 5; ++i) {
        input->Frame();
        EXPECT_EQ(UpdateLevelWon(g).kind, ScreenAction::None);
    }
    input->Release(SDLK_UP);
    EXPECT_EQ(UpdateLevelWon(g).kind, ScreenAction::None);
    input->Press(SDLK_UP);
    EXPECT_EQ(UpdateLevelWon(g).kind, ScreenAction::LevelWonDone);
}

TEST_F(GameScreenTest, LevelWonWithARecordOnlyReturnFireOrOkConfirm)
{
    GameState& g = *game;
    RecordLevelWon(g.scores, g.nameEditor, 1, 30);
    input->Press(SDLK_UP);
    EXPECT_EQ(UpdateLevelWon(g).kind, ScreenAction::None) << "an arrow is no confirmation here";
    input->Click(W() / 2, H() / 3);
    EXPECT_EQ(UpdateLevelWon(g).kind, ScreenAction::None) << "a click above Ok";
    input->Click(W() / 2, H() - gameFont.lineHeight);
    EXPECT_EQ(UpdateLevelWon(g).kind, ScreenAction::LevelWonDone);
}

TEST_F(GameScreenTest, LevelWonCameraSwingsAndTheCarTurns)
{
    GameState& g = *game;
    RecordLevelWon(g.scores, g.nameEditor, 1, 6000);
    g.puzzle.carAngle = 90;
    input->Frame();
    UpdateLevelWon(g);
    const float t = 0.3f;
    EXPECT_NEAR(g.screenCamera.yaw, 360 * std::cos(0.5f * t * 3.14159265f / 180), 1e-3);
    EXPECT_NEAR(g.screenCamera.pitch, 20 * std::sin(0.8f * t * 3.14159265f / 90) - 30, 1e-3);
    EXPECT_NEAR(g.screenCamera.distance, 0.2f * std::cos(3.14159265f * t / 30) + 0.4f, 1e-4);
    EXPECT_FLOAT_EQ(g.puzzle.carAngle, 91.2f);
    EXPECT_EQ(g.camera, &g.screenCamera);
}

// ---- help message and end of the game --------------------------------------------------

TEST_F(GameScreenTest, HelpMessageIsDismissedByAKeyPressedWhileItShows)
{
    GameState& g = *game;
    g.ScreenState = kScreenHelpMessage;
    g.helpKind = 1;
    input->Hold(SDLK_LEFT);  // the push that made the block lost
    g.armedScreen = -1;
    input->Release(SDLK_LEFT);
    EXPECT_EQ(UpdateHelpMessage(g).kind, ScreenAction::None);
    input->Frame();
    EXPECT_EQ(UpdateHelpMessage(g).kind, ScreenAction::None);
    input->Press(SDLK_SPACE, ' ');
    EXPECT_EQ(UpdateHelpMessage(g).kind, ScreenAction::HelpDone);
    input->Click(10, 10);
    EXPECT_EQ(UpdateHelpMessage(g).kind, ScreenAction::HelpDone) << "a click dismisses it too";
}

TEST_F(GameScreenTest, GameEndIsConfirmedByAKeyOrAClick)
{
    GameState& g = *game;
    g.ScreenState = kScreenGameEnd;
    input->Frame();
    EXPECT_EQ(UpdateGameEnd(g).kind, ScreenAction::None);
    input->Press(SDLK_RETURN, 13);
    EXPECT_EQ(UpdateGameEnd(g).kind, ScreenAction::GameEndDone);
    input->Click(W() / 2, H() / 2);
    EXPECT_EQ(UpdateGameEnd(g).kind, ScreenAction::GameEndDone);
}

// ---- the heads-up bar ----------------------------------------------------------------------

TEST_F(GameScreenTest, HudBarShowsTheBombOnlyWhileTheCarCarriesOne)
{
    GameState& g = *game;
    auto isBomb = [](const Rgb8& c) { return c.r > 200 && c.g < 60 && c.b > 200; };
    const float C = W() / 7.0f;
    const int x0 = static_cast<int>(6 * C), x1 = W();
    const int y1 = static_cast<int>(80 * W() / 1024.0);

    g.puzzle.bombCarried = 0;
    DrawBackground(false);
    Begin2D();
    DrawGameHud(g);
    End2D();
    Shot without = Shot::Take(W(), H());
    EXPECT_EQ(without.Count(x0, 0, x1, y1, isBomb), 0);
    // The level and moves icons are there.
    auto isLevelIcon = [](const Rgb8& c) { return c.b > 200 && c.r < 90 && c.g > 90 && c.g < 150; };
    EXPECT_GT(without.Count(static_cast<int>(2 * C), 0, static_cast<int>(3 * C), y1, isLevelIcon), 100);

    g.puzzle.bombCarried = 5;
    DrawBackground(false);
    Begin2D();
    DrawGameHud(g);
    End2D();
    Shot with = Shot::Take(W(), H());
    EXPECT_GT(with.Count(x0, 0, x1, y1, isBomb), 100);
}

TEST_F(GameScreenTest, HudBarNumbersKeepClearOfTheIcons)
{
    GameState& g = *game;
    g.puzzle.levelIndex = 9;
    g.puzzle.moves = 99999;
    g.puzzle.bombCarried = 5;
    DrawBackground(false);
    Begin2D();
    DrawGameHud(g);
    End2D();
    Shot shot = Shot::Take(W(), H());
    shot.Save("screens_hud_test.png");
    // The numbers are white to light blue; the icons' discs are not.
    auto isText = [](const Rgb8& c) { return c.r > 150 && c.g > 150 && c.b > 150; };
    const float C = W() / 7.0f, icon = 48 * W() / 1024.0f, m = (C - icon) / 2;
    for (int k : {2, 4}) {
        const int iconRight = static_cast<int>(k * C + m + icon);
        const int ink = shot.Count(iconRight + 1, 0, static_cast<int>((k + 1.5) * C), 60, isText);
        EXPECT_GT(ink, 20) << "the number right of icon " << k;
    }
}

}  // namespace
