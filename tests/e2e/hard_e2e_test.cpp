// A player without a mouse chooses Hard on level 2's start screen with the
// keyboard; the game saved there says Hard.
#include "gamedriver.h"

#include <cstdint>
#include <cstring>
#include <filesystem>

namespace {

TEST(GameEndToEnd, HardChosenWithTheKeyboardIsTheSavedGamesDifficulty)
{
    ScopedTempDir dir;
    std::filesystem::create_directory_symlink(RunDir() + "/data", "data");
    WriteTestFile("game.ini", "[Game]\nSpeed=25\nReflect=0\n");  // a slow car: one held key, one step
    Game game;
    ReachMenus(game);
    game.Key("Return");  // Game
    game.Key("Return");  // Play: level 1, won by three pushes to the right
    game.Key("space", 500ms);
    for (int i = 0; i < 3; ++i)
        game.Step("Right");
    std::this_thread::sleep_for(800ms);
    game.Key("Return", 1000ms);  // the record under the name offered
    game.Key("Right", 1500ms);   // level 2 starts at Normal: one to the right is Hard
    game.Picture("level2_start_hard");
    game.Key("space", 500ms);
    game.Key("F2", 500ms);
    game.Key("Down", 150ms);  // the first slot
    game.Key("Return", 500ms);
    const std::string saved = ReadTestFile("save/save00.vro");
    ASSERT_GE(saved.size(), 8u);
    int32_t level = 0, difficulty = 0;
    std::memcpy(&level, saved.data(), 4);
    std::memcpy(&difficulty, saved.data() + 4, 4);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(difficulty, 3) << "Hard";
    game.Key("F3", 500ms);
    game.Picture("load_slots_hard");
}

}  // namespace
