#include "text/widetext.h"

#include <gtest/gtest.h>

TEST(WideText, NarrowTextBecomesOneUnitPerByteAndStaysTerminated)
{
    WideText t("Area");
    ASSERT_EQ(t.Length(), 4);
    EXPECT_EQ(t[0], u'A');
    EXPECT_EQ(t.Units()[4], 0);
    // Bytes above 127 keep their value rather than turning negative.
    WideText high("\xE9");
    EXPECT_EQ(high[0], 0xE9);

    WideText empty;
    EXPECT_EQ(empty.Length(), 0);
    ASSERT_NE(empty.Units(), nullptr);
    EXPECT_EQ(empty.Units()[0], 0);
    WideText fromNull(static_cast<const char*>(nullptr));
    EXPECT_TRUE(fromNull.Empty());
}

TEST(WideText, AppendCompareAndFind)
{
    WideText t(u"Niveau");
    t.Append(" %2d").Append(WideText(u" é")).Append(u'!');
    EXPECT_EQ(t, WideText(u"Niveau %2d é!"));
    EXPECT_NE(t, WideText(u"niveau %2d é!"));  // case counts
    EXPECT_NE(WideText(u"ab"), WideText(u"ab "));
    EXPECT_EQ(t.Find(u'%'), 7);
    EXPECT_EQ(t.Find(u'e', 3), 3);
    EXPECT_EQ(t.Find(u'e', 4), -1);
    EXPECT_EQ(t.Find(u'N', -5), 0);
}

TEST(WideText, CopyToNeverWritesPastTheCallersBuffer)
{
    // A menu label holds 63 units and its terminator.
    std::u16string longText(100, u'x');
    WideText t(longText.c_str());
    char16_t label[64 + 4];
    for (char16_t& c : label)
        c = u'#';
    EXPECT_EQ(t.CopyTo(label, 64), 63);
    EXPECT_EQ(label[62], u'x');
    EXPECT_EQ(label[63], 0);
    EXPECT_EQ(label[64], u'#');

    WideText shortText(u"Jeu");
    EXPECT_EQ(shortText.CopyTo(label, 64), 3);
    EXPECT_EQ(std::u16string(label), u"Jeu");
    EXPECT_EQ(shortText.CopyTo(label, 0), 0);
    EXPECT_EQ(shortText.CopyTo(label, 1), 0);
    EXPECT_EQ(label[0], 0);
}

TEST(WideText, Utf8RoundTripAndRefusals)
{
    WideText t;
    ASSERT_TRUE(WideText::FromUtf8("¡Enhorabuena! Félicitations ©", t));
    EXPECT_EQ(t.Str(), u"¡Enhorabuena! Félicitations ©");
    EXPECT_EQ(t.ToUtf8(), "¡Enhorabuena! Félicitations ©");

    ASSERT_TRUE(WideText::FromUtf8("\xF0\x9F\x98\x80", t));  // outside the basic plane
    EXPECT_EQ(t.Length(), 2);
    EXPECT_EQ(t.ToUtf8(), "\xF0\x9F\x98\x80");

    const char* bad[] = {"\xC3", "\xE2\x82", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80", "a\xC3("};
    for (const char* b : bad)
        EXPECT_FALSE(WideText::FromUtf8(b, t)) << b;

    WideText lone(u"a\xD800z");
    EXPECT_EQ(lone.ToUtf8(), "a\xEF\xBF\xBDz");
}
