#include "persist/levelcode.h"

#include "app/base/exception.h"
#include "app/base/paths.h"
#include "app/base/files.h"
#include "app/base/bytes.h"
#include "app/base/log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <sstream>
#include <unordered_set>

namespace {

const char kCodeFileName[] = "data/level/levelcode.dat";
const char kListingName[] = "codes.txt";

bool IsCapital(char c)
{
    return c >= 'A' && c <= 'Z';
}

// Packs five capitals into one number, for the duplicate check.
long CodeKey(const char* code)
{
    long key = 0;
    for (int i = 0; i < kCodeLength; ++i)
        key = key * 26 + (code[i] - 'A');
    return key;
}

}  // namespace

// --- the code table -----------------------------------------------------------

std::string EncodeLevelCodes(const LevelCodes& codes)
{
    std::string out;
    PutInt32(out, codes.codeCount);
    out.append(codes.codes.data(), static_cast<size_t>(codes.codeCount) * kCodeLength);
    return out;
}

bool DecodeLevelCodes(const std::string& bytes, LevelCodes& codes)
{
    if (bytes.size() < 4)
        return false;
    int32_t count = GetInt32(reinterpret_cast<const unsigned char*>(bytes.data()));
    if (count < 0 || count > kLevelCount)
        return false;
    size_t size = static_cast<size_t>(count) * kCodeLength;
    if (bytes.size() - 4 < size)
        return false;
    for (size_t i = 0; i < size; ++i)
        if (!IsCapital(bytes[4 + i]))
            return false;
    codes.codeCount = count;
    codes.codes.assign(bytes.begin() + 4, bytes.begin() + 4 + static_cast<long>(size));
    return true;
}

int loadLevelCodes(LevelCodes& codes, const char* dataPrefix)
{
    char path[kPathSize];
    if (!FormatPath(path, sizeof path, "%s%s", dataPrefix ? dataPrefix : "", kCodeFileName))
        throw Exception(FormatText("can't load level code file : %s", kCodeFileName), "loadLevelCodes", "score",
                        __LINE__);
    std::string bytes;
    // The count is at most kLevelCount, so anything past that many codes is
    // never looked at.
    FileRead r = ReadFileHead(path, 4 + kLevelCount * kCodeLength, bytes);
    if (r != FileRead::Ok || !DecodeLevelCodes(bytes, codes))
        throw Exception(FormatText("can't load level code file : %s", path), "loadLevelCodes", "score", __LINE__);
    return 1;
}

void FreeLevelCodes(LevelCodes& codes)
{
    codes.codeCount = 0;
    codes.codes.clear();
    codes.codes.shrink_to_fit();
}

int MatchCode(const LevelCodes& codes, const char* typed)
{
    if (!typed)
        return -1;
    for (int i = 0; i < codes.codeCount; ++i)
        if (std::memcmp(&codes.codes[static_cast<size_t>(i) * kCodeLength], typed, kCodeLength) == 0)
            return i;
    return -1;
}

const char* LevelCode(const LevelCodes& codes, int level)
{
    if (level < 0 || level >= codes.codeCount)
        return nullptr;
    return &codes.codes[static_cast<size_t>(level) * kCodeLength];
}

// --- the listing ------------------------------------------------------------

std::string FormatCodeListing(const LevelCodes& codes)
{
    std::string out = "* Pondrake : Level codes *\n\n";
    for (int n = 0; n < codes.codeCount; ++n) {
        char code[kCodeLength + 1];
        std::memcpy(code, LevelCode(codes, n), kCodeLength);
        code[kCodeLength] = '\0';
        char line[64];
        std::snprintf(line, sizeof line, "Level %4d - Code = %s\n", n + 1, code);
        out += line;
        if (n % 10 == 9)
            out += "\n";
    }
    return out;
}

bool ParseCodeListing(const std::string& text, LevelCodes& codes, std::string& error)
{
    LevelCodes parsed;
    std::unordered_set<long> seen;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '*')
            continue;
        int number = 0;
        char code[8] = {};
        int used = 0;
        if (std::sscanf(line.c_str(), "Level %d - Code = %7s%n", &number, code, &used) != 2 ||
            static_cast<size_t>(used) != line.size()) {
            error = FormatText("line %d: not a code line", lineNumber);
            return false;
        }
        if (number != parsed.codeCount + 1) {
            error =
                FormatText("line %d: level %d where level %d was expected", lineNumber, number, parsed.codeCount + 1);
            return false;
        }
        if (std::strlen(code) != kCodeLength) {
            error = FormatText("line %d: a code has five letters", lineNumber);
            return false;
        }
        for (int i = 0; i < kCodeLength; ++i)
            if (!IsCapital(code[i])) {
                error = FormatText("line %d: a code holds only capitals A to Z", lineNumber);
                return false;
            }
        if (!seen.insert(CodeKey(code)).second) {
            error = FormatText("line %d: code %s is already used by an earlier level", lineNumber, code);
            return false;
        }
        parsed.codes.insert(parsed.codes.end(), code, code + kCodeLength);
        ++parsed.codeCount;
    }
    codes = std::move(parsed);
    return true;
}

