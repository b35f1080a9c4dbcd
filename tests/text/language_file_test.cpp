#include "text/texte.h"

#include "app/exception.h"
#include "testdir.h"
#include "utf16_helpers.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Value(const LanguageFile& lf, const char* key)
{
    const LanguageEntry* e = FindLanguageEntry(lf, key);
    return e ? e->value.ToUtf8() : std::string("<missing>");
}

}  // namespace

TEST(LanguageFileFormat, KeysAreExactAndTheFirstLineWins)
{
    ScopedTempDir dir;
    std::u16string text = u"Play=Jouer\r\n"
                          u"Back = Retour\r\n"
                          u"Formula=a=b=c\r\n"
                          u"\r\n"
                          u"Play=Second\r\n"
                          u"no equals sign here\r\n"
                          u"Empty=\r\n"
                          u"play=lower case\r\n"
                          u"Last=never read";
    ASSERT_TRUE(WriteTestFile(dir.file("t.txt"), Utf16Bytes(text)));
    LanguageFile lf;
    ASSERT_TRUE(LoadLanguageFile(lf, "t.txt"));
    EXPECT_TRUE(lf.loaded);
    EXPECT_STREQ(lf.path, "t.txt");

    EXPECT_EQ(Value(lf, "Play"), "Jouer");  // the first of two lines
    EXPECT_EQ(Value(lf, "play"), "lower case");
    // Spaces around "=" belong to the key and the value.
    EXPECT_EQ(Value(lf, "Back"), "<missing>");
    EXPECT_EQ(Value(lf, "Back "), " Retour");
    EXPECT_EQ(Value(lf, "Formula"), "a=b=c");
    const LanguageEntry* empty = FindLanguageEntry(lf, "Empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->value.Empty());
    // The last line has no line end and is lost.
    EXPECT_EQ(Value(lf, "Last"), "<missing>");
    // The empty line is skipped; the line without "=" is an entry that no
    // key finds.
    EXPECT_EQ(lf.entries.size(), 7u);
    int blankKeys = 0;
    for (const LanguageEntry& e : lf.entries)
        blankKeys += e.key.Empty() && e.value.Empty();
    EXPECT_EQ(blankKeys, 1);
}

TEST(LanguageFileFormat, ByteOrderMarks)
{
    ScopedTempDir dir;
    std::u16string text = u"Play=Jouer é\r\nQuit=Quitter\r\n";
    ASSERT_TRUE(WriteTestFile(dir.file("le.txt"), Utf16Bytes(text)));
    ASSERT_TRUE(WriteTestFile(dir.file("be.txt"), Utf16Bytes(text, true)));
    ASSERT_TRUE(WriteTestFile(dir.file("none.txt"), Utf16Bytes(text, false, false)));
    ASSERT_TRUE(WriteTestFile(dir.file("ascii.txt"), "Play=Jouer\r\n"));

    LanguageFile le, be, none;
    ASSERT_TRUE(LoadLanguageFile(le, "le.txt"));
    EXPECT_EQ(Value(le, "Play"), "Jouer é");
    // FE FF says big-endian, and the file is read so.
    ASSERT_TRUE(LoadLanguageFile(be, "be.txt"));
    EXPECT_EQ(Value(be, "Play"), "Jouer é");
    EXPECT_EQ(Value(be, "Quit"), "Quitter");

    for (const char* name : {"none.txt", "ascii.txt"}) {
        std::string err = CaptureStderr([&] { EXPECT_FALSE(LoadLanguageFile(none, name)); });
        EXPECT_EQ(err, std::string(name) + " : Not a Unicode UTF16 File\n");
        EXPECT_FALSE(none.loaded);
        EXPECT_TRUE(none.entries.empty());
    }
    // A file that does not exist fails without a message.
    std::string err = CaptureStderr([&] { EXPECT_FALSE(LoadLanguageFile(none, "missing.txt")); });
    EXPECT_EQ(err, "");
}

TEST(LanguageFileFormat, ShortAndOddFilesAreRefusedWithoutReadingPastTheEnd)
{
    ScopedTempDir dir;
    std::string good = Utf16Bytes(u"Play=Jouer\r\n");
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"zero.txt", ""},
        {"one.txt", std::string("\xFF", 1)},
        {"three.txt", std::string("\xFF\xFE\x41", 3)},
        {"odd.txt", good + "x"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteTestFile(dir.file(c.name), c.bytes));
        LanguageFile lf;
        std::string err = CaptureStderr([&] { EXPECT_FALSE(LoadLanguageFile(lf, c.name)) << c.name; });
        EXPECT_EQ(err, std::string(c.name) + " : Not a Unicode UTF16 File\n");
    }
    // Only the mark: a valid, empty file.
    ASSERT_TRUE(WriteTestFile(dir.file("bom.txt"), std::string("\xFF\xFE", 2)));
    LanguageFile lf;
    EXPECT_TRUE(LoadLanguageFile(lf, "bom.txt"));
    EXPECT_TRUE(lf.entries.empty());

    // A final lone CR or LF: the line before it is not read, and the reader
    // stops at the end of the data.
    for (const std::u16string& text : {std::u16string(u"A=1\r\nB=2\r"), std::u16string(u"A=1\r\nB=2\n")}) {
        ASSERT_TRUE(WriteTestFile(dir.file("lone.txt"), Utf16Bytes(text)));
        ASSERT_TRUE(LoadLanguageFile(lf, "lone.txt"));
        EXPECT_EQ(Value(lf, "A"), "1");
        EXPECT_EQ(Value(lf, "B"), "<missing>");
    }

    // The game's own loader turns a refused file into its missing-file error.
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_en.txt"), good + "x"));
    std::string message, function, file;
    std::string err = CaptureStderr([&] {
        try {
            LoadTextFile("", "en");
        } catch (const Exception& e) {
            message = e.message;
            function = e.function;
            file = e.file;
        }
    });
    EXPECT_EQ(message, "Langage File data/text_en.txt not found");
    EXPECT_EQ(function, "LoadTextFile");
    EXPECT_EQ(file, "texte");
    EXPECT_EQ(err, "data/text_en.txt : Not a Unicode UTF16 File\n");
}

