// The level file, the wall shapers and the board's frame.
#include "puzzle/tableau.h"

#include "app/base/bytes.h"
#include "app/base/exception.h"
#include "app/base/files.h"
#include "app/base/log.h"

#include <cstdio>
#include <cstring>

namespace {

int32_t Int32At(const std::string& in, size_t at)
{
    return GetInt32(reinterpret_cast<const unsigned char*>(in.data()) + at);
}

// Codes a level file may hold: the ones the rules give a meaning to.
bool IsFileCellCode(int c)
{
    return (c >= 0 && c <= 15) || (c >= kCellWallFirst && c <= kCellSpecialLast) || c == kCellBlockOnTarget;
}

}  // namespace

int WallCodeForMask(int mask)
{
    for (int i = 0; i < kWallPieceCount; ++i)
        if (kWallPieces[i].joins == (mask & 15))
            return kWallCodeFirst + i;
    return kWallCodeFirst;
}

int WallJoinMask(int code)
{
    return IsWallCode(code) ? kWallPieces[code - kWallCodeFirst].joins : 0;
}

int ShapeWallByJoins(const Board& b, int x, int y)
{
    int mask = 0;
    if (y > 0 && (WallJoinMask(b.At(x, y - 1)) & 2))
        mask |= 1;
    if (y < kPlayHeight - 1 && (WallJoinMask(b.At(x, y + 1)) & 1))
        mask |= 2;
    if (x < kPlayWidth - 1 && (WallJoinMask(b.At(x + 1, y)) & 8))
        mask |= 4;
    if (x > 0 && (WallJoinMask(b.At(x - 1, y)) & 4))
        mask |= 8;
    return WallCodeForMask(mask);
}

void ShapeAllWalls(Board& b)
{
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (IsWallCode(b.At(x, y)))
                b.At(x, y) = static_cast<uint8_t>(ShapeWallByJoins(b, x, y));
}

int ShapeWallSimple(const Board& b, int x, int y)
{
    int mask = 0;
    if (y >= 1 && IsWallCode(b.At(x, y - 1)))
        mask |= 1;
    if (y <= kPlayHeight - 2 && IsWallCode(b.At(x, y + 1)))
        mask |= 2;
    if (x < kPlayWidth - 1 && IsWallCode(b.At(x + 1, y)))
        mask |= 4;
    if (x >= 1 && IsWallCode(b.At(x - 1, y)))
        mask |= 8;
    return WallCodeForMask(mask);
}

Board MakeEmptyBoard()
{
    Board b;
    std::memset(&b, 0, sizeof b);
    FillFrame(b);
    return b;
}

void FillFrame(Board& b)
{
    for (int r = 0; r < kBoardRows; ++r)
        for (int c = 0; c < kBoardCols; ++c)
            if (r < 2 || r >= kBoardRows - 2 || c < 2 || c >= kBoardCols - 2)
                b.cells[r][c] = kCellOutside;
}

std::string EncodeLevelFile(const LevelFileData& d)
{
    std::string out;
    out.append("LVL", 3);
    out.push_back('\0');
    out.push_back(static_cast<char>(d.reserved[0]));
    out.push_back(static_cast<char>(d.reserved[1]));
    PutInt32(out, d.width);
    PutInt32(out, d.height);
    PutInt32(out, static_cast<int32_t>(d.pairing.size()));
    out.append(reinterpret_cast<const char*>(d.pairing.data()), d.pairing.size());
    out.append(reinterpret_cast<const char*>(d.cells), kCellCount);
    PutInt32(out, static_cast<int32_t>(d.solution.size()));
    PutInt32(out, d.unused[0]);
    PutInt32(out, d.unused[1]);
    out.append(reinterpret_cast<const char*>(d.solution.data()), d.solution.size());
    out.append(reinterpret_cast<const char*>(d.floorMask), kCellCount);
    return out;
}

