#include "app/base/bytes.h"

#include <cstring>

void PutInt32(std::string& out, int32_t value)
{
    uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((u >> (8 * i)) & 0xff));
}

int32_t GetInt32(const unsigned char* p)
{
    uint32_t u = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
                 static_cast<uint32_t>(p[3]) << 24;
    return static_cast<int32_t>(u);
}

void PutFloat(std::string& out, float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt32(out, bits);
}

float GetFloat(const unsigned char* p)
{
    int32_t bits = GetInt32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
