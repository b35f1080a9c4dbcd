// The move rules: steps and pushes, fixed blocks, the dead-block test,
// bombs; walks by click: the shortest way over quiet ground, clicks that do
// nothing, pushes by click against the same pushes by arrow key.
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A level, the keys played (see PuzzleDriver::Play), and what follows: the
// results, the board, what was heard, and moves/undo entries/history/heading.
struct Scenario {
    const char* what;
    const char* level;
    int difficulty;
    const char* keys;
    const char* results;
    const char* board;
    const char* heard;
    const char* state;
    int help = 1;
};

const Scenario kScenarios[] = {
    {"a push into a wall is refused without a sound", "//@$# .", kNormal, "R", "r", "//c$# .", "", "0/0/0/180"},
    {"a step is a move and an action, a push two undo entries and a sound", "// @$   .", kNormal, "LRRRRR", "mmpppp",
     "// @   c*", "push.wav push.wav push.wav push.wav", "6/8/6/180"},
    {"a block into a block: the blocked hint once", "// @$$  .", kNormal, "RR", "rr", "// c$$  .",
     "error1.wav message.wav error1.wav hint0", "0/0/0/180"},
    {"the last car start is the car's; a block pushed off a start leaves it behind", "@//  @/  $/////////          .",
     kNormal, "LDDRUUD", "mmmmppm", "@/  $/  @/  c/////////          .", "push.wav push.wav", "7/4/7/90"},
    {"a block on a target beside an open target stays movable", "/  #####/   ..#//   $$//   @", kNormal, "UUU", "mpp",
     "/  #####/   *.#/   c/    $//   @", "push.wav push.wav", "3/4/3/270"},
    {"blocks held on targets are fixed and cannot be pushed", "/  #####/   ..#//   $$//   @", kNormal, "UUUDDRUUU",
     "mppmmmppr", "/  #####/   FF#/    c///   @",
     "push.wav push.wav push.wav push.wav transfor.wav transfor.wav fixed fixed", "8/8/8/270"},
    {"an undo after a fix frees the block fixed with it", "/  #####/   ..#//   $$//   @", kNormal, "UUUDDRUULUZ",
     "mppmmmppmru", "/  #####/   *.#/    $/    c//   @",
     "push.wav push.wav push.wav push.wav transfor.wav transfor.wav back.wav fixed fixed", "19/6/10/270"},
    {"a block beside a block on a target, walls filling the square: both held", "//  @$ *  ./    ##", kNormal, "R", "p",
     "//  @cxF  ./    ##", "push.wav transfor.wav fixed", "1/2/1/180"},
    {"a lost block releases the keys and shows its hint", "//  ##/ @$#///    .", kNormal, "RR", "rr",
     "//  ##/ cx#///    .", "error2.wav message.wav error2.wav hint1 release release", "0/0/0/180"},
    {"without help no hint", "//  ##/ @$#///    .", kNormal, "R", "r", "//  ##/ cx#///    .", "error2.wav release",
     "0/0/0/180", 0},
    {"walls and the outside stop the car; ground 3 to 13 is passable and remembered", "@3#//// $ .", kNormal, "RRU",
     "mrr", "@c#//// $ .", "", "1/1/1/270"},
    {"ground 3 to 13 comes back with an undo", "@3//// $ .", kNormal, "RZ", "mu", "c3//// $ .", "back.wav", "11/0/2/0"},
    {"a block pushed off a target leaves the target", "// @*  .", kNormal, "RR", "pp", "// @.c$.", "push.wav push.wav",
     "2/4/2/180"},
    {"bombs lie only on Easy", "@b//// $ .", kNormal, "", "", "c//// $ .", "", "0/0/0/0"},
    {"bombs lie only on Easy", "@b//// $ .", kHard, "", "", "c//// $ .", "", "0/0/0/0"},
    {"no block is pushed onto a bomb", "// @$b///    .", kEasy, "R", "r", "// c$b///    .", "", "0/0/0/180"},
    {"a bomb is set off neither on a target nor on a bomb, and only one is carried", "@b.b/////  $ .", kEasy, "RRXRXL",
     "mm-m-m", "@ cb/////  $ .", "selbomb.wav message.wav error2.wav error2.wav hint2", "4/1/4/0"},
    {"a target beside a wall keeps the wall", "///    ###/    ##./ @b   ##/    ###/    ###///////   $  .", kEasy,
     "RRRRX", "mmmmx", "///    ###/    ##./ @   c##/    # #/    ###///////   $  .",
     "selbomb.wav message.wav explo.wav hint2", "54/5/5/180"},
};

