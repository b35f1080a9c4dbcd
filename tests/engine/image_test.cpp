// Pictures, textures, the screenshot and the bitmap fonts.
#include "app/base/bytes.h"
#include "engine/draw3d.h"
#include "engine/glfont2d.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "fuzz.h"
#include "glwindow.h"

#include <SDL.h>

#include <array>
#include <cstring>

namespace {

// A 16-bit BMP with 5-6-5 bit fields (SDL writes none), rows padded to 4
// bytes as the format wants. Pixels top row first.
std::string Bmp565(int w, int h, const std::vector<uint16_t>& px)
{
    const int stride = (w * 2 + 3) & ~3;
    const int32_t offset = 14 + 40 + 12;
    std::string b = "BM";
    auto u16 = [&b](int v) { b += {char(v & 0xFF), char((v >> 8) & 0xFF)}; };
    for (int32_t v : {offset + stride * h, 0, offset, 40, w, h})
        PutInt32(b, v);
    u16(1);
    u16(16);
    for (int32_t v : {3, stride * h, 2835, 2835, 0, 0, 0xF800, 0x07E0, 0x001F})  // 3: bit fields
        PutInt32(b, v);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x)
            u16(px[size_t(y) * w + x]);
        b.append(size_t(stride - w * 2), '\0');
    }
    return b;
}

// An 8-bit palette BMP through SDL itself.
void WritePaletteBmp(const std::string& path, int w, int h, const std::vector<uint8_t>& indices,
                     std::vector<SDL_Color> palette)
{
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
    ASSERT_NE(s, nullptr);
    SDL_SetColors(s, palette.data(), 0, int(palette.size()));
    for (int y = 0; y < h; ++y)
        std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, &indices[size_t(y) * w], size_t(w));
    ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0);
    SDL_FreeSurface(s);
}

// A level of the texture bound (or of that name), w × h texels of `channels` bytes.
std::vector<uint8_t> TextureImage(GLuint name, uint32_t w, uint32_t h, int channels, int level = 0)
{
    std::vector<uint8_t> out(size_t(w) * h * channels);
    if (name != kNoGLTexture)
        glBindTexture(GL_TEXTURE_2D, name);
    glGetTexImage(GL_TEXTURE_2D, level, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, out.data());
    return out;
}

std::vector<uint8_t> TextureImage(const GLTexture& t, int channels)
{
    EXPECT_TRUE(t.Bind());
    return TextureImage(t.glName, t.width, t.height, channels);
}

// The alpha of each texel of a font's 256 × 256 texture.
std::vector<uint8_t> TextureAlpha(GLuint name)
{
    const std::vector<uint8_t> rgba = TextureImage(name, 256, 256, 4);
    std::vector<uint8_t> alpha(256 * 256);
    for (size_t i = 0; i < alpha.size(); ++i)
        alpha[i] = rgba[4 * i + 3];
    return alpha;
}

GLint TexParameter(const GLTexture& t, GLenum which)
{
    EXPECT_TRUE(t.Bind());
    GLint v = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, which, &v);
    return v;
}

bool NearBytes(const uint8_t* a, const std::vector<uint8_t>& b, int tolerance)
{
    for (size_t i = 0; i < b.size(); ++i)
        if (std::abs(a[i] - b[i]) > tolerance)
            return false;
    return true;
}

class Images : public GLWindowTest {};

