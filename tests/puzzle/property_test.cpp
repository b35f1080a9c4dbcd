// Random play: thousands of steps, undos and bombs on fixed and random
// boards, with the board's invariants checked after every action, the
// recorded history played back, and a full undo at the end.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

const char* const kBoards[] = {
    "####################/#   #     #        #/# $ # .$. #  $$ .  #/#   ##   ##  $  ## #/"
    "#  b           .   #/#### ##### ####### #/#      .   $    $  #/# $$   #  ##  .  . #/"
    "#  .  ##   #   S   #/#      #  $  b     #/## #####  ####  ####/#   .  $     $   . #/"
    "# $    ###  . #    #/#   @  #       #  .#/####################",
    "  $ .     $   .  $  /$                  ./   ##   $.   ##     / . #  $    .  # $ b /"
    "   #     @     #    /  $  .  $$  .  $  . /$                  $/.    ####  ####    ./"
    "  $              $  /     . b  S .      /                    /  $  .   $   .  $ . /"
    "$                  $/                    / .  $     .    $  . ",
};

LevelFileData RandomLevel(std::mt19937& rng)
{
    std::vector<std::string> rows(15, std::string(20, ' '));
    for (auto& r : rows)
        for (char& c : r) {
            const unsigned v = rng() % 100;
            c = v < 18 ? '#' : v < 28 ? '$' : v < 36 ? '.' : v < 38 ? '*' : ' ';
        }
    for (int i = 0; i < kMaxBombs; ++i)
        rows[rng() % 15][rng() % 20] = 'b';
    rows[rng() % 15][rng() % 20] = '@';
    return LevelFromText(rows);
}

// "" when every invariant holds, else what broke.
std::string Invariants(const Puzzle& p, int blocks, const uint8_t (&targetMap)[kCellCount])
{
    if (!Framed(p.board))
        return "frame";
    bool seen[kMaxBlocks] = {};
    int count = 0;
    for (int i = 0; i < kCellCount; ++i) {
        const int c = p.board.At(i % 20, i / 20), bi = p.blockIndexMap[i];
        if (IsBlockCode(c) != (bi != kNoIndex))
            return "block map at " + std::to_string(i);
        if (bi != kNoIndex && (bi >= blocks || seen[bi]))
            return "block number";
        if (bi != kNoIndex)
            seen[bi] = true, ++count;
        // Targets never move, appear or vanish.
        if (p.targetIndexMap[i] != targetMap[i])
            return "target map";
        if ((c == kCellTarget || c == kCellBlockFixed || c == kCellBlockOnTarget) != (targetMap[i] != kNoIndex))
            return "target cell";
    }
    if (count != blocks)
        return "block count";
    for (int i = 0; i < p.blockListCount; ++i) {
        const BlockRecord& b = p.blocks[i];
        if (!IsBlockCode(p.board.At(b.x, b.y)) || p.blockIndexMap[b.y * 20 + b.x] != b.blockIndex)
            return "block list";
        if (b.drawX != float(b.x) || b.drawY != float(b.y))
            return "block drawn off its cell";
        if (b.onTarget != (p.board.At(b.x, b.y) == kCellBlockFixed))
            return "on-target flag";
    }
    if (p.board.At(p.carX, p.carY) > 13)
        return "car inside something";
    if (p.carDrawX != float(p.carX) || p.carDrawY != float(p.carY))
        return "car drawn off its cell";
    return p.undoCount < 0 || p.undoCount > kUndoSize ? "undo count" : "";
}

