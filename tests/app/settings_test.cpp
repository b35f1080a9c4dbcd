#include "app/base/paths.h"
#include "app/settings.h"
#include "app/base/ini.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(Atoi, FollowsTheCRule)
{
    EXPECT_EQ(ParseIntLikeAtoi("  42abc"), 42);
    EXPECT_EQ(ParseIntLikeAtoi("-5"), -5);
    EXPECT_EQ(ParseIntLikeAtoi("+7"), 7);
    EXPECT_EQ(ParseIntLikeAtoi("abc"), 0);
    EXPECT_EQ(ParseIntLikeAtoi(""), 0);
    EXPECT_EQ(ParseIntLikeAtoi("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseIntLikeAtoi("-99999999999999999999"), -2147483647 - 1);
}

TEST(Settings, FirstRunWritesGameIniWithFirstRunValues)
{
    ScopedTempDir dir;
    Settings s;
    ReadConfig(s);
    EXPECT_STREQ(s.GamePath, ".\\");
    LoadGameConfig(s);
    EXPECT_EQ(s.firstRun, 1);
    EXPECT_EQ(s.Reflect, 0);
    EXPECT_EQ(s.Help, 1);
    EXPECT_STREQ(s.Lang, "en");
    EXPECT_EQ(ReadTestFile("game.ini"),
              "[Game]\nWidth=1024\nHeight=768\nSpeed=12\nDifficulty=1\nHelp=1\nSound=1\nMusic=1\n"
              "Reflect=0\nLang=en\n");
}

TEST(Settings, FirstRunTakesTheLanguageOfConfigIni)
{
    ScopedTempDir dir;
    WriteTestFile("config.ini", "[Game]\nLang=fr\n");
    Settings s;
    ReadConfig(s);
    LoadGameConfig(s);
    EXPECT_STREQ(s.Lang, "fr");
}

TEST(Settings, ExistingFileUsesKeyDefaultsAndKeepsHandWrittenKeys)
{
    ScopedTempDir dir;
    WriteTestFile("game.ini", "[Game]\nWidth=800\nHeight=600\nSpeed=-5\nMipMapping=0\nLang=es\n");
    Settings s;
    LoadGameConfig(s);
    EXPECT_EQ(s.firstRun, 0);
    EXPECT_EQ(s.Width, 800);
    EXPECT_EQ(s.Speed, 1);       // the floor
    EXPECT_EQ(s.Help, 10);       // key default, not the first-run value
    EXPECT_EQ(s.Reflect, 1);     // likewise
    EXPECT_EQ(s.MipMapping, 0);
    EXPECT_STREQ(s.Lang, "es");
    s.Help = 0;
    ASSERT_TRUE(SaveGameConfig(s));
    Settings again;
    LoadGameConfig(again);
    EXPECT_EQ(again.MipMapping, 0);  // never written, so it survives
    EXPECT_EQ(again.Help, 0);
    EXPECT_EQ(again.Reflect, 1);
}

TEST(Settings, SpeedZeroAndMalformedNumbers)
{
    ScopedTempDir dir;
    WriteTestFile("game.ini", "[Game]\nSpeed=0\nWidth=wide\n");
    Settings s;
    LoadGameConfig(s);
    EXPECT_EQ(s.Speed, 1);
    EXPECT_EQ(s.Width, 0);
}

TEST(Settings, UnknownLanguageBecomesEnglishBeforeAnyFileIsNamed)
{
    ScopedTempDir dir;
    for (const char* bad : {"de", "../x", "EN", ""}) {
        WriteTestFile("game.ini", std::string("[Game]\nLang=") + bad + "\n");
        Settings s;
        LoadGameConfig(s);
        EXPECT_STREQ(s.Lang, "en") << bad;
    }
}

TEST(Settings, GamePathFromConfigIsCreatedAndUsedAsPrefix)
{
    ScopedTempDir dir;
    WriteTestFile("config.ini", "[Path]\nGamePath=.\\games\\pond\\\n");
    Settings s;
    ReadConfig(s);
    EXPECT_STREQ(s.GamePath, ".\\games\\pond\\");
    EXPECT_TRUE(fs::is_directory("games/pond"));
    LoadGameConfig(s);
    EXPECT_TRUE(TestFileExists("games/pond/game.ini"));
}

TEST(Settings, OverlongGamePathIsTreatedAsMissing)
{
    ScopedTempDir dir;
    WriteTestFile("config.ini", "[Path]\nGamePath=" + std::string(1000, 'a') + "/\n");
    Settings s;
    ReadConfig(s);
    EXPECT_STREQ(s.GamePath, ".\\");
}

TEST(MakePath, CreatesEveryPrefixBeforeASeparator)
{
    ScopedTempDir dir;
    EXPECT_EQ(MakePath(nullptr), 0);
    EXPECT_EQ(MakePath(""), 0);
    EXPECT_EQ(MakePath("noseparator"), 0);

    EXPECT_EQ(MakePath(".\\"), 1);  // creates nothing
    EXPECT_EQ(MakePath(".\\a\\b/c"), 1);
    EXPECT_TRUE(fs::is_directory("a/b"));
    EXPECT_FALSE(fs::exists("a/b/c"));  // no separator after it

    // A game directory without trailing separator: sub-directory names are
    // glued to its last component.
    char path[kPathSize];
    ASSERT_TRUE(FormatPath(path, sizeof path, "%s%s", "./Pond", "save\\"));
    EXPECT_EQ(MakePath(path), 1);
    EXPECT_TRUE(fs::is_directory("Pondsave"));
    EXPECT_FALSE(fs::exists("Pond"));
}

TEST(MakePath, FirstComponentIsNeverCreatedAndLongPathsAreBounded)
{
    ScopedTempDir dir;
    EXPECT_EQ(MakePath("top/inner/"), 1);
    EXPECT_FALSE(fs::exists("top"));  // the first component is never created

    std::string longPath = "./" + std::string(2000, 'd') + "/";
    EXPECT_EQ(MakePath(longPath.c_str()), 1);  // copies at most 1023 characters, no overrun
}

TEST(FormatPath, RefusesACutPath)
{
    char small[8];
    EXPECT_TRUE(FormatPath(small, sizeof small, "%s", "1234567"));
    EXPECT_FALSE(FormatPath(small, sizeof small, "%s", "12345678"));
    EXPECT_STREQ(small, "");
}

}  // namespace
