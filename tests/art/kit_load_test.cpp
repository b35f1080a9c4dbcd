// The kit through the game's engine (the headless suite checks the files).
#include "engine/glfont2d.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "glwindow.h"
#include "kit.h"
#include "scene/theme.h"

#include <cmath>
#include <cstdlib>

class KitThroughTheEngine : public GLWindowTest {};

// Every model and picture loading through the engine is the contact
// sheet's to show (it fails on the first that does not).
TEST_F(KitThroughTheEngine, TheCarsGiveTheSceneTheirWheelsAndTheIconFontItsGlyphs)
{
    SetMipMapping(1);
    for (const std::string rel : {"gfx/theme1/3d/car.3do", "gfx/3d/carmenu.3do"}) {
        // With its textures from the directories the game reads them from.
        const std::string dir = rel.substr(0, rel.rfind('/') + 1);
        SetObjectPath((KitDataDir() + "/" + dir).c_str());
        SetTexturePath((KitDataDir() + "/" + (dir.rfind("gfx/theme1/", 0) == 0 ? "gfx/theme1/texture/" : dir)).c_str());
        Model3D car;
        ASSERT_TRUE(car.Load(rel.substr(dir.size()).c_str())) << rel;
        // Round in x and y about their pivots, thin in z, on the floor; the
        // car looks along -x, so its right side is -z.
        Objet3D* wheels[4];
        float pivots[4][3];
        ASSERT_TRUE(TakeWheels(car, wheels, pivots)) << rel;
        for (int w = 0; w < 4; ++w) {
            float mn[3], mx[3];
            wheels[w]->BoundingBox(mn, mx);
            EXPECT_NEAR(mx[0] - mn[0], mx[1] - mn[1], 0.01) << rel << " " << kWheelNames[w];
            EXPECT_LT(mx[2] - mn[2], mx[0] - mn[0]) << rel << " " << kWheelNames[w];
            EXPECT_NEAR(mn[1], 0.0, 0.005) << rel << ": wheels touch the floor";
        }
        EXPECT_LT(pivots[kWheelFrontRight][0], pivots[kWheelRearRight][0]) << rel;
        EXPECT_LT(pivots[kWheelFrontLeft][0], pivots[kWheelRearLeft][0]) << rel;
        EXPECT_TRUE(pivots[kWheelFrontRight][2] < 0 && pivots[kWheelRearRight][2] < 0) << rel;
        EXPECT_TRUE(pivots[kWheelFrontLeft][2] > 0 && pivots[kWheelRearLeft][2] > 0) << rel;
    }
    GLFont2D font;
    ASSERT_TRUE(font.Load((KitDataDir() + "/gfx/2d/fonteicone.png").c_str(), 48, 48, 4));
    ASSERT_EQ(font.glyphs.size(), 4u);
    // The bar draws '"' (level), '#' (moves) and ' ' (carried bomb); '!' is the fourth.
    for (unsigned char c : {'"', '#', '!'})
        EXPECT_GT(font.glyphs[font.GlyphIndex(c)].width, 20) << c << " has no picture";
    EXPECT_EQ(font.GlyphIndex(' '), 0u);
}

// The contact sheet is the kit's gallery picture (build/test-output).
TEST(ArtKitContactSheet, RendersEveryModelAndPictureIntoAPicture)
{
    const std::string out = TestOutputDir() + "/art_contact_sheet.png";
    std::remove(out.c_str());
    const std::string cmd = std::string("\"") + ARTSHEET_PATH + "\" \"" + KitDataDir() + "\" \"" + out + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    uint32_t w = 0, h = 0, bpp = 0;
    uint8_t* px = LoadImage(out.c_str(), &w, &h, &bpp);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(1280u, 896u));
    // The board piece is drawn: its middle is full of varied colour, not
    // one cleared background.
    double sum = 0, sum2 = 0;
    int n = 0;
    for (uint32_t y = 200; y < 600; y += 7)
        for (uint32_t x = 100; x < 700; x += 7) {
            const uint8_t* p = px + (size_t(y) * w + x) * bpp;
            const double l = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
            sum += l;
            sum2 += l * l;
            ++n;
        }
    const double mean = sum / n;
    EXPECT_GT(mean, 60) << "the board piece is dark";
    EXPECT_GT(std::sqrt(sum2 / n - mean * mean), 15) << "the board piece is flat";
    std::free(px);
}
