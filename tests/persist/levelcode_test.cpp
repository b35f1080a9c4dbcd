#include "app/exception.h"
#include "persist/filestore.h"
#include "persist/levelcode.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

std::string CodeFile(int count, const std::string& letters)
{
    std::string bytes;
    PutInt32(bytes, count);
    return bytes + letters;
}

void WriteCodeFile(const std::string& bytes)
{
    WriteTestFile("data/level/levelcode.dat", bytes);
}

LevelCodes Table(const std::string& letters)
{
    LevelCodes t;
    t.codeCount = static_cast<int>(letters.size()) / kCodeLength;
    t.codes.assign(letters.begin(), letters.end());
    return t;
}

// The message loadLevelCodes throws with, or "" when it loads.
std::string LoadMessage(LevelCodes& codes, const char* prefix = "")
{
    try {
        loadLevelCodes(codes, prefix);
    } catch (const Exception& e) {
        EXPECT_EQ(e.function, "loadLevelCodes");
        return e.message;
    }
    return "";
}

TEST(LevelCodeFile, LoadsTheTableAndHonoursTheDataPrefix)
{
    ScopedTempDir dir;
    WriteTestFile("pack/data/level/levelcode.dat", CodeFile(3, "ABCDEFGHIJKLMNO"));
    LevelCodes codes;
    EXPECT_EQ(LoadMessage(codes, "pack/"), "");
    ASSERT_EQ(codes.codeCount, 3);
    EXPECT_EQ(std::string(LevelCode(codes, 1), 5), "FGHIJ");
    EXPECT_EQ(LevelCode(codes, 3), nullptr);
    EXPECT_EQ(LevelCode(codes, -1), nullptr);

    FreeLevelCodes(codes);
    EXPECT_EQ(codes.codeCount, 0);
    EXPECT_EQ(LevelCode(codes, 0), nullptr);
}

TEST(LevelCodeFile, RefusesMissingShortNegativeAbsurdAndNonLetterTables)
{
    ScopedTempDir dir;
    LevelCodes codes = Table("KEEPS");
    const std::string message = "can't load level code file : data/level/levelcode.dat";
    EXPECT_EQ(LoadMessage(codes), message);  // missing

    const std::string refused[] = {
        CodeFile(3, "ABCDEFGHIJKLMN"),         // one letter short of its count
        CodeFile(-1, ""),                      // negative count
        CodeFile(0x40000000, std::string(50, 'A')),  // 5 × count would overflow
        CodeFile(11, std::string(55, 'A')),    // more codes than levels
        CodeFile(2, "ABCDEabcde"),             // small letters
        CodeFile(1, std::string("AB\0DE", 5)),
        std::string("\x01\x00", 2),            // not even a count
    };
    for (const std::string& bytes : refused) {
        WriteCodeFile(bytes);
        EXPECT_EQ(LoadMessage(codes), message);
        // The table in memory is never left half-filled.
        ASSERT_EQ(codes.codeCount, 1);
        EXPECT_EQ(std::string(codes.codes.begin(), codes.codes.end()), "KEEPS");
    }
}

TEST(LevelCodeFile, AcceptsAnEmptyTableAndTenCodes)
{
    ScopedTempDir dir;
    LevelCodes codes = Table("KEEPS");
    WriteCodeFile(CodeFile(0, ""));
    EXPECT_EQ(LoadMessage(codes), "");
    EXPECT_EQ(codes.codeCount, 0);
    CodeEntry entry;
    Progress progress;
    EXPECT_EQ(EnterLevelCode(codes, entry, progress, "./"), -1);

    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += std::string(5, static_cast<char>('A' + i));
    WriteCodeFile(CodeFile(10, ten) + "trailing bytes are not codes");
    EXPECT_EQ(LoadMessage(codes), "");
    EXPECT_EQ(codes.codeCount, 10);
    EXPECT_EQ(std::string(LevelCode(codes, 9), 5), "JJJJJ");
}

TEST(LevelCodeMatch, FirstEqualCodeWinsLetterForLetter)
{
    LevelCodes codes = Table("AAAAABBBBBCCCCCBBBBB");
    EXPECT_EQ(MatchCode(codes, "BBBBB"), 1);  // index 3 holds the same code
    EXPECT_EQ(MatchCode(codes, "CCCCC"), 2);
    EXPECT_EQ(MatchCode(codes, "CCCCD"), -1);
    EXPECT_EQ(MatchCode(codes, "ccccc"), -1);
    EXPECT_EQ(MatchCode(codes, nullptr), -1);
    EXPECT_EQ(MatchCode(LevelCodes(), "AAAAA"), -1);
}

