// The developer's level check and its command-line tool.
#include "puzzledriver.h"

#include "app/base/exception.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace {

const std::vector<std::string> kCorridor = {"", "", " @$   ."};

void WriteSolved(int index, const std::vector<std::string>& rows, std::vector<uint8_t> solution)
{
    LevelFileData d = LevelFromText(rows);
    d.solution = std::move(solution);
    WriteLevel(index, d);
}

// The check's message for a level, or "" when it passes.
std::string Check(const std::vector<std::string>& rows, std::vector<uint8_t> solution, int index = 0)
{
    WriteSolved(index, rows, std::move(solution));
    try {
        CheckLevel(index, "");
    } catch (const Exception& e) {
        EXPECT_EQ(e.function, "checkAllLevel");
        EXPECT_EQ(e.file, "pelmo");
        return e.message;
    }
    return "";
}

TEST(LevelCheck, PassesAGoodSolutionAndNamesTheThreeFaults)
{
    ScopedTempDir dir;
    EXPECT_EQ(Check(kCorridor, {6, 6, 6, 6}), "");
    EXPECT_EQ(Check(kCorridor, {1, 2, 6, 6, 6, 6}), "");  // back over the car start
    EXPECT_EQ(Check(kCorridor, {6, 6, 6, 6, 0, 30, 20}), "");  // codes that do nothing

    EXPECT_EQ(Check({"", " #", " @$   ."}, {3}), "bloque au niveau 0, position 0");
    EXPECT_EQ(Check(kCorridor, {6, 2}), "bloque au niveau 0, position 1");  // a step into a block
    EXPECT_EQ(Check(kCorridor, {5}), "bloque au niveau 0, position 0");     // a push without a block
    EXPECT_EQ(Check({"", "", " @$$  ."}, {6}), "bloque au niveau 0, position 0");
    EXPECT_EQ(Check({"", "", " @$  S."}, {6, 6, 6}), "bloque au niveau 0, position 2");  // special = wall
    EXPECT_EQ(Check({"", "   #", " @$ #", "", "    ."}, {6}), "bloc perdu au niveau 0, position 0");
    EXPECT_EQ(Check(kCorridor, {6}, 3), "Le niveau 3 n'est pas terminÈ apres la resolution (0 / 1)");
}

TEST(LevelCheck, UndoIsPlayedAsTheGamePlaysIt)
{
    ScopedTempDir dir;
    // A solution that takes a push back and then solves the level passes.
    EXPECT_EQ(Check(kCorridor, {6, 10, 6, 6, 6, 6}), "");
    // The car goes back to where it stood before the push.
    EXPECT_EQ(Check(kCorridor, {6, 4, 10, 6, 6, 6, 6}), "");
    // With nothing to take back an undo does nothing.
    EXPECT_EQ(Check(kCorridor, {10, 6, 6, 6, 6}), "");
    // A solution whose last undo takes back the winning push does not pass.
    EXPECT_EQ(Check(kCorridor, {6, 6, 6, 6, 10}), "Le niveau 0 n'est pas terminÈ apres la resolution (0 / 1)");
}

TEST(LevelCheck, AFixedBlockCannotBePushedAndEveryTargetMustBeFilled)
{
    ScopedTempDir dir;
    // A block on a target in row 0 is fixed at once: the game refuses the
    // second push, so the check does too.
    EXPECT_EQ(Check({" @$.  ", "", "", "     ."}, {6, 6}), "bloque au niveau 0, position 1");
    // One block for two targets can never win.
    EXPECT_EQ(Check({"", "", " @$  . ."}, {6, 6, 6}), "Le niveau 0 n'est pas terminÈ apres la resolution (1 / 2)");
}

TEST(LevelCheck, AllLevelsInTurnAndLoadFailuresPassThrough)
{
    ScopedTempDir dir;
    WriteSolved(0, kCorridor, {6, 6, 6, 6});
    WriteSolved(1, {"", "", "  @$  ."}, {6, 6, 6});
    EXPECT_EQ(CheckAllLevels("", 2), 1);
    WriteSolved(2, kCorridor, {6});
    try {
        CheckAllLevels("", 3);
        FAIL() << "level 3 should fail";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message, "Le niveau 2 n'est pas terminÈ apres la resolution (0 / 1)");
    }
    WriteSolved(2, kCorridor, {6, 6, 6, 6});
    try {
        CaptureStderr([] { CheckAllLevels("", 4); });
        FAIL() << "level 4 does not exist";
    } catch (const Exception& e) {
        EXPECT_EQ(e.function, "LoadLevel");
    }
}

struct ToolRun {
    std::string out;
    int status = -1;
};

ToolRun RunTool(const std::string& args)
{
    ToolRun r;
    FILE* f = popen((std::string(LEVELCHECK_PATH) + " " + args + " 2>/dev/null").c_str(), "r");
    if (!f) return r;
    char buf[256];
    while (std::fgets(buf, sizeof buf, f)) r.out += buf;
    const int st = pclose(f);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

TEST(LevelCheckTool, PrintsEveryLevelAndFailsOnAFault)
{
    ScopedTempDir dir;
    MakeDirectory("game");
    MakeDirectory("game/data");
    MakeDirectory("game/data/level");
    LevelFileData d = LevelFromText(kCorridor);
    d.solution = {6, 6, 6, 6};
    WriteTestFile("game/data/level/level1.lvl", EncodeLevelFile(d));
    ToolRun r = RunTool("game");
    EXPECT_EQ(r.out, "level 1: ok\n");
    EXPECT_EQ(r.status, 0);

    d.solution = {6, 2};
    WriteTestFile("game/data/level/level2.lvl", EncodeLevelFile(d));
    WriteTestFile("game/data/level/level3.lvl", "LVL");
    r = RunTool("game/");
    EXPECT_EQ(r.out,
              "level 1: ok\n"
              "level 2: bloque au niveau 1, position 1\n"
              "level 3: bad level format : game/data/level/level3.lvl\n");
    EXPECT_EQ(r.status, 1);

    EXPECT_EQ(RunTool("nowhere").status, 1);
    EXPECT_EQ(RunTool("").status, 2);
}

}  // namespace
