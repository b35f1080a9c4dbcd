#include "scene/camera.h"
#include "puzzle/tableau.h"
#include "scene/scenedefs.h"

#include <algorithm>
#include <cmath>

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

namespace {

constexpr double kDegrees = 3.14159265358979323846 / 180.0;

// m = m · r, both column-major.
void Multiply(double m[16], const double r[16])
{
    double out[16];
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            double v = 0;
            for (int k = 0; k < 4; ++k)
                v += m[k * 4 + row] * r[c * 4 + k];
            out[c * 4 + row] = v;
        }
    std::copy(out, out + 16, m);
}

void Identity(double m[16])
{
    for (int i = 0; i < 16; ++i)
        m[i] = i % 5 == 0 ? 1 : 0;
}

void Translate(double m[16], double x, double y, double z)
{
    double t[16];
    Identity(t);
    t[12] = x, t[13] = y, t[14] = z;
    Multiply(m, t);
}

// A turn by degrees about the x axis (axis 0) or the y axis (axis 1), as
// the GL's rotation about (1, 0, 0) or (0, 1, 0).
void Rotate(double m[16], double degrees, int axis)
{
    const double c = std::cos(degrees * kDegrees), s = std::sin(degrees * kDegrees);
    double r[16];
    Identity(r);
    if (axis == 0)
        r[5] = c, r[6] = s, r[9] = -s, r[10] = c;
    else
        r[0] = c, r[2] = -s, r[8] = s, r[10] = c;
    Multiply(m, r);
}

void CameraTransform(const Camera& c, double m[16])
{
    Translate(m, 0, 0, -c.distance);
    Rotate(m, -c.pitch, 0);
    Rotate(m, -c.yaw, 1);
}

void ModeTransform(int mode, const CarPlace& car, double m[16])
{
    if (mode == 2)
        Rotate(m, -(car.angle + 90.0), 1);
    if (mode == 1 || mode == 2)
        Translate(m, -kCellSize * (car.x - 10.0 + 0.5), -kCellSize, -kCellSize * (car.y - 7.5 + 0.5));
}

void ToFloats(const double m[16], float out[16])
{
    for (int i = 0; i < 16; ++i)
        out[i] = static_cast<float>(m[i]);
}

}  // namespace

void CameraMatrix(const Camera& c, float m[16])
{
    double d[16];
    Identity(d);
    CameraTransform(c, d);
    ToFloats(d, m);
}

void CameraModeMatrix(int mode, const CarPlace& car, float m[16])
{
    double d[16];
    Identity(d);
    ModeTransform(mode, car, d);
    ToFloats(d, m);
}

bool CellUnderPointer(const Camera& c, int mode, const CarPlace& car, int px, int py, int width, int height,
                      float fov, int& x, int& y)
{
    if (width <= 0 || height <= 0)
        return false;
    double m[16];
    Identity(m);
    CameraTransform(c, m);
    ModeTransform(mode, car, m);
    Translate(m, kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
    // The ray from the eye through the pixel's centre, in eye coordinates.
    const double t = std::tan(fov * 0.5 * kDegrees);
    const double eye[3] = {(2.0 * (px + 0.5) / width - 1.0) * t * width / height, (1.0 - 2.0 * (py + 0.5) / height) * t,
                           -1.0};
    // The transform only turns and moves, so its inverse is the transposed
    // turn: board = Rᵀ (eye − t).
    double origin[3], dir[3];
    for (int i = 0; i < 3; ++i) {
        origin[i] = -(m[i * 4] * m[12] + m[i * 4 + 1] * m[13] + m[i * 4 + 2] * m[14]);
        dir[i] = m[i * 4] * eye[0] + m[i * 4 + 1] * eye[1] + m[i * 4 + 2] * eye[2];
    }
    if (dir[1] >= 0 || origin[1] <= 0)
        return false;  // looking up, or from below the board
    const double k = -origin[1] / dir[1];
    const int cx = static_cast<int>(std::floor((origin[0] + k * dir[0]) / kCellSize + 0.5));
    const int cy = static_cast<int>(std::floor((origin[2] + k * dir[2]) / kCellSize + 0.5));
    if (cx < 0 || cx >= kPlayWidth || cy < 0 || cy >= kPlayHeight)
        return false;
    x = cx, y = cy;
    return true;
}