TEST(Rules, Scenarios)
{
    for (const Scenario& s : kScenarios) {
        SCOPED_TRACE(s.what);
        PuzzleBench t;
        t.p.help = s.help;
        t.Start(Rows(s.level), s.difficulty);
        EXPECT_EQ(t.Play(s.keys), s.results);
        EXPECT_EQ(t.Picture(), s.board);
        EXPECT_EQ(t.hooks.Heard(), s.heard);
        EXPECT_EQ(t.State(), s.state);
    }
}

TEST(DeadBlock, Cases)
{
    const std::string col19 = std::string(19, ' ');
    const struct {
        std::string board;
        int x, y;
        bool lost;
        int visits = 0;  // the most cells the test may look at, when it matters
    } cases[] = {
        {"     $   .", 5, 0, false},  // a target along row 0
        {"     $", 5, 0, true},
        {".    $", 5, 0, false},
        {".    $   *", 9, 0, true},                // a block on a target in row 0 ends both scans itself
        {"//////////////  $  #  .", 2, 14, true},  // the wall cuts it off from the target
        {"////////////// .$  #  .", 2, 14, false},
        {"////$///.", 0, 4, false},  // edge columns scan both ways
        {"////$", 0, 4, true},
        {"/.///$", 0, 4, false},
        {"////$//#//.", 0, 4, true},
        {"////" + col19 + "$//////////" + col19 + ".", 19, 4, false},
        {"////" + col19 + "$//////" + col19 + "$////" + col19 + ".", 19, 4, false},  // other blocks are passed over
        {"////" + col19 + "$//////" + col19 + "$", 19, 4, true},
        {"////// #  $   #/ ########", 4, 6, true},  // a lane along a wall line, closed at both ends
        {"////// #  $ . #/ ########", 4, 6, false},
        {"////// #  $   #/ ##### ##", 4, 6, false},  // a gap in the wall line
        {"////// #  $/ #######", 4, 6, false},       // an open end
        {"////// #  $   */ #######", 4, 6, false},   // a movable block on a target does not close the lane
        {"////// #  $   F/ #######", 4, 6, true},    // a fixed one does
        {"////// #  $ F F/ #######", 4, 6, true},    // and inside the lane it is passed over
        {"///  #/  $", 2, 4, false, 1},              // a wall on one side only
        {"///  #/  $#", 2, 4, true},                 // the four corners of two walls
        {"///  #/ #$", 2, 4, true},
        {"////  $#/  #", 2, 4, true},
        {"//// #$/  #", 2, 4, true},
        {"    #$  .", 5, 0, true},                   // beside a wall in row 0: never pushed along it
        {"///     #/     $#/    #$", 5, 5, true},    // a wall at its side, a held block at its end
        {"////// #  $ F.#/ ########", 4, 6, false},  // a fixed block in the lane is passed over to a target
        {"//////      $$/      $$", 6, 6, true},     // a square of blocks
        {"//////      $$/      $$", 7, 7, true},
        {"/ $*/ ##", 1, 1, true},  // a block beside a block on a target, walls filling the square
        {"/////////     #/     $$#/      #", 5, 10, true},  // beside a block held in a corner
        {"/////////     #/     $$/      #", 5, 10, true},   // two blocks holding each other
        {"/////////     #/     $$/      #", 6, 10, true},
        {"/////////     #/     $$", 5, 10, false},
        {"/////////     #/     $$", 6, 10, false},
        {"///     #/     $#/   #$$/    #", 5, 5, true},  // both neighbours held by two walls
        {"////     $/   #$$/    #", 5, 4, false},
        {"////     $/   #$$/    #", 5, 5, false},
        {"///    #/    $/    #", 4, 4, false, 1},  // the chain grows only into blocks
    };
    PuzzleBench t;
    for (const auto& c : cases) {
        t.SetBoard(c.board);
        EXPECT_EQ(IsBlockLost(t.p, c.x, c.y), c.lost) << c.board << " at " << c.x << "," << c.y;
        EXPECT_TRUE(!c.visits || t.p.searchVisits == c.visits) << c.board << ": " << t.p.searchVisits << " visits";
    }
    // A row of blocks under a wall with every other cell open above: each
    // block is looked at a bounded number of times.
    t.SetBoard("///// # # # # # # # # #/ $$$$$$$$$$$$$$$$$");
    IsBlockLost(t.p, 9, 6);
    EXPECT_LE(t.p.searchVisits, 5);
}

