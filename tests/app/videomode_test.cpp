#include "app/videomode.h"

#include <gtest/gtest.h>

namespace {

std::vector<DisplayMode> Modes(std::initializer_list<DisplayMode> m)
{
    return std::vector<DisplayMode>(m);
}

std::string Sizes(const std::vector<DisplayMode>& list)
{
    std::string s;
    for (const DisplayMode& m : list)
        s += std::to_string(m.width) + "x" + std::to_string(m.height) + " ";
    return s;
}

TEST(VideoModes, FilterKeepsFirst32BitOccurrenceOfEachSize)
{
    auto list = FilterDisplayModes(Modes({{1280, 1024, 16},
                                          {800, 600, 32},
                                          {1280, 1024, 32},
                                          {1280, 1024, 32},
                                          {640, 400, 32},
                                          {320, 240, 32},
                                          {1280, 1024, 24}}));
    EXPECT_EQ(Sizes(list), "800x600 1280x1024 ");
}

TEST(VideoModes, FirstRunUsesTheDesktopCappedAt1024x768)
{
    auto modes = Modes({{640, 480, 32}, {800, 600, 32}, {1024, 768, 32}, {1024, 600, 32},
                        {1920, 1080, 32}});
    Settings s;
    s.firstRun = 1;
    ChooseStartSize(s, true, 1920, 1080, modes);
    EXPECT_EQ(s.Width, 1024);
    EXPECT_EQ(s.Height, 768);

    s.firstRun = 1;
    ChooseStartSize(s, true, 1024, 600, modes);
    EXPECT_EQ(s.Width, 1024);
    EXPECT_EQ(s.Height, 600);

    s.firstRun = 1;  // a 1024 × 600 desktop whose mode is not offered in 32 bits
    ChooseStartSize(s, true, 1024, 600, Modes({{800, 600, 32}, {1024, 600, 16}}));
    EXPECT_EQ(s.Width, 800);
    EXPECT_EQ(s.Height, 600);

    s.firstRun = 1;  // no desktop answer: 800 × 600 is assumed
    ChooseStartSize(s, false, 0, 0, modes);
    EXPECT_EQ(s.Width, 800);
}

TEST(VideoModes, StoredSizeNotOfferedFallsBack)
{
    Settings s;
    s.Width = 1000;
    s.Height = 700;
    ChooseStartSize(s, true, 1280, 1024, Modes({{640, 480, 32}, {800, 600, 32}}));
    EXPECT_EQ(s.Width, 800);
    EXPECT_EQ(s.Height, 600);

    s.Width = 1000;
    auto list = ChooseStartSize(s, true, 1280, 1024, Modes({{1280, 1024, 32}}));
    EXPECT_EQ(s.Width, 640);
    EXPECT_EQ(s.Height, 480);
    // The size in use is always offered, even when the display did not name it.
    EXPECT_EQ(Sizes(list), "1280x1024 640x480 ");
}

TEST(VideoModes, EmptyModeListStillOffersTheSizeInUse)
{
    Settings s;
    auto list = ChooseStartSize(s, true, 1024, 768, {});
    EXPECT_EQ(s.Width, 640);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].width, 640);
}

}  // namespace
