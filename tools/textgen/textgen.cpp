// Builds the shipped language and credit files from their UTF-8 sources:
//   textgen <source dir> <data dir>
// reads text_en.txt, text_fr.txt, text_es.txt, credit_en.txt, credit_fr.txt
// and credit_es.txt, and writes the same names as UTF-16 little-endian with
// a byte-order mark and CR LF after every line. Each language file gets a
// "Correspondance" line first: printable ASCII and every other character
// that any of the six texts uses, so the glyph fonts of each language can
// draw the texts, the credits and the other languages' names. Fails, naming
// the line, on a missing, unknown or repeated key or a malformed source.
#include "app/base/files.h"
#include "text/texte.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kLanguages[] = {"en", "fr", "es"};

struct Source {
    std::string name;
    std::vector<std::string> lines;  // without notes, line ends stripped
    std::vector<int> lineNumbers;
};

bool ReadSource(const std::string& path, bool keepEmpty, Source& out)
{
    std::string bytes;
    if (!ReadWholeFile(path.c_str(), bytes)) {
        std::fprintf(stderr, "textgen: cannot read %s\n", path.c_str());
        return false;
    }
    out.name = path;
    size_t start = 0;
    int number = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        size_t end = nl == std::string::npos ? bytes.size() : nl;
        std::string line = bytes.substr(start, end - start);
        start = nl == std::string::npos ? bytes.size() : nl + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '#')
            continue;
        if (line.empty() && !keepEmpty)
            continue;
        out.lines.push_back(line);
        out.lineNumbers.push_back(number);
    }
    return true;
}

// Checks one line and returns its units: valid UTF-8, basic plane only, no
// control characters, short enough for the game's line buffer.
bool LineUnits(const Source& src, size_t i, WideText& units)
{
    const char* where = src.name.c_str();
    int number = src.lineNumbers[i];
    if (!WideText::FromUtf8(src.lines[i], units)) {
        std::fprintf(stderr, "textgen: %s:%d: not UTF-8\n", where, number);
        return false;
    }
    for (int k = 0; k < units.Length(); ++k) {
        char16_t u = units[k];
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || (u >= 0xD800 && u <= 0xDFFF) || u == 0xFEFF || u == 0xFFFE) {
            std::fprintf(stderr, "textgen: %s:%d: character U+%04X cannot be drawn\n", where, number,
                         static_cast<unsigned>(u));
            return false;
        }
    }
    return true;
}

void PutUnit(std::string& out, char16_t u)
{
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
}

void PutLine(std::string& out, const WideText& line)
{
    for (int k = 0; k < line.Length(); ++k)
        PutUnit(out, line[k]);
    PutUnit(out, 0x0D);
    PutUnit(out, 0x0A);
}

bool WriteUtf16(const std::string& path, const std::vector<WideText>& lines)
{
    std::string bytes;
    PutUnit(bytes, 0xFEFF);
    for (const WideText& l : lines) {
        if (l.Length() > kMaxLineUnits) {
            std::fprintf(stderr, "textgen: %s: a line is longer than %d units\n", path.c_str(), kMaxLineUnits);
            return false;
        }
        PutLine(bytes, l);
    }
    if (!WriteFileAtomic(path.c_str(), bytes.data(), bytes.size())) {
        std::fprintf(stderr, "textgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: textgen <source dir> <data dir>\n");
        return 2;
    }
    const std::string srcDir = argv[1];
    const std::string outDir = argv[2];

    std::set<char16_t> used;
    std::map<std::string, std::map<std::string, WideText>> texts;  // lang -> key -> text
    std::map<std::string, std::vector<WideText>> credits;

    for (const char* lang : kLanguages) {
        Source src;
        if (!ReadSource(srcDir + "/text_" + lang + ".txt", false, src))
            return 1;
        auto& table = texts[lang];
        for (size_t i = 0; i < src.lines.size(); ++i) {
            WideText line;
            if (!LineUnits(src, i, line))
                return 1;
            int eq = line.Find(u'=');
            if (eq <= 0) {
                std::fprintf(stderr, "textgen: %s:%d: expected key=text\n", src.name.c_str(), src.lineNumbers[i]);
                return 1;
            }
            std::string key = WideText(line.Units(), eq).ToUtf8();
            bool known = false;
            for (int k = 0; k < kTextKeyCount; ++k)
                known = known || key == kTextKeys[k].name;
            if (!known || key == "Correspondance") {
                std::fprintf(stderr, "textgen: %s:%d: unknown key '%s'\n", src.name.c_str(), src.lineNumbers[i],
                             key.c_str());
                return 1;
            }
            if (table.count(key)) {
                std::fprintf(stderr, "textgen: %s:%d: key '%s' given twice\n", src.name.c_str(), src.lineNumbers[i],
                             key.c_str());
                return 1;
            }
            WideText value(line.Units() + eq + 1, line.Length() - eq - 1);
            for (int k = 0; k < value.Length(); ++k)
                used.insert(value[k]);
            table[key] = value;
        }
        for (int k = 0; k < kTextKeyCount; ++k) {
            std::string key = kTextKeys[k].name;
            if (key != "Correspondance" && !table.count(key)) {
                std::fprintf(stderr, "textgen: %s: key '%s' is missing\n", src.name.c_str(), key.c_str());
                return 1;
            }
        }

        Source credit;
        if (!ReadSource(srcDir + "/credit_" + lang + ".txt", true, credit))
            return 1;
        for (size_t i = 0; i < credit.lines.size(); ++i) {
            WideText line;
            if (!LineUnits(credit, i, line))
                return 1;
            for (int k = 0; k < line.Length(); ++k)
                used.insert(line[k]);
            credits[lang].push_back(line);
        }
        // Empty lines at the end would only lengthen the scroll.
        while (!credits[lang].empty() && credits[lang].back().Empty())
            credits[lang].pop_back();
    }

    WideText charset;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        charset.Append(c);
    for (char16_t c : used)
        if (c > 0x7E)
            charset.Append(c);

    for (const char* lang : kLanguages) {
        std::vector<WideText> lines;
        WideText first("Correspondance=");
        first.Append(charset);
        lines.push_back(first);
        for (int k = 0; k < kTextKeyCount; ++k) {
            std::string key = kTextKeys[k].name;
            if (key == "Correspondance")
                continue;
            WideText line(key.c_str());
            line.Append("=");
            line.Append(texts[lang][key]);
            lines.push_back(line);
        }
        if (!WriteUtf16(outDir + "/text_" + lang + ".txt", lines) ||
            !WriteUtf16(outDir + "/credit_" + lang + ".txt", credits[lang]))
            return 1;
    }
    return 0;
}
