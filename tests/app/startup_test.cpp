// The error report around the game, and the real binary started in an
// empty game directory.
#include "app/base/exception.h"
#include "app/base/log.h"
#include "app/startup.h"
#include "state/gamestate.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
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
             EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);  // a full-screen window would hide the box
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
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    }
    ResetLog();
    WriteTestFile("log.txt/blocker", "");  // a log that cannot be opened: the line is dropped, nothing breaks
    EXPECT_EQ(CaptureStderr([] { WriteLog("lost"); }), "");
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

// A step that fails without throwing (the glyph fonts, out of memory): the
// orderly shutdown, then the report naming the step, and a failure status.
TEST(StartUp, AStepThatFailsIsNamedInTheReportAfterTheShutdown)
{
    ScopedTempDir dir;
    std::filesystem::create_directory_symlink(RunDir() + "/data", "data");
    WriteTestFile("game.ini", "[Game]\nWidth=640\nHeight=480\n");
    ResetLog();
    SetFontBuilder([](int, int, const char*) { return false; });
    const char* argv[] = {"pondrake", "-windowed"};
    int status = -1;
    EXPECT_EQ(CaptureStderr([&] { status = SDL_main(2, const_cast<char**>(argv)); }), "Start-up failed : Init fonts\n");
    SetFontBuilder(nullptr);
    EXPECT_EQ(status * 10 + gameState.windowed, 11);
    const std::vector<std::string> log = ReadTestLines("log.txt");
    const auto failed = std::find(log.begin(), log.end(), "Init fonts");
    EXPECT_TRUE(failed + 1 < log.end() && failed[1] == "Free level codes" && log.back() == "End.");
}

}  // namespace
