#pragma once
// The icon font of the heads-up bar: "data/gfx/2d/fonteicone.png", cells of
// 48 × 48 pixels holding the space (the carried bomb), "!", the double
// quote (the level) and "#" (the moves). Loaded and freed with the glyph
// fonts.
struct GLFont2D;

const GLFont2D& IconFont();
bool LoadIconFont(const char* path);
void ReleaseIconFont();
