#include "text/glttf2d.h"

#include "app/base/exception.h"
#include "app/base/log.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <new>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

void GLTTF2D::ClearLookup()
{
    std::fill(std::begin(latin), std::end(latin), static_cast<int16_t>(-1));
    others.clear();
}

const Glyph* GLTTF2D::Find(char16_t c) const
{
    int i = -1;
    if (c < 256) {
        i = latin[c];
    } else {
        auto it = others.find(c);
        if (it != others.end())
            i = it->second;
    }
    return i >= 0 && i < static_cast<int>(glyphs.size()) ? &glyphs[static_cast<size_t>(i)] : nullptr;
}

bool GLTTF2D::Init()
{
    if (TTF_WasInit())
        return true;
    if (TTF_Init() < 0)
        throw Exception(FormatText("Couldn't initialize TTF: %s\n", TTF_GetError()), "Init", "glttf2d", __LINE__);
    return true;
}

void GLTTF2D::Quit()
{
    if (TTF_WasInit())
        TTF_Quit();
}

void Reset(GLTTF2D& font)
{
    for (const GlyphPage& p : font.pages)
        if (p.texture)
            glDeleteTextures(1, &p.texture);
    font.pages.clear();
    font.glyphs.clear();
    font.glyphCount = 0;
    font.lineHeight = 0;
    font.ClearLookup();
}

namespace {

// Units SDL_ttf cannot render alone: byte-order marks switch its byte
// order, surrogate halves are not characters.
bool Renderable(char16_t c)
{
    return c != 0 && c != 0xFEFF && c != 0xFFFE && !(c >= 0xD800 && c <= 0xDFFF);
}

void Log(const std::string& line)
{
    WriteLog(line.c_str());
}

// One atlas page being filled.
struct PageBuilder {
    int size;
    std::vector<uint8_t> pixels;
    bool used = false;

    void Clear()
    {
        std::fill(pixels.begin(), pixels.end(), 0);
        used = false;
    }

    GlyphPage Upload() const
    {
        GlyphPage page;
        page.width = size;
        page.height = size;
        GLuint tex = 0;
        glGenTextures(1, &tex);
        glBindTexture(GL_TEXTURE_2D, tex);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        page.texture = tex;
        return page;
    }

    // Copies w x h pixels of a rendered glyph to (x, y) as RGBA.
    void Blit(SDL_Surface* s, int x, int y, int w, int h)
    {
        bool locked = SDL_MUSTLOCK(s) && SDL_LockSurface(s) == 0;
        const int bpp = s->format->BytesPerPixel;
        for (int row = 0; row < h; ++row) {
            const uint8_t* src = static_cast<const uint8_t*>(s->pixels) + row * s->pitch;
            uint8_t* dst =
                &pixels[(static_cast<size_t>(y + row) * static_cast<size_t>(size) + static_cast<size_t>(x)) * 4];
            for (int col = 0; col < w; ++col) {
                Uint32 value = 0;
                std::memcpy(&value, src + col * bpp, static_cast<size_t>(bpp > 4 ? 4 : bpp));
                Uint8 r, g, b, a;
                SDL_GetRGBA(value, s->format, &r, &g, &b, &a);
                dst[col * 4 + 0] = r;
                dst[col * 4 + 1] = g;
                dst[col * 4 + 2] = b;
                dst[col * 4 + 3] = a;
            }
        }
        if (locked)
            SDL_UnlockSurface(s);
    }

    // Records the glyph's ink box from its cell's texels.
    void FindInk(Glyph& g) const
    {
        int left = g.width, right = -1, top = -1, bottom = -1;
        for (int row = 0; row < g.height; ++row) {
            const uint8_t* texel =
                &pixels[(static_cast<size_t>(g.y + row) * static_cast<size_t>(size) + static_cast<size_t>(g.x)) * 4];
            for (int col = 0; col < g.width; ++col)
                if (texel[col * 4 + 3] != 0) {
                    left = std::min(left, col);
                    right = std::max(right, col);
                    top = top < 0 ? row : top;
                    bottom = row;
                }
        }
        if (right < 0)
            return;
        g.inkX = left;
        g.inkY = top;
        g.inkWidth = right - left + 1;
        g.inkHeight = bottom - top + 1;
    }
};

SDL_Surface* RenderUnit(TTF_Font* ttf, char16_t c)
{
    Uint16 text[2] = {static_cast<Uint16>(c), 0};
    SDL_Color white = {255, 255, 255, 0};
    return TTF_RenderUNICODE_Blended(ttf, text, white);
}

}  // namespace

