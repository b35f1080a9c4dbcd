// Themes: "theme.ini", the theme list, loading the built theme and a damaged
// copy of it, freeing, the lights and a change of resolution.
#include "engine/format3do.h"
#include "scene_helpers.h"

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

const char* const kFullIni =
    "Light0_Position=-0.5,1,0.25\n"
    "Light0_Ambient=0.1,0.2,0.3\n"
    "Light0_Diffuse=0.4,0.5,0.6\n"
    "Light1_Position=0.7,0.8,-0.9\n"
    "Light1_Ambient=0.01,0.02,0.03\n"
    "Light1_Diffuse=0.04,0.05,0.06\n"
    "BackgroundColor=0.11,0.12,0.13\n"
    "BlocRotateVertical1=-90,0,0\n"
    "BlocRotateVertical2=-91,1,2\n"
    "BlocRotateVertical3=-92,3,4\n"
    "BlocRotateVertical4=-93,5,6\n"
    "BlocRotateVertical5=-94,7,8\n"
    "RotationCenter1=0,0.39,0\n"
    "RotationCenter2=0.1,0.4,0.2\n"
    "RotationCenter3=0.2,0.41,0.3\n"
    "RotationCenter4=0.3,0.42,0.4\n"
    "RotationCenter5=0.4,0.43,0.5\n"
    "BlocRotateHorizontal1=0,0,90\n"
    "BlocRotateHorizontal2=1,0,91\n"
    "BlocRotateHorizontal3=2,0,92\n"
    "BlocRotateHorizontal4=3,0,93\n"
    "BlocRotateHorizontal5=4,0,94\n"
    "ShadowColor=0.16,0.18,0.3\n"
    "ShadowStrength=0.55\n"
    "ReflectStrength=0.25\n"
    "ObjetMorphType=0\n"
    "CarMorphType=1\n"
    "ObjetTrouMorphType=2\n";

// Every key but `skip` (a line that starts with it is left out).
std::string IniWithout(const std::string& skip)
{
    std::string out, line;
    for (const char* c = kFullIni; *c; ++c) {
        line += *c;
        if (*c == '\n') {
            if (line.compare(0, skip.size() + 1, skip + "=") != 0)
                out += line;
            line.clear();
        }
    }
    return out;
}

void ExpectException(const std::function<void()>& fn, const std::string& message, const std::string& function,
                     const std::string& module)
{
    try {
        fn();
        ADD_FAILURE() << "no exception; expected " << message;
    } catch (const Exception& e) {
        EXPECT_EQ(e.message, message);
        EXPECT_EQ(e.function, function);
        EXPECT_EQ(e.file, module);
    }
}

TEST(ThemeConfig, EveryKeyIsRead)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile(dir.file("theme.ini"), kFullIni));
    ThemeSettings s;
    ASSERT_TRUE(LoadThemeConfigFile((dir.path() + "/").c_str(), s));
    EXPECT_FLOAT_EQ(s.lightPosition[0][0], -0.5f);
    EXPECT_FLOAT_EQ(s.lightPosition[0][2], 0.25f);
    EXPECT_FLOAT_EQ(s.lightPosition[0][3], 0.0f);  // directional
    EXPECT_FLOAT_EQ(s.lightAmbient[0][2], 0.3f);
    EXPECT_FLOAT_EQ(s.lightAmbient[0][3], 1.0f);
    EXPECT_FLOAT_EQ(s.lightDiffuse[0][1], 0.5f);
    EXPECT_FLOAT_EQ(s.lightPosition[1][2], -0.9f);
    EXPECT_FLOAT_EQ(s.lightAmbient[1][0], 0.01f);
    EXPECT_FLOAT_EQ(s.lightDiffuse[1][2], 0.06f);
    EXPECT_FLOAT_EQ(s.background[1], 0.12f);
    EXPECT_FLOAT_EQ(s.rollVertical[4][0], -94);
    EXPECT_FLOAT_EQ(s.rollVertical[4][2], 8);
    EXPECT_FLOAT_EQ(s.rotationCentre[3][1], 0.42f);
    EXPECT_FLOAT_EQ(s.rollHorizontal[2][2], 92);
    EXPECT_FLOAT_EQ(s.shadowColour[2], 0.3f);
    EXPECT_FLOAT_EQ(s.shadowStrength, 0.55f);
    EXPECT_FLOAT_EQ(s.reflectStrength, 0.25f);
    EXPECT_EQ(s.blockMorphType, 0);
    EXPECT_EQ(s.carMorphType, 1);
    EXPECT_EQ(s.blockOnMorphType, 2);
}

