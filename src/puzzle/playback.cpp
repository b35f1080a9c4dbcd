// The play screen's game update and the playback of stored solutions.
#include "puzzle/internal.h"
#include "app/base/log.h"

#include <cstdio>
#include <cstring>

namespace {

struct FrameFlags {
    bool dir[5] = {false, false, false, false, false};  // by Direction
    bool undo = false;
    bool setOff = false;
};

// Reads the next stored action into the frame's flags; true when the
// playback has run out.
bool PlaybackStep(Puzzle& p, FrameFlags& f)
{
    if (p.moveProgress != 0 || p.bombTimer != 0 || p.playbackPause != 0)
        return false;
    if (p.playbackPos >= p.historyCount)
        return true;
    const int code = p.history[p.playbackPos++];
    switch (code) {
    case kActLeft:
    case kActPushLeft:
        f.dir[kDirLeft] = true;
        break;
    case kActRight:
    case kActPushRight:
        f.dir[kDirRight] = true;
        break;
    case kActUp:
    case kActPushUp:
        f.dir[kDirUp] = true;
        break;
    case kActDown:
    case kActPushDown:
        f.dir[kDirDown] = true;
        break;
    case kActUndo:
        f.undo = true;
        p.playbackPause = 50;
        break;
    case kActSetOff:
        f.setOff = true;
        break;
    default:
        // Reported once and stepped over, so that the rest still plays.
        Warn("demo : unknown action : %d\n", code);
        break;
    }
    return false;
}

void CountDown(float& timer, float dt)
{
    if (timer == 0)
        return;
    timer -= dt;
    if (timer <= 0)
        timer = 0;
}

}  // namespace

PuzzleFrameResult UpdatePuzzleFrame(Puzzle& p, const PuzzleInput& in, float frameStep)
{
    PuzzleFrameResult result;
    FrameFlags f;

    if (!p.replayMode && in.undo && p.undoCount > 0) {
        RecordAction(p, kActUndo);
        f.undo = true;
    }
    // An undo takes the whole frame: a step or a bomb in the same frame would
    // happen before the pop but stand after it in the history, and the
    // playback would then not retrace the game.
    if (!p.replayMode && !f.undo)
        f.setOff = in.setOff;

    // The step under way ends, and its cell is judged, before the next one
    // is read: a held direction goes on without resting a frame on a cell,
    // but never past the step that wins the level.
    const bool moving = p.moveProgress != 0;
    CountDown(p.playbackPause, frameStep);
    CountDown(p.bombTimer, frameStep);
    AdvanceCarMove(p, frameStep);
    if (p.moveProgress == 0 && p.examineDue)
        ExamineBlocks(p);
    const bool wonByThisStep = moving && p.moveProgress == 0 && CheckLevelWon(p);

    if (p.replayMode) {
        result.playbackEnded = PlaybackStep(p, f);
    } else if (!f.undo && p.moveProgress == 0 && p.bombTimer == 0 && p.playbackPause == 0 && !wonByThisStep) {
        f.dir[kDirLeft] = in.left;
        f.dir[kDirRight] = in.right;
        f.dir[kDirUp] = in.up;
        f.dir[kDirDown] = in.down;
    }

    const Direction order[4] = {kDirUp, kDirDown, kDirRight, kDirLeft};
    for (Direction d : order) {
        if (!f.dir[d])
            continue;
        const StepResult r = StepCar(p, d);
        if (r == kStepRefused)
            result.refused |= 1u << d;
        if (r == kStepMoved || r == kStepPushed)
            result.stepStarted = true;
    }

    PickUpBomb(p);
    if (f.setOff)
        SetOffBomb(p);
    if (f.undo)
        PopUndo(p);

    if (p.moveProgress == 0) {
        if (p.examineDue)
            ExamineBlocks(p);
        result.won = CheckLevelWon(p);
    }
    result.openWonScreen = result.won && !p.replayMode;
    return result;
}

void StartSolution(Puzzle& p, int index, const char* dataPrefix)
{
    LoadLevel(p, index, dataPrefix);
    if (!p.replayMode)
        p.savedDifficulty = p.difficulty;
    p.replayMode = 1;
    p.difficulty = kHard;
    p.playbackPos = 0;
    p.playbackPause = 0;
    p.historyCount = static_cast<int>(p.solution.size() < size_t(kHistorySize) ? p.solution.size() : kHistorySize);
    if (p.historyCount > 0)
        std::memcpy(p.history, p.solution.data(), size_t(p.historyCount));
    StartLevelBoard(p, 0);
}

void StopSolution(Puzzle& p)
{
    if (!p.replayMode)
        return;
    p.replayMode = 0;
    p.difficulty = p.savedDifficulty;
}
