// Themes: "theme.ini", the theme list, the built theme and damaged copies of
// it, freeing, the lights, a change of resolution and the program's end.
#include "engine/pngwrite.h"
#include "scene_fixture.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kFullIni =
    "Light0_Position=-0.5,1,0.25\nLight0_Ambient=0.1,0.2,0.3\nLight0_Diffuse=0.4,0.5,0.6\n"
    "Light1_Position=0.7,0.8,-0.9\nLight1_Ambient=0.01,0.02,0.03\nLight1_Diffuse=0.04,0.05,0.06\n"
    "BackgroundColor=0.11,0.12,0.13\n"
    "BlocRotateVertical1=-90,0,0\nBlocRotateVertical2=-91,1,2\nBlocRotateVertical3=-92,3,4\n"
    "BlocRotateVertical4=-93,5,6\nBlocRotateVertical5=-94,7,8\n"
    "RotationCenter1=0,0.39,0\nRotationCenter2=0.1,0.4,0.2\nRotationCenter3=0.2,0.41,0.3\n"
    "RotationCenter4=0.3,0.42,0.4\nRotationCenter5=0.4,0.43,0.5\n"
    "BlocRotateHorizontal1=0,0,90\nBlocRotateHorizontal2=1,0,91\nBlocRotateHorizontal3=2,0,92\n"
    "BlocRotateHorizontal4=3,0,93\nBlocRotateHorizontal5=4,0,94\n"
    "ShadowColor=0.16,0.18,0.3\nShadowStrength=0.55\nReflectStrength=0.25\n"
    "ObjetMorphType=0\nCarMorphType=1\nObjetTrouMorphType=2\n";

// The full file without the lines of these keys, and with some more.
std::string Ini(const std::vector<std::string>& without, const std::string& more = "")
{
    std::string out, line;
    for (const char* c = kFullIni; *c; ++c) {
        line += *c;
        if (*c != '\n')
            continue;
        bool keep = true;
        for (const std::string& key : without)
            keep = keep && line.compare(0, key.size() + 1, key + "=") != 0;
        if (keep)
            out += line;
        line.clear();
    }
    return out + more;
}

ThemeSettings Read(const std::string& ini, ThemeSettings s = ThemeSettings())
{
    ScopedTempDir dir;
    EXPECT_TRUE(WriteTestFile(dir.file("theme.ini"), ini));
    EXPECT_TRUE(LoadThemeConfigFile((dir.path() + "/").c_str(), s));
    return s;
}

TEST(ThemeConfig, EveryKeyIsRead)
{
    const ThemeSettings s = Read(kFullIni);
    const std::pair<float, float> values[] = {
        {s.lightPosition[0][0], -0.5f},  {s.lightPosition[0][2], 0.25f}, {s.lightPosition[0][3], 0},  // directional
        {s.lightAmbient[0][2], 0.3f},    {s.lightAmbient[0][3], 1},      {s.lightDiffuse[0][1], 0.5f},
        {s.lightPosition[1][2], -0.9f},  {s.lightAmbient[1][0], 0.01f},  {s.lightDiffuse[1][2], 0.06f},
        {s.background[1], 0.12f},        {s.rollVertical[4][0], -94},    {s.rollVertical[4][2], 8},
        {s.rotationCentre[3][1], 0.42f}, {s.rollHorizontal[2][2], 92},   {s.shadowColour[2], 0.3f},
        {s.shadowStrength, 0.55f},       {s.reflectStrength, 0.25f},     {float(s.blockMorphType), 0},
        {float(s.carMorphType), 1},      {float(s.blockOnMorphType), 2},
    };
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_FLOAT_EQ(values[i].first, values[i].second) << "value " << i;
}

