// The image side of the baked detail layer: blur, combination with the
// detail picture, the bake colour and the planar shadow projection.
#include "scene/detail.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kSize = 8;

std::vector<uint8_t> Grey(int size, uint8_t v)
{
    return std::vector<uint8_t>(size_t(size) * size * 3, v);
}

TEST(DetailBlur, AFlatPictureStaysFlatAndADotSpreadsByTheKernel)
{
    EXPECT_EQ(BlurShadowImage(Grey(kSize, 137), kSize), Grey(kSize, 137));
    std::vector<uint8_t> dot = Grey(kSize, 0);
    const size_t centre = (3 * kSize + 3) * 3;
    dot[centre] = 160;      // red only
    dot[centre + 1] = 255;  // green
    const std::vector<uint8_t> b = BlurShadowImage(dot, kSize);
    EXPECT_EQ(b[centre], 40);  // 160 × 4 / 16
    EXPECT_EQ(b[centre + 1], 63);  // 255 × 4 / 16, truncated
    EXPECT_EQ(b[centre + 3], 20);  // right neighbour: 160 × 2 / 16
    EXPECT_EQ(b[((4 * kSize) + 4) * 3], 10);  // diagonal: 160 / 16
    EXPECT_EQ(b[((4 * kSize) + 4) * 3 + 2], 0);  // blue stays 0
}

TEST(DetailBlur, TheOutermostRowsAndColumnsKeepTheirValues)
{
    std::vector<uint8_t> img(size_t(kSize) * kSize * 3);
    for (size_t i = 0; i < img.size(); ++i)
        img[i] = uint8_t((i * 37) % 251);
    const std::vector<uint8_t> b = BlurShadowImage(img, kSize);
    for (int i = 0; i < kSize; ++i)
        for (int c = 0; c < 3; ++c) {
            const size_t top = size_t(i) * 3 + c, bottom = (size_t(kSize - 1) * kSize + i) * 3 + c;
            const size_t left = size_t(i) * kSize * 3 + c, right = (size_t(i) * kSize + kSize - 1) * 3 + c;
            EXPECT_EQ(b[top], img[top]);
            EXPECT_EQ(b[bottom], img[bottom]);
            EXPECT_EQ(b[left], img[left]);
            EXPECT_EQ(b[right], img[right]);
        }
    // Too small or too short a picture comes back as it is.
    EXPECT_EQ(BlurShadowImage(Grey(2, 9), 2), Grey(2, 9));
}

TEST(DetailCombine, AWhiteShadowLeavesTheDetailPictureExactly)
{
    std::vector<uint8_t> detail(size_t(kSize) * kSize * 4);
    for (size_t i = 0; i < detail.size(); ++i)
        detail[i] = uint8_t((i * 53) % 256);
    EXPECT_EQ(CombineDetail(detail, Grey(kSize, 255), kSize), detail);
}

TEST(DetailCombine, ShadowDarkensTheColourAndRaisesTheAlpha)
{
    std::vector<uint8_t> detail = {200, 100, 51, 30};
    std::vector<uint8_t> shadow = {128, 128, 64};
    const std::vector<uint8_t> out = CombineDetail(detail, shadow, 1);
    EXPECT_EQ(out[0], 100);  // round(200 × 128 / 255) = round(100.39)
    EXPECT_EQ(out[1], 50);   // round(50.196)
    EXPECT_EQ(out[2], 13);   // round(12.8)
    EXPECT_EQ(out[3], 255 - 106 + 30);  // grey (128 + 128 + 64) / 3 = 106
    const std::vector<uint8_t> black = CombineDetail({9, 9, 9, 200}, {0, 0, 0}, 1);
    EXPECT_EQ(black[0], 0);
    EXPECT_EQ(black[3], 255) << "capped";
}

TEST(DetailBake, TheShadowColourFadesTowardsWhite)
{
    const float colour[3] = {0.2f, 0.4f, 1.0f};
    float out[3];
    ShadowBakeColour(colour, 0.5f, out);
    EXPECT_FLOAT_EQ(out[0], 0.6f);
    EXPECT_FLOAT_EQ(out[1], 0.7f);
    EXPECT_FLOAT_EQ(out[2], 1.0f);
    ShadowBakeColour(colour, 0.0f, out);
    EXPECT_FLOAT_EQ(out[0], 1.0f);
}

TEST(DetailBake, ThePlanarShadowMatrixProjectsAlongTheLightOntoTheFloor)
{
    const float light[4] = {-0.35f, 1.0f, 0.55f, 0.0f};
    float m[16];
    PlanarShadowMatrix(light, m);
    const float v[4] = {1, 2, 3, 1};
    float r[4] = {0, 0, 0, 0};
    for (int row = 0; row < 4; ++row)
        for (int c = 0; c < 4; ++c)
            r[row] += m[4 * c + row] * v[c];  // column-major
    EXPECT_FLOAT_EQ(r[1], 0.0f);
    // The point moves away from the light until it meets y = 0.
    EXPECT_FLOAT_EQ(r[0] / r[3], 1 + 0.35f * 2);
    EXPECT_FLOAT_EQ(r[2] / r[3], 3 - 0.55f * 2);
    // A point on the floor stays where it is.
    const float f[4] = {4, 0, -2, 1};
    float q[4] = {0, 0, 0, 0};
    for (int row = 0; row < 4; ++row)
        for (int c = 0; c < 4; ++c)
            q[row] += m[4 * c + row] * f[c];
    EXPECT_FLOAT_EQ(q[0] / q[3], 4);
    EXPECT_FLOAT_EQ(q[2] / q[3], -2);
}

}  // namespace