TEST(LanguageFileFormat, LineFeedOnlyFilesLoseTheFirstUnitOfLaterLines)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile(dir.file("lf.txt"), Utf16Bytes(u"Play=Jouer\nQuit=Quitter\nBack=Retour\r\n")));
    LanguageFile lf;
    ASSERT_TRUE(LoadLanguageFile(lf, "lf.txt"));
    EXPECT_EQ(Value(lf, "Play"), "Jouer");
    EXPECT_EQ(Value(lf, "Quit"), "<missing>");
    EXPECT_EQ(Value(lf, "uit"), "Quitter");
    EXPECT_EQ(Value(lf, "ack"), "Retour");
}

TEST(LanguageFileFormat, OverLongLinesAreCut)
{
    ScopedTempDir dir;
    std::u16string longValue(3000, u'y');
    std::u16string text = u"Long=" + longValue + u"\r\nNext=after\r\n";
    ASSERT_TRUE(WriteTestFile(dir.file("long.txt"), Utf16Bytes(text)));
    LanguageFile lf;
    ASSERT_TRUE(LoadLanguageFile(lf, "long.txt"));
    const LanguageEntry* e = FindLanguageEntry(lf, "Long");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->key.Length() + 1 + e->value.Length(), kMaxLineUnits);
    // The rest of the long line is dropped, not read as a line of its own.
    EXPECT_EQ(Value(lf, "Next"), "after");
    EXPECT_EQ(lf.entries.size(), 2u);
}

TEST(LanguageFileFormat, DamagedBytesAreRefusedOrReadCleanly)
{
    ScopedTempDir dir;
    std::string good = Utf16Bytes(CompleteLanguage(u"t", u" abc"));
    // Every truncation: odd lengths are refused, even ones read what they hold.
    for (size_t n = 0; n <= good.size(); n += 7) {
        ASSERT_TRUE(WriteTestFile(dir.file("cut.txt"), good.substr(0, n)));
        LanguageFile lf;
        bool ok = false;
        CaptureStderr([&] { ok = LoadLanguageFile(lf, "cut.txt"); });
        EXPECT_EQ(ok, n >= 2 && n % 2 == 0) << n;
        EXPECT_LE(lf.entries.size(), static_cast<size_t>(kTextKeyCount));
    }
    std::mt19937 rng(1234);
    for (int round = 0; round < 200; ++round) {
        std::string bytes = good;
        if (round % 2)
            bytes.resize(rng() % 4000);
        for (char& b : bytes)
            if (rng() % 8 == 0)
                b = static_cast<char>(rng());
        if (round % 3 == 0 && bytes.size() >= 2) {
            bytes[0] = '\xFF';
            bytes[1] = '\xFE';
        }
        ASSERT_TRUE(WriteTestFile(dir.file("rnd.txt"), bytes));
        LanguageFile lf;
        CaptureStderr([&] { LoadLanguageFile(lf, "rnd.txt"); });
        for (const LanguageEntry& e : lf.entries)
            EXPECT_LT(e.key.Length() + e.value.Length(), kMaxLineUnits + 1);
    }
}

