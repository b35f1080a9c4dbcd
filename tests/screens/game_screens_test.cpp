// The screens over the board: level start, level won with the record name
// editor, help message and end of the game, the heads-up bar, and the
// sounds the screens play.
#include "screens_fixture.h"

#include "sound/sound.h"

#include <SDL_mixer.h>

#include <cmath>

namespace {

class GameScreenTest : public ScreenTest {
protected:
    // A point in the difficulty buttons' band, in third k (1, 2, 3).
    void PointAtDifficulty(int k, int dx = 0) { MoveTo((2 * k - 1) * width / 6 + dx, height - 100 * width / 1024); }
};

TEST_F(GameScreenTest, LevelStartSetsTheLevelUpOnceAtTheFlashsMiddleEvenAfterAStall)
{
    g.puzzle.difficulty = kNormal;
    Watch(UpdateLevelStart);
    PointAtDifficulty(3);
    int frames = 0, changeFrame = -1;  // 0.025 per time unit: 20 frames to the middle, 40 to the end
    for (; g.flash > 0 && frames < 1000; ++frames)
        if (Frame(), Reported(ScreenAction::ChangeDifficulty, kHard))
            changeFrame = frames + 1;
    EXPECT_EQ(reports, 1);
    EXPECT_NEAR(changeFrame, 20, 1);
    EXPECT_NEAR(frames, 40, 1);
    PointAtDifficulty(1);
    step = 500;
    Frame();
    EXPECT_TRUE(Reported(ScreenAction::ChangeDifficulty, kEasy));
    Frame();
    EXPECT_EQ(reports, 2);
    g.puzzle.replayMode = 1;  // no difficulty to choose in a replay
    PointAtDifficulty(3);
    EXPECT_EQ(g.puzzle.difficulty + g.flash, kEasy);
}

TEST_F(GameScreenTest, LevelWonTheNameTakesEveryKeyPressOnceAndARecordIsConfirmedByReturnOrOk)
{
    Watch(UpdateLevelWon);
    RecordLevelWon(g.scores, g.nameEditor, 1, 30);
    Press(SDLK_UP);
    Click(width / 2, height / 3);  // above "Ok"
    EXPECT_EQ(reports, 0);
    Click(width / 2, height - gameFont.lineHeight);
    EXPECT_TRUE(Reported(ScreenAction::LevelWonDone));

    ASSERT_EQ(RecordLevelWon(g.scores, g.nameEditor, 4, 77), 1);
    for (int i = 0; i < 8; ++i)
        Press(SDLK_BACKSPACE, 8);
    Type(u"Aé-d");
    Hold(SDLK_a, 'a');
    for (int i = 0; i < 30; ++i)  // held, no repeat of its own
        Frame();
    Release(SDLK_a);
    EXPECT_EQ(reports, 1);
    Press(SDLK_RETURN, 13);
    EXPECT_TRUE(Reported(ScreenAction::LevelWonDone));
    EXPECT_STREQ(g.scores.entries[4].name, "Ada");
    EXPECT_EQ(g.scores.entries[4].moves, 77);
    EXPECT_EQ(g.nameEditor.nameEntryActive, 0);
    EXPECT_EQ(ReadTestFile("score.vro").substr(4 * kScoreEntryBytes, 4), std::string("Ada\0", 4));
}

// The key of the push that won the level, or made a block lost, is still
// held when the screen opens: only a press made while it shows confirms.
TEST_F(GameScreenTest, LevelWonHelpAndGameEndAreConfirmedByAKeyPressedWhileTheyShowOrAClick)
{
    RecordLevelWon(g.scores, g.nameEditor, 1, 6000);  // no record: any key confirms
    ASSERT_EQ(g.nameEditor.nameEntryActive, 0);
    g.puzzle.carAngle = 90;
    const struct {
        ScreenAction (*update)(GameState&);
        ScreenAction::Kind done;
        int clickY;
    } cases[] = {{UpdateLevelWon, ScreenAction::LevelWonDone, height - gameFont.lineHeight},
                 {UpdateHelpMessage, ScreenAction::HelpDone, 10},
                 {UpdateGameEnd, ScreenAction::GameEndDone, 10}};
    for (const auto& c : cases) {
        MoveTo(width / 2, height / 2);
        Watch(c.update);
        Hold(SDLK_UP);
        g.armedScreen = -1;  // pressed on the play screen
        if (c.update == UpdateLevelWon) {
            // The camera swings round the board while the car turns on the spot.
            const float t = 0.3f, pi = 3.14159265f;
            EXPECT_NEAR(g.screenCamera.yaw, 360 * std::cos(0.5f * t * pi / 180), 1e-3);
            EXPECT_NEAR(g.screenCamera.pitch, 20 * std::sin(0.8f * t * pi / 90) - 30, 1e-3);
            EXPECT_NEAR(g.screenCamera.distance, 0.2f * std::cos(pi * t / 30) + 0.4f, 1e-4);
            EXPECT_FLOAT_EQ(g.puzzle.carAngle, 91.2f);
            EXPECT_EQ(g.camera, &g.screenCamera);
        }
        for (int i = 0; i < 5; ++i)
            Frame();
        Release(SDLK_UP);
        Frame();
        EXPECT_EQ(reports, 0) << c.done;
        Press(SDLK_UP);
        EXPECT_TRUE(Reported(c.done));
        Click(width / 2, c.clickY);
        EXPECT_TRUE(Reported(c.done));
    }
}

TEST_F(GameScreenTest, HudShowsTheBombOnlyWhileTheCarCarriesOneAndKeepsItsNumbersClearOfTheIcons)
{
    g.puzzle.levelIndex = 9;
    g.puzzle.moves = 99999;
    auto hud = [](const GameState& s) {
        Begin2D();
        DrawGameHud(s);
        End2D();
    };
    const Picture without = Draw(hud);
    g.puzzle.bombCarried = 5;
    const Picture with = Draw(hud);
    const float C = width / 7.0f, icon = 48 * width / 1024.0f, margin = (C - icon) / 2;
    // Over a plain background the bar's shade alone changes only from top
    // to bottom: what differs from the row's first pixel is drawn.
    auto drawn = [](const Picture& p, float x0, float x1) {
        int n = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = static_cast<int>(x0); x < static_cast<int>(x1); ++x)
                n += !Near(p.At(x, y), p.At(static_cast<int>(x0), y), 3);
        return n;
    };
    EXPECT_EQ(drawn(without, 6 * C, width), 0);
    EXPECT_GT(drawn(with, 6 * C, width), 100);
    EXPECT_GT(drawn(without, 2 * C, 3 * C), 100) << "the level's icon";
    // The numbers, white to light blue, right of the level and moves icons.
    for (int k : {2, 4}) {
        const float x0 = k * C + margin + icon + 1;
        EXPECT_GT(with.CountNear(Rgb{220, 230, 245}, 60, static_cast<int>(x0), 0, static_cast<int>((k + 1.5f) * C), 60),
                  20)
            << "the number right of icon " << k;
    }
}

