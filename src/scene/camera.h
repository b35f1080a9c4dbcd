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
