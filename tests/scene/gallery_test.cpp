// The scene's gallery: pictures of the intro, the menus and the play screen
// for a person to look at (build/test-output/scene_*.png). Saving them is no
// assertion; what the pictures show is checked by the other scene tests.
#include "intro_driver.h"
#include "scene_fixture.h"

namespace {

class MenuGallery : public SceneTest {};

TEST_F(MenuGallery, TheIntroLogo)
{
    FakeIntroDriver d;
    d.step = 500;  // 30 time units per frame
    Picture flying, standing;
    d.onFrame = [&](int frame, uint32_t) {
        if (frame == 2)
            flying = ReadPicture();
        if (frame == 7)
            standing = ReadPicture();
    };
    PlayIntro(context, kIntroColours, &d);
    flying.SaveToGallery("scene_intro_flying.png");
    standing.SaveToGallery("scene_intro.png");
}

TEST_F(MenuGallery, TheMainMenuWithAndWithoutTheCar)
{
    ASSERT_TRUE(InitPelmo3D(GameDataPrefix().c_str(), settings));
    ASSERT_TRUE(InitObjetMenu(GameDataPrefix().c_str()));
    glMatrixMode(GL_MODELVIEW);
    for (bool car : {true, false}) {
        AdvanceMenuScene(car ? 30 : 0, car);
        glLoadIdentity();
        ApplyCamera(0, 0, 1.5f);
        SetMenuLights();
        DrawMenuScene(car);
        ReadPicture().SaveToGallery(car ? "scene_menu.png" : "scene_menu_nocar.png");
    }
}

class PlayScreenGallery : public SceneTest {
protected:
    PlayScreenGallery()
    {
        width = 1024;
        height = 768;
    }
    void SetUp() override
    {
        SceneTest::SetUp();
        if (!HasFatalFailure())
            LoadGameTheme();
    }
};

// A bomb beside the car, a wall on the car's right.
const std::vector<std::string> kBombLevel = {
    "", "", "", "", "     ##########", "     #   #    #", "     # !@#  . #", "     #   # $  #", "     ##########"};

// A harder level: six blocks, a group of statues and a lone one, bombs.
const std::vector<std::string> kHarderLevel = {
    "",
    "  ################",
    "  #. $    #   #  #",
    "  #       #   # !#",
    "  #  .    ##$##  #",
    "  # ST  @    .   #",
    "  # UV $     S   #",
    "  #  .  ####     #",
    "  ##### #  #  $  #",
    "  #  !  #$ #   . #",
    "  #  *     #     #",
    "  ################",
};

TEST_F(PlayScreenGallery, TheShippedFirstLevelAtItsStart)
{
    if (!TestFileExists(RunDir() + "/data/level/level1.lvl"))
        GTEST_SKIP() << "the build has no level 1";
    LoadLevel(p, 0, GameDataPrefix().c_str());
    p.difficulty = kNormal;
    StartLevelBoard(p, 0);
    ExamineBlocks(p);
    CopyThemeToPuzzle(p);
    BuildSceneryLists(p);
    DrawFrame().SaveToGallery("scene_level1_start.png");
}

TEST_F(PlayScreenGallery, AHarderLevelMidPlayFromAboveAndBehindTheCar)
{
    StartLevel(kHarderLevel);
    Play("lluuull");
    ASSERT_EQ(p.board.At(3, 2), kCellBlockFixed) << "the block in the corner target is fixed";
    view.T = 40;
    DrawFrame().SaveToGallery("scene_midplay.png");
    view.cameraMode = 1;
    DrawFrame(20, -50, 0.6f).SaveToGallery("scene_midplay_closeup.png");
}

// The shipped seventh level (statues and bombs) played through its stored
// solution, on Hard as the playback does, until a block is fixed.
TEST_F(PlayScreenGallery, ShippedLevelSevenMidPlay)
{
    if (!TestFileExists(RunDir() + "/data/level/level7.lvl"))
        GTEST_SKIP() << "the build has no level 7";
    StartSolution(p, 6, GameDataPrefix().c_str());
    BuildSceneryLists(p);
    for (int frame = 0; frame < 100000 && std::none_of(p.blocks, p.blocks + p.blockListCount,
                                                       [](const BlockRecord& b) { return b.onTarget; });
         ++frame) {
        ASSERT_FALSE(UpdatePuzzleFrame(p, PuzzleInput(), 1.0f).playbackEnded) << "no block fixed";
        UpdatePuzzleEffects(p, 1.0f);
    }
    view.T = 70;
    DrawFrame().SaveToGallery("scene_level7_midplay.png");
    StopSolution(p);
}

TEST_F(PlayScreenGallery, AnExplosionOnEasyAndTheBoardAfterIt)
{
    StartLevel(kBombLevel, kEasy);
    Play("lr");
    PuzzleInput setOff;
    setOff.setOff = true;
    UpdatePuzzleFrame(p, setOff, 1.0f);
    ASSERT_GT(p.explosionCount, 0);
    for (int i = 0; i < 12; ++i)
        UpdatePuzzleEffects(p, 1.0f);
    view.T = 10;
    view.cameraMode = 1;
    DrawFrame(0, -50, 0.6f).SaveToGallery("scene_explosion.png");
    for (int i = 0; i < 80; ++i)
        UpdatePuzzleEffects(p, 1.0f);
    DrawFrame(0, -50, 0.6f).SaveToGallery("scene_explosion_after.png");
}

TEST_F(PlayScreenGallery, TheReflectionOffAndOn)
{
    StartLevel(kHarderLevel);
    Play("ll");
    view.T = 20;
    view.cameraMode = 1;
    for (bool reflect : {false, true}) {
        view.reflect = reflect;
        DrawFrame(30, -35, 0.7f).SaveToGallery(reflect ? "scene_reflection_on.png" : "scene_reflection_off.png");
    }
}

TEST_F(PlayScreenGallery, AHardBoardMirrored)
{
    hooks.randomValues = {1, 1};  // both mirrorings
    StartLevel(kHarderLevel, kHard);
    ASSERT_EQ(p.board.At(16, 12), kCellTarget) << "the corner target at (3, 2) mirrored";
    view.T = 30;
    DrawFrame().SaveToGallery("scene_hard_mirrored.png");
}

}  // namespace
