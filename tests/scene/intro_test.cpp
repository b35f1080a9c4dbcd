// The intro logo run frame by frame through a driver with a clock of its
// own: its time line, its end and skipping it.
#include "intro_driver.h"
#include "scene_fixture.h"

namespace {

TEST(IntroTimeLine, FliesInStandsStillAndFades)
{
    const struct {
        float t, angle, z, veil;
    } poses[] = {
        {-10, 720, 2, 0},  // no time before the start
        {0, 720, 2, 0},   {72, 360, 1, 0}, {244, 0, 0, 0}, {394, 0, 0, 0.5f}, {444, 0, 0, 1},
    };
    for (const auto& c : poses) {
        const IntroPose pose = IntroPoseAt(c.t);
        EXPECT_FLOAT_EQ(pose.angle, c.angle) << c.t;
        EXPECT_FLOAT_EQ(pose.z, c.z) << c.t;
        EXPECT_FLOAT_EQ(pose.veil, c.veil) << c.t;
    }
    EXPECT_FLOAT_EQ(kIntroLength, 444);
}

class Intro : public SceneTest {};

TEST_F(Intro, RunsToItsEndAndTheStartUpTimeDoesNotCount)
{
    FakeIntroDriver d;
    d.now = 90000;  // start-up took a minute and a half
    d.step = 1000;  // 60 time units per frame
    std::vector<uint32_t> seen;
    Picture flying, standing;
    d.onFrame = [&](int frame, uint32_t now) {
        seen.push_back(now);
        if (frame == 1)
            flying = ReadPicture();
        if (frame == 4)
            standing = ReadPicture();
    };
    EXPECT_EQ(PlayIntro(context, kIntroColours, &d), IntroEnd::Played);
    // Frames at t = 0, 60, ... 420, then 480 ≥ 444 ends it: nine frames.
    ASSERT_EQ(d.frames, 9);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 90000u);
    // The standing logo fills the middle of the picture, black around it.
    EXPECT_GT(standing.MeanBrightness(width / 4, height / 3, 3 * width / 4, 2 * height / 3), 20);
    EXPECT_LT(standing.MeanBrightness(0, 0, width, 20), 2);
    EXPECT_GT(standing.CountDifferent(flying), 1000);
    EXPECT_LT(ReadPicture().MeanBrightness(0, 0, width, height), 1.0) << "the last frame is the black veil";
    EXPECT_EQ(FindMaterial("intro LOGO1"), nullptr) << "the logo's materials are given back";
}

TEST_F(Intro, AReleasedKeyOrAClosedWindowEndsIt)
{
    FakeIntroDriver skip;
    skip.stopAtFrame = 3;
    EXPECT_EQ(PlayIntro(context, kIntroColours, &skip), IntroEnd::Skipped);
    EXPECT_EQ(skip.frames, 3);
    FakeIntroDriver close;
    close.stopAtFrame = 0;
    close.closeWindow = true;
    EXPECT_EQ(PlayIntro(context, kIntroColours, &close), IntroEnd::Closed);
    EXPECT_EQ(close.frames, 0);
}

}  // namespace
