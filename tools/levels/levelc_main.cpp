// pondrake_levelc: compiles one level source into a ".lvl" file.
//   pondrake_levelc [--index N] [--no-solve] SOURCE OUTPUT
// --index is the level's index counted from 0 (level1.lvl is 0); it sets the
// number of Hard colours the pairing is checked against.
#include "app/base/files.h"
#include "core_verify.h"
#include "level_compile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    lvl::CompileOptions options;
    const char* source = nullptr;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--index") == 0 && i + 1 < argc) {
            options.levelIndex = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--no-solve") == 0) {
            options.solveMissing = false;
        } else if (!source) {
            source = argv[i];
        } else if (!output) {
            output = argv[i];
        } else {
            source = nullptr;
            break;
        }
    }
    if (!source || !output) {
        std::fprintf(stderr, "usage: pondrake_levelc [--index N] [--no-solve] SOURCE OUTPUT\n");
        return 2;
    }
    try {
        const lvl::LevelSource src = lvl::ReadLevelSource(source);
        const lvl::CompiledLevel level = lvl::CompileLevel(src, options);
        const std::string bytes = EncodeLevelFile(level.file);
        const std::string why = lvl::VerifyLevelBytesWithCore(bytes, options.levelIndex);
        if (!why.empty()) {
            std::fprintf(stderr, "%s:%d: %s\n", source, src.gridLine, why.c_str());
            return 1;
        }
        if (!WriteFileAtomic(output, bytes.data(), bytes.size())) {
            std::fprintf(stderr, "%s: cannot write the level file\n", output);
            return 1;
        }
        std::printf("%s: %d blocks, %d pushes, %d moves%s\n", output, static_cast<int>(level.file.pairing.size()),
                    level.pushes, level.moves, level.solvedHere ? " (solved now)" : "");
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", lvl::SourceErrorText(e).c_str());
        return 1;
    }
    return 0;
}
