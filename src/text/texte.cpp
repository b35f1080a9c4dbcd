#include "text/texte.h"

#include "app/exception.h"
#include "app/platform.h"
#include "app/settings.h"

#include <cstdio>
#include <cstring>

namespace TextKey {
#define PONDRAKE_DEFINE_TEXT_KEY(name) WideText name;
PONDRAKE_TEXT_KEYS(PONDRAKE_DEFINE_TEXT_KEY)
#undef PONDRAKE_DEFINE_TEXT_KEY
}  // namespace TextKey

const TextKeyInfo kTextKeys[] = {
#define PONDRAKE_TEXT_KEY_INFO(name) {#name, &TextKey::name},
    PONDRAKE_TEXT_KEYS(PONDRAKE_TEXT_KEY_INFO)
#undef PONDRAKE_TEXT_KEY_INFO
};
const int kTextKeyCount = static_cast<int>(sizeof kTextKeys / sizeof kTextKeys[0]);

LanguageFile languageFile;

namespace {

char languagePath[kPathSize] = "";

constexpr char16_t kCR = 0x0D;
constexpr char16_t kLF = 0x0A;

void CopyPath(char (&out)[kPathSize], const char* path)
{
    std::snprintf(out, sizeof out, "%s", path ? path : "");
}

// Every value of the key table, read from one parsed file, before any of
// them replaces the texts in use.
struct KeyValues {
    std::vector<WideText> values;
    const char* missingKey = nullptr;
};

bool ReadAllKeys(const LanguageFile& lf, KeyValues& out)
{
    out.values.assign(static_cast<size_t>(kTextKeyCount), WideText());
    for (int i = 0; i < kTextKeyCount; ++i) {
        const LanguageEntry* e = FindLanguageEntry(lf, kTextKeys[i].name);
        if (!e) {
            out.missingKey = kTextKeys[i].name;
            return false;
        }
        out.values[static_cast<size_t>(i)] = e->value;
    }
    return true;
}

void CommitKeys(LanguageFile& parsed, KeyValues& kv)
{
    languageFile = std::move(parsed);
    for (int i = 0; i < kTextKeyCount; ++i)
        *kTextKeys[i].text = std::move(kv.values[static_cast<size_t>(i)]);
}

}  // namespace

bool ReadUtf16File(const char* path, std::u16string& units)
{
    units.clear();
    std::string bytes;
    if (!path || !*path || !ReadWholeFile(path, bytes))
        return false;
    const size_t n = bytes.size();
    auto byteAt = [&](size_t i) { return static_cast<unsigned int>(static_cast<unsigned char>(bytes[i])); };
    // A whole number of units and at least the byte-order mark, so that no
    // read can step past the data.
    bool little = n >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE;
    bool big = n >= 2 && byteAt(0) == 0xFE && byteAt(1) == 0xFF;
    if (n % 2 != 0 || (!little && !big)) {
        std::fprintf(stderr, "%s : Not a Unicode UTF16 File\n", path);
        return false;
    }
    units.reserve(n / 2 - 1);
    for (size_t i = 2; i + 1 < n; i += 2) {
        unsigned int u = little ? (byteAt(i) | (byteAt(i + 1) << 8)) : ((byteAt(i) << 8) | byteAt(i + 1));
        units.push_back(static_cast<char16_t>(u));
    }
    return true;
}

bool NextUtf16Line(const std::u16string& units, size_t& pos, WideText& line)
{
    const size_t n = units.size();
    if (pos >= n)
        return false;
    size_t end = pos;
    while (end < n && units[end] != kCR && units[end] != kLF)
        ++end;
    // The unit that ends the line must be followed by at least one more.
    if (end + 1 >= n) {
        pos = n;
        return false;
    }
    size_t len = end - pos;
    if (len > static_cast<size_t>(kMaxLineUnits))
        len = static_cast<size_t>(kMaxLineUnits);
    line.Assign(units.data() + pos, static_cast<int>(len));
    pos = end + 2;  // the line end and the unit after it (end + 1 < n)
    return true;
}

void FreeLanguageFile(LanguageFile& lf)
{
    lf.entries.clear();
    lf.loaded = false;
}

bool LoadLanguageFile(LanguageFile& lf, const char* path)
{
    FreeLanguageFile(lf);
    CopyPath(lf.path, path);
    std::u16string units;
    if (!ReadUtf16File(path, units))
        return false;
    size_t pos = 0;
    WideText line;
    while (NextUtf16Line(units, pos, line)) {
        if (line.Empty())
            continue;
        LanguageEntry e;
        int eq = line.Find(u'=');
        if (eq >= 0) {
            e.key.Assign(line.Units(), eq);
            e.value.Assign(line.Units() + eq + 1, line.Length() - eq - 1);
        }
        lf.entries.push_back(std::move(e));
    }
    lf.loaded = true;
    return true;
}

