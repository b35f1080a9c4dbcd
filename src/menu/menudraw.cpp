// The menus' textures, their layout on the window and their drawing.
#include "menu/screens.h"

#include "app/base/exception.h"
#include "app/base/paths.h"
#include "engine/draw3d.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "menu/screenutil.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

// selection.png (required, never drawn), then the bar's left cap, its
// stretched middle and its right cap.
const char* const kSelectionFiles[4] = {"data/gfx/2d/selection.png", "data/gfx/2d/selection_left.png",
                                        "data/gfx/2d/selection_middle.png", "data/gfx/2d/selection_right.png"};
GLTexture selectionTextures[4];

void DrawTexturedQuad(const GLTexture& texture, float x0, float y0, float x1, float y1)
{
    if (x1 <= x0 || y1 <= y0)
        return;
    const float xy[8] = {x0, y0, x1, y0, x0, y1, x1, y1};
    const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    if (texture.Bind()) {
        glEnable(GL_TEXTURE_2D);
        DrawQuad2DTex(xy, uv);
    } else {
        glDisable(GL_TEXTURE_2D);
        DrawQuad2D(xy);
    }
}

}  // namespace

void InitMenu(const char* dataPrefix)
{
    for (int i = 0; i < 4; ++i) {
        char path[kPathSize];
        if (!FormatPath(path, sizeof path, "%s%s", dataPrefix ? dataPrefix : "", kSelectionFiles[i]))
            throw Exception(FormatText("Couldn't load texture %s\n", kSelectionFiles[i]), "InitMenu", "menu", __LINE__);
        GLTexture& t = selectionTextures[i];
        t.Reset();
        t.wrapS = t.wrapT = GL_CLAMP_TO_EDGE;
        t.mipmap = 0;
        if (!t.Load(path) || !t.Upload()) {
            t.Reset();
            throw Exception(FormatText("Couldn't load texture %s\n", path), "InitMenu", "menu", __LINE__);
        }
    }
}

void FreeMenuTextures()
{
    for (GLTexture& t : selectionTextures)
        t.Reset();
}

void LayoutMenus(GameState& g, int width, int height)
{
    const float W = static_cast<float>(width), H = static_cast<float>(height);
    const float F = static_cast<float>(menuFont.lineHeight);
    for (Menu* m : {&g.mainMenu, &g.gameMenu}) {
        m->x = static_cast<int>(0.7f * W);
        m->y = static_cast<int>((H - 3 * F) / 2);
    }
    // The same formulas after a change of resolution as at start-up, so
    // the options and in-game menus always stay on the window.
    const float S = F * W / 1024.0f;
    for (Menu* m : {&g.optionsMenu, &g.inGameMenu}) {
        m->x = static_cast<int>(W / 2);
        m->y = static_cast<int>((H - S * m->count) / 2);
    }
    g.menus.lineStep = 48.0f * W / 1024.0f;
}

void DrawSelectionBar(float x0, float y0, float x1, float y1)
{
    if (x1 <= x0 || y1 <= y0)
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // The caps are half as wide as the bar is high; a bar narrower than
    // its two caps gets narrower caps rather than a middle turned inside out.
    float cap = static_cast<float>(static_cast<int>(y1 - y0) / 2);
    cap = std::min(cap, (x1 - x0) / 2);
    DrawTexturedQuad(selectionTextures[1], x0, y0, x0 + cap, y1);
    DrawTexturedQuad(selectionTextures[2], x0 + cap, y0, x1 - cap, y1);
    DrawTexturedQuad(selectionTextures[3], x1 - cap, y0, x1, y1);
    glPopAttrib();
}

