#include "text/fontconfig.h"

#include "testdir.h"

#include <gtest/gtest.h>

TEST(FontConfig, ReadsTheNineSectionsWithTheirDefaults)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile(dir.file("pre/data/font.ini"),
                              "[FontMenuBig]\n"
                              "Font = data/fonts/menu.ttf\n"
                              "Size=40\n"
                              "ColorTop=1,0.5,0\n"
                              "ColorBottom=0.25,0.25,1\n"
                              "ShadowOffset=2,3\n"
                              "[fontgamesmall]\n"
                              "Font=data/fonts/game.ttf\n"
                              "Size=abc\n"
                              "ColorTop=0.5\n"
                              "ShadowOffset=4\n"
                              "[Logo]\n"
                              "Color1=1,0,0\n"));
    LoadFontConfig("pre/");
    const FontConfig& menu = fontConfigs[FontMenuBig];
    EXPECT_STREQ(menu.font, "data/fonts/menu.ttf");
    EXPECT_EQ(menu.size, 40);
    EXPECT_FLOAT_EQ(menu.colorTop[1], 0.5f);
    EXPECT_FLOAT_EQ(menu.colorBottom[2], 1.0f);
    EXPECT_EQ(menu.shadowOffset[0], 2);
    EXPECT_EQ(menu.shadowOffset[1], 3);

    // Section names match without regard to case; values that do not parse
    // read as the C conversions would (Size 0) or keep their default.
    const FontConfig& game = fontConfigs[FontGameSmall];
    EXPECT_STREQ(game.font, "data/fonts/game.ttf");
    EXPECT_EQ(game.size, 0);
    EXPECT_FLOAT_EQ(game.colorTop[0], 1.0f);
    EXPECT_EQ(game.shadowOffset[0], 0);

    const FontConfig& copyright = fontConfigs[FontCopyright];
    EXPECT_STREQ(copyright.font, "");
    EXPECT_EQ(copyright.size, 8);
    EXPECT_FLOAT_EQ(copyright.colorBottom[0], 1.0f);
    EXPECT_STREQ(kFontSectionNames[FontGameSmallWordFound], "FontGameSmallWordFound");
}

TEST(FontConfig, PixelSizeFollowsTheWindowWidth)
{
    FontConfig c;
    c.size = 30;
    EXPECT_EQ(FontPixelSize(c, 800), 23);  // 23.4 truncated
    EXPECT_EQ(FontPixelSize(c, 1024), 30);
    EXPECT_EQ(FontPixelSize(c, 1920), 56);
    c.size = 0;
    EXPECT_EQ(FontPixelSize(c, 1024), 1);
    c.size = 2000000000;
    EXPECT_EQ(FontPixelSize(c, 1920), 4096);
}
