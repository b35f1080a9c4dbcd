// The push solver, by the game's rules and by plain block-pushing rules.
#include "level_compile.h"

#include <gtest/gtest.h>

using namespace lvl;

namespace {

const char* kTwoRooms = "#########\n#   #   #\n# $   $ #\n#   #   #\n##.###.##\n #  @  #\n #######\n";
// Plain rules solve it, but every way pushes a block on after the game has
// fixed it on a target.
const char* kCloister = "  ##########\n  #    #   #\n### ##$  # ###\n#   #.$.$  # #\n# #  .#*##   #\n#   #. .  #$ #\n"
                        "##  #  #   $ #\n #     @  ####\n ##########\n";
// The block on the target right of the car is fixed by the game (the corner
// block beside it is): plain rules push it off to let the car out and back.
const char* kFixedDoor = "########\n#*@*  ##\n###    #\n#  #   #\n#  .$ ##\n########\n";
// The game fixes the lower block on the first target it reaches; plain
// rules push it on and back again.
const char* kOverATarget = "#######\n#   . #\n##* $ #\n#@$.  #\n#######\n";
// The game's dead-block test holds the left block lost once the lower right
// target is taken, which plain rules do not: the test is no sound pruning.
const char* kHeldLane = "########\n# @* ###\n# $##  #\n# $..# #\n########\n";

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
        {"no solution", "######\n#@$ .#\n#$.  #\n##   #\n######\n", false, 1, 8000000, 0,
         "a block can reach no target"},
        {"out of room", kTwoRooms, false, 1, 3, 0, "out of room for positions"},
        {"cloister, game rules", kCloister, false, 1, 8000000, 0, "no solution exists"},
        {"cloister, plain rules", kCloister, true, 1, 8000000, -1, ""},
        {"fixed door, game rules", kFixedDoor, false, 1, 8000000, 0, "no solution exists"},
        {"fixed door, plain rules", kFixedDoor, true, 1, 8000000, 3, "RdrrddLruuuL"},
        {"over a target, game rules", kOverATarget, false, 1, 8000000, 0, "no solution exists"},
        {"over a target, plain rules", kOverATarget, true, 1, 8000000, 4, "RRuurrddLU"},
        {"held lane, game rules", kHeldLane, false, 1, 8000000, 0, "no solution exists"},
        {"held lane, plain rules", kHeldLane, true, 1, 8000000, 4, ""},
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
        if (!r.solved)
            continue;
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
    // The plain way out of the fixed door pushes a block the game has fixed.
    const Replay game = ReplaySolution(SolverBoard(ParseLevelSource(kFixedDoor, "t.txt")), "RdrrddLruuuL");
    EXPECT_EQ(game.error, "pushes a block that is fixed on its target");
    EXPECT_EQ(game.errorAt, 0);
}
