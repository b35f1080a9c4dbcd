#pragma once
// What the screens share: the window's measures, the rows and buttons of
// the dialogs, and the key-arming rule of the confirmation screens. Text
// that fits its box is text/textfit.h; rectangles, the pointer and the HUD
// are scene/hud.h.
#include "scene/hud.h"
#include "state/gamestate.h"
#include "text/font.h"
#include "text/glttf2d.h"
#include "text/textfit.h"

#include <string>

namespace screens {

// The window and the fonts' measures for one frame.
struct Measures {
    int W = 640, H = 480;
    float s = 0.625f;  // W / 1024: sizes given for a 1024-pixel-wide window
    int F = 1;         // the menu (big) font's line height
    int R = 1;         // the game (second) font's line height
};
Measures Measure(const GameState& g);

// "Area" text and a number, as the lists show it.
std::u16string Widen(const char* ascii);
std::u16string Concat(const WideText& a, const char* ascii);

// A key or button went down on this screen: the screen is armed. Call at
// the start of the screen's update.
void ArmScreen(GameState& g, int screen);
bool Armed(const GameState& g, int screen);
// Leaving the screen: nothing is armed any more.
void Disarm(GameState& g);

// The three buttons "Previous", "Back", "Next" in thirds across the bottom:
// the top of their text, and which one the mouse is over (0, 1, 2 or -1).
int BottomRowTop(const Measures& m);
bool InBottomZone(const Measures& m, int mouseY);
int BottomButtonAt(const Measures& m, int mouseX, int mouseY);
// A button that cannot turn the page (there is no other) is shown in grey
// and gets no bar.
void DrawBottomButtons(const Measures& m, int hovered, bool previousPage, bool nextPage);
extern const float kGreyTop[3];
extern const float kGreyBottom[3];

// The title of a dialog across the top in the big font; the bottom of its
// line is returned.
int DrawTitle(const Measures& m, const WideText& title);
int TitleBottom(const Measures& m);

// Ten (or n) rows between the title and the bottom row.
struct Rows {
    int count = 10;
    float top = 0;   // top of row 0's text
    float step = 1;  // from one row's top to the next
    int lineHeight = 1;
    int Top(int i) const { return static_cast<int>(top + step * i); }
    // The row whose band (its text and half the gap on either side) holds
    // y, or -1.
    int At(int y) const;
};
Rows LayOutRows(const Measures& m, int count);

}  // namespace screens
