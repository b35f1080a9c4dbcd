// Level files: the layout, what the loader refuses and what it accepts,
// damaged and hostile files, the wall shapers and the frame; the
// developer's level check and its command-line tool.
#include "app/base/exception.h"
#include "app/base/bytes.h"
#include "fuzz.h"
#include "puzzledriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// A level written byte by byte, independently of EncodeLevelFile.
std::string HandMadeLevel()
{
    std::string s("LVL\0\7\11", 6);  // the two reserved bytes are read and ignored
    PutInt32(s, 20);
    PutInt32(s, 15);
    PutInt32(s, 2);  // two blocks, paired crosswise
    s += std::string("\1\0", 2);
    std::string cells(300, '\0');
    cells[0] = 2, cells[21] = 14, cells[22] = 100, cells[105] = 1, cells[299] = 20;
    s += cells;
    PutInt32(s, 3);  // solution length, then two ints nothing uses
    PutInt32(s, 1234);
    PutInt32(s, -5);
    s += "\2\6\12";
    std::string mask(300, '\1');
    mask[7] = '\0';
    return s + mask;
}

// "printed|message" of a LoadLevel that throws, or "loaded".
std::string LoadFailure(Puzzle& p, int index)
{
    std::string thrown = "loaded";
    const std::string printed = CaptureStderr([&] {
        try {
            LoadLevel(p, index, "");
        } catch (const Exception& e) {
            thrown =
                e.message + (e.function == "LoadLevel" && e.file == "tableau" && e.line > 0 ? "" : " (from elsewhere)");
        }
    });
    return printed + "|" + thrown;
}

TEST(LevelFile, LoadsEveryFieldOfAHandMadeFileAndEncodesItBack)
{
    PuzzleBench t;
    WriteLevelBytes(0, HandMadeLevel());
    std::memset(&t.p.board, 7, sizeof t.p.board);  // whatever was there before
    ASSERT_EQ(LoadLevel(t.p, 0, ""), 1);
    t.p.carX = 5;  // only the level start places the car
    EXPECT_EQ(t.Picture(), "@    c/ $*////     ./////////                   #");
    EXPECT_EQ(
        FormatText("%d %d %d %d %d", t.p.levelIndex, t.p.blockCount, t.p.pairing[0], t.p.pairing[1], t.p.targetCount),
        "0 2 1 0 2");
    EXPECT_EQ(t.p.solution, std::vector<uint8_t>({2, 6, 10}));
    ASSERT_EQ(t.p.floorMask.size(), 300u);
    EXPECT_EQ(t.p.floorMask[7] * 10 + t.p.floorMask[8], 1);
    EXPECT_TRUE(Framed(t.p.board));
    LevelFileData d;
    std::string why;
    ASSERT_TRUE(DecodeLevelFile(HandMadeLevel(), d, why));
    EXPECT_EQ(EncodeLevelFile(d), HandMadeLevel());
    FreeLevel(t.p);
    EXPECT_TRUE(t.p.solution.empty() && t.p.floorMask.empty());
    EXPECT_EQ(LevelFilePath("game/", 9), "game/data/level/level10.lvl");
}

