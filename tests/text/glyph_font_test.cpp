// Glyph fonts drawn into a real GL window (under Xvfb in the test runs):
// the pixels are read back to see where the glyphs land.
#include "text/font.h"
#include "text/glttf2d.h"
#include "text/texte.h"

#include "app/exception.h"
#include "app/log.h"
#include "engine/pngwrite.h"
#include "testdir.h"
#include "utf16_helpers.h"

#include <SDL.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unistd.h>

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
const std::string kFontDir = "/usr/share/fonts/truetype/dejavu/";
const std::string kSans = kFontDir + "DejaVuSans.ttf";
const std::string kSansBold = kFontDir + "DejaVuSans-Bold.ttf";
const std::string kSerif = kFontDir + "DejaVuSerif.ttf";

std::u16string Ascii()
{
    std::u16string s;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        s += c;
    return s;
}

const std::u16string kAccents = u"àâçéèêëîïôùûüÿñáíóú¡¿ÉÀ©";

// One window for the whole suite, opened by the first test that needs it.
// A window that cannot be opened fails the tests (it is never a skip).
bool OpenWindow()
{
    static bool open = false;
    if (open)
        return true;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        ADD_FAILURE() << "SDL_Init: " << SDL_GetError();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_SetVideoMode(kW, kH, 0, SDL_OPENGL)) {
        ADD_FAILURE() << "SDL_SetVideoMode: " << SDL_GetError();
        SDL_Quit();
        return false;
    }
    GLTTF2D::Init();
    std::atexit([] {
        GLTTF2D::Quit();
        SDL_Quit();
    });
    open = true;
    return true;
}

struct Box {
    int left = kW, top = kH, right = -1, bottom = -1;  // inclusive
    bool Empty() const { return right < 0; }
    double CentreX() const { return (left + right + 1) / 2.0; }
    double CentreY() const { return (top + bottom + 1) / 2.0; }
};

class Screen {
public:
    std::vector<uint8_t> rgb;  // top row first

    static void Begin()
    {
        glViewport(0, 0, kW, kH);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kW, kH, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void Read()
    {
        glFinish();
        std::vector<uint8_t> raw(static_cast<size_t>(kW) * kH * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, raw.data());
        rgb.resize(raw.size());
        for (int y = 0; y < kH; ++y)
            std::copy_n(&raw[static_cast<size_t>(kH - 1 - y) * kW * 3], kW * 3, &rgb[static_cast<size_t>(y) * kW * 3]);
    }

    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * kW + x) * 3]; }

    // Pixels where channel `c` (or any channel, c = -1) is above 40.
    Box Ink(int c = -1) const
    {
        Box b;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const uint8_t* p = At(x, y);
                bool lit = c < 0 ? (p[0] > 40 || p[1] > 40 || p[2] > 40) : p[c] > 40;
                if (lit) {
                    b.left = std::min(b.left, x);
                    b.right = std::max(b.right, x);
                    b.top = std::min(b.top, y);
                    b.bottom = std::max(b.bottom, y);
                }
            }
        return b;
    }

    bool Save(const std::string& name) const
    {
        std::string error;
        return WritePng((TestOutputDir() + "/" + name).c_str(), kW, kH, 3, rgb.data(), error);
    }
};

void ExpectGlyphsInsideTheirPagesWithoutOverlap(const GLTTF2D& f)
{
    for (size_t i = 0; i < f.glyphs.size(); ++i) {
        const Glyph& g = f.glyphs[i];
        ASSERT_GE(g.page, 0);
        ASSERT_LT(g.page, static_cast<int>(f.pages.size()));
        const GlyphPage& p = f.pages[static_cast<size_t>(g.page)];
        EXPECT_GE(g.x, 0);
        EXPECT_GE(g.y, 0);
        EXPECT_LE(g.x + g.width, p.width) << "glyph " << i;
        EXPECT_LE(g.y + g.height, p.height) << "glyph " << i;
        EXPECT_FLOAT_EQ(g.u, static_cast<float>(g.x) / p.width);
        EXPECT_FLOAT_EQ(g.dv, static_cast<float>(g.height) / p.height);
        for (size_t j = i + 1; j < f.glyphs.size(); ++j) {
            const Glyph& h = f.glyphs[j];
            bool overlap = h.page == g.page && g.x < h.x + h.width && h.x < g.x + g.width && g.y < h.y + h.height &&
                           h.y < g.y + g.height;
            EXPECT_FALSE(overlap) << "glyphs " << i << " and " << j;
        }
    }
}

class GlyphFontTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(OpenWindow());
        ResetLog();
    }
    void TearDown() override
    {
        Reset(font);
        FreeFonts();
        SetIconFontHooks(nullptr, nullptr);
    }
    ScopedTempDir dir;
    GLTTF2D font;
};

}  // namespace

TEST_F(GlyphFontTest, RasterisesEachCharacterOnceIntoAnAtlasPage)
{
    std::u16string set = Ascii() + kAccents;
    ASSERT_TRUE(loadFont(font, kSans.c_str(), set.c_str(), 24, 256));
    EXPECT_EQ(font.glyphs.size(), set.size());
    EXPECT_EQ(font.glyphCount, static_cast<int>(set.size()));
    ASSERT_EQ(font.pages.size(), 1u);
    EXPECT_EQ(font.pages[0].width, 256);
    EXPECT_NE(font.pages[0].texture, 0u);
    EXPECT_TRUE(glIsTexture(font.pages[0].texture));
    int tallest = 0;
    for (size_t i = 0; i < set.size(); ++i) {
        ASSERT_NE(font.Find(set[i]), nullptr);
        EXPECT_EQ(font.Find(set[i])->character, set[i]);
        tallest = std::max(tallest, font.glyphs[i].height);
    }
    EXPECT_EQ(font.lineHeight, tallest);
    EXPECT_EQ(font.spaceAdvance, font.Find(u'e')->width);
    EXPECT_EQ(font.Find(u'€'), nullptr);
    ExpectGlyphsInsideTheirPagesWithoutOverlap(font);
    EXPECT_EQ(font.characterSet, set);

    std::vector<std::string> log = ReadTestLines(dir.file("log.txt"));
    std::vector<std::string> expected = {":Loading font " + kSans + " ...", "close font", "delete buffer",
                                         "Load font end."};
    EXPECT_EQ(log, expected);

    GLuint texture = font.pages[0].texture;
    Reset(font);
    EXPECT_TRUE(font.pages.empty());
    EXPECT_TRUE(font.glyphs.empty());
    EXPECT_EQ(font.glyphCount, 0);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(font.Find(u'e'), nullptr);
}

TEST_F(GlyphFontTest, WidthsAdvanceByGlyphsAndSpaces)
{
    std::u16string set = Ascii() + kAccents;
    ASSERT_TRUE(loadFont(font, kSans.c_str(), set.c_str(), 24, 256));
    EXPECT_EQ(TextWidth(font, u"   "), 3 * font.spaceAdvance);
    EXPECT_EQ(TextWidth(font, u"Aé"), font.Find(u'A')->width + font.Find(u'é')->width);
    // A character without a glyph counts as a space.
    EXPECT_EQ(TextWidth(font, u"A€"), font.Find(u'A')->width + font.spaceAdvance);
    EXPECT_EQ(TextWidth(font, static_cast<const char16_t*>(nullptr)), 0);
    EXPECT_EQ(TextWidth(font, WideText(u"Aé")), TextWidth(font, u"Aé"));

    // Only spaces: nothing is drawn.
    Screen s;
    Screen::Begin();
    DrawText(font, u"     ", 10, 10, 300, 50, false, false);
    DrawText(font, u"€€", 10, 100, 300, 50, true, true);
    s.Read();
    EXPECT_TRUE(s.Ink().Empty());
}

