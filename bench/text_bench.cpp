// Glyph fonts: building the three fonts for a 1024 x 768 window, and drawing
// a full menu's worth of text per frame. Needs an X display (xvfb-run).
#include "text/font.h"
#include "text/texte.h"

#include "app/base/log.h"

#include <SDL.h>
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string prefix;

bool PrepareData()
{
    char tmpl[] = "/tmp/pondrake-bench-XXXXXX";
    if (!mkdtemp(tmpl))
        return false;
    prefix = std::string(tmpl) + "/";
    std::string data = prefix + "data";
    mkdir(data.c_str(), 0777);
    if (symlink("/usr/share/fonts/truetype/dejavu", (data + "/fonts").c_str()) != 0)
        return false;
    FILE* f = std::fopen((data + "/font.ini").c_str(), "w");
    if (!f)
        return false;
    std::fputs("[FontMenuBig]\nFont=data/fonts/DejaVuSans-Bold.ttf\nSize=40\nColorTop=1,1,0.6\n"
               "ColorBottom=1,0.55,0.1\nShadowOffset=2,2\n"
               "[FontGameSmall]\nFont=data/fonts/DejaVuSans.ttf\nSize=24\nShadowOffset=1,1\n"
               "[FontCopyright]\nFont=data/fonts/DejaVuSerif.ttf\nSize=12\n",
               f);
    std::fclose(f);
    LoadFontConfig(prefix.c_str());
    // The French texts have the largest character set of the three.
    try {
        LoadTextFile(PONDRAKE_RUN_DIR_DEFAULT "/", "fr");
    } catch (...) {
        std::fprintf(stderr, "no built language file; run the build first\n");
        return false;
    }
    return true;
}

void Begin2D()
{
    glViewport(0, 0, 1024, 768);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 768, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void BM_BuildThreeFontsAt1024(benchmark::State& state)
{
    for (auto _ : state) {
        if (!InitFont(1024, 768, prefix.c_str()))
            state.SkipWithError("InitFont failed");
    }
    state.counters["glyphs"] =
        static_cast<double>(menuFont.glyphs.size() + gameFont.glyphs.size() + smallPrintFont.glyphs.size());
}
BENCHMARK(BM_BuildThreeFontsAt1024)->Unit(benchmark::kMillisecond);

// The options menu (the longest): eight items with their values in the menu
// font, plus the HUD numbers, the level line and the small print.
void BM_DrawMenuFrame(benchmark::State& state)
{
    InitFont(1024, 768, prefix.c_str());
    Begin2D();
    WideText items[8];
    const WideText* labels[8] = {&TextKey::Lang,  &TextKey::Resolution, &TextKey::Reflect, &TextKey::Help,
                                 &TextKey::Speed, &TextKey::Sound,      &TextKey::Music,   &TextKey::Back};
    const WideText* values[8] = {&TextKey::LangFR, nullptr,      &TextKey::ON, &TextKey::OFF,
                                 &TextKey::Medium, &TextKey::ON, &TextKey::ON, nullptr};
    int glyphs = 0;
    for (int i = 0; i < 8; ++i) {
        items[i] = *labels[i];
        if (i == 1)
            items[i].Append(" : 1024x768");
        else if (values[i])
            items[i].Append(" : ").Append(*values[i]);
        glyphs += items[i].Length();
    }
    WideText level(TextKey::Code);
    level.Append(" ABCDE");
    // Each frame waits for the drawing (the software renderer works behind
    // the calls); the cleared screen alone is measured by BM_ClearFrame.
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        for (int i = 0; i < 8; ++i)
            DrawText(menuFont, items[i], 0, 200 + 48 * i, 1024, 48, true, false);
        DrawText(gameFont, u" 7", 360, 8, 0, 36, false, true);
        DrawText(gameFont, u"  125", 650, 8, 0, 36, false, true);
        DrawText(gameFont, level, 0, 64, 1024, 704, true, true);
        DrawText(smallPrintFont, TextKey::Copyright, 0, 740, 1024, 20, true, false);
        glFinish();
    }
    glyphs += 2 + 5 + level.Length() + TextKey::Copyright.Length();
    state.counters["glyphs/frame"] = glyphs;
    state.SetItemsProcessed(state.iterations() * glyphs);
}
BENCHMARK(BM_DrawMenuFrame)->Unit(benchmark::kMicrosecond);

void BM_ClearFrame(benchmark::State& state)
{
    Begin2D();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
    }
}
BENCHMARK(BM_ClearFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(1024, 768, 0, SDL_OPENGL)) {
        std::fprintf(stderr, "no GL window: %s (run under xvfb-run)\n", SDL_GetError());
        return 1;
    }
    GLTTF2D::Init();
    // The fonts log into log.txt of the working directory: keep it in ours.
    if (!PrepareData() || chdir(prefix.c_str()) != 0)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    FreeFonts();
    GLTTF2D::Quit();
    SDL_Quit();
    std::string rm = "rm -rf '" + prefix + "'";
    return std::system(rm.c_str()) == 0 ? 0 : 1;
}