TEST(ThemeConfig, AMissingKeyKeepsItsStartValueAndNeverTakesTheKeyBefore)
{
    ScopedTempDir dir;
    ThemeSettings s;
    s.lightDiffuse[0][0] = 0.9f;
    s.lightDiffuse[0][1] = 0.8f;
    s.lightDiffuse[0][2] = 0.7f;
    s.shadowStrength = 0.33f;
    s.carMorphType = 7;
    s.lightPosition[0][0] = 0.125f;
    std::string ini = IniWithout("Light0_Diffuse");
    ini = ini.substr(0, ini.find("ShadowStrength")) + ini.substr(ini.find("ReflectStrength"));
    ini = ini.substr(0, ini.find("CarMorphType")) + ini.substr(ini.find("ObjetTrouMorphType"));
    // The very first key missing too: nothing stands before it.
    ini = ini.substr(ini.find('\n') + 1);
    ASSERT_TRUE(WriteTestFile(dir.file("theme.ini"), ini));
    ASSERT_TRUE(LoadThemeConfigFile((dir.path() + "/").c_str(), s));
    EXPECT_FLOAT_EQ(s.lightPosition[0][0], 0.125f);
    EXPECT_FLOAT_EQ(s.lightDiffuse[0][0], 0.9f) << "not Light0_Ambient's 0.1";
    EXPECT_FLOAT_EQ(s.lightDiffuse[0][1], 0.8f);
    EXPECT_FLOAT_EQ(s.lightDiffuse[0][2], 0.7f);
    EXPECT_FLOAT_EQ(s.shadowStrength, 0.33f) << "not ShadowColor's 0.16";
    EXPECT_EQ(s.carMorphType, 7);
    EXPECT_FLOAT_EQ(s.lightAmbient[0][0], 0.1f);
    EXPECT_FLOAT_EQ(s.reflectStrength, 0.25f);
}

TEST(ThemeConfig, TwoNumbersForThreeKeepTheThirdAndBadTextChangesNothing)
{
    ScopedTempDir dir;
    std::string ini = IniWithout("ShadowColor");
    ini += "BackgroundColor=1,2\nShadowColor=abc\nRotationCenter1=nan,inf,0.5\n";
    ini += "ObjetMorphType=" + std::string(6000, '9') + "\n";  // longer than a line may be
    ASSERT_TRUE(WriteTestFile(dir.file("theme.ini"), ini));
    ThemeSettings s;
    s.background[2] = 0.75f;
    s.shadowColour[0] = 0.5f;
    s.rotationCentre[0][0] = 0.25f;
    ASSERT_TRUE(LoadThemeConfigFile((dir.path() + "/").c_str(), s));
    EXPECT_FLOAT_EQ(s.background[0], 1);
    EXPECT_FLOAT_EQ(s.background[1], 2);
    EXPECT_FLOAT_EQ(s.background[2], 0.75f);
    EXPECT_FLOAT_EQ(s.shadowColour[0], 0.5f);
    EXPECT_FLOAT_EQ(s.rotationCentre[0][0], 0.25f) << "no NaN in the scene";
    EXPECT_FLOAT_EQ(s.rotationCentre[0][2], 0.5f);
}

TEST(ThemeConfig, AMissingFileIsReportedAndThrown)
{
    ScopedTempDir dir;
    ThemeSettings s;
    const std::string path = dir.path() + "/theme.ini";
    std::string err = CaptureStderr([&] {
        ExpectException([&] { LoadThemeConfigFile((dir.path() + "/").c_str(), s); },
                        "Configuration File " + path + " not found", "LoadThemeConfigFile", "texte");
    });
    EXPECT_EQ(err, "Configuration File " + path + " not found\n");
}

class Themes : public SceneTest {
protected:
    // A copy of the built theme in the temporary directory, to damage.
    std::string CopiedPrefix()
    {
        CopyGameData("data/gfx", dir.path());
        return dir.path() + "/";
    }

    std::string ThemeFile(const std::string& name) { return dir.path() + "/data/gfx/theme1/" + name; }

