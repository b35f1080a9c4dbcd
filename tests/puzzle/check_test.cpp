// The developer's level check and its command-line tool.
#include "app/base/exception.h"
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace {

const char* const kCorridor = "// @$   .";

void WriteSolved(int index, const char* level, std::vector<uint8_t> solution)
{
    LevelFileData d = LevelFromText(Rows(level));
    d.solution = std::move(solution);
    WriteLevel(index, d);
}

// The check's message for a level, or "" when it passes.
std::string Check(const char* level, std::vector<uint8_t> solution, int index = 0)
{
    WriteSolved(index, level, std::move(solution));
    try {
        CheckLevel(index, "");
    } catch (const Exception& e) {
        return e.message + (e.function == "checkAllLevel" && e.file == "pelmo" ? "" : " (from elsewhere)");
    }
    return "";
}

TEST(LevelCheck, PassesGoodSolutionsAndNamesEachFault)
{
    ScopedTempDir dir;
    const std::string blocked = "bloque au niveau 0, position ",
                      unfinished = "Le niveau 0 n'est pas terminÈ apres la resolution ";
    const struct {
        const char* level;
        std::vector<uint8_t> solution;
        std::string message;
    } cases[] = {
        {kCorridor, {6, 6, 6, 6}, ""},
        {kCorridor, {1, 2, 6, 6, 6, 6}, ""},           // back over the car start
        {kCorridor, {6, 6, 6, 6, 0, 30, 20}, ""},      // codes that do nothing
        {kCorridor, {6, 10, 6, 6, 6, 6}, ""},          // a push taken back
        {kCorridor, {6, 4, 10, 6, 6, 6, 6}, ""},       // the car goes back to where it pushed from
        {kCorridor, {10, 6, 6, 6, 6}, ""},             // nothing to take back
        {"// @ .$", {2, 2, 1, 4, 2, 2, 2, 3, 5}, ""},  // the car crosses a target
        {"/   $/ @$. .", {6, 6, 6, 3, 3, 1, 8}, ""},   // a block crosses a target another fills later
        {"/ #/ @$   .", {3}, blocked + "0"},
        {kCorridor, {6, 2}, blocked + "1"},  // a step into a block
        {kCorridor, {5}, blocked + "0"},     // a push without a block
        {"// @$$  .", {6}, blocked + "0"},
        {"// @$  S.", {6, 6, 6}, blocked + "2"},     // a special block is a wall
        {" @$.  ///     .", {6, 6}, blocked + "1"},  // a block fixed in row 0 cannot be pushed on
        {"/   #/ @$ #//    .", {6}, "bloc perdu au niveau 0, position 0"},
        {kCorridor, {6, 6, 6, 6, 10}, unfinished + "(0 / 1)"},  // the last undo took the win back
        {"// @$  . .", {6, 6, 6}, unfinished + "(1 / 2)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Check(c.level, c.solution), c.message) << c.level << " " << c.solution.size();
    EXPECT_EQ(Check(kCorridor, {6}, 3), "Le niveau 3 n'est pas terminÈ apres la resolution (0 / 1)");
    // Every level in turn, stopping at the first fault; load failures pass through.
    auto checkAll = [](int count) {
        std::string result = "passed";
        CaptureStderr([&] {
            try {
                CheckAllLevels("", count);
            } catch (const Exception& e) {
                result = e.message + "|" + e.function;
            }
        });
        return result;
    };
    WriteSolved(0, kCorridor, {6, 6, 6, 6});
    WriteSolved(1, "//  @$  .", {6, 6, 6});
    WriteSolved(2, kCorridor, {6, 6, 6, 6});
    EXPECT_EQ(checkAll(3), "passed");
    EXPECT_EQ(checkAll(5), "Le niveau 3 n'est pas terminÈ apres la resolution (0 / 1)|checkAllLevel");
    WriteSolved(3, kCorridor, {6, 6, 6, 6});
    EXPECT_EQ(checkAll(5), "Level file not found : data/level/level5.lvl|LoadLevel");
}

std::string RunTool(const std::string& args)
{
    FILE* f = popen((std::string(LEVELCHECK_PATH) + " " + args + " 2>/dev/null").c_str(), "r");
    std::string out;
    char buf[256];
    while (f && std::fgets(buf, sizeof buf, f))
        out += buf;
    const int st = f ? pclose(f) : -1;
    return out + "status " + std::to_string(WIFEXITED(st) ? WEXITSTATUS(st) : -1);
}

TEST(LevelCheckTool, PrintsEveryLevelAndFailsOnAFault)
{
    ScopedTempDir dir;
    LevelFileData d = LevelFromText(Rows(kCorridor));
    d.solution = {6, 6, 6, 6};
    WriteTestFile("game/data/level/level1.lvl", EncodeLevelFile(d));
    EXPECT_EQ(RunTool("game"), "level 1: ok\nstatus 0");
    d.solution = {6, 2};
    WriteTestFile("game/data/level/level2.lvl", EncodeLevelFile(d));
    WriteTestFile("game/data/level/level3.lvl", "LVL");
    EXPECT_EQ(RunTool("game/"), "level 1: ok\nlevel 2: bloque au niveau 1, position 1\n"
                                "level 3: bad level format : game/data/level/level3.lvl\nstatus 1");
    const std::string nowhere = RunTool("nowhere");
    EXPECT_EQ(nowhere.substr(nowhere.size() - 8), "status 1");
    EXPECT_EQ(RunTool(""), "status 2");
}

}  // namespace
