// The generated data is all there, and every picture, sound and music
// file has the header the game's loaders need.
#include "kit_paths.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <string>

namespace {

uint32_t Be32(const std::string& b, size_t at)
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 8) | static_cast<uint8_t>(b[at + 3]);
}

uint32_t Le32(const std::string& b, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
}

uint16_t Le16(const std::string& b, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

struct PngInfo {
    uint32_t width = 0, height = 0;
    int depth = 0, colourType = -1;
};

bool ReadPngInfo(const std::string& path, PngInfo& info)
{
    std::string b = ReadTestFile(path);
    if (b.size() < 33 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0)
        return false;
    info.width = Be32(b, 16);
    info.height = Be32(b, 20);
    info.depth = static_cast<uint8_t>(b[24]);
    info.colourType = static_cast<uint8_t>(b[25]);
    return b.find("IEND") != std::string::npos;
}

bool PowerOfTwo(uint32_t v) { return v && !(v & (v - 1)); }

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Pictures drawn blended over something else carry an alpha channel; the
// others must not, or the models using them would be drawn as transparent.
bool NeedsAlpha(const std::string& rel)
{
    if (rel.rfind("gfx/2d/", 0) == 0)
        return true;
    for (const char* n : {"/arrive", "/shadow", "/detail.png", "/trace", "/solmenushadow.png"})
        if (rel.find(n) != std::string::npos)
            return true;
    return false;
}

uint32_t OggCrc(const std::string& page)
{
    uint32_t crc = 0;
    for (unsigned char c : page) {
        crc ^= static_cast<uint32_t>(c) << 24;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

}  // namespace

TEST(ArtKitFiles, EveryGeneratedFileExistsAndIsNotEmpty)
{
    for (const std::string& rel : KitGeneratedFiles()) {
        std::string path = KitDataDir() + "/" + rel;
        ASSERT_TRUE(TestFileExists(path)) << rel;
        EXPECT_GT(ReadTestFile(path).size(), 16u) << rel;
    }
    for (const char* font : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansCondensed-Bold.ttf"}) {
        std::string b = ReadTestFile(KitDataDir() + "/fonts/" + font);
        ASSERT_GE(b.size(), 4u) << font;
        EXPECT_EQ(b.compare(0, 4, std::string("\0\1\0\0", 4)), 0) << font << " is not a TrueType file";
    }
}

TEST(ArtKitFiles, PicturesHaveTheSizesAndChannelsTheGameNeeds)
{
    int pictures = 0;
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".png"))
            continue;
        ++pictures;
        PngInfo info;
        ASSERT_TRUE(ReadPngInfo(KitDataDir() + "/" + rel, info)) << rel << " is not a whole PNG file";
        EXPECT_EQ(info.depth, 8) << rel;
        EXPECT_EQ(info.colourType, NeedsAlpha(rel) ? 6 : 2) << rel;
        // Textures go to the GL as they are (and through mipmap building).
        if (rel.rfind("gfx/2d/", 0) != 0) {
            EXPECT_TRUE(PowerOfTwo(info.width) && PowerOfTwo(info.height)) << rel << " " << info.width << "x" << info.height;
        }
    }
    EXPECT_GT(pictures, 0);
    PngInfo p;
    ASSERT_TRUE(ReadPngInfo(KitDataDir() + "/gfx/theme1/texture/detail.png", p));
    EXPECT_EQ(p.width, 256u);
    EXPECT_EQ(p.height, 256u);
    // Icon font: four 48 x 48 cells in one row.
    ASSERT_TRUE(ReadPngInfo(KitDataDir() + "/gfx/2d/fonteicone.png", p));
    EXPECT_EQ(p.width, 4u * 48u);
    EXPECT_EQ(p.height, 48u);
    ASSERT_TRUE(ReadPngInfo(KitDataDir() + "/gfx/2d/icon.png", p));
    EXPECT_EQ(p.width, 32u);
    EXPECT_EQ(p.height, 32u);
    // The bar's caps are drawn on quads half as wide as they are tall.
    for (const char* cap : {"selection_left.png", "selection_right.png"}) {
        ASSERT_TRUE(ReadPngInfo(KitDataDir() + "/gfx/2d/" + cap, p));
        EXPECT_EQ(p.width * 2, p.height) << cap;
    }
}

