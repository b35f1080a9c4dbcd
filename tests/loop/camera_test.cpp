#include "scene/camera.h"

#include <gtest/gtest.h>

#include <functional>

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

TEST(Camera, KeysWheelAndDragMoveWithTheFrameStepAndStopAtTheirLimits)
{
    CameraInput turn, closer;
    turn.yawInc = turn.pitchInc = true;
    closer.distDec = true;
    const struct {
        const char* what;
        Camera before;
        std::function<void(Camera&)> move;
        Camera after;
    } cases[] = {
        {"keys", {0, -60, 1.2f}, [&](Camera& c) { ApplyCameraKeys(c, turn, 2.0f); }, {1, -59, 1.2f}},
        {"not raised at -10", {1, -10, 1.2f}, [&](Camera& c) { ApplyCameraKeys(c, turn, 2.0f); }, {2, -10, 1.2f}},
        {"no nearer than 0.1", {0, -60, 0.1f}, [&](Camera& c) { ApplyCameraKeys(c, closer, 1.0f); }, {0, -60, 0.1f}},
        {"wheel in", {0, -60, 0.12f}, [](Camera& c) { ZoomCamera(c, true, false); }, {0, -60, 0.1f}},
        {"wheel out", {0, -60, 1.98f}, [](Camera& c) { ZoomCamera(c, false, true); }, {0, -60, 2.0f}},
        {"mode 1 does not turn",
         {10, -60, 1},
         [](Camera& c) { DragCamera(c, 1, true, false, 50, -200); },
         {10, -90, 1}},
        {"both buttons", {10, -90, 1}, [](Camera& c) { DragCamera(c, 0, true, true, 50, 1000); }, {0, -10, 2.0f}},
    };
    for (auto c : cases) {
        c.move(c.before);
        EXPECT_FLOAT_EQ(c.before.yaw, c.after.yaw) << c.what;
        EXPECT_FLOAT_EQ(c.before.pitch, c.after.pitch) << c.what;
        EXPECT_FLOAT_EQ(c.before.distance, c.after.distance) << c.what;
    }
}

}  // namespace
