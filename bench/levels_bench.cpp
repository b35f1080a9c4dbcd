// The level solver on each shipped level: time per solve, positions
// explored (taken from the open list) and stored, and the pushes found.
#include "level_compile.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

void BM_SolveShippedLevel(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    char path[512];
    std::snprintf(path, sizeof path, "%s/level%02d.txt", PONDRAKE_LEVELS_DIR, n);
    const lvl::LevelSource src = lvl::ReadLevelSource(path);
    const Board board = lvl::SolverBoard(src);
    lvl::SolverResult r;
    for (auto _ : state) {
        r = lvl::SolveLevel(board);
        benchmark::DoNotOptimize(r.pushes);
    }
    if (!r.solved)
        state.SkipWithError(("no solution: " + r.reason).c_str());
    state.counters["explored"] = static_cast<double>(r.expanded);
    state.counters["stored"] = static_cast<double>(r.stored);
    state.counters["pushes"] = r.pushes;
    state.counters["optimal"] = r.pushOptimal ? 1 : 0;
}

}  // namespace

BENCHMARK(BM_SolveShippedLevel)->DenseRange(1, 10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
