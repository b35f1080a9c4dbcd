// theme.ini and font.ini carry every key the game reads, each with a value
// of the right shape and a sensible range.
#include "app/base/files.h"
#include "app/base/ini.h"
#include "engine/configfile.h"
#include "kit_paths.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Parses "a,b,c" (or fewer) into floats; false unless exactly `count`
// numbers and nothing else.
bool ParseFloats(const std::string& text, size_t count, std::vector<double>& out)
{
    out.clear();
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        std::string part = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        char* end = nullptr;
        double v = std::strtod(part.c_str(), &end);
        if (part.empty() || *end != '\0')
            return false;
        out.push_back(v);
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return out.size() == count;
}

bool ParseInt(const std::string& text, long& v)
{
    char* end = nullptr;
    v = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0';
}

}  // namespace

TEST(ArtKitConfig, ThemeIniHasEveryKeyWithWellFormedValues)
{
    VROConfigFile cfg;
    ASSERT_TRUE(cfg.Load((KitDataDir() + "/gfx/theme1/theme.ini").c_str()));
    std::vector<std::string> triples = {"Light0_Position", "Light0_Ambient", "Light0_Diffuse", "Light1_Position",
                                        "Light1_Ambient",  "Light1_Diffuse", "BackgroundColor", "ShadowColor"};
    for (int k = 1; k <= 5; ++k)
        for (const char* base : {"BlocRotateVertical", "RotationCenter", "BlocRotateHorizontal"})
            triples.push_back(base + std::to_string(k));
    std::vector<double> v;
    for (const std::string& key : triples) {
        std::string value;
        ASSERT_TRUE(cfg.GetValue(key.c_str(), value)) << key << " is missing";
        ASSERT_TRUE(ParseFloats(value, 3, v)) << key << "=" << value;
        bool colour = key.find("Ambient") != std::string::npos || key.find("Diffuse") != std::string::npos ||
                      key.find("Color") != std::string::npos;
        if (colour) {
            for (double c : v)
                EXPECT_TRUE(c >= 0 && c <= 1) << key << "=" << value;
        }
        if (key.find("Position") != std::string::npos) {
            EXPECT_GT(v[1], 0) << key << ": a light from below the board";
        }
        if (key.find("RotationCenter") == 0) {
            // Inside the block (cell units).
            EXPECT_NEAR(v[0], 0, 0.5);
            EXPECT_TRUE(v[1] > 0 && v[1] < 1) << key;
            EXPECT_NEAR(v[2], 0, 0.5);
        }
    }
    for (const char* key : {"ShadowStrength", "ReflectStrength"}) {
        std::string value;
        ASSERT_TRUE(cfg.GetValue(key, value)) << key << " is missing";
        ASSERT_TRUE(ParseFloats(value, 1, v)) << key << "=" << value;
        EXPECT_TRUE(v[0] >= 0 && v[0] <= 1) << key;
    }
    for (const char* key : {"ObjetMorphType", "CarMorphType", "ObjetTrouMorphType"}) {
        std::string value;
        long n;
        ASSERT_TRUE(cfg.GetValue(key, value)) << key << " is missing";
        EXPECT_TRUE(ParseInt(value, n)) << key << "=" << value;
    }
    // Lit from above, the faces the player sees stay within range: key
    // and fill light together do not wash a white face out.
    std::string a0, d0, d1;
    ASSERT_TRUE(cfg.GetValue("Light0_Ambient", a0) && cfg.GetValue("Light0_Diffuse", d0) &&
                cfg.GetValue("Light1_Diffuse", d1));
    std::vector<double> va, vd0, vd1;
    ParseFloats(a0, 3, va);
    ParseFloats(d0, 3, vd0);
    ParseFloats(d1, 3, vd1);
    for (int c = 0; c < 3; ++c)
        EXPECT_LT(va[c] + vd0[c] + vd1[c] * 0.5, 1.3);
}

TEST(ArtKitConfig, FontIniHasAllNineSectionsAndTheLogoColours)
{
    const std::string path = KitDataDir() + "/font.ini";
    const char* missing = "\x01missing";
    char buf[512];
    auto read = [&](const char* section, const char* key) {
        ReadIniString(section, key, missing, buf, sizeof buf, path.c_str());
        return std::string(buf);
    };
    std::vector<double> v;
    for (const char* section : {"FontGameBig", "FontGameSmall", "FontGameSmallNumber", "FontGameSmallWordFound",
                                "FontCreditBig", "FontCreditSmall", "FontCopyright", "FontMenuBig", "FontMenuSmall"}) {
        std::string font = read(section, "Font");
        ASSERT_NE(font, missing) << section;
        EXPECT_EQ(font.rfind("data/fonts/", 0), 0u) << section << ": " << font;
        EXPECT_TRUE(TestFileExists(RunDir() + "/" + font)) << section << ": " << font << " not in the game directory";
        long size;
        ASSERT_TRUE(ParseInt(read(section, "Size"), size)) << section;
        EXPECT_TRUE(size >= 10 && size <= 64) << section << " size " << size;
        for (const char* key : {"ColorTop", "ColorBottom"}) {
            std::string value = read(section, key);
            ASSERT_TRUE(ParseFloats(value, 3, v)) << section << " " << key << "=" << value;
            for (double c : v)
                EXPECT_TRUE(c >= 0 && c <= 1) << section << " " << key;
        }
        std::string shadow = read(section, "ShadowOffset");
        ASSERT_TRUE(ParseFloats(shadow, 2, v)) << section << " ShadowOffset=" << shadow;
        for (double c : v)
            EXPECT_EQ(c, static_cast<double>(static_cast<long>(c))) << section << ": whole pixels";
    }
    for (const char* key : {"Color1", "Color2", "Color3"}) {
        std::string value = read("Logo", key);
        ASSERT_TRUE(ParseFloats(value, 3, v)) << "Logo " << key << "=" << value;
        for (double c : v)
            EXPECT_TRUE(c >= 0 && c <= 1) << key;
    }
    // The menu lines are 48 pixels apart at 1024 wide: the menu font fits.
    long menu;
    ASSERT_TRUE(ParseInt(read("FontMenuBig", "Size"), menu));
    EXPECT_LE(menu, 40);
}
