// The one-cell move, the block rolls, the wheel tracks and the explosions.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const char* const kRoom = "/////     @/////////$.";

void Advance(Puzzle& p, float total)
{
    for (float done = 0; done < total - 1e-4f; done += 1)
        AdvanceCarMove(p, 1);
}

// q and -q are the same rotation.
bool SameRotation(const Quat& a, const Quat& b)
{
    return std::fabs(std::fabs(a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w) - 1) < 1e-5f;
}

TEST(CarMove, DurationsTurnsAndTheSnapAtTheEnd)
{
    // The cell changes at once; a reversal takes twice as long and turns half
    // a turn on the way; the angle takes the short way, through 360 to 0.
    const struct {
        Direction dir;
        float duration, midAngle, midX, midY, endAngle;
    } steps[] = {{kDirLeft, 12, 0, 4.5f, 5, 0},
                 {kDirRight, 24, 90, 4.5f, 5, 180},
                 {kDirDown, 12, 135, 5, 5.5f, 90},
                 {kDirUp, 24, 180, 5, 5.5f, 270},
                 {kDirLeft, 12, 315, 4.5f, 5, 0}};
    PuzzleBench t;
    t.Start(Rows(kRoom));
    for (const auto& s : steps) {
        const int x = t.p.carX, y = t.p.carY;
        ASSERT_EQ(StepCar(t.p, s.dir), kStepMoved);
        EXPECT_EQ(StepCar(t.p, kDirUp), kStepBusy);  // a car under way takes no new step
        EXPECT_EQ(t.p.moveProgress, s.duration);
        Advance(t.p, s.duration / 2);
        EXPECT_EQ(FormatText("%g %g %g", t.p.carAngle, t.p.carDrawX, t.p.carDrawY),
                  FormatText("%g %g %g", s.midAngle, s.midX, s.midY))
            << x << "," << y << " " << s.dir;
        Advance(t.p, s.duration / 2);
        EXPECT_EQ(
            FormatText("%g %g %g %g", t.p.carAngle, t.p.moveProgress, t.p.carDrawX - t.p.carX, t.p.carDrawY - t.p.carY),
            FormatText("%g 0 0 0", s.endAngle));
    }
    // The speed setting is the duration (at least 1); the wheels turn a
    // quarter per cell, and one long stall ends a step exactly.
    t.p.speed = 4;
    t.p.wheelAngle = 0;
    StepCar(t.p, kDirLeft);
    Advance(t.p, 4);
    EXPECT_NEAR(t.p.wheelAngle, 90, 1e-4);
    StepCar(t.p, kDirRight);
    EXPECT_EQ(t.p.moveProgress, 8);
    AdvanceCarMove(t.p, 100);
    EXPECT_NEAR(t.p.wheelAngle, 180, 1e-4);
    t.p.speed = 0;
    StepCar(t.p, kDirRight);
    EXPECT_EQ(t.p.moveProgress, 1);
}

TEST(BlockRoll, EndsExactlyOnItsAngleAndTurnsAboutTheWorldsAxesInColumnMajorOrder)
{
    PuzzleBench t;
    t.p.rollVertical[0][0] = 90;    // a push along a column turns about x
    t.p.rollHorizontal[0][2] = 90;  // a push along a row turns about z
    t.Start(Rows("//  @/  $/////////// ."));
    ASSERT_EQ(StepCar(t.p, kDirDown), kStepPushed);  // the car faces left: a quarter turn, 12 units
    AdvanceCarMove(t.p, 6);
    EXPECT_TRUE(SameRotation(t.p.blocks[0].orientation, EulerToQuat(45, 0, 0)));
    EXPECT_EQ(t.p.blocks[0].drawY * 10 + t.p.carDrawY, 37.5f);  // the block moves with the car
    AdvanceCarMove(t.p, 5);
    AdvanceCarMove(t.p, 5);  // 16 units for a 12-unit move
    EXPECT_TRUE(SameRotation(t.p.blocks[0].orientation, EulerToQuat(90, 0, 0)));
    EXPECT_EQ(t.p.blocks[0].drawY, 4.0f);
    EXPECT_EQ(t.Play("LDR"), "mmp");  // block to (3,4)
    const Quat world = QuatMultiply(EulerToQuat(0, 0, 90), EulerToQuat(90, 0, 0));
    EXPECT_TRUE(SameRotation(t.p.blocks[0].orientation, world));
    EXPECT_FALSE(SameRotation(world, QuatMultiply(EulerToQuat(90, 0, 0), EulerToQuat(0, 0, 90))));
    // Column 0 is the image of the x axis: x about x stays x, then about z
    // becomes y; y about x becomes z, which the turn about z keeps.
    const float* m = t.p.blocks[0].matrix;
    std::string columns;
    for (int i : {0, 1, 2, 4, 5, 6})
        columns += std::to_string(std::lround(m[i]));
    EXPECT_EQ(columns + FormatText(" %g %g", m[12], m[15]), "010001 0 1");
    // Pushed back, each roll goes the other way and they cancel out.
    EXPECT_EQ(t.Play("DRRULDLU"), "mmmmpmmp");
    EXPECT_TRUE(SameRotation(t.p.blocks[0].orientation, Quat())) << t.Picture();
}