TEST(LoadTextFile, FillsEveryKeyAndNamesTheMissingOnes)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile(dir.file("pre/data/text_fr.txt"), Utf16Bytes(CompleteLanguage(u"fr:", u" éa"))));
    ASSERT_TRUE(LoadTextFile("pre/", "fr"));
    EXPECT_EQ(TextKey::Correspondance.Str(), u" éa");
    EXPECT_EQ(TextKey::Play.Str(), u"fr:Play");
    EXPECT_EQ(TextKey::MessageGameWin2.Str(), u"fr:MessageGameWin2");
    for (int i = 1; i < kTextKeyCount; ++i)
        EXPECT_EQ(kTextKeys[i].text->ToUtf8(), std::string("fr:") + kTextKeys[i].name);
    EXPECT_STREQ(LanguagePath(), "pre/data/text_fr.txt");
    WideText t;
    EXPECT_TRUE(ReadINI("Quit", t));
    EXPECT_EQ(t.Str(), u"fr:Quit");

    try {
        ReadINI("NoSuchKey", t);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message, "Couldn't read Key 'NoSuchKey' in langage File pre/data/text_fr.txt\n");
        EXPECT_EQ(e.function, "ReadINI");
        EXPECT_EQ(e.file, "texte");
    }

    ASSERT_TRUE(WriteTestFile(dir.file("data/text_es.txt"), Utf16Bytes(CompleteLanguage(u"es:", u" ", "Speed"))));
    try {
        LoadTextFile("", "es");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message, "Couldn't read Key 'Speed' in langage File data/text_es.txt\n");
        EXPECT_EQ(e.function, "ReadINI");
    }
    try {
        LoadTextFile("", "en");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message, "Langage File data/text_en.txt not found");
        EXPECT_EQ(e.function, "LoadTextFile");
    }
    // Neither failure touched the texts in use.
    EXPECT_EQ(TextKey::Play.Str(), u"fr:Play");
}

TEST(LoadTextFile, OnlyTheThreeLanguagesNameAFile)
{
    char path[kPathSize];
    ASSERT_TRUE(LanguagePathFor("", "es", path));
    EXPECT_STREQ(path, "data/text_es.txt");
    ASSERT_TRUE(LanguagePathFor("x/", "../../etc/passwd", path));
    EXPECT_STREQ(path, "x/data/text_en.txt");
    ASSERT_TRUE(LanguagePathFor(nullptr, "de", path));
    EXPECT_STREQ(path, "data/text_en.txt");
    std::string longPrefix(kPathSize, 'p');
    EXPECT_FALSE(LanguagePathFor(longPrefix.c_str(), "en", path));
}