TEST(Bombs, PickUpSetOffAndOneUndoForTheWholeBlast)
{
    PuzzleBench t;
    t.Start(Rows("///    ###/    ###/ @b   ##/    ###/    ###///////   $  ."), kEasy);
    EXPECT_EQ(t.Play("R"), "m");
    EXPECT_EQ(t.hooks.Heard(), "selbomb.wav message.wav hint2");
    EXPECT_FALSE(t.p.bombs[0].present);
    EXPECT_EQ(t.p.bombCarried * 100 + t.p.undo[0].code * 10 + t.p.undo[0].listIndex, 550);
    t.Play("RRR");
    const std::string before = t.Picture();
    uint8_t cells[kBoardRows][kBoardCols];
    std::memcpy(cells, t.p.board.cells, sizeof cells);
    t.hooks.Clear();
    PuzzleInput in;
    in.setOff = true;
    UpdatePuzzleFrame(t.p, in, 1.0f);
    EXPECT_EQ(t.Picture(), "///    ###/    # #/ @   c #/    # #/    ###///////   $  .");
    EXPECT_EQ(FormatText("%d %g %d %d %d", t.p.explosionCount, t.p.bombTimer, t.p.bombCarried, t.p.moves,
                         t.p.history[t.p.historyCount - 1]),
              "4 60 0 54 20");
    EXPECT_EQ(t.hooks.Heard(), "explo.wav");
    EXPECT_EQ(t.hooks.sceneryChanges, 1);
    for (int y = 0; y < kPlayHeight; ++y)  // the walls around the holes are shaped again
        for (int x = 0; x < kPlayWidth; ++x)
            if (IsWallCode(t.Cell(x, y))) {
                EXPECT_EQ(t.Cell(x, y), ShapeWallByJoins(t.p.board, x, y)) << x << "," << y;
            }
    EXPECT_EQ(t.Cell(5, 3) * 100 + t.Cell(7, 5), WallCodeForMask(4 | 8) * 100 + 20);
    t.Press(kDirLeft);  // while the blast runs no step is taken
    EXPECT_EQ(t.p.carX, 5);
    for (int i = 0; i < 70; ++i)
        UpdatePuzzleEffects(t.p, 1.0f), UpdatePuzzleFrame(t.p, PuzzleInput(), 1.0f);
    EXPECT_EQ(t.p.bombTimer + t.p.explosionCount, 0);
    t.hooks.Clear();
    ASSERT_TRUE(t.Undo());
    EXPECT_EQ(std::memcmp(cells, t.p.board.cells, sizeof cells), 0);
    EXPECT_EQ(t.Picture(), before);
    EXPECT_EQ(t.p.bombCarried, 5);
    EXPECT_EQ(t.hooks.Heard(), "back.wav");
    EXPECT_EQ(t.hooks.sceneryChanges, 1);
    EXPECT_EQ(t.Play("ZZ"), "u-");  // the steps on the floor left nothing; back to the bomb, it lies there again
    EXPECT_EQ(t.Picture(), "///    ###/    ###/ cb   ##/    ###/    ###///////   $  .");
    EXPECT_TRUE(t.p.bombs[0].present && t.p.bombCarried == 0);
    // A difficulty change puts the bombs back from the starting board.
    ChangeDifficulty(t.p, kNormal);
    EXPECT_EQ(t.Cell(2, 5) * 10 + t.p.bombListCount, 0);
    ChangeDifficulty(t.p, kEasy);
    EXPECT_EQ(t.Cell(2, 5) * 10 + t.p.bombListCount, 51);
}

