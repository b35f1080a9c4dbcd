// The kit as the game reads it: every model through the engine's loader
// (materials, textures, normals, morph instances), every picture through
// the engine's image loading, the icon font, the TrueType fonts named in
// font.ini, every effect and track through the mixer; and the contact
// sheet renders.
#include "engine/draw3d.h"
#include "engine/glcontext.h"
#include "engine/glfont2d.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "kit_paths.h"
#include "testdir.h"
#include "text/fontconfig.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Model file names relative to their directory, and the directories the
// game reads them and their textures from.
struct ModelPlace {
    std::string dir, textures, file;
};

ModelPlace PlaceOf(const std::string& rel)
{
    size_t slash = rel.rfind('/');
    std::string dir = rel.substr(0, slash + 1);
    std::string textures = dir.rfind("gfx/theme1/", 0) == 0 ? "gfx/theme1/texture/" : dir;
    return {KitDataDir() + "/" + dir, KitDataDir() + "/" + textures, rel.substr(slash + 1)};
}

class KitGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.nearDist = 0.01f;
        context.farDist = 1000;
        ASSERT_TRUE(context.Create(160, 120, 0));
        SetMipMapping(1);
    }
    void TearDown() override { context.Close(); }

    std::unique_ptr<Model3D> Load(const std::string& rel)
    {
        ModelPlace p = PlaceOf(rel);
        SetObjectPath(p.dir.c_str());
        SetTexturePath(p.textures.c_str());
        auto m = std::make_unique<Model3D>();
        EXPECT_TRUE(m->Load(p.file.c_str())) << rel;
        return m;
    }

    GLContext context;
};

}  // namespace

TEST_F(KitGLTest, EveryModelLoadsWithItsMaterialsTexturesAndNormals)
{
    int models = 0;
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".3do"))
            continue;
        ++models;
        std::unique_ptr<Model3D> m = Load(rel);
        ASSERT_GT(m->objects.count, 0) << rel;
        for (Objet3D* o = m->objects.head; o; o = o->next) {
            ASSERT_NE(o->material, nullptr) << rel << " " << o->name;
            EXPECT_NE(o->material, DefaultMaterial()) << rel << ": " << o->name << " has no material of its own";
            const Material* mat = o->material;
            if (mat->flags & kMatMapping) {
                ASSERT_NE(mat->texture, nullptr) << rel;
                EXPECT_TRUE(mat->texture->HasGLName()) << rel << " " << mat->name;
            }
            // Lit objects are drawn smooth with vertex normals (flat lit
            // objects are not drawn at all).
            if (mat->flags & kMatLighted) {
                EXPECT_TRUE(mat->flags & kMatSmooth) << rel << " " << mat->name;
                EXPECT_EQ(o->normalMode, kNormalsVertex) << rel << " " << o->name;
            }
            // Only the explosion is see-through.
            EXPECT_EQ((mat->flags & kMatTransparency) != 0, mat->name == "explosion") << rel << " " << mat->name;
        }
        float mn[3], mx[3];
        m->ComputeBoundingBox(mn, mx);
        for (int a = 0; a < 3; ++a)
            EXPECT_LE(mn[a], mx[a]) << rel;
    }
    EXPECT_EQ(models, 48);
    EXPECT_TRUE(context.CheckError());
}

