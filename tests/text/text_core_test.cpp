// Wide texts, language and credit files, and the shipped ones.
#include "text/texte.h"

#include "fuzz.h"
#include "helpers.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string Value(const LanguageFile& lf, const char* key)
{
    const LanguageEntry* e = FindLanguageEntry(lf, key);
    return e ? e->value.ToUtf8() : "<missing>";
}

std::string DataFile(const char* stem, const char* lang)
{
    return RunDir() + "/data/" + stem + "_" + lang + ".txt";
}

TEST(WideText, Utf8RoundTripAndRefusals)
{
    WideText t;
    for (const char* s : {"¡Enhorabuena! Félicitations ©", "\xF0\x9F\x98\x80"})
        EXPECT_TRUE(WideText::FromUtf8(s, t) && t.ToUtf8() == s) << s;
    EXPECT_EQ(t.Length(), 2);  // a surrogate pair
    for (const char* b : {"\xC3", "\xE2\x82", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80", "a\xC3("})
        EXPECT_FALSE(WideText::FromUtf8(b, t)) << b;
}

TEST(LanguageFile, LineRules)
{
    ScopedTempDir dir;
    const struct {
        std::string bytes;
        size_t entries;
        std::vector<std::pair<const char*, const char*>> values;
    } cases[] = {
        // Exact keys, the first line wins, the last line unended is never read.
        {Utf16Bytes(u"Play=Jouer\r\nBack = Retour\r\nFormula=a=b=c\r\n\r\nPlay=Second\r\nno equals sign\r\n"
                    u"Empty=\r\nplay=lower case\r\nLast=never read"),
         7,
         {{"Play", "Jouer"},
          {"play", "lower case"},
          {"Back", "<missing>"},
          {"Back ", " Retour"},
          {"Formula", "a=b=c"},
          {"Empty", ""},
          {"Last", "<missing>"}}},
        {Utf16Bytes(u"Play=Jouer é\r\nQuit=Quitter\r", true),
         1,
         {{"Play", "Jouer é"}, {"Quit", "<missing>"}}},  // big-endian
        // A lone line feed ends a line, and the unit after it goes with it.
        {Utf16Bytes(u"Play=Jouer\nQuit=Quitter\nBack=Retour\n"),
         2,
         {{"Play", "Jouer"}, {"Quit", "<missing>"}, {"uit", "Quitter"}, {"ack", "<missing>"}}},
        {std::string("\xFF\xFE"), 0, {}},
        // An over-long line is cut to the longest; its rest is dropped, not read as a line.
        {Utf16Bytes(u"Long=" + std::u16string(3000, u'y') + u"\r\nNext=after\r\n"), 2, {{"Next", "after"}}},
    };
    LanguageFile lf;  // each load replaces what it held
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteTestFile("t.txt", c.bytes));
        ASSERT_TRUE(LoadLanguageFile(lf, "t.txt") && lf.loaded);
        ASSERT_EQ(lf.entries.size(), c.entries);
        for (const auto& kv : c.values)
            EXPECT_EQ(Value(lf, kv.first), kv.second) << kv.first;
        for (const LanguageEntry& e : lf.entries)
            EXPECT_LE(e.key.Length() + 1 + e.value.Length(), kMaxLineUnits);
    }
    EXPECT_EQ(Value(lf, "Long").size(), kMaxLineUnits - 5);
}

TEST(LanguageFile, DamagedFilesAreRefusedOrReadWithinBoundsAndAMissingOneQuietly)
{
    ScopedTempDir dir;
    const std::string good = Utf16Bytes(CompleteLanguage(u"t", u" abc"));
    for (const std::string& bad : {std::string(), std::string("\xFF"), std::string("\xFF\xFE\x41"), good + "x",
                                   Utf16Bytes(u"Play=Jouer\r\n", false, false)}) {
        ASSERT_TRUE(WriteTestFile("bad.txt", bad));
        LanguageFile lf;
        EXPECT_EQ(CaptureStderr([&] { EXPECT_FALSE(LoadLanguageFile(lf, "bad.txt")); }),
                  "bad.txt : Not a Unicode UTF16 File\n");
        EXPECT_TRUE(!lf.loaded && lf.entries.empty());
    }
    LanguageFile lf;
    EXPECT_EQ(CaptureStderr([&] { EXPECT_FALSE(LoadLanguageFile(lf, "missing.txt")); }), "");
    // Read at most what a language file may hold: the largest is read, a
    // larger or huge file or a FIFO in its place is refused, never waited on.
    std::string edge = good;
    edge.resize(kUtf16FileMaxBytes, ' ');  // an unended last line, which is dropped
    ASSERT_TRUE(WriteTestFile("edge.txt", edge) && WriteTestFile("over.txt", edge + "\r") &&
                MakeHugeFile("huge.txt", 1LL << 26) && mkfifo("fifo.txt", 0644) == 0);
    EXPECT_TRUE(LoadLanguageFile(lf, "edge.txt"));
    const std::string tooLarge = " : larger than " + std::to_string(kUtf16FileMaxBytes) + " bytes\n";
    for (const std::string f : {"over.txt", "huge.txt", "fifo.txt"}) {
        const std::string said = f == "fifo.txt" ? f + " : cannot be read\n" : f + tooLarge;
        EXPECT_EQ(ExitStatusWithin(5, [&] { return CaptureStderr([&] { LoadLanguageFile(lf, f.c_str()); }) == said; }),
                  1)
            << f;
    }
    EXPECT_LT(BytesReadDuring([&] { CaptureStderr([&] { LoadLanguageFile(lf, "huge.txt"); }); }),
              2 * (long long)kUtf16FileMaxBytes);
    ForEachDamagedCopy(good, 300, 1234, [&](const std::string& bytes, int) {
        std::remove("rnd.txt");
        ASSERT_TRUE(WriteTestFile("rnd.txt", bytes));
        const std::string said = CaptureStderr([&] { LoadLanguageFile(lf, "rnd.txt"); });
        EXPECT_EQ(said.empty(), lf.loaded);
        for (const LanguageEntry& e : lf.entries)
            EXPECT_LE(e.key.Length() + e.value.Length(), kMaxLineUnits);
    });
}

TEST(LoadTextFile, FillsEveryKeyOrFailsAndASwitchThatFailsKeepsTheLanguageInUse)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("pre/data/text_fr.txt", Utf16Bytes(CompleteLanguage(u"fr:", u" éa"))));
    ASSERT_TRUE(LoadTextFile("pre/", "fr"));
    EXPECT_EQ(TextKey::Correspondance.Str(), u" éa");
    for (int i = 1; i < kTextKeyCount; ++i)
        EXPECT_EQ(kTextKeys[i].text->ToUtf8(), std::string("fr:") + kTextKeys[i].name);
    WideText t;
    EXPECT_TRUE(ReadINI("Quit", t) && t.Str() == u"fr:Quit");
    EXPECT_EQ(Thrown([&] { ReadINI("NoSuchKey", t); }),
              "Couldn't read Key 'NoSuchKey' in langage File pre/data/text_fr.txt\n|ReadINI|texte");
    // Missing, damaged, lacking a key: an error at start-up; a switch asked
    // for by the player keeps the language in use and says why.
    const std::string notUtf16 = "data/text_es.txt : Not a Unicode UTF16 File\n",
                      notFound = "Langage File data/text_es.txt not found",
                      noKey = "Couldn't read Key 'Speed' in langage File data/text_es.txt";
    const struct {
        std::string bytes, atStart, onSwitch;  // atStart: what is said on stderr, then thrown
    } broken[] = {
        {"", notFound + "|LoadTextFile|texte", notFound},
        {Utf16Bytes(CompleteLanguage(u"es:", u" ")) + "!", notUtf16 + notFound + "|LoadTextFile|texte",
         notUtf16 + notFound},
        {Utf16Bytes(CompleteLanguage(u"es:", u" ", "Speed")), noKey + "\n|ReadINI|texte", noKey},
    };
    for (const auto& b : broken) {
        std::remove("data/text_es.txt");
        ASSERT_TRUE(b.bytes.empty() || WriteTestFile("data/text_es.txt", b.bytes));
        std::string thrown;
        const std::string said = CaptureStderr([&] { thrown = Thrown([] { LoadTextFile("", "es"); }); });
        EXPECT_EQ(said + thrown, b.atStart);
        EXPECT_EQ(CaptureStderr([] { EXPECT_FALSE(SwitchLanguage("", "es")); }),
                  b.onSwitch + " : keeping the current language\n");
        EXPECT_EQ(TextKey::Speed.Str(), u"fr:Speed");
        EXPECT_STREQ(LanguagePath(), "pre/data/text_fr.txt");
        EXPECT_TRUE(ReadINI("Quit", t) && t.Str() == u"fr:Quit");
    }
    ASSERT_TRUE(WriteTestFile("data/text_es.txt", Utf16Bytes(CompleteLanguage(u"es:", u" ñ"))));
    EXPECT_TRUE(SwitchLanguage("", "es"));
    EXPECT_EQ(TextKey::Speed.Str() + TextKey::Correspondance.Str(), u"es:Speed ñ");
    EXPECT_STREQ(LanguagePath(), "data/text_es.txt");
    // Only the three languages ever name a file, and a path never overflows.
    char path[kPathSize];
    ASSERT_TRUE(LanguagePathFor("x/", "../../etc/passwd", path));
    EXPECT_STREQ(path, "x/data/text_en.txt");
    EXPECT_FALSE(LanguagePathFor(std::string(kPathSize, 'p').c_str(), "en", path));
    // Credits: headings and gaps, read afresh each time.
    ASSERT_TRUE(
        WriteTestFile("data/credit_es.txt", Utf16Bytes(u"*Créditos\r\nUna línea\r\n\r\n*\r\n¡Gracias!\r\nlost")));
    std::vector<CreditLine> lines;
    ASSERT_TRUE(LoadCredits("", "es", lines) && LoadCredits("", "es", lines));
    std::u16string read;  // "#" before a heading
    for (const CreditLine& c : lines)
        read += (c.heading ? u"#" : u"") + c.text.Str() + u"|";
    EXPECT_EQ(read, u"#Créditos|Una línea||#|¡Gracias!|");
    EXPECT_EQ(CaptureStderr([&] { EXPECT_FALSE(LoadCredits("", "en", lines)); }), "Credit file not found !!!\n");
    EXPECT_TRUE(lines.empty());
}

