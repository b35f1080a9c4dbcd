// The one-cell move, the block rolls, the wheel tracks and the explosions.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void Advance(Puzzle& p, float total, float dt = 1.0f)
{
    for (float done = 0; done < total - 1e-4f; done += dt) AdvanceCarMove(p, dt);
}

void ExpectQuatNear(const Quat& a, const Quat& b, float eps = 1e-5f)
{
    // q and -q are the same rotation.
    const float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    EXPECT_NEAR(std::fabs(dot), 1.0f, eps) << a.x << " " << a.y << " " << a.z << " " << a.w << " vs " << b.x << " "
                                           << b.y << " " << b.z << " " << b.w;
}

TEST(CarMove, DurationsTurnRatesAndSnap)
{
    PuzzleBench t;
    t.Start({"", "", "", "", "", "     @", "", "", "", "", "", "", "", "", "$."});
    ASSERT_EQ(t.p.carAngle, 0);  // facing left

    // Same heading: 12 units, no turn.
    ASSERT_EQ(StepCar(t.p, kDirLeft), kStepMoved);
    EXPECT_EQ(t.p.carX, 4);  // the cell changes at once
    EXPECT_EQ(t.p.moveProgress, 12);
    Advance(t.p, 6);
    EXPECT_FLOAT_EQ(t.p.carDrawX, 4.5f);
    EXPECT_FLOAT_EQ(t.p.carAngle, 0);
    Advance(t.p, 6);
    EXPECT_EQ(t.p.moveProgress, 0);
    EXPECT_EQ(t.p.carDrawX, 4.0f);

    // A reversal takes twice as long and turns half a turn on the way.
    StepCar(t.p, kDirRight);
    EXPECT_EQ(t.p.moveProgress, 24);
    Advance(t.p, 12);
    EXPECT_FLOAT_EQ(t.p.carDrawX, 4.5f);
    EXPECT_FLOAT_EQ(t.p.carAngle, 90);
    Advance(t.p, 12);
    EXPECT_EQ(t.p.carAngle, 180);
    EXPECT_EQ(t.p.carDrawX, 5.0f);

    // From 180 to 90 the angle falls, from 90 to 270 it rises by half a turn.
    StepCar(t.p, kDirDown);
    Advance(t.p, 6);
    EXPECT_FLOAT_EQ(t.p.carAngle, 135);
    EXPECT_FLOAT_EQ(t.p.carDrawY, 5.5f);
    Advance(t.p, 6);
    EXPECT_EQ(t.p.carAngle, 90);
    StepCar(t.p, kDirUp);
    EXPECT_EQ(t.p.moveProgress, 24);
    Advance(t.p, 12);
    EXPECT_FLOAT_EQ(t.p.carAngle, 180);
    Advance(t.p, 12);
    EXPECT_EQ(t.p.carAngle, 270);
    // From 270 to 0 it rises through 360 and lands on 0.
    StepCar(t.p, kDirLeft);
    Advance(t.p, 6);
    EXPECT_FLOAT_EQ(t.p.carAngle, 315);
    Advance(t.p, 6);
    EXPECT_EQ(t.p.carAngle, 0);
    EXPECT_EQ(t.p.heading, 0);
}

TEST(CarMove, TheSpeedSettingIsTheDurationAndTheWheelsTurnAQuarterPerCell)
{
    PuzzleBench t;
    t.p.speed = 4;
    t.Start({"", "", "", "", "", "     @", "", "", "", "", "", "", "", "", "$."});
    t.p.wheelAngle = 0;
    StepCar(t.p, kDirLeft);
    EXPECT_EQ(t.p.moveProgress, 4);
    Advance(t.p, 4);
    EXPECT_NEAR(t.p.wheelAngle, 90, 1e-4);
    StepCar(t.p, kDirRight);  // a reversal: 8 units, still a quarter turn
    EXPECT_EQ(t.p.moveProgress, 8);
    AdvanceCarMove(t.p, 100);  // one long stall ends the step exactly
    EXPECT_NEAR(t.p.wheelAngle, 180, 1e-4);
    EXPECT_EQ(t.p.moveProgress, 0);
    t.p.speed = 0;  // at least 1
    StepCar(t.p, kDirRight);
    EXPECT_EQ(t.p.moveProgress, 1);
}

