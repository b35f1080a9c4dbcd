#pragma once
// The one exception type of the game. Thrown by value at fatal failures and
// caught only by the top-level handler in SDL_main, which shows it in the
// error box and ends the program.
#include <string>

struct Exception {
    std::string message;   // shown first
    std::string function;  // the operation that threw, e.g. "LoadLevel"
    std::string file;      // the source module, e.g. "tableau"
    int line = 0;

    Exception(std::string msg, std::string func, std::string src, int ln)
            : message(std::move(msg)), function(std::move(func)), file(std::move(src)), line(ln)
    {}
};

// printf-style formatting into a std::string, for exception messages.
std::string FormatText(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The four-line text of the error box: message, file, function, line.
std::string FormatExceptionReport(const Exception& e);

// Throws the Exception: the one way a module reports a fatal failure.
[[noreturn]] void Fail(const std::string& message, const char* function, const char* module, int line);
