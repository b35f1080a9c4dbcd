// Pictures of the play screen for a person to look at (build/test-output),
// each with the checks a picture allows: something of what must be there is
// there, and what must change between two pictures does change.
#include "scene_helpers.h"

namespace {

class Screenshot : public SceneTest {
protected:
    void SetUp() override
    {
        width = 1024;
        height = 768;
        SceneTest::SetUp();
        if (HasFatalFailure())
            return;
        LoadGameTheme();
    }

    // Window position of a board cell's centre at height y (cells) under the
    // camera the last frame used.
    void CellOnScreen(float x, float z, float y, int& sx, int& sy)
    {
        GLdouble mv[16], pr[16];
        GLint vp[4];
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        ApplyCamera(lastYaw, lastPitch, lastDistance);
        glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
        glGetDoublev(GL_MODELVIEW_MATRIX, mv);
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, pr);
        glGetIntegerv(GL_VIEWPORT, vp);
        GLdouble wx, wy, wz;
        gluProject(x * kCellSize, y * kCellSize, z * kCellSize, mv, pr, vp, &wx, &wy, &wz);
        sx = int(wx);
        sy = height - 1 - int(wy);
    }

    Picture Frame(float yaw, float pitch, float distance)
    {
        lastYaw = yaw;
        lastPitch = pitch;
        lastDistance = distance;
        return DrawFrame(yaw, pitch, distance);
    }

    float lastYaw = 0, lastPitch = -60, lastDistance = 1.2f;
};

// A first level: one block, one target, a room with an inner wall.
const std::vector<std::string> kFirstLevel = {
    "",
    "",
    "",
    "     ##########",
    "     #        #",
    "     #  $   . #",
    "     # @  ##  #",
    "     #    #   #",
    "     ##########",
};

// A harder one: six blocks, a group of statues and a lone one, bombs.
//                         1111111111
//               01234567890123456789
const std::vector<std::string> kHarderLevel = {
    "",
    "  ################",
    "  #. $    #   #  #",
    "  #       #   # !#",
    "  #  .    ##$##  #",
    "  # 67  @    .   #",
    "  # 89 $     6   #",
    "  #  .  ####     #",
    "  ##### #  #  $  #",
    "  #  !  #$ #   . #",
    "  #  *     #     #",
    "  ################",
};

// A bomb beside the car, a wall on the car's right.
const std::vector<std::string> kBombLevel = {
    "",
    "",
    "",
    "",
    "     ##########",
    "     #   #    #",
    "     # !@#  . #",
    "     #   # $  #",
    "     ##########",
};

TEST_F(Screenshot, FirstLevelAtItsStart)
{
    // The shipped first level when the build has it, else one of our own.
    const bool shipped = TestFileExists(RunDir() + "/data/level/level1.lvl");
    if (shipped)
        StartLevelFrom(GameDataPrefix().c_str(), 0, kNormal);
    else
        StartLevel(SceneLevel(kFirstLevel));
    Picture pic = Frame(0, -60, 1.2f);
    pic.Save("scene_level1_start.png");
    EXPECT_GT(CurrentScenery().walls.size(), 0u);
    if (!shipped) {
        // The block stands at (8, 5): its top is lit and not the floor's colour.
        int sx, sy;
        CellOnScreen(8, 5, 0.6f, sx, sy);
        const Rgb block = pic.At(sx, sy);
        CellOnScreen(8, 10, 0, sx, sy);
        const Rgb floor = pic.At(sx, sy);
        EXPECT_GT(std::abs(block.r - floor.r) + std::abs(block.g - floor.g) + std::abs(block.b - floor.b), 60);
    }
}

TEST_F(Screenshot, HarderLevelMidPlayWithABlockFixedOnItsTarget)
{
    StartLevel(SceneLevel(kHarderLevel));
    Play("lluuull");
    ASSERT_EQ(p.board.At(3, 2), kCellBlockFixed) << "the block in the corner target is fixed";
    int fixedBlocks = 0;
    for (int i = 0; i < p.blockListCount; ++i)
        fixedBlocks += p.blocks[i].onTarget;
    EXPECT_GE(fixedBlocks, 1);
    EXPECT_GT(p.trackCount, 0);
    view.T = 40;
    Picture pic = Frame(0, -60, 1.2f);
    pic.Save("scene_midplay.png");
    view.cameraMode = 1;
    Picture close = Frame(20, -50, 0.6f);
    close.Save("scene_midplay_closeup.png");
    EXPECT_GT(pic.CountDifferent(close), width * height / 4);
}

