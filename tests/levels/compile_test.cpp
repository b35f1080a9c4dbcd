// The level notation and its compiler, checked by the puzzle core's rules.
#include "core_verify.h"
#include "level_compile.h"
#include "level_source.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

using namespace lvl;

namespace {

CompiledLevel Compile(const std::string& text, int index = 0)
{
    CompileOptions opt;
    opt.levelIndex = index;
    return CompileLevel(ParseLevelSource(text, "room.txt"), opt);
}

// Writes the file as level index in the test's own directory.
void WriteLevel(const ScopedTempDir& dir, int index, const LevelFileData& file)
{
    ASSERT_TRUE(
        WriteTestFile(dir.path() + "/data/level/level" + std::to_string(index + 1) + ".lvl", EncodeLevelFile(file)));
}

const char* kMasked =
    "#######\n#     #\n#@ $ .#\n#     #\n#######\n\nHard:\n#######\n#xxxxx#\n#     #\n#   x #\n#######\n";

const char* kCorridor = "; a corridor\nTitle: Corridor\n\n#######\n#@ $ .#\n#######\n\nSolution: rRR\n";

}  // namespace

TEST(LevelCompile, RefusesABadSourceOrSolutionAtItsLine)
{
    std::string tall = "; tall\n###\n#@#\n";
    for (int i = 0; i < 12; ++i)
        tall += "#*#\n";
    tall += "# #\n###\n";
    // A full board: the car and 201 blocks on targets, the 201st on row 11.
    std::string full;
    for (int y = 0, placed = 0; y < kPlayHeight; ++y, full += "\n")
        for (int x = 0; x < kPlayWidth; ++x)
            full += x + y == 0 ? '@' : placed++ < 201 ? '*' : '-';
    const struct {
        std::string text;
        int line;
        const char* says;
    } cases[] = {
        {"#####################\n#@$.                #\n#####################\n", 1, "the row is 21 cells wide"},
        {tall, 17, "16 rows high"},
        {full, 11, "more than 200 blocks"},
        {"\n#####\n#$ .#\n#####\n", 2, "no car (@)"},
        {"######\n#@$$.#\n######\n", 1, "2 blocks but 1 targets"},
        {"########\n#@!!!!!#\n#  $. ##\n########\n", 2, "more than 4 bombs"},
        {"#####\n#+$ #\n#####\n", 2, "the car cannot start on a target"},
        {"#####\n#@$.#\n#%  #\n#####\n", 3, "'%' is not a level character"},
        {"#####\n#@$.#\n#####\n\nSolution: rRx\n", 5, "'x' is not a move"},
        {"#####\n#@$.#\n#####\n\nHard:\n#####\n#x  #\n#####\n", 7, "must mark a floor cell of the room"},
        {"#####\n#@$.#\n#####\n\nSolution: R\nTitle: Late\n", 6, "the title must come before the grid"},
        {"#######\n#@ $ .#\n#######\n\nSolution:\nRRR\n", 6,
         "the solution move 1 ('R') steps where a push was written"},
        {"#######\n#@ $ .#\n#######\n\nSolution: rR\n", 5, "the solution does not fill every target"},
        {"#######\n#@ $ .#\n#######\n\nSolution: rrR\n", 5, "move 2 ('r') pushes a block where a step was written"},
        // A bomb cell is closed to blocks, so the solution also plays on Easy.
        {"########\n#@ $!.##\n########\n\nSolution: rRRR\n", 5, "move 2 ('R') is refused by the rules"},
        // In a closed corridor the block is fixed as soon as it reaches the target.
        {"########\n#@$ .  #\n########\n\nSolution: RRR\n", 5,
         "move 3 ('R') pushes a block that is fixed on its target"},
        {"#####\n#@$ #\n#.  #\n#####\n\nSolution: R\n", 6, "move 1 ('R') leaves the pushed block lost"},
        {std::string(kMasked) + "\nSolution: urdrRR\n", 14, "move 1 ('u') is refused by the rules"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        try {
            Compile(c.text);
            ADD_FAILURE() << "compiled";
        } catch (const Exception& e) {
            EXPECT_EQ(SourceErrorText(e), "room.txt:" + std::to_string(c.line) + ": " + e.message);
            EXPECT_NE(e.message.find(c.says), std::string::npos) << e.message;
        }
    }
    CompileOptions noSolver;
    noSolver.solveMissing = false;
    EXPECT_THROW(CompileLevel(ParseLevelSource(kMasked, "room.txt"), noSolver), Exception);
}

TEST(LevelCompile, PairsEveryBlockWithItsTargetForTheCoresHardColours)
{
    // Block 0 (upper left) is closest to target 1 (lower left), block 1 to
    // target 0: the solver's solution crosses the numbering.
    const CompiledLevel c = Compile("#######\n#   . #\n# $   #\n#   $ #\n# .   #\n#  @  #\n#######\n");
    EXPECT_TRUE(c.solvedHere);
    EXPECT_EQ(c.pushes, 4);
    EXPECT_EQ(c.file.pairing, (std::vector<uint8_t>{1, 0}));
    ScopedTempDir dir;
    const std::string prefix = dir.path() + "/";
    WriteLevel(dir, 0, c.file);
    EXPECT_EQ(VerifyLevelWithCore(prefix, 0), "");
    LevelFileData plain = c.file;
    plain.pairing = {0, 1};
    WriteLevel(dir, 0, plain);
    EXPECT_NE(VerifyLevelWithCore(prefix, 0).find("Hard does not win"), std::string::npos);

    // --index reaches the core's colour count: a pairing right modulo 2 but
    // not modulo 3 passes as level 1 and fails as level 51.
    const CompiledLevel three = Compile("########\n#      #\n# $  . #\n# $  . #\n# $  . #\n#@     #\n########\n", 50);
    LevelFileData mod2 = three.file;
    for (uint8_t& p : mod2.pairing)
        p = uint8_t(p == 1 ? 1 : 2 - p);
    WriteLevel(dir, 0, mod2);
    WriteLevel(dir, 50, mod2);
    EXPECT_EQ(VerifyLevelWithCore(prefix, 0), "");
    EXPECT_NE(VerifyLevelWithCore(prefix, 50).find("Hard does not win"), std::string::npos);
    WriteLevel(dir, 50, three.file);
    EXPECT_EQ(VerifyLevelWithCore(prefix, 50), "");
}

TEST(LevelCompile, TheHardGridWallsInFloorOnHardOnly)
{
    const LevelSource s = ParseLevelSource(std::string(kMasked) + "\nSolution: rRR\n", "mask.txt");
    const int x0 = s.offsetX, y0 = s.offsetY;
    auto mask = [&](int x, int y) { return s.floorMask[(y0 + y) * kPlayWidth + x0 + x]; };
    EXPECT_EQ(mask(1, 1) + mask(5, 1) + mask(4, 3) + mask(0, 0), 0);
    EXPECT_EQ(mask(3, 3) + mask(1, 2), 2);
    const Board hard = HardBoard(s);
    EXPECT_TRUE(IsWallCode(hard.At(x0 + 1, y0 + 1)));
    EXPECT_TRUE(IsWallCode(hard.At(x0 + 4, y0 + 3)));
    EXPECT_EQ(hard.At(x0 + 3, y0 + 3), kCellFloor);
    // The file holds the grid, the Hard grid and the solution's codes, and plays in the core.
    const CompiledLevel c = CompileLevel(s, CompileOptions());
    EXPECT_EQ(std::make_pair(c.pushes, c.moves), std::make_pair(2, 3));
    EXPECT_EQ(c.file.solution, (std::vector<uint8_t>{kActRight, kActPushRight, kActPushRight}));
    EXPECT_EQ(std::memcmp(c.file.floorMask, s.floorMask, kCellCount), 0);
    EXPECT_EQ(VerifyLevelBytesWithCore(EncodeLevelFile(c.file), 0), "");
}

TEST(LevelCompile, TheCoreVerificationCatchesWhatTheGameRefuses)
{
    const struct {
        const char* grid;
        const char* letters;
        const char* says;
    } cases[] = {
        // Pushed on after the game has fixed it on its target.
        {"########\n#@$ .  #\n########\n", "RRR", "the level check fails: bloque au niveau 0, position 2"},
        // Over a bomb, which only Easy keeps.
        {"######\n#@$!.#\n######\n", "RR", "on Easy action 0 is refused"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const LevelSource s = ParseLevelSource(c.grid, "c.txt");
        LevelFileData file;
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x)
                file.cells[y * kPlayWidth + x] = s.board.At(x, y);
        std::copy(s.floorMask, s.floorMask + kCellCount, file.floorMask);
        file.pairing = {0};
        file.solution = ActionsFromLetters(c.letters);
        EXPECT_EQ(VerifyLevelBytesWithCore(EncodeLevelFile(file), 0), c.says);
    }
}

TEST(LevelSource, ReadsTheNotationOntoTheCentredBoardWithJoinedWallsAndTakesANewSolution)
{
    const LevelSource s = ParseLevelSource(kCorridor, "corridor.txt");
    EXPECT_EQ(s.title, "Corridor");
    EXPECT_EQ(s.solution, "rRR");
    EXPECT_EQ(std::make_pair(s.gridWidth, s.gridHeight), std::make_pair(7, 3));
    EXPECT_EQ(std::make_pair(s.offsetX, s.offsetY), std::make_pair(6, 6));
    EXPECT_EQ(std::make_pair(s.blocks, s.targets), std::make_pair(1, 1));
    EXPECT_EQ(s.board.At(7, 7), kCellCarStart);
    EXPECT_EQ(s.board.At(9, 7), kCellBlock);
    EXPECT_EQ(s.board.At(11, 7), kCellTarget);
    // The room stays floor on Hard, the open ground around it does not.
    EXPECT_EQ(s.floorMask[7 * kPlayWidth + 8], 1);
    EXPECT_EQ(s.floorMask[0], 0);

    const LevelSource t = ParseLevelSource("#########\n#@ ! 6 *#\n# 7 8 9 #\n#########\n", "x.txt");
    const int cells[][3] = {{3, 1, kCellBomb}, {5, 1, 36}, {7, 1, kCellBlockOnTarget},
                            {2, 2, 37},        {4, 2, 38}, {6, 2, 39}};
    for (const auto& c : cells)
        EXPECT_EQ(t.board.At(t.offsetX + c[0], t.offsetY + c[1]), c[2]) << c[0] << "," << c[1];
    EXPECT_EQ(std::make_pair(t.bombs, t.specials), std::make_pair(1, 4));

    // Walls join their wall neighbours, so the loader keeps them.
    const int x0 = s.offsetX, y0 = s.offsetY;
    EXPECT_EQ(s.board.At(x0, y0), WallCodeForMask(2 | 4));          // top-left corner: down, right
    EXPECT_EQ(s.board.At(x0 + 3, y0), WallCodeForMask(4 | 8));      // top run: left, right
    EXPECT_EQ(s.board.At(x0 + 6, y0 + 2), WallCodeForMask(1 | 8));  // bottom-right: up, left
    EXPECT_EQ(s.board.At(x0, y0 + 1), WallCodeForMask(1 | 2));      // left side: up, down
    // The loader's shaper joins only what the codes join: it changes nothing.
    Board loaded = s.board;
    ShapeAllWalls(loaded);
    EXPECT_EQ(std::memcmp(&loaded, &s.board, sizeof loaded), 0);
    // A special block is no wall piece to join.
    const LevelSource u = ParseLevelSource("#####\n#@$.#\n##6##\n #.$#\n #  #\n ####\n", "s.txt");
    EXPECT_EQ(u.board.At(u.offsetX + 1, u.offsetY + 2), WallCodeForMask(2 | 8));
    EXPECT_EQ(u.board.At(u.offsetX + 3, u.offsetY + 2), WallCodeForMask(4));

    // A new solution replaces the old one and keeps everything else.
    const std::string updated = ReplaceSolutionText(kCorridor, "rR");
    EXPECT_EQ(ParseLevelSource(updated, "c.txt").solution, "rR");
    EXPECT_EQ(ParseLevelSource(updated, "c.txt").title, "Corridor");
    EXPECT_EQ(updated.find("Solution:"), updated.rfind("Solution:"));
    EXPECT_EQ(ParseLevelSource(ReplaceSolutionText("#####\n#@$.#\n#####\n", "rR"), "d.txt").solution, "rR");
}
