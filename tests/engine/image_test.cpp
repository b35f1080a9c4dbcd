#include "engine/draw3d.h"
#include "gltest.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace {

// A 16-bit BMP with 5-6-5 bit fields; rows padded to 4 bytes as the format
// wants. Pixels top row first.
void Write565Bmp(const std::string& path, int w, int h, const std::vector<uint16_t>& px)
{
    const int stride = (w * 2 + 3) & ~3;
    const uint32_t offset = 14 + 40 + 12;
    std::string b;
    auto u16 = [&b](uint32_t v) {
        b += char(v & 0xFF);
        b += char((v >> 8) & 0xFF);
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    b += "BM";
    u32(offset + uint32_t(stride * h));
    u32(0);
    u32(offset);
    u32(40);
    u32(uint32_t(w));
    u32(uint32_t(h));
    u16(1);
    u16(16);
    u32(3);  // bit fields
    u32(uint32_t(stride * h));
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    u32(0xF800);
    u32(0x07E0);
    u32(0x001F);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x)
            u16(px[size_t(y) * w + x]);
        b.append(size_t(stride - w * 2), '\0');
    }
    ASSERT_TRUE(WriteTestFile(path, b));
}

// An 8-bit palette BMP through SDL itself.
void WritePaletteBmp(const std::string& path, int w, int h, const std::vector<uint8_t>& indices,
                     const std::vector<SDL_Color>& palette)
{
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
    ASSERT_NE(s, nullptr);
    SDL_SetColors(s, const_cast<SDL_Color*>(palette.data()), 0, int(palette.size()));
    for (int y = 0; y < h; ++y)
        std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, &indices[size_t(y) * w], size_t(w));
    ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0);
    SDL_FreeSurface(s);
}

std::vector<uint8_t> TextureImage(const GLTexture& t, GLenum format, int channels)
{
    std::vector<uint8_t> out(size_t(t.width) * t.height * channels);
    EXPECT_TRUE(t.Bind());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
    return out;
}

GLint TexParameter(const GLTexture& t, GLenum which)
{
    EXPECT_TRUE(t.Bind());
    GLint v = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, which, &v);
    return v;
}

class ImageTest : public GLTest {};

TEST_F(ImageTest, PaletteImageLoadsAsRGB)
{
    // 3 × 2 (3 bytes a row in the file's surface: padded by SDL).
    WritePaletteBmp("pal.bmp", 3, 2, {0, 1, 2, 2, 1, 0},
                    {{255, 0, 0, 0}, {0, 255, 0, 0}, {10, 20, 30, 0}});
    GLTexture t;
    ASSERT_TRUE(t.Load("pal.bmp"));
    EXPECT_EQ(t.bytesPerPixel, 3u);
    EXPECT_EQ(t.pixelFormat, GLenum(GL_RGB));
    EXPECT_EQ(t.internalFormat, GLenum(GL_RGB8));
    ASSERT_EQ(t.width, 3u);
    ASSERT_EQ(t.height, 2u);
    const uint8_t expected[18] = {255, 0, 0, 0, 255, 0, 10, 20, 30, 10, 20, 30, 0, 255, 0, 255, 0, 0};
    EXPECT_EQ(std::memcmp(t.pixels, expected, 18), 0);
    ASSERT_TRUE(t.Upload());
    EXPECT_EQ(t.pixels, nullptr);
    std::vector<uint8_t> back = TextureImage(t, GL_RGB, 3);
    EXPECT_EQ(std::memcmp(back.data(), expected, 18), 0);
    // Once handed over, it cannot be uploaded again without a new load.
    EXPECT_FALSE(t.Upload());
    t.Reset();
}