TEST(ThemeConfig, AMissingOrBadValueKeepsItsStartValueAndNeverTakesTheKeyBefore)
{
    ThemeSettings start;
    start.lightPosition[0][0] = 0.125f;
    start.lightDiffuse[0][0] = 0.9f;
    start.lightDiffuse[0][2] = 0.7f;
    start.shadowStrength = 0.33f;
    start.carMorphType = 7;
    start.background[2] = 0.75f;
    start.shadowColour[0] = 0.5f;
    start.rotationCentre[0][0] = 0.25f;
    // The very first key is missing too: nothing stands before it.
    const ThemeSettings s =
        Read(Ini({"Light0_Position", "Light0_Diffuse", "ShadowStrength", "CarMorphType", "ShadowColor"},
                 "BackgroundColor=1,2\nShadowColor=abc\nRotationCenter1=nan,inf,0.5\nObjetMorphType=" +
                     std::string(6000, '9') + "\n"),  // longer than a line may be
             start);
    // Not Light0_Ambient's 0.1 for the diffuse, nor ShadowColor's 0.16 for the
    // strength; two numbers for three keep the third; bad text, NaN and
    // infinity change nothing.
    const std::pair<float, float> values[] = {
        {s.lightPosition[0][0], 0.125f}, {s.lightDiffuse[0][0], 0.9f}, {s.lightDiffuse[0][2], 0.7f},
        {s.shadowStrength, 0.33f},       {float(s.carMorphType), 7},   {s.lightAmbient[0][0], 0.1f},
        {s.reflectStrength, 0.25f},      {s.background[0], 1},         {s.background[1], 2},
        {s.background[2], 0.75f},        {s.shadowColour[0], 0.5f},    {s.rotationCentre[0][0], 0.25f},
        {s.rotationCentre[0][2], 0.5f},
    };
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_FLOAT_EQ(values[i].first, values[i].second) << "value " << i;
}

TEST(ThemeConfig, AMissingFileIsReportedAndThrown)
{
    ScopedTempDir dir;
    ThemeSettings s;
    const std::string path = dir.path() + "/theme.ini";
    const std::string err = CaptureStderr([&] {
        ExpectException([&] { LoadThemeConfigFile((dir.path() + "/").c_str(), s); },
                        "Configuration File " + path + " not found", "LoadThemeConfigFile", "texte");
    });
    EXPECT_EQ(err, "Configuration File " + path + " not found\n");
}

class Themes : public SceneTest {
protected:
    std::string Prefix() const { return dir.path() + "/"; }
    std::string ThemeFile(const std::string& name) const { return dir.path() + "/data/gfx/theme1/" + name; }
    GLint Param(const GLTexture& t, GLenum name)
    {
        GLint v = 0;
        EXPECT_TRUE(t.Bind());
        glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
        return v;
    }
};

TEST_F(Themes, TheListCountsNumberedDirectoriesAndABadNumberIsRefused)
{
    InitListTheme(Prefix().c_str());
    EXPECT_EQ(CurrentTheme().count, 0);
    ExpectException([&] { LoadTheme(0, Prefix().c_str(), settings); }, "bad theme number", "LoadTheme");
    InitListTheme(GameDataPrefix().c_str());
    EXPECT_EQ(CurrentTheme().count, 1);
    for (int bad : {1, -1})
        ExpectException([&] { LoadTheme(bad, GameDataPrefix().c_str(), settings); }, "bad theme number", "LoadTheme");
}

