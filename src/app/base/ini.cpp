#include "app/base/ini.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const char* b)
{
    std::string tb = Trim(b ? b : "");
    if (a.size() != tb.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(tb[i])))
            return false;
    return true;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        size_t end = nl == std::string::npos ? text.size() : nl;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    return lines;
}

// A section header "[name]": true with the trimmed name.
bool ParseSection(const std::string& line, std::string& name)
{
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// A key line "key = value": comment lines and lines without '=' are not keys.
bool ParseKey(const std::string& line, std::string& key, std::string& value)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[')
        return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return !key.empty();
}

}  // namespace

FileRead ReadIniFile(const char* path, std::string& text)
{
    // One byte past the bound, so that a larger file is refused whole
    // rather than read, and written back, cut short.
    FileRead read = ReadFileHead(path, kIniMaxBytes + 1, text);
    if (read == FileRead::Ok && text.size() > kIniMaxBytes)
        return FileRead::Unreadable;
    return read;
}

size_t ReadIniString(const char* section, const char* key, const char* def, char* out, size_t outSize, const char* path)
{
    if (!out || outSize == 0)
        return 0;
    std::string value = def ? def : "";
    std::string text;
    if (ReadIniFile(path, text) == FileRead::Ok) {
        bool inSection = false;
        for (const std::string& line : SplitLines(text)) {
            std::string name, k, v;
            if (ParseSection(line, name)) {
                inSection = SameName(name, section);
                continue;
            }
            if (inSection && ParseKey(line, k, v) && SameName(k, key)) {
                value = v;
                break;
            }
        }
    }
    size_t n = value.size() < outSize - 1 ? value.size() : outSize - 1;
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
    return n;
}

bool WriteIniString(const char* section, const char* key, const char* value, const char* path)
{
    if (!section || !key)
        return false;
    std::string text;
    if (ReadIniFile(path, text) == FileRead::Unreadable)
        return false;
    std::vector<std::string> lines = SplitLines(text);

    const std::string newLine = Trim(key) + "=" + Trim(value ? value : "");
    bool inSection = false;
    bool sectionFound = false;
    size_t lastInSection = 0;  // index after the last non-blank line of our section
    bool done = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name, k, v;
        if (ParseSection(lines[i], name)) {
            if (inSection)
                break;  // our section ended without the key
            inSection = SameName(name, section);
            if (inSection) {
                sectionFound = true;
                lastInSection = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (ParseKey(lines[i], k, v) && SameName(k, key)) {
            lines[i] = newLine;
            done = true;
        } else if (!Trim(lines[i]).empty()) {
            lastInSection = i + 1;
        }
    }
    if (!done) {
        if (sectionFound) {
            lines.insert(lines.begin() + static_cast<long>(lastInSection), newLine);
        } else {
            if (!lines.empty() && !Trim(lines.back()).empty())
                lines.push_back("");
            lines.push_back("[" + Trim(section) + "]");
            lines.push_back(newLine);
        }
    }
    std::string outText;
    for (const std::string& l : lines)
        outText += l + "\n";
    return WriteFileAtomic(path, outText.data(), outText.size());
}

int ParseIntLikeAtoi(const char* text)
{
    if (!text)
        return 0;
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\f' || *text == '\v')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    long long value = 0;
    while (std::isdigit(static_cast<unsigned char>(*text))) {
        value = value * 10 + (*text++ - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}
