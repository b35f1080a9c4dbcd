#include "app/base/log.h"

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