// --- the generator ----------------------------------------------------------

int GenerateLevelCodesSeeded(LevelCodes& codes, int count, unsigned seed)
{
    if (count < 0 || count > kMaxDistinctCodes) {
        Warn("can't make %d distinct level codes\n", count);
        return 0;
    }
    LevelCodes fresh;
    fresh.codeCount = count;
    fresh.codes.resize(static_cast<size_t>(count) * kCodeLength);
    std::unordered_set<long> seen;
    seen.reserve(static_cast<size_t>(count));
    std::mt19937 random(seed);
    for (int n = 0; n < count; ++n) {
        char* code = &fresh.codes[static_cast<size_t>(n) * kCodeLength];
        do {
            code[0] = static_cast<char>('A' + random() % 26);
            for (int i = 1; i < kCodeLength; ++i) {
                do
                    code[i] = static_cast<char>('A' + random() % 26);
                while (code[i] == code[i - 1]);
            }
        } while (!seen.insert(CodeKey(code)).second);
    }

    // Both files are complete on disk before either replaces its old copy,
    // and the table in memory changes last.
    std::string listing;
    if (!StageFile(kListingName, FormatCodeListing(fresh), listing)) {
        Warn("can't create codes.txt\n");
        return 0;
    }
    std::string table;
    if (!StageFile(kCodeFileName, EncodeLevelCodes(fresh), table)) {
        DiscardFile(listing);
        Warn("can't create level code file\n");
        return 0;
    }
    if (!CommitFile(table, kCodeFileName)) {
        DiscardFile(listing);
        Warn("can't create level code file\n");
        return 0;
    }
    if (!CommitFile(listing, kListingName)) {
        Warn("can't create codes.txt\n");
        return 0;
    }
    codes = std::move(fresh);
    return 1;
}

int generateLevelCodes(LevelCodes& codes, int count)
{
    return GenerateLevelCodesSeeded(codes, count, static_cast<unsigned>(std::time(nullptr)));
}

// --- progress -----------------------------------------------------------------

bool ProgressPath(const char* gamePath, std::string& path)
{
    char buf[kPathSize];
    if (!FormatPath(buf, sizeof buf, "%slevel/leveldata.dat", gamePath ? gamePath : ""))
        return false;
    path = buf;
    return true;
}

int LoadProgress(Progress& progress, const char* gamePath)
{
    std::memset(progress.done, 0, sizeof progress.done);
    progress.keepFile = false;
    std::string path;
    if (!ProgressPath(gamePath, path)) {
        Warn("progress file path too long\n");
        return 1;
    }
    std::string bytes;
    switch (ReadFileHead(path.c_str(), kLevelCount, bytes)) {
    case FileRead::Missing:
        SaveProgress(progress, gamePath);
        break;
    case FileRead::Unreadable:
        progress.keepFile = true;
        Warn("can't read progress file %s : left as it is\n", path.c_str());
        break;
    case FileRead::Ok:
        std::memcpy(progress.done, bytes.data(), bytes.size());
        break;
    }
    return 1;
}

int SaveProgress(const Progress& progress, const char* gamePath)
{
    std::string path;
    if (!ProgressPath(gamePath, path)) {
        Warn("progress file path too long\n");
        return 1;
    }
    if (progress.keepFile) {
        Warn("unable to write progress file %s : it could not be read at start\n", path.c_str());
        return 1;
    }
    if (!WriteFileAtomic(path.c_str(), progress.done, sizeof progress.done)) {
        Warn("unable to write progress file %s\n", path.c_str());
        return 1;
    }
    return 0;
}

// --- the code screen ------------------------------------------------------------

void TypeCodeCharacter(CodeEntry& entry, unsigned int ch)
{
    char letter;
    if (ch >= 'a' && ch <= 'z')
        letter = static_cast<char>(ch - 'a' + 'A');
    else if (ch >= 'A' && ch <= 'Z')
        letter = static_cast<char>(ch);
    else
        return;
    if (entry.cursor < 0 || entry.cursor >= kCodeLength)
        entry.cursor = entry.cursor < 0 ? 0 : kCodeLength - 1;
    entry.typedCode[entry.cursor] = letter;
    MoveCodeCursor(entry, 1);
}

void MoveCodeCursor(CodeEntry& entry, int delta)
{
    int c = entry.cursor + delta;
    entry.cursor = c < 0 ? 0 : (c > kCodeLength - 1 ? kCodeLength - 1 : c);
}

int EnterLevelCode(const LevelCodes& codes, CodeEntry& entry, Progress& progress, const char* gamePath)
{
    int level = MatchCode(codes, entry.typedCode);
    // A code beyond the progress array names a level this game cannot record.
    if (level < 0 || level >= kLevelCount) {
        entry.codeFound = 0;
        return -1;
    }
    entry.foundLevel = level;
    entry.codeFound = 1;
    for (int i = 0; i < level; ++i)
        progress.done[i] = 1;
    SaveProgress(progress, gamePath);
    return level;
}
