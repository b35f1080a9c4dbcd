#pragma once
// The image side of the baked detail layer: the shadow picture read back
// from the frame buffer is blurred and combined with "detail.png". Plain
// byte arithmetic, no GL, so it can be checked pixel by pixel.
#include <cstdint>
#include <vector>

// 3 × 3 blur (1 2 1 / 2 4 2 / 1 2 1, divided by 16 and truncated) of a
// size × size RGB image, per channel; the outermost rows and columns keep
// their values.
std::vector<uint8_t> BlurShadowImage(const std::vector<uint8_t>& rgb, int size);

// Each texel: colour = round(D × S / 255) per channel; alpha =
// min(255, 255 − (Sr + Sg + Sb) / 3 + Da), so a white shadow leaves the
// detail picture exactly as it is. `detailRgba` and the result are
// size × size × 4 bytes, `shadowRgb` size × size × 3.
std::vector<uint8_t> CombineDetail(const std::vector<uint8_t>& detailRgba, const std::vector<uint8_t>& shadowRgb,
                                   int size);

// The colour the scenery is flattened in: the theme's shadow colour faded
// towards white by (1 − strength).
void ShadowBakeColour(const float shadowColour[3], float strength, float out[3]);

// The planar projection onto y = 0 along a light at L (four components),
// column-major: M = (P · L) I − L Pᵀ with P = (0, 1, 0, 0).
void PlanarShadowMatrix(const float light[4], float m[16]);
