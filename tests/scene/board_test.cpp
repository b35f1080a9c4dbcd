// The board renderer: scenery lists from a board, the view-volume test, the
// baked detail layer, the lost-block overlay, the wheels and the reflection.
#include "engine/format3do.h"
#include "scene/detail.h"
#include "scene_helpers.h"

#include <cmath>

namespace {

class Board3D : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        if (HasFatalFailure())
            return;
        LoadGameTheme();
    }

    std::vector<uint8_t> DetailTexels()
    {
        std::vector<uint8_t> px(256 * 256 * 4);
        EXPECT_TRUE(CurrentTheme().detail.Bind());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        return px;
    }

    // Texel of the detail layer at the centre of board cell (x, y).
    static size_t TexelOf(int x, int y)
    {
        const int u = int((x + 0.5f) * 256 / 20), v = int((y + 0.5f) * 256 / 15);
        return (size_t(v) * 256 + u) * 4;
    }
};

TEST_F(Board3D, WallsAreListedByCodeThenRowByRowWithTheirPlacedBoxes)
{
    StartLevel(SceneLevel({"", "  ###", "  # #", "  ###", "", "         @", "", "       #"}));
    const auto& walls = CurrentScenery().walls;
    ASSERT_EQ(walls.size(), 9u);
    for (size_t i = 1; i < walls.size(); ++i)
        EXPECT_LE(walls[i - 1].code, walls[i].code);
    for (const SceneryRecord& r : walls) {
        const int x = int(std::lround(r.worldX / kCellSize)), y = int(std::lround(r.worldZ / kCellSize));
        EXPECT_EQ(p.board.At(x, y), r.code);
        const Model3D& m = CurrentTheme().walls[r.code - kCellWallFirst];
        EXPECT_EQ(r.model, &m);
        EXPECT_FLOAT_EQ(r.bboxMin[0], m.bboxMin[0] + r.worldX);
        EXPECT_FLOAT_EQ(r.bboxMax[2], m.bboxMax[2] + r.worldZ);
        EXPECT_FLOAT_EQ(r.bboxMax[1], m.bboxMax[1]);
    }
    // The lone wall at (7, 7) is piece 0 (no joins).
    bool lone = false;
    for (const SceneryRecord& r : walls)
        lone = lone || (r.code == 20 && std::fabs(r.worldX - 7 * kCellSize) < 1e-6f);
    EXPECT_TRUE(lone);
    EXPECT_TRUE(CurrentScenery().props.empty());
}

