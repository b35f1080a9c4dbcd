#pragma once
// TrueType glyph fonts: every character of a set is rasterised once into
// RGBA atlas pages; a string is drawn as textured quads in the 2D overlay
// (window pixels, origin top left, y downwards), tinted top to bottom and
// optionally preceded by a drop shadow.
#include "text/widetext.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct GlyphPage {
    unsigned int texture = 0;  // GL texture name
    int width = 0;
    int height = 0;
};

struct Glyph {
    uint32_t character = 0;
    int page = 0;
    int x = 0, y = 0;           // cell in the page, pixels
    int width = 0, height = 0;  // width is also the advance
    // The smallest box of the cell holding every texel that is not fully
    // transparent, from the cell's top left; empty (0 x 0) for a glyph
    // without ink. DrawText covers only this box (and a texel round it when
    // the glyphs are scaled), which leaves every pixel as the whole cell's
    // quad would: the rest of the cell blends nothing.
    int inkX = 0, inkY = 0, inkWidth = 0, inkHeight = 0;
};

struct GLTTF2D {
    std::vector<GlyphPage> pages;
    std::vector<Glyph> glyphs;  // in character-set order
    // The set that was rasterised. A copy of its own, so that reloading the
    // language texts never leaves the font pointing into freed text.
    std::u16string characterSet;
    int lineHeight = 0;    // the tallest glyph of the set
    int spaceAdvance = 0;  // the width of "e": spaces and missing glyphs
    float colorTop[3] = {1, 1, 1};
    float colorBottom[3] = {1, 1, 1};
    float alpha = 1.0f;
    float shadowColor[3] = {0, 0, 0};
    int shadowOffsetX = 0, shadowOffsetY = 0;
    float scale = 1.0f;
    int glyphCount = 0;

    // character -> index into glyphs (first occurrence in the set)
    int16_t latin[256];
    std::unordered_map<char16_t, int> others;

    GLTTF2D() { ClearLookup(); }
    void ClearLookup();
    // The glyph of a character, or null when the font has none.
    const Glyph* Find(char16_t c) const;

    // Starts and stops the TrueType library. Init throws Exception
    // "Couldn't initialize TTF: %s\n" when it cannot start.
    static bool Init();
    static void Quit();
};

// Rasterises the characters of `set` from the TrueType file at `path` at the
// given pixel size into pages of atlasSize x atlasSize (larger when a glyph
// needs it). Throws Exception "Font not found : '%s' : %s" when the file
// cannot be opened. A failure while rendering logs it and returns false; the
// font then keeps the glyphs it got, every one on a page that exists.
bool loadFont(GLTTF2D& font, const char* path, const char16_t* set, int pixelSize, int atlasSize);

// Forgets all pages (deleting their textures) and glyphs.
void Reset(GLTTF2D& font);

// The sum of the advances of the text's characters.
int TextWidth(const GLTTF2D& font, const char16_t* text);
int TextWidth(const GLTTF2D& font, const WideText& text);

// Draws in the current 2D overlay, in the box (x, y, w, h): centred
// horizontally and/or vertically on request, else from its top left.
void DrawText(const GLTTF2D& font, const char16_t* text, int x, int y, int w, int h, bool centreH, bool centreV);
void DrawText(const GLTTF2D& font, const WideText& text, int x, int y, int w, int h, bool centreH, bool centreV);
void DrawChar(const GLTTF2D& font, char16_t c, int x, int y, int w, int h, bool centreH, bool centreV);
