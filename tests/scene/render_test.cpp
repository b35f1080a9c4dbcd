// What the renderer's shortcuts must not change: a block on its target is
// marked, the fixed scenery's batches hold every piece once, and the
// reflection of a bomb beyond the view's top edge is still drawn; and the
// frame pacing where the display does not pace the swaps.
#include "scene_fixture.h"

#include <array>

namespace {

class Render : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        if (!HasFatalFailure())
            LoadGameTheme();
    }
    // Level 151 on Hard has all five colours.
    void Start(const std::vector<std::string>& rows, int difficulty)
    {
        driver.StartData(LevelFromText(rows), difficulty, 150);
        CopyThemeToPuzzle(p);
        BuildSceneryLists(p);
    }
    // Pixels differing within the strip in front of cell (x, z) on screen:
    // outside the cell, where neither the block nor its target's own mark is.
    int DifferentInFront(const Picture& a, const Picture& b, int x, int z)
    {
        int x0, y0, x1, y1;
        CellOnScreen(x - 0.9f, z + 0.9f, 0, 0, -60, 1.2f, x0, y1);
        CellOnScreen(x + 0.9f, z + 0.55f, 0, 0, -60, 1.2f, x1, y0);
        return a.CountDifferent(b, 24, x0, y0, x1, y1);
    }
};

TEST_F(Render, ABlockOnATargetIsMarkedInEveryColourSizeAndReflection)
{
    // The rows swap blocks on targets and blocks off them, so each block
    // keeps its place, its colour and its neighbours.
    const std::vector<std::string> onTop = {
        "", "", "", "", "   *  *  *  *  *", "", "", "", "   $  $  $  $  $", "", "", "", "   .  .  .  .  .", "", "   @"};
    const std::vector<std::string> onBottom = {
        "", "", "", "", "   $  $  $  $  $", "", "", "", "   *  *  *  *  *", "", "", "", "   .  .  .  .  .", "", "   @"};
    struct Case {
        int w, h;
        bool reflect;
        int difficulty;
    };
    for (const Case& c : {Case{640, 480, false, kNormal}, Case{640, 480, true, kHard}, Case{1024, 768, true, kNormal},
                          Case{1024, 768, false, kHard}}) {
        OpenAt(c.w, c.h);
        view.reflect = c.reflect;
        Start(onTop, c.difficulty);
        ASSERT_EQ(p.board.At(3, 4), kCellBlockOnTarget);
        const Picture top = DrawFrame();
        Start(onBottom, c.difficulty);
        const Picture bottom = DrawFrame();
        const std::string name = "scene_on_target_" + std::to_string(c.w) + (c.reflect ? "_reflect" : "") +
                                 (c.difficulty == kHard ? "_hard" : "") + ".png";
        top.SaveToGallery(name);
        for (int x = 3; x <= 15; x += 3) {
            // A cell of about 40 pixels at 1024 × 768: the mark covers a good
            // part of the strip in front of it.
            const int least = c.w * c.w / 6000;
            EXPECT_GT(DifferentInFront(top, bottom, x, 4), least) << name << " top, column " << x;
            EXPECT_GT(DifferentInFront(bottom, top, x, 8), least) << name << " bottom, column " << x;
        }
    }
}

