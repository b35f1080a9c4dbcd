// The undo stack: what a pop restores, the empty stack, the trim, bombs
// without a list entry; the redo of what was undone; the move history and
// the playback of stored solutions.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void ExpectSameRotation(const Quat& a, const Quat& b)
{
    EXPECT_NEAR(std::fabs(a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w), 1.0f, 1e-5f);
}

TEST(Undo, AnEmptyStackDoesNothingAndARestartEmptiesIt)
{
    PuzzleBench t;
    InitPile(t.p);
    EXPECT_EQ(t.p.undoCount, 0);
    t.Start(Rows("/@$  ."));
    uint8_t start[kBoardRows][kBoardCols];
    std::memcpy(start, t.p.board.cells, sizeof start);
    EXPECT_FALSE(PopUndo(t.p));
    EXPECT_EQ(t.Play("ZRZDZ"), "-pum-");  // nothing to take back is no action; a plain step leaves nothing
    EXPECT_EQ(std::memcmp(start, t.p.board.cells, sizeof start), 0);
    EXPECT_EQ(t.State(), "12/0/3/90");
    EXPECT_EQ(t.hooks.Heard(), "push.wav back.wav");
    EXPECT_EQ(t.Play("UR"), "mp");
    StartLevelBoard(t.p, 0);
    EXPECT_EQ(t.State(), "0/0/0/0");
}

TEST(Undo, APushComesBackWithItsOrientationIndexDrawnPlaceAndCar)
{
    PuzzleBench t;
    t.p.rollHorizontal[0][2] = 90;  // a push along a row turns the block about z
    t.Start(Rows("// @$   ."));
    EXPECT_EQ(t.Play("RRD"), "ppm");
    EXPECT_EQ(t.p.blockIndexMap[2 * 20 + 4], 0);
    t.hooks.Clear();
    EXPECT_EQ(t.Play("Z"), "u");
    EXPECT_EQ(t.Picture(), "// @c$  .");
    EXPECT_EQ(t.p.blockIndexMap[2 * 20 + 3] * 1000 + t.p.blockIndexMap[2 * 20 + 4], kNoIndex);
    const BlockRecord& b = t.p.blocks[0];
    EXPECT_EQ(FormatText("%d %g %g %g %g", b.x, b.drawX, t.p.carDrawX, t.p.carAngle, t.p.heading), "3 3 2 180 180");
    ExpectSameRotation(b.orientation, EulerToQuat(0, 0, 90));
    float m[16];
    QuatToMatrix(b.orientation, m);
    EXPECT_EQ(std::memcmp(m, b.matrix, sizeof m), 0);
    EXPECT_EQ(t.State(), "13/2/4/180");
    EXPECT_EQ(t.p.history[3], kActUndo);
    EXPECT_EQ(t.hooks.Heard(), "back.wav");
    // A push taken back while under way stops where it began, and nothing
    // turns the block afterwards.
    t.p.rollHorizontal[0][2] = 0, t.p.rollHorizontal[0][0] = 90;
    ASSERT_EQ(StepCar(t.p, kDirRight), kStepPushed);
    UpdatePuzzleFrame(t.p, PuzzleInput(), 3.0f);
    ASSERT_GT(t.p.moveProgress, 0);
    EXPECT_EQ(t.Play("Z"), "u");
    EXPECT_EQ(FormatText("%g %d %g %d %g", t.p.moveProgress, t.p.carX, t.p.carDrawX, b.x, b.drawX), "0 2 2 3 3");
    ExpectSameRotation(b.orientation, EulerToQuat(0, 0, 90));
}

TEST(Undo, TheTrimKeepsWholeSteps)
{
    PuzzleBench t;
    t.Start({"@"});
    // Two-entry steps: the 3000th entry drops exactly the oldest 750.
    for (int s = 0; s < 1500; ++s)
        PushUndo(t.p, 1, 1, 0, s % 20, 0, 0, 1), PushUndo(t.p, 2, 1, 0, s % 20, 0, 0, 2);
    EXPECT_EQ(FormatText("%d %d %d", t.p.undoCount, t.p.undo[0].kind, t.p.undo[0].carX), "2250 1 15");
    // Seven-entry steps (a bomb blast): entry 750 is inside a step, so the
    // cut moves on to the next first entry: 756 entries, 108 steps go.
    StartLevelBoard(t.p, 0);
    for (int s = 0; s < 430; ++s)
        for (int k = 1; k <= 7; ++k)
            PushUndo(t.p, 3, 3, 0, 1, 1, 5, k);
    EXPECT_EQ(t.p.undoCount * 10 + t.p.undo[0].kind, (3010 - 756) * 10 + 1);
    int pops = 0;
    for (; PopUndo(t.p); ++pops)
        ASSERT_EQ(t.p.undoCount % 7, 0);
    EXPECT_EQ(pops * 10000 + t.p.undoCount, (430 - 108) * 10000);
}

