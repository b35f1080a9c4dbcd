#include "engine/format3do.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

Model3doFile SampleModel()
{
    Model3doFile m;
    Model3doObject a;
    a.name = "body";
    a.material = "paint";
    a.points = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0.5f};
    a.uvs = {0, 0, 1, 0, 0, 1, 1, 1};
    a.faces = {0, 1, 2, 2, 1, 3};
    Model3doObject b;
    b.name = "RoueAvD";
    b.material = "rubber";
    b.points = {-1, -2, -3};
    b.uvs = {0.25f, 0.75f};
    m.objects = {a, b};
    Model3doMaterial paint;
    paint.name = "paint";
    paint.ambient[0] = 0.5f;
    paint.transparency = 0.9999f;
    paint.shading = 1;
    paint.lighting = 3;
    paint.sides = 1;
    paint.texture = "Wood.PNG";
    Model3doMaterial rubber;
    rubber.name = "rubber";
    rubber.envTexture = "chrome.png";
    m.materials = {paint, rubber};
    return m;
}

std::string Bytes(const Model3doFile& m)
{
    std::string bytes, error;
    EXPECT_TRUE(Encode3do(m, bytes, error)) << error;
    return bytes;
}

void PutInt(std::string& s, size_t at, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
}

void PutFloat(std::string& s, size_t at, float f)
{
    int32_t v;
    std::memcpy(&v, &f, 4);
    PutInt(s, at, v);
}

// Offsets in the sample's bytes.
constexpr size_t kObjectCountAt = 7;
constexpr size_t kFirstObject = k3doHeaderSize;
constexpr size_t kFirstPointCountAt = kFirstObject + 160;
constexpr size_t kFirstFaceCountAt = kFirstObject + 164;
constexpr size_t kFirstPointsAt = kFirstObject + 168;
constexpr size_t kFirstFacesAt = kFirstObject + 168 + 20 * 4;
constexpr size_t kSecondObject = kFirstObject + 168 + 20 * 4 + 12 * 2;
constexpr size_t kMaterialCountAt = kSecondObject + 168 + 20;
constexpr size_t kFirstMaterial = kMaterialCountAt + 4;

std::string DecodeError(const std::string& bytes)
{
    Model3doFile out;
    std::string error;
    if (Decode3do(bytes.data(), bytes.size(), out, error))
        return "<decoded>";
    EXPECT_TRUE(out.objects.empty());
    EXPECT_TRUE(out.materials.empty());
    EXPECT_FALSE(error.empty());
    return error;
}

TEST(Format3do, EncodeDecodeRoundTripKeepsEveryField)
{
    Model3doFile in = SampleModel();
    std::string bytes = Bytes(in);
    ASSERT_EQ(bytes.size(), kFirstMaterial + 2 * k3doMaterialSize);

    Model3doFile out;
    std::string error;
    ASSERT_TRUE(Decode3do(bytes.data(), bytes.size(), out, error)) << error;
    ASSERT_EQ(out.objects.size(), 2u);
    EXPECT_EQ(out.objects[0].name, "body");
    EXPECT_EQ(out.objects[0].material, "paint");
    EXPECT_EQ(out.objects[0].points, in.objects[0].points);
    EXPECT_EQ(out.objects[0].uvs, in.objects[0].uvs);
    EXPECT_EQ(out.objects[0].faces, in.objects[0].faces);
    EXPECT_EQ(out.objects[1].name, "RoueAvD");
    EXPECT_EQ(out.objects[1].points, in.objects[1].points);
    EXPECT_TRUE(out.objects[1].faces.empty());
    ASSERT_EQ(out.materials.size(), 2u);
    const Model3doMaterial& p = out.materials[0];
    EXPECT_EQ(p.name, "paint");
    EXPECT_EQ(p.ambient[0], 0.5f);
    EXPECT_EQ(p.transparency, 0.9999f);
    EXPECT_EQ(p.shading, 1);
    EXPECT_EQ(p.lighting, 3);
    EXPECT_EQ(p.sides, 1);
    EXPECT_EQ(p.texture, "Wood.PNG");  // case is the loader's business
    EXPECT_EQ(out.materials[1].envTexture, "chrome.png");

    // Encoding the decoded model gives the same bytes.
    EXPECT_EQ(Bytes(out), bytes);
}