TEST_F(GlyphFontTest, TextLandsInsideItsBoxAndCentringCentres)
{
    struct Face {
        std::string path;
        int size;
    } faces[] = {{kSansBold, 36}, {kSans, 22}, {kSerif, 12}};  // menu, game, small print
    std::u16string set = Ascii() + kAccents;
    for (const Face& face : faces) {
        SCOPED_TRACE(face.path);
        ASSERT_TRUE(loadFont(font, face.path.c_str(), set.c_str(), face.size, 256));
        const int bx = 100, by = 60, bw = 600, bh = 120;
        const char16_t* text = u"Pondrake é ¡Año!";

        Screen s;
        Screen::Begin();
        DrawText(font, text, bx, by, bw, bh, true, true);
        s.Read();
        Box ink = s.Ink();
        ASSERT_FALSE(ink.Empty());
        EXPECT_GE(ink.left, bx);
        EXPECT_LT(ink.right, bx + bw);
        EXPECT_GE(ink.top, by);
        EXPECT_LT(ink.bottom, by + bh);
        // The advances include the side bearings, so the ink may sit a pixel
        // or two off the exact middle.
        EXPECT_NEAR(ink.CentreX(), bx + bw / 2.0, 3.0);
        double lineMiddle = by + (bh - font.lineHeight) / 2 + font.lineHeight / 2.0;
        EXPECT_NEAR(ink.CentreY(), lineMiddle, font.lineHeight / 3.0);

        // Not centred: from the top left corner of the box.
        Screen::Begin();
        DrawText(font, text, bx, by, bw, bh, false, false);
        s.Read();
        Box left = s.Ink();
        EXPECT_GE(left.left, bx);
        EXPECT_LE(left.left, bx + 4);
        EXPECT_GE(left.top, by);
        EXPECT_LE(left.bottom, by + font.lineHeight);
        EXPECT_NEAR(left.right - left.left, ink.right - ink.left, 1);

        // The 8-bit and one-character forms draw the same pixels.
        Screen::Begin();
        DrawText(font, u"12345", bx, by, bw, bh, true, false);
        s.Read();
        std::vector<uint8_t> wide = s.rgb;
        Screen::Begin();
        DrawText8(font, "12345", bx, by, bw, bh, true, false);
        s.Read();
        EXPECT_EQ(s.rgb, wide);
        Screen::Begin();
        DrawChar(font, u'é', bx, by, 0, 0, false, false);
        s.Read();
        EXPECT_FALSE(s.Ink().Empty());
    }
}

TEST_F(GlyphFontTest, ColoursRunTopToBottomAndTheShadowNeedsBothOffsets)
{
    std::u16string set = Ascii();
    ASSERT_TRUE(loadFont(font, kSansBold.c_str(), set.c_str(), 48, 256));
    const float red[3] = {1, 0, 0}, blue[3] = {0, 0, 1}, green[3] = {0, 1, 0};
    std::copy_n(red, 3, font.colorTop);
    std::copy_n(blue, 3, font.colorBottom);
    Screen s;
    Screen::Begin();
    DrawText(font, u"HHHH", 50, 50, 0, 0, false, false);
    s.Read();
    Box ink = s.Ink();
    ASSERT_FALSE(ink.Empty());
    const uint8_t* high = s.At((ink.left + ink.right) / 2 - 3, ink.top + 2);
    const uint8_t* low = s.At((ink.left + ink.right) / 2 - 3, ink.bottom - 2);
    // Sample inside a stem of an H: find a lit column near the left edge.
    for (int x = ink.left; x < ink.right; ++x)
        if (s.At(x, ink.top + 2)[0] > 100 && s.At(x, ink.bottom - 2)[2] > 100) {
            high = s.At(x, ink.top + 2);
            low = s.At(x, ink.bottom - 2);
            break;
        }
    EXPECT_GT(high[0], high[2]);
    EXPECT_GT(low[2], low[0]);

    std::copy_n(green, 3, font.colorTop);
    std::copy_n(green, 3, font.colorBottom);
    std::copy_n(red, 3, font.shadowColor);
    font.shadowOffsetX = 2;
    font.shadowOffsetY = 0;
    Screen::Begin();
    DrawText(font, u"HHHH", 50, 50, 0, 0, false, false);
    s.Read();
    EXPECT_TRUE(s.Ink(0).Empty()) << "a shadow with one offset at 0";
    font.shadowOffsetY = 2;
    Screen::Begin();
    DrawText(font, u"HHHH", 50, 50, 0, 0, false, false);
    s.Read();
    Box shadow = s.Ink(0);
    ASSERT_FALSE(shadow.Empty());
    Box text = s.Ink(1);
    EXPECT_EQ(shadow.right, text.right + 2);
    EXPECT_EQ(shadow.bottom, text.bottom + 2);

    // Scale multiplies every coordinate.
    font.shadowOffsetX = font.shadowOffsetY = 0;
    Screen::Begin();
    DrawText(font, u"HH", 50, 50, 0, 0, false, false);
    s.Read();
    Box normal = s.Ink();
    font.scale = 2.0f;
    Screen::Begin();
    DrawText(font, u"HH", 50, 50, 0, 0, false, false);
    s.Read();
    Box big = s.Ink();
    EXPECT_NEAR(big.left, 2 * normal.left, 2);
    EXPECT_NEAR(big.top, 2 * normal.top, 2);
    EXPECT_NEAR(big.right - big.left, 2 * (normal.right - normal.left), 3);
}