TEST_F(Images, EveryKindOfFileLoadsAsPackedRowsAndUploadsAsLoaded)
{
    WritePaletteBmp(dir.file("pal.bmp"), 3, 2, {0, 1, 2, 2, 1, 0}, {{255, 0, 0, 0}, {0, 255, 0, 0}, {10, 20, 30, 0}});
    const std::vector<uint8_t> alpha = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0,  255, 0,
                                        1,   2, 3, 4,   5, 6,   7, 8,   9, 10, 11,  12},
                               rgb565 = {255, 0,   0, 0, 255, 0, 0,   0, 255, 255, 255, 255, 0,  0,
                                         0,   255, 0, 0, 0,   0, 255, 0, 255, 0,   255, 255, 255};
    WriteTestPng(dir.file("alpha.png"), 3, 2, 4, alpha);
    // An odd width: the file's rows (and SDL's) are padded, ours are not.
    WriteTestFile(dir.file("565.bmp"),
                  Bmp565(3, 3, {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0xF800, 0x001F, 0x07E0, 0xFFFF}));
    std::vector<uint8_t> odd(5 * 3 * 3);
    for (size_t i = 0; i < odd.size(); ++i)
        odd[i] = uint8_t(7 * i + 1);
    WriteTestPng(dir.file("odd.png"), 5, 3, 3, odd);
    const struct {
        const char* file;
        uint32_t w, h, bpp;
        GLenum format, internal;
        std::vector<uint8_t> pixels;
        int tolerance;
    } cases[] = {
        {"pal.bmp", 3, 2, 3, GL_RGB, GL_RGB8, {255, 0, 0, 0, 255, 0, 10, 20, 30, 10, 20, 30, 0, 255, 0, 255, 0, 0}, 0},
        {"alpha.png", 3, 2, 4, GL_RGBA, GL_RGBA8, alpha, 0},
        {"565.bmp", 3, 3, 3, GL_RGB, GL_RGB8, rgb565, 8},
        {"odd.png", 5, 3, 3, GL_RGB, GL_RGB8, odd, 0},
    };
    for (const auto& c : cases) {
        uint32_t w = 0, h = 0, bpp = 0;
        uint8_t* px = LoadImage(c.file, &w, &h, &bpp);
        ASSERT_NE(px, nullptr) << c.file;
        ASSERT_EQ(std::make_tuple(w, h, bpp), std::make_tuple(c.w, c.h, c.bpp)) << c.file;
        EXPECT_TRUE(NearBytes(px, c.pixels, c.tolerance)) << c.file;
        std::free(px);
        GLTexture t;
        ASSERT_TRUE(t.Load(c.file)) << c.file;
        EXPECT_EQ(std::make_tuple(t.fileName, t.bytesPerPixel, t.pixelFormat, t.internalFormat),
                  std::make_tuple(std::string(c.file), c.bpp, c.format, c.internal));
        EXPECT_TRUE(NearBytes(t.pixels, c.pixels, c.tolerance)) << c.file;
        ASSERT_TRUE(t.Upload()) << c.file;
        EXPECT_EQ(t.pixels, nullptr);
        EXPECT_TRUE(NearBytes(TextureImage(t, int(c.bpp)).data(), c.pixels, c.tolerance)) << c.file;
        // Once handed over, it cannot be uploaded again without a new load.
        EXPECT_FALSE(t.Upload());
        t.Reset();
        EXPECT_EQ(std::make_tuple(t.glName, t.fileName), std::make_tuple(kNoGLTexture, std::string()));
    }
}

