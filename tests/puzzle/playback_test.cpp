// The move history and the playback of stored solutions.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* const kCorridor = "// @$   .";
const char* const kCorner = "/     #/ @$  .#";

struct Playback {
    bool ended = false, won = false, wonScreen = false;
    std::vector<int> readAt;  // the frame at which each action was read
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
            r.readAt.push_back(frame);
        r.ended = f.playbackEnded;
        r.won |= f.won;
        r.wonScreen |= f.openWonScreen;
    }
    return r;
}

TEST(History, RecordsStepsUndoAndBombsUntilFullAndADifficultyChangeEmptiesIt)
{
    PuzzleBench t;
    t.Start(Rows("@b/ $/// ."), kEasy);
    EXPECT_EQ(t.Play("ZRDLUXZ"), "-mpmmxu");
    const std::vector<uint8_t> history(t.p.history, t.p.history + t.p.historyCount);
    EXPECT_EQ(history, std::vector<uint8_t>({kActRight, kActDown, kActLeft, kActUp, kActSetOff, kActUndo}));
    t.p.historyCount = kHistorySize - 1;
    t.Play("RL");
    EXPECT_EQ(t.p.historyCount, kHistorySize);
    EXPECT_EQ(t.p.history[kHistorySize - 1], kActRight);
    ChangeDifficulty(t.p, kNormal);
    EXPECT_EQ(t.p.historyCount, 0);
}

TEST(Playback, PushCodesPlayLikeStepsAndASolutionWinsWithoutTheWonScreen)
{
    PuzzleBench a, b;
    a.p.difficulty = kEasy;
    const Playback ra = StartAndPlay(a, kCorridor, {6, 2, 6, 6});
    EXPECT_EQ(a.p.replayMode * 10 + a.p.difficulty, 13);
    EXPECT_TRUE(ra.ended && ra.won && !ra.wonScreen);
    EXPECT_EQ(a.Picture(), "// @   c*");
    EXPECT_EQ(a.State(), "4/8/4/180");  // nothing recorded while playing
    const Playback rb = StartAndPlay(b, kCorridor, {2, 2, 2, 2});
    EXPECT_EQ(rb.readAt, ra.readAt);
    EXPECT_EQ(b.Picture(), a.Picture());
    StartSolution(a.p, 0, "");  // a second start keeps the difficulty to go back to
    StopSolution(a.p);
    EXPECT_EQ(a.p.replayMode * 10 + a.p.difficulty, kEasy);
    a.p.difficulty = kHard;
    StopSolution(a.p);  // without a playback it changes nothing
    EXPECT_EQ(a.p.difficulty, kHard);
}

TEST(Playback, PausesFiftyAfterAnUndoAndAfterABlockIsFixed)
{
    PuzzleBench t, c;
    Playback r = StartAndPlay(t, kCorridor, {6, 10, 6, 6});
    ASSERT_TRUE(r.ended && r.readAt.size() == 4);
    EXPECT_EQ(r.readAt[2] - r.readAt[1], 50);  // the undo is read once the push has ended
    EXPECT_EQ(t.Picture(), "// @ c$ .");
    r = StartAndPlay(c, kCorner, {6, 6, 6, 1});
    ASSERT_TRUE(r.ended && r.readAt.size() == 4);
    EXPECT_EQ(c.Picture(), "/     #/ @ c F#");
    EXPECT_EQ(c.hooks.Heard(), "push.wav push.wav push.wav transfor.wav fixed");
    EXPECT_EQ(r.readAt[2] - r.readAt[1], 12);  // a push lasts 12 frames, the next read as it ends,
    EXPECT_EQ(r.readAt[3] - r.readAt[2], 62);  // and the fixing of the block adds 50
}

TEST(Playback, AnUnknownCodeIsReportedOnceAndSkippedAndAnEmptySolutionEndsAtOnce)
{
    PuzzleBench t, e;
    Playback r;
    EXPECT_EQ(CaptureStderr([&] { r = StartAndPlay(t, kCorridor, {6, 99, 6, 6, 6}); }), "demo : unknown action : 99\n");
    EXPECT_TRUE(r.ended && r.won);
    EXPECT_EQ(t.Picture(), "// @   c*");
    r = StartAndPlay(e, kCorridor, {});
    EXPECT_TRUE(r.ended && r.readAt.empty());
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
