// The generated data files, as the game's loaders need them.
#include "app/base/bytes.h"
#include "app/base/ini.h"
#include "engine/configfile.h"
#include "kit.h"
#include "testdir.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdlib>
#include <set>

namespace {

uint32_t Le32(const std::string& b, size_t at)
{
    return uint32_t(GetInt32(reinterpret_cast<const unsigned char*>(b.data()) + at));
}

int Le16(const std::string& b, size_t at)
{
    return int16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
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

// "a,b,c" into numbers; false unless exactly `count` numbers and nothing else.
bool ParseNumbers(const std::string& text, size_t count, std::vector<double>& out)
{
    out.clear();
    for (size_t pos = 0;;) {
        const size_t comma = text.find(',', pos);
        const std::string part = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        char* end = nullptr;
        out.push_back(std::strtod(part.c_str(), &end));
        if (part.empty() || *end != '\0')
            return false;
        if (comma == std::string::npos)
            return out.size() == count;
        pos = comma + 1;
    }
}

}  // namespace

TEST(ArtKitFiles, AFreshRunWritesTheSameSmallFilesTheFontsAreTrueTypeAndBadArgumentsAreRefused)
{
    ScopedTempDir dir;
    const std::string tool = std::string("\"") + ARTKIT_PATH + "\"", out = dir.file("data");
    ASSERT_EQ(std::system((tool + " all \"" + out + "\"").c_str()), 0);
    size_t total = 0;
    for (const std::string& rel : KitGeneratedFiles()) {
        const std::string fresh = ReadTestFile(out + "/" + rel);
        ASSERT_GT(fresh.size(), 16u) << rel << " was not written";
        EXPECT_TRUE(fresh == ReadTestFile(KitDataDir() + "/" + rel)) << rel << " differs between runs";
        total += fresh.size();
    }
    EXPECT_LT(total, 6u * 1024u * 1024u);
    for (const char* font : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansCondensed-Bold.ttf"})
        EXPECT_EQ(ReadTestFile(KitDataDir() + "/fonts/" + font).compare(0, 4, std::string("\0\1\0\0", 4)), 0) << font;
    ASSERT_TRUE(WriteTestFile(dir.file("blocker"), "x"));
    // The last: an output directory that cannot be made is reported, not ignored.
    for (const std::string& args : {std::string(), std::string(" paint out"), std::string(" music out 9"),
                                    std::string(" gfx out 1"), " sfx \"" + dir.file("blocker") + "/data\""})
        EXPECT_NE(std::system((tool + args + " 2>/dev/null").c_str()), 0) << args;
}

TEST(ArtKitFiles, PicturesHaveTheSizesAndChannelsTheGameNeeds)
{
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".png"))
            continue;
        const PngInfo info = ReadPngInfo(KitDataDir() + "/" + rel);
        EXPECT_EQ(std::make_pair(info.depth, info.colourType), std::make_pair(8, NeedsAlpha(rel) ? 6 : 2)) << rel;
        // Textures go to the GL as they are (and through mipmap building).
        auto powerOfTwo = [](uint32_t v) { return v && !(v & (v - 1)); };
        if (rel.rfind("gfx/2d/", 0) != 0) {
            EXPECT_TRUE(powerOfTwo(info.width) && powerOfTwo(info.height))
                << rel << " " << info.width << "x" << info.height;
        }
    }
    // The detail picture; the icon font's four 48 × 48 cells in a row; the
    // bar's caps, drawn on quads half as wide as they are tall.
    const struct {
        const char* rel;
        uint32_t width, height;
    } sizes[] = {{"gfx/theme1/texture/detail.png", 256, 256},
                 {"gfx/2d/fonteicone.png", 4 * 48, 48},
                 {"gfx/2d/icon.png", 32, 32}};
    for (const auto& s : sizes) {
        const PngInfo p = ReadPngInfo(KitDataDir() + "/" + s.rel);
        EXPECT_EQ(std::make_pair(p.width, p.height), std::make_pair(s.width, s.height)) << s.rel;
    }
    for (const char* cap : {"selection_left.png", "selection_right.png"}) {
        const PngInfo p = ReadPngInfo(KitDataDir() + "/gfx/2d/" + cap);
        EXPECT_EQ(p.width * 2, p.height) << cap;
    }
}

