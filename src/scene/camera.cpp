#include "scene/camera.h"

#include <algorithm>

CameraRig::CameraRig()
{
    for (int m = 0; m < 3; ++m)
        modes[m] = DefaultCamera(m);
}

Camera DefaultCamera(int mode)
{
    switch (mode) {
    case 1:
        return Camera{0, -50, 0.6f};
    case 2:
        return Camera{0, -30, 0.25f};
    default:
        return Camera{0, -60, 1.2f};
    }
}

void ResetCurrentCamera(CameraRig& rig)
{
    rig.modes[rig.mode] = DefaultCamera(rig.mode);
}

void ChooseCameraMode(CameraRig& rig, int mode)
{
    if (mode >= 0 && mode <= 2)
        rig.mode = mode;
}

void ApplyCameraKeys(Camera& c, const CameraInput& in, float frameStep)
{
    if (in.pitchDec && c.pitch >= -90)
        c.pitch -= 0.5f * frameStep;
    if (in.pitchInc && c.pitch < -10)
        c.pitch += 0.5f * frameStep;
    if (in.yawDec)
        c.yaw -= 0.5f * frameStep;
    if (in.yawInc)
        c.yaw += 0.5f * frameStep;
    if (in.distDec && c.distance > 0.1f)
        c.distance -= 0.01f * frameStep;
    if (in.distInc && c.distance < 2.0f)
        c.distance += 0.01f * frameStep;
}

void ZoomCamera(Camera& c, bool wheelUp, bool wheelDown)
{
    if (wheelUp)
        c.distance -= 0.08f;
    if (wheelDown)
        c.distance += 0.08f;
    c.distance = std::clamp(c.distance, 0.1f, 2.0f);
}

void DragCamera(Camera& c, int mode, bool leftHeld, bool rightHeld, int relX, int relY)
{
    if (leftHeld) {
        if (mode != 1)
            c.yaw += -0.2f * relX;
        c.pitch = std::clamp(c.pitch + 0.2f * relY, -90.0f, -10.0f);
    }
    if (rightHeld)
        c.distance = std::clamp(c.distance + 0.004f * relY, 0.1f, 2.0f);
}
