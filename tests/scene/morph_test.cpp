// The morph cycles: the two weight curves and the phases every instance of
// the theme gets from the animation clock.
#include "scene/morph.h"
#include "scene/theme.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(MorphWeight, SawToothRisesTo127Over128AndJumpsBack)
{
    EXPECT_FLOAT_EQ(MorphWeight(127.9f, 0, 1), 127.0f / 128.0f);
    EXPECT_FLOAT_EQ(MorphWeight(128.0f, 0, 1), 0.0f);
    EXPECT_FLOAT_EQ(MorphWeight(0.0f, 0, 1), 0.0f);
    EXPECT_FLOAT_EQ(MorphWeight(10.5f, 16, 3), 26.0f / 128.0f) << "any non-zero type is the saw-tooth";
    EXPECT_FLOAT_EQ(MorphWeight(200.0f, 64, 1), 8.0f / 128.0f);
    // A clock far along, or before 0, still gives a weight in range.
    for (float t : {1.0e6f + 3.0f, -1.0f, -200.5f}) {
        const float w = MorphWeight(t, 0, 1);
        EXPECT_GE(w, 0.0f) << t;
        EXPECT_LT(w, 1.0f) << t;
    }
}

TEST(MorphWeight, SineHasAPeriodOf128)
{
    EXPECT_NEAR(MorphWeight(0, 0, 0), 0.5f, 1e-6f);
    EXPECT_NEAR(MorphWeight(32, 0, 0), 1.0f, 1e-6f);
    EXPECT_NEAR(MorphWeight(96, 0, 0), 0.0f, 1e-6f);
    EXPECT_NEAR(MorphWeight(16, 16, 0), 1.0f, 1e-6f);
    EXPECT_NEAR(MorphWeight(5, 0, 0), MorphWeight(133, 0, 0), 1e-5f);
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
            const float phase = 16.0f * k + 16.0f * j;
            EXPECT_FLOAT_EQ(t.blockWeight[k][j], std::fmod(std::trunc(10 + phase), 128.0f) / 128.0f);
            EXPECT_NEAR(t.blockOnWeight[k][j], (std::sin((10 + phase) * M_PI / 64) + 1) / 2, 1e-5);
        }
    // Neighbouring instances of a colour are 16 units apart.
    EXPECT_FLOAT_EQ(t.blockWeight[0][1] - t.blockWeight[0][0], 16.0f / 128.0f);
    EXPECT_NEAR(t.carWeight, (std::sin(10 * M_PI / 64) + 1) / 2, 1e-5);
    // A saw-tooth car runs half a cycle ahead.
    t.settings.carMorphType = 2;
    UpdateMorphs(10);
    EXPECT_FLOAT_EQ(t.carWeight, 74.0f / 128.0f);
    t.settings = ThemeSettings();
}

}  // namespace
