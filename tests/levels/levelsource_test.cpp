// The level notation, the compiler's refusals and the bytes it writes.
#include "level_compile.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace lvl;

namespace {

LevelError ParseError(const std::string& text)
{
    try {
        ParseLevelSource(text, "room.txt");
    } catch (const LevelError& e) {
        return e;
    }
    ADD_FAILURE() << "the source was accepted:\n" << text;
    return LevelError{};
}

LevelError CompileError(const std::string& text)
{
    try {
        CompileOptions opt;
        opt.solveMissing = false;
        CompileLevel(ParseLevelSource(text, "room.txt"), opt);
    } catch (const LevelError& e) {
        return e;
    }
    ADD_FAILURE() << "the source was compiled:\n" << text;
    return LevelError{};
}

const char* kCorridor =
    "; a corridor\n"
    "Title: Corridor\n"
    "\n"
    "#######\n"
    "#@ $ .#\n"
    "#######\n"
    "\n"
    "Solution: rRR\n";

}  // namespace

TEST(LevelSource, ReadsTheNotationAndCentresTheLevel)
{
    const LevelSource s = ParseLevelSource(kCorridor, "corridor.txt");
    EXPECT_EQ(s.title, "Corridor");
    EXPECT_EQ(s.gridWidth, 7);
    EXPECT_EQ(s.gridHeight, 3);
    EXPECT_EQ(s.offsetX, 6);
    EXPECT_EQ(s.offsetY, 6);
    EXPECT_EQ(s.board.at(7, 7), kCarStart);
    EXPECT_EQ(s.board.at(9, 7), kBlock);
    EXPECT_EQ(s.board.at(11, 7), kTarget);
    EXPECT_EQ(s.solution, "rRR");
    EXPECT_EQ(s.blocks, 1);
    EXPECT_EQ(s.targets, 1);
    // The room is kept on Hard, the open ground around it is not.
    EXPECT_EQ(s.floorMask[7 * kWidth + 8], 1);
    EXPECT_EQ(s.floorMask[0], 0);
}

TEST(LevelSource, ReadsBombsSpecialBlocksAndBlocksOnTargets)
{
    const LevelSource s = ParseLevelSource(
        "#########\n"
        "#@ ! 6 *#\n"
        "# 7 8 9 #\n"
        "#########\n",
        "x.txt");
    const int x0 = s.offsetX, y0 = s.offsetY;
    EXPECT_EQ(s.board.at(x0 + 3, y0 + 1), kBomb);
    EXPECT_EQ(s.board.at(x0 + 5, y0 + 1), 36);
    EXPECT_EQ(s.board.at(x0 + 7, y0 + 1), kPlaced);
    EXPECT_EQ(s.board.at(x0 + 2, y0 + 2), 37);
    EXPECT_EQ(s.board.at(x0 + 4, y0 + 2), 38);
    EXPECT_EQ(s.board.at(x0 + 6, y0 + 2), 39);
    EXPECT_EQ(s.bombs, 1);
    EXPECT_EQ(s.specials, 4);
}

TEST(LevelSource, RefusalsNameTheFileAndLine)
{
    // Too wide: 21 cells on line 2.
    LevelError e = ParseError("#####################\n#@$.                #\n#####################\n");
    EXPECT_EQ(e.file, "room.txt");
    EXPECT_EQ(e.line, 1);
    EXPECT_NE(e.message.find("21 cells wide"), std::string::npos);
    EXPECT_EQ(e.Text().rfind("room.txt:1: ", 0), 0u);

    // Too high: the 16th row is named.
    std::string tall = "; tall\n###\n#@#\n";
    for (int i = 0; i < 12; ++i) tall += "#*#\n";
    tall += "# #\n###\n";
    e = ParseError(tall);
    EXPECT_EQ(e.line, 17);
    EXPECT_NE(e.message.find("16 rows"), std::string::npos);

    e = ParseError("\n#####\n#$ .#\n#####\n");
    EXPECT_EQ(e.line, 2);
    EXPECT_NE(e.message.find("no car"), std::string::npos);

    e = ParseError("######\n#@$$.#\n######\n");
    EXPECT_NE(e.message.find("2 blocks but 1 targets"), std::string::npos);

    e = ParseError("########\n#@!!!!!#\n#  $. ##\n########\n");
    EXPECT_EQ(e.line, 2);
    EXPECT_NE(e.message.find("more than 4 bombs"), std::string::npos);

    e = ParseError("#####\n#+$ #\n#####\n");
    EXPECT_NE(e.message.find("target"), std::string::npos);

    e = ParseError("#####\n#@$.#\n#%  #\n#####\n");
    EXPECT_EQ(e.line, 3);

    e = ParseError("#####\n#@$.#\n#####\n\nSolution: rRx\n");
    EXPECT_EQ(e.line, 5);

    e = ParseError("#####\n#@$.#\n#####\n\nHard:\n#####\n#x  #\n#####\n");
    EXPECT_EQ(e.line, 7);  // 'x' on the car start, not on floor
}

