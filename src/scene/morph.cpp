#include "scene/morph.h"

#include "engine/draw3d.h"
#include "scene/theme.h"

#include <cmath>

float MorphWeight(float T, float phase, int type)
{
    const double t = double(T) + double(phase);
    if (type == 0)
        return static_cast<float>((std::sin(t * M_PI / 64.0) + 1.0) / 2.0);
    double whole = std::trunc(t);
    double r = std::fmod(whole, 128.0);
    if (r < 0)
        r += 128.0;  // a clock before 0 still gives a weight in 0 .. 127/128
    return static_cast<float>(r / 128.0);
}

void UpdateMorphs(float T)
{
    Theme& th = CurrentTheme();
    const ThemeSettings& s = th.settings;
    for (int k = 0; k < kThemeColours; ++k)
        for (int j = 0; j < kMorphPhases; ++j) {
            const float phase = 16.0f * k + 16.0f * j;
            th.blockWeight[k][j] = MorphWeight(T, phase, s.blockMorphType);
            th.blockOnWeight[k][j] = MorphWeight(T, phase, s.blockOnMorphType);
        }
    th.carWeight = s.carMorphType == 0 ? MorphWeight(T, 0, 0) : MorphWeight(T, 64, 1);
}

void MorphInstance(Model3D& instance, float weight, float& morphedAt)
{
    if (morphedAt == weight)
        return;
    Morph(&instance, weight);
    morphedAt = weight;
}