TEST(ArtKitFiles, SoundEffectsArePcmWaveFilesThatAreShortDistinctAndNotSilent)
{
    std::set<std::string> seen;
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".wav"))
            continue;
        const std::string b = ReadTestFile(KitDataDir() + "/" + rel);
        ASSERT_GE(b.size(), 44u) << rel;
        EXPECT_EQ(b.substr(0, 4) + b.substr(8, 8) + b.substr(36, 4), "RIFFWAVEfmt data") << rel;
        // The sizes; a format 16 bytes long: PCM, mono, 22050 Hz, 44100 bytes
        // a second, 2 a sample, 16 bits.
        EXPECT_EQ(
            std::vector<uint32_t>({Le32(b, 4), Le32(b, 40), Le32(b, 16), uint32_t(Le16(b, 20)), uint32_t(Le16(b, 22)),
                                   Le32(b, 24), Le32(b, 28), uint32_t(Le16(b, 32)), uint32_t(Le16(b, 34))}),
            std::vector<uint32_t>({uint32_t(b.size() - 8), uint32_t(b.size() - 44), 16, 1, 1, 22050, 44100, 2, 16}))
            << rel;
        const double seconds = (b.size() - 44) / 2.0 / 22050.0;
        EXPECT_TRUE(seconds > 0.05 && seconds < 2.0) << rel << ": " << seconds << " s";
        int peak = 0;
        for (size_t i = 44; i + 1 < b.size(); i += 2)
            peak = std::max(peak, std::abs(Le16(b, i)));
        EXPECT_GT(peak, 20000) << rel << " is too quiet";
        EXPECT_LT(std::abs(Le16(b, b.size() - 2)), 500) << rel << " ends with a click";
        EXPECT_TRUE(seen.insert(b.substr(44)).second) << rel << " sounds like another effect";
    }
    EXPECT_EQ(seen.size(), 10u);
}

TEST(ArtKitFiles, MusicTracksAreWholeOggVorbisStreamsOfAMinuteOrMoreThatPlayThroughout)
{
    int tracks = 0;
    for (const std::string& rel : KitGeneratedFiles()) {
        if (!EndsWith(rel, ".zik"))
            continue;
        ++tracks;
        const std::string path = KitDataDir() + "/" + rel, b = ReadTestFile(path);
        // The stream ends with its last page whole and marked as the end.
        const size_t last = b.rfind("OggS");
        ASSERT_TRUE(last != std::string::npos && b.size() - last >= 27) << rel;
        size_t size = 27 + uint8_t(b[last + 26]);
        for (size_t s = 0; s < uint8_t(b[last + 26]) && last + 27 + s < b.size(); ++s)
            size += uint8_t(b[last + 27 + s]);
        EXPECT_EQ(last + size, b.size()) << rel << ": cut page";
        EXPECT_TRUE(uint8_t(b[last + 5]) & 4) << rel << ": stream not ended";

        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0) << rel;
        const vorbis_info* vi = ov_info(&vf, -1);
        ASSERT_NE(vi, nullptr);
        EXPECT_EQ(std::make_pair(vi->channels, vi->rate), std::make_pair(2, 22050L)) << rel;
        const double seconds = ov_time_total(&vf, -1);
        EXPECT_TRUE(seconds >= 60.0 && seconds < 120.0) << rel << ": " << seconds << " s";
        // Modest quality keeps the kit small; too few bits would be silence.
        EXPECT_LT(b.size(), 600u * 1024u) << rel;
        EXPECT_GT(b.size() * 8 / seconds, 16000.0) << rel;
        // Every page decodes (a damaged one is a hole), and in four-second
        // windows none drops out, none is too loud, little clips.
        const long window = vi->rate * 4 * vi->channels;
        std::vector<float> samples;
        float** pcm = nullptr;
        int section = 0;
        long got;
        while ((got = ov_read_float(&vf, &pcm, 4096, &section)) > 0)
            for (long i = 0; i < got; ++i)
                for (int c = 0; c < vi->channels; ++c)
                    samples.push_back(pcm[c][i]);
        EXPECT_EQ(got, 0) << rel << ": a damaged page";
        EXPECT_EQ(ov_pcm_total(&vf, -1) * vi->channels, long(samples.size())) << rel;
        ov_clear(&vf);
        ASSERT_GT(samples.size(), size_t(window)) << rel;
        size_t clipped = 0;
        double quietest = 1e9, loudest = 0;
        for (size_t start = 0; start + window <= samples.size(); start += window) {
            double sum = 0;
            for (long i = 0; i < window; ++i) {
                sum += samples[start + i] * samples[start + i];
                clipped += std::fabs(samples[start + i]) > 0.99f;
            }
            quietest = std::min(quietest, std::sqrt(sum / window));
            loudest = std::max(loudest, std::sqrt(sum / window));
        }
        EXPECT_GT(quietest, 0.04) << rel << ": the music drops out somewhere";
        EXPECT_LT(loudest, 0.5) << rel;
        EXPECT_LT(clipped, samples.size() / 10000) << rel << ": clipped";
    }
    EXPECT_EQ(tracks, 5);
}

