#include "scene/detail.h"

#include <algorithm>

std::vector<uint8_t> BlurShadowImage(const std::vector<uint8_t>& rgb, int size)
{
    std::vector<uint8_t> out(rgb);
    if (size < 3 || rgb.size() < size_t(size) * size * 3)
        return out;
    static const int kKernel[3][3] = {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}};
    for (int y = 1; y < size - 1; ++y)
        for (int x = 1; x < size - 1; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        sum += kKernel[dy + 1][dx + 1] * rgb[(size_t(y + dy) * size + (x + dx)) * 3 + c];
                out[(size_t(y) * size + x) * 3 + c] = static_cast<uint8_t>(sum / 16);
            }
    return out;
}

std::vector<uint8_t> CombineDetail(const std::vector<uint8_t>& d, const std::vector<uint8_t>& s, int size)
{
    const size_t n = size_t(size) * size;
    std::vector<uint8_t> out(n * 4, 255);
    if (d.size() < n * 4 || s.size() < n * 3)
        return out;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* dp = &d[4 * i];
        const uint8_t* sp = &s[3 * i];
        for (int c = 0; c < 3; ++c)
            out[4 * i + c] = static_cast<uint8_t>((dp[c] * sp[c] + 127) / 255);
        const int grey = (sp[0] + sp[1] + sp[2]) / 3;
        out[4 * i + 3] = static_cast<uint8_t>(std::min(255, 255 - grey + dp[3]));
    }
    return out;
}

void ShadowBakeColour(const float colour[3], float s, float out[3])
{
    for (int c = 0; c < 3; ++c)
        out[c] = s * colour[c] + 1.0f - s;
}

void PlanarShadowMatrix(const float L[4], float m[16])
{
    const float P[4] = {0, 1, 0, 0};
    const float dot = P[0] * L[0] + P[1] * L[1] + P[2] * L[2] + P[3] * L[3];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            m[4 * c + r] = (r == c ? dot : 0.0f) - L[r] * P[c];
}
