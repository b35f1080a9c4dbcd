// Sixty levels in the real game: a code from page 3, then the same level
// reached through the level list's pages.
#include "gamedriver.h"
#include "persist/savegame.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(CodeEndToEnd, ACodeFromPageThreeThenTheLevelListStartsThatLevel)
{
    ScopedTempDir dir;
    fs::create_directory_symlink(RunDir() + "/data", "data");
    Game game;
    ReachMenus(game);
    game.Key("Return");  // Game
    game.Key("Down");    // Level code
    game.Key("Return", 500ms);
    game.Type(LevelCodeOf(25));
    game.Key("Return", 1500ms);
    game.Picture("level25_start");
    std::string progress = ReadTestFile("level/leveldata.dat");
    ASSERT_EQ(progress.size(), size_t(kLevelCount));
    EXPECT_EQ(progress.find('\0'), 24u) << "the levels before 25 are done, 25 is not";
    EXPECT_EQ(progress.find_last_of('\1'), 23u);
    game.Key("space", 500ms);   // play
    game.Key("Escape", 500ms);  // the in-game menu; its Quit shows the records
    game.Key("Up");
    game.Key("Return", 1500ms);
    game.Key("Escape", 800ms);

    // The level list: two pages on, five rows down is level 25.
    game.Key("Return");  // Game
    game.Key("Down");
    game.Key("Down");  // Level
    game.Key("Return", 500ms);
    game.Key("Right");
    game.Key("Right");
    for (int i = 0; i < 4; ++i)
        game.Key("Down", 150ms);
    game.Picture("level_list_page3");
    game.Key("Return", 1500ms);
    game.Key("space", 500ms);
    game.Key("F2", 500ms);
    game.Key("Down", 150ms);  // slot 0
    game.Key("Return", 500ms);
    SlotData slot;
    ASSERT_EQ(DecodeSlot(ReadTestFile("save/save00.vro"), slot), SlotFault::None);
    EXPECT_EQ(slot.level, 24);
}

}  // namespace
