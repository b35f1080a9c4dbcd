// The headless engine: .3do bytes, configuration files and lists.
#include "app/base/bytes.h"
#include "engine/configfile.h"
#include "engine/format3do.h"
#include "engine/vrolist.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <type_traits>

namespace {

Model3doFile SampleModel()
{
    Model3doFile m;
    m.objects = {
        {"body", "paint", {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0.5f}, {0, 0, 1, 0, 0, 1, 1, 1}, {0, 1, 2, 2, 1, 3}},
        {"RoueAvD", "rubber", {-1, -2, -3}, {0.25f, 0.75f}, {}}};
    m.materials = {{"paint", {0.5f, 1, 1}, {1, 1, 1}, {0, 0, 0}, 0.9999f, 1, 3, 1, "Wood.PNG", ""},
                   {"rubber", {1, 1, 1}, {1, 1, 1}, {0, 0, 0}, 1.0f, 0, 0, 0, "", "chrome.png"}};
    return m;
}

std::string Bytes(const Model3doFile& m)
{
    std::string bytes, error;
    EXPECT_TRUE(Encode3do(m, bytes, error)) << error;
    return bytes;
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

// The 4-byte field at `at` set to v.
template <class T>
void Set(std::string& s, size_t at, T v)
{
    std::string field;
    if constexpr (std::is_same_v<T, float>)
        PutFloat(field, v);
    else
        PutInt32(field, v);
    s.replace(at, 4, field);
}

// A refusal leaves nothing behind and says why.
bool Decodes(const std::string& bytes)
{
    Model3doFile out;
    std::string error;
    if (Decode3do(bytes.data(), bytes.size(), out, error))
        return true;
    EXPECT_TRUE(out.objects.empty() && out.materials.empty());
    EXPECT_FALSE(error.empty());
    return false;
}

TEST(Format3do, RoundTripKeepsEveryFieldInFileAndBytes)
{
    const std::string bytes = Bytes(SampleModel());
    ASSERT_EQ(bytes.size(), kFirstMaterial + 2 * k3doMaterialSize);
    Model3doFile out;
    std::string error;
    ASSERT_TRUE(Decode3do(bytes.data(), bytes.size(), out, error)) << error;
    // Writing what was read gives the same bytes: no field is lost or moved.
    EXPECT_EQ(Bytes(out), bytes);
    ASSERT_EQ(out.objects.size(), 2u);
    EXPECT_EQ(out.objects[1].name, "RoueAvD");
    EXPECT_EQ(out.objects[0].points, SampleModel().objects[0].points);
    EXPECT_EQ(out.materials[0].texture, "Wood.PNG");  // case is the loader's business
    EXPECT_EQ(out.materials[0].lighting, 3);
    EXPECT_EQ(GetFloat(reinterpret_cast<const unsigned char*>(&bytes[kFirstPointsAt + 44])), 0.5f);

    ScopedTempDir dir;
    ASSERT_TRUE(Write3do("m.3do", SampleModel(), error)) << error;
    EXPECT_EQ(ReadTestFile("m.3do"), bytes);
    bool missing = true;
    ASSERT_TRUE(Read3do("m.3do", out, error, &missing)) << error;
    EXPECT_FALSE(missing);
    EXPECT_EQ(Bytes(out), bytes);
    EXPECT_FALSE(Read3do("absent.3do", out, error, &missing));
    EXPECT_TRUE(missing);
    WriteTestFile("short.3do", bytes.substr(0, 40));
    EXPECT_FALSE(Read3do("short.3do", out, error, &missing));
    EXPECT_FALSE(missing);
}

TEST(Format3do, DamagedFieldsAreRefusedAndTheirLimitsAccepted)
{
    const std::string good = Bytes(SampleModel());
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(Decodes(good.substr(0, n))) << "cut to " << n;
    EXPECT_TRUE(Decodes(good + "trailing")) << "bytes after the last material are not the loader's";

    using Change = std::function<void(std::string&)>;
    struct Case {
        std::string what;
        Change change;
        bool decodes;
    };
    auto setInt = [](size_t at, int32_t v) { return Change([=](std::string& s) { Set<int32_t>(s, at, v); }); };
    std::vector<Case> cases = {
        {"negative object count", setInt(kObjectCountAt, -1), false},
        {"huge object count", setInt(kObjectCountAt, 0x7FFFFFFF), false},
        {"object count beyond the bytes", setInt(kObjectCountAt, 7), false},
        {"negative point count", setInt(kFirstPointCountAt, -4), false},
        {"huge point count", setInt(kFirstPointCountAt, 0x7FFFFFFF), false},
        {"negative face count", setInt(kFirstFaceCountAt, -1), false},
        {"huge face count", setInt(kFirstFaceCountAt, 0x20000000), false},
        {"face index equal to the point count", setInt(kFirstFacesAt + 4, 4), false},
        {"negative face index", setInt(kFirstFacesAt, -1), false},
        {"face index far beyond", setInt(kFirstFacesAt + 8, 1 << 30), false},
        {"the largest face index", setInt(kFirstFacesAt, 3), true},
        {"negative material count", setInt(kMaterialCountAt, -2), false},
        {"material count beyond the bytes", setInt(kMaterialCountAt, 3), false},
        {"huge material count", setInt(kMaterialCountAt, 0x7FFFFFFF), false},
        {"the largest float", [](std::string& s) { Set(s, kFirstPointsAt, std::numeric_limits<float>::max()); }, true},
    };
    for (size_t at : {kFirstObject, kFirstObject + 80, kSecondObject, kFirstMaterial, kFirstMaterial + 132,
                      kFirstMaterial + 212, kFirstMaterial + k3doMaterialSize + 212}) {
        cases.push_back({"name without terminator at " + std::to_string(at),
                         [=](std::string& s) { s.replace(at, k3doNameSize, k3doNameSize, 'A'); }, false});
        cases.push_back({"terminator in the last byte at " + std::to_string(at),
                         [=](std::string& s) {
                             s.replace(at, k3doNameSize - 1, k3doNameSize - 1, 'A');
                             s[at + k3doNameSize - 1] = '\0';
                         },
                         true});
    }
    for (float f : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()})
        for (size_t axis = 0; axis < 3; ++axis)
            cases.push_back({std::to_string(f) + " on axis " + std::to_string(axis),
                             [=](std::string& s) { Set(s, kFirstPointsAt + 12 * 3 + 4 * axis, f); }, false});
    for (const Case& c : cases) {
        std::string bytes = good;
        c.change(bytes);
        EXPECT_EQ(Decodes(bytes), c.decodes) << c.what;
    }
}

TEST(Format3do, TheLoadersGridAndItsInverse)
{
    struct Case {
        float in[3], out[3];
    } cases[] = {
        {{0.0005f, 0.0005f, -0.0005f}, {0, 0, 0}},
        {{1.2346f, 2, 3}, {1.233f, 1.998f, 3.001f}},
        {{-1.5f, 0.25f, -2}, {-1.501f, 0.248f, -1.998f}},
        {{0.5f, 0.5f, 0.5f}, {0.498f, 0.498f, 0.501f}},  // whole thousandths: x, y two steps down, z one up
        {{0, 0, 0}, {-0.001f, -0.001f, 0.001f}},         // trunc rounds towards zero
    };
    for (const Case& c : cases)
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_FLOAT_EQ(Snap3doCoordinate(c.in[axis], axis), c.out[axis]) << c.in[axis] << " axis " << axis;
    const float big = std::numeric_limits<float>::max();
    for (int axis = 0; axis < 3; ++axis) {
        // Beyond any 32-bit integer nothing wraps round, and the float range holds.
        EXPECT_NEAR(Snap3doCoordinate(3e9f, axis), 3e9f, 3e9f * 1e-6f);
        EXPECT_NEAR(Snap3doCoordinate(-5e12f, axis), -5e12f, 5e12f * 1e-6f);
        EXPECT_TRUE(std::isfinite(Snap3doCoordinate(big, axis)) && Snap3doCoordinate(big, axis) > 3e38f);
        EXPECT_TRUE(std::isfinite(Snap3doCoordinate(-big, axis)) && Snap3doCoordinate(-big, axis) < -3e38f);
    }
    const double d = static_cast<double>(0.001f);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> thousandths(-40000, 40000);
    for (int i = 0; i < 3000; ++i) {
        const int k = thousandths(rng);
        const float designed = static_cast<float>(k / 1000.0);
        for (int axis = 0; axis < 3; ++axis) {
            const float loaded = Snap3doCoordinate(Precompensate3doCoordinate(designed, axis), axis);
            ASSERT_EQ(loaded, static_cast<float>(d * k)) << designed << " axis " << axis;
            ASSERT_NEAR(loaded, designed, 1e-5);
        }
    }
}

std::string Value(VROConfigFile& f, const char* key)
{
    std::string v = "<unchanged>";
    f.GetValue(key, v);
    return v;
}

TEST(ConfigFile, KeysValuesLineEndsTheLaterKeyAndBadInput)
{
    ScopedTempDir dir;
    WriteTestFile("t.ini", "a=\n=\nb = spaced\n[Header]\nremark without equals\nc=x=y\nk=1 \t\r\nk2=first\nk2=second");
    VROConfigFile f;
    ASSERT_TRUE(f.Load("t.ini"));
    const std::pair<const char*, const char*> cases[] = {
        {"a", ""},
        {"", "<unchanged>"},   // "=" alone is too short
        {"b", "<unchanged>"},  // the key is "b "
        {"b ", " spaced"},
        {"c", "x=y"},
        {"C", "<unchanged>"},  // exact, case-sensitive
        {"k", "1"},            // CR LF and trailing blanks go
        {"k2", "second"},      // the last line needs no line end; the later key wins
    };
    for (const auto& [key, value] : cases)
        EXPECT_EQ(Value(f, key), value) << key;
    // Saving writes the keys in reverse order.
    WriteTestFile("t.ini", "k=first\nj=1\nk=second\n");
    ASSERT_TRUE(f.Load("t.ini"));
    ASSERT_TRUE(f.Save("out.ini"));
    EXPECT_EQ(ReadTestFile("out.ini"), "k=second\nj=1\nk=first\n");

    // Bad input is handled safely.
    EXPECT_FALSE(f.Load("missing.ini"));
    EXPECT_FALSE(f.Load(nullptr));
    // An over-long line is cut, never overrun, and the next line still reads.
    WriteTestFile("t.ini", "long=" + std::string(100000, 'v') + "\nnext=ok\n" + std::string("bin\0ary=1\n", 10));
    ASSERT_TRUE(f.Load("t.ini"));
    EXPECT_EQ(Value(f, "long").size(), VROConfigFile::kMaxLine - 5);
    EXPECT_EQ(Value(f, "next"), "ok");
    // Reloading replaces everything.
    WriteTestFile("t2.ini", "only=1\n");
    ASSERT_TRUE(f.Load("t2.ini"));
    EXPECT_EQ(std::make_pair(Value(f, "next"), f.keys.count), std::make_pair(std::string("<unchanged>"), 1));
}

struct Item {
    int id;
    Item* next = nullptr;
};

TEST(Lists, InsertFindAtAndUnlink)
{
    VROList<Item> list;
    for (int i = 0; i < 4; ++i)
        list.InsertHead(new Item{i});
    // Head insertion reverses the order.
    EXPECT_EQ(std::make_tuple(list.count, list.At(0)->id, list.At(3)->id), std::make_tuple(4, 3, 0));
    EXPECT_TRUE(list.At(4) == nullptr && list.At(-1) == nullptr);
    ASSERT_NE(list.Find([](const Item& e) { return e.id == 1; }), nullptr);
    delete list.UnlinkCursor();
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list.Find([](const Item& e) { return e.id == 1; }), nullptr);
    ASSERT_NE(list.Find([](const Item& e) { return e.id == 3; }), nullptr);
    delete list.UnlinkCursor();  // unlinking the head
    EXPECT_EQ(list.head->id, 2);

    int a = 1, b = 2;
    VROList<int*> ptrs;
    ptrs.InsertHead(&a);
    ptrs.InsertHead(&b);
    EXPECT_EQ(*ptrs.At(0), 2);
    ptrs.First();
    EXPECT_EQ(*ptrs.UnlinkCursor(), 2);
    EXPECT_EQ(ptrs.count, 1);

    CList<std::string> strings;
    strings.InsertHead("x");
    strings.InsertHead("y");
    EXPECT_TRUE(*strings.At(1) == "x" && strings.At(2) == nullptr);
}

}  // namespace
