#pragma once
// Images and OpenGL textures. A texture goes empty → loaded (pixels, no GL
// name) → uploaded (GL name, pixels released) → reset (empty). Pixel buffers
// always hold packed rows (no padding), top row first.
#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

struct GLContext;

constexpr GLuint kNoGLTexture = 0xFFFFFFFFu;

// The minification filter of every mipmapped texture in the game: the
// nearer mipmap level sampled bilinearly. Blending two levels as well costs
// the software rasteriser twice the texel reads, for a change on the
// receding floor no player sees.
constexpr GLenum kMipmapMinFilter = GL_LINEAR_MIPMAP_NEAREST;

struct GLTexture {
    uint8_t* pixels = nullptr;  // malloc'd, packed rows; null when empty
    uint32_t width = 0, height = 0;
    uint32_t bytesPerPixel = 0;  // 2 (5-6-5, red in the high bits), 3 or 4
    GLuint glName = kNoGLTexture;
    GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    GLenum envMode = GL_MODULATE;
    GLenum pixelFormat = GL_RGB;
    GLenum internalFormat = GL_RGB8;
    GLenum minFilter = GL_LINEAR, magFilter = GL_LINEAR;
    int32_t mipmap = 0;
    std::string fileName;       // the path last loaded
    uint32_t glGeneration = 0;  // the context the GL name belongs to
    uint32_t uploadSerial = 0;  // new at every upload: what is derived from the GL texture follows it

    GLTexture() = default;
    GLTexture(const GLTexture&) = delete;
    GLTexture& operator=(const GLTexture&) = delete;
    // Frees the pixels only: a GL name is deleted by Reset, while its
    // context is still there.
    ~GLTexture();

    void Reset();
    // Loads an image file into the pixel buffer (no upload). On failure
    // prints "Couldn't load texture %s\n" and returns false.
    bool Load(const char* path);
    // An uninitialised buffer for the caller to fill: 24 → RGB, 32 → RGBA,
    // 16 → 5-6-5. Any other depth changes nothing.
    bool Allocate(uint32_t w, uint32_t h, uint32_t bitsPerPixel);
    // Hands the pixels to OpenGL (building mipmaps when the flag is set) and
    // releases them. False when there are no pixels.
    bool Upload();

    // True when the GL name exists in the current context.
    bool HasGLName() const;
    // Binds the texture when it has a GL name in the current context.
    bool Bind() const;
    // Store the wrap modes / filters and apply them to the GL texture at once
    // when it exists. Filters are sanitised when they reach GL: a mipmap
    // filter is used for minification only and only with the mipmap flag;
    // magnification is linear or nearest.
    void SetWrap(GLenum s, GLenum t);
    void SetFilters(GLenum minifying, GLenum magnifying);
    // The filters OpenGL really gets.
    GLenum EffectiveMinFilter() const;
    GLenum EffectiveMagFilter() const;
};

// The level of a mipmapped texture that Mesa's software rasteriser samples
// at a point of a flat surface under GL_*_MIPMAP_NEAREST: the longer of the
// texel steps per pixel along x and along y, rounded in log2 and clamped to
// the `levels` there are. `point` is where on the surface, `alongS`
// and `alongT` the world vectors over which the texture coordinates s and t
// grow by one (a whole texture), `mvp` projection × modelview (column-major,
// as GL keeps it) and the viewport `viewWidth` × `viewHeight` pixels. A point
// at or behind the eye gets level 0.
int NearestMipLevel(const float mvp[16], float viewWidth, float viewHeight, const float point[3], const float alongS[3],
                    const float alongT[3], uint32_t texWidth, uint32_t texHeight, int levels);

// The most levels a texture has: one for each halving of the largest image
// side there may be, 16384.
constexpr int kMaxMipLevels = 15;

// The view NearestMipLevel projects through, read from GL as it is now.
struct MipView {
    float mvp[16];
    float width = 0, height = 0;

    static MipView Current();
    int LevelAt(const float point[3], const float alongS[3], const float alongT[3], const GLTexture& texture,
                int levels) const
    {
        return NearestMipLevel(mvp, width, height, point, alongS, alongT, texture.width, texture.height, levels);
    }
};

// The levels of a mipmapped texture, each copied into a texture of its own
// sampled without mipmaps. A surface drawn cell by cell, each cell with the
// level NearestMipLevel gives it, looks as the mipmapped texture would, but
// the rasteriser no longer works out a level at every pixel, which in
// software costs as much as the sampling.
class MipLevels {
public:
    MipLevels() = default;
    MipLevels(const MipLevels&) = delete;
    MipLevels& operator=(const MipLevels&) = delete;

    // Copies the levels of `source` when it was uploaded since the last call
    // (or the context is new). False, with nothing to bind, when `source` has
    // no GL texture or its filters are not a mipmap filter whose sampling
    // within a level is the magnification's (the copies would then sample
    // differently from the mipmapped texture).
    bool Follow(const GLTexture& source);
    int Count() const { return static_cast<int>(names.size()); }
    // Binds level `level`, clamped to those there are.
    void Bind(int level) const;
    // Deletes the copies that belong to the current context.
    void Free();

private:
    std::vector<GLuint> names;
    uint32_t generation = 0, sourceSerial = 0;
};

// Loads an image file through SDL_image into packed rows, top row first:
// 32-bit images as RGBA (4 bytes), palette, 24-bit and 16-bit images as RGB
// (3 bytes). Null on failure; the caller releases the buffer with std::free.
uint8_t* LoadImage(const char* path, uint32_t* width, uint32_t* height, uint32_t* bytesPerPixel);

// Writes the whole window as a 24-bit BMP whose first row is the top of the
// window. False when the picture cannot be read or the file not written
// completely (a partial file is removed).
bool Screenshot(const GLContext& context, const char* path);

// width × height × 3 bytes of the frame buffer, rows top first, or null. The
// caller releases the buffer with std::free.
uint8_t* ReadPixelsRGB(int x, int y, int width, int height);
