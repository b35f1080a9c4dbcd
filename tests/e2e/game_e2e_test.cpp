// The real game, started in an empty game directory under the test's X
// server and driven with real key and mouse events (xdotool), checked from
// the files it writes, its log and screenshots of its window.
#include "gamedriver.h"
#include "persist/score.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(GameEndToEnd, APlayersSessionFromFirstStartToQuit)
{
    ScopedTempDir dir;
    fs::create_directory_symlink(RunDir() + "/data", "data");
    // A slow car makes one held key one step, whatever the frame rate.
    WriteTestFile("game.ini", "[Game]\nSpeed=25\nReflect=1\n");

    Game game;
    ReachMenus(game);
    EXPECT_TRUE(fs::is_directory("save"));
    EXPECT_TRUE(fs::is_directory("capture"));
    EXPECT_EQ(ReadTestFile("score.vro").size(), size_t(kScoreFileBytes));
    game.Picture("main_menu_en");

    // New game: level 1's start screen, then play.
    game.Key("Return");  // Game
    game.Key("Return");  // Play
    std::this_thread::sleep_for(1s);
    game.Picture("level1_start");
    game.Key("space");
    std::this_thread::sleep_for(500ms);

    // Level 1's stored solution typed as keys wins it.
    for (char c : std::string("RRR"))
        game.Step(c == 'R' ? "Right" : c == 'L' ? "Left" : c == 'U' ? "Up" : "Down");
    std::this_thread::sleep_for(800ms);
    game.Picture("level1_won");

    // The record holder's name: "noname" erased, "Tester" typed.
    for (int i = 0; i < 6; ++i)
        game.Key("BackSpace", 150ms);
    game.Type("Tester");
    game.Key("Return", 1000ms);
    std::string scores = ReadTestFile("score.vro");
    ASSERT_EQ(scores.size(), size_t(kScoreFileBytes));
    EXPECT_EQ(std::string(scores.c_str(), 6), "Tester");
    int32_t moves = 0;
    std::memcpy(&moves, scores.data() + 20, 4);
    EXPECT_EQ(moves, 3);
    std::string progress = ReadTestFile("level/leveldata.dat");
    ASSERT_EQ(progress.size(), size_t(kLevelCount));
    EXPECT_EQ(progress[0], 1);

    // Level 2 is played; the in-game menu's Quit shows the records.
    game.Key("space", 500ms);
    game.Key("Escape", 500ms);
    game.Picture("ingame_menu");
    game.Key("Up", 150ms);  // from Continue round to Quit
    game.Key("Return", 1500ms);
    game.Picture("high_scores");
    game.Key("Escape", 800ms);

    // The resolution: the next mode, applied on Back; the game goes on in a
    // window made again.
    game.Key("Down", 150ms);  // Options
    game.Key("Return", 500ms);
    game.Key("Down", 150ms);
    game.Key("Right", 150ms);
    game.Key("Up", 150ms);
    game.Key("Up", 150ms);  // round to Back
    game.Key("Return", 3000ms);
    EXPECT_TRUE(LogHas("Resolution changed."));
    EXPECT_TRUE(game.Running());
    ASSERT_TRUE(game.FindWindow());
    game.MouseAway();
    std::this_thread::sleep_for(500ms);
    game.Picture("main_menu_after_resolution");
    EXPECT_NE(ReadTestFile("game.ini").find("Width=1152"), std::string::npos);

    // Quit from the main menu: the fade, then an orderly shutdown. The new
    // window may report the pointer anywhere over the menu, which makes that
    // item current, so the pointer goes onto "Quit" itself.
    game.MouseAt(0.70, 0.697);
    game.Key("Return", 200ms);
    int status = -1;
    ASSERT_TRUE(game.WaitExit(20s, status));
    EXPECT_EQ(status, 0);
    std::vector<std::string> log = ReadTestLines("log.txt");
    const std::vector<std::string> tail = {"Free level codes",   "Free Game :",
                                           "Free joystick",      "Free Resolution list",
                                           "Free Fonts",         "Free scores",
                                           "Free stack",         "Free level",
                                           "Free theme",         "Free game objects and textures",
                                           "Free menu objects",  "Free sounds",
                                           "Free menu textures", "Free menu",
                                           "Free glutil",        "Free SDL",
                                           "Free FreeType",      "End."};
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(tail.size()), log.end()), tail);

    // The start-up, step by step (the fonts' own lines aside).
    std::vector<std::string> startup;
    for (const std::string& l : log) {
        if (l.rfind("Loading font", 0) == 0 || l.rfind(":Loading font", 0) == 0 || l == "close font" ||
            l == "delete buffer" || l == "Load font end.")
            continue;
        startup.push_back(l);
        if (l == "Start game...")
            break;
    }
    const std::vector<std::string> expected = {"Pondrake logfile.",  "",
                                               "Init FreeType",      "Create game directory",
                                               "Init SDL",           "Init Game :",
                                               "Find themes",        "Load config file",
                                               "Init stack",         "Init scores",
                                               "list video modes",   "current resolution = 1280x1024",
                                               "Init video mode",    "Init fonts",
                                               "VRO Logo",           "Init menu",
                                               "Init menu textures", "Load 3D objects and textures",
                                               "Init menu objects",  "Load other textures",
                                               "Init sound",         "Play music",
                                               "Init joystick",      "Load level and codes",
                                               "Start game..."};
    EXPECT_EQ(startup, expected);
}

}  // namespace
