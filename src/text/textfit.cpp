#include "text/textfit.h"

#include <algorithm>
#include <cmath>

int FittedWidth(const GLTTF2D& font, const std::u16string& text, int maxWidth)
{
    int w = TextWidth(font, text.c_str());
    return maxWidth > 0 && w > maxWidth ? maxWidth : w;
}

int DrawTextFit(GLTTF2D& font, const char16_t* text, int x, int y, int w, int h, bool centreH, bool centreV)
{
    if (!text)
        return 0;
    const int width = TextWidth(font, text);
    if (w <= 0 || width <= w) {
        DrawText(font, text, x, y, w, h, centreH, centreV);
        return width;
    }
    // Too wide: the glyphs' quads are scaled down about the origin, so the
    // box is given in the scaled coordinates; the smaller line stays
    // centred on the line it replaces.
    const float k = static_cast<float>(w) / static_cast<float>(width);
    const float oldScale = font.scale;
    font.scale = k;
    float top = static_cast<float>(y);
    if (centreV)
        top += (h - font.lineHeight * k) / 2.0f;
    else
        top += font.lineHeight * (1.0f - k) / 2.0f;
    DrawText(font, text, static_cast<int>(std::lround(x / k)), static_cast<int>(std::lround(top / k)), width,
             font.lineHeight, false, false);
    font.scale = oldScale;
    return w;
}

int DrawTextFit(GLTTF2D& font, const std::u16string& text, int x, int y, int w, int h, bool centreH, bool centreV)
{
    return DrawTextFit(font, text.c_str(), x, y, w, h, centreH, centreV);
}

FontTint::FontTint(GLTTF2D& font, const float top[3], const float bottom[3], float alpha) : font_(font)
{
    std::copy(font.colorTop, font.colorTop + 3, top_);
    std::copy(font.colorBottom, font.colorBottom + 3, bottom_);
    alpha_ = font.alpha;
    std::copy(top, top + 3, font.colorTop);
    std::copy(bottom, bottom + 3, font.colorBottom);
    font.alpha = alpha;
}

FontTint::FontTint(GLTTF2D& font, float alpha) : FontTint(font, font.colorTop, font.colorBottom, alpha) {}

FontTint::~FontTint()
{
    std::copy(top_, top_ + 3, font_.colorTop);
    std::copy(bottom_, bottom_ + 3, font_.colorBottom);
    font_.alpha = alpha_;
}
