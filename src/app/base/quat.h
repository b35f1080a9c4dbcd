#pragma once
// Quaternions as four floats (x, y, z, w), used for the blocks' rolls.
// Headless: no GL here, the matrices are plain column-major float arrays as
// OpenGL takes them.

struct Quat {
    float x = 0, y = 0, z = 0, w = 1;
};

// Rotation matrix of a unit quaternion, 16 floats in OpenGL's column-major
// order (element 4·column + row).
void QuatToMatrix(const Quat& q, float m[16]);

// Quaternion of three Euler angles in degrees: the turn about x is applied
// first, then about y, then about z.
Quat EulerToQuat(float ax, float ay, float az);

// a × b: the rotation b followed by the rotation a.
Quat QuatMultiply(const Quat& a, const Quat& b);
