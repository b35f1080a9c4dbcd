// pondrake_levelgen: candidate levels for a room, made by reverse play.
//   pondrake_levelgen [--seed S] [--walks N] [--keep N] [--pulls N] [--min-pushes P]
//                     [--min-explored E] [--max-explored E] [--states N] [--time S]
//                     [--index N] [--verbose] ROOM OUTDIR
//   pondrake_levelgen --check SOURCE...
// ROOM is a level source: its walls, targets, statues, bombs and Hard grid
// make the room; its blocks and car are not used. Each candidate kept is
// written as OUTDIR/<room>-<seed>-<walk>.txt with the solver's solution.
// --check names the trivial parts of finished levels' stored solutions by
// the same test the candidates pass.
#include "app/base/files.h"
#include "level_compile.h"
#include "level_generate.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* kUsage = "usage: pondrake_levelgen [--seed S] [--walks N] [--keep N] [--pulls N] [--min-pushes P]\n"
                     "                         [--min-explored E] [--max-explored E] [--states N] [--time S]\n"
                     "                         [--index N] [--verbose] ROOM OUTDIR\n"
                     "       pondrake_levelgen --check SOURCE...\n";

// The trivial parts of each source's stored solution; 1 when any has one.
int Check(int count, char** paths)
{
    int status = 0;
    for (int i = 0; i < count; ++i) {
        try {
            const lvl::LevelSource src = lvl::ReadLevelSource(paths[i]);
            const std::string why = src.hasSolution ? lvl::TrivialPart(lvl::SolverBoard(src), src.solution)
                                                    : std::string("no stored solution");
            std::printf("%s: %s\n", paths[i], why.empty() ? "no trivial part" : why.c_str());
            if (!why.empty())
                status = 1;
        } catch (const Exception& e) {
            std::fprintf(stderr, "%s\n", lvl::SourceErrorText(e).c_str());
            status = 1;
        }
    }
    return status;
}

std::string Stem(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--check") == 0)
        return Check(argc - 2, argv + 2);
    lvl::GenerateOptions o;
    // Repeatable by default: the state bound stops a search long before the time.
    o.solver.maxStates = 2000000;
    o.solver.maxSeconds = 600;
    const char* room = nullptr;
    const char* outDir = nullptr;
    bool bad = false;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        const char* a = argv[i];
        if (std::strcmp(a, "--seed") == 0 && more)
            o.seed = uint32_t(std::strtoul(argv[++i], nullptr, 10));
        else if (std::strcmp(a, "--walks") == 0 && more)
            o.walks = std::atoi(argv[++i]);
        else if (std::strcmp(a, "--keep") == 0 && more)
            o.keep = std::atoi(argv[++i]);
        else if (std::strcmp(a, "--pulls") == 0 && more)
            o.pullsPerBlock = std::atoi(argv[++i]);
        else if (std::strcmp(a, "--min-pushes") == 0 && more)
            o.minPushes = std::atoi(argv[++i]);
        else if (std::strcmp(a, "--min-explored") == 0 && more)
            o.minExplored = std::atol(argv[++i]);
        else if (std::strcmp(a, "--max-explored") == 0 && more)
            o.maxExplored = std::atol(argv[++i]);
        else if (std::strcmp(a, "--states") == 0 && more)
            o.solver.maxStates = std::atol(argv[++i]);
        else if (std::strcmp(a, "--time") == 0 && more)
            o.solver.maxSeconds = std::atof(argv[++i]);
        else if (std::strcmp(a, "--index") == 0 && more)
            o.levelIndex = std::atoi(argv[++i]);
        else if (std::strcmp(a, "--verbose") == 0)
            verbose = true;
        else if (a[0] == '-' && a[1] == '-')
            bad = true;
        else if (!room)
            room = a;
        else if (!outDir)
            outDir = a;
        else
            bad = true;
    }
    if (bad || !room || !outDir || o.walks < 1 || o.keep < 1 || o.pullsPerBlock < 1 || o.levelIndex < 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        const lvl::LevelSource src = lvl::ReadLevelSource(room);
        if (src.targets == 0) {
            std::fprintf(stderr, "%s: the room has no targets\n", room);
            return 1;
        }
        const lvl::GenerateReport report = lvl::GenerateLevels(src, o);
        if (verbose)
            for (const std::string& line : report.log)
                std::printf("%s\n", line.c_str());
        MakeDirectory(outDir);
        int status = 0;
        for (const lvl::Candidate& c : report.kept) {
            const std::string path = std::string(outDir) + "/" + Stem(room) + "-" + std::to_string(o.seed) + "-" +
                                     std::to_string(c.walk) + ".txt";
            if (!WriteFileAtomic(path.c_str(), c.text.data(), c.text.size())) {
                std::fprintf(stderr, "%s: cannot write\n", path.c_str());
                status = 1;
                continue;
            }
            std::printf("%s: %d pushes, %d moves, %ld positions explored%s\n", path.c_str(), c.result.pushes,
                        c.result.moves, c.result.expanded, c.result.pushOptimal ? "" : " (not proven push-optimal)");
        }
        std::printf("%d walks: %zu kept, %d repeated, %d beyond the bound, %d too easy, %d too hard, %d trivial, "
                    "%d refused\n",
                    report.walks, report.kept.size(), report.repeated, report.beyond, report.easy, report.hard,
                    report.trivial, report.refused);
        return status;
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", lvl::SourceErrorText(e).c_str());
        return 1;
    }
}