struct WalkCase {
    const char* board;
    int difficulty;
    int x, y;
    int steps;  // -1: the click does nothing
    int pushes;
};

TEST(Walk, AClickDrivesTheShortestWayWithoutPushingOrDoesNothing)
{
    const WalkCase cases[] = {
        {"@   .", kNormal, 4, 0, 4, 0},
        {"@=  /    ", kNormal, 2, 0, 4, 0},         // round a wall
        {"@ $ /    ", kNormal, 3, 0, 5, 0},         // round a block, never through it
        {"@$  /    ", kNormal, 2, 0, 1, 1},         // in line beyond a block it touches: a push
        {"@   /=== /.", kNormal, 0, 2, 8, 0},       // the only way, not the straight line
        {"   =/@ =.=/   =", kNormal, 3, 1, -1, 0},  // walled in
        {"@b. /=== ", kEasy, 2, 0, -1, 0},          // only over a bomb: it would be picked up
        {"@#", kNormal, 1, 0, -1, 0},               // a wall
        {"@ ", kNormal, 0, 0, -1, 0},               // the car's own cell
        {"@ ", kNormal, 25, 3, -1, 0},              // off the board
        {"@ /$", kNormal, 0, 1, 1, 1},              // a block beside the car: a push, not a walk
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.board);
        PuzzleBench t;
        t.Start(Rows(c.board), c.difficulty);
        const std::string before = t.Picture();
        const int walked = c.steps > 0 && !c.pushes ? c.steps : 0;
        if (!c.pushes) {
            EXPECT_EQ(int(FindPath(t.p, c.x, c.y).size()), walked);
        }
        EXPECT_EQ(ClickableCell(t.p, c.x, c.y), c.steps > 0);
        EXPECT_EQ(t.Click(c.x, c.y), c.steps > 0);
        EXPECT_EQ(t.p.moves, c.steps > 0 ? c.steps : 0);
        EXPECT_EQ(t.p.historyCount, t.p.moves);
        EXPECT_EQ(t.p.undoCount, 2 * c.pushes);
        if (walked) {
            EXPECT_EQ(FormatText("%d %d", t.p.carX, t.p.carY), FormatText("%d %d", c.x, c.y));
        } else if (c.steps < 0) {
            EXPECT_EQ(t.Picture(), before);
        }
    }
}

TEST(Walk, APushByClickIsRefusedExactlyWhereTheArrowKeysAre)
{
    // Each click against the arrow presses that make the same pushes.
    const struct {
        const char* board;
        int x, y;
        const char* keys;
    } cases[] = {
        {"@$   .", 1, 0, "R"}, {"@$   .", 4, 0, "RRR"}, {"@$=", 1, 0, "R"},
        {"@$$ ", 3, 0, "R"},   {"@$ = ", 4, 0, "RR"},   {"/@*  .", 2, 1, "R"},
        {"/$/@", 0, 0, "U"},   {"/  $@", 0, 1, "LL"},   {"@$b", 1, 0, "R"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.board);
        PuzzleBench byClick, byKeys;
        byClick.Start(Rows(c.board), kEasy);
        byKeys.Start(Rows(c.board), kEasy);
        byClick.Click(c.x, c.y);
        byKeys.Play(c.keys);
        EXPECT_EQ(byClick.Picture(), byKeys.Picture());
        EXPECT_EQ(byClick.State(), byKeys.State());
        EXPECT_EQ(byClick.hooks.Heard(), byKeys.hooks.Heard());
        EXPECT_FALSE(Walking(byClick.p));
    }
}

}  // namespace
