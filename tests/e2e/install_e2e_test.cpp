// The game as a player installs it: `cmake --install` into a prefix of the
// test's own, the installed binary started from another directory with a
// home of its own, a level won, and everything it wrote found per user and
// nothing of the prefix changed. The desktop entry and the metainfo pass
// the desktop's own validators.
#include "gamedriver.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

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

TEST_F(Installed, PlaysFromAnyDirectoryAndKeepsEverythingItWritesPerUser)
{
    const auto before = Snapshot(prefix);
    fs::create_directories("home");
    fs::create_directories("elsewhere");
    fs::current_path("elsewhere");
    const std::string user = dir.path() + "/xdg/pondrake/";
    {
        Game game("-windowed", "dummy", binary,
                  {{"HOME", dir.path() + "/home"}, {"XDG_DATA_HOME", dir.path() + "/xdg"}});
        ReachMenus(game, user + "log.txt");
        game.Key("Return");  // Game
        game.Key("Return");  // Play
        std::this_thread::sleep_for(1s);
        game.Key("space");
        std::this_thread::sleep_for(500ms);
        // Level 1's stored solution.
        for (int i = 0; i < 3; ++i)
            game.Step("Right");
        std::this_thread::sleep_for(800ms);
        game.Key("Return", 1000ms);  // the record, under the name shown
        game.Key("space", 500ms);    // level 2 is played
        game.Key("Escape", 500ms);   // the in-game menu
        game.Key("Up", 150ms);       // Quit (to the records)
        game.Key("Return", 1500ms);
        game.Key("Escape", 800ms);  // the menus
        game.Key("Up", 150ms);      // Quit
        game.Key("Return", 200ms);
        int status = -1;
        ASSERT_TRUE(game.WaitExit(20s, status));
        EXPECT_EQ(status, 0);
    }
    const std::string progress = ReadTestFile(user + "level/leveldata.dat");
    ASSERT_GE(progress.size(), 1u);
    EXPECT_EQ(progress[0], 1) << "level 1 is done";
    const std::string scores = ReadTestFile(user + "score.vro");
    ASSERT_GE(scores.size(), 24u);
    EXPECT_EQ(scores.substr(0, 6), "noname");
    EXPECT_NE(ReadTestFile(user + "game.ini").find("Width="), std::string::npos);
    EXPECT_EQ(ReadTestLines(user + "log.txt").back(), "End.");
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