TEST_F(ImageTest, AlphaImageLoadsAsRGBA8)
{
    std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0,
                                 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    WriteRgbaPng(dir.file("alpha.png"), 3, 2, rgba);
    GLTexture t;
    ASSERT_TRUE(t.Load("alpha.png"));
    EXPECT_EQ(t.bytesPerPixel, 4u);
    EXPECT_EQ(t.pixelFormat, GLenum(GL_RGBA));
    EXPECT_EQ(t.internalFormat, GLenum(GL_RGBA8));
    EXPECT_EQ(std::memcmp(t.pixels, rgba.data(), rgba.size()), 0);
    EXPECT_EQ(t.fileName, "alpha.png");
    ASSERT_TRUE(t.Upload());
    EXPECT_EQ(TextureImage(t, GL_RGBA, 4), rgba);
    t.Reset();
    EXPECT_EQ(t.glName, kNoGLTexture);
    EXPECT_TRUE(t.fileName.empty());
}

TEST_F(ImageTest, SixteenBitImageIsWidenedSoTheUploadStaysInside)
{
    // 3 × 3: an odd width, so the file's rows are padded too.
    Write565Bmp(dir.file("565.bmp"), 3, 3,
                {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0xF800, 0x001F, 0x07E0, 0xFFFF});
    GLTexture t;
    ASSERT_TRUE(t.Load("565.bmp"));
    ASSERT_EQ(t.bytesPerPixel, 3u);
    EXPECT_EQ(t.pixelFormat, GLenum(GL_RGB));
    ASSERT_EQ(t.width, 3u);
    auto px = [&](int i) { return Rgb{t.pixels[3 * i], t.pixels[3 * i + 1], t.pixels[3 * i + 2]}; };
    EXPECT_TRUE(Near(px(0), Rgb{255, 0, 0}, 8)) << px(0);
    EXPECT_TRUE(Near(px(1), Rgb{0, 255, 0}, 8)) << px(1);
    EXPECT_TRUE(Near(px(2), Rgb{0, 0, 255}, 8)) << px(2);
    EXPECT_TRUE(Near(px(4), Rgb{0, 0, 0}, 0)) << px(4);
    EXPECT_TRUE(Near(px(8), Rgb{255, 255, 255}, 8)) << px(8);
    ASSERT_TRUE(t.Upload());
    std::vector<uint8_t> back = TextureImage(t, GL_RGB, 3);
    EXPECT_GE(back[0], 247);
    EXPECT_EQ(back[1], 0);
    t.Reset();
}

TEST_F(ImageTest, SixteenBitBufferUploadsAsPackedPixels)
{
    GLTexture t;
    ASSERT_TRUE(t.Allocate(3, 3, 16));
    EXPECT_EQ(t.bytesPerPixel, 2u);
    EXPECT_EQ(t.internalFormat, GLenum(GL_RGB5));
    uint16_t* p = reinterpret_cast<uint16_t*>(t.pixels);
    for (int i = 0; i < 9; ++i)
        p[i] = i % 2 ? 0x07E0 : 0xF800;  // green, red (red in the high bits)
    ASSERT_TRUE(t.Upload());
    std::vector<uint8_t> back = TextureImage(t, GL_RGB, 3);
    EXPECT_GE(back[0], 240);  // red
    EXPECT_LE(back[1], 8);
    EXPECT_LE(back[3], 8);    // green
    EXPECT_GE(back[4], 240);
    t.Reset();
    // Other depths change nothing.
    EXPECT_FALSE(t.Allocate(3, 3, 8));
    EXPECT_EQ(t.pixels, nullptr);
}

TEST_F(ImageTest, OddWidthRowsArePacked)
{
    // 5 pixels × 3 bytes = 15 bytes a row: SDL pads its rows to 16.
    std::vector<uint8_t> rgb(5 * 3 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = uint8_t(7 * i + 1);
    WriteRgbPng(dir.file("odd.png"), 5, 3, rgb);
    uint32_t w = 0, h = 0, bpp = 0;
    uint8_t* px = LoadImage("odd.png", &w, &h, &bpp);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 5u);
    EXPECT_EQ(h, 3u);
    EXPECT_EQ(bpp, 3u);
    EXPECT_EQ(std::memcmp(px, rgb.data(), rgb.size()), 0);
    std::free(px);

    GLTexture t;
    ASSERT_TRUE(t.Load("odd.png"));
    ASSERT_TRUE(t.Upload());
    EXPECT_EQ(TextureImage(t, GL_RGB, 3), rgb);
    t.Reset();
}