TEST_F(KitGLTest, MorphInstancesMoveBetweenModelAndTarget)
{
    std::vector<std::pair<std::string, std::string>> pairs = {
        {"gfx/theme1/3d/car.3do", "gfx/theme1/3d/carmorph.3do"},
        {"gfx/3d/carmenu.3do", "gfx/3d/carmenumorph.3do"},
        {"gfx/3d/logo.3do", "gfx/3d/logomorph.3do"}};
    for (int k = 1; k <= 5; ++k) {
        std::string n = "gfx/theme1/3d/objet" + std::to_string(k);
        pairs.push_back({n + ".3do", n + "morph.3do"});
        pairs.push_back({n + "on.3do", n + "onmorph.3do"});
    }
    for (const auto& [a, b] : pairs) {
        std::unique_ptr<Model3D> ma = Load(a), mb = Load(b);
        Model3D instance;
        ASSERT_TRUE(instance.CopyFrom(*ma)) << a;
        SetMorph(&instance, ma.get(), mb.get());
        ASSERT_EQ(instance.morphTarget, mb.get()) << a;
        int morphable = 0;
        for (Objet3D* o = instance.objects.head; o; o = o->next)
            morphable += o->morphable;
        EXPECT_GT(morphable, 0) << a;
        Morph(&instance, 1.0f);
        // At weight 1 the instance has the target's shape.
        Objet3D *oi = instance.objects.head, *ob = mb->objects.head;
        for (; oi && ob; oi = oi->next, ob = ob->next)
            for (size_t i = 0; i < oi->points.size(); ++i)
                ASSERT_NEAR(oi->points[i], ob->points[i], 1e-5) << a << " " << oi->name;
        // The car keeps its wheels for the renderer to turn.
        if (a.find("car") != std::string::npos) {
            for (const char* wheel : {"RoueAvD", "RoueAvG", "RoueArD", "RoueArG"})
                EXPECT_NE(instance.FindObject(wheel), nullptr) << a << " " << wheel;
        }
    }
}

TEST_F(KitGLTest, EveryPictureLoadsAndUploadsThroughTheEngine)
{
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".png"))
            continue;
        GLTexture t;
        ASSERT_TRUE(t.Load((KitDataDir() + "/" + rel).c_str())) << rel;
        EXPECT_TRUE(t.bytesPerPixel == 3 || t.bytesPerPixel == 4) << rel;
        t.mipmap = 1;
        t.SetFilters(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
        EXPECT_TRUE(t.Upload()) << rel;
        EXPECT_TRUE(t.HasGLName()) << rel;
        t.Reset();
    }
    // The detail picture is read texel by texel by the shadow bake.
    uint32_t w = 0, h = 0, bpp = 0;
    uint8_t* detail = LoadImage((KitDataDir() + "/gfx/theme1/texture/detail.png").c_str(), &w, &h, &bpp);
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(w, 256u);
    EXPECT_EQ(h, 256u);
    EXPECT_EQ(bpp, 4u);
    std::free(detail);
    EXPECT_TRUE(context.CheckError());
}

TEST_F(KitGLTest, IconFontHasFourInkedGlyphsOf48Pixels)
{
    GLFont2D font;
    ASSERT_TRUE(font.Load((KitDataDir() + "/gfx/2d/fonteicone.png").c_str(), 48, 48, 4));
    ASSERT_EQ(font.glyphs.size(), 4u);
    // The bar draws '"' (level), '#' (moves) and ' ' (carried bomb).
    for (unsigned char c : {'"', '#', '!'}) {
        const GLFont2D::Glyph& g = font.glyphs[font.GlyphIndex(c)];
        EXPECT_GT(g.width, 20) << c << " has no picture";
    }
    EXPECT_EQ(font.GlyphIndex(' '), 0u);
}

TEST(ArtKitFonts, EveryFontOfFontIniOpensAtItsSize)
{
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    const std::string ini = KitDataDir() + "/font.ini";
    for (int s = 0; s < kFontSectionCount; ++s) {
        FontConfig cfg = ReadFontSection(ini.c_str(), kFontSectionNames[s]);
        ASSERT_STRNE(cfg.font, "") << kFontSectionNames[s];
        for (int width : {640, 1024, 1600}) {
            std::string path = RunDir() + "/" + cfg.font;
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
        std::string path = KitDataDir() + "/" + rel;
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
            const uint8_t* p = px + (static_cast<size_t>(y) * w + x) * bpp;
            double l = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
            sum += l;
            sum2 += l * l;
            ++n;
        }
    double mean = sum / n, var = sum2 / n - mean * mean;
    EXPECT_GT(mean, 60) << "the board piece is dark";
    EXPECT_GT(std::sqrt(var), 15) << "the board piece is flat";
    std::free(px);
}
