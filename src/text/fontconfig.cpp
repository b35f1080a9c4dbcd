#include "text/fontconfig.h"

#include "app/base/paths.h"
#include "app/base/files.h"
#include "app/base/ini.h"

#include <cstdio>

const char* const kFontSectionNames[kFontSectionCount] = {
    "FontGameBig",     "FontGameSmall", "FontGameSmallNumber", "FontGameSmallWordFound", "FontCreditBig",
    "FontCreditSmall", "FontCopyright", "FontMenuBig",         "FontMenuSmall"};

FontConfig fontConfigs[kFontSectionCount];

namespace {

// "%f,%f,%f": a value that does not give all three numbers keeps the default.
void ReadColour(const char* path, const char* section, const char* key, float (&out)[3])
{
    char text[256];
    ReadIniString(section, key, "1,1,1", text, sizeof text, path);
    float c[3];
    if (std::sscanf(text, "%f,%f,%f", &c[0], &c[1], &c[2]) == 3)
        for (int i = 0; i < 3; ++i)
            out[i] = c[i];
}

}  // namespace

FontConfig ReadFontSection(const char* path, const char* section)
{
    FontConfig c;
    ReadIniString(section, "Font", "", c.font, sizeof c.font, path);
    char text[256];
    ReadIniString(section, "Size", "8", text, sizeof text, path);
    c.size = ParseIntLikeAtoi(text);
    ReadColour(path, section, "ColorTop", c.colorTop);
    ReadColour(path, section, "ColorBottom", c.colorBottom);
    ReadIniString(section, "ShadowOffset", "0,0", text, sizeof text, path);
    int x, y;
    if (std::sscanf(text, "%d,%d", &x, &y) == 2) {
        c.shadowOffset[0] = x;
        c.shadowOffset[1] = y;
    }
    return c;
}

void LoadFontConfig(const char* dataPrefix)
{
    char path[kPathSize];
    bool ok = FormatPath(path, sizeof path, "%sdata/font.ini", dataPrefix ? dataPrefix : "");
    for (int i = 0; i < kFontSectionCount; ++i)
        fontConfigs[i] = ok ? ReadFontSection(path, kFontSectionNames[i]) : FontConfig();
}

int FontPixelSize(const FontConfig& config, int windowWidth)
{
    long long size = static_cast<long long>(windowWidth) * config.size / 1024;
    if (size < 1)
        size = 1;
    if (size > 4096)
        size = 4096;
    return static_cast<int>(size);
}
