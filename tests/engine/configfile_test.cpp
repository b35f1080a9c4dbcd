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

TEST(ConfigFile, KeysAndValuesAreTakenAsTheyStand)
{
    ScopedTempDir dir;
    WriteTestFile("t.ini", "a=\n=\nb = spaced\n[Header]\nremark without equals\nc=x=y\n");
    VROConfigFile f;
    ASSERT_TRUE(f.Load("t.ini"));
    EXPECT_EQ(Value(f, "a"), "");
    EXPECT_EQ(Value(f, ""), "<unchanged>");  // "=" alone is too short
    EXPECT_EQ(Value(f, "b"), "<unchanged>");  // the key is "b "
    EXPECT_EQ(Value(f, "b "), " spaced");
    EXPECT_EQ(Value(f, "c"), "x=y");
    EXPECT_EQ(Value(f, "C"), "<unchanged>");  // exact, case-sensitive
}

TEST(ConfigFile, LineEndsTrailingBlanksAndLastLine)
{
    ScopedTempDir dir;
    WriteTestFile("crlf.ini", "k=1 \t\r\nlast=2");
    WriteTestFile("lf.ini", "k=1\nlast=2\n");
    VROConfigFile a, b;
    ASSERT_TRUE(a.Load("crlf.ini"));
    ASSERT_TRUE(b.Load("lf.ini"));
    EXPECT_EQ(Value(a, "k"), "1");
    EXPECT_EQ(Value(a, "last"), "2");
    EXPECT_EQ(Value(b, "k"), "1");
    EXPECT_EQ(Value(b, "last"), "2");
}

TEST(ConfigFile, LaterKeyWinsAndSaveWritesReverseOrder)
{
    ScopedTempDir dir;
    WriteTestFile("t.ini", "k=first\nj=1\nk=second\n");
    VROConfigFile f;
    ASSERT_TRUE(f.Load("t.ini"));
    EXPECT_EQ(Value(f, "k"), "second");
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
    std::string huge = "long=" + std::string(100000, 'v') + "\nnext=ok\n";
    huge += std::string("bin\0ary=1\n", 10);
    WriteTestFile("t.ini", huge);
    ASSERT_TRUE(f.Load("t.ini"));
    std::string v;
    ASSERT_TRUE(f.GetValue("long", v));
    EXPECT_EQ(v.size(), VROConfigFile::kMaxLine - 5);
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
