// The game as a player installs it: `cmake --install` into a prefix of the
// test's own, the installed binary started from another directory with a
// home of its own under the test's X server, driven with real key and mouse
// events (xdotool) and checked from the files it writes, its log and
// screenshots of its window; everything it wrote is found per user and
// nothing of the prefix changed. The desktop entry and the metainfo pass the
// desktop's own validators.
#include "app/base/exception.h"
#include "gamedriver.h"
#include "persist/score.h"
#include "puzzle/tableau.h"
#include "scene/camera.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

// The middle of the pixels of a w × h window that the default camera shows
// cell (x, y) under.
bool CellPixel(int x, int y, int w, int h, int& px, int& py)
{
    long sx = 0, sy = 0, n = 0;
    for (int j = 0; j < h; j += 4)
        for (int i = 0; i < w; i += 4) {
            int cx, cy;
            if (CellUnderPointer(DefaultCamera(0), 0, CarPlace{}, i, j, w, h, 45, cx, cy) && cx == x && cy == y)
                sx += i, sy += j, ++n;
        }
    if (n == 0)
        return false;
    px = int(sx / n), py = int(sy / n);
    return true;
}

// Every file below dir with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            files[e.path().string()] = ReadTestFile(e.path().string());
    return files;
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override
    {
        prefix = dir.path() + "/prefix";
        const std::string out = Shell("'" PONDRAKE_CMAKE "' --install '" PONDRAKE_BUILD_DIR "' --prefix '" + prefix +
                                      "' >/dev/null 2>&1 && echo ok");
        ASSERT_EQ(out, "ok") << "cmake --install failed";
        binary = prefix + "/games/pondrake";
        ASSERT_TRUE(fs::exists(binary));
    }

    ScopedTempDir dir;
    std::string prefix, binary;
};

// A player's session with the installed game, started from another directory:
// level 1 won by mouse clicks alone and the record holder's name typed, the
// records, a change of resolution, the quit; the log tells the start-up and
// the shutdown step by step.
TEST_F(Installed, APlayersSessionFromAnyDirectoryKeepsEverythingItWritesPerUser)
{
    const auto before = Snapshot(prefix);
    std::string bytes, why;
    LevelFileData level;
    ASSERT_TRUE(ReadLevelFileBytes((prefix + "/share/games/pondrake/").c_str(), 0, bytes) &&
                DecodeLevelFile(bytes, level, why))
        << why;
    int car = -1, block = -1, target = -1;
    for (int i = 0; i < kCellCount; ++i) {
        const int c = level.cells[i];
        car = c == kCellCarStart ? i : car;
        block = IsBlockCode(c) ? i : block;
        target = c == kCellTarget ? i : target;
    }
    // Level 1 lines them up in one row: the car drives beside the block, then
    // a click on the target pushes the block there.
    ASSERT_TRUE(car / kPlayWidth == block / kPlayWidth && block / kPlayWidth == target / kPlayWidth);
    const int side = block < target ? -1 : 1;
    fs::create_directories("home");
    fs::create_directories("elsewhere");
    fs::current_path("elsewhere");
    const std::string user = dir.path() + "/xdg/pondrake/", log = user + "log.txt";
    WriteTestFile(user + "game.ini", "[Game]\nSpeed=25\nReflect=1\n");  // a slow car, at the first run's size
    {
        Game game("-windowed", "dummy", binary,
                  {{"HOME", dir.path() + "/home"}, {"XDG_DATA_HOME", dir.path() + "/xdg"}});
        ReachMenus(game, log);
        EXPECT_EQ(ReadTestFile(user + "score.vro").size(), size_t(kScoreFileBytes));
        game.Picture("main_menu_en");
        game.Key("Return");  // Game
        game.Key("Return");  // Play
        std::this_thread::sleep_for(1s);
        game.Picture("level1_start");
        game.Key("space");
        std::this_thread::sleep_for(800ms);
        const std::string window = Shell("xdotool search --onlyvisible --name '^Pondrake$' 2>/dev/null | head -1");
        for (int cell : {block + side, target}) {
            if (cell == car)
                continue;
            int px, py;
            ASSERT_TRUE(CellPixel(cell % kPlayWidth, cell / kPlayWidth, 1024, 768, px, py));
            Shell(FormatText("xdotool mousemove --window %s %d %d click 1", window.c_str(), px, py));
            std::this_thread::sleep_for(3s);
        }
        game.Picture("level1_won");
        game.MouseAway();  // off the menu items, so the keys drive them

        // The record holder's name: "noname" erased, "Tester" typed.
        for (int i = 0; i < 6; ++i)
            game.Key("BackSpace", 150ms);
        game.Type("Tester");
        game.Key("Return", 1000ms);
        const std::string scores = ReadTestFile(user + "score.vro");
        ASSERT_EQ(scores.size(), size_t(kScoreFileBytes));
        EXPECT_EQ(std::string(scores.c_str(), 6), "Tester");
        int32_t moves = 0;
        std::memcpy(&moves, scores.data() + 20, 4);
        EXPECT_EQ(moves, std::abs(target - block) + std::abs(block + side - car)) << "every step counted, none more";
        const std::string progress = ReadTestFile(user + "level/leveldata.dat");
        ASSERT_EQ(progress.size(), size_t(kLevelCount));
        EXPECT_EQ(progress[0], 1) << "level 1 is done";

        // Level 2 is played; the in-game menu's Quit shows the records.
        game.Key("space", 500ms);
        game.Key("Escape", 500ms);
        game.Picture("ingame_menu");
        game.Key("Up", 150ms);  // from Continue round to Quit
        game.Key("Return", 1500ms);
        game.Picture("high_scores");
        game.Key("Escape", 800ms);

        // The resolution: the next mode, applied on Back; the game goes on in
        // a window made again.
        game.Key("Down", 150ms);  // Options
        game.Key("Return", 500ms);
        game.Key("Down", 150ms);
        game.Key("Right", 150ms);
        game.Key("Up", 150ms);
        game.Key("Up", 150ms);  // round to Back
        game.Key("Return", 3000ms);
        EXPECT_TRUE(LogHas("Resolution changed.", log));
        EXPECT_TRUE(game.Running());
        ASSERT_TRUE(game.FindWindow());
        game.MouseAway();
        std::this_thread::sleep_for(500ms);
        game.Picture("main_menu_after_resolution");
        EXPECT_NE(ReadTestFile(user + "game.ini").find("Width=1152"), std::string::npos);

        // Quit from the main menu: the fade, then an orderly shutdown. The
        // new window may report the pointer anywhere over the menu, which
        // makes that item current, so the pointer goes onto "Quit" itself.
        game.MouseAt(0.70, 0.697);
        game.Key("Return", 200ms);
        int status = -1;
        ASSERT_TRUE(game.WaitExit(20s, status));
        EXPECT_EQ(status, 0);
    }
    const std::vector<std::string> lines = ReadTestLines(log);
    const std::vector<std::string> tail = {"Free level codes",   "Free Game :",
                                           "Free joystick",      "Free Resolution list",
                                           "Free Fonts",         "Free scores",
                                           "Free stack",         "Free level",
                                           "Free theme",         "Free game objects and textures",
                                           "Free menu objects",  "Free sounds",
                                           "Free menu textures", "Free menu",
                                           "Free glutil",        "Free SDL",
                                           "Free FreeType",      "End."};
    ASSERT_GE(lines.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(tail.size()), lines.end()), tail);

    // The start-up, step by step (the fonts' own lines aside).
    std::vector<std::string> startup;
    for (const std::string& l : lines) {
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
    EXPECT_TRUE(fs::is_directory(user + "save"));
    EXPECT_TRUE(fs::is_directory(user + "capture"));
    // Only the game's own output files are in the directory it started in.
    for (const auto& e : fs::directory_iterator("."))
        EXPECT_TRUE(e.path().filename() == "stdout.txt" || e.path().filename() == "stderr.txt") << e.path();
    EXPECT_TRUE(before == Snapshot(prefix)) << "the installed tree changed";
}

