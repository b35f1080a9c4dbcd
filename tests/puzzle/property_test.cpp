// Random play: thousands of steps, undos and bombs on fixed and random
// boards, with the board's invariants checked after every action, every
// step undone back to the start and redone, and the recorded history played
// back.
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

// What an undo and its redo must bring back: the board, the block and bomb
// lists, the bomb carried and the undo stack (the drawn angle aside, which
// a redo's shorter walk may leave otherwise).
std::string Position(const Puzzle& p)
{
    std::string s(reinterpret_cast<const char*>(p.board.cells), sizeof p.board.cells);
    s.append(reinterpret_cast<const char*>(p.blockIndexMap), sizeof p.blockIndexMap);
    for (int i = 0; i < p.blockListCount; ++i) {
        const BlockRecord& b = p.blocks[i];
        const Quat& q = b.orientation;
        s += FormatText("|%d %d %d %d %d %g %g %g %g", b.x, b.y, b.onTarget, b.lost, b.blockIndex, q.x, q.y, q.z, q.w);
    }
    for (int i = 0; i < p.bombListCount; ++i)
        s += FormatText("|%d %d %d", p.bombs[i].present, p.bombs[i].x, p.bombs[i].y);
    s += FormatText("|%d", p.bombCarried);
    for (int i = 0; i < p.undoCount; ++i) {
        const UndoEntry& e = p.undo[i];
        s += FormatText("|%d %d %d %d %d %d %d %d %d", e.kind, e.x, e.y, e.code, e.carX, e.carY, e.bombCarried,
                        e.listIndex, e.blockIndex);
    }
    return s;
}

TEST(RandomPlay, InvariantsHoldUndoAndRedoRestoreThePlaybackRetracesTheGameAndUndoingEverythingRestoresTheStart)
{
    PuzzleBench t;
    std::mt19937 rng(20240607);
    std::uniform_real_distribution<float> dtDist(0.3f, 40.0f);
    int pushes = 0, undos = 0, blasts = 0, replays = 0, redos = 0;
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
        uint8_t targets[kCellCount];
        std::memcpy(targets, t.p.targetIndexMap, sizeof targets);
        const std::string start = Position(t.p);
        ASSERT_EQ(Invariants(t.p, blocks, targets), "");
        // One frame of keys, then frames until the car, the blast and a walk are done.
        auto play = [&](const PuzzleInput& in) {
            UpdatePuzzleFrame(t.p, in, dtDist(rng));
            for (int f = 0;
                 f < 10000 && (t.p.moveProgress != 0 || t.p.bombTimer != 0 || t.p.examineDue || Walking(t.p)); ++f) {
                const float dt = dtDist(rng);
                UpdatePuzzleEffects(t.p, dt);
                UpdatePuzzleFrame(t.p, PuzzleInput(), dt);
            }
        };
        std::vector<int> carAfter;

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
            play(in);
            pushes += !in.undo && t.p.undoCount == entries + 2;
            // Where the car stands after each step that can be undone.
            for (int e = entries; e < t.p.undoCount; ++e)
                if (t.p.undo[e].kind == 1)
                    carAfter.push_back(t.p.carX * 100 + t.p.carY);
            if (t.p.undoCount < entries)
                carAfter.pop_back();
            ASSERT_EQ(Invariants(t.p, blocks, targets), "") << "sequence " << seq << ", action " << a;
        }

        // Everything undone: the start again; then redone: the same position,
        // the car where the last step left it.
        const std::string position = Position(t.p);
        PuzzleInput undo, redo;
        undo.undo = redo.redo = true;
        int undone = 0;
        for (; t.p.undoCount > 0; ++undone)
            play(undo);
        ASSERT_TRUE(Position(t.p) == start) << "sequence " << seq;
        for (int left = t.p.redoCount; undone > 0; --undone, ++redos) {
            play(redo);
            ASSERT_EQ(t.p.redoCount, --left) << "sequence " << seq;
        }
        ASSERT_TRUE(Position(t.p) == position) << "sequence " << seq;
        if (!carAfter.empty()) {
            ASSERT_EQ(t.p.carX * 100 + t.p.carY, carAfter.back()) << "sequence " << seq;
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
            ASSERT_TRUE(Position(*r) == Position(t.p)) << "sequence " << seq;
            ASSERT_EQ(FormatText("%d %d %d %d", r->carX, r->carY, r->moves, r->bombCarried),
                      FormatText("%d %d %d %d", t.p.carX, t.p.carY, t.p.moves, t.p.bombCarried))
                << "sequence " << seq;
            ++replays;
        }
    }
    // The sequences really exercised the rules.
    EXPECT_GT(pushes, 10000);
    EXPECT_GT(undos, 2000);
    EXPECT_GT(blasts, 20);
    EXPECT_GT(replays, 600);
    EXPECT_GT(redos, 800);
}

}  // namespace
