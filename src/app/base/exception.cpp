#include "app/base/exception.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string FormatText(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (needed > 0) {
        std::vector<char> buf(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, args);
        out.assign(buf.data(), static_cast<size_t>(needed));
    }
    va_end(args);
    return out;
}

std::string FormatExceptionReport(const Exception& e)
{
    return e.message + "\n" + "File : " + e.file + "\n" + "Function : " + e.function + "\n" +
           "Line : " + std::to_string(e.line) + "\n";
}

void Fail(const std::string& message, const char* function, const char* module, int line)
{
    throw Exception(message, function, module, line);
}