TEST(LevelCodeEntry, MarksExactlyTheEarlierLevelsAndWritesProgress)
{
    ScopedTempDir dir;
    WriteTestFile("level/.keep", "");
    LevelCodes codes = Table("AAAAABBBBBCCCCCDDDDDEEEEE");
    Progress progress;
    progress.done[3] = 0;
    progress.done[4] = 1;
    progress.done[7] = 1;

    CodeEntry entry;
    std::memcpy(entry.typedCode, "DDDDD", 5);
    EXPECT_EQ(EnterLevelCode(codes, entry, progress, "./"), 3);
    EXPECT_EQ(entry.codeFound, 1);
    EXPECT_EQ(entry.foundLevel, 3);
    const unsigned char expected[10] = {1, 1, 1, 0, 1, 0, 0, 1, 0, 0};
    EXPECT_EQ(0, std::memcmp(progress.done, expected, 10));
    EXPECT_EQ(ReadTestFile("level/leveldata.dat"), std::string(reinterpret_cast<const char*>(expected), 10));

    // The code of level 0 starts level 0 and marks nothing.
    Progress fresh;
    std::memcpy(entry.typedCode, "AAAAA", 5);
    EXPECT_EQ(EnterLevelCode(codes, entry, fresh, "./"), 0);
    for (unsigned char b : fresh.done)
        EXPECT_EQ(b, 0);

    // A wrong code changes nothing but the found flag.
    Progress before = progress;
    std::memcpy(entry.typedCode, "ZZZZZ", 5);
    EXPECT_EQ(EnterLevelCode(codes, entry, progress, "./"), -1);
    EXPECT_EQ(entry.codeFound, 0);
    EXPECT_EQ(0, std::memcmp(before.done, progress.done, 10));
}

TEST(LevelCodeEntry, TypingStoresCapitalsAtTheCursor)
{
    CodeEntry entry;
    for (char c : std::string("abcdef"))
        TypeCodeCharacter(entry, static_cast<unsigned char>(c));
    // A sixth letter overwrites the fifth.
    EXPECT_EQ(std::string(entry.typedCode, 5), "ABCDF");
    EXPECT_EQ(entry.cursor, 4);
    TypeCodeCharacter(entry, '1');
    TypeCodeCharacter(entry, 0xE9);  // an accented letter
    TypeCodeCharacter(entry, '-');
    EXPECT_EQ(std::string(entry.typedCode, 5), "ABCDF");
    MoveCodeCursor(entry, -1);
    MoveCodeCursor(entry, -1);
    TypeCodeCharacter(entry, 'Q');
    EXPECT_EQ(std::string(entry.typedCode, 5), "ABQDF");
    for (int i = 0; i < 8; ++i)
        MoveCodeCursor(entry, -1);
    EXPECT_EQ(entry.cursor, 0);
    for (int i = 0; i < 8; ++i)
        MoveCodeCursor(entry, +1);
    EXPECT_EQ(entry.cursor, 4);
}

TEST(LevelCodeGenerator, WritesTheListingAndTheTableAsTheGameReadsThem)
{
    ScopedTempDir dir;
    WriteTestFile("data/level/.keep", "");
    LevelCodes codes;
    ASSERT_EQ(GenerateLevelCodesSeeded(codes, 20, 7), 1);
    ASSERT_EQ(codes.codeCount, 20);

    std::vector<std::string> lines = ReadTestLines("codes.txt");
    ASSERT_EQ(lines.size(), 2u + 20u + 2u);
    EXPECT_EQ(lines[0], "* Pondrake : Level codes *");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[12], "");  // after the 10th code line
    EXPECT_EQ(lines[23], "");  // after the 20th
    std::set<std::string> seen;
    for (int n = 0; n < 20; ++n) {
        const std::string& line = lines[2 + n + (n >= 10 ? 1 : 0)];
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "Level %4d - Code = ", n + 1);
        ASSERT_EQ(line.substr(0, line.size() - 5), prefix) << line;
        std::string code = line.substr(line.size() - 5);
        EXPECT_EQ(code, std::string(LevelCode(codes, n), 5));
        for (int i = 0; i < 5; ++i) {
            EXPECT_TRUE(code[i] >= 'A' && code[i] <= 'Z') << code;
            if (i > 0) {
                EXPECT_NE(code[i], code[i - 1]) << code;
            }
        }
        EXPECT_TRUE(seen.insert(code).second) << "repeated " << code;
    }
    EXPECT_EQ(ReadTestFile("data/level/levelcode.dat"), EncodeLevelCodes(codes));

    // The listing reads back to the same table.
    LevelCodes parsed;
    std::string error;
    ASSERT_TRUE(ParseCodeListing(ReadTestFile("codes.txt"), parsed, error)) << error;
    EXPECT_EQ(parsed.codes, codes.codes);
}

