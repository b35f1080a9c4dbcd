// The move history and the playback of stored solutions.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const std::vector<std::string> kCorridor = {"", "", " @$   ."};
const std::vector<std::string> kCorner = {"", "     #", " @$  .#"};

struct Playback {
    int frames = 0;
    bool ended = false;
    bool won = false;
    bool wonScreen = false;
    std::vector<int> readAt;  // the frame at which each position was read
};

Playback Play(PuzzleBench& t, int maxFrames = 5000, float dt = 1.0f)
{
    Playback r;
    int pos = t.p.playbackPos;
    for (; r.frames < maxFrames && !r.ended; ++r.frames) {
        PuzzleFrameResult f = UpdatePuzzleFrame(t.p, PuzzleInput(), dt);
        while (pos < t.p.playbackPos) {
            r.readAt.push_back(r.frames);
            ++pos;
        }
        r.ended = f.playbackEnded;
        r.won = r.won || f.won;
        r.wonScreen = r.wonScreen || f.openWonScreen;
    }
    return r;
}

void StartWithSolution(PuzzleBench& t, const std::vector<std::string>& rows, std::vector<uint8_t> solution)
{
    LevelFileData d = LevelFromText(rows);
    d.solution = std::move(solution);
    WriteLevel(0, d);
    StartSolution(t.p, 0, "");
    t.hooks.Clear();
}