TEST_F(Board3D, EverySpecialCellIsDrawnWhateverItsCode)
{
    // A group of four, then each code alone: every cell holds its own piece,
    // the code 36 piece or its mirror image, so none is an invisible obstacle.
    StartLevel(SceneLevel({"", " 67", " 89", "", "   6 7 8 9", "", "        @"}));
    const auto& props = CurrentScenery().props;
    ASSERT_EQ(props.size(), 8u);
    const float mirrors[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (const SceneryRecord& r : props) {
        const int x = int(std::lround(r.worldX / kCellSize)), y = int(std::lround(r.worldZ / kCellSize));
        ASSERT_TRUE(IsSpecialCode(r.code));
        EXPECT_EQ(p.board.At(x, y), r.code);
        EXPECT_FLOAT_EQ(r.scale, 1);
        EXPECT_EQ(r.mirrorX, mirrors[r.code - 36][0]);
        EXPECT_EQ(r.mirrorZ, mirrors[r.code - 36][1]);
        EXPECT_FLOAT_EQ(r.offsetX, kHalfCell);
        // The shipped piece stands on its own cell, mirrored or not.
        EXPECT_LT(r.bboxMin[0], r.worldX);
        EXPECT_GT(r.bboxMax[0], r.worldX);
        EXPECT_LT(r.bboxMin[2], r.worldZ);
        EXPECT_GT(r.bboxMax[2], r.worldZ);
        EXPECT_LE(r.bboxMax[0] - r.bboxMin[0], kCellSize * 1.01f);
    }
    // Each lone special shows on the picture: the board with it differs from
    // the board without it around its cell.
    view.reflect = false;
    Picture with = DrawFrame();
    for (int code = 37; code <= 39; ++code) {
        LevelFileData d = SceneLevel({"", "", "", "", "", "", "        @"});
        d.cells[4 * kPlayWidth + 9] = uint8_t(code);
        StartLevel(d);
        Picture one = DrawFrame();
        StartLevel(SceneLevel({"", "", "", "", "", "", "        @"}));
        Picture none = DrawFrame();
        EXPECT_GT(one.CountDifferent(none), 200) << "code " << code;
    }
}

TEST_F(Board3D, TheViewVolumeTestHidesOnlyWhatIsOutside)
{
    std::vector<std::string> rows(15, "#                  #");
    rows[0] = rows[14] = "####################";
    rows[7] = "#        @         #";
    StartLevel(SceneLevel(rows));
    // Mode 0 from the default camera sees the whole board.
    DrawFrame();
    for (const SceneryRecord& r : CurrentScenery().walls)
        EXPECT_TRUE(r.visible);
    // Close behind the car in mode 1 most of the frame is out of sight.
    view.cameraMode = 1;
    DrawFrame(0, -30, 0.15f);
    int visible = 0;
    for (const SceneryRecord& r : CurrentScenery().walls)
        visible += r.visible;
    EXPECT_GT(visible, 0);
    EXPECT_LT(visible, int(CurrentScenery().walls.size()) / 2);
    // With the car far from the view, mode 0 still draws the whole board.
    view.cameraMode = 0;
    p.carDrawX = 1;
    p.carDrawY = 1;
    DrawFrame();
    for (const SceneryRecord& r : CurrentScenery().walls)
        EXPECT_TRUE(r.visible);
}

TEST_F(Board3D, ALevelWithoutWallsBakesTheDetailPictureAlone)
{
    StartLevel(SceneLevel({"", "", "", "", "   $ .   @"}));
    ASSERT_TRUE(CurrentScenery().walls.empty());
    DrawFrame();
    const std::vector<uint8_t> texels = DetailTexels();
    const std::vector<uint8_t>& detail = CurrentTheme().detailPixels;
    ASSERT_EQ(texels.size(), detail.size());
    EXPECT_TRUE(texels == detail);
    EXPECT_FALSE(CurrentScenery().bakePending);
}

TEST_F(Board3D, WallsAndSpecialsBakeTheirShadowsAndABuriedWallOnlyTheSpecials)
{
    StartLevel(SceneLevel({"", "", "", "", "    #       6", "", "          @"}));
    DrawFrame();
    const std::vector<uint8_t> baked = DetailTexels();
    const std::vector<uint8_t>& detail = CurrentTheme().detailPixels;
    const size_t wall = TexelOf(4, 4), statue = TexelOf(12, 4), open = TexelOf(8, 9);
    EXPECT_GT(baked[wall + 3], detail[wall + 3] + 60) << "shadow under the wall";
    EXPECT_GT(baked[statue + 3], detail[statue + 3] + 40) << "shadow under the statue";
    EXPECT_EQ(baked[open + 3], detail[open + 3]);
    EXPECT_EQ(baked[open], detail[open]);

    // A theme whose walls reach below the floor bakes no wall shadows.
    CurrentTheme().wallFloorSign = -1;
    view.rebuildDetail = true;
    DrawFrame();
    const std::vector<uint8_t> buried = DetailTexels();
    EXPECT_EQ(buried[wall + 3], detail[wall + 3]);
    EXPECT_GT(buried[statue + 3], detail[statue + 3] + 40);
}

TEST_F(Board3D, TheLostOverlayGivesBackExactlyWhatItChanged)
{
    Model3D& inst = CurrentTheme().blockInstances[2][1];
    Material* m = inst.objects.head->material;
    ASSERT_NE(m, nullptr);
    // Values the overlay must not flatten to "opaque white".
    m->flags |= kMatTwoSided;
    m->transparency = 0.7f;
    m->ambient[0] = 0.3f;
    m->ambient[1] = 0.4f;
    m->ambient[2] = 0.5f;
    const int32_t flags = m->flags;
    const int32_t mode = m->transparencyMode;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -0.3f);
    DrawLostOverlay(inst, 50);
    EXPECT_EQ(m->flags, flags);
    EXPECT_FLOAT_EQ(m->transparency, 0.7f);
    EXPECT_FLOAT_EQ(m->ambient[0], 0.3f);
    EXPECT_FLOAT_EQ(m->ambient[1], 0.4f);
    EXPECT_FLOAT_EQ(m->ambient[2], 0.5f);
    EXPECT_EQ(m->transparencyMode, mode);
}

