// Frame times of the play screen and of the menus, each against a reference
// scene drawn in the same window and timed in the same run, frame for frame
// in turn with it, so the ratio holds however busy the machine is.
//
// The reference is the work a board frame ought to cost: about 23 000 lit
// triangles drawn twice, mirrored and normal, over one textured floor
// blended between them, one clear and one swap. Each benchmark opens a window
// of its size (run under xvfb-run with a screen of at least 1600 × 1200),
// loads the built data and reports, for its frames and the reference's, the
// median and the 95th percentile, the ratio of the medians, and the CPU time
// all threads spent per frame with its ratio to the reference's (Mesa's
// software rasteriser works on every core, so on a busy machine the
// wall-clock figures wander).
//
//   xvfb-run -a -s "-screen 0 1920x1200x24" build/bench/scene_bench
#include "app/base/exception.h"
#include "app/base/settingsrecord.h"
#include "engine/glcontext.h"
#include "optionsmenu.h"
#include "puzzle/tableau.h"
#include "scene/pelmo3d.h"
#include "text/font.h"
#include "text/glttf2d.h"
#include "text/texte.h"

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
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

// The reference scene: one ball of 84 lit triangles on every one of the
// 20 × 15 cells less 20 (23 520 triangles), one vertex array drawn in one
// call, and a mipmapped floor texture.
struct ReferenceScene {
    std::vector<float> points, normals;
    std::vector<GLuint> faces;
    GLuint floorTexture = 0;

    void Build()
    {
        constexpr int kRings = 6, kSegments = 7, kBalls = kPlayWidth * kPlayHeight - 20;
        const float radius = 0.4f * kCellSize;
        for (int b = 0; b < kBalls; ++b) {
            const float cx = kBoardOffset[0] + (b % kPlayWidth) * kCellSize;
            const float cz = kBoardOffset[2] + (b / kPlayWidth) * kCellSize;
            const GLuint base = GLuint(points.size() / 3);
            for (int r = 0; r <= kRings; ++r)
                for (int s = 0; s <= kSegments; ++s) {
                    const float th = float(M_PI) * r / kRings, ph = 2 * float(M_PI) * s / kSegments;
                    const float n[3] = {std::sin(th) * std::cos(ph), std::cos(th), std::sin(th) * std::sin(ph)};
                    normals.insert(normals.end(), n, n + 3);
                    points.push_back(cx + radius * n[0]);
                    points.push_back(radius * (1 + n[1]));
                    points.push_back(cz + radius * n[2]);
                }
            for (int r = 0; r < kRings; ++r)
                for (int s = 0; s < kSegments; ++s) {
                    const GLuint a = base + GLuint(r * (kSegments + 1) + s), c = a + kSegments + 1;
                    const GLuint quad[6] = {a, a + 1, c, a + 1, c + 1, c};
                    faces.insert(faces.end(), quad, quad + 6);
                }
        }
        std::vector<uint8_t> texels(256 * 256 * 3);
        for (size_t i = 0; i < texels.size(); ++i)
            texels[i] = uint8_t(((i / 3) % 256 / 32 + (i / 3) / 256 / 32) % 2 ? 180 + i % 7 : 90 + i % 11);
        glGenTextures(1, &floorTexture);
        glBindTexture(GL_TEXTURE_2D, floorTexture);
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, 256, 256, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }

    void DrawBalls() const
    {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, points.data());
        glNormalPointer(GL_FLOAT, 0, normals.data());
        glDrawElements(GL_TRIANGLES, GLsizei(faces.size()), GL_UNSIGNED_INT, faces.data());
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
    }

    void Frame() const
    {
        glClearColor(0.2f, 0.3f, 0.4f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ApplyCamera(0, -60, 1.2f);
        const float light[4] = {0.3f, 1, 0.5f, 0}, white[4] = {1, 1, 1, 1}, grey[4] = {0.2f, 0.2f, 0.2f, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, light);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_AMBIENT, grey);
        glEnable(GL_LIGHT0);
        glDisable(GL_LIGHT1);
        glEnable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glEnable(GL_NORMALIZE);
        glPushMatrix();
        glScalef(1, -1, 1);
        glFrontFace(GL_CW);
        DrawBalls();
        glFrontFace(GL_CCW);
        glPopMatrix();
        glDisable(GL_NORMALIZE);

        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, floorTexture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, 0.84f);
        const float x0 = kBoardOffset[0] - kHalfCell, z0 = kBoardOffset[2] - kHalfCell;
        const float x1 = x0 + kPlayWidth * kCellSize, z1 = z0 + kPlayHeight * kCellSize;
        glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(0, 0);
        glVertex3f(x0, 0, z0);
        glTexCoord2f(0, 5);
        glVertex3f(x0, 0, z1);
        glTexCoord2f(6.67f, 0);
        glVertex3f(x1, 0, z0);
        glTexCoord2f(6.67f, 5);
        glVertex3f(x1, 0, z1);
        glEnd();
        glColor4f(1, 1, 1, 1);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_NORMALIZE);
        DrawBalls();
        glDisable(GL_NORMALIZE);
        glEnable(GL_TEXTURE_2D);
        SDL_GL_SwapBuffers();
        glFinish();
    }

    void Free()
    {
        if (floorTexture)
            glDeleteTextures(1, &floorTexture);
        floorTexture = 0;
    }
};