TEST(LevelFile, ARefusedFileIsNamedAndChangesNothing)
{
    PuzzleBench t;
    LevelFileData good = LevelFromText({"@ $ .", "", "   #"});
    good.solution = {2, 2, 6};
    WriteLevel(0, good);
    ASSERT_EQ(LoadLevel(t.p, 0, ""), 1);
    const std::unique_ptr<Puzzle> before(new Puzzle(t.p));
    const std::string bytes = EncodeLevelFile(good), minusOne = "\xff\xff\xff\xff";
    auto edit = [&](auto change) {
        LevelFileData d = good;
        change(d);
        return EncodeLevelFile(d);
    };
    auto poke = [&](size_t at, const std::string& with) { return std::string(bytes).replace(at, with.size(), with); };
    const std::pair<const char*, std::string> refused[] = {
        {"magic", poke(1, "X")},
        {"fourth magic byte", poke(3, "X")},
        {"fourth byte 1", poke(3, "\1")},
        {"fourth byte 255", poke(3, "\xff")},
        {"lower case", poke(0, "l")},
        {"one byte short", bytes.substr(0, bytes.size() - 1)},
        {"one byte long", bytes + '\0'},
        {"head cut", bytes.substr(0, 17)},
        {"B below 0", poke(14, minusOne)},
        {"B above 200", edit([](LevelFileData& d) { d.pairing.assign(201, 0); })},
        {"L below 0", poke(318 + good.pairing.size(), minusOne)},
        {"L past the end", poke(318 + good.pairing.size(), "\310")},
        {"L above 64000", edit([](LevelFileData& d) { d.solution.assign(kHistorySize + 1, 1); })},
        {"pairing byte not below B", edit([](LevelFileData& d) { d.pairing[0] = 1; })},
        {"201 blocks", edit([](LevelFileData& d) { std::memset(d.cells + 1, 14, 201), d.pairing.assign(200, 0); })},
        {"225 targets", edit([](LevelFileData& d) { std::memset(d.cells + 1, 1, 225), d.pairing.clear(); })},
        {"five bombs", edit([](LevelFileData& d) { std::memset(d.cells + 20, 5, 5); })},
        {"no car start", edit([](LevelFileData& d) { d.cells[0] = 0; })},
        {"no target", edit([](LevelFileData& d) { d.cells[4] = 0; })},  // else won on its first frame
    };
    const std::string format = "bad level format : data/level/level2.lvl";
    auto expectRefused = [&](const std::string& file, const std::string& expected, const std::string& what) {
        WriteLevelBytes(1, file);
        EXPECT_EQ(LoadFailure(t.p, 1), expected) << what;
        EXPECT_EQ(std::memcmp(&t.p.board, &before->board, sizeof t.p.board), 0) << what;
        EXPECT_TRUE(t.p.solution == before->solution && t.p.floorMask == before->floorMask) << what;
        EXPECT_EQ(t.p.blockCount * 100 + t.p.levelIndex, before->blockCount * 100) << what;
    };
    for (const auto& r : refused)
        expectRefused(r.second, format + "\n|" + format, r.first);
    for (int code : {16, 19, 40, 99, 101, 200, 254, 255})
        expectRefused(edit([code](LevelFileData& d) { d.cells[299] = uint8_t(code); }), format + "\n|" + format,
                      "cell " + std::to_string(code));
    expectRefused(poke(10, "\20"), "bad level size : 20x16\nonly support 20x15 level now.\n|bad level size", "20x16");
    EXPECT_EQ(LoadFailure(t.p, 4),
              "Couldn't load level data/level/level5.lvl\n|Level file not found : data/level/level5.lvl");
}

TEST(LevelFile, AcceptsEveryCodeWithARuleNoBlocksShortPairingListsAndUnsignedPairs)
{
    PuzzleBench t;
    LevelFileData d = LevelFromText({"@3456789", "SSTUV"});
    d.cells[40] = 13, d.cells[41] = 35, d.cells[42] = 15;  // 15 is read as a movable block on a target
    d.pairing.clear();                                     // none for the block: paired with itself
    WriteLevel(2, d);
    ASSERT_EQ(LoadLevel(t.p, 2, ""), 1);
    t.p.carX = 19;
    EXPECT_EQ(t.Picture(), "@34b6789           c/SSTUV/?#*");
    EXPECT_EQ(t.p.blockCount * 1000 + t.p.pairing[0] * 100 + t.p.pairing[199], 199);
    // A block on a target in row 0 is fixed by the first examination.
    t.Start({"@ F  ."});
    EXPECT_EQ(t.Picture(), "c F  .");
    EXPECT_EQ(t.p.targetCount * 100 + t.p.blockListCount * 10 + t.p.targetIndexMap[2], 210);
    // 140 blocks on targets, the first twelve paired with blocks 128 to 139:
    // bytes that read as signed would be negative. Level 150 has four colours
    // and 128 is a multiple of four, so every block keeps its target's colour.
    d = LevelFromText({"@"});
    std::memset(d.cells + 1, 100, 140);
    d.pairing.resize(140);
    for (int b = 0; b < 140; ++b)
        d.pairing[size_t(b)] = uint8_t(b < 12 ? b + 128 : b);
    t.StartData(d, kHard, 149);
    EXPECT_EQ(t.p.pairing[0], 128);
    EXPECT_EQ(CountPlacedBlocks(t.p), 140);
    int perColour[kMaxColours] = {};
    for (int i = 0; i < t.p.blockListCount; ++i)
        ++perColour[t.p.blocks[i].colour];
    EXPECT_EQ(FormatText("%d %d %d %d %d", perColour[0], perColour[1], perColour[2], perColour[3], perColour[4]),
              "35 35 35 35 0");
}

