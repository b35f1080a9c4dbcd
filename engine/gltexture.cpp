#include "engine/gltexture.h"

#include "app/base/files.h"
#include "engine/glcontext.h"
#include "app/base/log.h"

#include <GL/glu.h>
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef GL_UNSIGNED_SHORT_5_6_5
#define GL_UNSIGNED_SHORT_5_6_5 0x8363
#endif

namespace {

// Larger images are refused before their buffer is allocated.
constexpr uint32_t kMaxImageSide = 16384;

bool IsMipmapFilter(GLenum f)
{
    return f == GL_NEAREST_MIPMAP_NEAREST || f == GL_LINEAR_MIPMAP_NEAREST || f == GL_NEAREST_MIPMAP_LINEAR ||
           f == GL_LINEAR_MIPMAP_LINEAR;
}

void ApplyParameters(const GLTexture& t)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(t.wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(t.wrapT));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(t.EffectiveMagFilter()));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(t.EffectiveMinFilter()));
}

// Copies a surface's rows (which SDL may pad) into a packed buffer.
uint8_t* PackSurface(SDL_Surface* s, uint32_t bpp)
{
    size_t row = size_t(s->w) * bpp;
    uint8_t* out = static_cast<uint8_t*>(std::malloc(row * size_t(s->h)));
    if (!out)
        return nullptr;
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) < 0) {
        std::free(out);
        return nullptr;
    }
    const uint8_t* src = static_cast<const uint8_t*>(s->pixels);
    for (int y = 0; y < s->h; ++y)
        std::memcpy(out + row * size_t(y), src + size_t(s->pitch) * size_t(y), row);
    if (SDL_MUSTLOCK(s))
        SDL_UnlockSurface(s);
    return out;
}

}  // namespace

uint8_t* LoadImage(const char* path, uint32_t* width, uint32_t* height, uint32_t* bytesPerPixel)
{
    if (!path || !*path)
        return nullptr;
    SDL_Surface* loaded = IMG_Load(NativePath(path).c_str());
    if (!loaded)
        return nullptr;
    if (loaded->w <= 0 || loaded->h <= 0 || uint32_t(loaded->w) > kMaxImageSide ||
        uint32_t(loaded->h) > kMaxImageSide) {
        SDL_FreeSurface(loaded);
        return nullptr;
    }
    // A 1 × 1 surface gives SDL a complete target pixel format.
    SDL_Surface* target;
    switch (loaded->format->BytesPerPixel) {
    case 4:
        target = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
        break;
    case 1:
    case 2:  // 5-6-5 pixels are widened here so an upload never reads past them
    case 3:
        target = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
        break;
    default:
        target = nullptr;
        break;
    }
    if (!target) {
        SDL_FreeSurface(loaded);
        return nullptr;
    }
    const uint32_t wanted = target->format->BytesPerPixel;
    SDL_Surface* converted = SDL_ConvertSurface(loaded, target->format, 0);
    SDL_FreeSurface(target);
    SDL_FreeSurface(loaded);
    if (!converted)
        return nullptr;
    uint32_t bpp = converted->format->BytesPerPixel;
    uint8_t* pixels = (bpp == wanted) ? PackSurface(converted, bpp) : nullptr;
    if (pixels) {
        *width = uint32_t(converted->w);
        *height = uint32_t(converted->h);
        *bytesPerPixel = bpp;
    }
    SDL_FreeSurface(converted);
    return pixels;
}

GLTexture::~GLTexture()
{
    std::free(pixels);
}

bool GLTexture::HasGLName() const
{
    return glName != kNoGLTexture && glGeneration == CurrentGLGeneration();
}

bool GLTexture::Bind() const
{
    if (!HasGLName())
        return false;
    glBindTexture(GL_TEXTURE_2D, glName);
    return true;
}

void GLTexture::Reset()
{
    std::free(pixels);
    pixels = nullptr;
    if (HasGLName())
        glDeleteTextures(1, &glName);
    glName = kNoGLTexture;
    width = height = bytesPerPixel = 0;
    wrapS = wrapT = GL_REPEAT;
    envMode = GL_MODULATE;
    pixelFormat = GL_RGB;
    internalFormat = GL_RGB8;
    minFilter = magFilter = GL_LINEAR;
    mipmap = 0;
    fileName.clear();
    glGeneration = 0;
}

bool GLTexture::Load(const char* path)
{
    fileName = path ? path : "";
    if (HasGLName())
        glDeleteTextures(1, &glName);
    glName = kNoGLTexture;
    std::free(pixels);
    pixels = nullptr;
    uint32_t w = 0, h = 0, bpp = 0;
    uint8_t* p = LoadImage(path, &w, &h, &bpp);
    if (!p) {
        Warn("Couldn't load texture %s\n", fileName.c_str());
        return false;
    }
    switch (bpp) {
    case 3:
        pixelFormat = GL_RGB;
        internalFormat = GL_RGB8;
        break;
    case 4:
        pixelFormat = GL_RGBA;
        internalFormat = GL_RGBA8;
        break;
    case 2:
        pixelFormat = GL_RGB;
        internalFormat = GL_RGB5;
        break;
    default:
        std::free(p);
        Warn("Bad Texture format\n");
        return false;
    }
    pixels = p;
    width = w;
    height = h;
    bytesPerPixel = bpp;
    return true;
}

