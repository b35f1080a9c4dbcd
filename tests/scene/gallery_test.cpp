// The scene's gallery: the play screen for a person to look at
// (build/test-output/scene_*.png; the intro and menu pictures are saved by
// their own tests). Saving them is no assertion; what the pictures show is
// checked by the other scene tests.
#include "scene_fixture.h"

namespace {

class PlayScreenGallery : public SceneTest {
protected:
    PlayScreenGallery()
    {
        width = 1024;
        height = 768;
    }
};

// A bomb beside the car, a wall on the car's right.
const std::vector<std::string> kBombLevel = {
    "", "", "", "", "     ##########", "     #   #    #", "     # !@#  . #", "     #   # $  #", "     ##########"};

// Six blocks, a group of statues and a lone one, bombs.
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

TEST_F(PlayScreenGallery, TheBoardInPlay)
{
    LoadGameTheme();
    if (TestFileExists(RunDir() + "/data/level/level1.lvl")) {
        LoadLevel(p, 0, GameDataPrefix().c_str());
        p.difficulty = kNormal;
        StartLevelBoard(p, 0);
        ExamineBlocks(p);
        CopyThemeToPuzzle(p);
        BuildSceneryLists(p);
        DrawFrame().SaveToGallery("scene_level1_start.png");
    }
    const struct {
        const char* file;
        const std::vector<std::string>& level;
        int difficulty;
        const char* keys;
        int blastFrames;  // effect frames after setting the carried bomb off; -1: none
        float T;
        int cameraMode;
        bool reflect;
        float yaw, pitch, distance;
    } shots[] = {
        {"scene_midplay.png", kHarderLevel, kNormal, "lluuull", -1, 40, 0, false, 0, -60, 1.2f},
        {"scene_midplay_closeup.png", kHarderLevel, kNormal, "lluuull", -1, 40, 1, false, 20, -50, 0.6f},
        {"scene_explosion.png", kBombLevel, kEasy, "lr", 12, 10, 1, false, 0, -50, 0.6f},
        {"scene_explosion_after.png", kBombLevel, kEasy, "lr", 92, 10, 1, false, 0, -50, 0.6f},
        {"scene_reflection_off.png", kHarderLevel, kNormal, "ll", -1, 20, 1, false, 30, -35, 0.7f},
        {"scene_reflection_on.png", kHarderLevel, kNormal, "ll", -1, 20, 1, true, 30, -35, 0.7f},
        {"scene_hard_mirrored.png", kHarderLevel, kHard, "", -1, 30, 0, false, 0, -60, 1.2f},
    };
    for (const auto& s : shots) {
        hooks.randomValues = {1, 1};  // on Hard: mirrored both ways
        StartLevel(s.level, s.difficulty);
        Play(s.keys);
        if (s.blastFrames >= 0) {
            PuzzleInput setOff;
            setOff.setOff = true;
            UpdatePuzzleFrame(p, setOff, 1.0f);
            for (int i = 0; i < s.blastFrames; ++i)
                UpdatePuzzleEffects(p, 1.0f);
        }
        view = BoardView{s.cameraMode, s.T, s.reflect};
        DrawFrame(s.yaw, s.pitch, s.distance).SaveToGallery(s.file);
    }
}

}  // namespace
