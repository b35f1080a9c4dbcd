// levelcodes: makes and converts the level-code table.
//
//   levelcodes generate N        makes N new codes in the working directory:
//                                "codes.txt" and "data/level/levelcode.dat"
//                                (N at most the number the game reads)
//   levelcodes build LIST OUT    turns a listing like "codes.txt" into the
//                                binary code table OUT
//
// The game's codes are generated once and the listing is kept in the
// repository, so a code a player wrote down stays valid in every build.
#include "app/base/exception.h"
#include "app/base/paths.h"
#include "app/base/files.h"
#include "persist/levelcode.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: levelcodes generate N\n"
                         "       levelcodes build LISTING OUTPUT\n");
    return 2;
}

int Generate(const char* countText)
{
    errno = 0;
    char* end = nullptr;
    long count = std::strtol(countText, &end, 10);
    if (errno != 0 || end == countText || *end != '\0' || count < 0 || count > INT_MAX) {
        std::fprintf(stderr, "levelcodes: not a count: %s\n", countText);
        return 2;
    }
    // The game refuses a longer table at start-up: refuse it before the
    // shipped one is replaced.
    if (count > kLevelCount) {
        std::fprintf(stderr, "levelcodes: %ld codes, the game reads at most %d\n", count, kLevelCount);
        return 2;
    }
    MakePath("./data/level/");
    LevelCodes codes;
    if (!generateLevelCodes(codes, static_cast<int>(count)))
        return 1;
    std::printf("wrote %ld codes to codes.txt and data/level/levelcode.dat\n", count);
    return 0;
}

int Build(const char* listingPath, const char* outPath)
{
    std::string text;
    if (!ReadWholeFile(listingPath, text)) {
        std::fprintf(stderr, "levelcodes: can't read %s\n", listingPath);
        return 1;
    }
    LevelCodes codes;
    std::string error;
    if (!ParseCodeListing(text, codes, error)) {
        std::fprintf(stderr, "levelcodes: %s: %s\n", listingPath, error.c_str());
        return 1;
    }
    if (codes.codeCount > kLevelCount) {
        std::fprintf(stderr, "levelcodes: %s: %d codes, the game reads at most %d\n", listingPath, codes.codeCount,
                     kLevelCount);
        return 1;
    }
    std::string bytes = EncodeLevelCodes(codes);
    if (!WriteFileAtomic(outPath, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "levelcodes: can't write %s\n", outPath);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 3 && std::strcmp(argv[1], "generate") == 0)
            return Generate(argv[2]);
        if (argc == 4 && std::strcmp(argv[1], "build") == 0)
            return Build(argv[2], argv[3]);
        return Usage();
    } catch (const Exception& e) {
        std::fprintf(stderr, "levelcodes: %s\n", e.message.c_str());
        return 1;
    }
}