TEST(LevelSource, RefusesMoreThanTwoHundredBlocks)
{
    // A full 20 x 15 board: 201 blocks on targets and a car.
    std::string text;
    int placed = 0;
    for (int y = 0; y < kHeight; ++y) {
        std::string row;
        for (int x = 0; x < kWidth; ++x) {
            if (x == 0 && y == 0) row += '@';
            else if (placed < 201) {
                row += '*';
                ++placed;
            } else {
                row += '-';
            }
        }
        text += row + "\n";
    }
    const LevelError e = ParseError(text);
    EXPECT_EQ(e.line, 11);  // the row that holds the 201st block
    EXPECT_NE(e.message.find("more than 200 blocks"), std::string::npos);
}

TEST(LevelCompile, RefusesASolutionThatDoesNotPlay)
{
    // 'R' where the car walks: named at the solution's line.
    LevelError e = CompileError("#######\n#@ $ .#\n#######\n\nSolution:\nRRR\n");
    EXPECT_EQ(e.line, 6);
    EXPECT_NE(e.message.find("move 1"), std::string::npos);
    // A solution that stops short of the last target.
    e = CompileError("#######\n#@ $ .#\n#######\n\nSolution: rR\n");
    EXPECT_NE(e.message.find("does not fill"), std::string::npos);
    // A solution that needs to pass over a bomb with a block fails on Easy.
    e = CompileError("########\n#@ $!.##\n########\n\nSolution: rRRR\n");
    EXPECT_NE(e.message.find("move 2"), std::string::npos);
}

TEST(LevelCompile, WritesTheFileLayoutAndShapedWalls)
{
    const LevelSource s = ParseLevelSource(kCorridor, "corridor.txt");
    const CompiledLevel c = CompileLevel(s, CompileOptions());
    const std::string bytes = EncodeLevelFile(c.file);
    ASSERT_EQ(bytes.size(), 630u + 1u + 3u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("LVL\0", 4));
    EXPECT_EQ(static_cast<uint8_t>(bytes[4]), 1);
    EXPECT_EQ(static_cast<uint8_t>(bytes[6]), 20);
    EXPECT_EQ(static_cast<uint8_t>(bytes[10]), 15);
    EXPECT_EQ(static_cast<uint8_t>(bytes[14]), 1);  // B
    EXPECT_EQ(static_cast<uint8_t>(bytes[18]), 0);  // pairing of block 0
    // The solution: a step right then two pushes right.
    EXPECT_EQ(static_cast<uint8_t>(bytes[319]), 3);  // L
    EXPECT_EQ(static_cast<uint8_t>(bytes[331]), 2);
    EXPECT_EQ(static_cast<uint8_t>(bytes[332]), 6);
    EXPECT_EQ(static_cast<uint8_t>(bytes[333]), 6);

    LevelFileData back;
    ASSERT_EQ(DecodeLevelFile(bytes, back), "");
    const Board b = BoardFromCells(back.cells);
    // Corridor walls: the corners and runs join exactly their wall neighbours.
    const int x0 = s.offsetX, y0 = s.offsetY;
    EXPECT_EQ(b.at(x0, y0), WallCodeForMask(2 | 4));           // top-left: down, right
    EXPECT_EQ(b.at(x0 + 3, y0), WallCodeForMask(4 | 8));       // top run: left, right
    EXPECT_EQ(b.at(x0 + 6, y0 + 2), WallCodeForMask(1 | 8));   // bottom-right: up, left
    EXPECT_EQ(b.at(x0, y0 + 1), WallCodeForMask(1 | 2));       // left side: up, down
    // The loader's shaper joins only what the codes join: it changes nothing.
    Board loaded = b;
    ShapeWallsAsLoader(loaded);
    for (int i = 0; i < kBoardSize; ++i) ASSERT_EQ(loaded.cell[i], b.cell[i]) << "cell " << i;
}

TEST(LevelCompile, WallsNextToSpecialBlocksDoNotJoinThem)
{
    const LevelSource s = ParseLevelSource("#####\n#@$.#\n##6##\n #.$#\n #  #\n ####\n", "s.txt");
    const int x0 = s.offsetX, y0 = s.offsetY;
    EXPECT_EQ(s.board.at(x0 + 2, y0 + 2), 36);
    EXPECT_EQ(s.board.at(x0 + 1, y0 + 2), WallCodeForMask(2 | 8));  // down, left
    EXPECT_EQ(s.board.at(x0 + 3, y0 + 2), WallCodeForMask(4));      // right only
}