TEST(LevelFile, DamagedCopiesAreRefusedCleanlyOrLoadWhole)
{
    PuzzleBench t;
    LevelFileData good = LevelFromText({"@ $ .", "  #", "b"});
    good.solution = {2, 6, 10, 1};
    const std::string bytes = EncodeLevelFile(good);
    for (size_t n = 0; n < bytes.size(); ++n) {
        LevelFileData d;
        std::string why;
        ASSERT_TRUE(!DecodeLevelFile(bytes.substr(0, n), d, why) && why == "format") << n;
    }
    int loaded = 0;
    ForEachDamagedCopy(bytes, 700, 1234, [&](const std::string& s, int round) {
        LevelFileData d;
        std::string why;
        const bool decoded = DecodeLevelFile(s, d, why);
        if (round % 7 != 0)
            return;
        WriteLevelBytes(0, s);
        const std::string failure = LoadFailure(t.p, 0);
        loaded += decoded;
        ASSERT_EQ(failure == "|loaded", decoded) << failure;
        ASSERT_TRUE(decoded ? Framed(t.p.board)
                            : failure.find("|bad level format : data/level/level1.lvl") != std::string::npos ||
                                  failure.find("|bad level size") != std::string::npos)
            << failure;
    });
    EXPECT_GT(loaded, 0);  // changes in the solution or the mask leave a sound file
}

// Read at most what the largest level holds: a huge file costs no more, a
// FIFO in a level's place never stops the game.
TEST(LevelFile, AHugeFileOrAFifoIsRefusedWithoutBeingReadWhole)
{
    PuzzleBench t;
    LevelFileData largest = LevelFromText({"@"});
    largest.pairing.assign(kMaxBlocks, 0);
    largest.solution.assign(kHistorySize, kActLeft);
    ASSERT_EQ(EncodeLevelFile(largest).size(), 64830u);
    WriteLevel(0, largest);
    EXPECT_EQ(LoadFailure(t.p, 0), "|loaded");
    WriteLevelBytes(0, EncodeLevelFile(largest) + 'x');
    EXPECT_EQ(LoadFailure(t.p, 0),
              "bad level format : data/level/level1.lvl\n|bad level format : data/level/level1.lvl");
    ASSERT_TRUE(MakeHugeFile(LevelPath(1), 1LL << 26));
    EXPECT_LT(BytesReadDuring([&] { EXPECT_EQ(LoadFailure(t.p, 1).substr(0, 16), "bad level format"); }),
              2 * kLevelMaxSize);
    ASSERT_EQ(mkfifo(LevelPath(2).c_str(), 0644), 0);
    const std::string fifo = "Couldn't load level data/level/level3.lvl\n|Level file not found : data/level/level3.lvl";
    EXPECT_EQ(ExitStatusWithin(5, [&] { return LoadFailure(t.p, 2) == fifo; }), 1);
}

