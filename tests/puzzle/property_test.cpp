// Thousands of random step, undo and bomb sequences, with the board's
// invariants checked after every action, the recorded history played back,
// and a full undo at the end.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

const std::vector<std::vector<std::string>> kBoards = {
    {
        "####################", "#   #     #        #", "# $ # .$. #  $$ .  #", "#   ##   ##  $  ## #",
        "#  b           .   #", "#### ##### ####### #", "#      .   $    $  #", "# $$   #  ##  .  . #",
        "#  .  ##   #   S   #", "#      #  $  b     #", "## #####  ####  ####", "#   .  $     $   . #",
        "# $    ###  . #    #", "#   @  #       #  .#", "####################",
    },
    {
        "  $ .     $   .  $  ", "$                  .", "   ##   $.   ##     ", " . #  $    .  # $ b ",
        "   #     @     #    ", "  $  .  $$  .  $  . ", "$                  $", ".    ####  ####    .",
        "  $              $  ", "     . b  S .      ", "                    ", "  $  .   $   .  $ . ",
        "$                  $", "                    ", " .  $     .    $  . ",
    },
};

LevelFileData RandomLevel(std::mt19937& rng)
{
    std::vector<std::string> rows(15, std::string(20, ' '));
    for (auto& r : rows)
        for (char& c : r) {
            const unsigned v = rng() % 100;
            c = v < 18 ? '#' : v < 28 ? '$' : v < 36 ? '.' : v < 38 ? '*' : ' ';
        }
    int bombs = 0;
    for (int i = 0; i < 6 && bombs < kMaxBombs; ++i, ++bombs) rows[rng() % 15][rng() % 20] = 'b';
    rows[rng() % 15][rng() % 20] = '@';
    return LevelFromText(rows);
}

struct Snapshot {
    uint8_t board[kBoardRows][kBoardCols];
    uint8_t blockMap[kCellCount];
    uint8_t targetMap[kCellCount];
    bool bombPresent[kMaxBombs];
};

Snapshot Take(const Puzzle& p)
{
    Snapshot s;
    std::memcpy(s.board, p.board.cells, sizeof s.board);
    std::memcpy(s.blockMap, p.blockIndexMap, sizeof s.blockMap);
    std::memcpy(s.targetMap, p.targetIndexMap, sizeof s.targetMap);
    for (int i = 0; i < kMaxBombs; ++i) s.bombPresent[i] = i < p.bombListCount && p.bombs[i].present;
    return s;
}

// Returns an empty string when every invariant holds, else what broke.
std::string Invariants(const Puzzle& p, int blocks, const Snapshot& start)
{
    for (int r = 0; r < kBoardRows; ++r)
        for (int c = 0; c < kBoardCols; ++c)
            if ((r < 2 || r > 16 || c < 2 || c > 21) && p.board.cells[r][c] != 255) return "frame";
    bool seen[kMaxBlocks] = {};
    int count = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int c = p.board.At(x, y), i = y * 20 + x;
            const int bi = p.blockIndexMap[i];
            if (IsBlockCode(c) != (bi != kNoIndex)) return "block map at " + std::to_string(x) + "," + std::to_string(y);
            if (bi != kNoIndex) {
                if (bi >= blocks || seen[bi]) return "block number";
                seen[bi] = true;
                ++count;
            }
            // Targets never move, appear or vanish.
            if (p.targetIndexMap[i] != start.targetMap[i]) return "target map";
            const bool target = c == kCellTarget || c == kCellBlockFixed || c == kCellBlockOnTarget;
            if (target != (p.targetIndexMap[i] != kNoIndex)) return "target cell";
        }
    if (count != blocks) return "block count";
    for (int i = 0; i < p.blockListCount; ++i) {
        const BlockRecord& b = p.blocks[i];
        if (!IsBlockCode(p.board.At(b.x, b.y)) || p.blockIndexMap[b.y * 20 + b.x] != b.blockIndex) return "block list";
        if (b.drawX != float(b.x) || b.drawY != float(b.y)) return "block drawn off its cell";
        if (b.onTarget != (p.board.At(b.x, b.y) == kCellBlockFixed)) return "on-target flag";
    }
    if (p.board.At(p.carX, p.carY) > 13) return "car inside something";
    if (p.carDrawX != float(p.carX) || p.carDrawY != float(p.carY)) return "car drawn off its cell";
    if (p.undoCount < 0 || p.undoCount > kUndoSize) return "undo count";
    return "";
}