TEST(SwitchLanguage, AFailedSwitchKeepsTheLanguageInUse)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_en.txt"), Utf16Bytes(CompleteLanguage(u"en:", u" e"))));
    ASSERT_TRUE(LoadTextFile("", "en"));

    // Missing file.
    std::string err = CaptureStderr([] { EXPECT_FALSE(SwitchLanguage("", "fr")); });
    EXPECT_EQ(err, "Langage File data/text_fr.txt not found : keeping the current language\n");
    EXPECT_EQ(TextKey::Play.Str(), u"en:Play");
    // Damaged file.
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_fr.txt"), Utf16Bytes(CompleteLanguage(u"fr:", u" ")) + "!"));
    err = CaptureStderr([] { EXPECT_FALSE(SwitchLanguage("", "fr")); });
    EXPECT_NE(err.find("keeping the current language"), std::string::npos);
    EXPECT_EQ(TextKey::Play.Str(), u"en:Play");
    // A key missing.
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_fr.txt"), Utf16Bytes(CompleteLanguage(u"fr:", u" ", "MessageCode"))));
    err = CaptureStderr([] { EXPECT_FALSE(SwitchLanguage("", "fr")); });
    EXPECT_EQ(err, "Couldn't read Key 'MessageCode' in langage File data/text_fr.txt : keeping the current "
                   "language\n");
    EXPECT_EQ(TextKey::MessageCode.Str(), u"en:MessageCode");
    EXPECT_STREQ(LanguagePath(), "data/text_en.txt");
    WideText t;
    EXPECT_TRUE(ReadINI("Quit", t));
    EXPECT_EQ(t.Str(), u"en:Quit");

    // A good file switches every text.
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_fr.txt"), Utf16Bytes(CompleteLanguage(u"fr:", u" é"))));
    EXPECT_TRUE(SwitchLanguage("", "fr"));
    EXPECT_EQ(TextKey::Play.Str(), u"fr:Play");
    EXPECT_EQ(TextKey::Correspondance.Str(), u" é");
    EXPECT_STREQ(LanguagePath(), "data/text_fr.txt");
}

TEST(UnicodeTextFile, ReadsLinesLikeTheLanguageFileButKeepsEmptyOnes)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile(dir.file("c.txt"), Utf16Bytes(u"*Title\r\n\r\nline é\r\nlost")));
    UnicodeTextFile f;
    ASSERT_TRUE(f.Open("c.txt"));
    EXPECT_EQ(f.position, 2u);
    EXPECT_EQ(f.size, 2u + 2u * 22u);
    WideText line;
    ASSERT_TRUE(f.ReadLine(line));
    EXPECT_EQ(line.Str(), u"*Title");
    EXPECT_EQ(f.position, 2u + 2u * 8u);
    ASSERT_TRUE(f.ReadLine(line));
    EXPECT_TRUE(line.Empty());
    ASSERT_TRUE(f.ReadLine(line));
    EXPECT_EQ(line.Str(), u"line é");
    EXPECT_FALSE(f.ReadLine(line));
    EXPECT_FALSE(f.ReadLine(line));

    ASSERT_TRUE(WriteTestFile(dir.file("be.txt"), Utf16Bytes(u"¡Hola!\r\n", true)));
    ASSERT_TRUE(f.Open("be.txt"));
    ASSERT_TRUE(f.ReadLine(line));
    EXPECT_EQ(line.Str(), u"¡Hola!");

    std::string err = CaptureStderr([&] { EXPECT_FALSE(f.Open("nothing.txt")); });
    EXPECT_EQ(err, "");
    ASSERT_TRUE(WriteTestFile(dir.file("plain.txt"), "hello\r\n"));
    err = CaptureStderr([&] { EXPECT_FALSE(f.Open("plain.txt")); });
    EXPECT_EQ(err, "plain.txt : Not a Unicode UTF16 File\n");
    EXPECT_FALSE(f.ReadLine(line));
}

TEST(Credits, HeadingsGapsAndAMissingFile)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile(dir.file("data/credit_es.txt"),
                              Utf16Bytes(u"*Créditos\r\nUna línea\r\n\r\n*\r\n¡Gracias!\r\n")));
    std::vector<CreditLine> lines;
    ASSERT_TRUE(LoadCredits("", "es", lines));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[0].heading);
    EXPECT_EQ(lines[0].text.Str(), u"Créditos");
    EXPECT_FALSE(lines[1].heading);
    EXPECT_EQ(lines[1].text.Str(), u"Una línea");
    EXPECT_TRUE(lines[2].text.Empty());
    EXPECT_FALSE(lines[2].heading);
    EXPECT_TRUE(lines[3].heading);
    EXPECT_TRUE(lines[3].text.Empty());
    EXPECT_EQ(lines[4].text.Str(), u"¡Gracias!");

    // Reading again replaces the list instead of adding to it.
    ASSERT_TRUE(LoadCredits("", "es", lines));
    EXPECT_EQ(lines.size(), 5u);
    std::string err = CaptureStderr([&] { EXPECT_FALSE(LoadCredits("", "fr", lines)); });
    EXPECT_EQ(err, "Credit file not found !!!\n");
    EXPECT_TRUE(lines.empty());
}
