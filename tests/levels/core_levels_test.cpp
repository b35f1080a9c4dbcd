// Written level files read back by the game's own puzzle core.
#include "core_verify.h"
#include "level_compile.h"
#include "puzzle/tableau.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

constexpr int kShippedLevels = 10;

// Writes a compiled level as data/level/level<index+1>.lvl in the current
// (temporary) directory.
lvl::CompiledLevel WriteLevel(const char* text, int index, const std::string& dir)
{
    const lvl::LevelSource src = lvl::ParseLevelSource(text, "t.txt");
    lvl::CompileOptions opt;
    opt.levelIndex = index;
    const lvl::CompiledLevel c = lvl::CompileLevel(src, opt);
    EXPECT_TRUE(WriteTestFile(dir + "/data/level/level" + std::to_string(index + 1) + ".lvl",
                              lvl::EncodeLevelFile(c.file)));
    return c;
}

const char* kRoom =
    "########\n"
    "#      #\n"
    "# $ 6  #\n"
    "# .  . #\n"
    "#  $ @ #\n"
    "#      #\n"
    "########\n";

}  // namespace

TEST(CoreLevels, LoadLevelKeepsTheWrittenWallShapes)
{
    ScopedTempDir tmp;
    const lvl::CompiledLevel c = WriteLevel(kRoom, 0, tmp.path());
    std::unique_ptr<Puzzle> p(new Puzzle());
    ASSERT_EQ(LoadLevel(*p, 0, (tmp.path() + "/").c_str()), 1);
    int walls = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int written = c.file.cells[y * kPlayWidth + x];
            EXPECT_EQ(p->board.At(x, y), written) << x << "," << y;
            if (IsWallCode(written)) ++walls;
        }
    EXPECT_GT(walls, 20);
    EXPECT_EQ(p->blockCount, 2);
    EXPECT_EQ(p->solution, c.file.solution);
}

TEST(CoreLevels, PairingWinsOnHardThroughTheCore)
{
    // Block 0 finishes on target 1 and block 1 on target 0.
    const char* cross =
        "#######\n"
        "#   . #\n"
        "# $   #\n"
        "#   $ #\n"
        "# .   #\n"
        "#  @  #\n"
        "#######\n";
    ScopedTempDir tmp;
    const std::string prefix = tmp.path() + "/";
    lvl::CompiledLevel c = WriteLevel(cross, 0, tmp.path());
    ASSERT_EQ(c.file.pairing, (std::vector<uint8_t>{1, 0}));
    EXPECT_EQ(lvl::VerifyLevelWithCore(prefix, 0), "");
    // The same level with the plain pairing passes the level check and
    // Normal, but the Hard playback ends on targets of the wrong colour.
    c.file.pairing = {0, 1};
    ASSERT_TRUE(WriteTestFile(tmp.path() + "/data/level/level1.lvl", lvl::EncodeLevelFile(c.file)));
    const std::string why = lvl::VerifyLevelWithCore(prefix, 0);
    EXPECT_NE(why.find("Hard does not win"), std::string::npos) << why;
}

TEST(CoreLevels, HardMaskBecomesWallInTheCore)
{
    const char* masked =
        "#######\n"
        "#     #\n"
        "#@ $ .#\n"
        "#     #\n"
        "#######\n"
        "\n"
        "Hard:\n"
        "#######\n"
        "# x   #\n"
        "#     #\n"
        "#     #\n"
        "#######\n";
    ScopedTempDir tmp;
    const lvl::LevelSource src = lvl::ParseLevelSource(masked, "m.txt");
    WriteLevel(masked, 0, tmp.path());
    const int x = src.offsetX + 2, y = src.offsetY + 1;
    std::unique_ptr<Puzzle> p(new Puzzle());
    LoadLevel(*p, 0, (tmp.path() + "/").c_str());
    EXPECT_EQ(p->floorMask[y * kPlayWidth + x], 0);
    EXPECT_EQ(p->floorMask[y * kPlayWidth + x + 1], 1);
    p->difficulty = kNormal;
    StartLevelBoard(*p, 0);
    EXPECT_EQ(p->board.At(x, y), kCellFloor);
    LoadLevel(*p, 0, (tmp.path() + "/").c_str());
    p->difficulty = kHard;
    StartLevelBoard(*p, 0);
    // Not mirrored when the car still starts where the file put it.
    if (p->carX == src.offsetX + 1 && p->carY == src.offsetY + 2) {
        EXPECT_TRUE(IsWallCode(p->board.At(x, y)));
        EXPECT_EQ(p->board.At(x + 1, y), kCellFloor);
    }
    EXPECT_EQ(lvl::VerifyLevelWithCore(tmp.path() + "/", 0), "");
}

TEST(CoreLevels, VerificationCatchesAPushOfAFixedBlock)
{
    // The model compiler refuses this solution; written by hand, the core's
    // check must refuse it as well: in a closed corridor the block is fixed
    // as soon as it reaches the target and cannot be pushed on.
    const char* corridor =
        "########\n"
        "#@$ .  #\n"
        "########\n";
    ScopedTempDir tmp;
    const lvl::LevelSource src = lvl::ParseLevelSource(corridor, "c.txt");
    lvl::LevelFileData file;
    lvl::CellsFromBoard(src.board, file.cells);
    std::memcpy(file.floorMask, src.floorMask, sizeof file.floorMask);
    file.pairing = {0};
    file.solution = lvl::ActionsFromLetters("RRR");
    ASSERT_TRUE(WriteTestFile(tmp.path() + "/data/level/level1.lvl", lvl::EncodeLevelFile(file)));
    const std::string why = lvl::VerifyLevelWithCore(tmp.path() + "/", 0);
    EXPECT_EQ(why, "the level check fails: bloque au niveau 0, position 2");
    // The model compiler names the move.
    lvl::LevelSource withRoute = src;
    withRoute.hasSolution = true;
    withRoute.solution = "RRR";
    withRoute.solutionLines = {9, 9, 9};
    try {
        lvl::CompileLevel(withRoute, lvl::CompileOptions());
        ADD_FAILURE() << "the compiler accepted a push of a fixed block";
    } catch (const lvl::LevelError& e) {
        EXPECT_EQ(e.line, 9);
        EXPECT_NE(e.message.find("move 3"), std::string::npos) << e.message;
        EXPECT_NE(e.message.find("fixed"), std::string::npos) << e.message;
    }
}

TEST(CoreLevels, EveryShippedLevelPassesTheCoreVerification)
{
    const std::string prefix = RunDir() + "/";
    EXPECT_EQ(CheckAllLevels(prefix.c_str(), kShippedLevels), 1);
    for (int i = 0; i < kShippedLevels; ++i) EXPECT_EQ(lvl::VerifyLevelWithCore(prefix, i), "") << "level " << i + 1;
}