    void ExpectLoadFails(const std::string& message, const std::string& function = "LoadTheme",
                         const std::string& module = "pelmo3d")
    {
        const std::string prefix = dir.path() + "/";
        const int materials = MaterialList().count;
        ASSERT_TRUE(InitListTheme(prefix.c_str()));
        ExpectException([&] { LoadTheme(0, prefix.c_str(), settings); }, message, function, module);
        EXPECT_FALSE(CurrentTheme().loaded);
        EXPECT_EQ(MaterialList().count, materials) << "nothing half-loaded is kept";
    }
};

TEST_F(Themes, TheListCountsNumberedDirectoriesAndABadNumberIsRefused)
{
    ASSERT_TRUE(InitListTheme((dir.path() + "/").c_str()));
    EXPECT_EQ(CurrentTheme().count, 0);
    ExpectException([&] { LoadTheme(0, (dir.path() + "/").c_str(), settings); }, "bad theme number", "LoadTheme",
                    "pelmo3d");
    ASSERT_TRUE(InitListTheme(GameDataPrefix().c_str()));
    EXPECT_EQ(CurrentTheme().count, 1);
    ExpectException([&] { LoadTheme(1, GameDataPrefix().c_str(), settings); }, "bad theme number", "LoadTheme",
                    "pelmo3d");
    ExpectException([&] { LoadTheme(-1, GameDataPrefix().c_str(), settings); }, "bad theme number", "LoadTheme",
                    "pelmo3d");
}

