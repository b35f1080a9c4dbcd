#pragma once
// For suites that link the base layer: what an Exception says.
#include "app/base/exception.h"

#include <string>

// "message|function|module" of the Exception fn throws, or "no exception".
template <class Fn>
std::string Thrown(Fn fn)
{
    try {
        fn();
    } catch (const Exception& e) {
        return e.message + "|" + e.function + "|" + e.file;
    }
    return "no exception";
}