TEST_F(GameScreenTest, ScreensPlayTheirSounds)
{
    if (!InitSound((RunDir() + "/").c_str()))
        GTEST_SKIP() << "no audio device (SDL_AUDIODRIVER=dummy gives one)";
    SetSoundOn(1);
    int channel = NextChannel();
    // The effect played since the last look, or null.
    auto heard = [&]() -> Mix_Chunk* {
        const int n = ChannelCount(), now = NextChannel();
        Mix_Chunk* chunk = now == channel ? nullptr : Mix_GetChunk((now + n - 1) % n);
        channel = now;
        return chunk;
    };
    g.puzzle.difficulty = kNormal;
    Watch(UpdateLevelStart);
    PointAtDifficulty(3);
    EXPECT_EQ(heard(), SampleChunk(SoundId::MenuChoice)) << "a new difficulty";
    g.flash = 0;
    PointAtDifficulty(3, 5);
    EXPECT_EQ(heard(), nullptr) << "the difficulty already chosen";
    Press(SDLK_SPACE, ' ');
    EXPECT_EQ(heard(), SampleChunk(SoundId::MenuClick)) << "play starts";
    OpenCodeEntry(g);
    Watch(UpdateCodeEntry);
    Press(SDLK_RETURN, 13);  // "AAAAA" is no level's code
    EXPECT_EQ(heard(), SampleChunk(SoundId::Error1)) << "a wrong code";
    const struct {
        void (*open)(GameState&);
        ScreenAction (*update)(GameState&);
    } dialogs[] = {{[](GameState& s) { OpenSlotList(s, false); }, UpdateSlotList}, {OpenCredits, UpdateCredits}};
    for (const auto& d : dialogs) {
        d.open(g);
        Watch(d.update);
        Press(SDLK_ESCAPE);
        EXPECT_EQ(heard(), SampleChunk(SoundId::MenuClick)) << "leaving a dialog";
    }
    FreeSound();
}

}  // namespace