TEST(BlockRoll, EndsExactlyOnItsAngleWhateverTheFrameSteps)
{
    PuzzleBench t;
    t.p.rollVertical[0][0] = 90;
    t.Start({"", "", "  @", "  $", "", "", "", "", "", "", "", "", "", "", " ."});
    ASSERT_EQ(t.p.blockListCount, 1);
    // The car faces left; a push down is a quarter turn: 12 units.
    ASSERT_EQ(StepCar(t.p, kDirDown), kStepPushed);
    AdvanceCarMove(t.p, 6);
    ExpectQuatNear(t.p.blocks[0].orientation, EulerToQuat(45, 0, 0));
    EXPECT_FLOAT_EQ(t.p.blocks[0].drawY, 3.5f);
    EXPECT_FLOAT_EQ(t.p.carDrawY, 2.5f);  // the block moves with the car
    AdvanceCarMove(t.p, 5);
    AdvanceCarMove(t.p, 5);  // 16 units elapsed for a 12-unit move
    ExpectQuatNear(t.p.blocks[0].orientation, EulerToQuat(90, 0, 0));
    EXPECT_EQ(t.p.blocks[0].drawY, 4.0f);
    // Pushed up again, the roll goes the other way and cancels out.
    t.Step(kDirLeft);
    t.Step(kDirDown);
    t.Step(kDirDown);
    t.Step(kDirRight);
    ASSERT_EQ(t.p.carY, 5);
    ASSERT_EQ(t.Step(kDirUp), kStepPushed);
    ExpectQuatNear(t.p.blocks[0].orientation, Quat());
}

TEST(BlockRoll, RollsTurnAboutTheWorldsAxesInGLsColumnMajorLayout)
{
    PuzzleBench t;
    t.p.rollVertical[0][0] = 90;    // a push along a column turns about x
    t.p.rollHorizontal[0][2] = 90;  // a push along a row turns about z
    t.Start({"", "", "  @", "  $", "", "", "", "", "", "", "", "", "", "", " ."});
    t.Step(kDirDown);  // block to (2,4)
    t.Step(kDirLeft);
    t.Step(kDirDown);
    ASSERT_EQ(t.Step(kDirRight), kStepPushed);  // block to (3,4)
    const Quat world = QuatMultiply(EulerToQuat(0, 0, 90), EulerToQuat(90, 0, 0));
    ExpectQuatNear(t.p.blocks[0].orientation, world);
    // The second roll is about the world's z axis, not the block's own.
    const Quat local = QuatMultiply(EulerToQuat(90, 0, 0), EulerToQuat(0, 0, 90));
    const float dot = std::fabs(world.x * local.x + world.y * local.y + world.z * local.z + world.w * local.w);
    EXPECT_LT(dot, 0.9f);
    // The matrix is column-major: the image of the x axis is the first
    // column. x turned 90 about x stays x, then 90 about z becomes y.
    const float* m = t.p.blocks[0].matrix;
    EXPECT_NEAR(m[0], 0, 1e-5);
    EXPECT_NEAR(m[1], 1, 1e-5);
    EXPECT_NEAR(m[2], 0, 1e-5);
    // y turned about x becomes z, which the z turn keeps.
    EXPECT_NEAR(m[4], 0, 1e-5);
    EXPECT_NEAR(m[5], 0, 1e-5);
    EXPECT_NEAR(m[6], 1, 1e-5);
    EXPECT_EQ(m[15], 1.0f);
    EXPECT_EQ(m[12], 0.0f);
}

