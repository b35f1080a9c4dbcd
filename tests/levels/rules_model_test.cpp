// The board model the compiler and the solver play by.
#include "board_model.h"
#include "level_source.h"

#include <gtest/gtest.h>

using namespace lvl;

namespace {

// A board from rows of text placed at the top-left corner: '#' wall, '$'
// block, '*' block on a target, '%' fixed block, '.' target, '!' bomb,
// '6' special block, '@' car start; anything else floor.
Board BoardOf(std::initializer_list<const char*> rows, int x0 = 0, int y0 = 0)
{
    Board b = MakeEmptyBoard();
    int y = y0;
    for (const char* r : rows) {
        for (int x = x0; *r; ++r, ++x) {
            uint8_t c = kFloor;
            switch (*r) {
            case '#': c = kWallFirst; break;
            case '$': c = kBlock; break;
            case '*': c = kPlaced; break;
            case '%': c = kFixed; break;
            case '.': c = kTarget; break;
            case '!': c = kBomb; break;
            case '6': c = 36; break;
            case '@': c = kCarStart; break;
            }
            b.at(x, y) = c;
        }
        ++y;
    }
    ShapeAllWalls(b);
    return b;
}

}  // namespace

TEST(BoardModel, EdgeColumnScansBothWaysForATarget)
{
    // A block in column 0 with a target below it is not lost; the downward
    // scan must pass floor cells and find the target.
    Board b = BoardOf({" ", "$", " ", ".", " ", "#"}, 0, 3);
    EXPECT_FALSE(ModelBlockLost(b, CellIndex(0, 4)));
    // Nothing below or above but floor up to walls: lost.
    b = BoardOf({"#", " ", "$", " ", "#"}, 0, 3);
    EXPECT_TRUE(ModelBlockLost(b, CellIndex(0, 5)));
    // Same in column 19, target above.
    b = BoardOf({".", " ", "$", " "}, 19, 2);
    EXPECT_FALSE(ModelBlockLost(b, CellIndex(19, 4)));
}

TEST(BoardModel, BlockOnTargetInTheEdgeRowIsAlwaysFixed)
{
    Board b = BoardOf({"  *  "}, 3, 0);
    EXPECT_TRUE(ModelBlockLost(b, CellIndex(5, 0)));
    ReexamineBlocks(b);
    EXPECT_EQ(b.at(5, 0), kFixed);
}

TEST(BoardModel, CornersSquaresAndWallLines)
{
    Board b = BoardOf({
        "#######",
        "#$    #",
        "#  $$ #",
        "#  $$ #",
        "#     #",
        "#######",
    }, 2, 2);
    EXPECT_TRUE(ModelBlockLost(b, CellIndex(3, 3)));   // corner
    EXPECT_TRUE(ModelBlockLost(b, CellIndex(5, 4)));   // 2 x 2 square of blocks
    // A block along a wall with both ends closed and no target in the lane.
    b = BoardOf({
        "#######",
        "#     #",
        "#  $  #",
        "#     #",
        "#######",
    }, 2, 2);
    EXPECT_FALSE(ModelBlockLost(b, CellIndex(5, 4)));
    b.at(5, 3) = kBlock;
    b.at(5, 4) = kFloor;
    EXPECT_TRUE(ModelBlockLost(b, CellIndex(5, 3)));   // against the top wall
    b.at(7, 3) = kTarget;
    EXPECT_FALSE(ModelBlockLost(b, CellIndex(5, 3)));  // a target in the lane
}

TEST(BoardModel, FrozenBlocksHoldingEachOtherStayLinearOnARowOfBlocks)
{
    // A whole row of blocks against a wall: every one is frozen, and the test
    // answers at once (it only recurses into blocks).
    Board b = MakeEmptyBoard();
    for (int x = 0; x < kWidth; ++x) b.at(x, 1) = kWallFirst;
    for (int x = 1; x < kWidth - 1; ++x) b.at(x, 2) = kBlock;
    ShapeAllWalls(b);
    for (int x = 1; x < kWidth - 1; ++x) EXPECT_TRUE(ModelBlockLost(b, CellIndex(x, 2))) << x;
    // A full board of blocks is answered too.
    Board full = MakeEmptyBoard();
    for (int i = 0; i < kBoardSize; ++i)
        if (IsPlayable(i)) full.cell[i] = kBlock;
    EXPECT_TRUE(ModelBlockLost(full, CellIndex(10, 7)));
}

