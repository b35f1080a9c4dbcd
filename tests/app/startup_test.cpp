#include "app/base/exception.h"
#include "state/gamestate.h"
#include "app/base/log.h"
#include "app/startup.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <sys/wait.h>

namespace {

int ThrowsException(int, char**)
{
    WriteLog("Pondrake logfile.");
    WriteLog("");
    WriteLog("Init Game :");
    throw Exception("out of memory", "InitPelmo", "pelmo", 123);
}

int ThrowsSomethingElse(int, char**)
{
    WriteLog("first");
    throw std::runtime_error("boom");
}

int ReturnsNormally(int, char**)
{
    WriteLog("only");
    return 0;
}

TEST(ErrorReport, ExceptionShowsFourLinesAndEndsTheLog)
{
    ScopedTempDir dir;
    ResetLog();
    int status = 0;
    std::string err = CaptureStderr([&] { status = RunWithErrorReport(ThrowsException, 0, nullptr); });
    EXPECT_EQ(status, 1);  // a fatal error is not a success
    EXPECT_EQ(err, "out of memory\nFile : pelmo\nFunction : InitPelmo\nLine : 123\n");
    EXPECT_EQ(ReadTestLines("log.txt"),
              (std::vector<std::string>{"Pondrake logfile.", "", "Init Game :", "End."}));
}

TEST(ErrorReport, OtherExceptionsAndNormalReturn)
{
    ScopedTempDir dir;
    ResetLog();
    int status = 0;
    std::string err =
        CaptureStderr([&] { status = RunWithErrorReport(ThrowsSomethingElse, 0, nullptr); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "Unknown Exception\n");
    EXPECT_EQ(ReadTestLines("log.txt"), (std::vector<std::string>{"first", "End."}));

    ResetLog();
    EXPECT_EQ(RunWithErrorReport(ReturnsNormally, 0, nullptr), 0);
    EXPECT_EQ(ReadTestLines("log.txt"), (std::vector<std::string>{"only", "End."}));
}

TEST(ErrorReport, LogLineThatCannotBeWrittenIsDropped)
{
    ScopedTempDir dir;
    ResetLog();
    WriteTestFile("log.txt/blocker", "");  // log.txt is a directory: cannot be opened
    WriteLog("lost");                        // must not crash or report
    SUCCEED();
}

TEST(CommandLine, OnlyAnExactFirstArgumentCounts)
{
    struct Case {
        std::vector<const char*> args;
        int windowed;
    } cases[] = {
        {{"pondrake"}, 0},
        {{"pondrake", "-windowed"}, 1},
        {{"pondrake", "-windowed", "extra"}, 1},
        {{"pondrake", "x", "-windowed"}, 0},
        {{"pondrake", "-WINDOWED"}, 0},
        {{"pondrake", "-windowed2"}, 0},
    };
    for (auto& c : cases) {
        gameState.windowed = 0;
        ParseCommandLine(static_cast<int>(c.args.size()), const_cast<char**>(c.args.data()));
        EXPECT_EQ(gameState.windowed, c.windowed) << c.args.size();
    }
}

// The real binary, started in an empty game directory.
int RunGame(const std::string& args = "")
{
    std::string cmd = "PONDRAKE_NO_ERROR_BOX=1 '" + RunDir() + "/pondrake' " + args +
                      " >stdout.txt 2>stderr.txt";
    int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(Binary, FirstRunCreatesDirectoriesAndSettings)
{
    ScopedTempDir dir;
    RunGame("-windowed");
    EXPECT_TRUE(TestFileExists("save"));
    EXPECT_TRUE(TestFileExists("level"));
    EXPECT_TRUE(TestFileExists("capture"));
    EXPECT_TRUE(TestFileExists("game.ini"));
    std::vector<std::string> log = ReadTestLines("log.txt");
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "Pondrake logfile.");
    EXPECT_EQ(log[1], "");
    EXPECT_EQ(log.back(), "End.");
}

// Without its data the game stops at its first missing file: the error
// report, "End.", a failure status, and nothing of the orderly shutdown.
TEST(Binary, AMissingLanguageFileEndsThroughTheErrorReport)
{
    ScopedTempDir dir;
    EXPECT_EQ(RunGame("-windowed"), 1);
    EXPECT_TRUE(std::regex_match(
        ReadTestFile("stderr.txt"),
        std::regex("Langage File data/text_en.txt not found\nFile : texte\nFunction : LoadTextFile\n"
                   "Line : [0-9]+\n")))
        << ReadTestFile("stderr.txt");
    EXPECT_EQ(ReadTestLines("log.txt"),
              (std::vector<std::string>{"Pondrake logfile.", "", "Init FreeType", "Create game directory",
                                        "Init SDL", "Init Game :", "Find themes", "Load config file",
                                        "End."}));
}

TEST(Binary, SecondRunReplacesTheLog)
{
    ScopedTempDir dir;
    RunGame("-windowed");
    size_t first = ReadTestLines("log.txt").size();
    RunGame("-windowed");
    std::vector<std::string> log = ReadTestLines("log.txt");
    ASSERT_GT(first, 0u);
    ASSERT_EQ(log.size(), first);
    EXPECT_EQ(log[0], "Pondrake logfile.");
}

}  // namespace
