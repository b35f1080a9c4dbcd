// The push solver and the level generator.
#include "core_verify.h"
#include "level_compile.h"
#include "level_generate.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace lvl;

namespace {

// A room with a Hard grid: the candidates must keep it and play on Hard.
const char* kYard = "Title: Yard\n\n"
                    "##########\n#        #\n#  *  ## #\n#     #  #\n# ##    *#\n#  *  #  #\n#     @  #\n##########\n\n"
                    "Hard:\n"
                    "##########\n#x       #\n#        #\n#        #\n#        #\n#        #\n#       x#\n##########\n";

GenerateOptions SmallRun(uint32_t seed)
{
    GenerateOptions o;
    o.seed = seed;
    o.walks = 40;
    o.keep = 2;
    o.minPushes = 10;
    o.solver.maxStates = 200000;
    o.solver.maxSeconds = 600;
    return o;
}

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

TEST(LevelGenerate, APullIsLegalExactlyWhenThePushItUndoesIs)
{
    const char* const room = "#######\n#     #\n#  *  #\n#     #\n#@    #\n#######\n";
    const struct {
        const char* name;
        const char* grid;
        int carX, carY;  // in the grid
        Direction dir;   // from the car to the block
        bool legal;
    } cases[] = {
        {"off its target", room, 3, 3, kDirUp, true},
        {"the car backs into a wall", room, 3, 1, kDirDown, false},
        {"no block beside the car", room, 2, 2, kDirUp, false},
        {"a block never enters a bomb's cell", "#######\n#     #\n#  *  #\n#  !  #\n#@    #\n#######\n", 3, 3, kDirUp,
         false},
        // The game fixes a block on the only target of a lane along a wall:
        // no push could take it off again.
        {"onto a target the game fixes it on", "#######\n#  .$ #\n#     #\n#     #\n#@    #\n#######\n", 3, 1,
         kDirRight, false},
        {"onto a target in the open", "#######\n#     #\n#  .$ #\n#     #\n#@    #\n#######\n", 3, 2, kDirRight, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LevelSource src = ParseLevelSource(c.grid, "pull.txt");
        Board b = SolverBoard(src);
        SettleBlocksOnTargets(b);
        const Board before = b;
        int x = c.carX + src.offsetX, y = c.carY + src.offsetY;
        EXPECT_EQ(CanPull(b, x, y, c.dir), c.legal);
        EXPECT_EQ(Pull(b, x, y, c.dir), c.legal);
        if (!c.legal) {
            EXPECT_EQ(std::memcmp(&b, &before, sizeof b), 0);
            EXPECT_EQ(std::make_pair(x, y), std::make_pair(c.carX + src.offsetX, c.carY + src.offsetY));
            continue;
        }
        // The car backed off one cell, and the core's push from there gives
        // the board back.
        const int dx = c.dir == kDirLeft ? -1 : c.dir == kDirRight ? 1 : 0;
        const int dy = c.dir == kDirUp ? -1 : c.dir == kDirDown ? 1 : 0;
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(c.carX + src.offsetX - dx, c.carY + src.offsetY - dy));
        ASSERT_TRUE(IsPushable(b.At(x + dx, y + dy)));
        ASSERT_TRUE(TakesPushedBlock(b.At(x + 2 * dx, y + 2 * dy)));
        MoveBlock(b, x + dx, y + dy, dx, dy, -1, -1);
        SettleBlocksOnTargets(b);
        EXPECT_EQ(std::memcmp(&b, &before, sizeof b), 0);
    }
}

TEST(LevelGenerate, NamesTheTrivialPartOfASolution)
{
    const struct {
        const char* name;
        const char* grid;
        const char* says;  // empty: nothing trivial
    } cases[] = {
        {"a block fixed in its corner", "#######\n#@$ . #\n#*    #\n#######\n", "never moves"},
        {"one push from its target", "######\n#    #\n#@$. #\n#    #\n######\n",
         "is finished by one push at the start"},
        {"two blocks in two corridors", "#########\n#@ $  . #\n# ##### #\n#  $  . #\n#########\n",
         "never meets another"},
        {"one block behind the other", "########\n#      #\n# $ $..#\n#@     #\n########\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Board board = SolverBoard(ParseLevelSource(c.grid, "t.txt"));
        const SolverResult r = SolveLevel(board);
        ASSERT_TRUE(r.solved) << r.reason;
        const std::string why = TrivialPart(board, r.solution);
        if (!*c.says)
            EXPECT_EQ(why, "");
        else
            EXPECT_NE(why.find(c.says), std::string::npos) << why;
    }
}

TEST(LevelGenerate, ASeedGivesTheSameCandidatesAndEveryOnePlaysInTheGame)
{
    const LevelSource yard = ParseLevelSource(kYard, "yard.txt");
    const GenerateReport first = GenerateLevels(yard, SmallRun(7));
    const GenerateReport again = GenerateLevels(yard, SmallRun(7));
    ASSERT_FALSE(first.kept.empty());
    ASSERT_EQ(first.kept.size(), again.kept.size());
    for (size_t i = 0; i < first.kept.size(); ++i)
        EXPECT_EQ(first.kept[i].text, again.kept[i].text);
    const GenerateReport other = GenerateLevels(yard, SmallRun(8));
    ASSERT_FALSE(other.kept.empty());
    // The seed, not only the comment naming it, changes the candidate.
    EXPECT_NE(ParseLevelSource(other.kept[0].text, "o.txt").solution,
              ParseLevelSource(first.kept[0].text, "f.txt").solution);

    for (const Candidate& c : first.kept) {
        SCOPED_TRACE(c.text);
        const LevelSource src = ParseLevelSource(c.text, "candidate.txt");
        EXPECT_EQ(src.title, "Yard");
        EXPECT_EQ(src.hardRows, yard.hardRows);
        EXPECT_GE(c.result.pushes, 10);
        EXPECT_EQ(TrivialPart(SolverBoard(src), src.solution), "");
        // Two and three Hard colours.
        for (int index : {0, 50}) {
            CompileOptions opt;
            opt.levelIndex = index;
            opt.solveMissing = false;
            const CompiledLevel level = CompileLevel(src, opt);
            EXPECT_EQ(level.pushes, c.result.pushes);
            EXPECT_EQ(VerifyLevelBytesWithCore(EncodeLevelFile(level.file), index), "") << "index " << index;
        }
    }
}

TEST(LevelGenerate, ARoomTooSmallToBeHardYieldsNone)
{
    const LevelSource hall = ParseLevelSource("########\n#      #\n#@ **  #\n#      #\n########\n", "hall.txt");
    GenerateOptions o = SmallRun(7);
    o.minPushes = 12;
    const GenerateReport r = GenerateLevels(hall, o);
    EXPECT_TRUE(r.kept.empty());
    EXPECT_EQ(r.walks, o.walks);
    EXPECT_GT(r.easy, 0);
    EXPECT_EQ(r.easy + r.repeated + r.trivial, r.walks);
}

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
        EXPECT_TRUE(c.pushes < 0 || r.pushes == c.pushes) << r.pushes;
        EXPECT_TRUE(!*c.solutionOrReason || r.solution == c.solutionOrReason) << r.solution;
        // The solution plays by the rules it was found under.
        EXPECT_EQ(ReplaySolution(board, r.solution, c.plain).error, "");
    }
    // The plain way out of the fixed door pushes a block the game has fixed.
    const Replay game = ReplaySolution(SolverBoard(ParseLevelSource(kFixedDoor, "t.txt")), "RdrrddLruuuL");
    EXPECT_EQ(game.error, "pushes a block that is fixed on its target");
    EXPECT_EQ(game.errorAt, 0);
}
