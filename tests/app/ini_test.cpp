#include "app/base/files.h"
#include "app/base/ini.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

std::string Read(const char* section, const char* key, const char* def, const char* path,
                 size_t size = 256)
{
    std::vector<char> buf(size);
    ReadIniString(section, key, def, buf.data(), buf.size(), path);
    return buf.data();
}

TEST(Ini, ReadsNamesWithoutRegardToCaseAndIgnoresBlanks)
{
    ScopedTempDir dir;
    WriteTestFile("a.ini", "[Other]\nWidth=1\n\n  [ game ]  \n  wIdTh   =  800  \r\nLang=fr\n");
    EXPECT_EQ(Read("Game", "Width", "x", "a.ini"), "800");
    EXPECT_EQ(Read("GAME", "lang", "x", "a.ini"), "fr");
    EXPECT_EQ(Read("Other", "width", "x", "a.ini"), "1");
}

TEST(Ini, MissingFileSectionOrKeyGivesDefault)
{
    ScopedTempDir dir;
    EXPECT_EQ(Read("Game", "Width", "1024", "none.ini"), "1024");
    WriteTestFile("a.ini", "[Game]\nHeight=5\n");
    EXPECT_EQ(Read("Path", "Height", "d1", "a.ini"), "d1");
    EXPECT_EQ(Read("Game", "Width", "d2", "a.ini"), "d2");
}

TEST(Ini, ValueIsCutToTheCallersBuffer)
{
    ScopedTempDir dir;
    WriteTestFile("a.ini", "[Game]\nLang=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(Read("Game", "Lang", "", "a.ini", 256), std::string(255, 'x'));
    char tiny[4];
    EXPECT_EQ(ReadIniString("Game", "Lang", "", tiny, sizeof tiny, "a.ini"), 3u);
    EXPECT_STREQ(tiny, "xxx");
}

TEST(Ini, BackslashPathsMeanSubdirectories)
{
    ScopedTempDir dir;
    WriteTestFile("sub/a.ini", "[S]\nk=v\n");
    EXPECT_EQ(Read("S", "k", "", ".\\sub\\a.ini"), "v");
}

TEST(Ini, WriteReplacesInPlaceAppendsToSectionAndKeepsOtherLines)
{
    ScopedTempDir dir;
    WriteTestFile("a.ini",
                  "; kept comment\n[Game]\nWidth=1\nMipMapping=0\nUnknown = keep me\n\n[Path]\nGamePath=x\n");
    ASSERT_TRUE(WriteIniString("game", "WIDTH", "800", "a.ini"));
    ASSERT_TRUE(WriteIniString("Game", "Lang", "es", "a.ini"));
    ASSERT_TRUE(WriteIniString("New", "k", "v", "a.ini"));
    EXPECT_EQ(ReadTestFile("a.ini"),
              "; kept comment\n[Game]\nWIDTH=800\nMipMapping=0\nUnknown = keep me\nLang=es\n\n"
              "[Path]\nGamePath=x\n\n[New]\nk=v\n");
}

TEST(Ini, WriteCreatesTheFile)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteIniString("Game", "Width", "640", "fresh.ini"));
    EXPECT_EQ(ReadTestFile("fresh.ini"), "[Game]\nWidth=640\n");
    EXPECT_EQ(Read("Game", "Width", "", "fresh.ini"), "640");
}

// A write that cannot complete (here: the file-size limit stands in for a
// full disk) must leave the previous file whole.
TEST(Ini, InterruptedWriteLeavesTheOldFileWhole)
{
    ScopedTempDir dir;
    const std::string before = "[Game]\nWidth=1\n";
    WriteTestFile("a.ini", before);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
    bool ok = WriteIniString("Game", "Lang", std::string(100, 'x').c_str(), "a.ini");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadTestFile("a.ini"), before);
    EXPECT_FALSE(TestFileExists("a.ini.tmp"));
}

}  // namespace