TEST(WallShaper, JoinsOnlyWhatTheNeighboursCodeJoinsAndTheHardShaperJoinsEveryWall)
{
    // The codes that join up, down, right and left (mask bits 1, 2, 4, 8).
    const char* const joins[4] = {" 22 23 26 27 31 32 33 35 ", " 22 23 24 25 30 32 33 34 ", " 21 23 24 26 28 32 34 35 ",
                                  " 21 23 25 27 29 33 34 35 "};
    for (int code = 0; code < 256; ++code) {
        int mask = 0;
        for (int side = 0; side < 4; ++side)
            if (std::string(joins[side]).find(" " + std::to_string(code) + " ") != std::string::npos)
                mask |= 1 << side;
        EXPECT_EQ(WallJoinMask(code), mask) << code;
        EXPECT_TRUE(!IsWallCode(code) || WallCodeForMask(mask) == code) << code;
    }
    // Alone pieces side by side stay alone, joining ones join, a cross joins
    // all four; rows are shaped from the top, each from the left.
    PuzzleBench t;
    WriteLevel(0, LevelFromText(Rows("@/           #/==        ###/           #/##/          #####/#/#//=/#//#/=")));
    LoadLevel(t.p, 0, "");
    std::string codes;
    const int cells[][2] = {{0, 2},  {1, 2},  {0, 4},  {1, 4},  {0, 6},  {0, 7},  {0, 9},  {0, 10}, {0, 12},
                            {0, 13}, {11, 2}, {10, 2}, {12, 2}, {11, 1}, {11, 3}, {10, 5}, {12, 5}, {14, 5}};
    for (const auto& c : cells)
        codes += std::to_string(t.Cell(c[0], c[1])) + " ";
    EXPECT_EQ(codes, "20 20 28 29 30 31 30 31 20 20 23 28 29 30 31 28 21 29 ");
    t.p.board.At(5, 8) = t.p.board.At(5, 7) = t.p.board.At(4, 8) = t.p.board.At(19, 14) = 20;
    EXPECT_EQ(ShapeWallSimple(t.p.board, 5, 8), WallCodeForMask(1 | 8));
    EXPECT_EQ(ShapeWallByJoins(t.p.board, 5, 8), 20);
    EXPECT_EQ(ShapeWallSimple(t.p.board, 19, 14), 20);  // nothing outside the board is joined
}

TEST(LevelFile, BeforeAnyLevelTheBoardIsEmptyAndFramed)
{
    std::unique_ptr<Puzzle> p(new Puzzle());
    EXPECT_TRUE(Framed(p->board));
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            ASSERT_EQ(p->board.At(x, y), 0);
    EXPECT_FALSE(IsBlockLost(*p, -1, 3) || IsBlockLost(*p, 20, 3));
    StartLevelBoard(*p, 0);  // nothing loaded: an empty room, nothing breaks
    EXPECT_EQ(StepCar(*p, kDirRight), kStepMoved);
    EXPECT_TRUE(UpdatePuzzleFrame(*p, PuzzleInput(), 100.0f).won);  // no targets to fill
}

const char* const kCorridor = "// @$   .";

void WriteSolved(int index, const char* level, std::vector<uint8_t> solution)
{
    LevelFileData d = LevelFromText(Rows(level));
    d.solution = std::move(solution);
    WriteLevel(index, d);
}

// The check's message for a level, or "" when it passes.
std::string Check(const char* level, std::vector<uint8_t> solution, int index = 0)
{
    WriteSolved(index, level, std::move(solution));
    try {
        CheckLevel(index, "");
    } catch (const Exception& e) {
        return e.message + (e.function == "checkAllLevel" && e.file == "pelmo" ? "" : " (from elsewhere)");
    }
    return "";
}

