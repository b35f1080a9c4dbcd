// pondrake_levelsheet: draws compiled levels small, side by side, into one
// PNG, so a designer sees a whole level set at once.
//   pondrake_levelsheet [--columns N] [--cell PX] [--first N] OUT.png LEVEL.lvl...
// Boards are numbered from --first (1) in the order given.
#include "app/base/files.h"
#include "engine/pngwrite.h"
#include "sheet_draw.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    SheetOptions options;
    const char* output = nullptr;
    std::vector<const char*> inputs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--columns") == 0 && i + 1 < argc)
            options.columns = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--cell") == 0 && i + 1 < argc)
            options.cell = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--first") == 0 && i + 1 < argc)
            options.firstNumber = std::atoi(argv[++i]);
        else if (!output)
            output = argv[i];
        else
            inputs.push_back(argv[i]);
    }
    if (!output || inputs.empty() || options.columns < 1 || options.cell < 4 || options.cell > 64 ||
        options.firstNumber < 0) {
        std::fprintf(stderr,
                     "usage: pondrake_levelsheet [--columns N] [--cell PX 4..64] [--first N] OUT.png LEVEL.lvl...\n");
        return 2;
    }
    std::vector<LevelFileData> levels;
    for (const char* path : inputs) {
        std::string bytes, why;
        LevelFileData d;
        if (!ReadWholeFile(path, bytes)) {
            std::fprintf(stderr, "%s: cannot read the level file\n", path);
            return 1;
        }
        if (!DecodeLevelFile(bytes, d, why)) {
            std::fprintf(stderr, "%s: not a level file (bad level %s)\n", path, why.c_str());
            return 1;
        }
        levels.push_back(d);
    }
    const SheetImage image = DrawLevelSheet(levels, options);
    std::string error;
    if (!WritePng(output, image.width, image.height, 3, image.rgb.data(), error)) {
        std::fprintf(stderr, "%s: %s\n", output, error.c_str());
        return 1;
    }
    std::printf("%s: %d levels, %d x %d pixels\n", output, static_cast<int>(levels.size()), image.width, image.height);
    return 0;
}