TEST_F(Render, TheFloorDrawnLevelByLevelLooksAsItsMipmappedTextureWould)
{
    struct View {
        float yaw, pitch, distance;
        bool reflect;
    };
    // Over a clear colour of its own and no sky, the gaps the floor's pieces
    // leave.
    auto Cracks = [&](const View& v) {
        Theme& th = CurrentTheme();
        const std::array<float, 3> background = {th.settings.background[0], th.settings.background[1],
                                                 th.settings.background[2]};
        th.settings.background[0] = th.settings.background[2] = 1;
        th.settings.background[1] = 0;
        Objet3D* sky = th.background.objects.head;
        th.background.objects.head = nullptr;
        const Picture pic = DrawFrame(v.yaw, v.pitch, v.distance);
        th.background.objects.head = sky;
        std::copy(background.begin(), background.end(), th.settings.background);
        return pic.CountGaps(Rgb{255, 0, 255});
    };
    for (const int w : {640, 1280}) {
        OpenAt(w, w * 3 / 4);
        Start({"", "", "   #####", "   #$ .#", "   # @ #", "   #####"}, kNormal);
        GLTexture& texture = *CurrentTheme().floorMaterial->texture;
        for (const View& v : {View{0, -60, 1.2f, false}, View{20, -50, 0.6f, true}, View{30, -35, 0.7f, true}}) {
            view.reflect = v.reflect;
            const Picture levelled = DrawFrame(v.yaw, v.pitch, v.distance);
            ASSERT_GT(CurrentTheme().floorLevels.Count(), 5) << "the floor's levels were copied";
            EXPECT_EQ(Cracks(v), 0) << w << " " << v.yaw;
            // Without the flag the floor is one quad over the mipmapped
            // texture, whose GL filters are unchanged.
            texture.mipmap = 0;
            const Picture whole = DrawFrame(v.yaw, v.pitch, v.distance);
            texture.mipmap = 1;
            // Where a level changes inside a cell, that cell's rim and grout
            // differ by a level's sharpness.
            EXPECT_LE(levelled.CountDifferent(whole, 8), w * w / 130) << w << " " << v.yaw;
        }
    }
}

TEST_F(Render, TheBatchesHoldEveryPieceOnceWithItsMaterial)
{
    StartLevel({"", "  ####", "  #  S", "  #", "     T  U  V", "", "  @ $ ."});
    size_t triangles = 0;
    for (const auto* list : {&CurrentScenery().walls, &CurrentScenery().props})
        for (const SceneryRecord& r : *list)
            for (const Objet3D* o = r.model->objects.head; o; o = o->next)
                triangles += o->faceCount;
    size_t batched = 0;
    for (const SceneryBatch& b : CurrentScenery().batches) {
        batched += b.faces.size() / 3;
        EXPECT_EQ(b.points.size() / 3, b.texCoords.size() / 2);
        for (uint32_t i : b.faces)
            ASSERT_LT(i, b.points.size() / 3);
        for (const SceneryBatch& other : CurrentScenery().batches)
            EXPECT_TRUE(&other == &b || other.material != b.material || other.smooth != b.smooth);
    }
    EXPECT_EQ(batched, triangles);
    EXPECT_LE(CurrentScenery().batches.size(), 5u) << "walls and statues have five materials";
}

TEST_F(Render, ABombAboveTheTopEdgeStillHasItsReflection)
{
    const std::vector<std::string> rows = {"", "", "", "", "", "", "", "          !", "", "", "          @", "", "$ ."};
    std::vector<std::string> none = rows;
    none[7] = "";
    // Close behind the car looking down, the view's top edge passes just
    // below the bomb, and its reflection lies inside the view.
    view.cameraMode = 1;
    int different[2];
    for (bool reflect : {false, true}) {
        view.reflect = reflect;
        StartLevel(rows, kEasy);
        const Picture withBomb = DrawFrame(0, -70, 0.15f);
        StartLevel(none, kEasy);
        different[reflect] = withBomb.CountDifferent(DrawFrame(0, -70, 0.15f), 24);
    }
    ASSERT_EQ(different[false], 0) << "the bomb itself is out of sight";
    EXPECT_GT(different[true], 50);
}

TEST(FramePace, WaitsOnlyForWhatIsLeftOfTheShortestFrame)
{
    const struct {
        uint32_t start, now, wait;
    } rows[] = {{100, 100, 8}, {100, 103, 5}, {100, 108, 0}, {100, 150, 0}, {0xFFFFFFFEu, 2, 4}};
    for (const auto& r : rows)
        EXPECT_EQ(FramePaceDelay(r.start, r.now, 8), r.wait) << r.start << " " << r.now;
}

}  // namespace