TEST(BoardModel, PushesFollowTheGameRules)
{
    Board file = BoardOf({
        "########",
        "#@$ !  #",
        "#  $.  #",
        "# %$   #",
        "########",
    }, 4, 4);
    GameSim g;
    ASSERT_TRUE(StartGameSim(g, file, nullptr, kEasy));
    // Push right, then into the bomb: refused like a wall.
    EXPECT_EQ(StepGameSim(g, kRight), StepResult::Pushed);
    EXPECT_EQ(g.board.at(7, 5), kBlock);
    EXPECT_EQ(StepGameSim(g, kRight), StepResult::Refused);
    EXPECT_EQ(g.board.at(8, 5), kBomb);
    // A fixed block cannot be pushed.
    g.car = CellIndex(6, 6);
    EXPECT_EQ(StepGameSim(g, kDown), StepResult::PushedFixed);
    // Two blocks in a row do not move.
    g.car = CellIndex(7, 8);
    g.board.at(7, 8) = kFloor;
    EXPECT_EQ(StepGameSim(g, kUp), StepResult::Refused);
}

TEST(BoardModel, EasyPicksUpBombsAndNormalRemovesThem)
{
    Board file = BoardOf({"#######", "#@! $.#", "#######"}, 0, 0);
    GameSim g;
    ASSERT_TRUE(StartGameSim(g, file, nullptr, kEasy));
    EXPECT_EQ(StepGameSim(g, kRight), StepResult::Moved);
    EXPECT_EQ(g.carried, kBomb);
    EXPECT_EQ(g.board.at(2, 1), kFloor);
    ASSERT_TRUE(StartGameSim(g, file, nullptr, kNormal));
    EXPECT_EQ(g.board.at(2, 1), kFloor);
}

TEST(BoardModel, HardStartCutsTheMaskAndHollowsOnlyWallMasses)
{
    Board file = BoardOf({
        "#######",
        "#######",
        "###*6##",
        "##@ $.#",
        "#######",
    }, 0, 0);
    uint8_t mask[kCells] = {};
    for (int x = 2; x < 6; ++x) mask[3 * kWidth + x] = 1;
    mask[2 * kWidth + 3] = 1;
    const Board hard = PrepareBoard(file, mask, kHard);
    // The inner wall cell with only walls around it is hollowed...
    EXPECT_EQ(hard.at(1, 1), kFloor);
    // ...but not beside a block on a target or a special block.
    EXPECT_TRUE(IsWallCode(hard.at(2, 1)));
    EXPECT_TRUE(IsWallCode(hard.at(3, 1)));
    EXPECT_TRUE(IsWallCode(hard.at(4, 1)));
    EXPECT_TRUE(IsWallCode(hard.at(5, 1)));
    // The skin next to the floor stays.
    EXPECT_TRUE(IsWallCode(hard.at(1, 3)));
    // Open ground outside the mask becomes wall and, far from any floor, is
    // hollowed out again.
    EXPECT_EQ(hard.at(7, 0), kFloor);
    EXPECT_EQ(hard.at(12, 8), kFloor);
}

TEST(BoardModel, NumberingAndHardColours)
{
    Board b = BoardOf({"*.$", "$.."}, 0, 0);
    const Numbering n = NumberBoard(b);
    EXPECT_EQ(n.blocks, 3);
    EXPECT_EQ(n.targets, 4);
    EXPECT_EQ(n.blockAt[CellIndex(0, 0)], 0);
    EXPECT_EQ(n.targetAt[CellIndex(0, 0)], 0);
    EXPECT_EQ(n.blockAt[CellIndex(2, 0)], 1);
    EXPECT_EQ(n.targetAt[CellIndex(1, 1)], 2);
    EXPECT_EQ(HardColourCount(0), 2);
    EXPECT_EQ(HardColourCount(49), 2);
    EXPECT_EQ(HardColourCount(50), 3);
    EXPECT_EQ(HardColourCount(400), 5);
}

TEST(BoardModel, LevelCheckRefusesWhatTheGameCannotPlay)
{
    Board file = BoardOf({
        "#######",
        "#@$ .##",
        "#######",
    }, 2, 2);
    // step right is blocked by the block: "bloque"
    EXPECT_EQ(ModelCheckLevel(file, {2}, 3), "bloque au niveau 3, position 0");
    EXPECT_EQ(ModelCheckLevel(file, {6, 6}, 0), "");
    // An undo in a stored solution is refused.
    EXPECT_EQ(ModelCheckLevel(file, {6, 10}, 0), "bloque au niveau 0, position 1");
    // Too short: one of one block placed against one target is compared
    // with the targets.
    EXPECT_EQ(ModelCheckLevel(file, {6}, 0), "Le niveau 0 n'est pas terminÈ apres la resolution (0 / 1)");
    // A block pushed into a corner is lost.
    Board corner = BoardOf({"#####", "#@$ #", "#.  #", "#####"}, 2, 2);
    EXPECT_EQ(ModelCheckLevel(corner, {6}, 0), "bloc perdu au niveau 0, position 0");
    // A block fixed on its target is not pushed again.
    Board two = BoardOf({"#######", "#@$.$.#", "#######"}, 2, 2);
    EXPECT_EQ(ModelCheckLevel(two, {6, 6}, 0), "bloque au niveau 0, position 1");
}
