// The real game played with the mouse alone: level 1 won by clicks on the
// cells the car should reach, aimed through the play camera's own mapping.
#include "app/base/exception.h"
#include "gamedriver.h"
#include "persist/score.h"
#include "puzzle/tableau.h"
#include "scene/camera.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

// The middle of the pixels of a 640 × 480 window that the default camera
// shows cell (x, y) under.
bool CellPixel(int x, int y, int& px, int& py)
{
    long sx = 0, sy = 0, n = 0;
    for (int j = 0; j < 480; j += 2)
        for (int i = 0; i < 640; i += 2) {
            int cx, cy;
            if (CellUnderPointer(DefaultCamera(0), 0, CarPlace{}, i, j, 640, 480, 45, cx, cy) && cx == x && cy == y)
                sx += i, sy += j, ++n;
        }
    if (n == 0)
        return false;
    px = int(sx / n), py = int(sy / n);
    return true;
}

TEST(GameEndToEnd, LevelOneWonByMouseClicksAlone)
{
    ScopedTempDir dir;
    std::filesystem::create_directory_symlink(RunDir() + "/data", "data");
    WriteTestFile("game.ini", "[Game]\nWidth=640\nHeight=480\nSpeed=25\nReflect=1\n");
    std::string bytes, why;
    LevelFileData level;
    ASSERT_TRUE(ReadLevelFileBytes("", 0, bytes) && DecodeLevelFile(bytes, level, why)) << why;
    int car = -1, block = -1, target = -1;
    for (int i = 0; i < kCellCount; ++i) {
        const int c = level.cells[i];
        car = c == kCellCarStart ? i : car;
        block = IsBlockCode(c) ? i : block;
        target = c == kCellTarget ? i : target;
    }
    // Level 1 lines them up in one row: the car drives beside the block, then
    // a click on the target pushes the block there.
    ASSERT_TRUE(car / kPlayWidth == block / kPlayWidth && block / kPlayWidth == target / kPlayWidth);
    const int side = block < target ? -1 : 1;

    Game game;
    ReachMenus(game);
    game.Key("Return");  // Game
    game.Key("Return");  // Play
    std::this_thread::sleep_for(1s);
    game.Key("space");
    std::this_thread::sleep_for(800ms);
    const std::string window = Shell("xdotool search --onlyvisible --name '^Pondrake$' 2>/dev/null | head -1");
    for (int cell : {block + side, target}) {
        if (cell == car)
            continue;
        int px, py;
        ASSERT_TRUE(CellPixel(cell % kPlayWidth, cell / kPlayWidth, px, py));
        Shell(FormatText("xdotool mousemove --window %s %d %d click 1", window.c_str(), px, py));
        std::this_thread::sleep_for(3s);
    }
    game.Picture("mouse_level1_won");
    game.Key("Return", 1000ms);  // the record, under the name offered
    const std::string scores = ReadTestFile("score.vro");
    ASSERT_EQ(scores.size(), size_t(kScoreFileBytes));
    int32_t moves = 0;
    std::memcpy(&moves, scores.data() + 20, 4);
    EXPECT_EQ(moves, std::abs(target - block) + std::abs(block + side - car)) << "every step counted, none more";
    EXPECT_EQ(ReadTestFile("level/leveldata.dat")[0], 1) << "level 1 done";
}

}  // namespace