TEST(TrackMarks, StraightAndCurvedMarksOnPlainFloorOnlySixteenAtMostFadingWithTheSpeed)
{
    PuzzleBench t;
    t.Start(Rows(kRoom));
    EXPECT_EQ(t.Play("L"), "m");  // leaving the car start leaves no mark
    EXPECT_EQ(t.p.trackCount, 0);
    t.Play("L");
    ASSERT_EQ(t.p.trackCount, 1);
    const TrackMark& m = t.p.tracks[0];
    EXPECT_EQ(FormatText("%d %g %d %d %g", m.type, m.angle, m.x, m.z, m.opacity), "0 90 4 5 1");
    // The heading the car came in with, then the one it leaves with.
    const struct {
        const char* keys;
        int type;
        float angle;
    } marks[] = {{"LD", 1, 0}, {"LU", 1, 90},  {"RU", 1, 180}, {"RD", 1, 270}, {"UL", 1, 270},
                 {"UR", 1, 0}, {"DL", 1, 180}, {"DR", 1, 90},  {"UD", 0, 0},   {"UU", 0, 0}};
    for (const auto& c : marks) {
        t.Start(Rows(kRoom));
        t.Play(std::string(1, c.keys[0]));
        ClearTracks(t.p);
        t.Play(std::string(1, c.keys[1]));
        ASSERT_EQ(t.p.trackCount, 1) << c.keys;
        EXPECT_EQ(t.p.tracks[0].type * 1000 + t.p.tracks[0].angle, c.type * 1000 + c.angle) << c.keys;
    }
    t.Start(Rows("/////    .@/////////$"));  // a target left behind gets no mark
    t.Play("LL");
    EXPECT_EQ(t.p.trackCount, 0);
    t.Start(Rows("/////" + std::string(19, ' ') + "@/////////$."));
    t.Play(std::string(19, 'L'));
    EXPECT_EQ(t.p.trackCount * 100 + t.p.tracks[15].x, 1603);  // the seventeenth is not kept
    FadeTracks(t.p, 179);                                      // at speed 12 a mark lasts 180 units
    EXPECT_EQ(t.p.trackCount, 16);
    FadeTracks(t.p, 1.01f);
    EXPECT_EQ(t.p.trackCount, 0);
    t.p.speed = 1;
    AddTrackMark(t.p, 0, 1, 1, 0);
    FadeTracks(t.p, 7.5f);
    AddTrackMark(t.p, 1, 2, 2, 90);
    FadeTracks(t.p, 7.5f);
    ASSERT_EQ(t.p.trackCount, 1);  // the first faded out after 15 units
    EXPECT_EQ(t.p.tracks[0].x * 10 + t.p.tracks[0].opacity, 20.5f);
    StartLevelBoard(t.p, 0);  // a new start has no marks
    EXPECT_EQ(t.p.trackCount, 0);
}

TEST(Explosions, GrowForTheBlastVanishAtItsEndAndAreEightAtMost)
{
    PuzzleBench t;
    t.Start({"@", "", "$."});
    t.p.blastTimer = 30;
    AddExplosion(t.p, 3, 4);
    AddExplosion(t.p, 3, 5);
    UpdateExplosions(t.p, 15);
    EXPECT_EQ(FormatText("%d %g %d", t.p.explosionCount, t.p.explosions[0].p, t.p.explosions[1].active), "2 -0.25 1");
    UpdateExplosions(t.p, 15);
    EXPECT_EQ(
        FormatText("%d %g %d %g", t.p.explosionCount, t.p.explosions[0].p, t.p.explosions[0].active, t.p.blastTimer),
        "0 -1 0 0");
    t.p.blastTimer = 10;
    for (int i = 0; i < 12; ++i)
        AddExplosion(t.p, i, 0);
    EXPECT_EQ(t.p.explosionCount, kMaxExplosions);
}

}  // namespace
