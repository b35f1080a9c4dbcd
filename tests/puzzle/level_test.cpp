// Level files: layout, failures, the wall shapers and the frame.
#include "puzzledriver.h"

#include "app/base/exception.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

void PutInt(std::string& s, int32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(char((uint32_t(v) >> (8 * i)) & 0xFF));
}

// A level written byte by byte, independently of EncodeLevelFile.
std::string HandMadeLevel()
{
    std::string s("LVL", 3);
    s.push_back('\0');
    s.push_back(char(7));  // reserved bytes: read and ignored
    s.push_back(char(9));
    PutInt(s, 20);
    PutInt(s, 15);
    PutInt(s, 2);  // two blocks
    s.push_back(char(1));
    s.push_back(char(0));
    std::string cells(300, '\0');
    cells[0] = char(2);           // car start at (0, 0)
    cells[21] = char(14);         // block at (1, 1)
    cells[22] = char(100);        // block on a target at (2, 1)
    cells[5 * 20 + 5] = char(1);  // target at (5, 5)
    cells[299] = char(20);        // wall at (19, 14)
    s += cells;
    PutInt(s, 3);  // solution length
    PutInt(s, 1234);
    PutInt(s, -5);
    s.push_back(char(2));
    s.push_back(char(6));
    s.push_back(char(10));
    std::string mask(300, '\1');
    mask[7] = '\0';
    s += mask;
    return s;
}

// Runs LoadLevel and returns the exception it threw (or an empty one).
Exception LoadFailure(Puzzle& p, int index, std::string* printed = nullptr)
{
    Exception caught("", "", "", 0);
    std::string err = CaptureStderr([&] {
        try {
            LoadLevel(p, index, "");
        } catch (const Exception& e) {
            caught = e;
        }
    });
    if (printed) *printed = err;
    return caught;
}

TEST(LevelFile, LoadsEveryFieldOfAHandMadeFile)
{
    PuzzleBench t;
    WriteLevelBytes(0, HandMadeLevel());
    std::memset(&t.p.board, 7, sizeof t.p.board);  // whatever was there before
    ASSERT_EQ(LoadLevel(t.p, 0, ""), 1);
    EXPECT_EQ(t.p.levelIndex, 0);
    EXPECT_EQ(t.p.blockCount, 2);
    EXPECT_EQ(t.p.pairing[0], 1);
    EXPECT_EQ(t.p.pairing[1], 0);
    EXPECT_EQ(t.p.board.At(0, 0), 2);
    EXPECT_EQ(t.p.board.At(1, 1), 14);
    EXPECT_EQ(t.p.board.At(2, 1), 100);
    EXPECT_EQ(t.p.board.At(5, 5), 1);
    EXPECT_EQ(t.p.board.At(19, 14), 20);
    EXPECT_EQ(t.p.board.At(3, 3), 0);
    EXPECT_EQ(t.p.targetCount, 2);
    ASSERT_EQ(t.p.solution.size(), 3u);
    EXPECT_EQ(t.p.solution[0], 2);
    EXPECT_EQ(t.p.solution[1], 6);
    EXPECT_EQ(t.p.solution[2], 10);
    ASSERT_EQ(t.p.floorMask.size(), 300u);
    EXPECT_EQ(t.p.floorMask[7], 0);
    EXPECT_EQ(t.p.floorMask[8], 1);
    // The frame is 255 whatever the board held before.
    for (int r = 0; r < kBoardRows; ++r)
        for (int c = 0; c < kBoardCols; ++c)
            if (r < 2 || r > 16 || c < 2 || c > 21) {
                ASSERT_EQ(t.p.board.cells[r][c], 255) << r << "," << c;
            }

    // The encoder writes the same layout.
    LevelFileData d;
    std::string why;
    ASSERT_TRUE(DecodeLevelFile(HandMadeLevel(), d, why));
    EXPECT_EQ(EncodeLevelFile(d), HandMadeLevel());

    FreeLevel(t.p);
    EXPECT_TRUE(t.p.solution.empty());
    EXPECT_TRUE(t.p.floorMask.empty());
}

TEST(LevelFile, BeforeAnyLevelTheBoardIsEmptyAndFramed)
{
    std::unique_ptr<Puzzle> p(new Puzzle());
    for (int r = 0; r < kBoardRows; ++r)
        for (int c = 0; c < kBoardCols; ++c) {
            const bool frame = r < 2 || r > 16 || c < 2 || c > 21;
            ASSERT_EQ(p->board.cells[r][c], frame ? 255 : 0) << r << "," << c;
        }
    EXPECT_EQ(p->undoCount, 0);
    EXPECT_FALSE(IsBlockLost(*p, -1, 3));
    EXPECT_FALSE(IsBlockLost(*p, 20, 3));
    StartLevelBoard(*p, 0);  // nothing loaded: an empty room, nothing breaks
    EXPECT_EQ(StepCar(*p, kDirRight), kStepMoved);
    EXPECT_TRUE(UpdatePuzzleFrame(*p, PuzzleInput(), 100.0f).won);  // no targets to fill
}

