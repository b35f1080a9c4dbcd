// theme.ini of theme 1 and data/font.ini.
#include "kit.h"

#include <sstream>

void GenerateThemeConfig(const std::string& data)
{
    const std::string dir = data + "/gfx/theme1/";
    MakeKitDir(dir);
    std::ostringstream t;
    // A warm key light from the front left above and a cool fill from the
    // back right; positions are directions (the lights are directional).
    t << "Light0_Position=-0.35,1.0,0.55\n"
         "Light0_Ambient=0.28,0.28,0.32\n"
         "Light0_Diffuse=0.64,0.61,0.55\n"
         "Light1_Position=0.6,0.45,-0.65\n"
         "Light1_Ambient=0.0,0.0,0.0\n"
         "Light1_Diffuse=0.2,0.24,0.32\n"
         "BackgroundColor=0.06,0.09,0.18\n";
    // Blocks roll over as they are pushed: a quarter turn per cell, about
    // the centre of the cube (the cube looks the same on every face).
    for (int k = 1; k <= 5; ++k)
        t << "BlocRotateVertical" << k << "=-90,0,0\n";
    for (int k = 1; k <= 5; ++k)
        t << "RotationCenter" << k << "=0,0.39,0\n";
    for (int k = 1; k <= 5; ++k)
        t << "BlocRotateHorizontal" << k << "=0,0,90\n";
    t << "ShadowColor=0.16,0.18,0.3\n"
         "ShadowStrength=0.55\n"
         "ReflectStrength=0.16\n"
         "ObjetMorphType=0\n"
         "CarMorphType=0\n"
         "ObjetTrouMorphType=0\n";
    WriteKitText(dir + "theme.ini", t.str());
}

void GenerateFontConfig(const std::string& data)
{
    MakeKitDir(data);
    struct Section {
        const char* name;
        const char* font;
        int size;
        const char* top;
        const char* bottom;
        const char* shadow;
    };
    // Sizes are for a window 1024 pixels wide; the game scales them.
    const Section sections[] = {
        {"FontGameBig", "DejaVuSans-Bold.ttf", 44, "1,1,1", "0.7,0.85,1", "3,3"},
        {"FontGameSmall", "DejaVuSansCondensed-Bold.ttf", 28, "1,1,1", "0.74,0.87,1", "2,2"},
        {"FontGameSmallNumber", "DejaVuSansCondensed-Bold.ttf", 28, "1,1,1", "0.74,0.87,1", "2,2"},
        {"FontGameSmallWordFound", "DejaVuSansCondensed-Bold.ttf", 28, "1,1,0.6", "1,0.62,0.2", "2,2"},
        {"FontCreditBig", "DejaVuSans-Bold.ttf", 36, "1,0.96,0.82", "1,0.66,0.22", "2,2"},
        {"FontCreditSmall", "DejaVuSans.ttf", 22, "1,1,1", "0.8,0.86,1", "1,1"},
        {"FontCopyright", "DejaVuSans.ttf", 16, "0.86,0.89,0.96", "0.66,0.72,0.82", "1,1"},
        {"FontMenuBig", "DejaVuSans-Bold.ttf", 34, "1,0.96,0.82", "1,0.68,0.24", "2,2"},
        {"FontMenuSmall", "DejaVuSans-Bold.ttf", 24, "1,0.96,0.82", "1,0.68,0.24", "2,2"},
    };
    std::ostringstream t;
    for (const Section& s : sections) {
        t << "[" << s.name << "]\n"
          << "Font=data/fonts/" << s.font << "\n"
          << "Size=" << s.size << "\n"
          << "ColorTop=" << s.top << "\n"
          << "ColorBottom=" << s.bottom << "\n"
          << "ShadowOffset=" << s.shadow << "\n\n";
    }
    // Colours of the three parts of the start-up logo.
    t << "[Logo]\n"
         "Color1=1,0.72,0.2\n"
         "Color2=0.3,0.66,1\n"
         "Color3=0.95,0.95,1\n";
    WriteKitText(data + "/font.ini", t.str());
}