TEST_F(Installed, TheCommandLineTellsItsUsageAndVersionAndRefusesTheUnknown)
{
    const std::string env = "HOME='" + dir.path() + "/home' XDG_DATA_HOME='" + dir.path() + "/xdg' ";
    const std::string help = Shell(env + "'" + binary + "' --help; echo \"status $?\"");
    EXPECT_NE(help.find("Usage: pondrake [-windowed]"), std::string::npos) << help;
    EXPECT_NE(help.find("Your files: " + dir.path() + "/xdg/pondrake/"), std::string::npos) << help;
    EXPECT_NE(help.find("Data (read only): " + prefix + "/share/games/pondrake/data/"), std::string::npos) << help;
    EXPECT_NE(help.find("status 0"), std::string::npos);
    EXPECT_EQ(Shell("'" + binary + "' --version"), "pondrake " PONDRAKE_VERSION);
    EXPECT_EQ(Shell("'" + binary + "' -fullscreen 2>&1; echo \"status $?\""),
              "pondrake: unknown option '-fullscreen' (see pondrake --help)\nstatus 2");
    EXPECT_FALSE(fs::exists(dir.path() + "/xdg")) << "asking for help writes nothing";
}

TEST_F(Installed, TheDesktopEntryAndTheMetainfoValidate)
{
    const std::string entry = prefix + "/share/applications/pondrake.desktop";
    EXPECT_EQ(Shell("desktop-file-validate '" + entry + "' 2>&1; echo \"status $?\""), "status 0");
    const std::string metainfo = prefix + "/share/metainfo/org.pondrake.Pondrake.metainfo.xml";
    const std::string out = Shell("appstreamcli validate --no-net '" + metainfo + "' 2>&1; echo \"status $?\"");
    EXPECT_NE(out.find("status 0"), std::string::npos) << out;
    for (const char* size : {"16x16", "32x32", "48x48", "256x256"})
        EXPECT_TRUE(fs::exists(prefix + "/share/icons/hicolor/" + size + "/apps/pondrake.png")) << size;
    // The manual names every way to play: the redo key and the mouse too.
    const std::string page = Shell("zcat '" + prefix + "/share/man/man6/pondrake.6.gz'");
    for (const char* entry : {".B Space, Backspace\n", ".B R\n", ".B mouse click\n", ".B mouse drag, wheel\n"})
        EXPECT_NE(page.find(entry), std::string::npos) << entry;
}

}  // namespace
