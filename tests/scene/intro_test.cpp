// The intro logo run frame by frame through a driver with a clock of its
// own: its time line, its end, skipping it, and a picture of it.
#include "scene_helpers.h"

#include <functional>

namespace {

const float kColours[3][3] = {{1.0f, 0.55f, 0.1f}, {0.2f, 0.6f, 1.0f}, {0.3f, 0.9f, 0.35f}};

// Milliseconds advance by `step` per frame; the frame is handed to `onFrame`.
struct FakeDriver : IntroDriver {
    uint32_t now = 0;
    uint32_t step = 50;
    int frames = 0;
    int stopAtFrame = -1;
    bool closeWindow = false;
    std::function<void(int, uint32_t)> onFrame;

    uint32_t Ticks() override { return now; }
    bool StopRequested(bool* closed) override
    {
        if (frames != stopAtFrame)
            return false;
        if (closeWindow && closed)
            *closed = true;
        return true;
    }
    void EndFrame(GLContext&) override
    {
        if (onFrame)
            onFrame(frames, now);
        ++frames;
        now += step;
    }
};

class Intro : public SceneTest {};

TEST(IntroTimeLine, FliesInStandsStillAndFades)
{
    IntroPose start = IntroPoseAt(0);
    EXPECT_FLOAT_EQ(start.angle, 720);
    EXPECT_FLOAT_EQ(start.z, 2);
    EXPECT_FLOAT_EQ(start.veil, 0);
    IntroPose mid = IntroPoseAt(72);
    EXPECT_FLOAT_EQ(mid.angle, 360);
    EXPECT_FLOAT_EQ(mid.z, 1);
    IntroPose still = IntroPoseAt(144 + 100);
    EXPECT_FLOAT_EQ(still.angle, 0);
    EXPECT_FLOAT_EQ(still.z, 0);
    EXPECT_FLOAT_EQ(still.veil, 0);
    EXPECT_FLOAT_EQ(IntroPoseAt(344 + 50).veil, 0.5f);
    EXPECT_FLOAT_EQ(IntroPoseAt(444).veil, 1.0f);
    EXPECT_FLOAT_EQ(IntroPoseAt(-10).angle, 720) << "no time before the start";
    EXPECT_FLOAT_EQ(kIntroLength, 444);
}

TEST_F(Intro, RunsToItsEndAndTheStartUpTimeDoesNotCount)
{
    FakeDriver d;
    d.now = 90000;  // start-up took a minute and a half
    d.step = 1000;  // 60 time units per frame
    std::vector<uint32_t> seen;
    d.onFrame = [&](int, uint32_t now) { seen.push_back(now); };
    EXPECT_EQ(PlayIntro(context, kColours, &d), IntroEnd::Played);
    // Frames at t = 0, 60, ... 420, then 480 ≥ 444 ends it: nine frames.
    EXPECT_EQ(d.frames, 9);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 90000u);
    // The last frame is the black veil.
    Picture last = Picture::Read(width, height);
    EXPECT_LT(last.MeanBrightness(0, 0, width, height), 1.0);
}

TEST_F(Intro, AReleasedKeyOrAClosedWindowEndsIt)
{
    FakeDriver skip;
    skip.stopAtFrame = 3;
    EXPECT_EQ(PlayIntro(context, kColours, &skip), IntroEnd::Skipped);
    EXPECT_EQ(skip.frames, 3);
    FakeDriver close;
    close.stopAtFrame = 0;
    close.closeWindow = true;
    EXPECT_EQ(PlayIntro(context, kColours, &close), IntroEnd::Closed);
    EXPECT_EQ(close.frames, 0);
}

TEST_F(Intro, PicturesOfTheLogo)
{
    width = 640;
    height = 480;
    FakeDriver d;
    d.step = 500;  // 30 time units per frame
    Picture flying, standing;
    d.onFrame = [&](int frame, uint32_t) {
        if (frame == 2)
            flying = Picture::Read(width, height);
        if (frame == 7)
            standing = Picture::Read(width, height);
    };
    PlayIntro(context, kColours, &d);
    flying.Save("scene_intro_flying.png");
    standing.Save("scene_intro.png");
    // The standing logo fills the middle of the picture in its colours: the
    // left ring is orange-ish, the right one green-ish.
    EXPECT_GT(standing.MeanBrightness(width / 4, height / 3, 3 * width / 4, 2 * height / 3), 20);
    EXPECT_LT(standing.MeanBrightness(0, 0, width, 20), 2) << "black around it";
    EXPECT_GT(standing.CountDifferent(flying), 1000);
    // The logo's materials and textures are given back.
    EXPECT_EQ(FindMaterial("intro LOGO1"), nullptr);
}

}  // namespace