TEST(LevelCompile, PairsEveryBlockWithTheTargetItEndsOn)
{
    // Block 0 (upper left) is closest to target 1 (lower left), block 1 to
    // target 0: the solution crosses the numbering.
    const char* text =
        "#######\n"
        "#   . #\n"
        "# $   #\n"
        "#   $ #\n"
        "# .   #\n"
        "#  @  #\n"
        "#######\n";
    const CompiledLevel c = CompileLevel(ParseLevelSource(text, "cross.txt"), CompileOptions());
    EXPECT_TRUE(c.solvedHere);
    EXPECT_EQ(c.pushes, 4);
    ASSERT_EQ(c.file.pairing.size(), 2u);
    EXPECT_EQ(c.file.pairing[0], 1);
    EXPECT_EQ(c.file.pairing[1], 0);
    EXPECT_EQ(PlayModel(c.file, kHard, 0), "");
    // The plain pairing would leave both blocks on targets of the other colour.
    LevelFileData plain = c.file;
    plain.pairing = {0, 1};
    EXPECT_NE(PlayModel(plain, kHard, 0), "");
    EXPECT_EQ(PlayModel(plain, kNormal, 0), "");
}

TEST(LevelCompile, HardGridCutsFloorOnHardOnly)
{
    const char* text =
        "#######\n"
        "#     #\n"
        "#@ $ .#\n"
        "#     #\n"
        "#######\n"
        "\n"
        "Hard:\n"
        "#######\n"
        "#xxxxx#\n"
        "#     #\n"
        "#   x #\n"
        "#######\n"
        "\n"
        "Solution: rRR\n";
    const LevelSource s = ParseLevelSource(text, "mask.txt");
    const int x0 = s.offsetX, y0 = s.offsetY;
    auto mask = [&](int x, int y) { return s.floorMask[(y0 + y) * kWidth + x0 + x]; };
    EXPECT_EQ(mask(1, 1), 0);
    EXPECT_EQ(mask(5, 1), 0);
    EXPECT_EQ(mask(4, 3), 0);
    EXPECT_EQ(mask(3, 3), 1);
    EXPECT_EQ(mask(1, 2), 1);
    EXPECT_EQ(mask(0, 0), 0);  // a wall: outside the room's floor
    const Board hard = HardBoard(s);
    EXPECT_TRUE(IsWallCode(hard.at(x0 + 1, y0 + 1)));
    EXPECT_TRUE(IsWallCode(hard.at(x0 + 4, y0 + 3)));
    EXPECT_EQ(hard.at(x0 + 3, y0 + 3), kFloor);
    // The cut row and the top wall make one mass: its inner cells are
    // hollowed, the skin next to the floor stays.
    EXPECT_EQ(hard.at(x0 + 3, y0), kFloor);
    EXPECT_EQ(hard.at(x0 + 3, y0 + 1), WallCodeForMask(4 | 8));
    const Board normal = PrepareBoard(s.board, s.floorMask, kNormal);
    EXPECT_EQ(normal.at(x0 + 1, y0 + 1), kFloor);
    const CompiledLevel c = CompileLevel(s, CompileOptions());
    EXPECT_EQ(c.file.floorMask[(y0 + 1) * kWidth + x0 + 1], 0);
    // A solution that uses a cut cell plays on Normal but not on Hard.
    LevelSource detour = s;
    detour.solution = "urdrRR";
    detour.solutionLines.assign(detour.solution.size(), 14);
    try {
        CompileLevel(detour, CompileOptions());
        ADD_FAILURE() << "a route over a cut cell was accepted";
    } catch (const LevelError& e) {
        EXPECT_EQ(e.line, 14);
    }
}

TEST(LevelFile, DecodingRefusesBrokenBytesCleanly)
{
    const CompiledLevel c = CompileLevel(ParseLevelSource(kCorridor, "c.txt"), CompileOptions());
    const std::string good = EncodeLevelFile(c.file);
    LevelFileData out;
    ASSERT_EQ(DecodeLevelFile(good, out), "");
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_NE(DecodeLevelFile(good.substr(0, n), out), "") << "truncated at " << n;
    EXPECT_NE(DecodeLevelFile(good + '\0', out), "");
    std::string badMagic = good;
    badMagic[3] = 'X';
    EXPECT_NE(DecodeLevelFile(badMagic, out), "");
    std::string badPair = good;
    badPair[18] = 1;  // names block 1 of a single block
    EXPECT_NE(DecodeLevelFile(badPair, out), "");
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        std::string junk = good;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < flips; ++k) junk[rng() % junk.size()] = static_cast<char>(rng());
        DecodeLevelFile(junk, out);  // must not crash or read past the bytes
        std::string noise(rng() % 900, '\0');
        for (char& ch : noise) ch = static_cast<char>(rng());
        EXPECT_NE(DecodeLevelFile(noise, out), "");
    }
}

TEST(LevelSource, ReplaceSolutionTextKeepsEverythingElse)
{
    const std::string updated = ReplaceSolutionText(kCorridor, "rRR");
    const LevelSource s = ParseLevelSource(updated, "c.txt");
    EXPECT_EQ(s.solution, "rRR");
    EXPECT_EQ(s.title, "Corridor");
    EXPECT_EQ(updated.find("Solution:"), updated.rfind("Solution:"));
    const std::string added = ReplaceSolutionText("#####\n#@$.#\n#####\n", "rR");
    EXPECT_EQ(ParseLevelSource(added, "d.txt").solution, "rR");
}
