#include "app/location.h"
#include "app/startup.h"
#include "state/gamestate.h"

#include <cstdio>
#include <cstdlib>

#ifndef PONDRAKE_VERSION
#define PONDRAKE_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    const CommandLine line = ReadCommandLine(argc, argv);
    const GameLocation where = FindGameLocation(RunningBinaryPath(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (!line.unknown.empty()) {
        std::fprintf(stderr, "pondrake: unknown option '%s' (see pondrake --help)\n", line.unknown.c_str());
        return 2;
    }
    if (line.help) {
        std::fputs(UsageText(where).c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("pondrake %s\n", PONDRAKE_VERSION);
        return 0;
    }
    if (where.installed) {
        std::string why;
        if (!EnterUserDir(where, why)) {
            std::fprintf(stderr, "pondrake: cannot use the directory %s\n", why.c_str());
            return 1;
        }
        if (where.dataPrefix.size() >= sizeof gameState.dataPrefix) {
            std::fprintf(stderr, "pondrake: the data directory's path is too long: %s\n", where.dataPrefix.c_str());
            return 1;
        }
        std::snprintf(gameState.dataPrefix, sizeof gameState.dataPrefix, "%s", where.dataPrefix.c_str());
    }
    return SDL_main(argc, argv);
}
