// Bitmap fonts: glyph measures, packing into textures, refusals, the
// character map and drawing.
#include "engine/glfont2d.h"
#include "engine/gltexture.h"
#include "glwindow.h"

namespace {

// A font image of `count` cells of w × h side by side, `width` pixels wide
// (less than count × w leaves the last cells partly or wholly outside).
// ink(glyph, x, y) says which texels are opaque white.
template <class Ink>
void WriteFont(const std::string& path, int width, int w, int h, int count, Ink ink)
{
    std::vector<uint8_t> rgba(size_t(width) * h * 4, 0);
    for (int g = 0; g < count; ++g)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w && g * w + x < width; ++x)
                if (ink(g, x, y))
                    std::fill_n(&rgba[(size_t(y) * width + g * w + x) * 4], 4, 255);
    WriteTestPng(path, width, h, 4, rgba);
}

// Glyph 1 is inked in columns 10 to 20 of its top half only, glyph 2 is
// blank, glyph 3 fills its cell.
bool IconInk(int g, int x, int y)
{
    return (g == 1 && x >= 10 && x <= 20 && y < 24) || g == 3;
}

// The alpha of texel (x, y) of the font's texture t.
std::vector<uint8_t> TextureAlpha(const GLFont2D& font, int t)
{
    std::vector<uint8_t> rgba(256 * 256 * 4), alpha(256 * 256);
    glBindTexture(GL_TEXTURE_2D, font.textures[t]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (size_t i = 0; i < alpha.size(); ++i)
        alpha[i] = rgba[4 * i + 3];
    return alpha;
}

class Fonts : public GLWindowTest {};

TEST_F(Fonts, GlyphsAreMeasuredAndPackedIntoTextures)
{
    WriteFont(dir.file("icons.png"), 4 * 48, 48, 48, 4, IconInk);
    GLFont2D font;
    ASSERT_TRUE(font.Load("icons.png", 48, 48, 4));
    EXPECT_EQ(font.loaded, 1);
    EXPECT_EQ(font.glyphsPerRow, 5u);
    EXPECT_EQ(font.rowsPerTexture, 5u);
    EXPECT_EQ(font.glyphsPerTexture, 25u);
    EXPECT_EQ(font.textureCount, 1u);
    EXPECT_EQ(font.source, nullptr);                                                 // released once uploaded
    const std::pair<int, int> inked[] = {{0, 48}, {10, 11}, {48, 1 - 48}, {0, 48}};  // left, width; glyph 2 has no ink
    for (int g = 0; g < 4; ++g) {
        EXPECT_EQ(font.glyphs[size_t(g)].left, inked[g].first) << g;
        EXPECT_EQ(font.glyphs[size_t(g)].width, inked[g].second) << g;
    }
    EXPECT_FLOAT_EQ(font.glyphs[3].s0, 3 * 48 / 256.0f);
    EXPECT_FLOAT_EQ(font.glyphs[3].s1, 4 * 48 / 256.0f);
    EXPECT_FLOAT_EQ(font.glyphs[3].t0, 0);
    EXPECT_FLOAT_EQ(font.glyphs[3].t1, 48 / 256.0f);
    ASSERT_TRUE(glIsTexture(font.textures[0]));
    EXPECT_EQ(font.textures[1], kNoGLTexture);
    // The texture holds each glyph in its cell, transparent black elsewhere.
    const std::vector<uint8_t> a = TextureAlpha(font, 0);
    EXPECT_EQ(a[10 * 256 + 3 * 48 + 5], 255);
    EXPECT_EQ(a[10 * 256 + 48 + 15], 255);
    EXPECT_EQ(a[30 * 256 + 48 + 15], 0);
    EXPECT_EQ(a[60 * 256 + 5], 0);  // below the first row of cells
    // The characters from space on, within the glyph count; the rest draw glyph 0.
    const std::pair<unsigned char, uint32_t> map[] = {{' ', 0}, {'!', 1}, {'"', 2},    {'#', 3},
                                                      {'$', 0}, {'~', 0}, {'\x01', 0}, {0xE9, 0}};
    for (const auto& [c, glyph] : map)
        EXPECT_EQ(font.GlyphIndex(c), glyph) << int(c);
    const GLuint name = font.textures[0];
    font.Free();
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(font.loaded, 0);

    // Twenty-six large glyphs take two textures.
    WriteFont(dir.file("big.png"), 26 * 48, 48, 48, 26, [](int g, int x, int) { return x == g; });
    ASSERT_TRUE(font.Load("big.png", 48, 48, 26));
    EXPECT_EQ(font.textureCount, 2u);
    EXPECT_EQ(font.glyphs[24].texture, 0);
    EXPECT_EQ(font.glyphs[25].texture, 1);
    EXPECT_FLOAT_EQ(font.glyphs[25].s0, 0);
    EXPECT_FLOAT_EQ(font.glyphs[24].s0, 4 * 48 / 256.0f);
    EXPECT_FLOAT_EQ(font.glyphs[24].t0, 4 * 48 / 256.0f);
    EXPECT_EQ(font.glyphs[25].left, 25);
    EXPECT_EQ(font.glyphs[25].width, 1);
    font.Free();
}

TEST_F(Fonts, PixelsOutsideTheImageCountAsTransparent)
{
    // 4 cells of 48 announced, but the picture is only 100 pixels wide.
    WriteFont(dir.file("narrow.png"), 100, 48, 48, 4, [](int, int, int) { return true; });
    GLFont2D font;
    ASSERT_TRUE(font.Load("narrow.png", 48, 48, 4));
    EXPECT_EQ(font.glyphs[1].width, 48);
    EXPECT_EQ(font.glyphs[2].left, 0);  // columns 96 to 99 exist
    EXPECT_EQ(font.glyphs[2].width, 4);
    EXPECT_EQ(font.glyphs[3].width, 1 - 48);  // wholly outside
    const std::vector<uint8_t> a = TextureAlpha(font, 0);
    EXPECT_EQ(a[5 * 256 + 2 * 48 + 3], 255);
    EXPECT_EQ(a[5 * 256 + 2 * 48 + 4], 0);
    EXPECT_EQ(a[5 * 256 + 3 * 48 + 4], 0);
    font.Free();
    // Cells taller than the picture: the rows below it are transparent too.
    ASSERT_TRUE(font.Load("narrow.png", 48, 64, 2));
    EXPECT_EQ(font.glyphs[1].width, 48);
    font.Free();
}

TEST_F(Fonts, RefusedFontsSayWhyAndStayUnloaded)
{
    WriteTestPng(dir.file("rgb.png"), 48 * 4, 48, 3, std::vector<uint8_t>(48 * 4 * 48 * 3, 255));
    WriteFont(dir.file("ok.png"), 4 * 48, 48, 48, 4, IconInk);
    GLFont2D font;
    EXPECT_EQ(CaptureStderr([&] { EXPECT_FALSE(font.Load("rgb.png", 48, 48, 4)); }), "File rgb.png : not 32 bpp !\n");
    EXPECT_EQ(CaptureStderr([&] { EXPECT_FALSE(font.Load("absent.png", 48, 48, 4)); }),
              "Couldn't load texture absent.png\n");
    ASSERT_TRUE(font.Load("ok.png", 48, 48, 4));
    const struct {
        uint32_t w, h, count;
    } bad[] = {{0, 48, 4},  {48, 0, 4},     {257, 48, 4},   {48, 300, 4},
               {48, 48, 0}, {256, 256, 17}, {128, 128, 65}, {1, 1, 65536 * 16 + 1}};
    for (const auto& c : bad) {
        const std::string err = CaptureStderr([&] { EXPECT_FALSE(font.Load("ok.png", c.w, c.h, c.count)); });
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(font.loaded, 0) << c.w << "x" << c.h << " × " << c.count;
        EXPECT_EQ(font.textures[0], kNoGLTexture);
    }
    // The limits themselves are fine.
    EXPECT_TRUE(font.Load("ok.png", 256, 256, 16));
    EXPECT_EQ(font.textureCount, 16u);
    font.Free();
}

TEST_F(Fonts, TextIsDrawnUprightOneCellPerCharacter)
{
    WriteFont(dir.file("icons.png"), 4 * 48, 48, 48, 4, IconInk);
    GLFont2D font;
    ASSERT_TRUE(font.Load("icons.png", 48, 48, 4));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Begin2D();
    glColor4f(1, 1, 0, 1);
    font.Draw(2, 10, "$!~#");  // '$' and '~' are beyond the glyph count: blank cells that still advance
    End2D();
    const Picture p = ReadPicture();
    const Rgb yellow{255, 255, 0}, black{0, 0, 0};
    // '!' in the second cell: ink in its top half only (upright).
    EXPECT_TRUE(Near(p.At(2 + 48 + 15, 10 + 5), yellow)) << p.At(2 + 48 + 15, 10 + 5);
    EXPECT_TRUE(Near(p.At(2 + 48 + 15, 10 + 40), black)) << p.At(2 + 48 + 15, 10 + 40);
    EXPECT_TRUE(Near(p.At(2 + 48 + 5, 10 + 5), black)) << p.At(2 + 48 + 5, 10 + 5);
    // Nothing in the first and third cells, the full '#' in the fourth.
    for (int x = 2; x < 50; x += 6)
        EXPECT_TRUE(Near(p.At(x, 30), black)) << x;
    for (int x = 98 + 2; x < 146 - 2; x += 6)
        EXPECT_TRUE(Near(p.At(x, 30), black)) << x;
    EXPECT_TRUE(Near(p.At(146 + 5, 30), yellow)) << p.At(146 + 5, 30);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(context.CheckError());
    // An unloaded font draws nothing.
    font.Free();
    glClear(GL_COLOR_BUFFER_BIT);
    Begin2D();
    font.Draw(2, 10, "###");
    End2D();
    EXPECT_TRUE(Near(ReadPicture().At(10, 20), black));
}

}  // namespace
