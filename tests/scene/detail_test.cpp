// The scene's arithmetic without a window: the baked detail layer (blur,
// combination, bake colour, planar shadow) and the morph cycles.
#include "scene/detail.h"
#include "scene/morph.h"
#include "scene/theme.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kSize = 8;

std::vector<uint8_t> Grey(int size, uint8_t v)
{
    return std::vector<uint8_t>(size_t(size) * size * 3, v);
}

TEST(DetailBlur, AFlatPictureStaysFlatADotSpreadsByTheKernelAndTheEdgesStay)
{
    EXPECT_EQ(BlurShadowImage(Grey(kSize, 137), kSize), Grey(kSize, 137));
    EXPECT_EQ(BlurShadowImage(Grey(2, 9), 2), Grey(2, 9)) << "too small a picture comes back as it is";
    std::vector<uint8_t> dot = Grey(kSize, 0);
    const size_t centre = (3 * kSize + 3) * 3;
    dot[centre] = 160;      // red only
    dot[centre + 1] = 255;  // green
    const std::vector<uint8_t> b = BlurShadowImage(dot, kSize);
    EXPECT_EQ(b[centre], 40);                    // 160 × 4 / 16
    EXPECT_EQ(b[centre + 1], 63);                // 255 × 4 / 16, truncated
    EXPECT_EQ(b[centre + 3], 20);                // right neighbour: 160 × 2 / 16
    EXPECT_EQ(b[((4 * kSize) + 4) * 3], 10);     // diagonal: 160 / 16
    EXPECT_EQ(b[((4 * kSize) + 4) * 3 + 2], 0);  // blue stays 0

    std::vector<uint8_t> img(size_t(kSize) * kSize * 3);
    for (size_t i = 0; i < img.size(); ++i)
        img[i] = uint8_t((i * 37) % 251);
    const std::vector<uint8_t> e = BlurShadowImage(img, kSize);
    for (int i = 0; i < kSize; ++i)
        for (int c = 0; c < 3; ++c)
            for (size_t at : {size_t(i) * 3 + c, (size_t(kSize - 1) * kSize + i) * 3 + c, size_t(i) * kSize * 3 + c,
                              (size_t(i) * kSize + kSize - 1) * 3 + c})
                EXPECT_EQ(e[at], img[at]) << "the outermost rows and columns keep their values";
}

TEST(DetailCombine, ShadowDarkensTheColourAndRaisesTheAlphaAndWhiteLeavesTheDetail)
{
    std::vector<uint8_t> detail(size_t(kSize) * kSize * 4);
    for (size_t i = 0; i < detail.size(); ++i)
        detail[i] = uint8_t((i * 53) % 256);
    EXPECT_EQ(CombineDetail(detail, Grey(kSize, 255), kSize), detail);
    // Colours: round(200 × 128 / 255), round(50.196), round(12.8); alpha
    // 255 − grey (128 + 128 + 64) / 3 + 30.
    EXPECT_EQ(CombineDetail({200, 100, 51, 30}, {128, 128, 64}, 1),
              (std::vector<uint8_t>{100, 50, 13, 255 - 106 + 30}));
    EXPECT_EQ(CombineDetail({9, 9, 9, 200}, {0, 0, 0}, 1), (std::vector<uint8_t>{0, 0, 0, 255})) << "alpha capped";
}

TEST(DetailBake, TheShadowColourFadesTowardsWhiteAndIsProjectedAlongTheLight)
{
    const float colour[3] = {0.2f, 0.4f, 1.0f};
    float out[3];
    ShadowBakeColour(colour, 0.5f, out);
    EXPECT_FLOAT_EQ(out[0], 0.6f);
    EXPECT_FLOAT_EQ(out[1], 0.7f);
    EXPECT_FLOAT_EQ(out[2], 1.0f);
    ShadowBakeColour(colour, 0.0f, out);
    EXPECT_FLOAT_EQ(out[0], 1.0f);

    const float light[4] = {-0.35f, 1.0f, 0.55f, 0.0f};
    float m[16];
    PlanarShadowMatrix(light, m);
    auto project = [&](const float v[4], float r[4]) {
        for (int row = 0; row < 4; ++row) {
            r[row] = 0;
            for (int c = 0; c < 4; ++c)
                r[row] += m[4 * c + row] * v[c];  // column-major
        }
    };
    // A point moves away from the light until it meets y = 0; one on the floor stays.
    const float v[4] = {1, 2, 3, 1}, f[4] = {4, 0, -2, 1};
    float r[4], q[4];
    project(v, r);
    project(f, q);
    EXPECT_FLOAT_EQ(r[1], 0.0f);
    EXPECT_FLOAT_EQ(r[0] / r[3], 1 + 0.35f * 2);
    EXPECT_FLOAT_EQ(r[2] / r[3], 3 - 0.55f * 2);
    EXPECT_FLOAT_EQ(q[0] / q[3], 4);
    EXPECT_FLOAT_EQ(q[2] / q[3], -2);
}

TEST(MorphWeight, SawToothAndSineCycleOver128)
{
    const struct {
        float T, phase;
        int type;
        float weight;
    } cases[] = {
        {127.9f, 0, 1, 127.0f / 128},
        {128, 0, 1, 0},
        {0, 0, 1, 0},
        {10.5f, 16, 3, 26.0f / 128},  // any non-zero type
        {200, 64, 1, 8.0f / 128},
        {0, 0, 0, 0.5f},
        {32, 0, 0, 1},
        {96, 0, 0, 0},
        {16, 16, 0, 1},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(MorphWeight(c.T, c.phase, c.type), c.weight, 1e-6f) << c.T << " type " << c.type;
    EXPECT_NEAR(MorphWeight(5, 0, 0), MorphWeight(133, 0, 0), 1e-5f);
    // A clock far along, or before 0, still gives a weight in range.
    for (float t : {1.0e6f + 3.0f, -1.0f, -200.5f}) {
        EXPECT_GE(MorphWeight(t, 0, 1), 0.0f) << t;
        EXPECT_LT(MorphWeight(t, 0, 1), 1.0f) << t;
    }
}

TEST(UpdateMorphs, EachColourAndInstanceHasItsOwnPhase)
{
    Theme& t = CurrentTheme();
    t.settings.blockMorphType = 1;
    t.settings.blockOnMorphType = 0;
    t.settings.carMorphType = 0;
    UpdateMorphs(10);
    for (int k = 0; k < kThemeColours; ++k)
        for (int j = 0; j < kMorphPhases; ++j) {
            EXPECT_EQ(t.blockWeight[k][j], MorphWeight(10, 16.0f * (k + j), 1)) << k << "," << j;
            EXPECT_EQ(t.blockOnWeight[k][j], MorphWeight(10, 16.0f * (k + j), 0)) << k << "," << j;
        }
    EXPECT_EQ(t.carWeight, MorphWeight(10, 0, 0));
    // A saw-tooth car runs half a cycle ahead.
    t.settings.carMorphType = 2;
    UpdateMorphs(10);
    EXPECT_FLOAT_EQ(t.carWeight, 74.0f / 128.0f);
    t.settings = ThemeSettings();
}

}  // namespace
