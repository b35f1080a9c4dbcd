#pragma once
// The game's text type: a run of UTF-16 code units, always zero-terminated,
// with its length in units. Every menu, message and credit text is one.
#include <cstdint>
#include <string>

class WideText {
public:
    WideText() = default;
    // Narrow text: each byte becomes one unit of the same value (ASCII).
    WideText(const char* narrow) { Assign(narrow); }
    WideText(const char16_t* units) { Assign(units); }
    WideText(const char16_t* units, int count) { Assign(units, count); }
    explicit WideText(std::u16string units) : units_(std::move(units)) {}

    WideText& operator=(const char* narrow) { return Assign(narrow); }
    WideText& operator=(const char16_t* units) { return Assign(units); }

    WideText& Assign(const char* narrow);
    WideText& Assign(const char16_t* units);
    WideText& Assign(const char16_t* units, int count);

    int Length() const { return static_cast<int>(units_.size()); }
    bool Empty() const { return units_.empty(); }
    // Zero-terminated units; an empty text gives a pointer to a lone zero.
    const char16_t* Units() const { return units_.c_str(); }
    char16_t operator[](int i) const { return units_[static_cast<size_t>(i)]; }
    const std::u16string& Str() const { return units_; }

    void Clear() { units_.clear(); }
    WideText& Append(const WideText& other);
    WideText& Append(const char* narrow);
    WideText& Append(char16_t unit);

    // Exact comparison, unit by unit.
    bool Equals(const WideText& other) const { return units_ == other.units_; }
    bool operator==(const WideText& other) const { return Equals(other); }
    bool operator!=(const WideText& other) const { return !Equals(other); }

    // Index of the first unit equal to `unit` at or after `from`, or -1.
    int Find(char16_t unit, int from = 0) const;

    // UTF-8 conversions, for messages, tools and tests. Units that are not
    // valid UTF-16 come out as U+FFFD; code points outside the basic plane
    // become surrogate pairs.
    std::string ToUtf8() const;
    static bool FromUtf8(const std::string& utf8, WideText& out);

private:
    std::u16string units_;
};

// Length of a zero-terminated run of units (0 for null).
int UnitLength(const char16_t* units);
