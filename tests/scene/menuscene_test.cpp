// Scene set-up and the menu picture: what InitPelmo3D and InitObjetMenu load
// and refuse, the menu animation, the logo's box and the menu car's wheels.
#include "scene_fixture.h"

#include <algorithm>
#include <cmath>

namespace {

class MenuScene : public SceneTest {
protected:
    // The menu camera of the frame loop, then the menu picture.
    Picture DrawMenu(bool showLogo)
    {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ApplyCamera(0, 0, 1.5f);
        SetMenuLights();
        DrawMenuScene(context, showLogo);
        return ReadPicture();
    }

    // A copy of the built menu data in the temporary directory, to damage.
    std::string CopiedPrefix()
    {
        CopyGameData("data/gfx/3d", dir.path());
        CopyGameData("data/gfx/2d", dir.path());
        return dir.path() + "/";
    }
};

TEST_F(MenuScene, TheCarIsDrawnOnlyWhenShownAndLoadedWithItsOwnWheelsAndMovesOnlyWithTheClock)
{
    InitPelmo3D(GameDataPrefix().c_str(), settings);
    // Never loaded: the car screen falls back to the turning background.
    AdvanceMenuScene(5, false);
    const Picture background = DrawMenu(false);
    AdvanceMenuScene(0, true);
    EXPECT_EQ(background.CountDifferent(DrawMenu(true), 0), 0);

    InitObjetMenu(GameDataPrefix().c_str());
    EXPECT_TRUE(CurrentScene().menuObjectsLoaded);
    // Loading again frees first: the materials are not taken twice.
    const int materials = MaterialList().count;
    InitObjetMenu(GameDataPrefix().c_str());
    EXPECT_EQ(MaterialList().count, materials);
    AdvanceMenuScene(25, true);
    const Picture withCar = DrawMenu(true);
    AdvanceMenuScene(0, false);
    const Picture withoutCar = DrawMenu(false);
    EXPECT_GT(withCar.CountDifferent(withoutCar), width * height / 3);
    withCar.SaveToGallery("scene_menu.png");  // the gallery's, no assertion
    withoutCar.SaveToGallery("scene_menu_nocar.png");
    // With dt = 0 the picture stands still.
    AdvanceMenuScene(0, true);
    const Picture a = DrawMenu(true);
    AdvanceMenuScene(0, true);
    EXPECT_EQ(a.CountDifferent(DrawMenu(true), 0), 0);
    AdvanceMenuScene(10, true);
    EXPECT_GT(a.CountDifferent(DrawMenu(true)), 1000) << "the floor scrolls, the car swings";
    // The car's wheels are drawn on their own, hidden from the body's draw.
    SceneState& s = CurrentScene();
    for (Objet3D* w : s.menuWheels)
        ASSERT_TRUE(w && w->visible == 0);
    AdvanceMenuScene(20, true);
    const Picture with = DrawMenu(false);
    for (Objet3D* w : s.menuWheels)
        EXPECT_EQ(w->visible, 0) << "hidden again after their own draw";
    Objet3D* wheels[4];
    std::copy(s.menuWheels, s.menuWheels + 4, wheels);
    std::fill(s.menuWheels, s.menuWheels + 4, nullptr);
    const Picture without = DrawMenu(false);
    std::copy(wheels, wheels + 4, s.menuWheels);
    EXPECT_GT(with.CountDifferent(without), 1000);

    FreeMenuObjects();
    EXPECT_FALSE(CurrentScene().menuObjectsLoaded);
    AdvanceMenuScene(0, false);
    const Picture turned = DrawMenu(false);
    AdvanceMenuScene(0, true);
    EXPECT_EQ(turned.CountDifferent(DrawMenu(true), 0), 0) << "released objects are never drawn";
    FreeMenuObjects();  // twice is harmless
}

TEST_F(MenuScene, TheFloorsMeshShadesItAsItsShadowTextureWouldAndLeavesOutOnlyWhatTheShadowHides)
{
    const std::string prefix = CopiedPrefix();
    InitObjetMenu(prefix.c_str());
    // The game's shadow, then one of the test's own whose open disc is
    // smaller and off-centre, then one without alpha, opaque all over.
    for (int shadow = 0; shadow < 3; ++shadow) {
        if (shadow > 0) {
            const int n = 128, channels = shadow == 1 ? 4 : 3;
            std::vector<uint8_t> pixels(size_t(n * n * channels), 0);
            for (int i = 0; i < n * n && channels == 4; ++i) {
                const float r = std::hypot((i % n + 0.5f) / n - 0.4f, (i / n + 0.5f) / n - 0.55f);
                const float t = std::clamp((r - 0.1f) / 0.3f, 0.0f, 1.0f);
                pixels[size_t(4 * i + 3)] = uint8_t(std::lround(255 * t * t * (3 - 2 * t)));
            }
            WriteTestPng(prefix + "data/gfx/3d/solmenushadow.png", n, n, channels, pixels);
        }
        InitPelmo3D(prefix.c_str(), settings);
        AdvanceMenuScene(25, true);
        SceneState& s = CurrentScene();
        ASSERT_TRUE(s.menuFloorMesh.Built());
        EXPECT_EQ(s.menuFloorMesh.triangles.empty(), shadow == 2) << "only an opaque shadow hides every cell";
        // Both draw the floor from its mipmapped texture: only the shading
        // is compared.
        s.menuFloor.mipmap = 0;
        const Picture mesh = DrawMenu(true);
        s.menuFloorMesh = MenuFloorMesh();  // the shadow as a texture: in a second unit, and in a pass of its own
        const Picture texture = DrawMenu(true);
        const int units = glExtensions.textureUnits;
        glExtensions.textureUnits = 1;
        EXPECT_EQ(texture.CountDifferent(DrawMenu(true), 3), 0) << shadow;
        glExtensions.textureUnits = units;
        EXPECT_LE(mesh.CountDifferent(texture, 5), 10) << shadow;
    }
}

TEST_F(MenuScene, TheFloorDrawnLevelByLevelLooksAsItsMipmappedTextureWould)
{
    for (const int w : {640, 1280}) {
        Reopen(w, w * 3 / 4);
        InitPelmo3D(GameDataPrefix().c_str(), settings);
        InitObjetMenu(GameDataPrefix().c_str());
        SceneState& s = CurrentScene();
        for (float clock : {25.0f, 70.0f}) {
            AdvanceMenuScene(clock, true);
            const Picture levelled = DrawMenu(false);
            ASSERT_GT(s.menuFloorLevels.Count(), 5) << "the floor's levels were copied";
            s.menuFloor.mipmap = 0;  // the mipmapped texture itself, its GL filters unchanged
            const Picture whole = DrawMenu(false);
            s.menuFloor.mipmap = 1;
            EXPECT_LE(levelled.CountDifferent(whole, 8), w * w / 2000) << w << " " << clock;
            // The mesh leaves out what the shadow blackens, so some black
            // pixels between lit ones are the floor's own; cuts add none.
            EXPECT_LE(levelled.CountGaps(Rgb{0, 0, 0}), whole.CountGaps(Rgb{0, 0, 0})) << w << " " << clock;
        }
    }
}

// With a stencil the car and the logo go before the floor, whose texture and
// shadows then keep to what they leave in view: the picture is the one the
// floor drawn first gives.
TEST_F(MenuScene, TheCarAndTheLogoDrawnBeforeTheFloorLookAsTheFloorDrawnFirst)
{
    InitPelmo3D(GameDataPrefix().c_str(), settings);
    InitObjetMenu(GameDataPrefix().c_str());
    const int stencil = context.stencilBits;
    ASSERT_GT(stencil, 0);
    for (float clock : {10.0f, 60.0f, 100.0f})
        for (bool logo : {true, false}) {
            AdvanceMenuScene(clock, true);
            // As the menu's text leaves GL for the next frame.
            const auto afterText = [] {
                glDisable(GL_LIGHTING);
                glDisable(GL_CULL_FACE);
                glDisable(GL_DEPTH_TEST);
                glEnable(GL_BLEND);
            };
            afterText();
            const Picture modelsFirst = DrawMenu(logo);
            context.stencilBits = 0;
            afterText();
            const Picture floorFirst = DrawMenu(logo);
            context.stencilBits = stencil;
            EXPECT_EQ(modelsFirst.CountDifferent(floorFirst, 2), 0) << clock << " " << logo;
        }
}

TEST_F(MenuScene, TheMenuAnimationFollowsItsClock)
{
    InitPelmo3D(GameDataPrefix().c_str(), settings);
    SceneState& s = CurrentScene();
    EXPECT_EQ(std::make_tuple(s.menuClock, s.backgroundAngle, s.showCar), std::make_tuple(0.0f, 0.0f, true));
    AdvanceMenuScene(100, true);
    EXPECT_EQ(std::make_pair(s.menuClock, s.backgroundAngle), std::make_pair(100.0f, 5.0f));
    EXPECT_NEAR(s.carSwing, 40 * std::cos(5 * 10 * M_PI / 64), 1e-4);
    AdvanceMenuScene(40, false);
    EXPECT_FLOAT_EQ(s.menuClock, 12) << "the clock wraps at 128";
    EXPECT_FALSE(s.showCar);
    // A bad frame time moves nothing.
    for (float bad : {std::nanf(""), -5.0f}) {
        AdvanceMenuScene(bad, true);
        EXPECT_FLOAT_EQ(s.menuClock, 12);
    }
    // InitPelmo3D starts the animation again.
    InitPelmo3D(GameDataPrefix().c_str(), settings);
    EXPECT_EQ(std::make_pair(s.menuClock, s.backgroundAngle), std::make_pair(0.0f, 0.0f));
}

TEST_F(MenuScene, TheLogoBecomesABoxOfPointFourAndAFlatAxisKeepsItsSize)
{
    const std::string prefix = CopiedPrefix();
    InitObjetMenu(prefix.c_str());
    const Model3D& logo = CurrentScene().logo;
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(logo.bboxMax[a] - logo.bboxMin[a], 0.4f, 0.002f);
        EXPECT_NEAR(logo.bboxMax[a] + logo.bboxMin[a], 0.0f, 0.002f);
    }
    FreeMenuObjects();
    // A logo flat in z: a single square at z = 0.5.
    const Model3doFile flat =
        ModelFile({SquareObject("plat", "logo_plat", -2, -1, 2, 1, 0.5f)}, {FlatColour("logo_plat", 1, 1, 1)});
    std::string error;
    for (const char* file : {"logo.3do", "logomorph.3do"})
        ASSERT_TRUE(Write3do((prefix + "data/gfx/3d/" + file).c_str(), flat, error)) << error;
    InitObjetMenu(prefix.c_str());
    const Model3D& f = CurrentScene().logo;
    EXPECT_NEAR(f.bboxMax[0] - f.bboxMin[0], 0.4f, 0.002f);
    EXPECT_NEAR(f.bboxMax[1] - f.bboxMin[1], 0.4f, 0.002f);
    EXPECT_NEAR(f.bboxMin[2], 0.0f, 0.002f) << "centred, not scaled: z was 0.5 wide 0";
    EXPECT_NEAR(f.bboxMax[2], 0.0f, 0.002f);
    for (const Objet3D* obj = f.objects.head; obj; obj = obj->next)
        for (float v : obj->points)
            EXPECT_TRUE(std::isfinite(v));
}

