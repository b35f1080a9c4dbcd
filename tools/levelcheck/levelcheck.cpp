// levelcheck <game dir>: replays the stored solution of every level file in
// <game dir>/data/level and prints, per level, "ok" or the fault found.
// Exits with 1 when a level fails (or none is found), 2 on a usage error.
#include "app/base/exception.h"
#include "app/base/files.h"
#include "puzzle/tableau.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: levelcheck <game dir containing data/level>\n");
        return 2;
    }
    std::string prefix = argv[1];
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\')
        prefix += '/';

    int failures = 0;
    int levels = 0;
    for (int index = 0; FileExists(LevelFilePath(prefix.c_str(), index).c_str()); ++index) {
        ++levels;
        try {
            CheckLevel(index, prefix.c_str());
            std::printf("level %d: ok\n", index + 1);
        } catch (const Exception& e) {
            std::printf("level %d: %s\n", index + 1, e.message.c_str());
            ++failures;
        }
    }
    if (levels == 0) {
        std::fprintf(stderr, "levelcheck: no level file %s\n", LevelFilePath(prefix.c_str(), 0).c_str());
        return 1;
    }
    return failures ? 1 : 0;
}
