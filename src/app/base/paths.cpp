#include "app/base/paths.h"

#include "app/base/files.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

int MakePath(const char* path)
{
    if (!path || !*path)
        return 0;
    if (!std::strchr(path, '/') && !std::strchr(path, '\\'))
        return 0;
    char buffer[kPathSize];
    std::memset(buffer, 0, sizeof buffer);
    size_t i = 0;
    // The first component (a drive, ".", or a leading separator alone) is
    // never created.
    if (path[0] == '/' || path[0] == '\\') {
        buffer[0] = path[0];
        i = 1;
    } else {
        while (i < kPathSize - 1 && path[i] && path[i] != '/' && path[i] != '\\') {
            buffer[i] = path[i];
            ++i;
        }
        if (i < kPathSize - 1 && path[i]) {
            buffer[i] = path[i];
            ++i;
        }
    }
    for (; i < kPathSize - 1 && path[i]; ++i) {
        if (path[i] == '/' || path[i] == '\\')
            MakeDirectory(buffer);
        buffer[i] = path[i];
    }
    return 1;
}

bool FormatPath(char* out, size_t size, const char* fmt, ...)
{
    if (!out || size == 0)
        return false;
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(out, size, fmt, args);
    va_end(args);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}