TEST(LevelFile, FailuresPrintTheirLineAndThrowTheirMessage)
{
    PuzzleBench t;
    std::string printed;
    Exception e = LoadFailure(t.p, 4, &printed);
    EXPECT_EQ(printed, "Couldn't load level data/level/level5.lvl\n");
    EXPECT_EQ(e.message, "Level file not found : data/level/level5.lvl");
    EXPECT_EQ(e.function, "LoadLevel");
    EXPECT_EQ(e.file, "tableau");
    EXPECT_GT(e.line, 0);

    std::string bad = HandMadeLevel();
    bad[1] = 'X';
    WriteLevelBytes(1, bad);
    e = LoadFailure(t.p, 1, &printed);
    EXPECT_EQ(printed, "bad level format : data/level/level2.lvl\n");
    EXPECT_EQ(e.message, "bad level format : data/level/level2.lvl");
    EXPECT_EQ(e.function, "LoadLevel");

    std::string tall = HandMadeLevel();
    tall[10] = char(16);
    WriteLevelBytes(2, tall);
    e = LoadFailure(t.p, 2, &printed);
    EXPECT_EQ(printed, "bad level size : 20x16\nonly support 20x15 level now.\n");
    EXPECT_EQ(e.message, "bad level size");
    EXPECT_EQ(e.file, "tableau");

    // A data prefix goes in front of the path.
    EXPECT_EQ(LevelFilePath("game/", 9), "game/data/level/level10.lvl");
}

TEST(LevelFile, MagicIsComparedAsFourBytes)
{
    PuzzleBench t;
    for (char fourth : {'X', '\x01', '\xff'}) {
        std::string bad = HandMadeLevel();
        bad[3] = fourth;
        WriteLevelBytes(0, bad);
        EXPECT_EQ(LoadFailure(t.p, 0).message, "bad level format : data/level/level1.lvl");
    }
    std::string lower = HandMadeLevel();
    lower[0] = 'l';
    WriteLevelBytes(0, lower);
    EXPECT_EQ(LoadFailure(t.p, 0).message, "bad level format : data/level/level1.lvl");
    WriteLevelBytes(0, HandMadeLevel());
    EXPECT_EQ(LoadLevel(t.p, 0, ""), 1);
}

TEST(LevelFile, AFileIsCheckedWholeAndRefusedBeforeAnythingChanges)
{
    PuzzleBench t;
    LevelFileData good = LevelFromText({"@ $ .", "", "   #"});
    good.solution = {2, 2, 6};
    WriteLevel(0, good);
    ASSERT_EQ(LoadLevel(t.p, 0, ""), 1);
    std::unique_ptr<Puzzle> before(new Puzzle(t.p));

    auto expectRefused = [&](const std::string& bytes, const char* what) {
        WriteLevelBytes(1, bytes);
        EXPECT_EQ(LoadFailure(t.p, 1).message, "bad level format : data/level/level2.lvl") << what;
        EXPECT_EQ(std::memcmp(&t.p.board, &before->board, sizeof t.p.board), 0) << what;
        EXPECT_EQ(t.p.solution, before->solution) << what;
        EXPECT_EQ(t.p.floorMask, before->floorMask) << what;
        EXPECT_EQ(t.p.blockCount, before->blockCount) << what;
        EXPECT_EQ(t.p.levelIndex, 0) << what;
    };
    const std::string bytes = EncodeLevelFile(good);
    expectRefused(bytes.substr(0, bytes.size() - 1), "one byte short");
    expectRefused(bytes + '\0', "one byte long");
    expectRefused(bytes.substr(0, 17), "head cut");

    std::string s = bytes;
    s[14] = '\xff', s[15] = '\xff', s[16] = '\xff', s[17] = '\xff';
    expectRefused(s, "B below 0");

    LevelFileData d = good;
    d.pairing.assign(201, 0);
    expectRefused(EncodeLevelFile(d), "B above 200");

    s = bytes;
    const size_t lAt = 18 + good.pairing.size() + 300;
    s[lAt] = '\xff', s[lAt + 1] = '\xff', s[lAt + 2] = '\xff', s[lAt + 3] = '\xff';
    expectRefused(s, "L below 0");
    s = bytes;
    s[lAt] = char(200);
    expectRefused(s, "L beyond the bytes left");

    d = good;
    d.pairing[0] = 1;  // one block: only 0 is a block number
    expectRefused(EncodeLevelFile(d), "pairing byte out of range");

    d = LevelFromText({"@"});
    for (int i = 1; i <= 201; ++i) d.cells[i] = 14;
    d.pairing.assign(200, 0);
    expectRefused(EncodeLevelFile(d), "201 blocks");

    d = LevelFromText({"@"});
    for (int i = 1; i <= 225; ++i) d.cells[i] = 1;
    d.pairing.clear();
    expectRefused(EncodeLevelFile(d), "225 targets");

    d = LevelFromText({"@bbbbb"});
    d.pairing.clear();
    expectRefused(EncodeLevelFile(d), "five bombs");

    d = LevelFromText({"  $ ."});
    expectRefused(EncodeLevelFile(d), "no car start");

    for (int code : {16, 19, 40, 99, 101, 200, 254, 255}) {
        d = good;
        d.cells[299] = uint8_t(code);
        expectRefused(EncodeLevelFile(d), ("cell code " + std::to_string(code)).c_str());
    }

    // Codes 3 to 13, specials and all wall codes are accepted.
    d = LevelFromText({"@3456789", "SS"});
    d.cells[40] = 13;
    d.cells[41] = 35;
    WriteLevel(2, d);
    EXPECT_EQ(LoadLevel(t.p, 2, ""), 1);
    EXPECT_EQ(t.p.board.At(3, 0), 5);
    EXPECT_EQ(t.p.board.At(0, 2), 13);
}