TEST_F(GlyphFontTest, LargeSetsContinueOnMorePagesAndDrawAcrossThem)
{
    std::u16string set = Ascii() + kAccents;
    for (char16_t c = 0x100; c < 0x180; ++c)
        set += c;
    ASSERT_TRUE(loadFont(font, kSans.c_str(), set.c_str(), 60, 256));
    ASSERT_GE(font.pages.size(), 2u);
    ExpectGlyphsInsideTheirPagesWithoutOverlap(font);
    const Glyph* first = font.Find(u'!');
    const Glyph* last = font.Find(u'ſ' - 1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(last, nullptr);
    ASSERT_EQ(first->page, 0);
    ASSERT_GT(last->page, 0);

    // "!" on page 0, the last character on a later page, and back.
    std::u16string mixed = {u'!', static_cast<char16_t>(u'ſ' - 1), u'!'};
    Screen s;
    Screen::Begin();
    DrawText(font, mixed.c_str(), 0, 0, kW, kH, true, true);
    s.Read();
    Box ink = s.Ink();
    ASSERT_FALSE(ink.Empty());
    int x0 = (kW - TextWidth(font, mixed.c_str())) / 2;
    auto columnLit = [&](int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = 0; y < kH; ++y)
                if (s.At(x, y)[1] > 40)
                    return true;
        return false;
    };
    EXPECT_TRUE(columnLit(x0, x0 + first->width));
    EXPECT_TRUE(columnLit(x0 + first->width, x0 + first->width + last->width));
    EXPECT_TRUE(columnLit(x0 + first->width + last->width, x0 + 2 * first->width + last->width));
}

TEST_F(GlyphFontTest, PackingKeepsEveryGlyphOnItsPageWhateverTheOrder)
{
    // Short and tall glyphs in many orders and sizes: a tall glyph late in
    // the last row of a page must not reach past the page.
    std::u16string base = Ascii() + kAccents;
    for (char16_t c = 0x100; c < 0x180; ++c)
        base += c;
    std::mt19937 rng(7);
    for (int round = 0; round < 12; ++round) {
        std::u16string set = base;
        std::shuffle(set.begin(), set.end(), rng);
        int size = 20 + static_cast<int>(rng() % 50);
        ASSERT_TRUE(loadFont(font, kSerif.c_str(), set.c_str(), size, 256));
        SCOPED_TRACE(size);
        ExpectGlyphsInsideTheirPagesWithoutOverlap(font);
        EXPECT_EQ(font.glyphs.size(), set.size());
    }
}

TEST_F(GlyphFontTest, GlyphsLargerThanTheAtlasGetALargerPage)
{
    std::u16string set = u"WgÉ";
    ASSERT_TRUE(loadFont(font, kSans.c_str(), set.c_str(), 300, 256));
    ASSERT_FALSE(font.pages.empty());
    EXPECT_GT(font.pages[0].width, 256);
    ExpectGlyphsInsideTheirPagesWithoutOverlap(font);
    EXPECT_GT(font.Find(u'W')->width, 256);
    Screen s;
    Screen::Begin();
    DrawText(font, u"W", 0, 0, kW, kH, true, true);
    s.Read();
    EXPECT_GT(s.Ink().right - s.Ink().left, 200);
}

TEST_F(GlyphFontTest, AFailedGlyphLeavesAUsableFont)
{
    // SDL_ttf cannot render a zero-width character on its own.
    std::u16string set = u"abc\u200Bdef";
    bool ok = true;
    ok = loadFont(font, kSans.c_str(), set.c_str(), 24, 256);
    ASSERT_FALSE(ok);
    std::vector<std::string> log = ReadTestLines(dir.file("log.txt"));
    EXPECT_NE(std::find(log.begin(), log.end(), "error while rendering glyph"), log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), "Load font end."), log.end());
    // The glyphs made so far are on a page that exists.
    ASSERT_EQ(font.glyphs.size(), 3u);
    ASSERT_EQ(font.pages.size(), 1u);
    ExpectGlyphsInsideTheirPagesWithoutOverlap(font);
    EXPECT_EQ(font.Find(u'd'), nullptr);
    Screen s;
    Screen::Begin();
    DrawText(font, u"abcdef", 10, 10, 0, 0, false, false);
    s.Read();
    Box ink = s.Ink();
    ASSERT_FALSE(ink.Empty());
    EXPECT_LT(ink.right, 10 + TextWidth(font, u"abc"));

    // A font without any page draws nothing at all.
    Reset(font);
    Screen::Begin();
    DrawText(font, u"abc", 10, 10, 200, 50, true, true);
    DrawText8(font, "abc", 10, 10, 200, 50, false, false);
    s.Read();
    EXPECT_TRUE(s.Ink().Empty());
}

