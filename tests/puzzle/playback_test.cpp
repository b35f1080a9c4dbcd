// The move history and the playback of stored solutions.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* const kCorridor = "// @$   .";
const char* const kCorner = "/     #/ @$  .#";

// Plays the level's stored solution to its end; the frame at which each
// action was read, and what the frames said.
struct Playback {
    bool ended = false, won = false, wonScreen = false;
    std::string readAt;
};

Playback StartAndPlay(PuzzleBench& t, const char* level, std::vector<uint8_t> solution)
{
    LevelFileData d = LevelFromText(Rows(level));
    d.solution = std::move(solution);
    WriteLevel(0, d);
    StartSolution(t.p, 0, "");
    t.hooks.Clear();
    Playback r;
    for (int frame = 0, pos = 0; frame < 5000 && !r.ended; ++frame) {
        const PuzzleFrameResult f = UpdatePuzzleFrame(t.p, PuzzleInput(), 1.0f);
        for (; pos < t.p.playbackPos; ++pos)
            r.readAt += (pos ? " " : "") + std::to_string(frame);
        r.ended = f.playbackEnded;
        r.won |= f.won;
        r.wonScreen |= f.openWonScreen;
    }
    return r;
}

// What each action records is the random play's to check: it plays its
// history back.
TEST(History, FillsUpAndADifficultyChangeEmptiesIt)
{
    PuzzleBench t;
    t.Start(Rows("@b/ $/// ."), kEasy);
    t.p.historyCount = kHistorySize - 1;
    t.Play("RL");
    EXPECT_EQ(t.p.historyCount, kHistorySize);
    EXPECT_EQ(t.p.history[kHistorySize - 1], kActRight);
    ChangeDifficulty(t.p, kNormal);
    EXPECT_EQ(t.p.historyCount, 0);
}

TEST(Playback, PlaysTheStoredActionsAndWinsWithoutTheWonScreen)
{
    // A push lasts 12 frames and the next action is read as it ends; an undo
    // and the fixing of a block each add a pause of 50.
    const std::string pushes = "push.wav push.wav push.wav push.wav";
    const struct {
        const char* what;
        const char* level;
        std::vector<uint8_t> solution;
        const char* readAt;
        const char* board;
        std::string heard, said = "";  // said: once, for an unknown code
    } cases[] = {
        {"push codes", kCorridor, {6, 2, 6, 6}, "0 24 36 48", "// @   c*", pushes},
        {"step codes", kCorridor, {2, 2, 2, 2}, "0 24 36 48", "// @   c*", pushes},
        {"an undo", kCorridor, {6, 10, 6, 6}, "0 24 74 98", "// @ c$ .", "push.wav back.wav push.wav push.wav"},
        {"a fix", kCorner, {6, 6, 6, 1}, "0 24 36 98", "/     #/ @ c F#", pushes.substr(9) + " transfor.wav fixed"},
        {"code 99", kCorridor, {6, 99, 6, 6, 6}, "0 24 25 37 49", "// @   c*", pushes, "demo : unknown action : 99\n"},
        {"no actions", kCorridor, {}, "", "// c$   .", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PuzzleBench t;
        Playback r;
        EXPECT_EQ(CaptureStderr([&] { r = StartAndPlay(t, c.level, c.solution); }), c.said);
        EXPECT_TRUE(r.ended && r.won == !std::strchr(c.board, '.') && !r.wonScreen);  // won once no target is open
        EXPECT_EQ(r.readAt, c.readAt);
        EXPECT_EQ(t.Picture(), c.board);
        EXPECT_EQ(t.hooks.Heard(), c.heard);
    }
    // A solution plays on Hard, records nothing, and a stop gives back the
    // difficulty of the first start.
    PuzzleBench t;
    t.p.difficulty = kEasy;
    StartAndPlay(t, kCorridor, {6, 6, 6, 6});
    EXPECT_EQ(t.p.replayMode * 10 + t.p.difficulty, 13);
    EXPECT_EQ(t.State(), "4/8/4/180");
    StartSolution(t.p, 0, "");
    StopSolution(t.p);
    EXPECT_EQ(t.p.replayMode * 10 + t.p.difficulty, kEasy);
    t.p.difficulty = kHard;
    StopSolution(t.p);  // without a playback it changes nothing
    EXPECT_EQ(t.p.difficulty, kHard);
}

TEST(Playback, NeverMirrorsNeverHintsAndIgnoresThePlayersKeys)
{
    PuzzleBench t;
    t.hooks.randomValues = {1, 1, 1, 1};
    LevelFileData d = LevelFromText(Rows("// @$$  .//    $ ."));
    d.solution = {6, 2};
    WriteLevel(0, d);
    StartSolution(t.p, 0, "");
    EXPECT_EQ(t.hooks.randomValues.size(), 4u);
    EXPECT_EQ(t.Picture(), "// c$$  .//    $ .");
    t.hooks.Clear();
    PuzzleInput keys;
    keys.down = keys.undo = keys.setOff = true;
    for (int i = 0; i < 200; ++i)
        UpdatePuzzleFrame(t.p, keys, 1.0f);
    EXPECT_EQ(t.Picture(), "// c$$  .//    $ .");
    EXPECT_EQ(t.hooks.Heard(), "error1.wav error1.wav");
    EXPECT_EQ(t.p.historyCount, 2);
}

}  // namespace
