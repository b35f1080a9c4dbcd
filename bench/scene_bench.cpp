// The play screen's frame: clear, camera, the board with everything on it,
// swap. Each benchmark opens a window of its size (run under xvfb-run with a
// screen of at least 1600 × 1200), loads the built theme, starts a busy
// level and draws a fixed number of frames with the car driving to and fro;
// it reports the median and the 95th percentile of the frame times, and the
// CPU time all threads spent per frame (Mesa's software rasteriser works on
// every core, so on a busy machine the wall-clock figures wander).
//
//   xvfb-run -a -s "-screen 0 1920x1200x24" build/bench/scene_bench
#include "app/base/settingsrecord.h"
#include "engine/glcontext.h"
#include "puzzle/tableau.h"
#include "scene/pelmo3d.h"

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

#ifndef PONDRAKE_BENCH_RUN_DIR
#define PONDRAKE_BENCH_RUN_DIR "."
#endif

constexpr int kFrames = 240;

// A busy board: a wall round the edge, rooms, six blocks, statues.
const char* const kLevel[kPlayHeight] = {
    "####################", "#. $    #   #     .#", "#       #   # $    #", "#  .    ##$##      #",
    "# 67   @    .   ## #", "# 89 $     6    #  #", "#  .  ####      #  #", "#### #  #  $  ###  #",
    "#  $ #  #   . #    #", "#        #    #  9 #", "#  ######   #####  #", "#       #       .  #",
    "#  $    #   7      #", "#      .#          #", "####################",
};

std::string DataPrefix()
{
    const char* run = std::getenv("PONDRAKE_RUN_DIR");
    return std::string(run ? run : PONDRAKE_BENCH_RUN_DIR) + "/";
}

bool WriteBenchLevel(const std::string& prefix)
{
    LevelFileData d;
    int blocks = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            uint8_t c = 0;
            switch (kLevel[y][x]) {
            case '#':
                c = 23;
                break;
            case '.':
                c = 1;
                break;
            case '$':
                c = 14;
                ++blocks;
                break;
            case '@':
                c = 2;
                break;
            case '6':
            case '7':
            case '8':
            case '9':
                c = uint8_t(36 + kLevel[y][x] - '6');
                break;
            default:
                break;
            }
            d.cells[y * kPlayWidth + x] = c;
            d.floorMask[y * kPlayWidth + x] = 1;
        }
    for (int b = 0; b < blocks; ++b)
        d.pairing.push_back(uint8_t(b));
    const std::string dir = prefix + "data/level/";
    std::string cmd = "mkdir -p '" + dir + "'";
    if (std::system(cmd.c_str()) != 0)
        return false;
    const std::string bytes = EncodeLevelFile(d);
    FILE* f = std::fopen((dir + "level1.lvl").c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::string LevelPrefix()
{
    static std::string prefix = [] {
        char tmpl[] = "/tmp/pondrake-scene-bench-XXXXXX";
        const char* made = mkdtemp(tmpl);
        std::string p = std::string(made ? made : "/tmp") + "/";
        return WriteBenchLevel(p) ? p : std::string();
    }();
    return prefix;
}

void BM_PlayScreenFrame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const bool reflect = state.range(2) != 0;
    const bool mipmap = state.range(3) != 0;
    GLContext context;
    context.fov = 45;
    context.nearDist = 0.01f;
    context.farDist = 1000;
    if (!context.Create(uint32_t(width), uint32_t(height), 0)) {
        state.SkipWithError("no window (run under xvfb-run with a large enough screen)");
        return;
    }
    Set2DScreenSize(uint32_t(width), uint32_t(height));
    glEnable(GL_LIGHTING);
    Settings settings;
    settings.MipMapping = mipmap ? 1 : 0;
    std::unique_ptr<Puzzle> owner(new Puzzle());
    Puzzle& p = *owner;
    try {
        InitPelmo3D(DataPrefix().c_str(), settings);
        InitListTheme(DataPrefix().c_str());
        LoadTheme(0, DataPrefix().c_str(), settings);
        const std::string levels = LevelPrefix();
        if (levels.empty()) {
            state.SkipWithError("cannot write the level");
            return;
        }
        LoadLevel(p, 0, levels.c_str());
    } catch (...) {
        state.SkipWithError("the built data is missing (PONDRAKE_RUN_DIR)");
        FreeTheme();
        FreeScene();
        context.Close();
        return;
    }
    p.difficulty = kNormal;
    StartLevelBoard(p, 0);
    ExamineBlocks(p);
    CopyThemeToPuzzle(p);
    BuildSceneryLists(p);

    BoardView view;
    view.reflect = reflect;
    const float* bg = CurrentTheme().settings.background;
    auto frame = [&](int n) {
        PuzzleInput in;
        in.left = (n / 60) % 2 == 0;
        in.right = !in.left;
        UpdatePuzzleFrame(p, in, 1.0f);
        UpdatePuzzleEffects(p, 1.0f);
        view.T += 1.0f;
        glClearColor(bg[0], bg[1], bg[2], 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ApplyCamera(0, -60, 1.2f);
        DrawBoard(context, p, view);
        SDL_GL_SwapBuffers();
        glFinish();
    };
    for (int n = 0; n < 10; ++n)
        frame(n);  // the bake and the first uploads

    std::vector<double> ms;
    ms.reserve(kFrames);
    int n = 0;
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        frame(n++);
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    // The work itself, whatever else the machine runs: CPU time of every
    // thread (the rasteriser's too) per frame.
    const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
    std::sort(ms.begin(), ms.end());
    if (!ms.empty()) {
        state.counters["median_ms"] = ms[ms.size() / 2];
        state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
        state.counters["fps"] = 1000.0 / ms[ms.size() / 2];
        state.counters["cpu_ms"] = cpuMs / double(ms.size());
    }
    state.counters["walls"] = double(CurrentScenery().walls.size());
    FreeTheme();
    FreeScene();
    context.Close();
}

BENCHMARK(BM_PlayScreenFrame)
    ->ArgNames({"w", "h", "reflect", "mipmap"})
    ->Args({640, 480, 0, 1})
    ->Args({640, 480, 1, 1})
    ->Args({1024, 768, 0, 1})
    ->Args({1024, 768, 1, 1})
    ->Args({1600, 1200, 0, 1})
    ->Args({1600, 1200, 1, 1})
    // The "MipMapping" option off: bilinear instead of trilinear filtering.
    ->Args({1024, 768, 0, 0})
    ->Args({1024, 768, 1, 0})
    ->Iterations(kFrames)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