TEST_F(Board3D, ALostBlockBlinksRed)
{
    // A block in a corner with no target in its row or column is lost.
    StartLevel(SceneLevel({"", "", "", "   #####", "   #$  #   .", "   #  @#", "   #####"}));
    ASSERT_EQ(p.blockListCount, 1);
    ASSERT_TRUE(p.blocks[0].lost);
    view.cameraMode = 1;
    view.T = 0;  // overlay fully transparent
    Picture calm = DrawFrame(0, -60, 0.4f);
    view.T = 100;  // |sin(π/2)|: full red
    Picture red = DrawFrame(0, -60, 0.4f);
    red.Save("scene_lost_block.png");
    int redder = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb a = calm.At(x, y), b = red.At(x, y);
            redder += b.r >= a.r && b.g + 30 < a.g;
        }
    EXPECT_GT(redder, 300);
}

TEST_F(Board3D, TheWheelsAreDrawnOnTheirOwnAndHiddenAgain)
{
    StartLevel(SceneLevel({"", "", "", "", "", "", "", "         @"}));
    view.cameraMode = 1;
    view.reflect = true;
    Theme& t = CurrentTheme();
    Picture with = DrawFrame(-90, -10, 0.2f);
    with.Save("scene_car_wheels.png");
    for (Objet3D* w : t.wheels)
        EXPECT_EQ(w->visible, 0);
    Objet3D* wheels[4];
    std::copy(t.wheels, t.wheels + 4, wheels);
    std::fill(t.wheels, t.wheels + 4, nullptr);
    Picture without = DrawFrame(-90, -10, 0.2f);
    std::copy(wheels, wheels + 4, t.wheels);
    EXPECT_GT(with.CountDifferent(without), 500);
}

// An open box, one unlit colour per side: top red, south (+z) green, north
// blue, east and west grey; front sides clockwise seen from outside.
Model3doFile ColouredBox(float half, float height)
{
    Model3doFile m;
    const float h = half, y = height;
    struct Side {
        const char* name;
        float corners[4][3];  // top-left, top-right, bottom-left, bottom-right from outside
        float colour[3];
    };
    const Side sides[5] = {
        {"top", {{-h, y, -h}, {h, y, -h}, {-h, y, h}, {h, y, h}}, {1, 0, 0}},
        {"south", {{-h, y, h}, {h, y, h}, {-h, 0, h}, {h, 0, h}}, {0, 1, 0}},
        {"north", {{h, y, -h}, {-h, y, -h}, {h, 0, -h}, {-h, 0, -h}}, {0, 0, 1}},
        {"east", {{h, y, h}, {h, y, -h}, {h, 0, h}, {h, 0, -h}}, {0.5f, 0.5f, 0.5f}},
        {"west", {{-h, y, -h}, {-h, y, h}, {-h, 0, -h}, {-h, 0, h}}, {0.5f, 0.5f, 0.5f}},
    };
    for (const Side& side : sides) {
        Model3doObject o;
        o.name = side.name;
        o.material = std::string("box ") + side.name;
        for (const auto& c : side.corners)
            for (int a = 0; a < 3; ++a)
                o.points.push_back(Precompensate3doCoordinate(c[a], a));
        o.uvs = {0, 0, 1, 0, 0, 1, 1, 1};
        o.faces = {0, 1, 2, 2, 1, 3};
        m.objects.push_back(o);
        Model3doMaterial mat;
        mat.name = o.material;
        mat.lighting = 1;
        for (int c = 0; c < 3; ++c)
            mat.ambient[c] = side.colour[c];
        m.materials.push_back(mat);
    }
    return m;
}

