// The error report around the game, and the real binary started in an
// empty game directory; the window's size through the real start-up and
// loop (harness.h): the size chosen at start-up, a change of resolution
// that works, one that the display refuses, and one that leaves no window
// at all.
#include "app/base/exception.h"
#include "app/base/log.h"
#include "app/display.h"
#include "app/resolution.h"
#include "app/settings.h"
#include "app/startup.h"
#include "engine/glcontext.h"
#include "harness.h"
#include "scene/theme.h"
#include "state/gamestate.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
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

class Resolution : public GameHarness {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);  // music that can be paused
        GameHarness::SetUp();
    }
    void TearDown() override
    {
        SetModeSetter(nullptr);
        SetVideoStarter(nullptr);
        GameHarness::TearDown();
    }
};

std::vector<std::pair<uint32_t, uint32_t>> refused;

// A display that refuses some sizes, as SDL_SetVideoMode does: the old
// window is closed first.
bool RefuseSome(GLContext& window, uint32_t width, uint32_t height, int fullScreen)
{
    for (const auto& r : refused)
        if (r.first == width && r.second == height)
            return window.Close(), false;
    return window.Recreate(width, height, fullScreen);
}

TEST_F(Resolution, AChangeMidGameLaysTheMenusOutAndOffersTheNewSizeAndTheGameGoesOn)
{
    Play(1);
    Step(SDLK_LEFT);
    const Board board = g.puzzle.board;
    const int moves = g.puzzle.moves;
    ASSERT_EQ(ChangeResolution(g, 720, 540), 1);  // a size the display does not list
    EXPECT_EQ(g.settings.Width * 10000 + g.settings.Height, 7200540);
    EXPECT_TRUE(g.ScreenState == kScreenMenus && g.menus.currentMenu == &g.mainMenu);
    EXPECT_EQ(FormatText("%d %g", g.mainMenu.x, g.menus.lineStep), "504 33.75");  // laid out for the new width
    EXPECT_EQ(std::u16string(g.optionsMenu.items[1].value->text), u"720x540");
    Frames(3, 16);
    Hold(SDLK_ESCAPE);  // back to the game that was running
    ASSERT_EQ(g.ScreenState, kScreenPlay);
    Frames(5, 16);
    EXPECT_EQ(std::memcmp(&g.puzzle.board, &board, sizeof board), 0);
    EXPECT_EQ(g.puzzle.moves, moves);
    EXPECT_TRUE(CurrentTheme().loaded);
}

std::function<void()> pressReturn;

// The options menu left through "Back" with another size chosen; the game
// goes on at the size it had, or, with no window left, ends through the
// error report, and "game.ini" keeps the size that worked and the player's
// own Sound and Music values either way.
TEST_F(Resolution, ARefusedSizeIsNotStoredTheMusicGoesOnAndWithoutAnyWindowTheGameEndsThroughTheErrorReport)
{
    ASSERT_EQ(Mix_PlayingMusic(), 1);
    const std::string noWindow =
        "Couldn't initialize OpenGL\nFile : pelmo\nFunction : ChangeResolution\nLine : [0-9]+\n";
    const struct {
        int width, height;
        std::vector<std::pair<uint32_t, uint32_t>> refused;
        int status;
        std::string said;
    } cases[] = {
        {0, 0, {}, 0, "couldn't change resolution\n"},  // refused before the window closes
        {800, 600, {{800, 600}}, 0, "couldn't change resolution\n"},
        {800, 600, {{800, 600}, {640, 480}}, 1, "couldn't change resolution\n" + noWindow},
    };
    SetModeSetter(RefuseSome);
    pressReturn = [this] { Hold(SDLK_RETURN); };
    for (const auto& c : cases) {
        WriteTestFile("game.ini", gameIni);
        refused = c.refused;
        g.pendingWidth = c.width;
        g.pendingHeight = c.height;
        // As without an audio device: the player's own values are written.
        g.soundDevice = false, g.storedSound = 1, g.storedMusic = 0, g.settings.Sound = g.settings.Music = 0;
        SetCurrentMenu(g.menus, g.optionsMenu);
        PreviousMenuItem(g.optionsMenu);  // "Back"
        int status = -1;
        const std::string said = CaptureStderr(
            [&] { status = RunWithErrorReport([](int, char**) { return pressReturn(), 0; }, 0, nullptr); });
        EXPECT_TRUE(std::regex_match(said, std::regex(c.said))) << said;
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(g.settings.Width * 10000 + g.settings.Height, 6400480);
        Settings read;
        LoadGameConfig(read);
        EXPECT_EQ(FormatText("%dx%d %d %d", read.Width, read.Height, read.Sound, read.Music), "640x480 1 0");
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO) != 0, c.status == 0);
        if (c.status == 0) {
            EXPECT_EQ(Mix_PausedMusic(), 0);
            Frames(3, 16);  // still drawing
            EXPECT_EQ(g.quitRequested, 0);
        }
    }
}

int startsRefused = 0;

// Right after a previous run, the display server may not take the game
// yet: SDL starts a driver without a desktop, or none.
int StartLate()
{
    if (++startsRefused == 2)
        return -1;
    if (startsRefused == 1)
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    const int started = SDL_InitSubSystem(SDL_INIT_VIDEO);
    unsetenv("SDL_VIDEODRIVER");
    return started;
}

class LateDisplay : public Resolution {
protected:
    void SetUp() override
    {
        gameIni = "[Game]\nWidth=1024\nHeight=768\nSpeed=12\nHelp=0\n";
        SetVideoStarter(StartLate);
        Resolution::SetUp();
    }
};

TEST_F(LateDisplay, TheGameWaitsForTheDisplayAndStartsAtTheSavedSizeWithEveryModeOffered)
{
    EXPECT_GE(startsRefused, 3);  // more when the server is still resetting after the last test
    const std::vector<std::string> log = ReadTestLines("log.txt");
    const auto listed = std::find(log.begin(), log.end(), "list video modes");
    ASSERT_LT(listed + 2, log.end());
    EXPECT_TRUE(std::regex_match(listed[1] + "|" + listed[2],
                                 std::regex("current resolution = [0-9]+x[0-9]+\\|Init video mode")));
    EXPECT_EQ(g.settings.Width * 10000 + g.settings.Height, 10240768);
    EXPECT_GT(g.displayModes.size(), 2u);
}

}  // namespace
