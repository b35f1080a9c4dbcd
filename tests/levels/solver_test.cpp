// The push solver under the game's rules.
#include "level_compile.h"

#include <gtest/gtest.h>

using namespace lvl;

namespace {

SolverResult Solve(const char* text, SolverOptions opt = SolverOptions())
{
    return SolveLevel(SolverBoard(ParseLevelSource(text, "t.txt")), opt);
}

}  // namespace

TEST(Solver, FindsTheFewestPushes)
{
    const SolverResult r = Solve(
        "########\n"
        "#      #\n"
        "# @$  .#\n"
        "#      #\n"
        "########\n");
    ASSERT_TRUE(r.solved) << r.reason;
    EXPECT_TRUE(r.pushOptimal);
    EXPECT_EQ(r.pushes, 3);
    EXPECT_EQ(r.solution, "RRR");
    EXPECT_EQ(r.moves, 3);
}

TEST(Solver, WalksAroundToPushFromTheOtherSide)
{
    const SolverResult r = Solve(
        "#######\n"
        "#.$ @ #\n"
        "#     #\n"
        "#######\n");
    ASSERT_TRUE(r.solved) << r.reason;
    EXPECT_EQ(r.pushes, 1);
    EXPECT_EQ(r.solution, "lL");
}

TEST(Solver, ReportsALevelWithoutSolution)
{
    const SolverResult r = Solve(
        "######\n"
        "#@$ .#\n"
        "#$.  #\n"
        "##   #\n"
        "######\n");
    EXPECT_FALSE(r.solved);
    EXPECT_FALSE(r.reason.empty());
}

TEST(Solver, NeverPushesABlockTheGameHasFixed)
{
    // Plain Sokoban solves this cloister, but every way to do so pushes a
    // block on after the game has fixed it on a target.
    const char* text =
        "  ##########\n"
        "  #    #   #\n"
        "### ##$  # ###\n"
        "#   #.$.$  # #\n"
        "# #  .#*##   #\n"
        "#   #. .  #$ #\n"
        "##  #  #   $ #\n"
        " #     @  ####\n"
        " ##########\n";
    SolverOptions plain;
    plain.plainRules = true;
    EXPECT_TRUE(Solve(text, plain).solved);
    const SolverResult g = Solve(text);
    EXPECT_FALSE(g.solved);
    EXPECT_EQ(g.reason, "no solution exists");
}

TEST(Solver, KeepsBlocksOffBombs)
{
    // The straight way crosses the bomb; the solver goes round it.
    const SolverResult r = Solve(
        "#######\n"
        "#     #\n"
        "#     #\n"
        "#@$!. #\n"
        "#     #\n"
        "#     #\n"
        "#######\n");
    ASSERT_TRUE(r.solved) << r.reason;
    EXPECT_EQ(r.pushes, 4);
}

TEST(Solver, WeightedSearchStillSolves)
{
    SolverOptions opt;
    opt.weight = 3;
    const SolverResult r = Solve(
        "#########\n"
        "#   #   #\n"
        "# $   $ #\n"
        "#   #   #\n"
        "##.###.##\n"
        " #  @  #\n"
        " #######\n",
        opt);
    ASSERT_TRUE(r.solved) << r.reason;
    EXPECT_FALSE(r.pushOptimal);
}

TEST(Solver, StopsAtItsLimits)
{
    SolverOptions opt;
    opt.maxStates = 3;
    const SolverResult r = Solve(
        "#########\n"
        "#   #   #\n"
        "# $   $ #\n"
        "#   #   #\n"
        "##.###.##\n"
        " #  @  #\n"
        " #######\n",
        opt);
    EXPECT_FALSE(r.solved);
    EXPECT_EQ(r.reason, "out of room for positions");
}
