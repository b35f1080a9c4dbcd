// The kit as the game reads it: the cars' wheels as the scene finds them,
// the icon font, the TrueType fonts named in font.ini, every effect and
// track through the mixer; and the contact sheet, which loads every model
// and picture through the engine.
#include "engine/glfont2d.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "glwindow.h"
#include "kit.h"
#include "scene/theme.h"
#include "text/fontconfig.h"

#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

class KitThroughTheEngine : public GLWindowTest {
protected:
    void SetUp() override
    {
        GLWindowTest::SetUp();
        SetMipMapping(1);
    }

    // A model with its textures from the directories the game reads them from.
    std::unique_ptr<Model3D> Load(const std::string& rel)
    {
        const std::string dir = rel.substr(0, rel.rfind('/') + 1);
        SetObjectPath((KitDataDir() + "/" + dir).c_str());
        SetTexturePath((KitDataDir() + "/" + (dir.rfind("gfx/theme1/", 0) == 0 ? "gfx/theme1/texture/" : dir)).c_str());
        auto m = std::make_unique<Model3D>();
        EXPECT_TRUE(m->Load(rel.substr(dir.size()).c_str())) << rel;
        return m;
    }
};

}  // namespace

// Every model and picture loading through the engine is the contact
// sheet's to show (it fails on the first that does not).
TEST_F(KitThroughTheEngine, TheCarsGiveTheSceneTheirWheelsAndTheIconFontItsGlyphs)
{
    for (const char* rel : {"gfx/theme1/3d/car.3do", "gfx/3d/carmenu.3do"}) {
        const std::unique_ptr<Model3D> car = Load(rel);
        // Round in x and y about their pivots, thin in z, on the floor; the
        // car looks along -x, so its right side is -z.
        Objet3D* wheels[4];
        float pivots[4][3];
        ASSERT_TRUE(TakeWheels(*car, wheels, pivots)) << rel;
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

TEST(ArtKitFonts, EveryFontOfFontIniOpensAtItsSize)
{
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    for (int s = 0; s < kFontSectionCount; ++s) {
        const FontConfig cfg = ReadFontSection((KitDataDir() + "/font.ini").c_str(), kFontSectionNames[s]);
        ASSERT_STRNE(cfg.font, "") << kFontSectionNames[s];
        for (int width : {640, 1024, 1600}) {
            const std::string path = RunDir() + "/" + cfg.font;
            TTF_Font* f = TTF_OpenFont(path.c_str(), FontPixelSize(cfg, width));
            ASSERT_NE(f, nullptr) << path << ": " << TTF_GetError();
            EXPECT_GT(TTF_FontHeight(f), 0);
            TTF_CloseFont(f);
        }
    }
    TTF_Quit();
}

TEST(ArtKitSound, EveryEffectAndTrackLoadsInTheMixer)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 2048), 0) << Mix_GetError();
    int effects = 0, tracks = 0;
    for (const std::string& rel : KitGeneratedFiles()) {
        const std::string path = KitDataDir() + "/" + rel;
        if (EndsWith(rel, ".wav")) {
            ++effects;
            Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
            ASSERT_NE(chunk, nullptr) << rel << ": " << Mix_GetError();
            EXPECT_GT(chunk->alen, 1000u) << rel;
            EXPECT_NE(Mix_PlayChannelTimed(-1, chunk, 0, -1), -1) << rel;
            Mix_HaltChannel(-1);
            Mix_FreeChunk(chunk);
        } else if (EndsWith(rel, ".zik")) {
            ++tracks;
            Mix_Music* music = Mix_LoadMUS(path.c_str());
            ASSERT_NE(music, nullptr) << rel << ": " << Mix_GetError();
            EXPECT_EQ(Mix_FadeInMusic(music, -1, 10), 0) << rel << ": " << Mix_GetError();
            Mix_HaltMusic();
            Mix_FreeMusic(music);
        }
    }
    EXPECT_EQ(effects, 10);
    EXPECT_EQ(tracks, 5);
    Mix_CloseAudio();
    SDL_Quit();
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
    EXPECT_EQ(w, 1280u);
    EXPECT_EQ(h, 896u);
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
