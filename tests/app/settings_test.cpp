// The base layer's files, paths and INI files, the settings files, the
// choice of the start size; where the game runs: beside its data as the
// build lays it out, or installed, with the player's files in the XDG data
// directory; the command line.
#include "app/base/exception.h"
#include "app/base/files.h"
#include "app/base/ini.h"
#include "app/location.h"
#include "app/settings.h"
#include "app/videomode.h"
#include "fuzz.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>

namespace {

namespace fs = std::filesystem;

std::string Read(const char* section, const char* key, const char* path, size_t size = 256)
{
    std::vector<char> buf(size);
    ReadIniString(section, key, "<default>", buf.data(), buf.size(), path);
    return buf.data();
}

TEST(Ini, NamesMatchWithoutRegardToCaseBlanksAreIgnoredAndValuesCutToTheBuffer)
{
    ScopedTempDir dir;
    WriteTestFile("sub/a.ini", "[Other]\nWidth=1\n\n  [ game ]  \n  wIdTh   =  800  \r\nLang=fr\n;Height=5\nLong=" +
                                   std::string(300, 'x') + "\n");
    const std::pair<std::pair<const char*, const char*>, std::string> reads[] = {
        {{"Game", "Width"}, "800"},       {{"GAME", "lang"}, "fr"},          {{"Other", "width"}, "1"},
        {{"Path", "Width"}, "<default>"}, {{"Game", "Height"}, "<default>"}, {{"Game", "Long"}, std::string(255, 'x')}};
    for (const auto& r : reads)
        EXPECT_EQ(Read(r.first.first, r.first.second, ".\\sub\\a.ini"), r.second) << r.first.second;
    EXPECT_EQ(Read("Game", "Width", "none.ini"), "<default>");
    char tiny[4];
    EXPECT_EQ(ReadIniString("Game", "Long", "", tiny, sizeof tiny, "sub/a.ini"), 3u);
    EXPECT_STREQ(tiny, "xxx");
}

TEST(Ini, AWriteReplacesInPlaceAppendsToItsSectionKeepsEveryOtherLineAndCreatesTheFile)
{
    ScopedTempDir dir;
    WriteTestFile("a.ini", "; kept comment\n[Game]\nWidth=1\nMipMapping=0\nUnknown = keep me\n\n[Path]\nGamePath=x\n");
    ASSERT_TRUE(WriteIniString("game", "WIDTH", "800", "a.ini"));
    ASSERT_TRUE(WriteIniString("Game", "Lang", "es", "a.ini"));
    ASSERT_TRUE(WriteIniString("New", "k", "v", "a.ini"));
    EXPECT_EQ(ReadTestFile("a.ini"), "; kept comment\n[Game]\nWIDTH=800\nMipMapping=0\nUnknown = keep me\nLang=es\n\n"
                                     "[Path]\nGamePath=x\n\n[New]\nk=v\n");
    ASSERT_TRUE(WriteIniString("Game", "Width", "640", "fresh.ini"));
    EXPECT_EQ(ReadTestFile("fresh.ini"), "[Game]\nWidth=640\n");
}

// A write that cannot complete (the file-size limit stands in for a full
// disk) or whose data never reached the disk leaves the old file whole.
TEST(Files, AnAtomicWriteIsSyncedBeforeItsRenameAndAFailedOneLeavesTheOldFileWhole)
{
    ScopedTempDir dir;
    const std::string before = "[Game]\nWidth=1\n";
    WriteTestFile("a.ini", before);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old, small;
    getrlimit(RLIMIT_FSIZE, &old);
    small = old;
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = WriteIniString("Game", "Lang", std::string(100, 'x').c_str(), "a.ini");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    static std::string seen;  // at each sync: the staged file's size and the old file's content
    SetSyncFile([](int fd) {
        struct stat st;
        fstat(fd, &st);
        seen += std::to_string(st.st_size) + ":" + ReadTestFile("a.ini") + "|";
        return st.st_size == 5 ? -1 : 0;  // the second write's sync fails
    });
    EXPECT_TRUE(WriteFileAtomic("a.ini", "new", 3));
    EXPECT_FALSE(WriteFileAtomic("a.ini", "newer", 5));
    SetSyncFile(nullptr);
    EXPECT_EQ(seen, "3:" + before + "|5:new|");
    EXPECT_EQ(ReadTestFile("a.ini"), "new");
    WriteTestFile("dir.ini/inside", "");  // a rename that fails: nothing staged is left behind
    EXPECT_FALSE(WriteFileAtomic("dir.ini", "x", 1));
    EXPECT_FALSE(TestFileExists("a.ini.tmp") || TestFileExists("dir.ini.tmp"));
}

// A game.ini that cannot be read (no read permission, a FIFO) or is larger
// than one may be is read as missing, without waiting or reading it whole;
// the failure is said, and it is never written over.
TEST(Ini, AFileThatCannotBeReadIsNeverWrittenOverAndTheFailureIsSaid)
{
    ScopedTempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    WriteTestFile("edge.ini", "[Game]\nWidth=7\n" + std::string(kIniMaxBytes - 15, ';'));  // the largest that is read
    EXPECT_EQ(Read("Game", "Width", "edge.ini"), "7");
    const std::function<bool()> blockers[] = {
        [] { return WriteTestFile("game.ini", "[Game]\nWidth=9\n") && chmod("game.ini", 0200) == 0; },
        [] { return mkfifo("game.ini", 0644) == 0; },
        [] { return MakeHugeFile("game.ini", 1LL << 26); },
    };
    for (const auto& block : blockers) {
        std::remove("game.ini");
        ASSERT_TRUE(block());
        struct stat before, after;
        stat("game.ini", &before);
        EXPECT_EQ(ExitStatusWithin(
                      10,
                      [] {
                          Settings s;
                          const std::string err = CaptureStderr([&] { LoadGameConfig(s); });
                          return err == "unable to write .\\game.ini\n" && s.firstRun &&
                                 Read("Game", "Width", "game.ini") == "<default>" && !SaveGameConfig(s) &&
                                 !WriteIniString("Game", "Width", "800", "game.ini");
                      },
                      true),
                  1)
            << before.st_size;
        stat("game.ini", &after);
        EXPECT_TRUE(after.st_ino == before.st_ino && after.st_size == before.st_size &&
                    after.st_mtime == before.st_mtime && after.st_mode == before.st_mode);
    }
    EXPECT_LT(BytesReadDuring([] { Read("Game", "Width", "game.ini"); }), 2 * (long long)kIniMaxBytes);  // the huge one
}

TEST(Settings, AFirstRunWritesGameIniWithFirstRunValuesAndTheLanguageOfConfigIni)
{
    ScopedTempDir dir;
    WriteTestFile("config.ini", "[Game]\nLang=fr\n[Path]\nGamePath=.\\games\\pond\\\n");
    Settings s;
    ReadConfig(s);
    EXPECT_STREQ(s.GamePath, ".\\games\\pond\\");
    EXPECT_TRUE(fs::is_directory("games/pond"));
    LoadGameConfig(s);
    EXPECT_EQ(s.firstRun * 10 + s.Reflect * 5 + s.Help, 11);
    EXPECT_STREQ(s.Lang, "fr");
    EXPECT_EQ(ReadTestFile("games/pond/game.ini"),
              "[Game]\nWidth=1024\nHeight=768\nSpeed=12\nDifficulty=1\nHelp=1\nSound=1\n"
              "Music=1\nReflect=0\nLang=fr\n");
    WriteTestFile("config.ini", "[Path]\nGamePath=" + std::string(1000, 'a') + "/\n");
    EXPECT_EQ(CaptureStderr([&] { ReadConfig(s); }), "game directory too long, using .\\\n");
    EXPECT_STREQ(s.GamePath, ".\\");  // too long to hold the game's file names: treated as missing
}

TEST(Settings, AnExistingFileUsesTheKeyDefaultsKeepsHandWrittenKeysAndNamesNoUnknownLanguage)
{
    ScopedTempDir dir;
    WriteTestFile("game.ini", "[Game]\nWidth=800\nHeight=wide\nSpeed=-5\nMipMapping=0\nLang=es\n");
    Settings s;
    LoadGameConfig(s);
    // The floor of the speed; the key defaults of Help and Reflect, not the first-run values.
    EXPECT_EQ(FormatText("%d %d %d %d %d %d %d %s", s.firstRun, s.Width, s.Height, s.Speed, s.Help, s.Reflect,
                         s.MipMapping, s.Lang),
              "0 800 0 1 10 1 0 es");
    s.Help = 0;
    ASSERT_TRUE(SaveGameConfig(s));
    Settings again;
    LoadGameConfig(again);
    EXPECT_EQ(again.MipMapping * 100 + again.Help * 10 + again.Reflect, 1);  // MipMapping is never written
    for (const char* bad : {"de", "../x", "EN", ""}) {
        WriteTestFile("game.ini", std::string("[Game]\nSpeed=0\nLang=") + bad + "\n");
        LoadGameConfig(s);
        EXPECT_EQ(std::string(s.Lang) + std::to_string(s.Speed), "en1") << bad;
    }
}

TEST(Paths, MakePathCreatesEveryPrefixBeforeASeparatorButTheFirstAndFormatPathRefusesACut)
{
    ScopedTempDir dir;
    for (const char* none : {static_cast<const char*>(nullptr), "", "noseparator"})
        EXPECT_EQ(MakePath(none), 0);
    EXPECT_EQ(MakePath(".\\"), 1);
    EXPECT_EQ(MakePath(".\\a\\b/c"), 1);
    EXPECT_TRUE(fs::is_directory("a/b") && !fs::exists("a/b/c"));
    EXPECT_EQ(MakePath("./Pondsave\\"), 1);  // a game directory without its separator glues its sub-directories on
    EXPECT_TRUE(fs::is_directory("Pondsave"));
    EXPECT_EQ(MakePath("top/inner/"), 1);
    EXPECT_FALSE(fs::exists("top"));
    EXPECT_EQ(MakePath(("./" + std::string(2000, 'd') + "/").c_str()), 1);  // at most 1023 characters, no overrun
    char small[8];
    EXPECT_TRUE(FormatPath(small, sizeof small, "%s", "1234567"));
    EXPECT_FALSE(FormatPath(small, sizeof small, "%s", "12345678"));
    EXPECT_STREQ(small, "");
    EXPECT_EQ(ParseIntLikeAtoi("  42abc") + ParseIntLikeAtoi("-5") + ParseIntLikeAtoi("+7") + ParseIntLikeAtoi("abc"),
              44);
    EXPECT_EQ(ParseIntLikeAtoi("99999999999999999999") + 0LL + ParseIntLikeAtoi("-99999999999999999999"), -1);
}

std::string Sizes(const std::vector<DisplayMode>& list)
{
    std::string s;
    for (const DisplayMode& m : list)
        s += std::to_string(m.width) + "x" + std::to_string(m.height) + " ";
    return s;
}

TEST(VideoModes, TheFirst32BitModeOfEachSizeAndAStartSizeThatIsAlwaysOffered)
{
    const std::vector<DisplayMode> listed = {{1280, 1024, 16}, {800, 600, 32}, {1280, 1024, 32}, {1280, 1024, 32},
                                             {640, 400, 32},   {320, 240, 32}, {1280, 1024, 24}};
    EXPECT_EQ(Sizes(FilterDisplayModes(listed)), "800x600 1280x1024 ");
    const std::vector<DisplayMode> modes = {{640, 480, 32},  {640, 600, 32},  {800, 600, 32},
                                            {1024, 768, 32}, {1024, 600, 32}, {1920, 1080, 32}};
    const struct {
        int firstRun, width, height;  // stored
        bool desktop;
        int desktopWidth, desktopHeight;
        std::vector<DisplayMode> offered;
        const char* chosen;  // the size, then the list
    } cases[] = {
        {1, 0, 0, true, 1920, 1080, modes, "1024x768"},  // the desktop, capped at 1024 × 768
        {1, 0, 0, true, 1024, 600, modes, "1024x600"},
        {1, 0, 0, true, 1000, 800, modes, "1024x768"},
        {1, 0, 0, true, 1024, 600, {{800, 600, 32}, {1024, 600, 16}}, "800x600"},       // not offered in 32 bits
        {1, 0, 0, false, 0, 0, modes, "800x600"},                                       // no desktop answer
        {0, 1000, 700, true, 1280, 1024, {{640, 480, 32}, {800, 600, 32}}, "800x600"},  // the stored size not offered
        {0, 1000, 700, true, 1280, 1024, {{1280, 1024, 32}}, "640x480 1280x1024 "},
        {0, 1024, 768, true, 1024, 768, {}, "640x480 "},
        {0, 1024, 768, false, 0, 0, {}, "1024x768 "},  // no display answered: the saved size
        {1, 0, 0, false, 0, 0, {}, "800x600 "},
    };
    for (const auto& c : cases) {
        Settings s;
        s.firstRun = c.firstRun, s.Width = c.width, s.Height = c.height;
        const std::string list = Sizes(ChooseStartSize(s, c.desktop, c.desktopWidth, c.desktopHeight, c.offered));
        const std::string size = std::to_string(s.Width) + "x" + std::to_string(s.Height);
        EXPECT_EQ(std::string(c.chosen).find(' ') == std::string::npos ? size : size + " " + list, c.chosen);
    }
}

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
