#include "engine/glfont2d.h"

#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "app/base/log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

GLFont2D::GLFont2D()
{
    for (int c = 32; c <= 126; ++c)
        charList += static_cast<char>(c);
    for (GLuint& t : textures)
        t = kNoGLTexture;
}

GLFont2D::~GLFont2D()
{
    // GL names are deleted by Free while the context exists.
    std::free(source);
}

uint32_t GLFont2D::GlyphIndex(unsigned char c) const
{
    const void* at = c ? std::memchr(charList.data(), c, charList.size()) : nullptr;
    if (!at)
        return 0;
    uint32_t i = static_cast<uint32_t>(static_cast<const char*>(at) - charList.data());
    return i < glyphCount ? i : 0;
}

void GLFont2D::Free()
{
    if (textureGeneration == CurrentGLGeneration()) {
        for (GLuint& t : textures)
            if (t != kNoGLTexture)
                glDeleteTextures(1, &t);
    }
    for (GLuint& t : textures)
        t = kNoGLTexture;
    std::free(source);
    source = nullptr;
    sourceWidth = sourceHeight = 0;
    glyphs.clear();
    textureCount = glyphCount = cellWidth = cellHeight = 0;
    glyphsPerRow = rowsPerTexture = glyphsPerTexture = 0;
    loaded = 0;
}

bool GLFont2D::Load(const char* path, uint32_t cellW, uint32_t cellH, uint32_t count)
{
    Free();
    fileName = path ? path : "";
    uint32_t bpp = 0;
    source = LoadImage(path, &sourceWidth, &sourceHeight, &bpp);
    if (!source) {
        Warn("Couldn't load texture %s\n", fileName.c_str());
        return false;
    }
    if (bpp != 4) {
        Warn("File %s : not 32 bpp !\n", fileName.c_str());
        Free();
        return false;
    }
    if (cellW == 0 || cellH == 0 || cellW > kTextureSize || cellH > kTextureSize || count == 0) {
        Warn("GLFont2D : bad cell size %ux%u or glyph count %u in %s\n", cellW, cellH, count, fileName.c_str());
        Free();
        return false;
    }
    const uint32_t perRow = kTextureSize / cellW;
    const uint32_t rows = kTextureSize / cellH;
    const uint32_t perTexture = perRow * rows;
    const uint32_t texCount = (count + perTexture - 1) / perTexture;
    if (texCount > kMaxTextures) {
        Warn("GLFont2D : too many glyphs (%u) in %s\n", count, fileName.c_str());
        Free();
        return false;
    }
    uint8_t* scratch = static_cast<uint8_t*>(std::malloc(kTextureSize * kTextureSize * 4));
    try {
        glyphs.assign(count, Glyph());
    } catch (const std::bad_alloc&) {
        std::free(scratch);
        scratch = nullptr;
    }
    if (!scratch) {
        Warn("GLFont2D : out of memory\n");
        Free();
        return false;
    }
    glyphCount = count;
    cellWidth = cellW;
    cellHeight = cellH;
    glyphsPerRow = perRow;
    rowsPerTexture = rows;
    glyphsPerTexture = perTexture;
    textureCount = texCount;

    // Texels outside the image count as transparent black.
    auto alphaAt = [this](uint64_t x, uint64_t y) -> uint8_t {
        if (x >= sourceWidth || y >= sourceHeight)
            return 0;
        return source[(y * sourceWidth + x) * 4 + 3];
    };

    glyphs[0].left = 0;
    glyphs[0].width = static_cast<int32_t>(cellW);
    for (uint32_t i = 1; i < count; ++i) {
        int32_t left = static_cast<int32_t>(cellW), right = 0;
        for (uint32_t y = 0; y < cellH; ++y)
            for (uint32_t x = 0; x < cellW; ++x)
                if (alphaAt(uint64_t(i) * cellW + x, y) > 100) {
                    if (static_cast<int32_t>(x) < left)
                        left = static_cast<int32_t>(x);
                    if (static_cast<int32_t>(x) > right)
                        right = static_cast<int32_t>(x);
                }
        glyphs[i].left = left;
        glyphs[i].width = right + 1 - left;
    }

    glGenTextures(static_cast<GLsizei>(textureCount), textures);
    textureGeneration = CurrentGLGeneration();
    for (uint32_t u = 0; u < count; ++u) {
        const uint32_t slot = u % perTexture;
        const uint32_t texIndex = u / perTexture;
        if (slot == 0) {
            std::memset(scratch, 0, kTextureSize * kTextureSize * 4);
            for (uint32_t j = 0; j < perTexture && u + j < count; ++j) {
                const uint64_t g = u + j;
                const uint32_t cx = (j % perRow) * cellW, cy = (j / perRow) * cellH;
                for (uint32_t y = 0; y < cellH; ++y)
                    for (uint32_t x = 0; x < cellW; ++x) {
                        const uint64_t sx = g * cellW + x;
                        if (sx >= sourceWidth || y >= sourceHeight)
                            continue;
                        std::memcpy(scratch + ((cy + y) * kTextureSize + cx + x) * 4,
                                    source + (uint64_t(y) * sourceWidth + sx) * 4, 4);
                    }
            }
            glBindTexture(GL_TEXTURE_2D, textures[texIndex]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTextureSize, kTextureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, scratch);
        }
        Glyph& gl = glyphs[u];
        const uint32_t c = slot % perRow, r = slot / perRow;
        gl.texture = static_cast<int32_t>(texIndex);
        gl.s0 = float(c * cellW) / kTextureSize;
        gl.t0 = float(r * cellH) / kTextureSize;
        gl.s1 = float((c + 1) * cellW) / kTextureSize;
        gl.t1 = float((r + 1) * cellH) / kTextureSize;
    }
    std::free(scratch);
    std::free(source);
    source = nullptr;
    loaded = 1;
    return true;
}

void GLFont2D::Draw(float x, float y, const char* text) const
{
    if (!loaded || !text || textureGeneration != CurrentGLGeneration())
        return;
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(x, y, 0);
    const float w = static_cast<float>(cellWidth), h = static_cast<float>(cellHeight);
    const float xy[8] = {0, 0, w, 0, 0, h, w, h};
    static const GLuint kIndices[4] = {0, 1, 2, 3};
    int32_t bound = 0;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, xy);
    for (const char* p = text; *p; ++p) {
        const Glyph& g = glyphs[GlyphIndex(static_cast<unsigned char>(*p))];
        if (g.texture != bound) {
            glBindTexture(GL_TEXTURE_2D, textures[g.texture]);
            bound = g.texture;
        }
        const float uv[8] = {g.s0, g.t0, g.s1, g.t0, g.s0, g.t1, g.s1, g.t1};
        glTexCoordPointer(2, GL_FLOAT, 0, uv);
        glDrawElements(GL_TRIANGLE_STRIP, 4, GL_UNSIGNED_INT, kIndices);
        glTranslatef(w, 0, 0);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glPopMatrix();
}
