// The board renderer: scenery lists from a board, the view-volume test, the
// baked detail layer, the lost-block overlay, the wheels and the reflection.
#include "scene_fixture.h"

#include "scene/highlight.h"

#include <cmath>

namespace {

class Board3D : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        if (!HasFatalFailure())
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

    // The board cell a scenery record stands on.
    int CodeUnder(const SceneryRecord& r) const
    {
        return p.board.At(int(std::lround(r.worldX / kCellSize)), int(std::lround(r.worldZ / kCellSize)));
    }
};

TEST_F(Board3D, WallsAreListedByCodeThenRowByRowWithTheirPlacedBoxes)
{
    StartLevel({"", "  ###", "  # #", "  ###", "", "         @", "", "       #"});
    const auto& walls = CurrentScenery().walls;
    ASSERT_EQ(walls.size(), 9u);
    for (size_t i = 1; i < walls.size(); ++i)
        EXPECT_LE(walls[i - 1].code, walls[i].code);
    for (const SceneryRecord& r : walls) {
        EXPECT_EQ(CodeUnder(r), r.code);
        const Model3D& m = CurrentTheme().walls[r.code - kCellWallFirst];
        EXPECT_EQ(r.model, &m);
        EXPECT_FLOAT_EQ(r.bboxMin[0], m.bboxMin[0] + r.worldX);
        EXPECT_FLOAT_EQ(r.bboxMax[2], m.bboxMax[2] + r.worldZ);
        EXPECT_FLOAT_EQ(r.bboxMax[1], m.bboxMax[1]);
    }
    // The lone wall at (7, 7) is piece 0 (no joins).
    EXPECT_EQ(walls.front().code, kWallCodeFirst);
    EXPECT_FLOAT_EQ(walls.front().worldX, 7 * kCellSize);
    EXPECT_TRUE(CurrentScenery().props.empty());
}

TEST_F(Board3D, EverySpecialCellIsDrawnWhateverItsCode)
{
    // A group of four, then each code alone: every cell holds its own piece,
    // the code 36 piece or its mirror image, so none is an invisible obstacle.
    StartLevel({"", " ST", " UV", "", "   S T U V", "", "        @"});
    const auto& props = CurrentScenery().props;
    ASSERT_EQ(props.size(), 8u);
    const float mirrors[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (const SceneryRecord& r : props) {
        ASSERT_TRUE(IsSpecialCode(r.code));
        EXPECT_EQ(CodeUnder(r), r.code);
        EXPECT_FLOAT_EQ(r.scale, 1);
        EXPECT_EQ(r.mirrorX, mirrors[r.code - 36][0]);
        EXPECT_EQ(r.mirrorZ, mirrors[r.code - 36][1]);
        EXPECT_FLOAT_EQ(r.offsetX, kHalfCell);
        // The shipped piece stands on its own cell, mirrored or not.
        EXPECT_TRUE(r.bboxMin[0] < r.worldX && r.bboxMax[0] > r.worldX);
        EXPECT_TRUE(r.bboxMin[2] < r.worldZ && r.bboxMax[2] > r.worldZ);
        EXPECT_LE(r.bboxMax[0] - r.bboxMin[0], kCellSize * 1.01f);
    }
    // Each lone special shows on the picture around its cell.
    StartLevel({"", "", "", "", "", "", "        @"});
    const Picture none = DrawFrame();
    for (char code : {'T', 'U', 'V'}) {
        StartLevel({"", "", "", "", std::string("         ") + code, "", "        @"});
        EXPECT_GT(DrawFrame().CountDifferent(none), 200) << "code " << code;
    }
}

TEST_F(Board3D, WallsAndSpecialsBakeShadowsABuriedWallOnlyTheSpecialsAndNoWallsNone)
{
    StartLevel({"", "", "", "", "   $ .   @"});
    ASSERT_TRUE(CurrentScenery().walls.empty());
    DrawFrame();
    const std::vector<uint8_t>& detail = CurrentTheme().detailPixels;
    EXPECT_TRUE(DetailTexels() == detail);
    EXPECT_FALSE(CurrentScenery().bakePending);

    StartLevel({"", "", "", "", "    #       S", "", "          @"});
    DrawFrame();
    const std::vector<uint8_t> baked = DetailTexels();
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

// A window smaller than the bake's picture cannot hold the shadows: the
// detail layer is the picture alone, never pixels from outside the window.
TEST_F(Board3D, ASmallWindowBakesTheDetailPictureAlone)
{
    OpenAt(200, 150);
    StartLevel({"", "", "", "   ####", "   #  #  @", "   ####"});
    DrawFrame();
    EXPECT_TRUE(DetailTexels() == CurrentTheme().detailPixels);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 200);
    EXPECT_EQ(viewport[3], 150);
}

TEST_F(Board3D, ALostBlockBlinksRedAndTheOverlayGivesBackWhatItChanged)
{
    // A block in a corner with no target in its row or column is lost.
    StartLevel({"", "", "", "   #####", "   #$  #   .", "   #  @#", "   #####"});
    ASSERT_EQ(p.blockListCount, 1);
    ASSERT_TRUE(p.blocks[0].lost);
    view.cameraMode = 1;
    view.T = 0;  // overlay fully transparent
    const Picture calm = DrawFrame(0, -60, 0.4f);
    view.T = 100;  // |sin(π/2)|: full red
    const Picture red = DrawFrame(0, -60, 0.4f);
    int redder = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            redder += red.At(x, y).r >= calm.At(x, y).r && red.At(x, y).g + 30 < calm.At(x, y).g;
    EXPECT_GT(redder, 300);

    Model3D& inst = CurrentTheme().blockInstances[2][1];
    Material* m = inst.objects.head->material;
    ASSERT_NE(m, nullptr);
    // Values the overlay must not flatten to "opaque white".
    m->flags |= kMatTwoSided;
    m->transparency = 0.7f;
    m->ambient[0] = 0.3f;
    m->ambient[1] = 0.4f;
    m->ambient[2] = 0.5f;
    const int32_t flags = m->flags, mode = m->transparencyMode;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -0.3f);
    DrawLostOverlay(inst, 50);
    EXPECT_EQ(m->flags, flags);
    EXPECT_EQ(m->transparencyMode, mode);
    EXPECT_EQ(std::vector<float>({m->transparency, m->ambient[0], m->ambient[1], m->ambient[2]}),
              std::vector<float>({0.7f, 0.3f, 0.4f, 0.5f}));
}

