#pragma once
// Language files and the text objects filled from them. A language file is a
// UTF-16 text of "key=text" lines, "data/text_" + language code + ".txt";
// every text the player reads comes from one of the TextKey globals below.
// Headless: no SDL, no GL.
#include "app/base/paths.h"
#include "text/widetext.h"

#include <list>
#include <string>
#include <vector>

// The longest line a language or credit file may hold; longer lines are cut.
constexpr int kMaxLineUnits = 1023;

// Every key of a language file, in the order they are read.
#define PONDRAKE_TEXT_KEYS(X)                                                                                          \
    X(Correspondance)                                                                                                  \
    X(Game) X(Options) X(HighScores) X(About) X(Quit) X(Play) X(Restart) X(Continue) X(Edit) X(Load) X(Save) X(Back)   \
        X(Difficulty) X(Level) X(Area) X(Resolution) X(Help) X(Easy) X(Normal) X(Hard) X(ON) X(OFF) X(Moves) X(Bombe)  \
            X(Name) X(Next) X(Previous) X(Speed) X(Slow) X(VerySlow) X(Medium) X(Fast) X(VeryFast) X(HighScores1)      \
                X(HighScores2) X(Sound) X(Music) X(LoadGame) X(SaveGame) X(Empty) X(Yes) X(No) X(Ok) X(Solution)       \
                    X(CodeMenu) X(Code) X(MipMapping) X(Reflect) X(Copyright) X(Lang) X(LangFR) X(LangEN) X(LangES)    \
                        X(IconBomb) X(IconStage) X(IconLevel) X(IconMoves) X(MessageObjet1) X(MessageObjet2)           \
                            X(MessageObjet3) X(MessageBlock1) X(MessageBlock2) X(MessageBlock3) X(MessageBombe1)       \
                                X(MessageBombe2) X(MessageBombe3) X(MessageCode) X(MessageStart) X(MessageLevelWin)    \
                                    X(MessageGameWin1) X(MessageGameWin2)

// One wide text per key, named like the key: TextKey::Play, TextKey::Back...
namespace TextKey {
#define PONDRAKE_DECLARE_TEXT_KEY(name) extern WideText name;
PONDRAKE_TEXT_KEYS(PONDRAKE_DECLARE_TEXT_KEY)
#undef PONDRAKE_DECLARE_TEXT_KEY
}  // namespace TextKey

struct TextKeyInfo {
    const char* name;
    WideText* text;
};
// The key table, in reading order.
extern const TextKeyInfo kTextKeys[];
extern const int kTextKeyCount;

struct LanguageEntry {
    WideText key;
    WideText value;
};

struct LanguageFile {
    bool loaded = false;
    char path[kPathSize] = "";
    std::list<LanguageEntry> entries;  // in file order
};

// The language in use.
extern LanguageFile languageFile;

// Reads a UTF-16 file's units after its byte-order mark: FF FE is read
// little-endian, FE FF big-endian. A file that cannot be opened gives false
// quietly; one of 0 or 1 byte, of odd length or without a byte-order mark
// gives false with "<path> : Not a Unicode UTF16 File" on stderr.
bool ReadUtf16File(const char* path, std::u16string& units);

// Takes the next line from units[pos...]: the units up to the next CR or LF
// (cut to kMaxLineUnits); pos then moves past the line end and one more
// unit, so lines must end with CR LF. False, with no line, when no unit
// follows the line end (the last line must be ended).
bool NextUtf16Line(const std::u16string& units, size_t& pos, WideText& line);

// Replaces lf's entries with the lines of the file. False, with lf emptied,
// when the file cannot be read as UTF-16 (see ReadUtf16File).
bool LoadLanguageFile(LanguageFile& lf, const char* path);
void FreeLanguageFile(LanguageFile& lf);

// The first entry whose key equals the narrow key widened byte by byte.
const LanguageEntry* FindLanguageEntry(const LanguageFile& lf, const char* key);

// True for the three languages the game ships: "fr", "en", "es".
bool IsKnownLanguage(const char* code);

// "%sdata/text_%s.txt"; a language other than "fr", "en" or "es" reads the
// English file. False when the path does not fit.

bool LanguagePathFor(const char* dataPrefix, const char* lang, char (&out)[kPathSize]);

// Loads the language file and fills every TextKey global. Throws Exception
// "Langage File %s not found" when the file is missing or not UTF-16, and
// ReadINI's exception when a key is missing; the texts in use are kept in
// both cases. Returns true.
bool LoadTextFile(const char* dataPrefix, const char* lang);

// A change of language asked for by the player: like LoadTextFile, but a
// missing or damaged file, or one that lacks a key, keeps the language in
// use and says so on stderr instead of ending the game. True when the new
// texts are in place.
bool SwitchLanguage(const char* dataPrefix, const char* lang);

// Looks the key up in the language in use and copies its value into text.
// Throws Exception "Couldn't read Key '%s' in langage File %s\n" when the
// key is missing, so it only ever returns true.
bool ReadINI(const char* key, WideText& text);

// The path of the language file in use.
const char* LanguagePath();

// A UTF-16 text file read line by line (the credits).
struct UnicodeTextFile {
    char path[kPathSize] = "";
    std::u16string units;  // the file after its byte-order mark
    size_t size = 0;       // bytes of the whole file
    size_t position = 0;   // bytes: 2 just after opening

    // False when the file cannot be opened (quietly) or is not UTF-16
    // ("%s : Not a Unicode UTF16 File" on stderr).
    bool Open(const char* path);
    // The next line without its end; an empty line gives an empty text.
    // False, with no line, at the end of the data or when the last line
    // has no line end.
    bool ReadLine(WideText& text);
    void Close();
};

struct CreditLine {
    WideText text;         // without the leading "*" of a heading
    bool heading = false;  // drawn in the big font
};

// Empties `lines`, then reads "%sdata/credit_%s.txt". When it cannot be read:
// "Credit file not found !!!" on stderr, no lines, false.
bool LoadCredits(const char* dataPrefix, const char* lang, std::vector<CreditLine>& lines);