TEST_F(Images, DamagedAndMissingPicturesAreRefusedByEveryLoader)
{
    std::vector<uint8_t> rgba(13 * 7 * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = uint8_t(i * 31);
    WriteTestPng(dir.file("src.png"), 13, 7, 4, rgba);
    const std::string png = ReadTestFile(dir.file("src.png"));
    WriteTestFile(dir.file("cut.png"), png.substr(0, png.size() / 2));
    WriteTestFile(dir.file("empty.png"), "");
    WriteTestFile(dir.file("text.png"), "this is not an image at all\n");
    for (const char* name : {"cut.png", "empty.png", "text.png", "absent.png"}) {
        uint32_t w = 0, h = 0, bpp = 0;
        EXPECT_EQ(LoadImage(name, &w, &h, &bpp), nullptr) << name;
        GLTexture t;
        const std::string err = CaptureStderr([&] { EXPECT_FALSE(t.Load(name)); });
        // The image library may add its own line before ours.
        const std::string line = std::string("Couldn't load texture ") + name + "\n";
        EXPECT_EQ(err.substr(std::max(err.size(), line.size()) - line.size()), line);
        EXPECT_EQ(t.pixels, nullptr);
    }
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 13, 7, 8, 0, 0, 0, 0);
    ASSERT_TRUE(s && SDL_SaveBMP(s, dir.file("src.bmp").c_str()) == 0);
    SDL_FreeSurface(s);
    for (const char* source : {"src.png", "src.bmp"})
        ForEachDamagedCopy(ReadTestFile(dir.file(source)), 150, 77, [&](const std::string& bytes, int round) {
            const std::string name = std::string("d_") + source;
            WriteTestFile(dir.file(name), bytes);
            CaptureStderr([&] {
                uint32_t w = 0, h = 0, bpp = 0;
                if (uint8_t* px = LoadImage(name.c_str(), &w, &h, &bpp)) {
                    EXPECT_TRUE(w > 0 && h > 0 && (bpp == 3 || bpp == 4)) << source << " round " << round;
                    // The buffer is exactly width × height × bytes per pixel
                    // (the sanitizer build checks this read).
                    volatile uint8_t last = px[size_t(w) * h * bpp - 1];
                    (void)last;
                    std::free(px);
                }
                GLTexture t;
                const bool ok = t.Load(name.c_str());
                EXPECT_EQ(ok, t.pixels != nullptr && t.Upload()) << source << " round " << round;
                t.Reset();
                GLFont2D font;
                const bool loaded = font.Load(name.c_str(), 4, 4, 3);
                EXPECT_EQ(font.loaded, loaded ? 1 : 0);
                Begin2D();
                font.Draw(0, 0, "abc");
                End2D();
            });
        });
    EXPECT_TRUE(context.CheckError());
}

