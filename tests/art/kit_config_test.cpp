// theme.ini and font.ini carry every key the game reads, each with a value
// of the right shape and a sensible range.
#include "app/base/ini.h"
#include "engine/configfile.h"
#include "kit.h"
#include "testdir.h"

#include <gtest/gtest.h>

namespace {

// "a,b,c" into numbers; false unless exactly `count` numbers and nothing else.
bool ParseNumbers(const std::string& text, size_t count, std::vector<double>& out)
{
    out.clear();
    for (size_t pos = 0;;) {
        const size_t comma = text.find(',', pos);
        const std::string part = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        char* end = nullptr;
        out.push_back(std::strtod(part.c_str(), &end));
        if (part.empty() || *end != '\0')
            return false;
        if (comma == std::string::npos)
            return out.size() == count;
        pos = comma + 1;
    }
}

bool InRange(const std::vector<double>& v, double low, double high)
{
    return std::all_of(v.begin(), v.end(), [&](double c) { return c >= low && c <= high; });
}

}  // namespace

TEST(ArtKitConfig, ThemeIniHasEveryKeyWithWellFormedValues)
{
    VROConfigFile cfg;
    ASSERT_TRUE(cfg.Load((KitDataDir() + "/gfx/theme1/theme.ini").c_str()));
    std::map<std::string, std::vector<double>> v;
    auto read = [&](const std::string& key, size_t count) {
        std::string value;
        ASSERT_TRUE(cfg.GetValue(key.c_str(), value)) << key << " is missing";
        ASSERT_TRUE(ParseNumbers(value, count, v[key])) << key << "=" << value;
    };
    for (const char* key :
         {"Light0_Ambient", "Light0_Diffuse", "Light1_Ambient", "Light1_Diffuse", "BackgroundColor", "ShadowColor"}) {
        read(key, 3);
        EXPECT_TRUE(InRange(v[key], 0, 1)) << key;
    }
    for (const char* key : {"Light0_Position", "Light1_Position"}) {
        read(key, 3);
        EXPECT_GT(v[key][1], 0) << key << ": a light from below the board";
    }
    for (int k = 1; k <= 5; ++k) {
        read("BlocRotateVertical" + std::to_string(k), 3);
        read("BlocRotateHorizontal" + std::to_string(k), 3);
        // The centre lies inside the block (cell units).
        const std::string centre = "RotationCenter" + std::to_string(k);
        read(centre, 3);
        EXPECT_TRUE(std::abs(v[centre][0]) <= 0.5 && v[centre][1] > 0 && v[centre][1] < 1 &&
                    std::abs(v[centre][2]) <= 0.5)
            << centre;
    }
    for (const char* key : {"ShadowStrength", "ReflectStrength"}) {
        read(key, 1);
        EXPECT_TRUE(InRange(v[key], 0, 1)) << key;
    }
    for (const char* key : {"ObjetMorphType", "CarMorphType", "ObjetTrouMorphType"}) {
        read(key, 1);
        EXPECT_EQ(v[key][0], double(long(v[key][0]))) << key << ": a whole number";
    }
    // Lit from above, a white face the player sees is not washed out by
    // key and fill light together.
    for (int c = 0; c < 3; ++c)
        EXPECT_LT(v["Light0_Ambient"][c] + v["Light0_Diffuse"][c] + v["Light1_Diffuse"][c] * 0.5, 1.3);
}

TEST(ArtKitConfig, FontIniHasAllNineSectionsAndTheLogoColours)
{
    const std::string path = KitDataDir() + "/font.ini";
    char buf[512];
    auto read = [&](const char* section, const char* key) {
        ReadIniString(section, key, "\x01missing", buf, sizeof buf, path.c_str());
        return std::string(buf);
    };
    std::vector<double> v;
    for (const char* section : {"FontGameBig", "FontGameSmall", "FontGameSmallNumber", "FontGameSmallWordFound",
                                "FontCreditBig", "FontCreditSmall", "FontCopyright", "FontMenuBig", "FontMenuSmall"}) {
        const std::string font = read(section, "Font");
        EXPECT_EQ(font.rfind("data/fonts/", 0), 0u) << section << ": " << font;
        EXPECT_TRUE(TestFileExists(RunDir() + "/" + font)) << section << ": " << font << " not in the game directory";
        ASSERT_TRUE(ParseNumbers(read(section, "Size"), 1, v)) << section;
        EXPECT_TRUE(InRange(v, 10, 64) && v[0] == double(long(v[0]))) << section << " size " << v[0];
        // The menu lines are 48 pixels apart at 1024 wide: the menu font fits.
        if (std::string(section) == "FontMenuBig") {
            EXPECT_LE(v[0], 40);
        }
        for (const char* key : {"ColorTop", "ColorBottom"}) {
            ASSERT_TRUE(ParseNumbers(read(section, key), 3, v)) << section << " " << key << "=" << read(section, key);
            EXPECT_TRUE(InRange(v, 0, 1)) << section << " " << key;
        }
        ASSERT_TRUE(ParseNumbers(read(section, "ShadowOffset"), 2, v)) << section;
        for (double c : v)
            EXPECT_EQ(c, double(long(c))) << section << ": whole pixels";
    }
    for (const char* key : {"Color1", "Color2", "Color3"}) {
        ASSERT_TRUE(ParseNumbers(read("Logo", key), 3, v)) << "Logo " << key << "=" << read("Logo", key);
        EXPECT_TRUE(InRange(v, 0, 1)) << key;
    }
}
