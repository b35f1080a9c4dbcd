#pragma once
// Bitmap fonts: a 32-bit image with one cell per character side by side in
// one row, repacked into 256 × 256 RGBA textures. Text is drawn in the
// caller's 2D state (Begin2D), in the current colour.
#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

struct GLFont2D {
    static constexpr uint32_t kMaxTextures = 16;
    static constexpr uint32_t kTextureSize = 256;

    struct Glyph {
        int32_t texture = 0;
        int32_t left = 0, width = 0;  // inked columns within the cell
        float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
    };

    uint8_t* source = nullptr;  // RGBA while loading
    uint32_t sourceWidth = 0, sourceHeight = 0;
    std::string fileName;
    // The position of a character in this list is its glyph index. By
    // default the printable ASCII characters from space to '~'.
    std::string charList;
    GLuint textures[kMaxTextures];
    uint32_t textureGeneration = 0;
    uint32_t textureCount = 0, glyphCount = 0, cellWidth = 0, cellHeight = 0;
    uint32_t glyphsPerRow = 0, rowsPerTexture = 0, glyphsPerTexture = 0;
    int32_t loaded = 0;
    int32_t proportional = 0;
    std::vector<Glyph> glyphs;

    GLFont2D();
    GLFont2D(const GLFont2D&) = delete;
    GLFont2D& operator=(const GLFont2D&) = delete;
    ~GLFont2D();

    // Fails (one line on standard error) for an unreadable or non-RGBA image,
    // a cell of 0 or more than 256 pixels, no glyphs, or more than 16 textures.
    bool Load(const char* path, uint32_t cellW, uint32_t cellH, uint32_t count);
    // Top-left corner of the first cell at (x, y); every character advances
    // one cell. Characters outside the list, or beyond the glyph count, draw
    // glyph 0.
    void Draw(float x, float y, const char* text) const;
    void Free();

    // The glyph a character draws.
    uint32_t GlyphIndex(unsigned char c) const;
};