TEST_F(GlyphFontTest, AMissingFontFileIsNamed)
{
    try {
        loadFont(font, "data/fonts/none.ttf", u"abc", 24, 256);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message.rfind("Font not found : 'data/fonts/none.ttf' : ", 0), 0u) << e.message;
        EXPECT_EQ(e.function, "loadFont");
        EXPECT_EQ(e.file, "glttf2d");
    }
}

namespace {

void WriteFontIni(const ScopedTempDir& dir, const char* menuFont)
{
    ASSERT_EQ(symlink(kFontDir.c_str(), dir.file("data/fonts").c_str()), 0);
    std::string ini = std::string("[FontMenuBig]\nFont=") + menuFont +
                      "\nSize=30\nColorTop=1,1,0\nColorBottom=1,0.5,0\nShadowOffset=2,2\n"
                      "[FontGameSmall]\nFont=data/fonts/DejaVuSans.ttf\nSize=20\nColorTop=1,1,1\n"
                      "ColorBottom=0.7,0.7,0.7\nShadowOffset=1,1\n"
                      "[FontCopyright]\nFont=data/fonts/DejaVuSerif.ttf\nSize=12\n";
    ASSERT_TRUE(WriteTestFile(dir.file("data/font.ini"), ini));
    LoadFontConfig("");
}

bool iconLoaded = false;
std::string iconPath;
int iconReleased = 0;

}  // namespace

TEST_F(GlyphFontTest, InitFontBuildsTheThreeFontsForTheWindowWidth)
{
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_en.txt"), Utf16Bytes(CompleteLanguage(u"", Ascii()))));
    ASSERT_TRUE(LoadTextFile("", "en"));
    WriteFontIni(dir, "data/fonts/DejaVuSans-Bold.ttf");
    ASSERT_TRUE(InitFont(800, 600, ""));
    // 800 x 30 / 1024 = 23 pixels.
    ASSERT_TRUE(loadFont(font, kSansBold.c_str(), Ascii().c_str(), 23, 256));
    EXPECT_EQ(menuFont.lineHeight, font.lineHeight);
    EXPECT_EQ(menuFont.spaceAdvance, font.spaceAdvance);
    EXPECT_EQ(menuFont.glyphs.size(), Ascii().size());
    EXPECT_FLOAT_EQ(menuFont.colorBottom[1], 0.5f);
    EXPECT_EQ(menuFont.shadowOffsetX, 2);
    EXPECT_FLOAT_EQ(gameFont.shadowColor[2], 0.1f);
    EXPECT_FLOAT_EQ(gameFont.colorBottom[0], 0.7f);
    EXPECT_FLOAT_EQ(smallPrintFont.shadowColor[2], 0.0f);
    EXPECT_FALSE(smallPrintFont.pages.empty());

    // A change of resolution builds them again at the new size.
    ASSERT_TRUE(InitFont(1024, 768, ""));
    EXPECT_GT(menuFont.lineHeight, font.lineHeight);

    // Colours changed by a screen come back.
    gameFont.colorTop[0] = 0;
    gameFont.alpha = 0.3f;
    RestoreFontColours();
    EXPECT_FLOAT_EQ(gameFont.colorTop[0], 1.0f);
    EXPECT_FLOAT_EQ(gameFont.alpha, 1.0f);

    FreeFonts();
    EXPECT_TRUE(menuFont.pages.empty());
    EXPECT_TRUE(gameFont.glyphs.empty());
}

