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

// The bar behind a selected row or button whose text, `textWidth` wide and
// `lineHeight` high, is centred on centreX: `width` pixels wide, from 10
// pixels above the text's top to 36 below it for a 36-pixel line. The fonts
// grow with the window while those pixels do not, so the bar keeps those
// proportions to the line it marks (it would cover the next row in a small
// window and leave half a large font bare), and grows to hold a text wider
// than itself within `room`.
void DrawTextBar(float centreX, int top, int lineHeight, int textWidth, int width, int room);

// The title of a dialog across the top (the big font unless told
// otherwise); the bottom of its line is returned.
int DrawTitle(const Measures& m, const WideText& title, GLTTF2D& font = menuFont);
int TitleTop(const Measures& m);

// A list's rows, one line of the second font each, one under the other,
// the whole block centred on the window's height.
struct Rows {
    int count = 10;
    int top = 0;  // top of row 0's text
    int lineHeight = 1;
    int Top(int i) const { return top + lineHeight * i; }
    // The row whose text holds y, or -1.
    int At(int y) const;
};
Rows LayOutRows(const Measures& m, int count);

}  // namespace screens
