// The language and credit files the build writes into the game's data
// directory: their byte layout, their keys, and that every character they
// use has a glyph in every language's character list.
#include "text/texte.h"

#include "testdir.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const char* const kLanguages[] = {"en", "fr", "es"};

std::string DataFile(const std::string& name)
{
    return RunDir() + "/data/" + name;
}

}  // namespace

TEST(ShippedTexts, FilesAreLittleEndianWithMarkAndCrLfLineEnds)
{
    for (const char* lang : kLanguages) {
        for (std::string name : {std::string("text_") + lang + ".txt", std::string("credit_") + lang + ".txt"}) {
            std::string bytes = ReadTestFile(DataFile(name));
            ASSERT_GE(bytes.size(), 6u) << name;
            EXPECT_EQ(bytes.size() % 2, 0u) << name;
            EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2)) << name;
            EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\r\0\n\0", 4)) << name;
            // Every line feed follows a carriage return, and every carriage
            // return comes before a line feed.
            for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
                unsigned u = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
                if (u == 0x0A) {
                    EXPECT_EQ(bytes.substr(i - 2, 2), std::string("\r\0", 2)) << name << " at " << i;
                }
                if (u == 0x0D) {
                    EXPECT_EQ(bytes.substr(i + 2, 2), std::string("\n\0", 2)) << name << " at " << i;
                }
            }
        }
    }
}

TEST(ShippedTexts, EveryKeyIsInAllThreeLanguagesOnce)
{
    for (const char* lang : kLanguages) {
        LanguageFile lf;
        ASSERT_TRUE(LoadLanguageFile(lf, DataFile(std::string("text_") + lang + ".txt").c_str())) << lang;
        EXPECT_EQ(lf.entries.size(), static_cast<size_t>(kTextKeyCount)) << lang;
        for (int i = 0; i < kTextKeyCount; ++i) {
            const LanguageEntry* e = FindLanguageEntry(lf, kTextKeys[i].name);
            ASSERT_NE(e, nullptr) << lang << " lacks " << kTextKeys[i].name;
            EXPECT_FALSE(e->value.Empty()) << lang << " " << kTextKeys[i].name;
            if (i == 0)
                continue;  // the character list starts with the space
            // No stray blanks that would shift a centred text.
            EXPECT_NE(e->value[0], u' ') << lang << " " << kTextKeys[i].name;
            EXPECT_NE(e->value[e->value.Length() - 1], u' ') << lang << " " << kTextKeys[i].name;
        }
        // The loader the game uses takes the file as it is.
        std::string prefix = RunDir() + "/";
        EXPECT_TRUE(LoadTextFile(prefix.c_str(), lang));
        EXPECT_EQ(std::string(LanguagePath()), prefix + "data/text_" + lang + ".txt");
    }
}

TEST(ShippedTexts, TheLanguagesDiffer)
{
    // A file copied from another language by mistake would pass every other
    // check; the menu texts of the three must not be the same.
    std::map<std::string, std::u16string> play, quit;
    for (const char* lang : kLanguages) {
        LanguageFile lf;
        ASSERT_TRUE(LoadLanguageFile(lf, DataFile(std::string("text_") + lang + ".txt").c_str()));
        play[lang] = FindLanguageEntry(lf, "Play")->value.Str();
        quit[lang] = FindLanguageEntry(lf, "MessageLevelWin")->value.Str();
    }
    EXPECT_NE(play["en"], play["fr"]);
    EXPECT_NE(play["en"], play["es"]);
    EXPECT_NE(play["fr"], play["es"]);
    EXPECT_NE(quit["fr"], quit["es"]);
}

