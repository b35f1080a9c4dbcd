#include "level_file.h"

#include <cstring>

namespace lvl {

namespace {

void PutInt(std::string& out, int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xff));
}

int32_t GetInt(const std::string& in, size_t at)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= uint32_t(static_cast<uint8_t>(in[at + i])) << (8 * i);
    return static_cast<int32_t>(u);
}

bool KnownCode(uint8_t c)
{
    return c <= 15 || (c >= kWallFirst && c <= kSpecialLast) || c == kPlaced;
}

}  // namespace

std::string EncodeLevelFile(const LevelFileData& level)
{
    std::string out;
    out.append("LVL", 3);
    out.push_back('\0');
    out.push_back(1);  // reserved bytes, as the loader's defaults
    out.push_back(0);
    PutInt(out, kWidth);
    PutInt(out, kHeight);
    PutInt(out, static_cast<int32_t>(level.pairing.size()));
    out.append(reinterpret_cast<const char*>(level.pairing.data()), level.pairing.size());
    out.append(reinterpret_cast<const char*>(level.cells), kCells);
    PutInt(out, static_cast<int32_t>(level.solution.size()));
    PutInt(out, 0);
    PutInt(out, 0);
    out.append(reinterpret_cast<const char*>(level.solution.data()), level.solution.size());
    out.append(reinterpret_cast<const char*>(level.floorMask), kCells);
    return out;
}

std::string DecodeLevelFile(const std::string& in, LevelFileData& out)
{
    if (in.size() < 18) return "the file is shorter than its fixed head";
    if (std::memcmp(in.data(), "LVL\0", 4) != 0) return "the magic is not \"LVL\" and a zero byte";
    if (GetInt(in, 6) != kWidth || GetInt(in, 10) != kHeight) return "the size is not 20x15";
    const int32_t blocks = GetInt(in, 14);
    if (blocks < 0 || blocks > kMaxBlocks) return "the block count is out of range";
    if (in.size() < size_t(18 + blocks + kCells + 12)) return "the file ends inside the board";
    const int32_t length = GetInt(in, size_t(18 + blocks + kCells));
    if (length < 0) return "the solution length is negative";
    if (in.size() != size_t(630) + size_t(blocks) + size_t(length)) return "the file length does not match its counts";
    out.pairing.assign(in.begin() + 18, in.begin() + 18 + blocks);
    std::memcpy(out.cells, in.data() + 18 + blocks, kCells);
    out.solution.assign(in.begin() + 330 + blocks, in.begin() + 330 + blocks + length);
    std::memcpy(out.floorMask, in.data() + 330 + blocks + length, kCells);
    for (uint8_t p : out.pairing)
        if (p >= blocks) return "a pairing byte names no block";
    int cellBlocks = 0, targets = 0, bombs = 0, cars = 0;
    for (uint8_t c : out.cells) {
        if (!KnownCode(c)) return "a cell code has no meaning";
        if (IsBlockCode(c)) ++cellBlocks;
        if (c == kTarget || c == kPlaced) ++targets;
        if (c == kBomb) ++bombs;
        if (c == kCarStart) ++cars;
    }
    if (cellBlocks > kMaxBlocks) return "more than 200 blocks on the board";
    if (targets > 224) return "more than 224 targets";
    if (bombs > kMaxBombs) return "more than 4 bombs";
    if (cars == 0) return "no car start";
    return std::string();
}

}  // namespace lvl