TEST_F(Images, TheFiltersGLGetsAreValidAndAMipmapFilterWithoutMipmapsStillDraws)
{
    GLTexture plain, asked, mip, packed;
    const uint8_t colour[3] = {200, 30, 40};
    for (GLTexture* t : {&plain, &asked, &mip}) {
        ASSERT_TRUE(t->Allocate(64, 64, 24));
        for (int i = 0; i < 64 * 64 * 3; ++i)
            t->pixels[i] = t == &asked ? colour[i % 3] : 0;
    }
    // Asked for mipmap filtering without mipmaps, and for a mipmap filter on
    // magnification (which GL refuses).
    asked.minFilter = asked.magFilter = GL_LINEAR_MIPMAP_LINEAR;
    mip.mipmap = 1;
    mip.SetFilters(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
    ASSERT_TRUE(plain.Upload() && asked.Upload() && mip.Upload());
    for (const auto& [t, minFilter] :
         {std::make_pair(&plain, GL_LINEAR), {&asked, GL_LINEAR}, {&mip, GL_LINEAR_MIPMAP_LINEAR}})
        EXPECT_EQ(std::make_pair(TexParameter(*t, GL_TEXTURE_MIN_FILTER), TexParameter(*t, GL_TEXTURE_MAG_FILTER)),
                  std::make_pair(GLint(minFilter), GLint(GL_LINEAR)));
    // Wrap modes and filters set after the upload reach the GL texture.
    plain.SetWrap(GL_CLAMP, GL_CLAMP_TO_EDGE);
    plain.SetFilters(GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(
        std::vector<GLint>({TexParameter(plain, GL_TEXTURE_WRAP_S), TexParameter(plain, GL_TEXTURE_WRAP_T),
                            TexParameter(plain, GL_TEXTURE_MIN_FILTER), TexParameter(plain, GL_TEXTURE_MAG_FILTER)}),
        std::vector<GLint>({GL_CLAMP, GL_CLAMP_TO_EDGE, GL_NEAREST, GL_NEAREST}));
    EXPECT_TRUE(context.CheckError());
    // Left with a mipmap minifying filter but one level, a texture would be
    // incomplete in OpenGL and draw as if untextured (white).
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Begin2D();
    asked.Bind();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const float xy[8] = {10, 10, 30, 10, 10, 30, 30, 30};  // minified: 64 texels on 20 pixels
    const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    DrawQuad2DTex(xy, uv);
    End2D();
    EXPECT_TRUE(Near(ReadPicture().At(20, 20), Rgb{200, 30, 40}, 4)) << ReadPicture().At(20, 20);

    // A 16-bit buffer (red in the high bits) uploads packed; other depths are refused.
    ASSERT_TRUE(packed.Allocate(3, 3, 16));
    EXPECT_EQ(std::make_pair(packed.bytesPerPixel, packed.internalFormat), std::make_pair(2u, GLenum(GL_RGB5)));
    for (int i = 0; i < 9; ++i)
        reinterpret_cast<uint16_t*>(packed.pixels)[i] = i % 2 ? 0x07E0 : 0xF800;
    ASSERT_TRUE(packed.Upload());
    EXPECT_TRUE(NearBytes(TextureImage(packed, 3).data(), {255, 0, 0, 0, 255, 0}, 15));
    packed.Reset();
    EXPECT_FALSE(packed.Allocate(3, 3, 8));
    EXPECT_EQ(packed.pixels, nullptr);

    // Material textures follow the mipmap switch; an RGB one leaves the
    // material's transparency alone.
    WriteTestPng(dir.file("wall.png"), 16, 16, 3, std::vector<uint8_t>(16 * 16 * 3, 90));
    Material* m = AcquireMaterial("filters");
    for (int on : {0, 1}) {
        SetMipMapping(on);
        const GLTexture* t = SetTexture(m, "wall.png");
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(std::make_tuple(t->mipmap, TexParameter(*t, GL_TEXTURE_MIN_FILTER),
                                  TexParameter(*t, GL_TEXTURE_MAG_FILTER)),
                  std::make_tuple(on, GLint(on ? kMipmapMinFilter : GL_LINEAR), GLint(GL_LINEAR)));
    }
    EXPECT_EQ(m->flags & kMatTransparency, 0);
    ReleaseMaterial(m);
    EXPECT_EQ(FindMaterial("filters"), nullptr);
}

TEST(MipLevel, TheLevelIsTheRoundedLog2OfTheLongerTexelStepPerPixel)
{
    // Identity projection onto 512 × 512 pixels: a 256-texel texture whose s
    // and t grow by one over `s` and `t` world units spans 256 s pixels.
    struct Case {
        float s, t, w;  // w: the point's clip w (the view's perspective)
        int levels, level;
        bool edgeOn = false;  // t runs along the view: the whole texture is in a pixel
    };
    const float inverse = 1.0f / 1.40f, justOver = 1.0f / 1.43f;
    for (const Case& c :
         {Case{2, 2, 1, 9, 0}, Case{1, 1, 1, 9, 0}, Case{inverse, inverse, 1, 9, 0}, Case{justOver, justOver, 1, 9, 1},
          Case{0.5f, 0.5f, 1, 9, 1}, Case{0.5f / 1.40f, 1, 1, 9, 1}, Case{0.5f / 1.43f, 1, 1, 9, 2},
          Case{1, 0.125f, 1, 9, 3}, Case{1, 1, 2, 9, 1}, Case{1.0f / 1024, 1, 1, 4, 3}, Case{1, 1, -1, 9, 0},
          Case{1, 1, 1, 1, 0}, Case{1, 1, 1, 9, 8, true}}) {
        float mvp[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        mvp[15] = c.w;
        const float point[3] = {0, 0, 0}, alongS[3] = {c.s, 0, 0},
                    alongT[3] = {0, c.edgeOn ? 0 : c.t, c.edgeOn ? c.t : 0};
        EXPECT_EQ(NearestMipLevel(mvp, 512, 512, point, alongS, alongT, 256, 256, c.levels), c.level)
            << c.s << " " << c.t << " " << c.w;
    }
}

TEST_F(Images, MipLevelsAreCopiesOfTheLevelsAndFollowEachUpload)
{
    const auto fill = [](GLTexture& t, int seed) {
        ASSERT_TRUE(t.Allocate(8, 4, 24));
        for (int i = 0; i < 8 * 4 * 3; ++i)
            t.pixels[i] = uint8_t((i * 37 + seed) % 251);
    };
    GLTexture mip;
    mip.mipmap = 1;
    mip.SetFilters(kMipmapMinFilter, GL_LINEAR);
    MipLevels levels;
    EXPECT_FALSE(levels.Follow(mip)) << "not uploaded";
    for (int seed : {0, 100}) {
        fill(mip, seed);
        ASSERT_TRUE(mip.Upload());
        ASSERT_TRUE(levels.Follow(mip));
        ASSERT_EQ(levels.Count(), 4) << "8 × 4 down to 1 × 1";
        for (int level = 0; level < 4; ++level) {
            const uint32_t w = std::max(1, 8 >> level), h = std::max(1, 4 >> level);
            const std::vector<uint8_t> source = TextureImage(mip.glName, w, h, 3, level);
            levels.Bind(level);
            EXPECT_EQ(TextureImage(kNoGLTexture, w, h, 3), source) << seed << " level " << level;
            GLint filter = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
            EXPECT_EQ(filter, GL_LINEAR) << "sampled without mipmaps";
        }
    }
    // Filters whose copies would sample otherwise, and no mipmaps, are refused.
    mip.SetFilters(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    EXPECT_FALSE(levels.Follow(mip));
    GLTexture plain;
    fill(plain, 0);
    ASSERT_TRUE(plain.Upload());
    EXPECT_FALSE(levels.Follow(plain));
    levels.Free();
    EXPECT_EQ(levels.Count(), 0);
    EXPECT_TRUE(context.CheckError());
}

// A window whose rows are 101 × 3 = 303 bytes: not a multiple of 4.
TEST(Screenshot, TopRowFirstAndNoShearAtOddWidths)
{
    ScopedTempDir dir;
    GLContext c;
    ASSERT_TRUE(c.Create(101, 60, 0));
    EXPECT_TRUE(ReadPixelsRGB(0, 0, 0, 10) == nullptr && ReadPixelsRGB(0, 0, 10, -1) == nullptr);
    // Red on top, blue below, a green stripe down the left edge (GL rows
    // count from the bottom).
    glEnable(GL_SCISSOR_TEST);
    for (const auto& [w, h, r, g, b] : {std::array<int, 5>{101, 60, 1, 0, 0}, {101, 30, 0, 0, 1}, {10, 60, 0, 1, 0}}) {
        glScissor(0, 0, w, h);
        glClearColor(float(r), float(g), float(b), 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    ASSERT_TRUE(Screenshot(c, "shot.bmp"));
    const std::string bmp = ReadTestFile("shot.bmp");
    ASSERT_GE(bmp.size(), 54u);
    auto le32 = [&](size_t at) { return uint32_t(GetInt32(reinterpret_cast<const unsigned char*>(&bmp[at]))); };
    // Width, height, 24 bits, uncompressed; rows padded to 304 bytes.
    EXPECT_EQ(std::make_tuple(bmp.substr(0, 2), le32(18), le32(22), le32(28) & 0xFFFF, le32(30), bmp.size()),
              std::make_tuple(std::string("BM"), 101u, 60u, 24u, 0u, le32(10) + 60u * 304u));

    // Read back by the loader the BMP cases above check.
    uint32_t w = 0, h = 0, bpp = 0;
    uint8_t* px = LoadImage("shot.bmp", &w, &h, &bpp);
    ASSERT_TRUE(px && bpp == 3);
    const Picture shot{int(w), int(h), std::vector<uint8_t>(px, px + size_t(w) * h * 3)};
    std::free(px);
    const Rgb green{0, 255, 0};
    EXPECT_TRUE(Near(shot.At(50, 0), Rgb{255, 0, 0})) << shot.At(50, 0);
    EXPECT_TRUE(Near(shot.At(50, 59), Rgb{0, 0, 255})) << shot.At(50, 59);
    for (int y = 0; y < 60; ++y) {
        ASSERT_TRUE(Near(shot.At(0, y), green) && Near(shot.At(9, y), green)) << "row " << y;
        ASSERT_FALSE(Near(shot.At(10, y), green, 60) || Near(shot.At(100, y), green, 60)) << "row " << y;
    }

    // A file that cannot be written is a failure, and leaves nothing behind.
    const std::string err = CaptureStderr([&] { EXPECT_FALSE(Screenshot(c, "no/such/dir/shot.bmp")); });
    EXPECT_NE(err.find("no/such/dir/shot.bmp"), std::string::npos);
    EXPECT_FALSE(TestFileExists("no/such/dir/shot.bmp"));
    c.Close();
    EXPECT_FALSE(Screenshot(c, "closed.bmp"));
}

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

class Fonts : public GLWindowTest {};

TEST_F(Fonts, GlyphsAreMeasuredAndPackedIntoTexturesAndPixelsOutsideTheImageAreTransparent)
{
    WriteFont(dir.file("icons.png"), 4 * 48, 48, 48, 4, IconInk);
    GLFont2D font;
    ASSERT_TRUE(font.Load("icons.png", 48, 48, 4));
    // The source picture is released once uploaded.
    EXPECT_EQ(std::make_tuple(font.loaded, font.glyphsPerRow, font.rowsPerTexture, font.glyphsPerTexture,
                              font.textureCount, font.source),
              std::make_tuple(1, 5u, 5u, 25u, 1u, static_cast<uint8_t*>(nullptr)));
    const std::pair<int, int> inked[] = {{0, 48}, {10, 11}, {48, 1 - 48}, {0, 48}};  // left, width; glyph 2 has no ink
    for (int g = 0; g < 4; ++g)
        EXPECT_EQ(std::make_pair(font.glyphs[size_t(g)].left, font.glyphs[size_t(g)].width), inked[g]) << g;
    const GLFont2D::Glyph& full = font.glyphs[3];
    EXPECT_EQ(std::vector<float>({full.s0, full.s1, full.t0, full.t1}),
              std::vector<float>({3 * 48 / 256.0f, 4 * 48 / 256.0f, 0, 48 / 256.0f}));
    ASSERT_TRUE(glIsTexture(font.textures[0]));
    EXPECT_EQ(font.textures[1], kNoGLTexture);
    // The texture holds each glyph in its cell, transparent black elsewhere.
    const std::vector<uint8_t> a = TextureAlpha(font.textures[0]);
    // (The last texel is below the first row of cells.)
    EXPECT_EQ(
        std::vector<int>({a[10 * 256 + 3 * 48 + 5], a[10 * 256 + 48 + 15], a[30 * 256 + 48 + 15], a[60 * 256 + 5]}),
        std::vector<int>({255, 255, 0, 0}));
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
    const GLFont2D::Glyph &g24 = font.glyphs[24], &g25 = font.glyphs[25];
    EXPECT_EQ(std::make_tuple(font.textureCount, g24.texture, g25.texture, g25.left, g25.width),
              std::make_tuple(2u, 0, 1, 25, 1));
    EXPECT_EQ(std::vector<float>({g25.s0, g24.s0, g24.t0}), std::vector<float>({0, 4 * 48 / 256.0f, 4 * 48 / 256.0f}));
    font.Free();

    // Pixels outside the image count as transparent: 4 cells of 48
    // announced, but the picture is only 100 pixels wide.
    WriteFont(dir.file("narrow.png"), 100, 48, 48, 4, [](int, int, int) { return true; });
    ASSERT_TRUE(font.Load("narrow.png", 48, 48, 4));
    // Columns 96 to 99 exist; the fourth cell is wholly outside.
    EXPECT_EQ(std::make_tuple(font.glyphs[1].width, font.glyphs[2].left, font.glyphs[2].width, font.glyphs[3].width),
              std::make_tuple(48, 0, 4, 1 - 48));
    const std::vector<uint8_t> n = TextureAlpha(font.textures[0]);
    EXPECT_EQ(std::vector<int>({n[5 * 256 + 2 * 48 + 3], n[5 * 256 + 2 * 48 + 4], n[5 * 256 + 3 * 48 + 4]}),
              std::vector<int>({255, 0, 0}));
    font.Free();
    // Cells taller than the picture: the rows below it are transparent too.
    ASSERT_TRUE(font.Load("narrow.png", 48, 64, 2));
    EXPECT_EQ(font.glyphs[1].width, 48);
    font.Free();
}

TEST_F(Fonts, RefusedFontsSayWhyAndStayUnloadedAndTextIsDrawnUprightOneCellPerCharacter)
{
    WriteTestPng(dir.file("rgb.png"), 48 * 4, 48, 3, std::vector<uint8_t>(48 * 4 * 48 * 3, 255));
    WriteFont(dir.file("icons.png"), 4 * 48, 48, 48, 4, IconInk);
    GLFont2D font;
    EXPECT_EQ(CaptureStderr([&] { EXPECT_FALSE(font.Load("rgb.png", 48, 48, 4)); }), "File rgb.png : not 32 bpp !\n");
    EXPECT_EQ(CaptureStderr([&] { EXPECT_FALSE(font.Load("absent.png", 48, 48, 4)); }),
              "Couldn't load texture absent.png\n");
    ASSERT_TRUE(font.Load("icons.png", 48, 48, 4));
    const struct {
        uint32_t w, h, count;
    } bad[] = {{0, 48, 4},  {48, 0, 4},     {257, 48, 4},   {48, 300, 4},
               {48, 48, 0}, {256, 256, 17}, {128, 128, 65}, {1, 1, 65536 * 16 + 1}};
    for (const auto& c : bad) {
        const std::string err = CaptureStderr([&] { EXPECT_FALSE(font.Load("icons.png", c.w, c.h, c.count)); });
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(std::make_pair(font.loaded, font.textures[0]), std::make_pair(0, kNoGLTexture))
            << c.w << "x" << c.h << " × " << c.count;
    }
    // The limits themselves are fine.
    EXPECT_TRUE(font.Load("icons.png", 256, 256, 16));
    EXPECT_EQ(font.textureCount, 16u);

    ASSERT_TRUE(font.Load("icons.png", 48, 48, 4));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Begin2D();
    glColor4f(1, 1, 0, 1);
    font.Draw(2, 10, "$!~#");  // '$' and '~' are beyond the glyph count: blank cells that still advance
    End2D();
    const Picture p = ReadPicture();
    const Rgb yellow{255, 255, 0}, black{0, 0, 0};
    // '!' in the second cell has ink in its top half only (upright), the
    // first and third cells are blank and '#' fills the fourth.
    std::vector<std::pair<int, int>> blank = {{2 + 48 + 15, 10 + 40}, {2 + 48 + 5, 10 + 5}};
    for (int x = 2; x < 146 - 2; x += 6)
        if (x < 50 || x > 98)
            blank.push_back({x, 30});
    for (const auto& [x, y] : blank)
        EXPECT_TRUE(Near(p.At(x, y), black)) << x << "," << y << ": " << p.At(x, y);
    for (const auto& [x, y] : {std::make_pair(2 + 48 + 15, 10 + 5), {146 + 5, 30}})
        EXPECT_TRUE(Near(p.At(x, y), yellow)) << x << "," << y << ": " << p.At(x, y);
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
