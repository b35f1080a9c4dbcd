// The push solver under the game's rules.
#include "level_compile.h"

#include <gtest/gtest.h>

using namespace lvl;

namespace {

const char* kTwoRooms = "#########\n#   #   #\n# $   $ #\n#   #   #\n##.###.##\n #  @  #\n #######\n";
// Plain rules solve it, but every way pushes a block on after the game has
// fixed it on a target.
const char* kCloister =
    "  ##########\n  #    #   #\n### ##$  # ###\n#   #.$.$  # #\n# #  .#*##   #\n#   #. .  #$ #\n"
    "##  #  #   $ #\n #     @  ####\n ##########\n";

}  // namespace

TEST(Solver, SolvesByTheGameRulesOrSaysWhyNot)
{
    const struct {
        const char* name;
        const char* text;
        bool plain;
        int weight;
        long maxStates;
        int pushes;  // 0: no solution
        const char* solutionOrReason;
    } cases[] = {
        {"fewest pushes", "########\n#      #\n# @$  .#\n#      #\n########\n", false, 1, 8000000, 3, "RRR"},
        {"walks round", "#######\n#.$ @ #\n#     #\n#######\n", false, 1, 8000000, 1, "lL"},
        {"round the bomb", "#######\n#     #\n#     #\n#@$!. #\n#     #\n#     #\n#######\n", false, 1, 8000000, 4, ""},
        {"weighted", kTwoRooms, false, 3, 8000000, -1, ""},
        {"no solution", "######\n#@$ .#\n#$.  #\n##   #\n######\n", false, 1, 8000000, 0, "a block can reach no target"},
        {"out of room", kTwoRooms, false, 1, 3, 0, "out of room for positions"},
        {"cloister, game rules", kCloister, false, 1, 8000000, 0, "no solution exists"},
        {"cloister, plain rules", kCloister, true, 1, 8000000, -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SolverOptions opt;
        opt.plainRules = c.plain;
        opt.weight = c.weight;
        opt.maxStates = c.maxStates;
        const Board board = SolverBoard(ParseLevelSource(c.text, "t.txt"));
        const SolverResult r = SolveLevel(board, opt);
        if (c.pushes == 0) {
            EXPECT_FALSE(r.solved);
            EXPECT_EQ(r.reason, c.solutionOrReason);
            continue;
        }
        EXPECT_TRUE(r.solved) << r.reason;
        if (!r.solved) continue;
        EXPECT_EQ(r.pushOptimal, c.weight == 1);
        if (c.pushes > 0) {
            EXPECT_EQ(r.pushes, c.pushes);
        }
        if (*c.solutionOrReason) {
            EXPECT_EQ(r.solution, c.solutionOrReason);
        }
        // The solution plays by the rules it was found under.
        EXPECT_EQ(ReplaySolution(board, r.solution, c.plain).error, "");
    }
}