TEST(Undo, ABombWithoutAListEntryTakesAFreeOneOrNone)
{
    PuzzleBench t;
    t.Start(Rows("@b  b///  $ ."), kEasy);
    t.Play("R");                              // bomb 0 picked up
    PushUndo(t.p, 7, 7, kCellBomb, 1, 0, 5);  // a bomb cell no bomb of the list stands on
    EXPECT_EQ(t.p.undo[t.p.undoCount - 1].listIndex, kNoIndex);
    ASSERT_TRUE(PopUndo(t.p));
    EXPECT_EQ(FormatText("%d %d %d %d %d %d", t.Cell(7, 7), t.p.bombListCount, t.p.bombs[0].present, t.p.bombs[0].x,
                         t.p.bombs[1].present, t.p.bombs[1].x),
              "5 2 1 7 1 4");
    t.Start(Rows("@bbbb///  $ ."), kEasy);  // every entry in use: the list stays as it is
    BombRecord before[kMaxBombs];
    std::memcpy(before, t.p.bombs, sizeof before);
    PushUndo(t.p, 9, 9, kCellBomb, 0, 0, 0);
    ASSERT_TRUE(PopUndo(t.p));
    EXPECT_EQ(t.Cell(9, 9), 5);
    EXPECT_EQ(std::memcmp(before, t.p.bombs, sizeof before), 0);
}

TEST(Redo, PlaysTheUndoneStepsAgainThroughTheStepRuleUntilANewStepOrALevelStart)
{
    const struct {
        const char* board;
        int difficulty;
        const char* keys;
        const char* letters;
        const char* picture;  // "": as before the first undo
        const char* history;  // steps and pushes as L R U D, undos Z, blasts X
    } cases[] = {
        {"@$  .", kNormal, "RRZZYYY", "ppuuyy-", "", "RRZZRR"},
        {"@/ $/  $", kNormal, "DRDRZZYY", "mpmpuuyy", "", "DRDRZZRDR"},  // drives to where a push began
        {"@$  .", kNormal, "RZDY", "pum-", "@$  ./c", "RZD"},            // a new step clears it
        {"@$  .", kNormal, "RZZY", "pu-y", "", "RZR"},                   // an empty undo keeps it
        {"@b=  ", kEasy, "RXZYZZYY", "mxuyuuyy", "", "RXZXZZRX"},        // the blast and the bomb come back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        PuzzleBench t;
        t.Start(Rows(c.board), c.difficulty);
        std::string letters, before, history;
        int entries = 0;
        for (char k : std::string(c.keys)) {
            if (k == 'Z' && before.empty())
                before = t.Picture(), entries = t.p.undoCount;
            letters += t.Play(std::string(1, k));
        }
        EXPECT_EQ(letters, c.letters);
        for (int i = 0; i < t.p.historyCount; ++i) {
            const int a = t.p.history[i];
            history += a == kActUndo ? 'Z' : a == kActSetOff ? 'X' : a >= 1 && a <= 4 ? "LRUD"[a - 1] : '?';
        }
        EXPECT_EQ(history, c.history);
        EXPECT_EQ(t.Picture(), *c.picture ? c.picture : before);
        EXPECT_EQ(t.p.undoCount, *c.picture ? t.p.undoCount : entries);
    }
    // A level start (restart, load, solution) clears it; a solution never redoes.
    PuzzleBench t;
    t.Start(Rows("@$  ."));
    EXPECT_EQ(t.Play("RZ"), "pu");
    t.p.replayMode = 1;
    EXPECT_FALSE(StartRedo(t.p));
    t.p.replayMode = 0;
    StartLevelBoard(t.p, 0);
    EXPECT_EQ(t.Play("Y"), "-");
    EXPECT_EQ(t.Play("RZ"), "pu");
    EXPECT_TRUE(t.Click(0, 2));  // a walk clears it too
    EXPECT_EQ(t.Play("Y"), "-");
}

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
