#include "app/base/files.h"

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

namespace {
SyncFileFn syncFile = fsync;
}

void SetSyncFile(SyncFileFn sync)
{
    syncFile = sync ? sync : fsync;
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
    if (ok && syncFile(fd) != 0)
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
    return StageFile(path, std::string(static_cast<const char*>(data), size), staged) && CommitFile(staged, path);
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

FileRead ReadFileHead(const char* path, size_t maxBytes, std::string& out)
{
    out.clear();
    if (!path || !*path)
        return FileRead::Missing;
    if (!FileExists(path))
        return FileRead::Missing;
    // Opened without waiting for a writer, and read only when it is a
    // regular file: a FIFO or a device in a file's place would otherwise
    // hang the game or never end.
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return FileRead::Unreadable;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buf[4096];
    while (ok && out.size() < maxBytes) {
        size_t want = maxBytes - out.size();
        if (want > sizeof buf)
            want = sizeof buf;
        ssize_t n = read(fd, buf, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        out.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return ok ? FileRead::Ok : FileRead::Unreadable;
}

std::string NativePath(const char* path)
{
    std::string p = path ? path : "";
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

FILE* OpenFile(const char* path, const char* mode)
{
    if (!path || !*path)
        return nullptr;
    return std::fopen(NativePath(path).c_str(), mode);
}