struct FrameTimes {
    std::vector<double> ms;
    double Median() const { return ms.empty() ? 0 : ms[ms.size() / 2]; }
    double P95() const { return ms.empty() ? 0 : ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]; }
};

template <class Draw>
double TimeOne(Draw draw)
{
    const auto start = std::chrono::steady_clock::now();
    draw();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Times the scene's frames and the reference's, one of each per iteration,
// and reports both with the ratio of the medians.
void TimeAgainstReference(benchmark::State& state, const std::function<void(int)>& frame)
{
    ReferenceScene reference;
    reference.Build();
    for (int n = 0; n < 10; ++n) {
        frame(n);  // the bake and the first uploads
        reference.Frame();
    }
    FrameTimes scene, ref;
    int n = 0;
    double cpuMs = 0, refCpuMs = 0;
    for (auto _ : state) {
        const std::clock_t cpuStart = std::clock();
        scene.ms.push_back(TimeOne([&] { frame(n++); }));
        const std::clock_t cpuMid = std::clock();
        ref.ms.push_back(TimeOne([&] { reference.Frame(); }));
        cpuMs += double(cpuMid - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
        refCpuMs += double(std::clock() - cpuMid) * 1000.0 / CLOCKS_PER_SEC;
    }
    reference.Free();
    std::sort(scene.ms.begin(), scene.ms.end());
    std::sort(ref.ms.begin(), ref.ms.end());
    if (scene.ms.empty())
        return;
    state.counters["median_ms"] = scene.Median();
    state.counters["p95_ms"] = scene.P95();
    state.counters["ref_median"] = ref.Median();
    state.counters["ref_p95"] = ref.P95();
    state.counters["ratio"] = ref.Median() > 0 ? scene.Median() / ref.Median() : 0;
    state.counters["cpu_ms"] = cpuMs / double(scene.ms.size());
    // The work both did, whatever the waiting: steadier than the medians
    // while other programs share the cores.
    state.counters["cpu_ratio"] = refCpuMs > 0 ? cpuMs / refCpuMs : 0;
}

bool OpenWindow(benchmark::State& state, GLContext& context, int width, int height)
{
    context.fov = 45;
    context.nearDist = 0.01f;
    context.farDist = 1000;
    context.swapSync = false;  // the drawing is measured, not the display
    if (!context.Create(uint32_t(width), uint32_t(height), 0)) {
        state.SkipWithError("no window (run under xvfb-run with a large enough screen)");
        return false;
    }
    Set2DScreenSize(uint32_t(width), uint32_t(height));
    glEnable(GL_LIGHTING);
    return true;
}

void BM_PlayScreenFrame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const bool reflect = state.range(2) != 0;
    GLContext context;
    if (!OpenWindow(state, context, width, height))
        return;
    Settings settings;
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
    TimeAgainstReference(state, [&](int n) {
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
    });
    state.counters["walls"] = double(CurrentScenery().walls.size());
    FreeTheme();
    FreeScene();
    context.Close();
}

BENCHMARK(BM_PlayScreenFrame)
    ->ArgNames({"w", "h", "reflect"})
    ->Args({640, 480, 0})
    ->Args({640, 480, 1})
    ->Args({1024, 768, 0})
    ->Args({1024, 768, 1})
    ->Args({1600, 1200, 0})
    ->Args({1600, 1200, 1})
    ->Iterations(kFrames)
    ->Unit(benchmark::kMillisecond);

// The main menu's scene (car, floor, logo) under the options menu, the
// longest: eight items with their values in the menu font.
void BM_MenuFrame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    GLContext context;
    if (!OpenWindow(state, context, width, height))
        return;
    Settings settings;
    try {
        GLTTF2D::Init();
        LoadTextFile(DataPrefix().c_str(), "en");
        LoadFontConfig(DataPrefix().c_str());
        if (!InitFont(width, height, DataPrefix().c_str()))
            throw 0;
        InitPelmo3D(DataPrefix().c_str(), settings);
        InitObjetMenu(DataPrefix().c_str());
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", FormatExceptionReport(e).c_str());
        state.SkipWithError("the built data is missing (PONDRAKE_RUN_DIR)");
        FreeMenuObjects();
        FreeScene();
        context.Close();
        return;
    }
    WideText items[8];
    OptionsMenuItems(items, TextKey::LangEN);
    SetMenuLights();
    const int line = height / 16;
    TimeAgainstReference(state, [&](int) {
        AdvanceMenuScene(1.0f, true);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ApplyCamera(0, 0, 1.5f);
        SetMenuLights();
        DrawMenuScene(context, true);
        Begin2D();
        for (int i = 0; i < 8; ++i)
            DrawText(menuFont, items[i], 0, height / 4 + line * i, width, line, true, false);
        End2D();
        SDL_GL_SwapBuffers();
        glFinish();
    });
    FreeMenuObjects();
    FreeScene();
    context.Close();
}

BENCHMARK(BM_MenuFrame)
    ->ArgNames({"w", "h"})
    ->Args({640, 480})
    ->Args({1024, 768})
    ->Args({1600, 1200})
    ->Iterations(kFrames)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
