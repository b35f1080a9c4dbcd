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
