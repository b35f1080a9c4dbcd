#pragma once
// The game's three glyph fonts, built from "data/font.ini" for the window
// size and the character set of the language in use, and the icon font.
#include "text/fontconfig.h"
#include "text/glttf2d.h"

// Menus, screens, level-start screen, credits ("FontMenuBig").
extern GLTTF2D menuFont;
// HUD, message box, level line, screens, high scores ("FontGameSmall").
extern GLTTF2D gameFont;
// The small print of one screen ("FontCopyright").
extern GLTTF2D smallPrintFont;

// The atlas page size the fonts are built with.
constexpr int kFontAtlasSize = 256;

// The icon font ("data/gfx/2d/fonteicone.png", 48 x 48 cells, 4 glyphs) is a
// bitmap font of the engine. InitFont loads it through this hook and
// FreeFonts frees it through the other; while no loader is set the icon
// font is left out.
using IconFontLoader = bool (*)(const char* path);
using IconFontReleaser = void (*)();
void SetIconFontHooks(IconFontLoader load, IconFontReleaser release);

// Builds the fonts for a window of width x height: the icon font, then the
// menu, game and small-print fonts at "Size" x width / 1024 pixels, with the
// glyphs of TextKey::Correspondance and the colours of fontConfigs (read
// them first with LoadFontConfig). Old pages are dropped first. Throws
// Exception "Couldn't load fonte %s\n" when the icon font fails and
// loadFont's exception for a missing font file; false when a font could not
// be rasterised whole.
bool InitFont(int width, int height, const char* dataPrefix);

// Builds the fonts again with the size and prefix of the last InitFont, for
// the character set of the language now in use (after a change of
// language). False when InitFont has not run yet or fails.
bool RebuildFonts();

// A change of language asked for by the player: new texts, then fonts for
// their character set. A failed switch keeps the language and fonts in use
// (SwitchLanguage says why on stderr) and returns false.
bool ChangeLanguage(const char* dataPrefix, const char* lang);

// Gives a font the colours, shadow offset and full opacity of a section.
void ApplyFontConfig(GLTTF2D& font, const FontConfig& config);
// Puts the menu and game fonts back to their own colours and opacity.
void RestoreFontColours();

// Frees the three fonts and the icon font ("Free Fonts").
void FreeFonts();
