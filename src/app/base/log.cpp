#include "app/base/log.h"

#include <cstdarg>
#include <cstdio>

namespace {
bool firstWritePending = true;
}

void WriteLog(const char* text)
{
    const char* mode = firstWritePending ? "w" : "a";
    firstWritePending = false;  // cleared even when the open fails
    FILE* f = std::fopen("log.txt", mode);
    if (!f)
        return;
    std::fprintf(f, "%s\n", text ? text : "");
    std::fclose(f);
}

void ResetLog()
{
    firstWritePending = true;
}

void Warn(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
}
