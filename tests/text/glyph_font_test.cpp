// Glyph fonts drawn into a real GL window (under Xvfb in the test runs):
// the pixels are read back to see where the glyphs land.
#include "text/font.h"

#include "app/base/log.h"
#include "glwindow.h"
#include "helpers.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <regex>
#include <unistd.h>

namespace {

const std::string kFontDir = "/usr/share/fonts/truetype/dejavu/";
const std::string kSans = kFontDir + "DejaVuSans.ttf", kBold = kFontDir + "DejaVuSans-Bold.ttf",
                  kSerif = kFontDir + "DejaVuSerif.ttf";
const std::u16string kAscii =
    u" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
const std::u16string kLatin = kAscii + u"àâçéèêëîïôùûüÿñáíóú¡¿ÉÀ©";

class GlyphFontTest : public GLWindowTest {
protected:
    void SetUp() override
    {
        width = 800, height = 600;
        GLWindowTest::SetUp();
        GLTTF2D::Init();
        ResetLog();
    }
    void TearDown() override
    {
        Reset(font);
        FreeFonts();
        SetIconFontHooks(nullptr, nullptr);
        GLWindowTest::TearDown();
    }
    // The window after `draw` in the 2D overlay on a cleared screen, shaded
    // smoothly as the game's screens draw their texts.
    template <class Fn>
    Picture Drawn(Fn draw, Rgb clear = {})
    {
        glClearColor(clear.r / 255.0f, clear.g / 255.0f, clear.b / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        Begin2D();
        glShadeModel(GL_SMOOTH);
        draw();
        End2D();
        return ReadPicture();
    }
    // The bounds of the pixels with a channel above 40.
    PixelBox Ink(const char16_t* text, int x, int y, int w, int h, bool centreH, bool centreV,
                 const GLTTF2D* with = nullptr)
    {
        const Picture blank = Drawn([] {});
        return Drawn([&] { DrawText(with ? *with : font, text, x, y, w, h, centreH, centreV); })
            .DifferenceBox(blank, 40, 0, 0, width, height);
    }
    GLTTF2D font;
};

// Every glyph inside its page, clear of the others, found by its character, its ink box tight round
// the texels that are not fully transparent; the line as tall as the tallest.
void ExpectGlyphsOnTheirPagesApart(const GLTTF2D& f)
{
    int tallest = 0;
    for (const Glyph& g : f.glyphs) {
        SCOPED_TRACE(g.character);
        ASSERT_TRUE(g.page >= 0 && g.page < static_cast<int>(f.pages.size()));
        const GlyphPage& p = f.pages[static_cast<size_t>(g.page)];
        EXPECT_TRUE(g.x >= 0 && g.y >= 0 && g.x + g.width <= p.width && g.y + g.height <= p.height);
        std::vector<uint8_t> alpha(static_cast<size_t>(p.width * p.height));  // the page's
        glBindTexture(GL_TEXTURE_2D, p.texture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
        const int right = g.inkX + g.inkWidth - 1, bottom = g.inkY + g.inkHeight - 1;
        int seen = 0;  // ink on the box's left, right, top, bottom edge; outside it
        for (int row = 0; row < g.height; ++row)
            for (int col = 0; col < g.width; ++col)
                if (alpha[static_cast<size_t>((g.y + row) * p.width + g.x + col)])
                    seen |= (col == g.inkX) | (col == right) << 1 | (row == g.inkY) << 2 | (row == bottom) << 3 |
                            (col < g.inkX || col > right || row < g.inkY || row > bottom) << 4;
        EXPECT_EQ(seen, g.inkWidth ? 15 : 0);
        EXPECT_EQ(f.Find(static_cast<char16_t>(g.character)), &g);
        tallest = std::max(tallest, g.height);
        for (const Glyph& h : f.glyphs)
            EXPECT_TRUE(&h == &g || h.page != g.page || g.x >= h.x + h.width || h.x >= g.x + g.width ||
                        g.y >= h.y + h.height || h.y >= g.y + g.height)
                << "and " << h.character;
    }
    EXPECT_EQ(f.lineHeight, tallest);
}

// The font's character set in rows of 12 through DrawText, or as quads of whole cells in the font's scale.
void DrawCharacterSet(const GLTTF2D& f, bool wholeCells, int shading)
{
    glShadeModel(shading);
    for (size_t i = 0; i < f.characterSet.size(); i += 12) {
        const std::u16string row = f.characterSet.substr(i, 12);
        int x = 4, y = static_cast<int>(i / 12) * f.lineHeight;
        if (!wholeCells)
            DrawText(f, WideText(row), x, y, 0, 0, false, false);
        for (char16_t c : wholeCells ? row : u"") {
            const Glyph& g = *f.Find(c);  // a space's cell is transparent, but its advance is another's
            const GlyphPage& page = f.pages[static_cast<size_t>(g.page)];
            glBindTexture(GL_TEXTURE_2D, page.texture);
            glBegin(GL_QUADS);
            for (int sh = f.shadowOffsetX && f.shadowOffsetY; sh >= 0; --sh)  // the shadow first
                for (const auto& [right, down] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}}) {
                    const float* colour = sh ? f.shadowColor : down ? f.colorBottom : f.colorTop;
                    const int dx = right * g.width, dy = down * g.height;
                    glColor4f(colour[0], colour[1], colour[2], f.alpha);
                    glTexCoord2f(static_cast<float>(g.x + dx) / page.width, static_cast<float>(g.y + dy) / page.height);
                    glVertex2f(f.scale * (x + dx + sh * f.shadowOffsetX), f.scale * (y + dy + sh * f.shadowOffsetY));
                }
            glEnd();
            x += c == u' ' ? f.spaceAdvance : g.width;
        }
    }
}

TEST_F(GlyphFontTest, EachCharacterOnceSpacesForTheRestAndAFailedGlyphLeavesAUsableFont)
{
    ASSERT_TRUE(loadFont(font, kSans.c_str(), kLatin.c_str(), 24, 256));
    ASSERT_EQ(font.pages.size(), 1u);
    EXPECT_EQ(font.glyphCount, static_cast<int>(kLatin.size()));
    ExpectGlyphsOnTheirPagesApart(font);
    const std::string loading = ":Loading font " + kSans + " ...";
    EXPECT_EQ(ReadTestLines("log.txt"),
              (std::vector<std::string>{loading, "close font", "delete buffer", "Load font end."}));
    // A space, and a character without a glyph, advance by the width of "e" and draw nothing.
    EXPECT_TRUE(font.Find(u'€') == nullptr && font.spaceAdvance == font.Find(u'e')->width);
    EXPECT_EQ(TextWidth(font, u"A é€"), font.Find(u'A')->width + font.Find(u'é')->width + 2 * font.spaceAdvance);
    EXPECT_LT(Ink(u"   €€", 10, 10, 300, 50, true, true).right, 0);
    const GLuint texture = font.pages[0].texture;
    EXPECT_TRUE(glIsTexture(texture));
    // SDL_ttf cannot render a zero-width character alone: the glyphs made
    // before it stay usable, on a page that exists. The old pages are gone.
    ResetLog();
    EXPECT_FALSE(loadFont(font, kSans.c_str(), u"abc\u200Bdef", 24, 256));
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(ReadTestLines("log.txt"),
              (std::vector<std::string>{loading, "error while rendering glyph", "close font", "delete buffer"}));
    ASSERT_TRUE(font.glyphs.size() == 3 && font.pages.size() == 1);
    ExpectGlyphsOnTheirPagesApart(font);
    const PixelBox ink = Ink(u"abcdef", 10, 10, 0, 0, false, false);
    EXPECT_TRUE(ink.right >= 10 && ink.right < 10 + TextWidth(font, u"abc"));
    const GLTTF2D none;
    EXPECT_LT(Ink(u"abc", 10, 10, 200, 50, true, true, &none).right, 0);  // a font without pages draws nothing
}

TEST_F(GlyphFontTest, TextLandsInsideItsBoxAndCentringCentres)
{
    const int bx = 100, by = 60, bw = 600, bh = 120;
    const char16_t* text = u"Pondrake é ¡Año!";
    for (const auto& face : {std::make_pair(kBold, 36), std::make_pair(kSans, 22), std::make_pair(kSerif, 12)}) {
        SCOPED_TRACE(face.first);
        ASSERT_TRUE(loadFont(font, face.first.c_str(), kLatin.c_str(), face.second, 256));
        const PixelBox ink = Ink(text, bx, by, bw, bh, true, true);
        EXPECT_TRUE(ink.left >= bx && ink.right < bx + bw && ink.top >= by && ink.bottom < by + bh);
        // The advances include the side bearings: the ink may sit a pixel or two off the middle.
        EXPECT_NEAR((ink.left + ink.right + 1) / 2.0, bx + bw / 2.0, 3.0);
        EXPECT_NEAR((ink.top + ink.bottom + 1) / 2.0, by + (bh - font.lineHeight) / 2 + font.lineHeight / 2.0,
                    font.lineHeight / 3.0);
        const PixelBox corner = Ink(text, bx, by, bw, bh, false, false);  // not centred: from the top left corner
        EXPECT_TRUE(corner.left >= bx && corner.left <= bx + 4 && corner.top >= by &&
                    corner.bottom <= by + font.lineHeight);
        EXPECT_NEAR(corner.right - corner.left, ink.right - ink.left, 1);
    }
}

TEST_F(GlyphFontTest, PagesHoldEveryGlyphWhateverTheOrderAndSize)
{
    // Short and tall glyphs in many orders and sizes: a tall glyph late in
    // the last row of a page must not reach past it.
    std::u16string set = kLatin;
    for (char16_t c = 0x100; c < 0x180; ++c)
        set += c;
    std::mt19937 rng(7);
    for (int round = 0; round < 6; ++round) {
        std::shuffle(set.begin(), set.end(), rng);
        const int size = 20 + static_cast<int>(rng() % 50);
        SCOPED_TRACE(size);
        ASSERT_TRUE(loadFont(font, kSerif.c_str(), set.c_str(), size, 256));
        EXPECT_EQ(font.glyphs.size(), set.size());
        ExpectGlyphsOnTheirPagesApart(font);
    }
    ASSERT_TRUE(loadFont(font, kSans.c_str(), u"WgÉ", 300, 256));  // a glyph larger than the atlas gets a larger page
    EXPECT_GT(font.Find(u'W')->width, 256);
    ExpectGlyphsOnTheirPagesApart(font);
    const PixelBox w = Ink(u"W", 0, 0, width, height, true, true);
    EXPECT_GT(w.right - w.left, 200);
    ASSERT_TRUE(loadFont(font, kSans.c_str(), u"aXa", 24, 256));  // a character twice: the first is found
    EXPECT_EQ(font.Find(u'a'), &font.glyphs[0]);
}

TEST_F(GlyphFontTest, TheThreeFontsFollowTheWindowTheIconFontAndTheLanguage)
{
    ASSERT_TRUE(WriteTestFile("data/text_en.txt", Utf16Bytes(CompleteLanguage(u"", kAscii))));
    ASSERT_TRUE(WriteTestFile("data/text_fr.txt", Utf16Bytes(CompleteLanguage(u"é", kAscii + u"éè"))));
    ASSERT_TRUE(LoadTextFile("", "en"));
    ASSERT_EQ(symlink(kFontDir.c_str(), "data/fonts"), 0);
    const std::string ini =
        "\nSize=30\nColorBottom=1,0.5,0\nShadowOffset=2,2\n[fontgamesmall]\n"
        "Font=data/fonts/DejaVuSans.ttf\nColorBottom=0.7,0.7,0.7\n[FontCopyright]\nFont=data/fonts/DejaVuSerif.ttf\n";
    ASSERT_TRUE(WriteTestFile("data/font.ini", "[FontMenuBig]\nFont=data/fonts/Missing.ttf" + ini));
    LoadFontConfig("");
    const std::string thrown = Thrown([] { InitFont(800, 600, ""); });
    EXPECT_TRUE(
        std::regex_match(thrown, std::regex("Font not found : 'data/fonts/Missing.ttf' : .+\\|loadFont\\|glttf2d")))
        << thrown;
    ASSERT_TRUE(WriteTestFile("data/font.ini", "[FontMenuBig]\nFont=data/fonts/DejaVuSans-Bold.ttf" + ini));
    LoadFontConfig("");
    static int iconLoads = 0, iconReleased = 0;
    SetIconFontHooks([](const char* path) { return iconLoads && std::string(path) == "data/gfx/2d/fonteicone.png"; },
                     [] { ++iconReleased; });
    EXPECT_EQ(Thrown([] { InitFont(800, 600, ""); }), "Couldn't load fonte data/gfx/2d/fonteicone.png\n|InitFont|font");
    iconLoads = 1, iconReleased = 0;
    ASSERT_TRUE(InitFont(800, 600, ""));
    const std::vector<std::string> log = ReadTestLines("log.txt");
    EXPECT_EQ(std::count(log.begin(), log.end(), "Loading font data/gfx/2d/fonteicone.png ..."), 2);
    // 800 x 30 / 1024 = 23 pixels, with the colours of the file (sections
    // in any case) and the defaults for what it lacks.
    ASSERT_TRUE(loadFont(font, kBold.c_str(), kAscii.c_str(), 23, 256));
    EXPECT_EQ(menuFont.lineHeight, font.lineHeight);
    EXPECT_TRUE(menuFont.colorBottom[1] == 0.5f && menuFont.shadowOffsetX == 2 && gameFont.shadowColor[2] == 0.1f);
    EXPECT_TRUE(gameFont.colorTop[1] == 1 && gameFont.shadowOffsetX == 0 && fontConfigs[FontCopyright].size == 8 &&
                !smallPrintFont.pages.empty());
    for (const auto& row : {std::array<int, 3>{30, 1920, 56}, {0, 1024, 1}, {2000000000, 1920, 4096}})
        EXPECT_EQ(FontPixelSize(FontConfig{"", row[0]}, row[1]), row[2]) << row[0] << " at " << row[1];
    // A change of resolution builds them again at the new size; every
    // rebuild, and the shutdown, release the icon font they replace.
    ASSERT_TRUE(InitFont(1024, 768, ""));
    EXPECT_GT(menuFont.lineHeight, font.lineHeight);
    EXPECT_EQ(iconReleased, 2);
    // A change of language rebuilds them for its characters, into a set of
    // their own (not a view of the language's text).
    EXPECT_EQ(gameFont.Find(u'é'), nullptr);
    ASSERT_TRUE(ChangeLanguage("", "fr"));
    EXPECT_TRUE(gameFont.Find(u'é') && menuFont.Find(u'è'));
    EXPECT_EQ(menuFont.characterSet, TextKey::Correspondance.Str());
    EXPECT_NE(menuFont.characterSet.data(), TextKey::Correspondance.Units());
    // A failed change keeps the language and its fonts.
    const size_t glyphs = menuFont.glyphs.size();
    EXPECT_NE(CaptureStderr([] { EXPECT_FALSE(ChangeLanguage("", "es")); }).find("keeping the current language"),
              std::string::npos);
    EXPECT_EQ(menuFont.glyphs.size(), glyphs);
    EXPECT_EQ(TextKey::Play.Str(), u"éPlay");
    FreeFonts();
    EXPECT_EQ(iconReleased, 3);
    EXPECT_TRUE(menuFont.pages.empty() && gameFont.glyphs.empty());
}

// The shipped texts and the game's own fonts, at their sizes for three windows.
TEST_F(GlyphFontTest, ShippedHintsFitTheHelpBoxAndShippedFontsDrawOverTheirInkAsOverTheirCells)
{
    const std::string data = RunDir() + "/";
    LoadFontConfig(data.c_str());
    for (const char* lang : {"fr", "es", "en"}) {
        SCOPED_TRACE(lang);
        ASSERT_TRUE(LoadTextFile(data.c_str(), lang));
        // Each hint line fits the 400-pixel help box in the game font at the size a 1024-pixel window
        // gives it. (The screens' gallery shows the shipped texts drawn in every language.)
        ASSERT_TRUE(loadFont(font, kSans.c_str(), TextKey::Correspondance.Units(), 24, 256));
        const WideText* hints[] = {&TextKey::MessageObjet1, &TextKey::MessageObjet2, &TextKey::MessageObjet3,
                                   &TextKey::MessageBlock1, &TextKey::MessageBlock2, &TextKey::MessageBlock3,
                                   &TextKey::MessageBombe1, &TextKey::MessageBombe2, &TextKey::MessageBombe3};
        for (const WideText* line : hints)
            EXPECT_LE(TextWidth(font, *line), 390) << line->ToUtf8();
        // On grey for the shadows to show; off by a level at a few pixels where the rasteriser rounds apart.
        for (int w : {640, 1024, 1600}) {
            ASSERT_TRUE(InitFont(w, w * 3 / 4, data.c_str()));
            for (GLTTF2D* f : {&menuFont, &gameFont, &smallPrintFont}) {
                SCOPED_TRACE(testing::Message() << w << " " << f->lineHeight);
                ExpectGlyphsOnTheirPagesApart(*f);
                for (auto [shade, scale] : {std::pair{GL_SMOOTH, .77f}, {GL_FLAT, 1.3f}, {GL_FLAT, 1.f}}) {
                    f->scale = scale;
                    const Picture cells = Drawn([&] { DrawCharacterSet(*f, true, shade); }, {90, 90, 90});
                    const Picture text = Drawn([&] { DrawCharacterSet(*f, false, shade); }, {90, 90, 90});
                    EXPECT_EQ(text.CountDifferent(cells, 1), 0) << shade << " " << scale;
                }
            }
        }
    }
}

}  // namespace
