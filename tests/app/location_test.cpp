// Where the game runs: beside its data as the build lays it out, or
// installed, with the player's files in the XDG data directory.
#include "app/location.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace {

namespace fs = std::filesystem;

TEST(GameLocation, InstalledTreesAreFoundFromTheBinarysOwnPath)
{
    ScopedTempDir dir;
    fs::create_directories("usr/share/games/pondrake/data");
    fs::create_directories("build/game/data");
    const std::string root = dir.path() + "/";
    struct Case {
        const char *exe, *xdg, *home;
        bool installed;
        std::string userDir;
    } cases[] = {
        {"usr/games/pondrake", "/x/data", "/h", true, "/x/data/pondrake/"},
        {"usr/bin/pondrake", "/x/data/", "/h", true, "/x/data/pondrake/"},
        {"usr/games/pondrake", nullptr, "/h", true, "/h/.local/share/pondrake/"},
        {"usr/games/pondrake", "", "/h/", true, "/h/.local/share/pondrake/"},
        {"usr/games/pondrake", "relative/dir", "/h", true, "/h/.local/share/pondrake/"},
        // The build's game directory: the game runs as it always has.
        {"build/game/pondrake", "/x/data", "/h", false, ""},
        {"", "/x/data", "/h", false, ""},
    };
    for (const Case& c : cases) {
        const std::string exe = *c.exe ? root + c.exe : "";
        const GameLocation where = FindGameLocation(exe, c.xdg, c.home);
        EXPECT_EQ(std::tie(where.installed, where.userDir, where.dataPrefix),
                  std::make_tuple(c.installed, c.userDir, c.installed ? root + "usr/share/games/pondrake/" : ""))
            << c.exe;
    }
}

TEST(GameLocation, TheUserDirectoryIsMadeWithItsParentsOrRefusedWithWhy)
{
    ScopedTempDir dir;
    GameLocation where;
    where.installed = true;
    where.userDir = dir.path() + "/a/b/pondrake/";
    std::string why;
    ASSERT_TRUE(EnterUserDir(where, why)) << why;
    EXPECT_EQ(fs::current_path(), fs::path(dir.path() + "/a/b/pondrake"));
    fs::current_path(dir.path());
    WriteTestFile("file", "x");
    where.userDir = dir.path() + "/file/pondrake/";
    EXPECT_FALSE(EnterUserDir(where, why));
    EXPECT_NE(why.find(dir.path() + "/file"), std::string::npos) << why;
}

TEST(GameLocation, TheCommandLineKnowsItsThreeOptionsAndNamesTheFirstUnknown)
{
    struct Case {
        std::vector<const char*> args;
        bool windowed, help, version;
        std::string unknown;
    } cases[] = {
        {{"pondrake"}, false, false, false, ""},
        {{"pondrake", "-windowed"}, true, false, false, ""},
        {{"pondrake", "--help"}, false, true, false, ""},
        {{"pondrake", "-h", "-windowed"}, false, true, false, "-windowed"},
        {{"pondrake", "-windowed", "-h"}, true, true, false, ""},
        {{"pondrake", "--version"}, false, false, true, ""},
        {{"pondrake", "-window", "--bad"}, false, false, false, "-window"},
        {{"pondrake", "-windowed", "level3"}, true, false, false, "level3"},
        {{"pondrake", "x", "-windowed"}, false, false, false, "x"},  // only as the first argument
        {{"pondrake", "-WINDOWED"}, false, false, false, "-WINDOWED"},
        {{"pondrake", "-windowed2"}, false, false, false, "-windowed2"},
    };
    for (const Case& c : cases) {
        const CommandLine line = ReadCommandLine(int(c.args.size()), const_cast<char**>(c.args.data()));
        EXPECT_EQ(std::tie(line.windowed, line.help, line.version, line.unknown),
                  std::tie(c.windowed, c.help, c.version, c.unknown))
            << c.args.size();
    }
}

}  // namespace