bool DecodeLevelFile(const std::string& bytes, LevelFileData& out, std::string& why)
{
    why = "format";
    // The magic is four bytes, the zero included: "LVL" followed by anything
    // else is not a level file.
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "LVL\0", 4) != 0)
        return false;
    if (bytes.size() < size_t(kLevelHeadSize))
        return false;
    LevelFileData d;
    d.reserved[0] = uint8_t(bytes[4]);
    d.reserved[1] = uint8_t(bytes[5]);
    d.width = Int32At(bytes, 6);
    d.height = Int32At(bytes, 10);
    if (d.width != kPlayWidth || d.height != kPlayHeight) {
        out.width = d.width;
        out.height = d.height;
        why = "size";
        return false;
    }
    int32_t b = Int32At(bytes, 14);
    if (b < 0 || b > kMaxBlocks)
        return false;
    size_t at = kLevelHeadSize;
    // Pairing, cells, then L and the two unused ints must all be there before L is read.
    if (bytes.size() < at + size_t(b) + kCellCount + 12)
        return false;
    d.pairing.assign(bytes.begin() + at, bytes.begin() + at + b);
    at += size_t(b);
    std::memcpy(d.cells, bytes.data() + at, kCellCount);
    at += kCellCount;
    int32_t l = Int32At(bytes, at);
    d.unused[0] = Int32At(bytes, at + 4);
    d.unused[1] = Int32At(bytes, at + 8);
    at += 12;
    if (l < 0 || l > kHistorySize)
        return false;
    if (bytes.size() != size_t(kLevelFixedSize) + size_t(b) + size_t(l))
        return false;
    d.solution.assign(bytes.begin() + at, bytes.begin() + at + l);
    at += size_t(l);
    std::memcpy(d.floorMask, bytes.data() + at, kCellCount);

    for (uint8_t pb : d.pairing)
        if (pb >= b)
            return false;
    int blocks = 0, targets = 0, bombs = 0, starts = 0;
    for (int i = 0; i < kCellCount; ++i) {
        int c = d.cells[i];
        if (!IsFileCellCode(c))
            return false;
        // A block fixed on its target in a file would get no block number.
        if (c == kCellBlockFixed)
            d.cells[i] = c = kCellBlockOnTarget;
        if (c == kCellBlock || c == kCellBlockOnTarget)
            ++blocks;
        if (c == kCellTarget || c == kCellBlockOnTarget)
            ++targets;
        if (c == kCellBomb)
            ++bombs;
        if (c == kCellCarStart)
            ++starts;
    }
    // A level without a target would be won on its first frame.
    if (blocks > kMaxBlocks || targets == 0 || targets > kMaxTargets || bombs > kMaxBombs || starts == 0)
        return false;
    out = std::move(d);
    why.clear();
    return true;
}

std::string LevelFilePath(const char* dataPrefix, int index)
{
    return FormatText("%s%s%d%s", dataPrefix ? dataPrefix : "", "data/level/level", index + 1, ".lvl");
}

bool ReadLevelFileBytes(const char* dataPrefix, int index, std::string& bytes)
{
    return ReadFileHead(LevelFilePath(dataPrefix, index).c_str(), kLevelMaxSize + 1, bytes) == FileRead::Ok;
}

int LoadLevel(Puzzle& p, int index, const char* dataPrefix)
{
    const std::string path = LevelFilePath(dataPrefix, index);
    std::string bytes;
    if (!ReadLevelFileBytes(dataPrefix, index, bytes)) {
        Warn("Couldn't load level %s\n", path.c_str());
        throw Exception(FormatText("Level file not found : %s", path.c_str()), "LoadLevel", "tableau", __LINE__);
    }
    LevelFileData d;
    std::string why;
    if (!DecodeLevelFile(bytes, d, why)) {
        if (why == "size") {
            Warn("bad level size : %dx%d\nonly support 20x15 level now.\n", int(d.width), int(d.height));
            throw Exception("bad level size", "LoadLevel", "tableau", __LINE__);
        }
        Warn("bad level format : %s\n", path.c_str());
        throw Exception(FormatText("bad level format : %s", path.c_str()), "LoadLevel", "tableau", __LINE__);
    }

    // The file is good: only now does the previous level go.
    PutLevelData(p, index, std::move(d));
    return 1;
}

void PutLevelData(Puzzle& p, int index, LevelFileData d)
{
    FreeLevel(p);
    p.levelIndex = index;
    p.blockCount = static_cast<int>(d.pairing.size());
    // Blocks beyond a short pairing list are paired with themselves.
    for (int b = 0; b < kMaxBlocks; ++b)
        p.pairing[b] = static_cast<uint8_t>(b);
    for (int b = 0; b < p.blockCount; ++b)
        p.pairing[b] = d.pairing[size_t(b)];
    p.solution = std::move(d.solution);
    p.floorMask.assign(d.floorMask, d.floorMask + kCellCount);
    std::memset(&p.board, 0, sizeof p.board);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            p.board.At(x, y) = d.cells[y * kPlayWidth + x];
    ShapeAllWalls(p.board);
    FillFrame(p.board);
    std::memset(p.blockIndexMap, kNoIndex, sizeof p.blockIndexMap);
    std::memset(p.targetIndexMap, kNoIndex, sizeof p.targetIndexMap);
    std::memset(p.blockColour, 0, sizeof p.blockColour);
    std::memset(p.targetColour, 0, sizeof p.targetColour);
    p.targetCount = 0;
    for (int i = 0; i < kCellCount; ++i)
        if (d.cells[i] == kCellTarget || d.cells[i] == kCellBlockOnTarget)
            ++p.targetCount;
}

void FreeLevel(Puzzle& p)
{
    p.solution.clear();
    p.solution.shrink_to_fit();
    p.floorMask.clear();
    p.floorMask.shrink_to_fit();
}