TEST(RandomPlay, InvariantsHoldThePlaybackRetracesTheGameAndUndoingEverythingRestoresTheStart)
{
    PuzzleBench t;
    std::mt19937 rng(20240607);
    std::uniform_real_distribution<float> dtDist(0.3f, 40.0f);
    int pushes = 0, undos = 0, blasts = 0, replays = 0;
    for (int seq = 0; seq < 1200; ++seq) {
        LevelFileData d = seq % 3 == 2 ? RandomLevel(rng) : LevelFromText(Rows(kBoards[seq % 3]));
        const int blocks = static_cast<int>(d.pairing.size());
        for (auto& b : d.pairing)
            b = uint8_t(rng() % blocks);
        const int difficulty = 1 + int(rng() % 3);
        t.hooks.randomValues = {int(rng() % 2), int(rng() % 2)};
        const bool mirrored = difficulty == kHard && (t.hooks.randomValues[0] | t.hooks.randomValues[1]);
        t.p.speed = 1 + int(rng() % 25);
        t.StartData(d, difficulty);
        uint8_t startBoard[kBoardRows][kBoardCols], startBlocks[kCellCount], targets[kCellCount];
        std::memcpy(startBoard, t.p.board.cells, sizeof startBoard);
        std::memcpy(startBlocks, t.p.blockIndexMap, sizeof startBlocks);
        std::memcpy(targets, t.p.targetIndexMap, sizeof targets);
        bool bombs[kMaxBombs];
        for (int i = 0; i < kMaxBombs; ++i)
            bombs[i] = i < t.p.bombListCount && t.p.bombs[i].present;
        ASSERT_EQ(Invariants(t.p, blocks, targets), "");

        for (int a = 0; a < 150; ++a) {
            // Keys as a player may hold them: mostly one direction, sometimes
            // two, an undo or a bomb with a direction in the same frame.
            const unsigned kind = rng() % 100;
            PuzzleInput in;
            auto pressSome = [&] {
                const unsigned k = rng() % 4;
                (k == 0 ? in.left : k == 1 ? in.right : k == 2 ? in.up : in.down) = true;
            };
            if (kind < 75) {
                pressSome();
                if (rng() % 10 == 0)
                    pressSome();
            } else {
                (kind < 92 ? in.undo : in.setOff) = true;
                in.setOff |= rng() % 8 == 0;  // an undo takes the whole frame
                undos += in.undo && t.p.undoCount > 0;
                blasts += in.setOff && t.p.bombCarried != 0;
                if (rng() % 4 == 0)
                    pressSome();
            }
            const int entries = t.p.undoCount;
            UpdatePuzzleFrame(t.p, in, dtDist(rng));
            pushes += !in.undo && t.p.undoCount == entries + 2;
            for (int f = 0; f < 10000 && (t.p.moveProgress != 0 || t.p.bombTimer != 0 || t.p.examineDue); ++f) {
                const float dt = dtDist(rng);
                UpdatePuzzleEffects(t.p, dt);
                UpdatePuzzleFrame(t.p, PuzzleInput(), dt);
            }
            ASSERT_EQ(Invariants(t.p, blocks, targets), "") << "sequence " << seq << ", action " << a;
        }

        // The recorded history, played back, retraces the game exactly.
        if (!mirrored) {
            std::unique_ptr<Puzzle> r(new Puzzle());
            LoadLevel(*r, 0, "");
            r->difficulty = difficulty;
            r->speed = t.p.speed;
            r->replayMode = 1;
            StartLevelBoard(*r, 0);
            std::memcpy(r->history, t.p.history, size_t(t.p.historyCount));
            r->historyCount = t.p.historyCount;
            bool ended = false;
            for (int f = 0; f < 200000 && !ended; ++f)
                ended = UpdatePuzzleFrame(*r, PuzzleInput(), dtDist(rng)).playbackEnded;
            ASSERT_TRUE(ended) << "sequence " << seq;
            ASSERT_EQ(std::memcmp(r->board.cells, t.p.board.cells, sizeof r->board.cells), 0) << "sequence " << seq;
            ASSERT_EQ(FormatText("%d %d %d %d", r->carX, r->carY, r->moves, r->bombCarried),
                      FormatText("%d %d %d %d", t.p.carX, t.p.carY, t.p.moves, t.p.bombCarried))
                << "sequence " << seq;
            ++replays;
        }

        while (PopUndo(t.p)) {
        }
        ASSERT_EQ(std::memcmp(startBoard, t.p.board.cells, sizeof startBoard), 0) << "sequence " << seq;
        ASSERT_EQ(std::memcmp(startBlocks, t.p.blockIndexMap, sizeof startBlocks), 0) << "sequence " << seq;
        for (int i = 0; i < kMaxBombs; ++i)
            ASSERT_EQ(bombs[i], i < t.p.bombListCount && t.p.bombs[i].present) << seq;
        for (int i = 0; i < t.p.blockListCount; ++i) {
            const Quat& q = t.p.blocks[i].orientation;
            ASSERT_TRUE(q.x == 0 && q.y == 0 && q.z == 0 && q.w == 1) << "sequence " << seq;
        }
        ASSERT_EQ(Invariants(t.p, blocks, targets), "");
    }
    // The sequences really exercised the rules.
    EXPECT_GT(pushes, 10000);
    EXPECT_GT(undos, 2000);
    EXPECT_GT(blasts, 20);
    EXPECT_GT(replays, 600);
}

}  // namespace
