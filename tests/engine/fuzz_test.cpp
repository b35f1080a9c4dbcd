// Damaged model and image files must be refused cleanly: no crash, no read
// past a buffer (run in the sanitizer build too), nothing half-loaded.
#include "engine/draw3d.h"
#include "engine/glfont2d.h"
#include "gltest.h"

#include <SDL.h>

#include <random>

namespace {

class FuzzTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        std::vector<uint8_t> rgba(8 * 8 * 4, 128);
        WriteRgbaPng(dir.file("t.png"), 8, 8, rgba);
    }

    std::string ValidModel()
    {
        Model3doMaterial textured = FlatColour("fz_tex", 1, 1, 1);
        textured.texture = "t.png";
        textured.lighting = 0;
        Model3doMaterial env = FlatColour("fz_env", 1, 1, 1);
        env.envTexture = "T.PNG";
        Model3doFile f;
        f.objects = {SquareObject("a", "fz_tex", 0, 0, 1, 1, 0), SquareObject("b", "fz_env", 1, 1, 2, 2, 1),
                     SquareObject("c", "fz_none", -1, -1, 0, 0, 0)};
        f.materials = {textured, env, FlatColour("fz_flat", 0.5f, 0.5f, 0.5f)};
        std::string bytes, error;
        EXPECT_TRUE(Encode3do(f, bytes, error)) << error;
        return bytes;
    }
};

TEST_F(FuzzTest, TruncatedAndRandomModelFilesAreRefusedCleanly)
{
    const std::string good = ValidModel();
    const int materialsBefore = MaterialList().count;
    Model3D m;
    WriteTestFile(dir.file("f.3do"), good);
    ASSERT_TRUE(m.Load("f.3do"));
    m.Free();

    std::mt19937 rng(2024);
    int loaded = 0;
    for (int round = 0; round < 600; ++round) {
        std::string bytes;
        switch (round % 3) {
        case 0:
            bytes = good.substr(0, rng() % good.size());
            break;
        case 1:
            bytes.resize(rng() % 1200);
            for (char& c : bytes)
                c = char(rng());
            break;
        default:
            bytes = good;
            for (int i = 0, n = 1 + rng() % 6; i < n; ++i)
                bytes[rng() % bytes.size()] = char(rng());
            break;
        }
        WriteTestFile(dir.file("f.3do"), bytes);
        bool ok = false;
        CaptureStderr([&] { ok = m.Load("f.3do"); });
        if (ok) {
            ++loaded;
            for (const Objet3D* o = m.objects.head; o; o = o->next) {
                ASSERT_NE(o->material, nullptr);
                for (uint32_t i : o->faces)
                    ASSERT_LT(i, o->pointCount);
            }
            DrawModel(&m);  // whatever loads can be drawn
        } else {
            ASSERT_EQ(m.objects.count, 0);
            ASSERT_EQ(m.materials.count, 0);
        }
        m.Free();
        ASSERT_EQ(MaterialList().count, materialsBefore) << "round " << round;
    }
    EXPECT_GT(loaded, 0);
    EXPECT_TRUE(context.CheckError());
}

TEST_F(FuzzTest, DamagedImagesAreRefusedCleanly)
{
    std::vector<uint8_t> rgba(13 * 7 * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = uint8_t(i * 31);
    WriteRgbaPng(dir.file("src.png"), 13, 7, rgba);
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 13, 7, 8, 0, 0, 0, 0);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(SDL_SaveBMP(s, dir.file("src.bmp").c_str()), 0);
    SDL_FreeSurface(s);

    std::mt19937 rng(77);
    for (const char* source : {"src.png", "src.bmp"}) {
        const std::string good = ReadTestFile(dir.file(source));
        for (int round = 0; round < 150; ++round) {
            std::string bytes = good;
            if (round % 2 == 0) {
                bytes.resize(rng() % good.size());
            } else {
                for (int i = 0, n = 1 + rng() % 4; i < n; ++i)
                    bytes[rng() % bytes.size()] = char(rng());
            }
            const std::string name = std::string("d_") + source;
            WriteTestFile(dir.file(name), bytes);
            CaptureStderr([&] {
                uint32_t w = 0, h = 0, bpp = 0;
                uint8_t* px = LoadImage(name.c_str(), &w, &h, &bpp);
                if (px) {
                    // A buffer is exactly width × height × bytes per pixel.
                    volatile uint8_t last = px[size_t(w) * h * bpp - 1];
                    (void)last;
                    std::free(px);
                }
                GLTexture t;
                if (t.Load(name.c_str()))
                    t.Upload();
                t.Reset();
                GLFont2D font;
                if (font.Load(name.c_str(), 4, 4, 3)) {
                    Begin2D();
                    font.Draw(0, 0, "abc");
                    End2D();
                }
                font.Free();
            });
        }
    }
    EXPECT_TRUE(context.CheckError());
}

}  // namespace
