#pragma once
// The font descriptions of "data/font.ini": one section per use of a font,
// each naming a TrueType file, a size for a 1024-pixel-wide window, a
// vertical colour gradient and a drop-shadow offset. Headless.

struct FontConfig {
    char font[256] = "";  // file name under the data prefix
    int size = 8;         // pixel size at a window width of 1024
    float colorTop[3] = {1, 1, 1};
    float colorBottom[3] = {1, 1, 1};
    int shadowOffset[2] = {0, 0};
};

enum FontSection {
    FontGameBig,
    FontGameSmall,
    FontGameSmallNumber,
    FontGameSmallWordFound,
    FontCreditBig,
    FontCreditSmall,
    FontCopyright,
    FontMenuBig,
    FontMenuSmall,
    kFontSectionCount
};

extern const char* const kFontSectionNames[kFontSectionCount];

// The descriptions in use, one per section.
extern FontConfig fontConfigs[kFontSectionCount];

// Reads one section of an INI file; missing keys take their defaults
// ("Size" 8, colours 1,1,1, shadow 0,0, no font), and so do values that do
// not parse.
FontConfig ReadFontSection(const char* iniPath, const char* section);

// Reads the nine sections of "%sdata/font.ini" into fontConfigs.
void LoadFontConfig(const char* dataPrefix);

// The pixel size of a font for a window `windowWidth` pixels wide:
// size x width / 1024, truncated (800 wide at "Size" 30 gives 23); at least 1.
int FontPixelSize(const FontConfig& config, int windowWidth);
