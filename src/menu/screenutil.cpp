#include "menu/screenutil.h"

#include "menu/screens.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace screens {

Measures Measure(const GameState& g)
{
    Measures m;
    m.W = std::max(1, g.settings.Width);
    m.H = std::max(1, g.settings.Height);
    m.s = static_cast<float>(m.W) / 1024.0f;
    m.F = std::max(1, menuFont.lineHeight);
    m.R = std::max(1, gameFont.lineHeight);
    return m;
}

int FittedWidth(const GLTTF2D& font, const std::u16string& text, int maxWidth)
{
    int w = TextWidth(font, text.c_str());
    return maxWidth > 0 && w > maxWidth ? maxWidth : w;
}

int DrawTextFit(GLTTF2D& font, const char16_t* text, int x, int y, int w, int h, bool centreH, bool centreV)
{
    if (!text)
        return 0;
    const int width = TextWidth(font, text);
    if (w <= 0 || width <= w) {
        DrawText(font, text, x, y, w, h, centreH, centreV);
        return width;
    }
    // Too wide: the glyphs' quads are scaled down about the origin, so the
    // box is given in the scaled coordinates; the smaller line stays
    // centred on the line it replaces.
    const float k = static_cast<float>(w) / static_cast<float>(width);
    const float oldScale = font.scale;
    font.scale = k;
    float top = static_cast<float>(y);
    if (centreV)
        top += (h - font.lineHeight * k) / 2.0f;
    else
        top += font.lineHeight * (1.0f - k) / 2.0f;
    DrawText(font, text, static_cast<int>(std::lround(x / k)), static_cast<int>(std::lround(top / k)), width,
             font.lineHeight, false, false);
    font.scale = oldScale;
    return w;
}

int DrawTextFit(GLTTF2D& font, const std::u16string& text, int x, int y, int w, int h, bool centreH, bool centreV)
{
    return DrawTextFit(font, text.c_str(), x, y, w, h, centreH, centreV);
}

FontTint::FontTint(GLTTF2D& font, const float top[3], const float bottom[3], float alpha) : font_(font)
{
    std::copy(font.colorTop, font.colorTop + 3, top_);
    std::copy(font.colorBottom, font.colorBottom + 3, bottom_);
    alpha_ = font.alpha;
    std::copy(top, top + 3, font.colorTop);
    std::copy(bottom, bottom + 3, font.colorBottom);
    font.alpha = alpha;
}

FontTint::FontTint(GLTTF2D& font, float alpha) : FontTint(font, font.colorTop, font.colorBottom, alpha) {}

FontTint::~FontTint()
{
    std::copy(top_, top_ + 3, font_.colorTop);
    std::copy(bottom_, bottom_ + 3, font_.colorBottom);
    font_.alpha = alpha_;
}

void DrawRect(float x0, float y0, float x1, float y1, float r, float g, float b, float a)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
    glPopAttrib();
}

void DrawShade(float x0, float y0, float x1, float y1, float topAlpha, float bottomAlpha)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_LIGHTING_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_SMOOTH);
    glBegin(GL_QUADS);
    glColor4f(0, 0, 0, topAlpha);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glColor4f(0, 0, 0, bottomAlpha);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
    glPopAttrib();
}

std::u16string Widen(const char* ascii)
{
    std::u16string out;
    for (const char* p = ascii; p && *p; ++p)
        out += static_cast<char16_t>(static_cast<unsigned char>(*p));
    return out;
}

std::u16string Concat(const WideText& a, const char* ascii)
{
    return a.Str() + Widen(ascii);
}

void ArmScreen(GameState& g, int screen)
{
    const InputState& in = g.input;
    if (in.keyDown || in.leftButtonDown || in.rightButtonDown || in.joyButtonPressed)
        g.armedScreen = screen;
}

bool Armed(const GameState& g, int screen)
{
    return g.armedScreen == screen;
}

void Disarm(GameState& g)
{
    g.armedScreen = -1;
}

int BottomRowTop(const Measures& m)
{
    return m.H - static_cast<int>(1.35f * m.F);
}

bool InBottomZone(const Measures& m, int mouseY)
{
    return mouseY >= m.H - 1.5f * m.F;
}

int BottomButtonAt(const Measures& m, int mouseX, int mouseY)
{
    if (!InBottomZone(m, mouseY) || mouseY >= m.H || mouseX < 0 || mouseX >= m.W)
        return -1;
    return std::min(2, mouseX * 3 / m.W);
}

const float kGreyTop[3] = {0.7f, 0.7f, 0.7f};
const float kGreyBottom[3] = {0.5f, 0.5f, 0.5f};

void DrawBottomButtons(const Measures& m, int hovered, bool previousPage, bool nextPage)
{
    const WideText* labels[3] = {&TextKey::Previous, &TextKey::Back, &TextKey::Next};
    const bool enabled[3] = {previousPage, true, nextPage};
    const int top = BottomRowTop(m);
    const int third = m.W / 3;
    const int margin = static_cast<int>(24 * m.s);
    if (hovered >= 0 && hovered < 3 && enabled[hovered]) {
        const int w = FittedWidth(menuFont, labels[hovered]->Str(), third - 2 * margin);
        const float centre = hovered * third + third / 2.0f;
        DrawSelectionBar(centre - w / 2.0f - margin, top - m.F / 4.0f, centre + w / 2.0f + margin,
                         top + m.F + m.F / 4.0f);
    }
    for (int k = 0; k < 3; ++k) {
        if (enabled[k]) {
            DrawTextFit(menuFont, labels[k]->Units(), k * third + margin, top, third - 2 * margin, m.F, true, false);
        } else {
            FontTint grey(menuFont, kGreyTop, kGreyBottom, 0.6f);
            DrawTextFit(menuFont, labels[k]->Units(), k * third + margin, top, third - 2 * margin, m.F, true, false);
        }
    }
}

namespace {
int TitleTop(const Measures& m)
{
    return std::max(8, static_cast<int>(0.6f * m.F));
}
}  // namespace

int TitleBottom(const Measures& m)
{
    return TitleTop(m) + m.F;
}

int DrawTitle(const Measures& m, const WideText& title)
{
    const int margin = static_cast<int>(16 * m.s);
    DrawTextFit(menuFont, title.Units(), margin, TitleTop(m), m.W - 2 * margin, m.F, true, false);
    return TitleBottom(m);
}

int Rows::At(int y) const
{
    const float gap = step - lineHeight;
    const float from = top - gap / 2.0f;
    if (y < from)
        return -1;
    const int i = static_cast<int>((y - from) / step);
    return i < count ? i : -1;
}

Rows LayOutRows(const Measures& m, int count)
{
    Rows rows;
    rows.count = std::max(1, count);
    rows.lineHeight = m.R;
    const float areaTop = TitleBottom(m) + 0.25f * m.F;
    const float areaBottom = BottomRowTop(m) - 0.35f * m.F;
    const float area = std::max(1.0f, areaBottom - areaTop);
    rows.step = std::min(1.3f * m.R, area / rows.count);
    const float block = rows.step * (rows.count - 1) + m.R;
    rows.top = areaTop + (area - block) / 2.0f;
    return rows;
}

}  // namespace screens