// The shipped seventh level (statues and bombs) played through its stored
// solution, on Hard as the playback does, until a block is fixed on its
// target.
TEST_F(Screenshot, ShippedLevelSevenMidPlay)
{
    if (!TestFileExists(RunDir() + "/data/level/level7.lvl"))
        GTEST_SKIP() << "the build has no level 7";
    StartSolution(p, 6, GameDataPrefix().c_str());
    BuildSceneryLists(p);
    auto fixedBlock = [&] {
        for (int i = 0; i < p.blockListCount; ++i)
            if (p.blocks[i].onTarget)
                return true;
        return false;
    };
    for (int frame = 0; frame < 100000 && !fixedBlock(); ++frame) {
        const PuzzleFrameResult r = UpdatePuzzleFrame(p, PuzzleInput(), 1.0f);
        UpdatePuzzleEffects(p, 1.0f);
        ASSERT_FALSE(r.playbackEnded) << "the solution ended before a block was fixed";
    }
    view.T = 70;
    Picture pic = Frame(0, -60, 1.2f);
    pic.Save("scene_level7_midplay.png");
    bool statue = false;
    for (const SceneryRecord& r : CurrentScenery().props)
        statue = statue || r.model != nullptr;
    EXPECT_TRUE(statue) << "level 7 has special blocks";
    StopSolution(p);
}

TEST_F(Screenshot, ExplosionOnEasy)
{
    StartLevel(SceneLevel(kBombLevel), kEasy);
    Press(kDirLeft);
    ASSERT_NE(p.bombCarried, 0) << "the bomb is picked up";
    Press(kDirRight);
    const size_t wallsBefore = CurrentScenery().walls.size();
    PuzzleInput setOff;
    setOff.setOff = true;
    UpdatePuzzleFrame(p, setOff, 1.0f);
    ASSERT_GT(p.explosionCount, 0);
    EXPECT_LT(CurrentScenery().walls.size(), wallsBefore) << "the blown wall left the scenery";
    for (int i = 0; i < 12; ++i)
        UpdatePuzzleEffects(p, 1.0f);
    view.T = 10;
    view.cameraMode = 1;
    Picture blast = Frame(0, -50, 0.6f);
    blast.Save("scene_explosion.png");
    for (int i = 0; i < 80; ++i)
        UpdatePuzzleEffects(p, 1.0f);
    EXPECT_EQ(p.explosionCount, 0);
    Picture after = Frame(0, -50, 0.6f);
    after.Save("scene_explosion_after.png");
    EXPECT_GT(blast.CountDifferent(after), 2000) << "the explosion is drawn";
}

TEST_F(Screenshot, ReflectionOnAndOff)
{
    StartLevel(SceneLevel(kHarderLevel));
    Play("ll");
    view.T = 20;
    view.cameraMode = 1;
    view.reflect = false;
    Picture off = Frame(30, -35, 0.7f);
    off.Save("scene_reflection_off.png");
    view.reflect = true;
    Picture on = Frame(30, -35, 0.7f);
    on.Save("scene_reflection_on.png");
    EXPECT_GT(on.CountDifferent(off, 4), 2000);
    // The state the frame leaves behind is the game's normal one.
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CW);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // The picture after a reflected frame is the same as before it.
    view.reflect = false;
    Picture again = Frame(30, -35, 0.7f);
    EXPECT_EQ(again.CountDifferent(off, 2), 0);
}

TEST_F(Screenshot, HardBoardMirrored)
{
    hooks.random = 1;  // both mirrorings
    StartLevel(SceneLevel(kHarderLevel), kHard);
    // The corner target at (3, 2) is now at (16, 12); the statues' group
    // keeps its layout, the lone statue turns into code 39.
    EXPECT_EQ(p.board.At(16, 12), kCellTarget);
    EXPECT_EQ(p.board.At(6, 8), 39);
    bool loneDrawn = false;
    for (const SceneryRecord& r : CurrentScenery().props)
        loneDrawn = loneDrawn || (r.code == 39 && r.mirrorX < 0 && r.mirrorZ < 0);
    EXPECT_TRUE(loneDrawn);
    view.T = 30;
    Picture pic = Frame(0, -60, 1.2f);
    pic.Save("scene_hard_mirrored.png");
}

}  // namespace