TEST(ArtKitFiles, SoundEffectsArePcmWaveFilesThatAreShortAndNotSilent)
{
    std::set<std::string> seen;
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".wav"))
            continue;
        std::string b = ReadTestFile(KitDataDir() + "/" + rel);
        ASSERT_GE(b.size(), 44u) << rel;
        EXPECT_EQ(b.compare(0, 4, "RIFF"), 0) << rel;
        EXPECT_EQ(Le32(b, 4), b.size() - 8) << rel;
        EXPECT_EQ(b.compare(8, 8, "WAVEfmt "), 0) << rel;
        EXPECT_EQ(Le32(b, 16), 16u) << rel;
        EXPECT_EQ(Le16(b, 20), 1) << rel << ": not PCM";
        EXPECT_EQ(Le16(b, 22), 1) << rel << ": not mono";
        EXPECT_EQ(Le32(b, 24), 22050u) << rel;
        EXPECT_EQ(Le32(b, 28), 44100u) << rel;
        EXPECT_EQ(Le16(b, 32), 2) << rel;
        EXPECT_EQ(Le16(b, 34), 16) << rel;
        EXPECT_EQ(b.compare(36, 4, "data"), 0) << rel;
        uint32_t data = Le32(b, 40);
        ASSERT_EQ(data, b.size() - 44) << rel;
        double seconds = data / 2.0 / 22050.0;
        EXPECT_GT(seconds, 0.05) << rel;
        EXPECT_LT(seconds, 2.0) << rel;
        int peak = 0;
        for (size_t i = 44; i + 1 < b.size(); i += 2)
            peak = std::max(peak, std::abs(static_cast<int16_t>(Le16(b, i))));
        EXPECT_GT(peak, 20000) << rel << " is too quiet";
        int16_t last = static_cast<int16_t>(Le16(b, b.size() - 2));
        EXPECT_LT(std::abs(last), 500) << rel << " ends with a click";
        EXPECT_TRUE(seen.insert(b.substr(44)).second) << rel << " sounds like another effect";
    }
    EXPECT_EQ(seen.size(), 10u);
}

TEST(ArtKitFiles, MusicTracksAreWholeOggVorbisStreamsOfAMinuteOrMore)
{
    int tracks = 0;
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".zik"))
            continue;
        ++tracks;
        std::string b = ReadTestFile(KitDataDir() + "/" + rel);
        size_t pos = 0;
        int pages = 0;
        uint64_t lastGranule = 0;
        bool eos = false;
        uint32_t rate = 0;
        int channels = 0;
        while (pos < b.size()) {
            ASSERT_GE(b.size() - pos, 27u) << rel << ": cut page";
            ASSERT_EQ(b.compare(pos, 4, "OggS"), 0) << rel << ": no page at " << pos;
            int segments = static_cast<uint8_t>(b[pos + 26]);
            ASSERT_GE(b.size() - pos, 27u + segments) << rel;
            size_t body = 0;
            for (int s = 0; s < segments; ++s)
                body += static_cast<uint8_t>(b[pos + 27 + s]);
            size_t size = 27 + segments + body;
            ASSERT_LE(pos + size, b.size()) << rel << ": cut page";
            std::string page = b.substr(pos, size);
            uint32_t crc = Le32(page, 22);
            page.replace(22, 4, std::string(4, '\0'));
            EXPECT_EQ(OggCrc(page), crc) << rel << ": page " << pages << " damaged";
            if (pages == 0) {
                size_t packet = pos + 27 + segments;
                ASSERT_EQ(b.compare(packet, 7, "\x01vorbis"), 0) << rel << ": not Vorbis";
                channels = static_cast<uint8_t>(b[packet + 11]);
                rate = Le32(b, packet + 12);
            }
            lastGranule = static_cast<uint64_t>(Le32(b, pos + 6)) | (static_cast<uint64_t>(Le32(b, pos + 10)) << 32);
            eos = (static_cast<uint8_t>(b[pos + 5]) & 4) != 0;
            pos += size;
            ++pages;
        }
        EXPECT_TRUE(eos) << rel << ": stream not ended";
        EXPECT_EQ(channels, 2) << rel;
        EXPECT_EQ(rate, 22050u) << rel;
        ASSERT_GT(rate, 0u);
        double seconds = static_cast<double>(lastGranule) / rate;
        EXPECT_GE(seconds, 60.0) << rel;
        EXPECT_LT(seconds, 120.0) << rel;
        // Modest quality keeps the kit small.
        EXPECT_LT(b.size(), 600u * 1024u) << rel;
        EXPECT_GT(b.size() * 8 / seconds, 16000.0) << rel << ": suspiciously few bits (silence?)";
    }
    EXPECT_EQ(tracks, 5);
}

TEST(ArtKitFiles, WholeKitStaysSmall)
{
    size_t total = 0;
    for (const std::string& rel : KitGeneratedFiles())
        total += ReadTestFile(KitDataDir() + "/" + rel).size();
    EXPECT_LT(total, 6u * 1024u * 1024u);
}
