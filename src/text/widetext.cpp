#include "text/widetext.h"

WideText& WideText::Assign(const char* narrow)
{
    units_.clear();
    return Append(narrow);
}

WideText& WideText::Assign(const char16_t* units)
{
    return Assign(units, UnitLength(units));
}

WideText& WideText::Assign(const char16_t* units, int count)
{
    if (!units || count <= 0)
        units_.clear();
    else
        units_.assign(units, static_cast<size_t>(count));
    return *this;
}

WideText& WideText::Append(const WideText& other)
{
    units_ += other.units_;
    return *this;
}

WideText& WideText::Append(const char* narrow)
{
    if (narrow)
        for (const char* p = narrow; *p; ++p)
            units_.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return *this;
}

WideText& WideText::Append(char16_t unit)
{
    units_.push_back(unit);
    return *this;
}

int WideText::Find(char16_t unit, int from) const
{
    if (from < 0)
        from = 0;
    size_t at = units_.find(unit, static_cast<size_t>(from));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

namespace {

void PutUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::string WideText::ToUtf8() const
{
    std::string out;
    for (size_t i = 0; i < units_.size(); ++i) {
        uint32_t u = units_[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units_.size() && units_[i + 1] >= 0xDC00 && units_[i + 1] <= 0xDFFF) {
            uint32_t lo = units_[++i];
            PutUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            PutUtf8(out, 0xFFFD);
        } else {
            PutUtf8(out, u);
        }
    }
    return out;
}

bool WideText::FromUtf8(const std::string& utf8, WideText& out)
{
    std::u16string units;
    size_t i = 0;
    const size_t n = utf8.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        uint32_t cp;
        int extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(extra) >= n)
            return false;  // cut short
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static const uint32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
        i += static_cast<size_t>(extra) + 1;
    }
    out = WideText(std::move(units));
    return true;
}

int UnitLength(const char16_t* units)
{
    int n = 0;
    if (units)
        while (units[n])
            ++n;
    return n;
}