bool GLTexture::Allocate(uint32_t w, uint32_t h, uint32_t bitsPerPixel)
{
    uint32_t bpp;
    GLenum format, internal;
    switch (bitsPerPixel) {
    case 24:
        bpp = 3, format = GL_RGB, internal = GL_RGB8;
        break;
    case 32:
        bpp = 4, format = GL_RGBA, internal = GL_RGBA8;
        break;
    case 16:
        bpp = 2, format = GL_RGB, internal = GL_RGB5;
        break;
    default:
        return pixels != nullptr;
    }
    if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide)
        return false;
    uint8_t* p = static_cast<uint8_t*>(std::malloc(size_t(w) * h * bpp));
    if (!p)
        return false;
    std::free(pixels);
    pixels = p;
    width = w;
    height = h;
    bytesPerPixel = bpp;
    pixelFormat = format;
    internalFormat = internal;
    return true;
}

GLenum GLTexture::EffectiveMinFilter() const
{
    if (IsMipmapFilter(minFilter) && !mipmap)
        return (minFilter == GL_NEAREST_MIPMAP_NEAREST || minFilter == GL_NEAREST_MIPMAP_LINEAR) ? GL_NEAREST
                                                                                                 : GL_LINEAR;
    return minFilter;
}

GLenum GLTexture::EffectiveMagFilter() const
{
    return magFilter == GL_NEAREST ? GL_NEAREST : GL_LINEAR;
}

void GLTexture::SetWrap(GLenum s, GLenum t)
{
    wrapS = s;
    wrapT = t;
    if (Bind()) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapS));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapT));
    }
}

void GLTexture::SetFilters(GLenum minifying, GLenum magnifying)
{
    minFilter = minifying;
    magFilter = magnifying;
    if (Bind()) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(EffectiveMagFilter()));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(EffectiveMinFilter()));
    }
}

bool GLTexture::Upload()
{
    if (!pixels)
        return false;
    if (!HasGLName()) {
        glGenTextures(1, &glName);
        glGeneration = CurrentGLGeneration();
    }
    glBindTexture(GL_TEXTURE_2D, glName);
    ApplyParameters(*this);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(envMode));
    GLenum type = bytesPerPixel == 2 ? GL_UNSIGNED_SHORT_5_6_5 : GL_UNSIGNED_BYTE;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (mipmap)
        gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(internalFormat), static_cast<GLint>(width),
                          static_cast<GLint>(height), pixelFormat, type, pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), static_cast<GLsizei>(width),
                     static_cast<GLsizei>(height), 0, pixelFormat, type, pixels);
    std::free(pixels);
    pixels = nullptr;
    static uint32_t uploads = 0;
    uploadSerial = ++uploads;
    return true;
}

int NearestMipLevel(const float mvp[16], float viewWidth, float viewHeight, const float point[3], const float alongS[3],
                    const float alongT[3], uint32_t texWidth, uint32_t texHeight, int levels)
{
    // Clip coordinates of the point (w = 1) and of the two directions (w = 0).
    auto transform = [&](const float v[3], float w, float out[4]) {
        for (int r = 0; r < 4; ++r)
            out[r] = mvp[r] * v[0] + mvp[4 + r] * v[1] + mvp[8 + r] * v[2] + mvp[12 + r] * w;
    };
    float c[4], a[4], b[4];
    transform(point, 1, c);
    transform(alongS, 0, a);
    transform(alongT, 0, b);
    if (!(c[3] > 1e-6f) || levels <= 1)
        return 0;
    // Window position (x, y) as a function of (s, t): its derivatives.
    const float w2 = c[3] * c[3], hx = viewWidth / 2, hy = viewHeight / 2;
    const float xs = hx * (a[0] * c[3] - c[0] * a[3]) / w2, xt = hx * (b[0] * c[3] - c[0] * b[3]) / w2;
    const float ys = hy * (a[1] * c[3] - c[1] * a[3]) / w2, yt = hy * (b[1] * c[3] - c[1] * b[3]) / w2;
    const float det = xs * yt - xt * ys;
    if (!(std::fabs(det) > 1e-12f))
        return levels - 1;  // seen edge-on: the whole texture in a pixel
    // The inverse: (s, t) per pixel along x and along y, in texels.
    const float sx = yt / det * float(texWidth), tx = -ys / det * float(texHeight);
    const float sy = -xt / det * float(texWidth), ty = xs / det * float(texHeight);
    const float rho = std::max(std::hypot(sx, tx), std::hypot(sy, ty));
    if (!(rho > 1.41421356f))
        return 0;
    const int level = static_cast<int>(std::floor(std::log2(rho) + 0.5f));
    return std::clamp(level, 0, levels - 1);
}