TEST_F(Themes, TheBuiltThemeLoadsWhole)
{
    ASSERT_TRUE(InitPelmo3D(GameDataPrefix().c_str(), settings));
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
    // The four wheels are found, hidden from the body, with pivots.
    for (int w = 0; w < 4; ++w) {
        ASSERT_NE(t.wheels[w], nullptr);
        EXPECT_EQ(t.wheels[w]->name, kWheelNames[w]);
        EXPECT_EQ(t.wheels[w]->visible, 0);
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
    EXPECT_TRUE(t.border.HasGLName());
    EXPECT_TRUE(t.tracks[1].HasGLName());
    // The theme's rolls reach the puzzle.
    EXPECT_FLOAT_EQ(p.rollVertical[0][0], t.settings.rollVertical[0][0]);
    EXPECT_FLOAT_EQ(p.rotationCentre[4][1], t.settings.rotationCentre[4][1]);
    EXPECT_EQ(p.wheelAngle, 0);

    // Loading again frees first; freeing gives every material back.
    ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
    const int loaded = MaterialList().count;
    ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
    EXPECT_EQ(MaterialList().count, loaded);
    FreeTheme();
    EXPECT_FALSE(t.loaded);
    EXPECT_EQ(t.currentIndex, -1);
    EXPECT_EQ(MaterialList().count, materialsBefore);
    FreeTheme();
    EXPECT_EQ(MaterialList().count, materialsBefore);
}

TEST_F(Themes, TextureFiltersAndWrapModesReachTheGLTextures)
{
    auto param = [](const GLTexture& t, GLenum name) {
        GLint v = 0;
        EXPECT_TRUE(t.Bind());
        glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
        return v;
    };
    settings.MipMapping = 1;
    LoadGameTheme();
    Theme& t = CurrentTheme();
    EXPECT_EQ(param(t.targets[0], GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(param(t.targets[0], GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(param(t.border, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(param(t.border, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(param(t.border, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(param(t.tracks[0], GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(param(t.tracks[0], GL_TEXTURE_WRAP_T), GL_CLAMP);
    // Wall textures, already uploaded by the model loader, take the clamp.
    bool checked = false;
    for (auto* n = t.walls[0].materials.head; n; n = n->next) {
        const GLTexture* tex = n->value->texture;
        if (!tex)
            continue;
        checked = true;
        EXPECT_EQ(param(*tex, GL_TEXTURE_WRAP_S), GL_CLAMP);
        EXPECT_EQ(param(*tex, GL_TEXTURE_WRAP_T), glExtensions.edgeClamp ? GL_CLAMP_TO_EDGE : GL_CLAMP);
        EXPECT_EQ(param(*tex, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(param(*tex, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    }
    EXPECT_TRUE(checked);

    settings.MipMapping = 0;
    ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
    EXPECT_EQ(param(t.targets[0], GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(param(t.border, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
}

TEST_F(Themes, AMissingTrackTextureNamesItsFullPath)
{
    CopiedPrefix();
    std::remove(ThemeFile("texture/trace2.png").c_str());
    ExpectLoadFails("Couldn't load Texture " + ThemeFile("texture/trace2.png") + "\n");
}

TEST_F(Themes, MissingFilesEachHaveTheirMessage)
{
    CopiedPrefix();
    std::remove(ThemeFile("3d/mur_blocbf.3do").c_str());
    ExpectLoadFails("Couldn't load 3D Objet mur_blocbf.3do");
    std::remove(ThemeFile("texture/bordure.png").c_str());
    ExpectLoadFails("Fichier Texture " + ThemeFile("texture/bordure.png") + " introuvable");
    std::remove(ThemeFile("theme.ini").c_str());
    // Without its theme.ini the directory is no theme at all.
    ASSERT_TRUE(InitListTheme((dir.path() + "/").c_str()));
    EXPECT_EQ(CurrentTheme().count, 0);
    ExpectException([&] { LoadTheme(0, (dir.path() + "/").c_str(), settings); }, "bad theme number", "LoadTheme",
                    "pelmo3d");
}

TEST_F(Themes, ACarWithoutOneOfItsWheelsIsRefused)
{
    CopiedPrefix();
    Model3doFile car;
    std::string error;
    ASSERT_TRUE(Read3do(ThemeFile("3d/car.3do").c_str(), car, error)) << error;
    size_t before = car.objects.size();
    for (size_t i = 0; i < car.objects.size(); ++i)
        if (car.objects[i].name == "RoueAvG")
            car.objects.erase(car.objects.begin() + long(i));
    ASSERT_EQ(car.objects.size(), before - 1);
    ASSERT_TRUE(Write3do(ThemeFile("3d/car.3do").c_str(), car, error)) << error;
    ExpectLoadFails("Couldn't load 3D Objet car.3do");
}

TEST_F(Themes, TheDetailPictureMustBe256Square)
{
    CopiedPrefix();
    std::string error;
    std::vector<uint8_t> small(128 * 128 * 4, 200);
    ASSERT_TRUE(WritePng(ThemeFile("texture/detail.png").c_str(), 128, 128, 4, small.data(), error));
    ExpectLoadFails("Couldn't load Texture " + ThemeFile("texture/detail.png") + "\n");

    // An RGB picture of the right size is widened, opaque.
    std::vector<uint8_t> rgb(256 * 256 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = uint8_t(i * 7);
    ASSERT_TRUE(WritePng(ThemeFile("texture/detail.png").c_str(), 256, 256, 3, rgb.data(), error));
    const std::string prefix = dir.path() + "/";
    ASSERT_TRUE(InitListTheme(prefix.c_str()));
    ASSERT_TRUE(LoadTheme(0, prefix.c_str(), settings));
    const std::vector<uint8_t>& d = CurrentTheme().detailPixels;
    ASSERT_EQ(d.size(), size_t(256 * 256 * 4));
    EXPECT_EQ(d[4 * 1000], rgb[3 * 1000]);
    EXPECT_EQ(d[4 * 1000 + 2], rgb[3 * 1000 + 2]);
    EXPECT_EQ(d[4 * 1000 + 3], 255);
}

TEST_F(Themes, TheMenuLightNeverChangesTheLevelsLightingOrShadows)
{
    LoadGameTheme();
    StartLevel(SceneLevel({"", "", "", "    ####", "    #  # @", "    ####   $ ."}));
    const ThemeSettings before = CurrentTheme().settings;
    DrawFrame();
    Picture first = DrawFrame();
    // A visit to the menus.
    SetMenuLights();
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    view.rebuildDetail = true;  // the bake must not read the menu light either
    Picture back = DrawFrame();
    view.rebuildDetail = false;
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

TEST_F(Themes, AChangeOfResolutionFreesAndLoadsAgain)
{
    LoadGameTheme();
    ASSERT_TRUE(InitObjetMenu(GameDataPrefix().c_str()));
    StartLevel(SceneLevel({"", "", "", "    ####", "    #  # @", "    ####   $ ."}));
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
    ASSERT_TRUE(InitPelmo3D(GameDataPrefix().c_str(), settings));
    ASSERT_TRUE(InitObjetMenu(GameDataPrefix().c_str()));
    ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
    BuildSceneryLists(p);
    Picture pic = DrawFrame();
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

}  // namespace

namespace {

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
