#include "core_verify.h"

#include "app/base/exception.h"
#include "app/base/files.h"
#include "puzzle/tableau.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace lvl {

namespace {

// Generous: the longest stored solution takes a few thousand frames.
constexpr long kFrameLimit = 2000000;
constexpr float kFrameStep = 1.0f;  // one sixtieth of a second

const char* DifficultyName(int d)
{
    return d == kEasy ? "Easy" : d == kNormal ? "Normal" : "Hard";
}

std::string PlayStoredSolution(const std::string& prefix, int index)
{
    std::unique_ptr<Puzzle> owner(new Puzzle());
    Puzzle& p = *owner;
    VerifyHooks hooks;
    p.hooks = &hooks;
    InitPile(p);
    StartSolution(p, index, prefix.c_str());
    bool ended = false;
    for (long frame = 0; frame < kFrameLimit && !ended; ++frame) {
        const int position = p.playbackPos;
        const PuzzleFrameResult r = UpdatePuzzleFrame(p, PuzzleInput(), kFrameStep);
        if (r.refused)
            return "the Solution playback on Hard is refused a step at action " + std::to_string(position);
        ended = r.playbackEnded;
    }
    if (!ended)
        return "the Solution playback on Hard never ends";
    const bool won = CheckLevelWon(p);
    StopSolution(p);
    if (!won)
        return "the Solution playback on Hard does not win (" + std::to_string(CountPlacedBlocks(p)) + " / " +
               std::to_string(p.targetCount) + " blocks on targets of their colour)";
    return std::string();
}

std::string PlayAsKeys(const std::string& prefix, int index, int difficulty)
{
    std::unique_ptr<Puzzle> owner(new Puzzle());
    Puzzle& p = *owner;
    VerifyHooks hooks;
    p.hooks = &hooks;
    InitPile(p);
    LoadLevel(p, index, prefix.c_str());
    p.difficulty = difficulty;
    StartLevelBoard(p, 0);
    const std::vector<uint8_t> actions = p.solution;
    const std::string why = PlayActionsAsKeys(p, actions);
    if (!why.empty())
        return std::string("on ") + DifficultyName(difficulty) + " " + why;
    if (!CheckLevelWon(p))
        return std::string("on ") + DifficultyName(difficulty) + " the solution does not win (" +
               std::to_string(CountPlacedBlocks(p)) + " / " + std::to_string(p.targetCount) + ")";
    return std::string();
}

}  // namespace

std::string PlayActionsAsKeys(Puzzle& p, const std::vector<uint8_t>& actions)
{
    for (size_t i = 0; i < actions.size(); ++i) {
        const int code = actions[i];
        PuzzleInput in;
        const int dir = code >= 5 && code <= 8 ? code - 4 : code;
        in.left = dir == kDirLeft;
        in.right = dir == kDirRight;
        in.up = dir == kDirUp;
        in.down = dir == kDirDown;
        const PuzzleFrameResult r = UpdatePuzzleFrame(p, in, kFrameStep);
        if (!r.stepStarted)
            return "action " + std::to_string(i) + " is refused";
        long frames = 0;
        do {
            UpdatePuzzleFrame(p, PuzzleInput(), kFrameStep);
        } while ((p.moveProgress != 0 || p.bombTimer != 0) && ++frames < kFrameLimit);
    }
    return std::string();
}

std::string VerifyLevelWithCore(const std::string& dataPrefix, int index)
{
    try {
        CheckLevel(index, dataPrefix.c_str());
    } catch (const Exception& e) {
        return "the level check fails: " + e.message;
    }
    try {
        std::string why = PlayStoredSolution(dataPrefix, index);
        if (!why.empty())
            return why;
        why = PlayAsKeys(dataPrefix, index, kNormal);
        if (!why.empty())
            return why;
        return PlayAsKeys(dataPrefix, index, kEasy);
    } catch (const Exception& e) {
        return "the puzzle core refuses the level: " + e.message;
    }
}

std::string VerifyLevelBytesWithCore(const std::string& bytes, int index)
{
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/pondrake-level-XXXXXX";
    const char* dir = mkdtemp(tmpl);
    if (!dir)
        return "cannot make a temporary directory";
    const std::string prefix = std::string(dir) + "/";
    std::error_code ec;
    fs::create_directories(prefix + "data/level", ec);
    std::string why;
    const std::string path = LevelFilePath(prefix.c_str(), index);
    if (ec || !WriteFileAtomic(path.c_str(), bytes.data(), bytes.size()))
        why = "cannot write " + path;
    else
        why = VerifyLevelWithCore(prefix, index);
    fs::remove_all(dir, ec);
    return why;
}

}  // namespace lvl