TEST(ShippedTexts, EveryKeyOnceFittingWhereItIsDrawnLinesEndedByCrLfAndEveryCharacterInEveryCharacterList)
{
    // Most units per place: a menu line, an option name or value, the label
    // under a HUD icon, a line of the help box, a title, the small print.
    const std::pair<int, const char*> limits[] = {
        {18, "Game Options HighScores About Quit Play Restart Continue Load Save Back Solution CodeMenu"},
        {12, "Lang Resolution Reflect Help Speed Sound Music VerySlow Slow Medium Fast VeryFast LangFR LangEN "
             "LangES Easy Normal Hard Previous Next Ok Area Name Moves Empty"},
        {8, "ON OFF"},
        {6, "IconBomb IconLevel IconMoves IconStage"},
        {30, "MessageObjet1 MessageObjet2 MessageObjet3 MessageBlock1 MessageBlock2 MessageBlock3 MessageBombe1 "
             "MessageBombe2 MessageBombe3 MessageStart HighScores2 MessageCode"},
        {24, "MessageLevelWin HighScores1 LoadGame SaveGame MessageGameWin1"},
        {36, "MessageGameWin2"},
        {40, "Copyright"},
    };
    // The texts and credits of all three languages (the language option names
    // each in its own words), and printable ASCII for names and numbers.
    std::u16string drawn;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        drawn += c;
    std::map<std::string, std::u16string> sets;
    for (const char* lang : {"en", "fr", "es"}) {
        SCOPED_TRACE(lang);
        LanguageFile lf;
        ASSERT_TRUE(LoadLanguageFile(lf, DataFile("text", lang).c_str()));
        EXPECT_EQ(lf.entries.size(), static_cast<size_t>(kTextKeyCount));
        for (int i = 0; i < kTextKeyCount; ++i) {
            const LanguageEntry* e = FindLanguageEntry(lf, kTextKeys[i].name);
            ASSERT_TRUE(e && !e->value.Empty()) << kTextKeys[i].name;
            // No stray blank to shift a centred text (the character list starts with its space).
            EXPECT_TRUE(i == 0 || (e->value[0] != u' ' && e->value[e->value.Length() - 1] != u' '))
                << kTextKeys[i].name;
            (i == 0 ? sets[lang] : drawn) += e->value.Str();
        }
        for (const auto& limit : limits) {
            std::istringstream keys(limit.second);
            for (std::string key; keys >> key;)
                EXPECT_LE(FindLanguageEntry(lf, key.c_str())->value.Length(), limit.first) << key;
        }
        EXPECT_TRUE(LoadTextFile((RunDir() + "/").c_str(), lang));
        for (const char* stem : {"text", "credit"}) {
            std::u16string u;
            ASSERT_TRUE(ReadUtf16File(DataFile(stem, lang).c_str(), u));
            EXPECT_EQ(ReadTestFile(DataFile(stem, lang)).substr(0, 2), "\xFF\xFE") << stem;
            EXPECT_TRUE(u.substr(u.size() - 2) == u"\r\n") << stem;
            for (size_t at = 0; (at = u.find_first_of(u"\r\n", at)) != std::u16string::npos; at += 2)
                ASSERT_EQ(u.compare(at, 2, u"\r\n"), 0) << stem << ": a line not ended by CR LF at " << at;
        }
        std::vector<CreditLine> credits;
        ASSERT_TRUE(LoadCredits((RunDir() + "/").c_str(), lang, credits));
        EXPECT_GT(credits.size(), 10u);
        for (const CreditLine& c : credits)
            drawn += c.text.Str();
    }
    for (const auto& set : sets) {
        for (char16_t c : std::set<char16_t>(drawn.begin(), drawn.end()))
            EXPECT_NE(set.second.find(c), std::u16string::npos) << set.first << " lacks U+" << std::hex << +c;
        // Each once: the fonts rasterise the list as it is.
        EXPECT_EQ(std::set<char16_t>(set.second.begin(), set.second.end()).size(), set.second.size()) << set.first;
    }
}

}  // namespace