const LanguageEntry* FindLanguageEntry(const LanguageFile& lf, const char* key)
{
    WideText wanted(key ? key : "");
    for (const LanguageEntry& e : lf.entries)
        if (e.key == wanted)
            return &e;
    return nullptr;
}

bool LanguagePathFor(const char* dataPrefix, const char* lang, char (&out)[kPathSize])
{
    // Only the three shipped languages: anything else (a typo, a path) is
    // never put into a file name.
    const char* code = IsKnownLanguage(lang) ? lang : "en";
    return FormatPath(out, sizeof out, "%sdata/text_%s.txt", dataPrefix ? dataPrefix : "", code);
}

bool LoadTextFile(const char* dataPrefix, const char* lang)
{
    char path[kPathSize];
    if (!LanguagePathFor(dataPrefix, lang, path))
        throw Exception(FormatText("Langage File %sdata/text_%s.txt not found", dataPrefix ? dataPrefix : "",
                                   lang ? lang : ""),
                        "LoadTextFile", "texte", __LINE__);
    LanguageFile parsed;
    if (!LoadLanguageFile(parsed, path))
        throw Exception(FormatText("Langage File %s not found", path), "LoadTextFile", "texte", __LINE__);
    KeyValues kv;
    if (!ReadAllKeys(parsed, kv))
        throw Exception(FormatText("Couldn't read Key '%s' in langage File %s\n", kv.missingKey, path),
                        "ReadINI", "texte", __LINE__);
    CopyPath(languagePath, path);
    CommitKeys(parsed, kv);
    return true;
}

bool SwitchLanguage(const char* dataPrefix, const char* lang)
{
    char path[kPathSize];
    if (!LanguagePathFor(dataPrefix, lang, path)) {
        std::fprintf(stderr, "Langage File path too long : keeping the current language\n");
        return false;
    }
    LanguageFile parsed;
    if (!LoadLanguageFile(parsed, path)) {
        std::fprintf(stderr, "Langage File %s not found : keeping the current language\n", path);
        return false;
    }
    KeyValues kv;
    if (!ReadAllKeys(parsed, kv)) {
        std::fprintf(stderr, "Couldn't read Key '%s' in langage File %s : keeping the current language\n",
                     kv.missingKey, path);
        return false;
    }
    CopyPath(languagePath, path);
    CommitKeys(parsed, kv);
    return true;
}

bool ReadINI(const char* key, WideText& text)
{
    const LanguageEntry* e = FindLanguageEntry(languageFile, key);
    if (!e)
        throw Exception(FormatText("Couldn't read Key '%s' in langage File %s\n", key ? key : "", languagePath),
                        "ReadINI", "texte", __LINE__);
    text = e->value;
    return true;
}

const char* LanguagePath()
{
    return languagePath;
}

bool UnicodeTextFile::Open(const char* p)
{
    Close();
    CopyPath(path, p);
    if (!ReadUtf16File(p, units))
        return false;
    size = 2 + 2 * units.size();
    position = 2;
    return true;
}

bool UnicodeTextFile::ReadLine(WideText& text)
{
    if (position < 2)
        return false;
    size_t pos = (position - 2) / 2;
    bool got = NextUtf16Line(units, pos, text);
    position = 2 + 2 * pos;
    return got;
}

void UnicodeTextFile::Close()
{
    units.clear();
    size = 0;
    position = 0;
}

bool LoadCredits(const char* dataPrefix, const char* lang, std::vector<CreditLine>& lines)
{
    lines.clear();
    char path[kPathSize];
    const char* code = IsKnownLanguage(lang) ? lang : "en";
    UnicodeTextFile file;
    if (!FormatPath(path, sizeof path, "%sdata/credit_%s.txt", dataPrefix ? dataPrefix : "", code) ||
        !file.Open(path)) {
        std::fprintf(stderr, "Credit file not found !!!\n");
        return false;
    }
    WideText line;
    while (file.ReadLine(line)) {
        CreditLine c;
        if (line.Length() > 0 && line[0] == u'*') {
            c.heading = true;
            c.text.Assign(line.Units() + 1, line.Length() - 1);
        } else {
            c.text = line;
        }
        lines.push_back(std::move(c));
    }
    return true;
}
