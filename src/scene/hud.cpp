#include "scene/hud.h"

#include "engine/draw3d.h"
#include "engine/glfont2d.h"
#include "engine/gltexture.h"
#include "text/font.h"
#include "text/texte.h"
#include "text/textfit.h"

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

int GameLineHeight()
{
    return std::max(1, gameFont.lineHeight);
}

}  // namespace

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

void DrawFlash(float r, float g, float b, float a)
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    DrawRect(0, 0, static_cast<float>(viewport[2]), static_cast<float>(viewport[3]), r, g, b, a);
}

float PointerHalfSize(int windowWidth)
{
    return windowWidth * 16.0f / 1024.0f;
}

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

void DrawHudBar(const HudValues& hud)
{
    const int W = std::max(1, hud.windowWidth);
    const float C = W / 7.0f;
    const float icon = kIconCell;
    const float margin = (C - icon) / 2;
    const int top = 8;
    const bool bomb = hud.bombCarried;
    const int L = GameLineHeight();
    const int groups = bomb ? 3 : 2;
    const float iconX[3] = {std::round(2 * C + margin), std::round(4 * C + margin), std::round(6 * C + margin)};
    const WideText* labels[3] = {&TextKey::IconLevel, &TextKey::IconMoves, &TextKey::IconBomb};

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
        const float half = std::max(icon, static_cast<float>(FittedWidth(gameFont, labels[k]->Str(), labelRoom))) / 2;
        groupLeft[k] = iconX[k] + icon / 2 - half;
        groupRight[k] = iconX[k] + icon / 2 + half;
    }

    // The numbers right of their groups, vertically centred on the icons.
    // Where they are meant to be, a label grown with the window's font
    // (and five digits of moves) would run into the icons, so they start
    // after their group and stop before the next.
    const int gap = std::max(2, L / 4);
    const int box = 36;
    char text[32];
    for (int k = 0; k < 2; ++k) {
        if (k == 0)
            std::snprintf(text, sizeof text, "%2d", hud.levelIndex + 1);
        else
            std::snprintf(text, sizeof text, "%5d", hud.moves);
        const float wanted = k == 0 ? (C - 2 * L) / 2 + 2.5f * C : (C - 5 * L) / 2 + 4.5f * C;
        const int x = static_cast<int>(std::lround(std::max(wanted, groupRight[k] + gap)));
        const float limit = k == 0 ? groupLeft[1] : (bomb ? groupLeft[2] : static_cast<float>(W));
        const int room = std::max(1, static_cast<int>(limit) - gap - x);
        DrawTextFit(gameFont, WideText(text).Str(), x, top, room, box, false, true);
    }

    // The labels over the icons, in red to yellow.
    const float red[3] = {1, 0, 0}, yellow[3] = {1, 1, 0};
    FontTint tint(gameFont, red, yellow, 1.0f);
    const int labelTop = 16;
    for (int k = 0; k < groups; ++k) {
        const int cx = static_cast<int>(iconX[k] + icon / 2);
        DrawTextFit(gameFont, labels[k]->Units(), cx - labelRoom / 2, labelTop, labelRoom, static_cast<int>(icon), true,
                    true);
    }
}

void DrawMessageBox(int windowWidth, int windowHeight, const WideText* const lines[3])
{
    const int W = std::max(1, windowWidth), H = std::max(1, windowHeight);
    const int R = GameLineHeight();
    DrawRect(W / 2.0f - 200, H / 2.0f - 64, W / 2.0f + 200, H / 2.0f + 64, 0, 0, 0, 0.2f);
    const int tops[3] = {static_cast<int>(H / 2.0f - 1.5f * R), H / 2, static_cast<int>(H / 2.0f + 1.5f * R)};
    for (int i = 0; i < 3; ++i)
        DrawTextFit(gameFont, lines[i]->Units(), 0, tops[i], W, R, true, false);
}