TEST(LevelCheck, PassesGoodSolutionsAndNamesEachFault)
{
    ScopedTempDir dir;
    const std::string blocked = "bloque au niveau 0, position ",
                      unfinished = "Le niveau 0 n'est pas terminÈ apres la resolution ";
    const struct {
        const char* level;
        std::vector<uint8_t> solution;
        std::string message;
    } cases[] = {
        {kCorridor, {6, 6, 6, 6}, ""},
        {kCorridor, {1, 2, 6, 6, 6, 6}, ""},           // back over the car start
        {kCorridor, {6, 6, 6, 6, 0, 30, 20}, ""},      // codes that do nothing
        {kCorridor, {6, 10, 6, 6, 6, 6}, ""},          // a push taken back
        {kCorridor, {6, 4, 10, 6, 6, 6, 6}, ""},       // the car goes back to where it pushed from
        {kCorridor, {10, 6, 6, 6, 6}, ""},             // nothing to take back
        {"// @ .$", {2, 2, 1, 4, 2, 2, 2, 3, 5}, ""},  // the car crosses a target
        {"/   $/ @$. .", {6, 6, 6, 3, 3, 1, 8}, ""},   // a block crosses a target another fills later
        {"/ #/ @$   .", {3}, blocked + "0"},
        {kCorridor, {6, 2}, blocked + "1"},  // a step into a block
        {kCorridor, {5}, blocked + "0"},     // a push without a block
        {"// @$$  .", {6}, blocked + "0"},
        {"// @$  S.", {6, 6, 6}, blocked + "2"},     // a special block is a wall
        {" @$.  ///     .", {6, 6}, blocked + "1"},  // a block fixed in row 0 cannot be pushed on
        {"/   #/ @$ #//    .", {6}, "bloc perdu au niveau 0, position 0"},
        {kCorridor, {6, 6, 6, 6, 10}, unfinished + "(0 / 1)"},  // the last undo took the win back
        {"// @$  . .", {6, 6, 6}, unfinished + "(1 / 2)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Check(c.level, c.solution), c.message) << c.level << " " << c.solution.size();
    EXPECT_EQ(Check(kCorridor, {6}, 3), "Le niveau 3 n'est pas terminÈ apres la resolution (0 / 1)");
    // Every level in turn, stopping at the first fault; load failures pass through.
    auto checkAll = [](int count) {
        std::string result = "passed";
        CaptureStderr([&] {
            try {
                CheckAllLevels("", count);
            } catch (const Exception& e) {
                result = e.message + "|" + e.function;
            }
        });
        return result;
    };
    WriteSolved(0, kCorridor, {6, 6, 6, 6});
    WriteSolved(1, "//  @$  .", {6, 6, 6});
    WriteSolved(2, kCorridor, {6, 6, 6, 6});
    EXPECT_EQ(checkAll(3), "passed");
    EXPECT_EQ(checkAll(5), "Le niveau 3 n'est pas terminÈ apres la resolution (0 / 1)|checkAllLevel");
    WriteSolved(3, kCorridor, {6, 6, 6, 6});
    EXPECT_EQ(checkAll(5), "Level file not found : data/level/level5.lvl|LoadLevel");
}

std::string RunTool(const std::string& args)
{
    FILE* f = popen((std::string(LEVELCHECK_PATH) + " " + args + " 2>/dev/null").c_str(), "r");
    std::string out;
    char buf[256];
    while (f && std::fgets(buf, sizeof buf, f))
        out += buf;
    const int st = f ? pclose(f) : -1;
    return out + "status " + std::to_string(WIFEXITED(st) ? WEXITSTATUS(st) : -1);
}

TEST(LevelCheckTool, PrintsEveryLevelAndFailsOnAFault)
{
    ScopedTempDir dir;
    LevelFileData d = LevelFromText(Rows(kCorridor));
    d.solution = {6, 6, 6, 6};
    WriteTestFile("game/data/level/level1.lvl", EncodeLevelFile(d));
    EXPECT_EQ(RunTool("game"), "level 1: ok\nstatus 0");
    d.solution = {6, 2};
    WriteTestFile("game/data/level/level2.lvl", EncodeLevelFile(d));
    WriteTestFile("game/data/level/level3.lvl", "LVL");
    EXPECT_EQ(RunTool("game/"), "level 1: ok\nlevel 2: bloque au niveau 1, position 1\n"
                                "level 3: bad level format : game/data/level/level3.lvl\nstatus 1");
    const std::string nowhere = RunTool("nowhere");
    EXPECT_EQ(nowhere.substr(nowhere.size() - 8), "status 1");
    EXPECT_EQ(RunTool(""), "status 2");
}

}  // namespace