MipView MipView::Current()
{
    MipView view;
    double clip[16], projection[16], modelview[16];
    CurrentClipMatrix(clip, projection, modelview);
    for (int i = 0; i < 16; ++i)
        view.mvp[i] = float(clip[i]);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    view.width = float(viewport[2]);
    view.height = float(viewport[3]);
    return view;
}

bool MipLevels::Follow(const GLTexture& source)
{
    if (!source.HasGLName() || !source.mipmap)
        return false;
    const GLenum min = source.EffectiveMinFilter(), mag = source.EffectiveMagFilter();
    const bool linear = min == GL_LINEAR_MIPMAP_NEAREST && mag == GL_LINEAR;
    if (!linear && !(min == GL_NEAREST_MIPMAP_NEAREST && mag == GL_NEAREST))
        return false;
    if (generation == CurrentGLGeneration() && sourceSerial == source.uploadSerial && !names.empty())
        return true;
    Free();
    generation = CurrentGLGeneration();
    sourceSerial = source.uploadSerial;
    const GLenum format = source.pixelFormat == GL_RGBA ? GL_RGBA : GL_RGB;
    const size_t channels = format == GL_RGBA ? 4 : 3;
    std::vector<uint8_t> texels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (GLint level = 0; level < kMaxMipLevels; ++level) {
        source.Bind();
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        if (w <= 0 || h <= 0)
            break;
        texels.assign(size_t(w) * size_t(h) * channels, 0);
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, texels.data());
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(source.wrapS));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(source.wrapT));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(mag));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(mag));
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(source.internalFormat), w, h, 0, format, GL_UNSIGNED_BYTE,
                     texels.data());
        names.push_back(name);
        if (w == 1 && h == 1)
            break;
    }
    source.Bind();
    return !names.empty();
}

void MipLevels::Bind(int level) const
{
    if (!names.empty())
        glBindTexture(GL_TEXTURE_2D, names[size_t(std::clamp(level, 0, Count() - 1))]);
}

void MipLevels::Free()
{
    if (!names.empty() && generation == CurrentGLGeneration())
        glDeleteTextures(GLsizei(names.size()), names.data());
    names.clear();
}

bool Screenshot(const GLContext& context, const char* path)
{
    if (!context.initialised || context.width == 0 || context.height == 0 || !path || !*path)
        return false;
    const int w = static_cast<int>(context.width), h = static_cast<int>(context.height);
    SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    size_t row = size_t(w) * 3;
    uint8_t* packed = static_cast<uint8_t*>(std::malloc(row * size_t(h)));
    bool ok = picture && packed;
    if (ok) {
        // Read packed rows, then copy them bottom-up into the surface's own
        // (padded) rows, so odd widths are not sheared.
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, packed);
        if (SDL_MUSTLOCK(picture))
            SDL_LockSurface(picture);
        uint8_t* dst = static_cast<uint8_t*>(picture->pixels);
        for (int y = 0; y < h; ++y)
            std::memcpy(dst + size_t(picture->pitch) * size_t(y), packed + row * size_t(h - 1 - y), row);
        if (SDL_MUSTLOCK(picture))
            SDL_UnlockSurface(picture);
        std::string native = NativePath(path);
        SDL_RWops* out = SDL_RWFromFile(native.c_str(), "wb");
        ok = out && SDL_SaveBMP_RW(picture, out, 1) == 0;
        if (!ok) {
            if (out)
                std::remove(native.c_str());
            Warn("Couldn't write screenshot %s\n", path);
        }
    }
    std::free(packed);
    if (picture)
        SDL_FreeSurface(picture);
    return ok;
}

uint8_t* ReadPixelsRGB(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0 || uint32_t(width) > kMaxImageSide || uint32_t(height) > kMaxImageSide)
        return nullptr;
    size_t n = size_t(width) * size_t(height);
    uint8_t* rgba = static_cast<uint8_t*>(std::malloc(n * 4));
    if (!rgba)
        return nullptr;
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    uint8_t* rgb = static_cast<uint8_t*>(std::malloc(n * 3));
    if (rgb) {
        for (int row = 0; row < height; ++row) {
            const uint8_t* src = rgba + size_t(height - 1 - row) * size_t(width) * 4;
            uint8_t* dst = rgb + size_t(row) * size_t(width) * 3;
            for (int i = 0; i < width; ++i) {
                dst[3 * i] = src[4 * i];
                dst[3 * i + 1] = src[4 * i + 1];
                dst[3 * i + 2] = src[4 * i + 2];
            }
        }
    }
    std::free(rgba);
    return rgb;
}
