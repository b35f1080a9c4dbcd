// artkit WHAT DATA_DIR [TRACK]: writes the game's default data below
// DATA_DIR. WHAT is "gfx" (theme, menu scene, 2D pictures, theme.ini,
// font.ini), "sfx" (sound effects), "music" (the five tracks, or only
// TRACK 0 to 4, so a build can make them side by side) or "all";
// "icons" writes the desktop's icons below DATA_DIR instead.
#include "kit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: artkit gfx|sfx|music|all|icons DATA_DIR [TRACK]\n");
        return 2;
    }
    int track = -1;
    if (argc == 4) {
        char* end = nullptr;
        long t = std::strtol(argv[3], &end, 10);
        if (std::strcmp(argv[1], "music") != 0 || *end != '\0' || t < 0 || t >= MusicTrackCount()) {
            std::fprintf(stderr, "artkit: bad track '%s'\n", argv[3]);
            return 2;
        }
        track = static_cast<int>(t);
    }
    const std::string what = argv[1], data = argv[2];
    const bool all = what == "all";
    if (!all && what != "gfx" && what != "sfx" && what != "music" && what != "icons") {
        std::fprintf(stderr, "artkit: unknown part '%s'\n", argv[1]);
        return 2;
    }
    try {
        MakeKitDir(data);
        if (all || what == "gfx") {
            GenerateThemeTextures(data);
            GenerateThemeModels(data);
            GenerateMenuScene(data);
            GenerateImages2D(data);
            GenerateFontConfig(data);
            // Last, so its presence means the whole part was written.
            GenerateThemeConfig(data);
        }
        if (all || what == "sfx")
            GenerateSounds(data);
        if (all || what == "music")
            GenerateMusic(data, track);
        if (what == "icons")
            GenerateDesktopIcons(data);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artkit: %s\n", e.what());
        return 1;
    }
    return 0;
}