TEST(Format3do, FileRoundTripAndMissingFile)
{
    ScopedTempDir dir;
    std::string error;
    ASSERT_TRUE(Write3do("m.3do", SampleModel(), error)) << error;
    Model3doFile out;
    bool missing = true;
    ASSERT_TRUE(Read3do("m.3do", out, error, &missing)) << error;
    EXPECT_FALSE(missing);
    EXPECT_EQ(out.objects.size(), 2u);

    EXPECT_FALSE(Read3do("absent.3do", out, error, &missing));
    EXPECT_TRUE(missing);

    WriteTestFile("short.3do", ReadTestFile("m.3do").substr(0, 40));
    EXPECT_FALSE(Read3do("short.3do", out, error, &missing));
    EXPECT_FALSE(missing);
}

TEST(Format3do, EveryTruncationIsRefused)
{
    std::string bytes = Bytes(SampleModel());
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_NE(DecodeError(bytes.substr(0, n)), "<decoded>") << "length " << n;
    // Bytes after the last material are not the loader's concern.
    EXPECT_EQ(DecodeError(bytes + "trailing"), "<decoded>");
}

TEST(Format3do, BadCountsAndIndicesAreRefused)
{
    const std::string good = Bytes(SampleModel());
    struct Case {
        const char* what;
        size_t at;
        int32_t value;
    } cases[] = {
        {"negative object count", kObjectCountAt, -1},
        {"huge object count", kObjectCountAt, 0x7FFFFFFF},
        {"object count beyond the bytes", kObjectCountAt, 7},
        {"negative point count", kFirstPointCountAt, -4},
        {"huge point count", kFirstPointCountAt, 0x7FFFFFFF},
        {"negative face count", kFirstFaceCountAt, -1},
        {"huge face count", kFirstFaceCountAt, 0x20000000},
        {"face index equal to point count", kFirstFacesAt + 4, 4},
        {"negative face index", kFirstFacesAt, -1},
        {"face index far beyond", kFirstFacesAt + 8, 1 << 30},
        {"negative material count", kMaterialCountAt, -2},
        {"material count beyond the bytes", kMaterialCountAt, 3},
        {"huge material count", kMaterialCountAt, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        PutInt(bytes, c.at, c.value);
        EXPECT_NE(DecodeError(bytes), "<decoded>") << c.what;
    }
    // The largest valid index is accepted.
    std::string bytes = good;
    PutInt(bytes, kFirstFacesAt, 3);
    EXPECT_EQ(DecodeError(bytes), "<decoded>");
}

TEST(Format3do, NamesWithoutTerminatorAreRefused)
{
    const std::string good = Bytes(SampleModel());
    const size_t fields[] = {kFirstObject, kFirstObject + 80, kSecondObject, kFirstMaterial,
                             kFirstMaterial + 132, kFirstMaterial + 212,
                             kFirstMaterial + k3doMaterialSize + 212};
    for (size_t at : fields) {
        std::string bytes = good;
        for (size_t i = 0; i < k3doNameSize; ++i)
            bytes[at + i] = 'A';
        EXPECT_NE(DecodeError(bytes), "<decoded>") << "field at " << at;
        // A terminator in the last byte of the field is enough.
        bytes[at + k3doNameSize - 1] = '\0';
        EXPECT_EQ(DecodeError(bytes), "<decoded>") << "field at " << at;
    }
}

TEST(Format3do, CoordinatesMustBeFiniteNumbers)
{
    const std::string good = Bytes(SampleModel());
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float f : bad)
        for (size_t axis = 0; axis < 3; ++axis) {
            std::string bytes = good;
            PutFloat(bytes, kFirstPointsAt + 12 * 3 + 4 * axis, f);
            EXPECT_NE(DecodeError(bytes), "<decoded>") << f << " on axis " << axis;
        }
    // Large finite values are numbers like any other.
    std::string bytes = good;
    PutFloat(bytes, kFirstPointsAt, std::numeric_limits<float>::max());
    EXPECT_EQ(DecodeError(bytes), "<decoded>");
}