TEST(ShippedTexts, EveryCharacterUsedHasAGlyphInEveryLanguage)
{
    // Everything the fonts are ever asked to draw: the texts and credits of
    // all three languages (the language option names each language in its
    // own words) and printable ASCII for player names and numbers.
    std::set<char16_t> drawn;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        drawn.insert(c);
    for (const char* lang : kLanguages) {
        LanguageFile lf;
        ASSERT_TRUE(LoadLanguageFile(lf, DataFile(std::string("text_") + lang + ".txt").c_str()));
        for (const LanguageEntry& e : lf.entries)
            if (!(e.key == WideText("Correspondance")))
                drawn.insert(e.value.Str().begin(), e.value.Str().end());
        std::vector<CreditLine> credits;
        ASSERT_TRUE(LoadCredits((RunDir() + "/").c_str(), lang, credits));
        EXPECT_GT(credits.size(), 10u);
        for (const CreditLine& c : credits)
            drawn.insert(c.text.Str().begin(), c.text.Str().end());
    }
    for (const char* lang : kLanguages) {
        LanguageFile lf;
        ASSERT_TRUE(LoadLanguageFile(lf, DataFile(std::string("text_") + lang + ".txt").c_str()));
        const std::u16string& set = FindLanguageEntry(lf, "Correspondance")->value.Str();
        for (char16_t c : drawn)
            EXPECT_NE(set.find(c), std::u16string::npos)
                << lang << " has no glyph for U+" << std::hex << static_cast<unsigned>(c);
        // Each character once: the fonts rasterise the list as it is.
        std::set<char16_t> unique(set.begin(), set.end());
        EXPECT_EQ(unique.size(), set.size()) << lang;
    }
}

TEST(ShippedTexts, TextsFitWhereTheyAreDrawn)
{
    // Widths in characters of the places the texts go: a menu line, a
    // button in a third of the screen, the 48-pixel label under a HUD icon,
    // one line of the 400-pixel help box, a title line.
    struct Limit {
        const char* key;
        int units;
    } limits[] = {
        {"Game", 18},          {"Options", 18},        {"HighScores", 18},   {"About", 18},
        {"Quit", 18},          {"Play", 18},           {"Restart", 18},      {"Continue", 18},
        {"Load", 18},          {"Save", 18},           {"Back", 18},         {"Solution", 18},
        {"CodeMenu", 18},      {"Lang", 12},           {"Resolution", 12},   {"Reflect", 12},
        {"Help", 12},          {"Speed", 12},          {"Sound", 12},        {"Music", 12},
        {"ON", 8},             {"OFF", 8},             {"VerySlow", 12},     {"Slow", 12},
        {"Medium", 12},        {"Fast", 12},           {"VeryFast", 12},     {"LangFR", 12},
        {"LangEN", 12},        {"LangES", 12},         {"Easy", 12},         {"Normal", 12},
        {"Hard", 12},          {"Previous", 12},       {"Next", 12},         {"Ok", 12},
        {"Area", 12},          {"Name", 12},           {"Moves", 12},        {"Empty", 12},
        {"IconBomb", 6},       {"IconLevel", 6},       {"IconMoves", 6},     {"IconStage", 6},
        {"MessageObjet1", 30}, {"MessageObjet2", 30},  {"MessageObjet3", 30}, {"MessageBlock1", 30},
        {"MessageBlock2", 30}, {"MessageBlock3", 30},  {"MessageBombe1", 30}, {"MessageBombe2", 30},
        {"MessageBombe3", 30}, {"MessageStart", 30},   {"MessageLevelWin", 24}, {"HighScores1", 24},
        {"HighScores2", 30},   {"MessageCode", 30},    {"LoadGame", 24},     {"SaveGame", 24},
        {"MessageGameWin1", 24}, {"MessageGameWin2", 36}, {"Copyright", 40},
    };
    for (const char* lang : kLanguages) {
        LanguageFile lf;
        ASSERT_TRUE(LoadLanguageFile(lf, DataFile(std::string("text_") + lang + ".txt").c_str()));
        for (const Limit& l : limits) {
            const LanguageEntry* e = FindLanguageEntry(lf, l.key);
            ASSERT_NE(e, nullptr);
            EXPECT_LE(e->value.Length(), l.units) << lang << " " << l.key << ": " << e->value.ToUtf8();
        }
    }
}