TEST(LevelCodeGenerator, ZeroCodesIsAnEmptyTable)
{
    ScopedTempDir dir;
    WriteTestFile("data/level/.keep", "");
    LevelCodes codes = Table("KEEPS");
    ASSERT_EQ(GenerateLevelCodesSeeded(codes, 0, 1), 1);
    EXPECT_EQ(codes.codeCount, 0);
    EXPECT_EQ(ReadTestFile("data/level/levelcode.dat"), std::string(4, '\0'));
    EXPECT_EQ(ReadTestLines("codes.txt").size(), 2u);
}

TEST(LevelCodeGenerator, RefusalsAndWriteFailuresLeaveTableAndFilesWhole)
{
    ScopedTempDir dir;
    WriteTestFile("data/level/.keep", "");
    LevelCodes codes;
    ASSERT_EQ(GenerateLevelCodesSeeded(codes, 4, 3), 1);
    const LevelCodes old = codes;
    const std::string oldListing = ReadTestFile("codes.txt");
    const std::string oldTable = ReadTestFile("data/level/levelcode.dat");
    auto unchanged = [&] {
        EXPECT_EQ(codes.codes, old.codes);
        EXPECT_EQ(codes.codeCount, old.codeCount);
        EXPECT_EQ(ReadTestFile("codes.txt"), oldListing);
        EXPECT_EQ(ReadTestFile("data/level/levelcode.dat"), oldTable);
    };

    for (int count : {-1, kMaxDistinctCodes + 1}) {
        std::string err0 = CaptureStderr([&] { EXPECT_EQ(GenerateLevelCodesSeeded(codes, count, 3), 0); });
        EXPECT_NE(err0.find("distinct level codes"), std::string::npos) << err0;
        unchanged();
    }

    // "codes.txt" cannot be created: a directory stands where its temporary
    // file would go.
    WriteTestFile("codes.txt.tmp/x", "");
    std::string err = CaptureStderr([&] { EXPECT_EQ(GenerateLevelCodesSeeded(codes, 6, 9), 0); });
    EXPECT_EQ(err, "can't create codes.txt\n");
    unchanged();
    EXPECT_FALSE(TestFileExists("data/level/levelcode.dat.tmp"));
    std::remove("codes.txt.tmp/x");
    std::remove("codes.txt.tmp");

    // The code file cannot be created: the listing is not replaced either.
    WriteTestFile("data/level/levelcode.dat.tmp/x", "");
    err = CaptureStderr([&] { EXPECT_EQ(GenerateLevelCodesSeeded(codes, 6, 9), 0); });
    EXPECT_EQ(err, "can't create level code file\n");
    unchanged();
    EXPECT_FALSE(TestFileExists("codes.txt.tmp"));
}

TEST(LevelCodeListing, RefusesListingsTheGameCouldNotUse)
{
    LevelCodes codes = Table("KEEPS");
    std::string error;
    const char* head = "* Pondrake : Level codes *\n\n";
    const std::string bad[] = {
        std::string(head) + "Level    2 - Code = ABCDE\n",                              // not from 1
        std::string(head) + "Level    1 - Code = ABCD\n",                               // four letters
        std::string(head) + "Level    1 - Code = ABCDEF\n",                             // six
        std::string(head) + "Level    1 - Code = abcde\n",                              // small letters
        std::string(head) + "Level    1 - Code = ABCDE\nLevel    2 - Code = ABCDE\n",   // repeated
        std::string(head) + "Level    1 - Code = ABCDE junk\n",
        std::string(head) + "something else\n",
    };
    for (const std::string& text : bad) {
        EXPECT_FALSE(ParseCodeListing(text, codes, error)) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(codes.codeCount, 1);
    }
    ASSERT_TRUE(ParseCodeListing(std::string(head) + "Level    1 - Code = ABCDE\r\n", codes, error));
    EXPECT_EQ(std::string(LevelCode(codes, 0), 5), "ABCDE");
}

TEST(ShippedLevelCodes, TheBuiltTableMatchesTheListingAndLoads)
{
    LevelCodes listed;
    std::string error;
    const std::string listing = ReadTestFile(SourceDir() + "/levels/codes.txt");
    ASSERT_TRUE(ParseCodeListing(listing, listed, error)) << error;
    EXPECT_EQ(listed.codeCount, kLevelCount);
    EXPECT_EQ(FormatCodeListing(listed), listing);

    std::string prefix = RunDir() + "/";
    LevelCodes loaded;
    ASSERT_EQ(LoadMessage(loaded, prefix.c_str()), "");
    EXPECT_EQ(loaded.codes, listed.codes);
}

}  // namespace
