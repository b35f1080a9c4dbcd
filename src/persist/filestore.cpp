#include "persist/filestore.h"

#include "app/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

FileRead ReadFileHead(const char* path, size_t maxBytes, std::string& out)
{
    out.clear();
    if (!path || !*path)
        return FileRead::Missing;
    if (!FileExists(path))
        return FileRead::Missing;
    FILE* f = OpenFile(path, "rb");
    if (!f)
        return FileRead::Unreadable;
    char buf[4096];
    bool ok = true;
    while (out.size() < maxBytes) {
        size_t want = maxBytes - out.size();
        if (want > sizeof buf)
            want = sizeof buf;
        size_t n = std::fread(buf, 1, want, f);
        out.append(buf, n);
        if (n < want) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    return ok ? FileRead::Ok : FileRead::Unreadable;
}

void PutInt32(std::string& out, int32_t value)
{
    uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((u >> (8 * i)) & 0xff));
}

int32_t GetInt32(const unsigned char* p)
{
    uint32_t u = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                 static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    return static_cast<int32_t>(u);
}

void PutFloat(std::string& out, float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt32(out, bits);
}

float GetFloat(const unsigned char* p)
{
    int32_t bits = GetInt32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
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