TEST_F(GlyphFontTest, InitFontReportsAMissingFontAndAFailedIconFont)
{
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_en.txt"), Utf16Bytes(CompleteLanguage(u"", Ascii()))));
    ASSERT_TRUE(LoadTextFile("", "en"));
    WriteFontIni(dir, "data/fonts/Missing.ttf");
    EXPECT_THROW(InitFont(800, 600, ""), Exception);

    WriteTestFile(dir.file("data/font.ini"), "[FontMenuBig]\nFont=data/fonts/DejaVuSans.ttf\n"
                                             "[FontGameSmall]\nFont=data/fonts/DejaVuSans.ttf\n"
                                             "[FontCopyright]\nFont=data/fonts/DejaVuSans.ttf\n");
    LoadFontConfig("");
    SetIconFontHooks([](const char* path) { iconPath = path; return iconLoaded; }, [] { ++iconReleased; });
    iconLoaded = false;
    try {
        InitFont(800, 600, "");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message, "Couldn't load fonte data/gfx/2d/fonteicone.png\n");
        EXPECT_EQ(e.function, "InitFont");
        EXPECT_EQ(e.file, "font");
    }
    iconLoaded = true;
    iconReleased = 0;
    EXPECT_TRUE(InitFont(800, 600, ""));
    EXPECT_EQ(iconPath, "data/gfx/2d/fonteicone.png");
    // Every rebuild and the shutdown release the icon font it replaces.
    EXPECT_TRUE(InitFont(640, 480, ""));
    EXPECT_EQ(iconReleased, 2);
    FreeFonts();
    EXPECT_EQ(iconReleased, 3);
    std::vector<std::string> log = ReadTestLines(dir.file("log.txt"));
    EXPECT_NE(std::find(log.begin(), log.end(), "Loading font data/gfx/2d/fonteicone.png ..."), log.end());
}

TEST_F(GlyphFontTest, AChangeOfLanguageRebuildsTheFontsForItsCharacters)
{
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_en.txt"), Utf16Bytes(CompleteLanguage(u"", Ascii()))));
    ASSERT_TRUE(WriteTestFile(dir.file("data/text_fr.txt"), Utf16Bytes(CompleteLanguage(u"é", Ascii() + u"éè"))));
    ASSERT_TRUE(LoadTextFile("", "en"));
    WriteFontIni(dir, "data/fonts/DejaVuSans-Bold.ttf");
    ASSERT_TRUE(InitFont(800, 600, ""));
    EXPECT_EQ(gameFont.Find(u'é'), nullptr);

    ASSERT_TRUE(ChangeLanguage("", "fr"));
    EXPECT_EQ(TextKey::Play.Str(), u"éPlay");
    ASSERT_NE(gameFont.Find(u'é'), nullptr);
    ASSERT_NE(menuFont.Find(u'è'), nullptr);
    EXPECT_EQ(menuFont.characterSet, TextKey::Correspondance.Str());
    // The font's set is its own copy, not a view of the language's text.
    EXPECT_NE(menuFont.characterSet.data(), TextKey::Correspondance.Units());

    // A failed change keeps the language and its fonts.
    size_t glyphs = menuFont.glyphs.size();
    std::string err = CaptureStderr([] { EXPECT_FALSE(ChangeLanguage("", "es")); });
    EXPECT_NE(err.find("keeping the current language"), std::string::npos);
    EXPECT_EQ(menuFont.glyphs.size(), glyphs);
    EXPECT_EQ(TextKey::Play.Str(), u"éPlay");
}