TEST_F(Themes, TheBuiltThemeLoadsWholeWithItsFiltersAndFreesWhole)
{
    InitPelmo3D(GameDataPrefix().c_str(), settings);
    const int materialsBefore = MaterialList().count;  // the menu background's
    LoadGameTheme();
    Theme& t = CurrentTheme();
    ASSERT_TRUE(t.loaded);
    EXPECT_EQ(t.currentIndex, 0);
    for (const Model3D& w : t.walls)
        EXPECT_GT(w.objects.count, 0);
    // Theme models are scaled to the cell: a wall piece is at most a cell wide.
    EXPECT_LE(t.walls[3].bboxMax[0] - t.walls[3].bboxMin[0], kCellSize + 1e-4f);
    EXPECT_EQ(t.wallFloorSign, 1);
    for (int w = 0; w < 4; ++w) {
        ASSERT_NE(t.wheels[w], nullptr);
        EXPECT_EQ(t.wheels[w]->name, kWheelNames[w]);
        EXPECT_EQ(t.wheels[w]->visible, 0) << "hidden from the body's draw";
    }
    EXPECT_NE(t.wheelPivot[0][2], t.wheelPivot[1][2]) << "right and left wheels are apart";
    EXPECT_EQ(t.wheelMaterial, t.wheels[kWheelFrontRight]->material);
    // The floor blends; the explosion fades.
    ASSERT_NE(t.floorMaterial, nullptr);
    EXPECT_TRUE(t.floorMaterial->flags & kMatTransparency);
    EXPECT_EQ(t.floorMaterial->transparencyMode, 5);
    EXPECT_FLOAT_EQ(t.floorMaterial->transparency, 1.0f);
    for (auto* n = t.explosion.materials.head; n; n = n->next) {
        EXPECT_TRUE(n->value->flags & kMatTransparency);
        EXPECT_EQ(n->value->transparencyMode, 2);
    }
    for (int k = 0; k < kThemeColours; ++k)
        for (int j = 0; j < kMorphPhases; ++j) {
            EXPECT_EQ(t.blockInstances[k][j].morphSource, &t.blocks[k]);
            EXPECT_EQ(t.blockOnInstances[k][j].morphTarget, &t.blocksOnMorph[k]);
        }
    EXPECT_EQ(t.detailPixels.size(), size_t(256 * 256 * 4));
    EXPECT_TRUE(t.tracks[1].HasGLName());
    EXPECT_FLOAT_EQ(p.rollVertical[0][0], t.settings.rollVertical[0][0]);
    EXPECT_FLOAT_EQ(p.rotationCentre[4][1], t.settings.rotationCentre[4][1]);
    EXPECT_EQ(p.wheelAngle, 0);

    const struct {
        const GLTexture& texture;
        GLenum name;
        GLint value;
    } params[] = {
        {t.targets[0], GL_TEXTURE_MIN_FILTER, kMipmapMinFilter},
        {t.targets[0], GL_TEXTURE_MAG_FILTER, GL_LINEAR},
        {t.border, GL_TEXTURE_MIN_FILTER, kMipmapMinFilter},
        {t.border, GL_TEXTURE_MAG_FILTER, GL_LINEAR},
        {t.border, GL_TEXTURE_WRAP_S, GL_REPEAT},
        {t.tracks[0], GL_TEXTURE_WRAP_S, GL_CLAMP},
        {t.tracks[0], GL_TEXTURE_WRAP_T, GL_CLAMP},
    };
    for (const auto& c : params)
        EXPECT_EQ(Param(c.texture, c.name), c.value) << std::hex << c.name;
    // Wall textures, already uploaded by the model loader, take the clamp.
    int walls = 0;
    for (auto* n = t.walls[0].materials.head; n; n = n->next)
        if (const GLTexture* tex = n->value->texture) {
            ++walls;
            EXPECT_EQ(Param(*tex, GL_TEXTURE_WRAP_S), GL_CLAMP);
            EXPECT_EQ(Param(*tex, GL_TEXTURE_WRAP_T), glExtensions.edgeClamp ? GL_CLAMP_TO_EDGE : GL_CLAMP);
            EXPECT_EQ(Param(*tex, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
            EXPECT_EQ(Param(*tex, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        }
    EXPECT_GT(walls, 0);

    // Loading again frees first; without mipmaps the filters are linear.
    settings.MipMapping = 0;
    ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
    const int loaded = MaterialList().count;
    EXPECT_EQ(Param(t.targets[0], GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(Param(t.border, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
    EXPECT_EQ(MaterialList().count, loaded);
    for (int twice = 0; twice < 2; ++twice) {
        FreeTheme();
        EXPECT_FALSE(t.loaded);
        EXPECT_EQ(t.currentIndex, -1);
        EXPECT_EQ(MaterialList().count, materialsBefore);
    }
}

TEST_F(Themes, EveryMissingOrBadFileHasItsMessageAndLeavesNothingLoaded)
{
    auto remove = [](const std::string& path) { return [=] { std::remove(path.c_str()); }; };
    auto withoutWheel = [&] { RemoveObject(ThemeFile("3d/car.3do"), "RoueAvG"); };
    auto smallDetail = [&] {
        std::string error;
        const std::vector<uint8_t> small(128 * 128 * 4, 200);
        ASSERT_TRUE(WritePng(ThemeFile("texture/detail.png").c_str(), 128, 128, 4, small.data(), error));
    };
    const struct {
        std::function<void()> damage;
        std::string message;
    } cases[] = {
        {remove(ThemeFile("texture/trace2.png")), "Couldn't load Texture " + ThemeFile("texture/trace2.png") + "\n"},
        {remove(ThemeFile(std::string("3d/") + kWallPieces[15].model)),
         std::string("Couldn't load 3D Objet ") + kWallPieces[15].model},
        {remove(ThemeFile("texture/bordure.png")),
         "Fichier Texture " + ThemeFile("texture/bordure.png") + " introuvable"},
        {withoutWheel, "Couldn't load 3D Objet car.3do"},
        {smallDetail, "Couldn't load Texture " + ThemeFile("texture/detail.png") + "\n"},
        // Without its theme.ini the directory is no theme at all.
        {remove(ThemeFile("theme.ini")), "bad theme number"},
    };
    for (const auto& c : cases) {
        CopyGameData("data/gfx", dir.path());
        c.damage();
        const int materials = MaterialList().count;
        InitListTheme(Prefix().c_str());
        ExpectException([&] { LoadTheme(0, Prefix().c_str(), settings); }, c.message, "LoadTheme");
        EXPECT_FALSE(CurrentTheme().loaded);
        EXPECT_EQ(MaterialList().count, materials) << "nothing half-loaded is kept";
    }

    // An RGB detail picture of the right size is widened, opaque.
    CopyGameData("data/gfx", dir.path());
    std::vector<uint8_t> rgb(256 * 256 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = uint8_t(i * 7);
    WriteTestPng(ThemeFile("texture/detail.png"), 256, 256, 3, rgb);
    InitListTheme(Prefix().c_str());
    ASSERT_TRUE(LoadTheme(0, Prefix().c_str(), settings));
    const std::vector<uint8_t>& d = CurrentTheme().detailPixels;
    ASSERT_EQ(d.size(), size_t(256 * 256 * 4));
    EXPECT_EQ(std::vector<uint8_t>(d.begin() + 4000, d.begin() + 4004),
              (std::vector<uint8_t>{rgb[3000], rgb[3001], rgb[3002], 255}));
}

TEST_F(Themes, TheMenuLightNeverChangesTheLevelsLightingOrShadows)
{
    LoadGameTheme();
    StartLevel({"", "", "", "    ####", "    #  # @", "    ####   $ ."});
    const ThemeSettings before = CurrentTheme().settings;
    DrawFrame();
    const Picture first = DrawFrame();
    // A visit to the menus.
    SetMenuLights();
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    view.rebuildDetail = true;  // the bake must not read the menu light either
    const Picture back = DrawFrame();
    EXPECT_EQ(std::memcmp(before.lightAmbient, CurrentTheme().settings.lightAmbient, sizeof before.lightAmbient), 0);
    EXPECT_EQ(std::memcmp(before.lightPosition, CurrentTheme().settings.lightPosition, sizeof before.lightPosition), 0);
    float ambient[4], diffuse[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    for (int c = 0; c < 3; ++c) {
        EXPECT_FLOAT_EQ(ambient[c], before.lightAmbient[0][c]);
        EXPECT_FLOAT_EQ(diffuse[c], before.lightDiffuse[0][c]);
    }
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_EQ(first.CountDifferent(back, 1), 0);
}

TEST_F(Themes, AChangeOfResolutionFreesAndLoadsAgainAndOldNamesAreNeverDeleted)
{
    LoadGameTheme();
    InitObjetMenu(GameDataPrefix().c_str());
    StartLevel({"", "", "", "    ####", "    #  # @", "    ####   $ ."});
    DrawFrame();
    // What the resolution change does, in its order.
    FreeTheme();
    FreeMenuObjects();
    FreeScene();
    width = 800;
    height = 600;
    ASSERT_TRUE(context.Recreate(800, 600, 0));
    Set2DScreenSize(800, 600);
    glEnable(GL_LIGHTING);
    InitPelmo3D(GameDataPrefix().c_str(), settings);
    InitObjetMenu(GameDataPrefix().c_str());
    ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
    BuildSceneryLists(p);
    const Picture pic = DrawFrame();
    EXPECT_TRUE(context.CheckError());
    Theme& t = CurrentTheme();
    EXPECT_TRUE(t.detail.HasGLName());
    EXPECT_EQ(t.detail.glGeneration, CurrentGLGeneration());
    EXPECT_EQ(t.border.glGeneration, CurrentGLGeneration());
    // The board is drawn: the middle of the picture is not the clear colour.
    const Rgb middle = pic.At(400, 300);
    const float* bg = t.settings.background;
    EXPECT_GT(std::abs(middle.r - int(bg[0] * 255)) + std::abs(middle.b - int(bg[2] * 255)), 40);

    // Freed only after the window is made again, the old theme deletes none
    // of the new context's texture names (which start again from 1).
    ASSERT_TRUE(context.Recreate(640, 480, 0));
    GLTexture fresh[8];
    for (GLTexture& f : fresh) {
        ASSERT_TRUE(f.Allocate(4, 4, 24));
        ASSERT_TRUE(f.Upload());
    }
    FreeTheme();
    FreeMenuObjects();
    FreeScene();
    for (GLTexture& f : fresh) {
        EXPECT_TRUE(glIsTexture(f.glName));
        f.Reset();
    }
}

// After an error report the program returns without the orderly shutdown:
// a theme and menu objects still loaded must not crash the program's end.
TEST_F(Themes, TheProgramEndsCleanlyWithEverythingStillLoaded)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            LoadGameTheme();
            InitObjetMenu(GameDataPrefix().c_str());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
