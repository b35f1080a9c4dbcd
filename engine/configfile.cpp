#include "engine/configfile.h"

#include "app/base/files.h"

#include <cstdio>

namespace {

// Reads one line: every character up to and including the first CR, LF or
// zero byte, or to the end of the file. Characters beyond `limit` are read
// and dropped. False at the end of the file with nothing read.
bool ReadLine(FILE* f, std::string& line, size_t limit)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(f)) != EOF) {
        any = true;
        if (line.size() < limit)
            line += static_cast<char>(c);
        if (c == '\r' || c == '\n' || c == '\0')
            break;
    }
    return any;
}

}  // namespace

bool VROConfigFile::Load(const char* path)
{
    if (!path)
        return false;
    FILE* f = OpenFile(path, "r");
    if (!f)
        return false;
    keys.FreeAll();
    std::string line;
    while (ReadLine(f, line, kMaxLine)) {
        // A terminator counts towards the length, so "=\n" is too short.
        if (line.size() < 3)
            continue;
        while (!line.empty() && static_cast<unsigned char>(line.back()) < 33)
            line.pop_back();
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        Key* k = new Key;
        k->key = line.substr(0, eq);
        k->value = line.substr(eq + 1);
        keys.InsertHead(k);
    }
    name = path;
    std::fclose(f);
    return true;
}

bool VROConfigFile::GetValue(const char* key, std::string& out)
{
    if (!key)
        return false;
    Key* k = keys.Find([key](const Key& e) { return e.key == key; });
    if (!k)
        return false;
    out = k->value;
    return true;
}

bool VROConfigFile::Save(const char* path)
{
    FILE* f = OpenFile(path, "w");
    if (!f)
        return false;
    for (Key* k = keys.First(); k; k = keys.Next())
        std::fprintf(f, "%s=%s\n", k->key.c_str(), k->value.c_str());
    return std::fclose(f) == 0;
}