TEST_F(Board3D, TheWheelsAreDrawnOnTheirOwnAndHiddenAgain)
{
    StartLevel({"", "", "", "", "", "", "", "         @"});
    view.cameraMode = 1;
    view.reflect = true;
    Theme& t = CurrentTheme();
    const Picture with = DrawFrame(-90, -10, 0.2f);
    for (Objet3D* w : t.wheels)
        EXPECT_EQ(w->visible, 0);
    Objet3D* wheels[4];
    std::copy(t.wheels, t.wheels + 4, wheels);
    std::fill(t.wheels, t.wheels + 4, nullptr);
    const Picture without = DrawFrame(-90, -10, 0.2f);
    std::copy(wheels, wheels + 4, t.wheels);
    EXPECT_GT(with.CountDifferent(without), 500);
}

// Seen from the south over a floor that hides nothing, the reflection of a
// box shows its green south side hanging below the real one. Drawn inside
// out, it would show the inside of its blue north side and red top there.
TEST_F(Board3D, TheReflectionIsNotInsideOutAndAStrengthOfZeroDrawsNone)
{
    const float h = 1.2f, y = 1.0f;
    const struct {
        const char* name;
        float corners[4][3];  // top-left, top-right, bottom-left, bottom-right from outside
        float r, g, b;
    } sides[] = {
        {"top", {{-h, y, -h}, {h, y, -h}, {-h, y, h}, {h, y, h}}, 1, 0, 0},
        {"south", {{-h, y, h}, {h, y, h}, {-h, 0, h}, {h, 0, h}}, 0, 1, 0},
        {"north", {{h, y, -h}, {-h, y, -h}, {h, 0, -h}, {-h, 0, -h}}, 0, 0, 1},
        {"east", {{h, y, h}, {h, y, -h}, {h, 0, h}, {h, 0, -h}}, 0.5f, 0.5f, 0.5f},
        {"west", {{-h, y, -h}, {-h, y, h}, {-h, 0, -h}, {-h, 0, h}}, 0.5f, 0.5f, 0.5f},
    };
    Model3doFile box;
    for (const auto& s : sides) {
        box.objects.push_back(QuadObject(s.name, std::string("box ") + s.name, s.corners));
        box.materials.push_back(FlatColour(std::string("box ") + s.name, s.r, s.g, s.b));
    }
    Model3D& special = CurrentTheme().special;
    SetObjectPath((dir.path() + "/").c_str());
    LoadModel(special, "box.3do", box);
    const float offset[3] = {0, 0, 0}, scale[3] = {kCellSize, kCellSize, kCellSize};
    special.Transform(offset, scale);
    special.ComputeBoundingBox();
    StartLevel({"", "", "", "", "", "", "", "         S", "", "", "", "", "   @"});
    CurrentTheme().settings.reflectStrength = 1.0f;
    view.reflect = true;
    const Picture pic = DrawFrame(0, -15, 0.5f);
    // The bottom of the box's south side, on the screen.
    int x, base;
    CellOnScreen(9.5f, 7.5f + 1.2f, 0, 0, -15, 0.5f, x, base);
    ASSERT_TRUE(base > 10 && base < height - 10);
    const Rgb real = pic.At(x, base - 5), mirrored = pic.At(x, base + 5);
    EXPECT_TRUE(real.g > 200 && real.b + real.r < 60) << real;
    EXPECT_TRUE(mirrored.g > 200 && mirrored.b + mirrored.r < 60) << "the south side's reflection: " << mirrored;

    StartLevel({"", "", "", "   ####", "   #  # $ @", "   ####"});
    CurrentTheme().settings.reflectStrength = 0;
    view.reflect = false;
    const Picture off = DrawFrame(0, -40, 0.6f);
    view.reflect = true;
    EXPECT_EQ(DrawFrame(0, -40, 0.6f).CountDifferent(off, 0), 0);
    CurrentTheme().settings.reflectStrength = 0.5f;
    const Picture reflected = DrawFrame(0, -40, 0.6f);
    EXPECT_GT(reflected.CountDifferent(off, 4), 500);
    // A reflected frame leaves the game's normal state behind: the next
    // frame without it is as before.
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CW);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_BLEND));
    view.reflect = false;
    EXPECT_EQ(DrawFrame(0, -40, 0.6f).CountDifferent(off, 2), 0);
    // The floor's layers merged in two texture units look as their separate
    // blends on a driver with one unit, with the reflection and without.
    const int units = glExtensions.textureUnits;
    glExtensions.textureUnits = 1;
    EXPECT_EQ(DrawFrame(0, -40, 0.6f).CountDifferent(off, 3), 0);
    view.reflect = true;
    EXPECT_EQ(DrawFrame(0, -40, 0.6f).CountDifferent(reflected, 3), 0);
    glExtensions.textureUnits = units;
    // Without a stencil the floor is blended over its reflection everywhere,
    // which must look as the blend over the marked pixels alone.
    const int stencil = context.stencilBits;
    ASSERT_GT(stencil, 0);
    context.stencilBits = 0;
    EXPECT_EQ(DrawFrame(0, -40, 0.6f).CountDifferent(reflected, 3), 0);
    context.stencilBits = stencil;
}