bool loadFont(GLTTF2D& font, const char* path, const char16_t* set, int pixelSize, int atlasSize)
{
    Log(FormatText(":Loading font %s ...", path ? path : ""));
    Reset(font);
    if (pixelSize < 1)
        pixelSize = 1;
    TTF_Font* ttf = path && *path ? TTF_OpenFont(path, pixelSize) : nullptr;
    if (!ttf) {
        std::string msg = FormatText("Font not found : '%s' : %s", path ? path : "", TTF_GetError());
        Log(msg);
        throw Exception(msg, "loadFont", "glttf2d", __LINE__);
    }
    TTF_SetFontStyle(ttf, TTF_STYLE_NORMAL);
    font.characterSet = set ? set : u"";

    // Pages are atlasSize wide unless a line of this font would not fit on
    // one; a glyph still too large for the biggest page is cropped to it.
    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    if (maxTexture < 64)
        maxTexture = 2048;
    int pageSize = atlasSize >= 16 ? atlasSize : 256;
    while (pageSize < TTF_FontHeight(ttf) + 2 && pageSize * 2 <= maxTexture)
        pageSize *= 2;

    PageBuilder page;
    page.size = pageSize;
    try {
        page.pixels.assign(static_cast<size_t>(pageSize) * static_cast<size_t>(pageSize) * 4, 0);
    } catch (const std::bad_alloc&) {
        Log("out of memory");
        TTF_CloseFont(ttf);
        return false;
    }

    bool ok = true;
    SDL_Surface* e = RenderUnit(ttf, u'e');
    if (!e) {
        Log("error while rendering glyph");
        ok = false;
    } else {
        font.spaceAdvance = e->w;
        SDL_FreeSurface(e);
    }

    int cx = 0, cy = 0, lineHeight = 0;
    for (size_t i = 0; ok && i < font.characterSet.size(); ++i) {
        char16_t c = font.characterSet[i];
        if (!Renderable(c))
            continue;
        SDL_Surface* s = RenderUnit(ttf, c);
        if (!s) {
            Log("error while rendering glyph");
            ok = false;
            break;
        }
        int w = std::min(s->w, pageSize - 1);
        int h = std::min(s->h, pageSize - 1);
        lineHeight = std::max(lineHeight, h);
        if (cx > 0 && cx + w >= pageSize) {
            cy += lineHeight + 1;
            cx = 0;
        }
        // The row must hold the tallest glyph it may get, not just this one.
        if (cy + lineHeight >= pageSize) {
            font.pages.push_back(page.Upload());
            page.Clear();
            cx = 0;
            cy = 0;
        }
        Glyph g;
        g.character = c;
        g.page = static_cast<int>(font.pages.size());
        g.x = cx;
        g.y = cy;
        g.width = w;
        g.height = h;
        page.Blit(s, cx, cy, w, h);
        page.FindInk(g);
        page.used = true;
        SDL_FreeSurface(s);

        int index = static_cast<int>(font.glyphs.size());
        font.glyphs.push_back(g);
        if (c < 256) {
            if (font.latin[c] < 0)
                font.latin[c] = static_cast<int16_t>(index);
        } else {
            font.others.emplace(c, index);
        }
        cx += w + 1;
    }
    // Every glyph made points at a page that exists: the page being filled is
    // uploaded even after a failure, and dropped only when it holds nothing.
    if (ok || page.used)
        font.pages.push_back(page.Upload());
    font.lineHeight = lineHeight;
    font.glyphCount = static_cast<int>(font.glyphs.size());

    Log("close font");
    TTF_CloseFont(ttf);
    Log("delete buffer");
    page.pixels.clear();
    page.pixels.shrink_to_fit();
    if (!ok)
        return false;
    Log("Load font end.");
    return true;
}

namespace {

// The glyph drawn for a character; null for a space and for a character
// the font lacks, which both advance by the width of a space.
const Glyph* DrawnGlyph(const GLTTF2D& font, char16_t c)
{
    return c == u' ' ? nullptr : font.Find(c);
}

}  // namespace

int TextWidth(const GLTTF2D& font, const char16_t* text)
{
    int width = 0;
    if (!text)
        return 0;
    for (const char16_t* p = text; *p; ++p) {
        const Glyph* g = DrawnGlyph(font, *p);
        width += g ? g->width : font.spaceAdvance;
    }
    return width;
}

int TextWidth(const GLTTF2D& font, const WideText& text)
{
    return TextWidth(font, text.Units());
}

namespace {

// The quads of one run of glyphs on the same page, drawn in one call.
struct QuadBatch {
    std::vector<float> xy, uv, rgba;

    void Clear()
    {
        xy.clear();
        uv.clear();
        rgba.clear();
    }

