#include "app/platform.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

bool FileExists(const char* path)
{
    struct stat st;
    return path && *path && stat(NativePath(path).c_str(), &st) == 0;
}

void MakeDirectory(const char* path)
{
    if (path && *path)
        mkdir(NativePath(path).c_str(), 0777);
}

bool StageFile(const char* path, const std::string& data, std::string& staged)
{
    std::string target = NativePath(path);
    if (target.empty())
        return false;
    staged = target + ".tmp";
    int fd = open(staged.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    const char* p = data.data();
    size_t left = data.size();
    bool ok = true;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (ok && fsync(fd) != 0)
        ok = false;
    if (close(fd) != 0)
        ok = false;
    if (!ok)
        unlink(staged.c_str());
    return ok;
}

bool CommitFile(const std::string& staged, const char* path)
{
    if (std::rename(staged.c_str(), NativePath(path).c_str()) == 0)
        return true;
    unlink(staged.c_str());
    return false;
}

void DiscardFile(const std::string& staged)
{
    unlink(staged.c_str());
}

bool WriteFileAtomic(const char* path, const void* data, size_t size)
{
    std::string staged;
    return StageFile(path, std::string(static_cast<const char*>(data), size), staged) &&
           CommitFile(staged, path);
}

bool ReadWholeFile(const char* path, std::string& out)
{
    FILE* f = OpenFile(path, "rb");
    if (!f)
        return false;
    out.clear();
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

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
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(tb[i])))
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

size_t ReadIniString(const char* section, const char* key, const char* def, char* out,
                     size_t outSize, const char* path)
{
    if (!out || outSize == 0)
        return 0;
    std::string value = def ? def : "";
    std::string text;
    if (ReadWholeFile(path, text)) {
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
    std::vector<std::string> lines;
    if (ReadWholeFile(path, text))
        lines = SplitLines(text);

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