// With a stencil the board's models go before the floor is textured, and the
// reflection only where the floor is left in view; without one the floor goes
// first. Both orders must give one picture, marks on the floor, an explosion
// over the reflection and a model that blends included.
TEST_F(Board3D, TheModelsDrawnBeforeTheFloorLookAsTheFloorDrawnFirst)
{
    StartLevel({"", "", "", "   #######", "   # $.  ####", "   #  @!  $.#", "   # .$  ####", "   #######"}, kEasy);
    Play("rdlu");
    ASSERT_GT(p.trackCount, 0);
    const int stencil = context.stencilBits;
    ASSERT_GE(stencil, 2);
    // Where a model meets the floor, a tie of depths may fall the other way,
    // and the floor drawn first lets a sliver of the mirrored scene show
    // above it: a pixel or two.
    constexpr int kBaseline = 3;
    auto classic = [&] {
        context.stencilBits = 0;
        Picture pic = DrawFrame(10, -45, 0.6f);
        context.stencilBits = stencil;
        return pic;
    };
    const struct {
        const char* name;
        float reflection;
        int stencilBits;
        bool explosion;
    } cases[] = {
        {"no reflection", 0, 8, false},   {"no reflection, one stencil bit", 0, 1, false},
        {"reflection", 0.5f, 8, false},   {"reflection, one stencil bit", 0.5f, 1, false},
        {"full reflection", 1, 8, false}, {"explosion over the reflection", 0.5f, 8, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.explosion) {
            PuzzleInput setOff;
            setOff.setOff = true;
            Play("r");
            UpdatePuzzleFrame(p, setOff, 1.0f);
            ASSERT_GT(p.explosionCount, 0);
            for (int i = 0; i < 12; ++i)
                UpdatePuzzleEffects(p, 1.0f);
        }
        CurrentTheme().settings.reflectStrength = c.reflection;
        view.reflect = c.reflection > 0;
        const Picture expected = classic();
        context.stencilBits = c.stencilBits;
        EXPECT_LE(DrawFrame(10, -45, 0.6f).CountDifferent(expected, 3), kBaseline);
        context.stencilBits = stencil;
    }
    // A block that blends must go over the floor and its reflection: the
    // board keeps the floor first for it.
    for (auto& phases : CurrentTheme().blockInstances)
        for (Model3D& inst : phases)
            for (Objet3D* o = inst.objects.head; o; o = o->next)
                if (o->material) {
                    o->material->flags |= kMatTransparency;
                    o->material->transparencyMode = 1;
                    o->material->transparency = 0.5f;
                }
    BuildSceneryLists(p);
    EXPECT_FALSE(CurrentScenery().opaque);
    EXPECT_LE(DrawFrame(10, -45, 0.6f).CountDifferent(classic(), 3), kBaseline);
}