TEST(RandomPlay, InvariantsHoldAndUndoingEverythingRestoresTheStart)
{
    PuzzleBench t;
    std::mt19937 rng(20240607);
    std::uniform_real_distribution<float> dtDist(0.3f, 40.0f);
    int sequences = 0, actions = 0, pushes = 0, undos = 0, blasts = 0, replays = 0;
    for (int seq = 0; seq < 1200; ++seq, ++sequences) {
        LevelFileData d = seq % 3 == 2 ? RandomLevel(rng) : LevelFromText(kBoards[size_t(seq % 3)]);
        d.pairing.clear();
        int blockCells = 0;
        for (int i = 0; i < kCellCount; ++i) blockCells += IsBlockCode(d.cells[i]);
        for (int b = 0; b < blockCells; ++b) d.pairing.push_back(uint8_t(rng() % blockCells));
        const int difficulty = 1 + int(rng() % 3);
        t.hooks.randomValues = {int(rng() % 2), int(rng() % 2)};
        const bool mirrored = difficulty == kHard && (t.hooks.randomValues[0] | t.hooks.randomValues[1]);
        t.p.speed = 1 + int(rng() % 25);
        t.StartData(d, difficulty);
        const Snapshot start = Take(t.p);
        const int blocks = blockCells;
        ASSERT_EQ(Invariants(t.p, blocks, start), "");

        for (int a = 0; a < 150; ++a, ++actions) {
            // Keys as a player may hold them: mostly one direction, sometimes
            // two, an undo or a bomb with a direction in the same frame.
            const unsigned kind = rng() % 100;
            PuzzleInput in;
            auto pressSome = [&] {
                switch (rng() % 4) {
                case 0: in.left = true; break;
                case 1: in.right = true; break;
                case 2: in.up = true; break;
                default: in.down = true; break;
                }
            };
            if (kind < 75) {
                pressSome();
                if (rng() % 10 == 0) pressSome();
            } else if (kind < 92) {
                in.undo = true;
                undos += t.p.undoCount > 0;
                if (rng() % 4 == 0) pressSome();
            } else {
                in.setOff = true;
                blasts += t.p.bombCarried != 0;
                if (rng() % 4 == 0) pressSome();
            }
            const int entries = t.p.undoCount;
            UpdatePuzzleFrame(t.p, in, dtDist(rng));
            if (!in.undo) pushes += t.p.undoCount == entries + 2;
            for (int f = 0; f < 10000 && (t.p.moveProgress != 0 || t.p.bombTimer != 0 || t.p.examineDue); ++f) {
                const float dt = dtDist(rng);
                UpdatePuzzleEffects(t.p, dt);
                UpdatePuzzleFrame(t.p, PuzzleInput(), dt);
            }
            const std::string broken = Invariants(t.p, blocks, start);
            ASSERT_EQ(broken, "") << "sequence " << seq << ", action " << a;
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
            for (int f = 0; f < 200000 && !ended; ++f) ended = UpdatePuzzleFrame(*r, PuzzleInput(), dtDist(rng)).playbackEnded;
            ASSERT_TRUE(ended) << "sequence " << seq;
            ASSERT_EQ(std::memcmp(r->board.cells, t.p.board.cells, sizeof r->board.cells), 0) << "sequence " << seq;
            ASSERT_EQ(r->carX, t.p.carX) << "sequence " << seq;
            ASSERT_EQ(r->carY, t.p.carY) << "sequence " << seq;
            ASSERT_EQ(r->moves, t.p.moves) << "sequence " << seq;
            ASSERT_EQ(r->bombCarried, t.p.bombCarried) << "sequence " << seq;
            ++replays;
        }

        while (PopUndo(t.p)) {
        }
        const Snapshot end = Take(t.p);
        ASSERT_EQ(std::memcmp(end.board, start.board, sizeof end.board), 0) << "sequence " << seq;
        ASSERT_EQ(std::memcmp(end.blockMap, start.blockMap, sizeof end.blockMap), 0) << "sequence " << seq;
        ASSERT_EQ(std::memcmp(end.bombPresent, start.bombPresent, sizeof end.bombPresent), 0) << "sequence " << seq;
        for (int i = 0; i < t.p.blockListCount; ++i) {
            const Quat& q = t.p.blocks[i].orientation;
            ASSERT_TRUE(q.x == 0 && q.y == 0 && q.z == 0 && q.w == 1) << "sequence " << seq;
        }
        ASSERT_EQ(Invariants(t.p, blocks, start), "");
    }
    // The sequences really exercised the rules.
    EXPECT_GT(pushes, 10000);
    EXPECT_GT(undos, 2000);
    EXPECT_GT(blasts, 20);
    EXPECT_GT(replays, 600);
    EXPECT_EQ(sequences, 1200);
    EXPECT_EQ(actions, 1200 * 150);
}

}  // namespace
