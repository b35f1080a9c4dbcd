// The pieces drawn over the board: the heads-up bar, the colour flash and
// the mouse pointer.
#include "menu/screens.h"

#include "engine/draw3d.h"
#include "engine/glfont2d.h"
#include "engine/gltexture.h"
#include "menu/screenutil.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const GLTexture* pointerTexture = nullptr;
GLFont2D hudIconFont;

constexpr int kIconCell = 48;

// One glyph of the icon font in a square of `size` pixels.
void DrawIcon(char glyph, float x, float y, float size)
{
    if (!hudIconFont.loaded)
        return;
    const char text[2] = {glyph, 0};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(x, y, 0);
    glScalef(size / kIconCell, size / kIconCell, 1);
    hudIconFont.Draw(0, 0, text);
    glPopMatrix();
}

}  // namespace

bool LoadHudIconFont(const char* path)
{
    hudIconFont.Free();
    return hudIconFont.Load(path, kIconCell, kIconCell, 4);
}

void FreeHudIconFont()
{
    hudIconFont.Free();
}

void SetPointerTexture(const GLTexture* texture)
{
    pointerTexture = texture;
}

void DrawPointer(int x, int y, float halfSize)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = x0 + 2 * halfSize, y1 = y0 + 2 * halfSize;
    const float xy[8] = {x0, y0, x1, y0, x0, y1, x1, y1};
    const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    // Without its picture the pointer is still there, as a plain square.
    if (pointerTexture && pointerTexture->Bind()) {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        DrawQuad2DTex(xy, uv);
    } else {
        glDisable(GL_TEXTURE_2D);
        DrawQuad2D(xy);
    }
    glPopAttrib();
}

void DrawFlash(float r, float g, float b, float a)
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    screens::DrawRect(0, 0, static_cast<float>(viewport[2]), static_cast<float>(viewport[3]), r, g, b, a);
}

void DrawHudBar(const GameState& g)
{
    const screens::Measures m = screens::Measure(g);
    const float C = m.W / 7.0f;
    const float icon = kIconCell * m.s;
    const float margin = (C - icon) / 2;
    const int top = static_cast<int>(std::lround(8 * m.s));
    const bool bomb = g.puzzle.bombCarried != 0;
    const int L = m.R;
    const int groups = bomb ? 3 : 2;
    const float iconX[3] = {std::round(2 * C + margin), std::round(4 * C + margin), std::round(6 * C + margin)};
    const WideText* labels[3] = {&TextKey::IconLevel, &TextKey::IconMoves, &TextKey::IconBomb};

    // A soft shade under the bar keeps it readable over a bright board.
    screens::DrawShade(0, 0, static_cast<float>(m.W), top + icon + 16 * m.s, 0.45f, 0.0f);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glColor4f(1, 1, 1, 1);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    DrawIcon('"', iconX[0], static_cast<float>(top), icon);
    DrawIcon('#', iconX[1], static_cast<float>(top), icon);
    if (bomb)
        DrawIcon(' ', iconX[2], static_cast<float>(top), icon);
    glPopAttrib();

    // Each icon's label is centred on it and may be wider than it; the
    // group reaches as far as the wider of the two.
    const int labelRoom = static_cast<int>(C * 0.95f);
    float groupLeft[3], groupRight[3];
    for (int k = 0; k < 3; ++k) {
        const float half = std::max(icon, static_cast<float>(screens::FittedWidth(gameFont, labels[k]->Str(),
                                                                                   labelRoom))) / 2;
        groupLeft[k] = iconX[k] + icon / 2 - half;
        groupRight[k] = iconX[k] + icon / 2 + half;
    }

    // The numbers right of their groups, vertically centred on the icons,
    // never running into the next group.
    const int gap = std::max(2, L / 4);
    const int box = static_cast<int>(std::lround(36 * m.s));
    char text[32];
    for (int k = 0; k < 2; ++k) {
        if (k == 0)
            std::snprintf(text, sizeof text, "%2d", g.puzzle.levelIndex + 1);
        else
            std::snprintf(text, sizeof text, "%5d", g.puzzle.moves);
        const float wanted = k == 0 ? (C - 2 * L) / 2 + 2.5f * C : (C - 5 * L) / 2 + 4.5f * C;
        const int x = static_cast<int>(std::lround(std::max(wanted, groupRight[k] + gap)));
        const float limit = k == 0 ? groupLeft[1] : (bomb ? groupLeft[2] : static_cast<float>(m.W));
        const int room = std::max(1, static_cast<int>(limit) - gap - x);
        screens::DrawTextFit(gameFont, screens::Widen(text), x, top, room, box, false, true);
    }

    // The labels over the icons, in red to yellow.
    const float red[3] = {1, 0, 0}, yellow[3] = {1, 1, 0};
    screens::FontTint tint(gameFont, red, yellow, 1.0f);
    const int labelTop = static_cast<int>(std::lround(16 * m.s));
    for (int k = 0; k < groups; ++k) {
        const int cx = static_cast<int>(iconX[k] + icon / 2);
        screens::DrawTextFit(gameFont, labels[k]->Units(), cx - labelRoom / 2, labelTop, labelRoom,
                             static_cast<int>(icon), true, true);
    }
}
