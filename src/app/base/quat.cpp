#include "app/base/quat.h"

#include <cmath>

void QuatToMatrix(const Quat& q, float m[16])
{
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    // Element 4c + r is row r of column c; column 0 is the image of the x axis.
    m[0] = 1 - 2 * (y * y + z * z);
    m[1] = 2 * (x * y + z * w);
    m[2] = 2 * (x * z - y * w);
    m[3] = 0;
    m[4] = 2 * (x * y - z * w);
    m[5] = 1 - 2 * (x * x + z * z);
    m[6] = 2 * (y * z + x * w);
    m[7] = 0;
    m[8] = 2 * (x * z + y * w);
    m[9] = 2 * (y * z - x * w);
    m[10] = 1 - 2 * (x * x + y * y);
    m[11] = 0;
    m[12] = m[13] = m[14] = 0;
    m[15] = 1;
}

Quat EulerToQuat(float ax, float ay, float az)
{
    const double h = 0.008726646;  // pi / 360: half of one degree in radians
    double ca = std::cos(ax * h), sa = std::sin(ax * h);
    double cb = std::cos(ay * h), sb = std::sin(ay * h);
    double cc = std::cos(az * h), sc = std::sin(az * h);
    double x = sa * cb * cc - ca * sb * sc;
    double y = ca * sb * cc + sa * cb * sc;
    double z = ca * cb * sc - sa * sb * cc;
    double w = ca * cb * cc + sa * sb * sc;
    double n = x * x + y * y + z * z + w * w;
    Quat q;
    q.x = static_cast<float>(x / n);
    q.y = static_cast<float>(y / n);
    q.z = static_cast<float>(z / n);
    q.w = static_cast<float>(w / n);
    return q;
}

Quat QuatMultiply(const Quat& a, const Quat& b)
{
    Quat r;
    r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    r.x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
    r.y = a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x;
    r.z = a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w;
    return r;
}