TEST(TrackMarks, StraightAndCurvedMarksOnPlainFloorOnly)
{
    PuzzleBench t;
    t.Start({"", "", "", "", "", "     @", "", "", "", "", "", "", "", "", "$."});
    // Leaving the car start (code 2) leaves no mark.
    t.Step(kDirLeft);
    EXPECT_EQ(t.p.trackCount, 0);
    t.Step(kDirLeft);  // straight, along a row
    ASSERT_EQ(t.p.trackCount, 1);
    EXPECT_EQ(t.p.tracks[0].type, 0);
    EXPECT_EQ(t.p.tracks[0].angle, 90);
    EXPECT_EQ(t.p.tracks[0].x, 4);
    EXPECT_EQ(t.p.tracks[0].z, 5);
    EXPECT_EQ(t.p.tracks[0].opacity, 1.0f);

    struct Case {
        Direction first, second;
        int type;
        float angle;
    };
    // heading 0 then down: 0; then up: 90; heading 180 then up: 180, down: 270;
    // heading 270 then left: 270, right: 0; heading 90 then left: 180, right: 90.
    const Case cases[] = {
        {kDirLeft, kDirDown, 1, 0},   {kDirLeft, kDirUp, 1, 90},   {kDirRight, kDirUp, 1, 180},
        {kDirRight, kDirDown, 1, 270}, {kDirUp, kDirLeft, 1, 270}, {kDirUp, kDirRight, 1, 0},
        {kDirDown, kDirLeft, 1, 180}, {kDirDown, kDirRight, 1, 90}, {kDirUp, kDirDown, 0, 0},
        {kDirUp, kDirUp, 0, 0},
    };
    for (const Case& c : cases) {
        t.Start({"", "", "", "", "", "     @", "", "", "", "", "", "", "", "", "$."});
        t.Step(c.first);
        ClearTracks(t.p);
        t.Step(c.second);
        ASSERT_EQ(t.p.trackCount, 1);
        EXPECT_EQ(t.p.tracks[0].type, c.type) << c.first << " " << c.second;
        EXPECT_EQ(t.p.tracks[0].angle, c.angle) << c.first << " " << c.second;
    }

    // A target under the car when it leaves gets no mark.
    t.Start({"", "", "", "", "", "    .@", "", "", "", "", "", "", "", "", "$"});
    t.Step(kDirLeft);
    t.Step(kDirLeft);
    EXPECT_EQ(t.p.trackCount, 0);
}

TEST(TrackMarks, SixteenAtMostAndTheyFadeWithTheSpeedSetting)
{
    PuzzleBench t;
    t.Start({"", "", "", "", "", "                   @", "", "", "", "", "", "", "", "", "$."});
    for (int i = 0; i < 19; ++i) t.Step(kDirLeft);
    EXPECT_EQ(t.p.trackCount, 16);  // the seventeenth is not kept
    EXPECT_EQ(t.p.tracks[15].x, 3);

    t.p.speed = 12;
    FadeTracks(t.p, 179);
    EXPECT_EQ(t.p.trackCount, 16);
    FadeTracks(t.p, 1.01f);
    EXPECT_EQ(t.p.trackCount, 0);

    t.p.speed = 1;
    AddTrackMark(t.p, 0, 1, 1, 0);
    FadeTracks(t.p, 7.5f);
    AddTrackMark(t.p, 1, 2, 2, 90);
    AddTrackMark(t.p, 0, 3, 3, 0);
    FadeTracks(t.p, 7.5f);
    ASSERT_EQ(t.p.trackCount, 2);  // the first faded out after 15 units
    EXPECT_EQ(t.p.tracks[0].x, 2);
    EXPECT_EQ(t.p.tracks[1].x, 3);
    EXPECT_NEAR(t.p.tracks[0].opacity, 0.5f, 1e-6);

    // A new level starts without marks.
    StartLevelBoard(t.p, 0);
    EXPECT_EQ(t.p.trackCount, 0);
}

TEST(Explosions, GrowForTheBlastAndVanishAtItsEnd)
{
    PuzzleBench t;
    t.Start({"@", "", "$."});
    t.p.blastTimer = 30;
    AddExplosion(t.p, 3, 4);
    AddExplosion(t.p, 3, 5);
    UpdateExplosions(t.p, 15);
    ASSERT_EQ(t.p.explosionCount, 2);
    EXPECT_NEAR(t.p.explosions[0].p, -0.25f, 1e-6);
    EXPECT_TRUE(t.p.explosions[1].active);
    UpdateExplosions(t.p, 15);  // p reaches -0.5, then the blast is over
    EXPECT_EQ(t.p.explosionCount, 0);
    EXPECT_EQ(t.p.explosions[0].p, -1.0f);
    EXPECT_FALSE(t.p.explosions[0].active);
    EXPECT_EQ(t.p.blastTimer, 0);
    // Never more than eight.
    t.p.blastTimer = 10;
    for (int i = 0; i < 12; ++i) AddExplosion(t.p, i, 0);
    EXPECT_EQ(t.p.explosionCount, kMaxExplosions);
}

}  // namespace