// Where the models go first the sky is drawn only round the floor's picture;
// from any view it must show where the whole sky drawn showed it.
TEST_F(Board3D, TheSkyDrawnRoundTheFloorShowsWhereTheWholeSkyDid)
{
    StartLevel({"", "", "", "   #####", "   #$ .#", "   # @ #", "   #####"});
    const int stencil = context.stencilBits;
    ASSERT_GT(stencil, 0);
    const struct {
        int cameraMode;
        float yaw, pitch, distance;
    } views[] = {{0, 0, -60, 1.2f}, {0, 40, -30, 0.8f}, {0, -70, -12, 1.5f}, {0, 0, -88, 0.3f}, {1, 30, -20, 0.15f}};
    for (const auto& v : views) {
        view.cameraMode = v.cameraMode;
        const Picture round = DrawFrame(v.yaw, v.pitch, v.distance);
        context.stencilBits = 0;
        const Picture whole = DrawFrame(v.yaw, v.pitch, v.distance);
        context.stencilBits = stencil;
        EXPECT_LE(round.CountDifferent(whole, 3), 3) << v.yaw << " " << v.pitch;
    }
}

// The mark under the pointer goes on after the board, against its depth: a
// wall in front of the marked cell hides it, with the reflection or without.
TEST_F(Board3D, TheCellMarkIsHiddenByAWallInFrontOfIt)
{
    const float yaw = 0, pitch = -20, distance = 1.2f;
    int hiddenX, hiddenY, openX, openY;
    CellOnScreen(6, 4, 0, yaw, pitch, distance, hiddenX, hiddenY);
    CellOnScreen(11, 4, 0, yaw, pitch, distance, openX, openY);
    for (float reflection : {0.0f, 0.5f}) {
        SCOPED_TRACE(reflection);
        CurrentTheme().settings.reflectStrength = reflection;
        view.reflect = reflection > 0;
        StartLevel({"", "", "", "", "", "     ###", "", "         @"});
        const Picture walled = DrawFrame(yaw, pitch, distance);
        DrawCellHighlight(0, CarPlace{}, 6, 4);
        DrawCellHighlight(0, CarPlace{}, 11, 4);
        const Picture marked = ReadPicture();
        StartLevel({"", "", "", "", "", "", "", "         @"});
        ASSERT_FALSE(Near(walled.At(hiddenX, hiddenY), DrawFrame(yaw, pitch, distance).At(hiddenX, hiddenY), 20))
            << "the wall stands in front of the cell";
        EXPECT_TRUE(Near(marked.At(hiddenX, hiddenY), walled.At(hiddenX, hiddenY), 2)) << "hidden";
        EXPECT_FALSE(Near(marked.At(openX, openY), walled.At(openX, openY), 10)) << "in the open";
    }
}

TEST_F(Board3D, AnExplosionIsDrawnAndTheBlownWallLeavesTheScenery)
{
    StartLevel(
        {"", "", "", "", "     ##########", "     #   #    #", "     # !@#  . #", "     #   # $  #", "     ##########"},
        kEasy);
    Play("l");
    ASSERT_NE(p.bombCarried, 0) << "the bomb is picked up";
    Play("r");
    const size_t walls = CurrentScenery().walls.size();
    PuzzleInput setOff;
    setOff.setOff = true;
    UpdatePuzzleFrame(p, setOff, 1.0f);
    ASSERT_GT(p.explosionCount, 0);
    EXPECT_LT(CurrentScenery().walls.size(), walls);
    for (int i = 0; i < 12; ++i)
        UpdatePuzzleEffects(p, 1.0f);
    view.cameraMode = 1;
    const Picture blast = DrawFrame(0, -50, 0.6f);
    blast.SaveToGallery("scene_explosion.png");  // the gallery's, no assertion
    for (int i = 0; i < 80; ++i)
        UpdatePuzzleEffects(p, 1.0f);
    EXPECT_EQ(p.explosionCount, 0);
    EXPECT_GT(blast.CountDifferent(DrawFrame(0, -50, 0.6f)), 2000);
}

TEST_F(Board3D, NothingIsDrawnWithoutAThemeAndListsMadeWithoutItAreMadeAgain)
{
    FreeTheme();
    StartLevel({"", "  ###", "  # #", "  ###", "", "       @", "", "   S"});
    for (const SceneryRecord& r : CurrentScenery().walls)
        ASSERT_EQ(r.model, nullptr);
    glClearColor(0.2f, 0.3f, 0.4f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    DrawBoard(context, p, view);
    EXPECT_NEAR(ReadPicture().At(width / 2, height / 2).g, 77, 1);
    EXPECT_FALSE(CreateDetailTexture(context));
    // The next frame with a theme makes them again, with its models and a new bake.
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