TEST(Format3do, SnappingFollowsTheGridExamples)
{
    struct Case {
        float in[3];
        float out[3];
    } cases[] = {
        {{0.0005f, 0.0005f, -0.0005f}, {0, 0, 0}},
        {{1.2346f, 2, 3}, {1.233f, 1.998f, 3.001f}},
        {{-1.5f, 0.25f, -2}, {-1.501f, 0.248f, -1.998f}},
        // trunc rounds towards zero: 0 lands one step off, on each side.
        {{0, 0, 0}, {-0.001f, -0.001f, 0.001f}},
    };
    for (const Case& c : cases)
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_FLOAT_EQ(Snap3doCoordinate(c.in[axis], axis), c.out[axis])
                << c.in[axis] << " on axis " << axis;
    // Whole thousandths: x and y two steps down, z one step up.
    EXPECT_FLOAT_EQ(Snap3doCoordinate(0.5f, 0), 0.498f);
    EXPECT_FLOAT_EQ(Snap3doCoordinate(0.5f, 2), 0.501f);
}

TEST(Format3do, SnappingOfHugeValuesStaysInRange)
{
    const float big = std::numeric_limits<float>::max();
    for (int axis = 0; axis < 3; ++axis) {
        // Values beyond any 32-bit integer must not wrap round.
        EXPECT_NEAR(Snap3doCoordinate(3e9f, axis), 3e9f, 3e9f * 1e-6f);
        EXPECT_NEAR(Snap3doCoordinate(-5e12f, axis), -5e12f, 5e12f * 1e-6f);
        float top = Snap3doCoordinate(big, axis);
        float bottom = Snap3doCoordinate(-big, axis);
        EXPECT_TRUE(std::isfinite(top));
        EXPECT_TRUE(std::isfinite(bottom));
        EXPECT_GT(top, 3e38f);
        EXPECT_LT(bottom, -3e38f);
    }
}

TEST(Format3do, PrecompensatedCoordinatesComeBackOnTheirGridPoint)
{
    const double d = static_cast<double>(0.001f);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> thousandths(-40000, 40000);
    for (int i = 0; i < 3000; ++i) {
        int k = thousandths(rng);
        float designed = static_cast<float>(k / 1000.0);
        for (int axis = 0; axis < 3; ++axis) {
            float written = Precompensate3doCoordinate(designed, axis);
            float loaded = Snap3doCoordinate(written, axis);
            EXPECT_EQ(loaded, static_cast<float>(d * k)) << designed << " axis " << axis;
            EXPECT_NEAR(loaded, designed, 1e-5);
        }
    }
}

TEST(Format3do, RandomAndMutatedBytesNeverCrash)
{
    std::mt19937 rng(12345);
    const std::string good = Bytes(SampleModel());
    int decoded = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string bytes;
        if (round % 2 == 0) {
            bytes.resize(rng() % 900);
            for (char& c : bytes)
                c = static_cast<char>(rng());
        } else {
            bytes = good;
            int flips = 1 + rng() % 8;
            for (int i = 0; i < flips; ++i)
                bytes[rng() % bytes.size()] = static_cast<char>(rng());
            if (rng() % 3 == 0)
                bytes.resize(rng() % bytes.size());
        }
        Model3doFile out;
        std::string error;
        if (Decode3do(bytes.data(), bytes.size(), out, error)) {
            ++decoded;
            // Whatever decodes is consistent.
            for (const Model3doObject& o : out.objects) {
                ASSERT_EQ(o.points.size() % 3, 0u);
                ASSERT_EQ(o.uvs.size(), o.points.size() / 3 * 2);
                for (uint32_t idx : o.faces)
                    ASSERT_LT(idx, o.points.size() / 3);
                for (float f : o.points)
                    ASSERT_TRUE(std::isfinite(f));
            }
        } else {
            ASSERT_TRUE(out.objects.empty());
        }
    }
    EXPECT_GT(decoded, 0);  // some mutations only touch values
}

}  // namespace