TEST(LevelFile, FifteenInAFileIsReadAsAMovableBlockOnATarget)
{
    PuzzleBench t;
    t.Start({"@ F  ."});
    EXPECT_EQ(t.p.targetCount, 2);
    EXPECT_NE(t.p.blockIndexMap[2], kNoIndex);
    EXPECT_EQ(t.p.targetIndexMap[2], 0);
    ASSERT_EQ(t.p.blockListCount, 1);
    // In row 0 a block on a target is fixed at once by the examination.
    EXPECT_EQ(t.Cell(2, 0), 15);
}

TEST(LevelFile, ABlockCountOfZeroIsValid)
{
    PuzzleBench t;
    LevelFileData d = LevelFromText({"@  ."});
    d.pairing.clear();
    WriteLevel(0, d);
    EXPECT_EQ(LoadLevel(t.p, 0, ""), 1);
    EXPECT_EQ(t.p.blockCount, 0);
}

TEST(LevelFile, PairingBytesAreUnsigned)
{
    // 140 blocks on targets; the first twelve are paired with blocks 128 to 139,
    // whose bytes would be negative if read as signed.
    PuzzleBench t;
    LevelFileData d = LevelFromText({"@"});
    for (int i = 1; i <= 140; ++i) d.cells[i] = 100;
    d.pairing.resize(140);
    for (int b = 0; b < 140; ++b) d.pairing[size_t(b)] = uint8_t(b < 12 ? b + 128 : b);
    // Level index 149 gives four colours; 128 is a multiple of four, so each
    // block keeps the colour of its own target.
    WriteLevel(149, d);
    LoadLevel(t.p, 149, "");
    EXPECT_EQ(t.p.pairing[0], 128);
    t.p.difficulty = kHard;
    StartLevelBoard(t.p, 0);
    EXPECT_EQ(t.p.targetCount, 140);
    EXPECT_EQ(CountPlacedBlocks(t.p), 140);
    EXPECT_TRUE(CheckLevelWon(t.p));
    int perColour[kMaxColours] = {};
    for (int i = 0; i < t.p.blockListCount; ++i) {
        ASSERT_GE(t.p.blocks[i].colour, 0);
        ASSERT_LT(t.p.blocks[i].colour, 4);
        ++perColour[t.p.blocks[i].colour];
    }
    EXPECT_EQ(perColour[0], 35);
    EXPECT_EQ(perColour[3], 35);
}