namespace {

void DrawOptionItem(const screens::Measures& m, const MenuItem& item, float y, bool bar)
{
    const int half = m.W / 2;
    const int pad = static_cast<int>(8 * m.s);
    const char16_t* texts[2] = {item.text, item.value ? item.value->text : u""};
    int widths[2];
    for (int k = 0; k < 2; ++k)
        widths[k] = FittedWidth(menuFont, texts[k], half - 2 * pad);
    if (bar) {
        const float margin = 48;
        for (int k = 0; k < 2; ++k) {
            if (!texts[k][0])
                continue;
            const float h = static_cast<float>(k * half);
            const float left = h + (half - widths[k]) / 2.0f;
            // Kept within the window's half so the two bars never meet.
            DrawSelectionBar(std::max(h + 1, left - margin), y - m.F / 4.0f,
                             std::min(h + half - 1, left + widths[k] + margin), y + m.F + m.F / 4.0f);
        }
    }
    for (int k = 0; k < 2; ++k)
        DrawTextFit(menuFont, texts[k], k * half + pad, static_cast<int>(y), half - 2 * pad, m.F, true, false);
}

void DrawPlainItem(const screens::Measures& m, const Menu& menu, const MenuItem& item, float y, bool bar)
{
    // Centred on the menu's x, and kept inside the window however long the
    // label is.
    const int margin = static_cast<int>(24 * m.s);
    const int room = 2 * std::min(menu.x, m.W - menu.x) - 2 * margin;
    const int w = FittedWidth(menuFont, item.text, room);
    if (bar)
        DrawSelectionBar(menu.x - w / 2.0f - 24, y - m.F / 4.0f, menu.x + w / 2.0f + 24, y + m.F + m.F / 4.0f);
    DrawTextFit(menuFont, item.text, menu.x - room / 2, static_cast<int>(y), room, m.F, true, false);
}

}  // namespace

void DrawMenu(const GameState& g)
{
    const screens::Measures m = screens::Measure(g);
    Begin2D();
    if (const Menu* menu = g.menus.currentMenu) {
        float y = static_cast<float>(menu->y);
        for (int i = 0; i < menu->count; ++i, y += g.menus.lineStep) {
            const MenuItem& item = menu->items[i];
            // The bar follows the mouse, and shows a keyboard or joystick
            // player where Return will act.
            const bool bar = (g.menus.hoverIndex >= 0 || g.menus.keysLast) && i == menu->currentIndex;
            if (item.kind == MenuKindOption)
                DrawOptionItem(m, item, y, bar);
            else
                DrawPlainItem(m, *menu, item, y, bar);
        }
    }
    DrawMousePointer(g);
    // The fades: from black when the menus first show, to black when the
    // player quits.
    float veil = std::clamp(g.fadeIn / 100.0f, 0.0f, 1.0f);
    if (g.quitRequested)
        veil = std::max(veil, std::clamp(1.0f - g.fadeOut / 100.0f, 0.0f, 1.0f));
    if (veil > 0)
        DrawRect(0, 0, static_cast<float>(m.W), static_cast<float>(m.H), 0, 0, 0, veil);
    End2D();
}

MenuInputFrame MenuFrameFromInput(const InputState& in)
{
    MenuInputFrame f;
    f.mouseX = in.mouseX;
    f.mouseY = in.mouseY;
    f.leftReleased = in.leftClick;
    f.rightReleased = in.rightClick;
    f.leftHeld = in.leftButtonHeld || in.leftButtonDown;
    f.rightHeld = in.rightButtonHeld || in.rightButtonDown;
    f.wheelUp = in.wheelUp;
    f.wheelDown = in.wheelDown;
    f.returnReleased = in.setOff;
    f.escapeReleased = in.escape;
    f.upReleased = in.upReleased;
    f.downReleased = in.downReleased;
    f.leftKeyReleased = in.leftReleased;
    f.rightKeyReleased = in.rightReleased;
    f.joyUp = in.joyUpPressed;
    f.joyDown = in.joyDownPressed;
    f.joyLeft = in.joyLeftPressed;
    f.joyRight = in.joyRightPressed;
    f.joyFire = in.joyButtonPressed;
    return f;
}