namespace {

// Draws a screenful of the shipped texts of one language the way the game
// lays them out, and saves it for a person to look at.
void DrawLanguageSample(const char* lang, GLTTF2D& big, GLTTF2D& small, GLTTF2D& print, Screen& s)
{
    glClearColor(0.12f, 0.16f, 0.30f, 1);
    glViewport(0, 0, kW, kH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kW, kH, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Main menu down the left, in the big font.
    const WideText* menu[] = {&TextKey::Game, &TextKey::Options, &TextKey::HighScores, &TextKey::About,
                              &TextKey::Quit, &TextKey::CodeMenu, &TextKey::Solution};
    int y = 20;
    for (const WideText* t : menu) {
        DrawText(big, *t, 0, y, 330, big.lineHeight, true, false);
        y += big.lineHeight + 6;
    }
    // Options with their values, in the small font.
    WideText speed = TextKey::Speed;
    speed.Append(" : ").Append(TextKey::VerySlow);
    WideText sound = TextKey::Sound;
    sound.Append(" : ").Append(TextKey::ON);
    WideText lang3 = TextKey::LangFR;
    lang3.Append(" / ").Append(TextKey::LangEN).Append(" / ").Append(TextKey::LangES);
    for (const WideText* t : {&speed, &sound, &lang3, &TextKey::MessageCode, &TextKey::HighScores2}) {
        DrawText(small, *t, 0, y, 330, 0, true, false);
        y += small.lineHeight + 2;
    }

    // The three help hints in their boxes on the right.
    const WideText* hints[3][3] = {
        {&TextKey::MessageObjet1, &TextKey::MessageObjet2, &TextKey::MessageObjet3},
        {&TextKey::MessageBlock1, &TextKey::MessageBlock2, &TextKey::MessageBlock3},
        {&TextKey::MessageBombe1, &TextKey::MessageBombe2, &TextKey::MessageBombe3},
    };
    for (int k = 0; k < 3; ++k) {
        int cy = 80 + k * 150;
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glColor4f(0, 0, 0, 0.35f);
        glRectf(360, static_cast<float>(cy - 64), 760, static_cast<float>(cy + 64));
        glColor4f(1, 1, 1, 1);
        for (int line = 0; line < 3; ++line)
            DrawText(small, *hints[k][line], 360, static_cast<int>(cy + (line - 1.5) * 1.5 * small.lineHeight), 400,
                     0, true, false);
    }
    // End of the game, and the small print.
    DrawText(big, TextKey::MessageGameWin1, 0, kH - 130, kW, 0, true, false);
    DrawText(small, TextKey::MessageGameWin2, 0, kH - 80, kW, 0, true, false);
    DrawText(print, TextKey::Copyright, 0, kH - 22, kW, 0, true, false);
    s.Read();
    EXPECT_TRUE(s.Save(std::string("text_") + lang + ".png"));
}

}  // namespace

TEST_F(GlyphFontTest, ShippedTextsDrawWithTheirAccents)
{
    const std::string prefix = RunDir() + "/";
    GLTTF2D big, small, print;
    const float gold[2][3] = {{1, 1, 0.6f}, {1, 0.55f, 0.1f}};
    for (const char* lang : {"fr", "es", "en"}) {
        SCOPED_TRACE(lang);
        ASSERT_TRUE(LoadTextFile(prefix.c_str(), lang));
        const char16_t* set = TextKey::Correspondance.Units();
        ASSERT_TRUE(loadFont(big, kSansBold.c_str(), set, 34, 256));
        ASSERT_TRUE(loadFont(small, kSans.c_str(), set, 20, 256));
        ASSERT_TRUE(loadFont(print, kSerif.c_str(), set, 12, 256));
        std::copy_n(gold[0], 3, big.colorTop);
        std::copy_n(gold[1], 3, big.colorBottom);
        big.shadowOffsetX = big.shadowOffsetY = 2;
        small.colorBottom[0] = small.colorBottom[1] = small.colorBottom[2] = 0.75f;
        small.shadowOffsetX = small.shadowOffsetY = 1;
        small.shadowColor[2] = 0.1f;

        // Every character of every text has its own glyph.
        for (int i = 1; i < kTextKeyCount; ++i) {
            for (char16_t c : kTextKeys[i].text->Str()) {
                if (c != u' ') {
                    EXPECT_NE(small.Find(c), nullptr) << kTextKeys[i].name;
                }
            }
        }

        // A hint line fits the 400-pixel help box with the game font at the
        // size a 1024-pixel window gives it (24 pixels from our font.ini).
        GLTTF2D game1024;
        ASSERT_TRUE(loadFont(game1024, kSans.c_str(), set, 24, 256));
        for (const WideText* t : {&TextKey::MessageObjet1, &TextKey::MessageObjet2, &TextKey::MessageObjet3,
                                  &TextKey::MessageBlock1, &TextKey::MessageBlock2, &TextKey::MessageBlock3,
                                  &TextKey::MessageBombe1, &TextKey::MessageBombe2, &TextKey::MessageBombe3})
            EXPECT_LE(TextWidth(game1024, *t), 390) << t->ToUtf8();
        Reset(game1024);

        Screen s;
        DrawLanguageSample(lang, big, small, print, s);
        // Something was drawn: light text over the dark background.
        int lit = 0;
        for (size_t i = 0; i < s.rgb.size(); i += 3)
            lit += s.rgb[i] > 200 && s.rgb[i + 1] > 200;
        EXPECT_GT(lit, 2000);
    }
    Reset(big);
    Reset(small);
    Reset(print);
}