TEST(History, RecordsStepsPushesUndoAndBombsUntilFull)
{
    PuzzleBench t;
    t.Start({"@b", " $", "", "", " ."}, kEasy);
    PuzzleInput undo;
    undo.undo = true;
    UpdatePuzzleFrame(t.p, undo, 1.0f);  // nothing to take back: not recorded
    EXPECT_EQ(t.p.historyCount, 0);
    t.Press(kDirRight);  // onto the bomb
    t.Press(kDirDown);   // push the block down
    t.Press(kDirLeft);
    t.Press(kDirUp);
    PuzzleInput setOff;
    setOff.setOff = true;
    UpdatePuzzleFrame(t.p, setOff, 1.0f);
    t.Settle();
    for (int i = 0; i < 80; ++i) UpdatePuzzleFrame(t.p, PuzzleInput(), 1.0f);
    UpdatePuzzleFrame(t.p, undo, 1.0f);
    const std::vector<uint8_t> expected = {kActRight, kActDown, kActLeft, kActUp, kActSetOff, kActUndo};
    ASSERT_EQ(t.p.historyCount, int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(t.p.history[i], expected[i]) << i;

    t.p.historyCount = kHistorySize - 1;
    t.Press(kDirRight);
    EXPECT_EQ(t.p.historyCount, kHistorySize);
    t.Press(kDirLeft);
    EXPECT_EQ(t.p.historyCount, kHistorySize);
    EXPECT_EQ(t.p.history[kHistorySize - 1], kActRight);

    // A change of difficulty empties it.
    ChangeDifficulty(t.p, kNormal);
    EXPECT_EQ(t.p.historyCount, 0);
}

TEST(Playback, PushCodesPlayLikeStepsAndTheSolutionWinsWithoutTheWonScreen)
{
    PuzzleBench a;
    StartWithSolution(a, kCorridor, {6, 2, 6, 6});
    EXPECT_EQ(a.p.replayMode, 1);
    EXPECT_EQ(a.p.difficulty, kHard);
    EXPECT_EQ(a.p.historyCount, 4);
    Playback ra = Play(a);
    ASSERT_TRUE(ra.ended);
    EXPECT_TRUE(ra.won);
    EXPECT_FALSE(ra.wonScreen);
    EXPECT_EQ(a.Cell(6, 2), 100);
    EXPECT_EQ(a.p.historyCount, 4);  // nothing recorded while playing
    EXPECT_EQ(a.p.moves, 4);

    PuzzleBench b;
    StartWithSolution(b, kCorridor, {2, 2, 2, 2});
    Playback rb = Play(b);
    ASSERT_TRUE(rb.ended);
    EXPECT_EQ(rb.readAt, ra.readAt);
    EXPECT_EQ(std::memcmp(a.p.board.cells, b.p.board.cells, sizeof a.p.board.cells), 0);

    // Leaving puts the difficulty back.
    EXPECT_EQ(a.p.savedDifficulty, kNormal);
    StopSolution(a.p);
    EXPECT_EQ(a.p.replayMode, 0);
    EXPECT_EQ(a.p.difficulty, kNormal);
}

TEST(Playback, PausesFiftyAfterAnUndoAndAfterABlockBecomesFixed)
{
    PuzzleBench t;
    StartWithSolution(t, kCorridor, {6, 10, 6, 6});
    Playback r = Play(t);
    ASSERT_TRUE(r.ended);
    ASSERT_EQ(r.readAt.size(), 4u);
    // The undo is read once the push has ended; the next action waits 50.
    EXPECT_EQ(r.readAt[2] - r.readAt[1], 50);
    EXPECT_EQ(t.Cell(4, 2), 14);  // the undone push was taken back
    EXPECT_EQ(t.Cell(3, 2), 0);

    PuzzleBench c;
    StartWithSolution(c, kCorner, {6, 6, 6, 1});
    r = Play(c);
    ASSERT_TRUE(r.ended);
    ASSERT_EQ(r.readAt.size(), 4u);
    EXPECT_EQ(c.Cell(5, 2), 15);
    EXPECT_EQ(c.hooks.Count("transfor.wav"), 1);
    // A push lasts 12 frames; the fixing of the block adds a pause of 50.
    const int plainGap = r.readAt[2] - r.readAt[1];
    EXPECT_EQ(plainGap, 13);
    EXPECT_EQ(r.readAt[3] - r.readAt[2], plainGap + 50);
}

TEST(Playback, AnUnknownCodeIsReportedOnceAndSkipped)
{
    PuzzleBench t;
    StartWithSolution(t, kCorridor, {6, 99, 6, 6, 6});
    Playback r;
    std::string err = CaptureStderr([&] { r = Play(t, 2000); });
    EXPECT_EQ(err, "demo : unknown action : 99\n");
    ASSERT_TRUE(r.ended);
    EXPECT_TRUE(r.won);
    EXPECT_EQ(t.Cell(6, 2), 100);
}

TEST(Playback, AnEmptySolutionEndsAtOnce)
{
    PuzzleBench t;
    StartWithSolution(t, kCorridor, {});
    PuzzleFrameResult f = UpdatePuzzleFrame(t.p, PuzzleInput(), 1.0f);
    EXPECT_TRUE(f.playbackEnded);
}

TEST(Playback, NeverMirrorsNeverHintsAndIgnoresThePlayersKeys)
{
    PuzzleBench t;
    t.hooks.randomValues = {1, 1, 1, 1};
    StartWithSolution(t, {"", "", " @$$  .", "", "    $ ."}, {6, 2});
    EXPECT_EQ(t.hooks.randomValues.size(), 4u);
    EXPECT_EQ(t.p.carX, 1);
    EXPECT_EQ(t.Cell(2, 2), 14);
    PuzzleInput keys;
    keys.down = true;
    keys.undo = true;
    keys.setOff = true;
    for (int i = 0; i < 200; ++i) UpdatePuzzleFrame(t.p, keys, 1.0f);
    EXPECT_EQ(t.p.carY, 2);  // the player's keys do not drive the car
    EXPECT_EQ(t.hooks.Count("error1.wav"), 2);
    EXPECT_TRUE(t.hooks.hints.empty());
    EXPECT_EQ(t.hooks.Count("message.wav"), 0);
    EXPECT_EQ(t.p.historyCount, 2);
}

TEST(Playback, TheSavedDifficultySurvivesARestartOfThePlayback)
{
    PuzzleBench t;
    t.p.difficulty = kEasy;
    StartWithSolution(t, kCorridor, {6});
    StartSolution(t.p, 0, "");
    EXPECT_EQ(t.p.savedDifficulty, kEasy);
    StopSolution(t.p);
    EXPECT_EQ(t.p.difficulty, kEasy);
    StopSolution(t.p);  // twice changes nothing
    EXPECT_EQ(t.p.difficulty, kEasy);
}

}  // namespace