// Seen from the south over a floor that hides nothing, the reflection of the
// box shows its green south side hanging below the real one. Drawn inside
// out, it would show the inside of its blue north side and red top there.
TEST_F(Board3D, TheReflectionIsNotInsideOut)
{
    std::string error;
    ASSERT_TRUE(Write3do(dir.file("box.3do").c_str(), ColouredBox(1.2f, 1.0f), error)) << error;
    SetObjectPath((dir.path() + "/").c_str());
    Model3D& special = CurrentTheme().special;
    ASSERT_TRUE(special.Load("box.3do"));
    const float offset[3] = {0, 0, 0}, scale[3] = {kCellSize, kCellSize, kCellSize};
    special.Transform(offset, scale);
    special.ComputeBoundingBox();
    StartLevel(SceneLevel({"", "", "", "", "", "", "", "         6", "", "", "", "", "   @"}));
    CurrentTheme().settings.reflectStrength = 1.0f;
    view.reflect = true;
    Picture pic = DrawFrame(0, -15, 0.5f);
    pic.Save("scene_reflection_box.png");

    // The bottom of the box's south side, on the screen.
    GLdouble mv[16], pr[16], wx, wy, wz;
    GLint vp[4];
    glLoadIdentity();
    ApplyCamera(0, -15, 0.5f);
    glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    gluProject(9.5 * kCellSize, 0, (7.5 + 1.2) * kCellSize, mv, pr, vp, &wx, &wy, &wz);
    const int x = int(wx), base = height - 1 - int(wy);
    ASSERT_GT(base, 10);
    ASSERT_LT(base, height - 10);
    const Rgb real = pic.At(x, base - 5), mirrored = pic.At(x, base + 5);
    EXPECT_GT(real.g, 200);
    EXPECT_LT(real.b + real.r, 60);
    EXPECT_GT(mirrored.g, 200) << "the south side's reflection";
    EXPECT_LT(mirrored.b + mirrored.r, 60);
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CW);
}

TEST_F(Board3D, NothingIsDrawnWithoutATheme)
{
    StartLevel(SceneLevel({"", "  ###", "", "       @"}));
    FreeTheme();
    BuildSceneryLists(p);
    for (const SceneryRecord& r : CurrentScenery().walls)
        EXPECT_EQ(r.model, nullptr);
    glClearColor(0.2f, 0.3f, 0.4f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    DrawBoard(context, p, view);
    Picture pic = Picture::Read(width, height);
    const Rgb c = pic.At(width / 2, height / 2);
    EXPECT_NEAR(c.g, 77, 1);
    EXPECT_FALSE(CreateDetailTexture(context));
}

}  // namespace

namespace {

// Lists made before the theme loaded (or with another theme) are made again
// at the next frame, with the new models and a new bake.
TEST_F(Board3D, ListsMadeWithoutTheThemeAreMadeAgain)
{
    FreeTheme();
    StartLevel(SceneLevel({"", "  ###", "  # #", "  ###", "", "       @", "", "   6"}));
    for (const SceneryRecord& r : CurrentScenery().walls)
        ASSERT_EQ(r.model, nullptr);
    ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
    DrawFrame();
    ASSERT_EQ(CurrentScenery().walls.size(), 8u);
    for (const SceneryRecord& r : CurrentScenery().walls) {
        EXPECT_NE(r.model, nullptr);
        EXPECT_GT(r.bboxMax[1], 0.0f);
    }
    EXPECT_EQ(CurrentScenery().props.size(), 1u);
    EXPECT_EQ(CurrentScenery().themeSerial, CurrentTheme().serial);
    EXPECT_FALSE(CurrentScenery().bakePending);
}

}  // namespace

namespace {

// A window smaller than the bake's picture cannot hold the shadows: the
// detail layer is the picture alone, never pixels from outside the window.
TEST_F(Board3D, ASmallWindowBakesTheDetailPictureAlone)
{
    FreeTheme();
    FreeScene();
    width = 200;
    height = 150;
    ASSERT_TRUE(context.Recreate(200, 150, 0));
    glEnable(GL_LIGHTING);
    LoadGameTheme();
    StartLevel(SceneLevel({"", "", "", "   ####", "   #  #  @", "   ####"}));
    DrawFrame();
    const std::vector<uint8_t> texels = DetailTexels();
    EXPECT_TRUE(texels == CurrentTheme().detailPixels);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 200);
    EXPECT_EQ(viewport[3], 150);
}

}  // namespace

namespace {

TEST_F(Board3D, AReflectStrengthOfZeroDrawsNoReflection)
{
    StartLevel(SceneLevel({"", "", "", "   ####", "   #  # $ @", "   ####"}));
    CurrentTheme().settings.reflectStrength = 0;
    view.reflect = false;
    Picture off = DrawFrame(0, -40, 0.6f);
    view.reflect = true;
    Picture on = DrawFrame(0, -40, 0.6f);
    EXPECT_EQ(on.CountDifferent(off, 0), 0);
    CurrentTheme().settings.reflectStrength = 0.5f;
    Picture strong = DrawFrame(0, -40, 0.6f);
    EXPECT_GT(strong.CountDifferent(off, 4), 500);
}

}  // namespace