TEST(WallShaper, JoinsOnlyWhatTheNeighboursCodeAlreadyJoins)
{
    PuzzleBench t;
    LevelFileData d = LevelFromText({
        "@", "",
        "==",        // two alone pieces side by side stay alone
        "",
        "##",        // two joining pieces join each other
        "",
        "#", "#",    // vertical pair
        "",
        "=", "#",    // alone above joining: the upper one is shaped first
        "",
        "#", "=",    // joining above alone: neither joins
    });
    WriteLevel(0, d);
    LoadLevel(t.p, 0, "");
    EXPECT_EQ(t.Cell(0, 2), 20);
    EXPECT_EQ(t.Cell(1, 2), 20);
    EXPECT_EQ(t.Cell(0, 4), 28);  // joins right
    EXPECT_EQ(t.Cell(1, 4), 29);  // joins left
    EXPECT_EQ(t.Cell(0, 6), 30);  // joins down
    EXPECT_EQ(t.Cell(0, 7), 31);  // joins up
    EXPECT_EQ(t.Cell(0, 9), 30);
    EXPECT_EQ(t.Cell(0, 10), 31);
    EXPECT_EQ(t.Cell(0, 12), 20);
    EXPECT_EQ(t.Cell(0, 13), 20);
}

TEST(WallShaper, MaskTableAndBothShapers)
{
    // One piece for every mask (the table itself is wallpieces.h's).
    for (int m = 0; m < 16; ++m) {
        EXPECT_TRUE(IsWallCode(WallCodeForMask(m)));
        EXPECT_EQ(WallJoinMask(WallCodeForMask(m)), m);
    }
    EXPECT_EQ(WallJoinMask(36), 0);
    EXPECT_EQ(WallJoinMask(14), 0);

    PuzzleBench t;
    t.Start({"@", " # ", "###", " # ", "", "#####"});
    EXPECT_EQ(t.Cell(1, 2), 23);  // a cross: all four sides
    EXPECT_EQ(t.Cell(0, 2), 28);
    EXPECT_EQ(t.Cell(1, 1), 30);
    EXPECT_EQ(t.Cell(1, 3), 31);
    EXPECT_EQ(t.Cell(2, 5), 21);
    // The simple shaper joins every wall beside it, whatever its code.
    t.p.board.At(5, 8) = 20;
    t.p.board.At(5, 7) = 20;
    t.p.board.At(4, 8) = 20;
    EXPECT_EQ(ShapeWallSimple(t.p.board, 5, 8), WallCodeForMask(1 | 8));
    EXPECT_EQ(ShapeWallByJoins(t.p.board, 5, 8), 20);
    // At the board's edges nothing outside is joined.
    t.p.board.At(0, 14) = 20;
    EXPECT_EQ(ShapeWallSimple(t.p.board, 0, 14), 20);
}

TEST(LevelFile, TruncatedAndRandomBytesAreRefusedCleanly)
{
    PuzzleBench t;
    LevelFileData good = LevelFromText({"@ $ .", "  #", "b"});
    good.solution = {2, 6, 10, 1};
    const std::string bytes = EncodeLevelFile(good);
    // Every cut is refused by the decoder; a sample goes through the loader.
    for (size_t n = 0; n < bytes.size(); ++n) {
        LevelFileData d;
        std::string why;
        ASSERT_FALSE(DecodeLevelFile(bytes.substr(0, n), d, why)) << n;
        ASSERT_EQ(why, "format") << n;
        if (n % 37 == 0 || n < 20 || n + 3 > bytes.size()) {
            WriteLevelBytes(0, bytes.substr(0, n));
            ASSERT_EQ(LoadFailure(t.p, 0).message, "bad level format : data/level/level1.lvl") << n;
        }
    }
    std::mt19937 rng(1234);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        if (round % 2 == 0) {
            s = bytes;
            const int flips = 1 + int(rng() % 4);
            for (int i = 0; i < flips; ++i) s[rng() % s.size()] = char(rng());
        } else {
            s.resize(rng() % 1200);
            for (char& c : s) c = char(rng());
            if (s.size() >= 4 && rng() % 2) std::memcpy(&s[0], "LVL", 4);
        }
        LevelFileData d;
        std::string why;
        const bool decoded = DecodeLevelFile(s, d, why);
        if (round % 20 != 0) continue;
        WriteLevelBytes(0, s);
        Exception e = LoadFailure(t.p, 0);
        ASSERT_EQ(e.message.empty(), decoded);
        if (decoded) {
            ++loaded;
            for (int r = 0; r < kBoardRows; ++r)
                for (int c = 0; c < kBoardCols; ++c)
                    if (r < 2 || r > 16 || c < 2 || c > 21) {
                        ASSERT_EQ(t.p.board.cells[r][c], 255);
                    }
        } else {
            ASSERT_TRUE(e.message == "bad level format : data/level/level1.lvl" || e.message == "bad level size")
                << e.message;
        }
    }
    EXPECT_GT(loaded, 0);  // flips in the solution or mask leave a valid file
}

}  // namespace
