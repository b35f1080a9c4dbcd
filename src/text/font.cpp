#include "text/font.h"

#include "app/base/exception.h"
#include "app/base/log.h"
#include "app/base/paths.h"
#include "text/texte.h"

#include <string>

GLTTF2D menuFont;
GLTTF2D gameFont;
GLTTF2D smallPrintFont;

namespace {

IconFontLoader iconFontLoader = nullptr;
IconFontReleaser iconFontReleaser = nullptr;

int lastWidth = 0;
int lastHeight = 0;
std::string lastPrefix;
bool fontsBuilt = false;

struct FontUse {
    GLTTF2D* font;
    FontSection section;
    float shadow[3];
};

const FontUse kFontUses[3] = {
    {&menuFont, FontMenuBig, {0, 0, 0}},
    {&gameFont, FontGameSmall, {0, 0, 0.1f}},
    {&smallPrintFont, FontCopyright, {0, 0, 0}},
};

}  // namespace

void SetIconFontHooks(IconFontLoader load, IconFontReleaser release)
{
    iconFontLoader = load;
    iconFontReleaser = release;
}

void ApplyFontConfig(GLTTF2D& font, const FontConfig& config)
{
    for (int i = 0; i < 3; ++i) {
        font.colorTop[i] = config.colorTop[i];
        font.colorBottom[i] = config.colorBottom[i];
    }
    font.shadowOffsetX = config.shadowOffset[0];
    font.shadowOffsetY = config.shadowOffset[1];
    font.alpha = 1.0f;
}

void RestoreFontColours()
{
    ApplyFontConfig(menuFont, fontConfigs[FontMenuBig]);
    ApplyFontConfig(gameFont, fontConfigs[FontGameSmall]);
}

namespace {

bool BuildGlyphFonts(int width, const char* prefix)
{
    char path[kPathSize];
    const char16_t* set = TextKey::Correspondance.Units();
    bool ok = true;
    for (const FontUse& use : kFontUses) {
        const FontConfig& config = fontConfigs[use.section];
        Reset(*use.font);
        if (!FormatPath(path, sizeof path, "%s%s", prefix, config.font))
            path[0] = '\0';  // too long: reported as a missing font
        if (!loadFont(*use.font, path, set, FontPixelSize(config, width), kFontAtlasSize))
            ok = false;
        ApplyFontConfig(*use.font, config);
        for (int i = 0; i < 3; ++i)
            use.font->shadowColor[i] = use.shadow[i];
    }
    fontsBuilt = true;
    return ok;
}

}  // namespace

bool InitFont(int width, int height, const char* dataPrefix)
{
    const char* prefix = dataPrefix ? dataPrefix : "";
    lastWidth = width;
    lastHeight = height;
    lastPrefix = prefix;

    if (iconFontLoader) {
        if (iconFontReleaser)
            iconFontReleaser();
        char path[kPathSize];
        FormatPath(path, sizeof path, "%s%s", prefix, "data/gfx/2d/fonteicone.png");
        WriteLog(FormatText("Loading font %s ...", path).c_str());
        if (!iconFontLoader(path)) {
            std::string msg = FormatText("Couldn't load fonte %s\n", path);
            WriteLog(msg.c_str());
            throw Exception(msg, "InitFont", "font", __LINE__);
        }
    }
    return BuildGlyphFonts(width, prefix);
}

bool RebuildFonts()
{
    if (!fontsBuilt)
        return false;
    return BuildGlyphFonts(lastWidth, lastPrefix.c_str());
}

bool ChangeLanguage(const char* dataPrefix, const char* lang)
{
    if (!SwitchLanguage(dataPrefix, lang))
        return false;
    if (fontsBuilt)
        RebuildFonts();
    return true;
}

void FreeFonts()
{
    for (const FontUse& use : kFontUses)
        Reset(*use.font);
    if (iconFontReleaser)
        iconFontReleaser();
    fontsBuilt = false;
}
