#include "engine/fileio.h"

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