TEST(ArtKitConfig, ThemeIniAndFontIniHaveEveryKeyWithWellFormedValues)
{
    VROConfigFile theme;
    ASSERT_TRUE(theme.Load((KitDataDir() + "/gfx/theme1/theme.ini").c_str()));
    const std::string fontIni = KitDataDir() + "/font.ini";
    char buf[512];
    auto text = [&](const std::string& section, const std::string& key) {
        std::string value = "\x01missing";
        if (section.empty())
            theme.GetValue(key.c_str(), value);
        else
            value.assign(buf,
                         ReadIniString(section.c_str(), key.c_str(), value.c_str(), buf, sizeof buf, fontIni.c_str()));
        return value;
    };
    // theme.ini's keys (section "") and font.ini's as "section/key": each
    // `count` numbers in [low, high], whole numbers when asked.
    std::map<std::string, std::vector<double>> v;
    auto read = [&](const std::string& section, const std::string& key, size_t count, double low, double high,
                    bool whole = false) {
        const std::string value = text(section, key);
        std::vector<double>& n = v[section + "/" + key];
        const bool ok = ParseNumbers(value, count, n);
        n.resize(count);
        ASSERT_TRUE(ok) << section << " " << key << "=" << value;
        for (double c : n)
            EXPECT_TRUE(c >= low && c <= high && (!whole || c == double(long(c))))
                << section << " " << key << "=" << value;
    };
    const double any = 1e30;
    for (const char* key :
         {"Light0_Ambient", "Light0_Diffuse", "Light1_Ambient", "Light1_Diffuse", "BackgroundColor", "ShadowColor"})
        read("", key, 3, 0, 1);
    for (const char* key : {"ShadowStrength", "ReflectStrength"})
        read("", key, 1, 0, 1);
    for (const char* key : {"ObjetMorphType", "CarMorphType", "ObjetTrouMorphType"})
        read("", key, 1, -any, any, true);
    for (const char* key : {"Light0_Position", "Light1_Position"}) {
        read("", key, 3, -any, any);
        EXPECT_GT(v[std::string("/") + key][1], 0) << key << ": a light from below the board";
    }
    for (const std::string k : {"1", "2", "3", "4", "5"}) {
        read("", "BlocRotateVertical" + k, 3, -any, any);
        read("", "BlocRotateHorizontal" + k, 3, -any, any);
        // The centre lies inside the block (cell units).
        read("", "RotationCenter" + k, 3, -0.5, 1);
        const std::vector<double>& c = v["/RotationCenter" + k];
        EXPECT_TRUE(c[0] <= 0.5 && c[1] > 0 && c[1] < 1 && c[2] <= 0.5) << k;
    }
    // Lit from above, a white face the player sees is not washed out by
    // key and fill light together.
    for (int c = 0; c < 3; ++c)
        EXPECT_LT(v["/Light0_Ambient"][c] + v["/Light0_Diffuse"][c] + v["/Light1_Diffuse"][c] * 0.5, 1.3);

    for (const char* section : {"FontGameBig", "FontGameSmall", "FontGameSmallNumber", "FontGameSmallWordFound",
                                "FontCreditBig", "FontCreditSmall", "FontCopyright", "FontMenuBig", "FontMenuSmall"}) {
        const std::string font = text(section, "Font");
        EXPECT_EQ(font.rfind("data/fonts/", 0), 0u) << section << ": " << font;
        EXPECT_TRUE(TestFileExists(RunDir() + "/" + font)) << section << ": " << font << " not in the game directory";
        read(section, "Size", 1, 10, 64, true);
        read(section, "ColorTop", 3, 0, 1);
        read(section, "ColorBottom", 3, 0, 1);
        read(section, "ShadowOffset", 2, -any, any, true);
    }
    // The menu lines are 48 pixels apart at 1024 wide: the menu font fits.
    EXPECT_LE(v["FontMenuBig/Size"][0], 40);
    for (const char* key : {"Color1", "Color2", "Color3"})
        read("Logo", key, 3, 0, 1);
}
