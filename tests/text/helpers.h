#pragma once
// Builds UTF-16 file bytes for the language and credit file tests.
#include "text/texte.h"

#include <string>

// The units as bytes, after a byte-order mark in the same byte order
// (no mark when bom is false).
inline std::string Utf16Bytes(const std::u16string& units, bool bigEndian = false, bool bom = true)
{
    std::string out;
    auto put = [&](char16_t u) {
        char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    };
    if (bom)
        put(0xFEFF);
    for (char16_t u : units)
        put(u);
    return out;
}

// A complete language file: every key of the table as "key=<prefix>key",
// with "Correspondance" given, each line ended with CR LF.
inline std::u16string CompleteLanguage(const std::u16string& prefix, const std::u16string& charset,
                                       const char* skipKey = nullptr)
{
    std::u16string text;
    for (int i = 0; i < kTextKeyCount; ++i) {
        std::string key = kTextKeys[i].name;
        if (skipKey && key == skipKey)
            continue;
        std::u16string wkey(key.begin(), key.end());
        text += wkey + u"=" + (key == "Correspondance" ? charset : prefix + wkey) + u"\r\n";
    }
    return text;
}
