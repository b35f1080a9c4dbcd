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

// Six blocks, a group of statues and a lone one, bombs.
const std::vector<std::string> kLevel = {
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
    const struct {
        const char* file;
        int difficulty;
        const char* keys;
        BoardView view;
        float yaw, pitch, distance;
    } shots[] = {
        {"scene_midplay.png", kNormal, "lluuull", {0, 40, false}, 0, -60, 1.2f},
        {"scene_midplay_closeup.png", kNormal, "lluuull", {1, 40, false}, 20, -50, 0.6f},
        {"scene_reflection_on.png", kNormal, "ll", {1, 20, true}, 30, -35, 0.7f},
        {"scene_hard_mirrored.png", kHard, "", {0, 30, false}, 0, -60, 1.2f},
    };
    for (const auto& s : shots) {
        hooks.randomValues = {1, 1};  // on Hard: mirrored both ways
        StartLevel(kLevel, s.difficulty);
        Play(s.keys);
        view = s.view;
        DrawFrame(s.yaw, s.pitch, s.distance).SaveToGallery(s.file);
    }
}

}  // namespace
