// The puzzle core's hot paths: the dead-block test on crowded boards, one
// step with the blocks' re-examination, and a long history replayed headless.
#include "puzzle/tableau.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::unique_ptr<Puzzle> MakePuzzle(const std::vector<std::string>& rows, int difficulty = kNormal)
{
    std::unique_ptr<Puzzle> p(new Puzzle());
    std::memset(&p->board, 0, sizeof p->board);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const char ch = y < int(rows.size()) && x < int(rows[size_t(y)].size()) ? rows[size_t(y)][size_t(x)] : ' ';
            p->board.At(x, y) = ch == '#' ? 23 : ch == '$' ? 14 : ch == '.' ? 1 : ch == '*' ? 100 : ch == '@' ? 2 : 0;
        }
    ShapeAllWalls(p->board);
    FillFrame(p->board);
    p->floorMask.assign(kCellCount, 1);
    for (int b = 0; b < kMaxBlocks; ++b)
        p->pairing[b] = uint8_t(b);
    p->difficulty = difficulty;
    StartLevelBoard(*p, 0);
    ExamineBlocks(*p);
    return p;
}

std::vector<std::string> FullOfBlocks()
{
    std::vector<std::string> rows(15, std::string(20, '$'));
    rows[7][10] = '@';
    rows[0][0] = '.';
    rows[14][19] = '.';
    return rows;
}

std::vector<std::string> RandomCrowded(unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::string> rows(15, std::string(20, ' '));
    for (auto& r : rows)
        for (char& c : r) {
            const unsigned v = rng() % 100;
            c = v < 45 ? '$' : v < 60 ? '#' : v < 70 ? '.' : ' ';
        }
    rows[7][10] = '@';
    return rows;
}

// Blocks on every cell of a grid of lines, a checkerboard, and diagonal
// stairs: shapes that make the frozen test look at its neighbours.
std::vector<std::string> Pattern(int kind)
{
    std::vector<std::string> rows(15, std::string(20, ' '));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x) {
            bool block = false;
            if (kind == 0)
                block = x % 2 == 0 || y % 2 == 0;
            if (kind == 1)
                block = (x + y) % 2 == 0;
            if (kind == 2)
                block = (x - y + 40) % 3 != 2;
            rows[size_t(y)][size_t(x)] = block ? '$' : ' ';
        }
    rows[7][11] = '@';
    return rows;
}

void RunLostOverAllBlocks(benchmark::State& state, Puzzle& p)
{
    std::vector<std::pair<int, int>> cells;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (IsBlockCode(p.board.At(x, y)))
                cells.push_back({x, y});
    int maxVisits = 0;
    for (const auto& c : cells) {
        IsBlockLost(p, c.first, c.second);
        maxVisits = std::max(maxVisits, p.searchVisits);
    }
    size_t i = 0;
    for (auto _ : state) {
        const auto& c = cells[i++ % cells.size()];
        benchmark::DoNotOptimize(IsBlockLost(p, c.first, c.second));
    }
    state.counters["blocks"] = double(cells.size());
    state.counters["maxChain"] = maxVisits;
}

void BM_IsBlockLost_FullOfBlocks(benchmark::State& state)
{
    auto p = MakePuzzle(FullOfBlocks());
    RunLostOverAllBlocks(state, *p);
}
BENCHMARK(BM_IsBlockLost_FullOfBlocks);

void BM_IsBlockLost_RandomCrowded(benchmark::State& state)
{
    auto p = MakePuzzle(RandomCrowded(unsigned(state.range(0))));
    RunLostOverAllBlocks(state, *p);
}
BENCHMARK(BM_IsBlockLost_RandomCrowded)->Arg(1)->Arg(2)->Arg(3);

void BM_IsBlockLost_Pattern(benchmark::State& state)
{
    auto p = MakePuzzle(Pattern(int(state.range(0))));
    RunLostOverAllBlocks(state, *p);
}
BENCHMARK(BM_IsBlockLost_Pattern)->Arg(0)->Arg(1)->Arg(2);

// A designed-looking level: ten blocks, walls, a corridor for the car.
const std::vector<std::string> kTypical = {
    "####################", "#        #         #", "#  $  .  #  $  .   #", "#        #         #",
    "###  ########  #####", "#   $    .     $   #", "#      ###         #", "# .  $  # .  $   . #",
    "#      ###         #", "###  ########  #####", "#  $  .        $   #", "#         .        #",
    "#      @       .   #", "#   $         $  . #", "####################",
};

// One step forth or back along a clear row, played to its end, with the
// re-examination of every block that follows it.
void StepAndExamine(benchmark::State& state, Puzzle& p)
{
    int dir = kDirRight;
    for (auto _ : state) {
        StepCar(p, Direction(dir));
        AdvanceCarMove(p, 1000.0f);
        ExamineBlocks(p);
        benchmark::DoNotOptimize(CheckLevelWon(p));
        dir = dir == kDirRight ? kDirLeft : kDirRight;
    }
    state.counters["blocks"] = p.blockListCount;
}

void BM_StepWithExamination_Typical(benchmark::State& state)
{
    auto p = MakePuzzle(kTypical);
    StepAndExamine(state, *p);
}
BENCHMARK(BM_StepWithExamination_Typical);

void BM_StepWithExamination_200Blocks(benchmark::State& state)
{
    std::vector<std::string> rows(15, std::string(20, '$'));
    // 200 blocks and a free row for the car.
    int extra = 300 - 200;
    for (int y = 0; y < 15 && extra > 0; ++y)
        for (int x = 0; x < 20 && extra > 0; ++x)
            if ((y == 7) || (y * 20 + x) % 3 == 0)
                rows[size_t(y)][size_t(x)] = ' ', --extra;
    rows[7][5] = '@';
    auto p = MakePuzzle(rows);
    StepAndExamine(state, *p);
}
BENCHMARK(BM_StepWithExamination_200Blocks);

// A push and its undo: four undo entries' worth of work and two examinations.
void BM_PushAndUndo_Typical(benchmark::State& state)
{
    auto p = MakePuzzle({"", "", "   @$     .", "", "   $    .", "", "", "  $  .", "", "$$$.."});
    for (auto _ : state) {
        StepCar(*p, kDirRight);
        AdvanceCarMove(*p, 1000.0f);
        ExamineBlocks(*p);
        PopUndo(*p);
    }
}
BENCHMARK(BM_PushAndUndo_Typical);

// 64000 recorded actions (steps, pushes and undos) played back headless
// through the frame update, with frame steps long enough to end each step
// in one frame.
void BM_ReplayFullHistory(benchmark::State& state)
{
    std::mt19937 rng(7);
    std::vector<uint8_t> actions(kHistorySize);
    for (auto& a : actions) {
        const unsigned v = rng() % 100;
        a = v < 90 ? uint8_t(1 + rng() % 4) : uint8_t(kActUndo);
    }
    int frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto p = MakePuzzle(kTypical, kHard);
        std::memcpy(p->history, actions.data(), actions.size());
        p->historyCount = kHistorySize;
        p->replayMode = 1;
        state.ResumeTiming();
        frames = 0;
        for (;;) {
            ++frames;
            if (UpdatePuzzleFrame(*p, PuzzleInput(), 1000.0f).playbackEnded)
                break;
        }
        benchmark::DoNotOptimize(p->moves);
    }
    state.counters["frames"] = frames;
    state.counters["actions"] = kHistorySize;
}
BENCHMARK(BM_ReplayFullHistory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
