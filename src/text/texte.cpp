#include "text/texte.h"

#include "app/base/exception.h"
#include "app/base/files.h"
#include "app/base/log.h"

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

// "%sdata/<stem>_<lang>.txt" for one of the three shipped languages;
// anything else (a typo, a path) reads the English file and is never put
// into a file name.
bool DataFileFor(const char* dataPrefix, const char* stem, const char* lang, char (&out)[kPathSize])
{
    const char* code = IsKnownLanguage(lang) ? lang : "en";
    return FormatPath(out, sizeof out, "%sdata/%s_%s.txt", dataPrefix ? dataPrefix : "", stem, code);
}

enum class LanguageRead { Done, PathTooLong, Unreadable, KeyMissing };

// Reads the language file and every key of the table from it, and only
// then puts the new texts in place: a failure leaves the language in use
// untouched. `path` is the file's path (when it fits); `missingKey` the
// first key the file lacks.
LanguageRead ReadLanguage(const char* dataPrefix, const char* lang, char (&path)[kPathSize], const char*& missingKey)
{
    if (!LanguagePathFor(dataPrefix, lang, path))
        return LanguageRead::PathTooLong;
    LanguageFile parsed;
    if (!LoadLanguageFile(parsed, path))
        return LanguageRead::Unreadable;
    std::vector<WideText> values(static_cast<size_t>(kTextKeyCount));
    for (int i = 0; i < kTextKeyCount; ++i) {
        const LanguageEntry* e = FindLanguageEntry(parsed, kTextKeys[i].name);
        if (!e) {
            missingKey = kTextKeys[i].name;
            return LanguageRead::KeyMissing;
        }
        values[static_cast<size_t>(i)] = e->value;
    }
    CopyPath(languagePath, path);
    languageFile = std::move(parsed);
    for (int i = 0; i < kTextKeyCount; ++i)
        *kTextKeys[i].text = std::move(values[static_cast<size_t>(i)]);
    return LanguageRead::Done;
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
        Warn("%s : Not a Unicode UTF16 File\n", path);
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
    return DataFileFor(dataPrefix, "text", lang, out);
}

bool LoadTextFile(const char* dataPrefix, const char* lang)
{
    char path[kPathSize];
    const char* key = "";
    switch (ReadLanguage(dataPrefix, lang, path, key)) {
    case LanguageRead::PathTooLong:
        throw Exception(
            FormatText("Langage File %sdata/text_%s.txt not found", dataPrefix ? dataPrefix : "", lang ? lang : ""),
            "LoadTextFile", "texte", __LINE__);
    case LanguageRead::Unreadable:
        throw Exception(FormatText("Langage File %s not found", path), "LoadTextFile", "texte", __LINE__);
    case LanguageRead::KeyMissing:
        throw Exception(FormatText("Couldn't read Key '%s' in langage File %s\n", key, path), "ReadINI", "texte",
                        __LINE__);
    case LanguageRead::Done:
        break;
    }
    return true;
}

bool SwitchLanguage(const char* dataPrefix, const char* lang)
{
    char path[kPathSize];
    const char* key = "";
    switch (ReadLanguage(dataPrefix, lang, path, key)) {
    case LanguageRead::PathTooLong:
        Warn("Langage File path too long : keeping the current language\n");
        return false;
    case LanguageRead::Unreadable:
        Warn("Langage File %s not found : keeping the current language\n", path);
        return false;
    case LanguageRead::KeyMissing:
        Warn("Couldn't read Key '%s' in langage File %s : keeping the current language\n", key, path);
        return false;
    case LanguageRead::Done:
        break;
    }
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
    UnicodeTextFile file;
    if (!DataFileFor(dataPrefix, "credit", lang, path) || !file.Open(path)) {
        Warn("Credit file not found !!!\n");
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

bool IsKnownLanguage(const char* code)
{
    return code && (!std::strcmp(code, "fr") || !std::strcmp(code, "en") || !std::strcmp(code, "es"));
}
