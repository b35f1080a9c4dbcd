#pragma once
// Language files as bytes, and exceptions as text, for the text tests.
#include "thrown.h"
#include "text/texte.h"

#include <string>

// The units after a byte-order mark (none when bom is false), in either order.
inline std::string Utf16Bytes(const std::u16string& units, bool bigEndian = false, bool bom = true)
{
    std::string out;
    for (char16_t u : (bom ? u"\uFEFF" : u"") + units) {
        out.push_back(static_cast<char>(bigEndian ? u >> 8 : u & 0xFF));
        out.push_back(static_cast<char>(bigEndian ? u & 0xFF : u >> 8));
    }
    return out;
}

// Every key of the table as "key=<prefix>key" (but the character list),
// each line ended with CR LF.
inline std::u16string CompleteLanguage(const std::u16string& prefix, const std::u16string& charset,
                                       const std::string& skipKey = "")
{
    std::u16string text;
    for (int i = 0; i < kTextKeyCount; ++i) {
        const std::string key = kTextKeys[i].name;
        const std::u16string wkey(key.begin(), key.end());
        if (key != skipKey)
            text += wkey + u"=" + (i == 0 ? charset : prefix + wkey) + u"\r\n";
    }
    return text;
}
