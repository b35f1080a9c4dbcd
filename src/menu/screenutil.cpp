#include "menu/screenutil.h"

#include "menu/screens.h"

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

std::u16string Widen(const char* ascii)
{
    return WideText(ascii).Str();
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
    return m.H - static_cast<int>(1.2f * m.F);
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

void DrawTextBar(float centreX, int top, int lineHeight, int textWidth, int width, int room)
{
    const float y0 = top - 10.0f * lineHeight / 36, y1 = static_cast<float>(top + lineHeight);
    const float caps = y1 - y0;  // the bar's two round ends, half its height each
    const float half = std::min(room / 2.0f, std::max(width, textWidth + static_cast<int>(caps)) / 2.0f);
    DrawSelectionBar(centreX - half, y0, centreX + half, y1);
}

void DrawBottomButtons(const Measures& m, int hovered, bool previousPage, bool nextPage)
{
    const WideText* labels[3] = {&TextKey::Previous, &TextKey::Back, &TextKey::Next};
    const bool enabled[3] = {previousPage, true, nextPage};
    const int top = BottomRowTop(m);
    const int third = m.W / 3;
    if (hovered >= 0 && hovered < 3 && enabled[hovered])
        DrawTextBar(hovered * third + third / 2.0f, top, m.F, FittedWidth(menuFont, labels[hovered]->Str(), third), 160,
                    third);
    for (int k = 0; k < 3; ++k) {
        if (enabled[k]) {
            DrawTextFit(menuFont, labels[k]->Units(), k * third, top, third, m.F, true, false);
        } else {
            FontTint grey(menuFont, kGreyTop, kGreyBottom, 0.6f);
            DrawTextFit(menuFont, labels[k]->Units(), k * third, top, third, m.F, true, false);
        }
    }
}

int TitleTop(const Measures& m)
{
    return std::max(8, static_cast<int>(0.6f * m.F));
}

int DrawTitle(const Measures& m, const WideText& title, GLTTF2D& font)
{
    const int h = std::max(1, font.lineHeight);
    DrawTextFit(font, title.Units(), 0, TitleTop(m), m.W, h, true, false);
    return TitleTop(m) + h;
}

int Rows::At(int y) const
{
    if (y < top)
        return -1;
    const int i = (y - top) / lineHeight;
    return i < count ? i : -1;
}

Rows LayOutRows(const Measures& m, int count)
{
    Rows rows;
    rows.count = std::max(1, count);
    rows.lineHeight = m.R;
    rows.top = (m.H - rows.count * m.R) / 2;
    return rows;
}

}  // namespace screens

void DrawGameHud(const GameState& g)
{
    HudValues hud;
    hud.windowWidth = g.settings.Width;
    hud.levelIndex = g.puzzle.levelIndex;
    hud.moves = g.puzzle.moves;
    hud.bombCarried = g.puzzle.bombCarried != 0;
    DrawHudBar(hud);
}

void DrawMousePointer(const GameState& g)
{
    DrawPointer(g.input.mouseX, g.input.mouseY, PointerHalfSize(screens::Measure(g).W));
}