    // The glyph's ink box grown by `margin` texels (within its cell), for
    // the cell's top left at (x, y) and the scale s, with the texture
    // coordinates and the colours that the quad of the whole cell has at
    // those pixels.
    void Add(const Glyph& g, const GlyphPage& page, float x, float y, float s, int margin, const float* top,
             const float* bottom, float alpha)
    {
        const int x0 = std::max(g.inkX - margin, 0), x1 = std::min(g.inkX + g.inkWidth + margin, g.width);
        const int y0 = std::max(g.inkY - margin, 0), y1 = std::min(g.inkY + g.inkHeight + margin, g.height);
        const float left = (x + x0) * s, right = (x + x1) * s, up = (y + y0) * s, down = (y + y1) * s;
        const float pw = static_cast<float>(page.width), ph = static_cast<float>(page.height);
        const float u0 = (g.x + x0) / pw, u1 = (g.x + x1) / pw, v0 = (g.y + y0) / ph, v1 = (g.y + y1) / ph;
        // Top to bottom over the cell's height, written so that the cell's own
        // top and bottom rows get the two colours exactly.
        float colour[2][4];
        for (int row = 0; row < 2; ++row) {
            const float f = static_cast<float>(row ? y1 : y0) / static_cast<float>(g.height);
            for (int i = 0; i < 3; ++i)
                colour[row][i] = top[i] * (1 - f) + bottom[i] * f;
            colour[row][3] = alpha;
        }
        const float corners[4][4] = {
            {left, up, u0, v0}, {right, up, u1, v0}, {right, down, u1, v1}, {left, down, u0, v1}};
        for (int k = 0; k < 4; ++k) {
            xy.insert(xy.end(), corners[k], corners[k] + 2);
            uv.insert(uv.end(), corners[k] + 2, corners[k] + 4);
            rgba.insert(rgba.end(), colour[k / 2], colour[k / 2] + 4);
        }
    }

    void Draw()
    {
        if (xy.empty())
            return;
        glVertexPointer(2, GL_FLOAT, 0, xy.data());
        glTexCoordPointer(2, GL_FLOAT, 0, uv.data());
        glColorPointer(4, GL_FLOAT, 0, rgba.data());
        glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(xy.size() / 2));
        Clear();
    }
};

}  // namespace

void DrawText(const GLTTF2D& font, const char16_t* text, int x, int y, int w, int h, bool centreH, bool centreV)
{
    glPushAttrib(GL_CURRENT_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);

    // A font without pages (its rasterising failed) draws only spaces.
    if (text && !font.pages.empty()) {
        glBindTexture(GL_TEXTURE_2D, font.pages[0].texture);
        if (centreH)
            x += (w - TextWidth(font, text)) / 2;
        if (centreV)
            y += (h - font.lineHeight) / 2;

        static QuadBatch batch;
        batch.Clear();
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        const bool shadow = font.shadowOffsetX != 0 && font.shadowOffsetY != 0;
        const float s = font.scale;
        // Unscaled, every pixel samples a texel at its centre, so the pixels
        // round the ink box blend only transparent texels; scaled, the
        // linear filter reaches one texel further.
        const int margin = s == 1.0f ? 0 : 1;
        // Shaded flat, a quad takes the colour of its last corner, the
        // cell's bottom one: so must the ink box.
        GLint shading = GL_SMOOTH;
        glGetIntegerv(GL_SHADE_MODEL, &shading);
        const float* top = shading == GL_FLAT ? font.colorBottom : font.colorTop;
        int boundPage = 0;
        for (const char16_t* p = text; *p; ++p) {
            const Glyph* g = DrawnGlyph(font, *p);
            if (!g) {
                x += font.spaceAdvance;
                continue;
            }
            if (g->inkWidth == 0) {
                x += g->width;
                continue;
            }
            if (g->page != boundPage) {
                batch.Draw();
                boundPage = g->page;
                glBindTexture(GL_TEXTURE_2D, font.pages[static_cast<size_t>(boundPage)].texture);
            }
            const GlyphPage& page = font.pages[static_cast<size_t>(boundPage)];
            if (shadow)
                batch.Add(*g, page, static_cast<float>(x + font.shadowOffsetX),
                          static_cast<float>(y + font.shadowOffsetY), s, margin, font.shadowColor, font.shadowColor,
                          font.alpha);
            batch.Add(*g, page, static_cast<float>(x), static_cast<float>(y), s, margin, top, font.colorBottom,
                      font.alpha);
            x += g->width;
        }
        batch.Draw();
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glPopAttrib();
}

void DrawText(const GLTTF2D& font, const WideText& text, int x, int y, int w, int h, bool centreH, bool centreV)
{
    DrawText(font, text.Units(), x, y, w, h, centreH, centreV);
}

void DrawChar(const GLTTF2D& font, char16_t c, int x, int y, int w, int h, bool centreH, bool centreV)
{
    char16_t text[2] = {c, 0};
    DrawText(font, text, x, y, w, h, centreH, centreV);
}
