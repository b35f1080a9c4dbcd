// pondrake_levelsolve: solves level sources and compares with their stored
// solutions.
//   pondrake_levelsolve [--time S] [--states N] [--weight W] [--plain] [--show] [--write] SOURCE...
// Solves on the board the stored solution is played on (Hard, unmirrored).
// --write stores the solver's solution in the source when the source has
// none or the solver's needs fewer pushes (or as many pushes, fewer moves).
// --plain searches by plain Sokoban rules (no block is ever fixed, only
// sound pruning), to tell a level without solution from one the game's
// fixing rule closes; --show prints the board after every push of the
// solution found.
#include "app/base/files.h"
#include "level_compile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    lvl::SolverOptions options;
    bool write = false;
    bool show = false;
    std::vector<const char*> sources;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--time") == 0 && i + 1 < argc)
            options.maxSeconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--states") == 0 && i + 1 < argc)
            options.maxStates = std::atol(argv[++i]);
        else if (std::strcmp(argv[i], "--weight") == 0 && i + 1 < argc)
            options.weight = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--write") == 0)
            write = true;
        else if (std::strcmp(argv[i], "--plain") == 0)
            options.plainRules = true;
        else if (std::strcmp(argv[i], "--show") == 0)
            show = true;
        else
            sources.push_back(argv[i]);
    }
    if (sources.empty() || options.weight < 1) {
        std::fprintf(
            stderr,
            "usage: pondrake_levelsolve [--time S] [--states N] [--weight W] [--plain] [--show] [--write] SOURCE...\n");
        return 2;
    }
    int status = 0;
    for (const char* path : sources) {
        try {
            const lvl::LevelSource src = lvl::ReadLevelSource(path);
            const Board hard = lvl::SolverBoard(src);
            const lvl::SolverResult r = lvl::SolveLevel(hard, options);
            std::printf("%s: %d blocks, ", path, src.blocks);
            if (!r.solved) {
                std::printf("no solution (%s), %ld positions explored, %.2f s\n", r.reason.c_str(), r.expanded,
                            r.seconds);
                status = 1;
                continue;
            }
            std::printf("best %d pushes / %d moves (%s), %ld positions explored, %ld stored, %.2f s\n", r.pushes,
                        r.moves, r.pushOptimal ? "push-optimal" : "not proven optimal", r.expanded, r.stored,
                        r.seconds);
            if (show) {
                std::printf("  %s\n", r.solution.c_str());
                Board shown = hard;
                RemoveBombs(shown);
                lvl::ReplaySolution(shown, r.solution, options.plainRules,
                                    [](char letter, const Board& b, int carX, int carY) {
                                        std::printf("%c\n%s", letter, lvl::RenderGrid(b, carX, carY).c_str());
                                    });
            }
            bool better = !src.hasSolution;
            if (src.hasSolution) {
                const lvl::Replay given = lvl::ReplaySolution(hard, src.solution);
                if (!given.error.empty()) {
                    std::printf("  stored solution does not play: move %d %s\n", given.errorAt + 1,
                                given.error.c_str());
                    better = true;
                    status = 1;
                } else {
                    std::printf("  stored: %d pushes / %d moves: %s\n", given.pushes, given.moves,
                                given.pushes < r.pushes || (given.pushes == r.pushes && given.moves <= r.moves)
                                    ? "no longer than the solver's"
                                    : "the solver's is shorter");
                    better = r.pushes < given.pushes || (r.pushes == given.pushes && r.moves < given.moves);
                    if (given.pushes > r.pushes && r.pushOptimal)
                        status = 1;
                }
            }
            if (write && better) {
                std::string text;
                ReadWholeFile(path, text);
                const std::string updated = lvl::ReplaceSolutionText(text, r.solution);
                if (!WriteFileAtomic(path, updated.data(), updated.size())) {
                    std::fprintf(stderr, "%s: cannot write\n", path);
                    status = 1;
                } else {
                    std::printf("  solution written\n");
                    status = 0;
                }
            }
        } catch (const Exception& e) {
            std::fprintf(stderr, "%s\n", lvl::SourceErrorText(e).c_str());
            status = 1;
        }
    }
    return status;
}
