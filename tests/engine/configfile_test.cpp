// Configuration files (theme.ini's reader) and the engine's lists.
#include "engine/configfile.h"
#include "engine/vrolist.h"
#include "testdir.h"

#include <gtest/gtest.h>

namespace {

std::string Value(VROConfigFile& f, const char* key)
{
    std::string v = "<unchanged>";
    f.GetValue(key, v);
    return v;
}

TEST(ConfigFile, KeysValuesLineEndsAndTheLaterKey)
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
}

TEST(ConfigFile, BadInputIsHandledSafely)
{
    ScopedTempDir dir;
    VROConfigFile f;
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
    EXPECT_EQ(Value(f, "next"), "<unchanged>");
    EXPECT_EQ(f.keys.count, 1);
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
    EXPECT_EQ(list.count, 4);
    EXPECT_EQ(list.At(0)->id, 3);  // head insertion reverses the order
    EXPECT_EQ(list.At(3)->id, 0);
    EXPECT_EQ(list.At(4), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
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
    EXPECT_EQ(*strings.At(1), "x");
    EXPECT_EQ(strings.At(2), nullptr);
}

}  // namespace