TEST_F(MenuScene, MissingFilesAreRefusedWithTheirMessagesAndAMissingPointerIsNot)
{
    const std::string prefix = CopiedPrefix();
    InitPelmo3D(prefix.c_str(), settings);
    ASSERT_NE(PointerTexture(), nullptr);
    std::remove((prefix + "data/gfx/2d/pointeur.png").c_str());
    InitPelmo3D(prefix.c_str(), settings);  // a missing pointer is not an error
    EXPECT_EQ(PointerTexture(), nullptr);

    std::remove((prefix + "data/gfx/3d/solmenushadow.png").c_str());
    ExpectException([&] { InitPelmo3D(prefix.c_str(), settings); },
                    "Couldn't load Texture " + prefix + "data/gfx/3d/solmenushadow.png\n", "InitPelmo3D");
    EXPECT_FALSE(CurrentScene().sceneLoaded);
    std::remove((prefix + "data/gfx/3d/fondmenu.3do").c_str());
    ExpectException([&] { InitPelmo3D(prefix.c_str(), settings); }, "Couldn't load 3D Objet fondmenu.3do",
                    "InitPelmo3D");
    std::remove((prefix + "data/gfx/3d/logomorph.3do").c_str());
    ExpectException([&] { InitObjetMenu(prefix.c_str()); }, "Couldn't load 3D Objet logomorph.3do", "InitObjetMenu");
    EXPECT_FALSE(CurrentScene().menuObjectsLoaded);
    RemoveObject(prefix + "data/gfx/3d/carmenu.3do", "RoueArG");  // the menu car's rear left wheel
    ExpectException([&] { InitObjetMenu(prefix.c_str()); }, "Couldn't load 3D Objet carmenu.3do", "InitObjetMenu");
    EXPECT_FALSE(CurrentScene().menuObjectsLoaded);
}

}  // namespace
