#include "scene/camera.h"

#include <gtest/gtest.h>

namespace {

TEST(Camera, ModesKeepTheirOwnRecordsAndResetToTheirDefaults)
{
    CameraRig rig;
    ChooseCameraMode(rig, 2);
    rig.modes[2].yaw = 33;
    ChooseCameraMode(rig, 0);
    ChooseCameraMode(rig, 7);  // ignored
    EXPECT_EQ(rig.mode, 0);
    EXPECT_EQ(rig.modes[2].yaw, 33);
    ChooseCameraMode(rig, 2);
    ResetCurrentCamera(rig);
    EXPECT_EQ(rig.modes[2].yaw, 0);
    EXPECT_FLOAT_EQ(rig.modes[2].pitch, -30);
    EXPECT_FLOAT_EQ(rig.modes[2].distance, 0.25f);
    EXPECT_FLOAT_EQ(rig.modes[1].pitch, -50);
    EXPECT_FLOAT_EQ(rig.modes[1].distance, 0.6f);
}

TEST(Camera, KeysScaleWithTheFrameStepAndStopAtTheirLimits)
{
    Camera c{0, -60, 1.2f};
    CameraInput in;
    in.yawInc = true;
    in.pitchInc = true;
    ApplyCameraKeys(c, in, 2.0f);
    EXPECT_FLOAT_EQ(c.yaw, 1.0f);
    EXPECT_FLOAT_EQ(c.pitch, -59.0f);
    c.pitch = -10;
    ApplyCameraKeys(c, in, 2.0f);
    EXPECT_FLOAT_EQ(c.pitch, -10);  // not raised at -10
    CameraInput closer;
    closer.distDec = true;
    c.distance = 0.1f;
    ApplyCameraKeys(c, closer, 1.0f);
    EXPECT_FLOAT_EQ(c.distance, 0.1f);
}

TEST(Camera, WheelAndDragStayWithinTheirRanges)
{
    Camera c{0, -60, 0.12f};
    ZoomCamera(c, true, false);
    EXPECT_FLOAT_EQ(c.distance, 0.1f);
    c.distance = 1.98f;
    ZoomCamera(c, false, true);
    EXPECT_FLOAT_EQ(c.distance, 2.0f);

    Camera d{10, -60, 1};
    DragCamera(d, 1, true, false, 50, -200);
    EXPECT_FLOAT_EQ(d.yaw, 10);     // mode 1 does not turn
    EXPECT_FLOAT_EQ(d.pitch, -90);  // clamped
    DragCamera(d, 0, true, true, 50, 1000);
    EXPECT_FLOAT_EQ(d.yaw, 0);
    EXPECT_FLOAT_EQ(d.pitch, -10);
    EXPECT_FLOAT_EQ(d.distance, 2.0f);
}

}  // namespace
