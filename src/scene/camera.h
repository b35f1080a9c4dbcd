#pragma once
// The play cameras: one record per camera mode (0 looks at the board
// centre, 1 follows the car, 2 also turns with the car), plus the rules the
// keys, the mouse and the wheel apply to the current one. Headless: the GL
// transform of a camera is the renderer's.

struct Camera {
    float yaw = 0;      // degrees
    float pitch = -60;  // degrees
    float distance = 1.2f;
};

struct CameraInput {
    bool pitchDec = false, pitchInc = false;
    bool yawDec = false, yawInc = false;
    bool distDec = false, distInc = false;
};

struct CameraRig {
    int mode = 0;     // 0, 1 or 2
    Camera modes[3];  // each mode keeps its own record
    CameraRig();
};

// The default record of a camera mode: (0, −60, 1.2), (0, −50, 0.6), (0, −30, 0.25).
Camera DefaultCamera(int mode);

// F5: the current mode's record back to its default.
void ResetCurrentCamera(CameraRig& rig);

// F6, F7, F8: choose mode 0, 1, 2 (out-of-range modes are ignored).
void ChooseCameraMode(CameraRig& rig, int mode);

// The camera keys held this frame, scaled by the frame step.
void ApplyCameraKeys(Camera& c, const CameraInput& in, float frameStep);

// Mouse wheel: up brings the camera 0.08 closer, down 0.08 further; the
// distance stays within 0.1 … 2.0.
void ZoomCamera(Camera& c, bool wheelUp, bool wheelDown);

// Dragging with a mouse button held on the play screen: left turns (not in
// mode 1) and tilts, right moves closer or further.
void DragCamera(Camera& c, int mode, bool leftHeld, bool rightHeld, int relX, int relY);

// Where the following camera modes find the car: its drawn cell and angle.
struct CarPlace {
    float x = 0, y = 0, angle = 0;
};

// The view transforms the renderer multiplies in, column-major: the camera
// record's (back by distance, tilt by pitch about (−1, 0, 0), turn by yaw
// about (0, −1, 0)), and the mode's (mode 1 centres the car, mode 2 also
// turns with it; mode 0 none).
void CameraMatrix(const Camera& c, float m[16]);
void CameraModeMatrix(int mode, const CarPlace& car, float m[16]);

// The board cell under window pixel (px, py), counted from the top left of
// a width × height view whose vertical angle is fov degrees: the pointer's
// ray through the camera in use, met with the board's top. False when the
// ray meets it outside the playable cells, or not at all.
bool CellUnderPointer(const Camera& c, int mode, const CarPlace& car, int px, int py, int width, int height,
                      float fov, int& x, int& y);
