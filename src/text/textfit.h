#pragma once
// Text drawn so that it never leaves its box, and a font's colours set for
// the length of a scope. Drawn into the caller's 2D overlay.
#include "text/glttf2d.h"

#include <string>

// Text in the box (x, y, w, h), centred as asked. A text wider than its box
// is drawn smaller, so that it is never cut; the result is the width drawn.
int DrawTextFit(GLTTF2D& font, const char16_t* text, int x, int y, int w, int h, bool centreH, bool centreV);
int DrawTextFit(GLTTF2D& font, const std::u16string& text, int x, int y, int w, int h, bool centreH, bool centreV);
// The width a text takes once fitted into maxWidth.
int FittedWidth(const GLTTF2D& font, const std::u16string& text, int maxWidth);

// Sets a font's colours (and opacity) and puts the old ones back when it
// goes out of scope.
class FontTint {
public:
    FontTint(GLTTF2D& font, const float top[3], const float bottom[3], float alpha);
    FontTint(GLTTF2D& font, float alpha);
    ~FontTint();
    FontTint(const FontTint&) = delete;
    FontTint& operator=(const FontTint&) = delete;

private:
    GLTTF2D& font_;
    float top_[3], bottom_[3], alpha_;
};