TEST_F(ImageTest, DamagedAndMissingImagesAreRefused)
{
    std::vector<uint8_t> rgba(16 * 16 * 4, 200);
    WriteRgbaPng(dir.file("good.png"), 16, 16, rgba);
    std::string good = ReadTestFile(dir.file("good.png"));
    WriteTestFile(dir.file("cut.png"), good.substr(0, good.size() / 2));
    WriteTestFile(dir.file("empty.png"), "");
    WriteTestFile(dir.file("text.png"), "this is not an image at all\n");

    for (const char* name : {"cut.png", "empty.png", "text.png", "absent.png"}) {
        uint32_t w = 0, h = 0, bpp = 0;
        EXPECT_EQ(LoadImage(name, &w, &h, &bpp), nullptr) << name;
        GLTexture t;
        std::string err = CaptureStderr([&] { EXPECT_FALSE(t.Load(name)); });
        // The image library may add its own line before ours.
        const std::string line = std::string("Couldn't load texture ") + name + "\n";
        ASSERT_GE(err.size(), line.size());
        EXPECT_EQ(err.substr(err.size() - line.size()), line);
        EXPECT_EQ(t.pixels, nullptr);
    }
}

TEST_F(ImageTest, FiltersReachingGLAreValid)
{
    GLTexture plain;
    ASSERT_TRUE(plain.Allocate(8, 8, 24));
    std::memset(plain.pixels, 0, 8 * 8 * 3);
    ASSERT_TRUE(plain.Upload());
    EXPECT_EQ(TexParameter(plain, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(TexParameter(plain, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    // Asked for mipmap filtering without mipmaps, and for a mipmap filter on
    // magnification (which GL refuses).
    GLTexture asked;
    ASSERT_TRUE(asked.Allocate(8, 8, 24));
    std::memset(asked.pixels, 0, 8 * 8 * 3);
    asked.minFilter = GL_LINEAR_MIPMAP_LINEAR;
    asked.magFilter = GL_LINEAR_MIPMAP_LINEAR;
    ASSERT_TRUE(asked.Upload());
    EXPECT_EQ(TexParameter(asked, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(TexParameter(asked, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_TRUE(context.CheckError());

    GLTexture mip;
    ASSERT_TRUE(mip.Allocate(8, 8, 24));
    std::memset(mip.pixels, 0, 8 * 8 * 3);
    mip.mipmap = 1;
    mip.SetFilters(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
    ASSERT_TRUE(mip.Upload());
    EXPECT_EQ(TexParameter(mip, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(TexParameter(mip, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    // Wrap modes and filters set after the upload reach the GL texture.
    plain.SetWrap(GL_CLAMP, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(TexParameter(plain, GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(TexParameter(plain, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    plain.SetFilters(GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(TexParameter(plain, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(TexParameter(plain, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_TRUE(context.CheckError());
    plain.Reset();
    asked.Reset();
    mip.Reset();
}

TEST_F(ImageTest, MipmapFilterWithoutMipmapsStillDrawsTheTexture)
{
    // A texture left with a mipmap minifying filter but one level is
    // incomplete in OpenGL and would draw as if untextured (white).
    GLTexture t;
    ASSERT_TRUE(t.Allocate(64, 64, 24));
    for (int i = 0; i < 64 * 64; ++i) {
        t.pixels[3 * i] = 200;
        t.pixels[3 * i + 1] = 30;
        t.pixels[3 * i + 2] = 40;
    }
    t.minFilter = GL_LINEAR_MIPMAP_LINEAR;
    ASSERT_TRUE(t.Upload());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Begin2D();
    t.Bind();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const float xy[8] = {10, 10, 30, 10, 10, 30, 30, 30};  // minified: 64 texels on 20 pixels
    const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    DrawQuad2DTex(xy, uv);
    End2D();
    Picture p = Picture::Read(kWidth, kHeight);
    EXPECT_TRUE(Near(p.At(20, 20), Rgb{200, 30, 40}, 4)) << p.At(20, 20);
    t.Reset();
}

TEST_F(ImageTest, MaterialTexturesFollowTheMipmapSwitch)
{
    std::vector<uint8_t> rgb(16 * 16 * 3, 90);
    WriteRgbPng(dir.file("wall.png"), 16, 16, rgb);
    Material* m = AcquireMaterial("filters");
    SetMipMapping(0);
    GLTexture* t = SetTexture(m, "wall.png");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(TexParameter(*t, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(TexParameter(*t, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    SetMipMapping(1);
    t = SetTexture(m, "wall.png");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->mipmap, 1);
    EXPECT_EQ(TexParameter(*t, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(TexParameter(*t, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    // An RGB texture leaves the material's transparency alone.
    EXPECT_EQ(m->flags & kMatTransparency, 0);
    ReleaseMaterial(m);
    EXPECT_EQ(FindMaterial("filters"), nullptr);
}

TEST_F(ImageTest, ReadPixelsGivesTheTopRowFirst)
{
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, kWidth, kHeight / 2);  // GL rows count from the bottom
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    Picture p = Picture::Read(kWidth, kHeight);
    EXPECT_TRUE(Near(p.At(3, 0), Rgb{255, 0, 0})) << p.At(3, 0);
    EXPECT_TRUE(Near(p.At(3, kHeight - 1), Rgb{0, 0, 255})) << p.At(3, kHeight - 1);
    EXPECT_EQ(ReadPixelsRGB(0, 0, 0, 10), nullptr);
    EXPECT_EQ(ReadPixelsRGB(0, 0, 10, -1), nullptr);
}

// A window whose rows are 101 × 3 = 303 bytes: not a multiple of 4.
TEST(Screenshot, TopRowFirstAndNoShearAtOddWidths)
{
    ScopedTempDir dir;
    GLContext c;
    ASSERT_TRUE(c.Create(101, 60, 0));
    glClearColor(1, 0, 0, 1);  // top half red
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 101, 30);  // bottom half blue
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, 10, 60);   // a green stripe down the left edge
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    ASSERT_TRUE(Screenshot(c, "shot.bmp"));
    std::string bmp = ReadTestFile("shot.bmp");
    ASSERT_GE(bmp.size(), 54u);
    auto le32 = [&](size_t at) {
        return uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 |
               uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 3])) << 24;
    };
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(le32(18), 101u);
    EXPECT_EQ(le32(22), 60u);
    EXPECT_EQ(uint8_t(bmp[28]) | uint8_t(bmp[29]) << 8, 24);
    EXPECT_EQ(le32(30), 0u);  // uncompressed
    EXPECT_EQ(bmp.size(), le32(10) + 60u * 304u);

    SDL_Surface* s = SDL_LoadBMP("shot.bmp");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->format->BytesPerPixel, 3);
    auto at = [&](int x, int y) {
        Uint32 v = 0;
        std::memcpy(&v, static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * 3, 3);
        Uint8 r, g, b;
        SDL_GetRGB(v, s->format, &r, &g, &b);
        return Rgb{r, g, b};
    };
    EXPECT_TRUE(Near(at(50, 0), Rgb{255, 0, 0})) << at(50, 0);
    EXPECT_TRUE(Near(at(50, 59), Rgb{0, 0, 255})) << at(50, 59);
    for (int y = 0; y < 60; ++y) {
        ASSERT_TRUE(Near(at(0, y), Rgb{0, 255, 0})) << "row " << y;
        ASSERT_TRUE(Near(at(9, y), Rgb{0, 255, 0})) << "row " << y;
        ASSERT_FALSE(Near(at(10, y), Rgb{0, 255, 0}, 60)) << "row " << y;
        ASSERT_FALSE(Near(at(100, y), Rgb{0, 255, 0}, 60)) << "row " << y;
    }
    SDL_FreeSurface(s);

    // A file that cannot be written is a failure, and leaves nothing behind.
    std::string err = CaptureStderr([&] { EXPECT_FALSE(Screenshot(c, "no/such/dir/shot.bmp")); });
    EXPECT_NE(err.find("no/such/dir/shot.bmp"), std::string::npos);
    EXPECT_FALSE(TestFileExists("no/such/dir/shot.bmp"));
    c.Close();
    EXPECT_FALSE(Screenshot(c, "closed.bmp"));
}

}  // namespace
