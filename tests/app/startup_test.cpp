// The error report around the game, the command line, and the real binary
// started in an empty game directory.
#include "app/base/exception.h"
#include "app/base/log.h"
#include "app/startup.h"
#include "state/gamestate.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <sys/wait.h>

namespace {

TEST(ErrorReport, AnExceptionShowsFourLinesAnythingElseOneAndTheLogEndsEitherWay)
{
    ScopedTempDir dir;
    const struct {
        int (*run)(int, char**);
        int status;
        const char* said;
        std::vector<std::string> log;
    } cases[] = {
        {[](int, char**) -> int {
             WriteLog("Pondrake logfile.");
             WriteLog("");
             throw Exception("out of memory", "InitPelmo", "pelmo", 123);
         },
         1,
         "out of memory\nFile : pelmo\nFunction : InitPelmo\nLine : 123\n",
         {"Pondrake logfile.", "", "End."}},
        {[](int, char**) -> int {
             WriteLog("first");
             throw std::runtime_error("boom");
         },
         1,
         "Unknown Exception\n",
         {"first", "End."}},
        {[](int, char**) { return WriteLog("only"), 0; }, 0, "", {"only", "End."}},
    };
    for (const auto& c : cases) {
        ResetLog();
        int status = -1;
        EXPECT_EQ(CaptureStderr([&] { status = RunWithErrorReport(c.run, 0, nullptr); }), c.said);
        EXPECT_EQ(status, c.status);  // a fatal error is no success
        EXPECT_EQ(ReadTestLines("log.txt"), c.log);
    }
    ResetLog();
    WriteTestFile("log.txt/blocker", "");  // a log that cannot be opened: the line is dropped, nothing breaks
    EXPECT_EQ(CaptureStderr([] { WriteLog("lost"); }), "");
}

TEST(CommandLine, OnlyAnExactFirstArgumentCounts)
{
    const std::pair<std::vector<const char*>, int> cases[] = {
        {{"pondrake"}, 0},
        {{"pondrake", "-windowed"}, 1},
        {{"pondrake", "-windowed", "extra"}, 1},
        {{"pondrake", "x", "-windowed"}, 0},
        {{"pondrake", "-WINDOWED"}, 0},
        {{"pondrake", "-windowed2"}, 0},
    };
    for (auto c : cases) {
        gameState.windowed = 0;
        ParseCommandLine(static_cast<int>(c.first.size()), const_cast<char**>(c.first.data()));
        EXPECT_EQ(gameState.windowed, c.second) << c.first.size();
    }
}

int RunGame()
{
    const int rc =
        std::system(("PONDRAKE_NO_ERROR_BOX=1 '" + RunDir() + "/pondrake' -windowed >stdout.txt 2>stderr.txt").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Without its data the game stops at its first missing file: the error
// report, "End.", a failure status, and nothing of the orderly shutdown;
// the directories and the settings are made by then, and a second run
// replaces the log.
TEST(Binary, AFirstRunMakesItsDirectoriesAndSettingsAndAMissingLanguageFileEndsThroughTheErrorReport)
{
    ScopedTempDir dir;
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(RunGame(), 1);
        EXPECT_TRUE(std::regex_match(ReadTestFile("stderr.txt"),
                                     std::regex("Langage File data/text_en.txt not found\nFile : texte\nFunction : "
                                                "LoadTextFile\nLine : [0-9]+\n")))
            << ReadTestFile("stderr.txt");
        EXPECT_EQ(ReadTestLines("log.txt"),
                  (std::vector<std::string>{"Pondrake logfile.", "", "Init FreeType", "Create game directory",
                                            "Init SDL", "Init Game :", "Find themes", "Load config file", "End."}));
        for (const char* made : {"save", "level", "capture", "game.ini"})
            EXPECT_TRUE(TestFileExists(made)) << made;
    }
}

}  // namespace
