#include "screens_fixture.h"

#include "app/base/files.h"
#include "engine/pngwrite.h"
#include "state/input.h"
#include "persist/savegame.h"
#include "puzzle/tableau.h"
#include "text/font.h"
#include "text/glttf2d.h"
#include "text/texte.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char* const kLanguages[3] = {"fr", "en", "es"};

// ---- input -----------------------------------------------------------------------

InputDriver::InputDriver(GameState& g) : g_(g), keys_(SDLK_LAST, 0) {}

SDL_Event InputDriver::KeyEvent(Uint8 type, SDLKey key, Uint16 unicode)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.unicode = type == SDL_KEYDOWN ? unicode : 0;
    return e;
}

SDL_Event InputDriver::ButtonEvent(Uint8 type, Uint8 button, int x, int y)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = type;
    e.button.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

void InputDriver::Frame(const std::vector<SDL_Event>& events)
{
    RawInput raw;
    raw.keys = keys_.data();
    raw.keyCount = static_cast<int>(keys_.size());
    raw.mouseX = x_;
    raw.mouseY = y_;
    raw.mouseRelX = relX_;
    raw.mouseRelY = relY_;
    raw.events = events;
    ProcessInput(g_.input, raw);
    relX_ = relY_ = 0;
    g_.frameStep = 1.0f;
}

void InputDriver::Press(SDLKey key, Uint16 unicode)
{
    Frame({KeyEvent(SDL_KEYDOWN, key, unicode), KeyEvent(SDL_KEYUP, key)});
}

void InputDriver::Hold(SDLKey key, Uint16 unicode)
{
    keys_[key] = 1;
    Frame({KeyEvent(SDL_KEYDOWN, key, unicode)});
}

void InputDriver::Release(SDLKey key)
{
    keys_[key] = 0;
    Frame({KeyEvent(SDL_KEYUP, key)});
}

void InputDriver::Type(const std::u16string& text)
{
    for (char16_t c : text) {
        SDLKey key = SDLK_UNKNOWN;
        if (c >= u'a' && c <= u'z')
            key = static_cast<SDLKey>(SDLK_a + (c - u'a'));
        else if (c >= u'A' && c <= u'Z')
            key = static_cast<SDLKey>(SDLK_a + (c - u'A'));
        else if (c >= u'0' && c <= u'9')
            key = static_cast<SDLKey>(SDLK_0 + (c - u'0'));
        else if (c == u' ')
            key = SDLK_SPACE;
        else if (c == u'-')
            key = SDLK_MINUS;
        else
            key = SDLK_WORLD_0;  // a key of the keyboard's own layout
        Press(key, c);
    }
}

void InputDriver::MoveTo(int x, int y)
{
    relX_ = x - x_;
    relY_ = y - y_;
    x_ = x;
    y_ = y;
    Frame();
}

void InputDriver::Click(int x, int y, Uint8 button)
{
    relX_ = x - x_;
    relY_ = y - y_;
    x_ = x;
    y_ = y;
    Frame({ButtonEvent(SDL_MOUSEBUTTONDOWN, button, x, y), ButtonEvent(SDL_MOUSEBUTTONUP, button, x, y)});
}

void InputDriver::Wheel(bool up)
{
    const Uint8 b = up ? SDL_BUTTON_WHEELUP : SDL_BUTTON_WHEELDOWN;
    Frame({ButtonEvent(SDL_MOUSEBUTTONDOWN, b, x_, y_), ButtonEvent(SDL_MOUSEBUTTONUP, b, x_, y_)});
}

// ---- pictures ----------------------------------------------------------------------

Shot Shot::Take(int w, int h)
{
    Shot s;
    s.width = w;
    s.height = h;
    glFinish();
    if (uint8_t* data = ReadPixelsRGB(0, 0, w, h)) {
        s.rgb.assign(data, data + static_cast<size_t>(w) * h * 3);
        std::free(data);
    }
    return s;
}

Rgb8 Shot::At(int x, int y) const
{
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return Rgb8{p[0], p[1], p[2]};
}

void Shot::Save(const std::string& name) const
{
    std::string error;
    const std::string path = TestOutputDir() + "/" + name;
    EXPECT_TRUE(WritePng(path.c_str(), width, height, 3, rgb.data(), error)) << error;
}

bool IsBarColour(const Rgb8& c)
{
    return std::abs(c.r - kBarColour.r) < 30 && std::abs(c.g - kBarColour.g) < 30 && std::abs(c.b - kBarColour.b) < 30;
}

namespace {

struct Canvas {
    int w, h;
    std::vector<uint8_t> rgba;
    Canvas(int width, int height) : w(width), h(height), rgba(static_cast<size_t>(width) * height * 4, 0) {}
    void Set(int x, int y, Rgb8 c, int a)
    {
        uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
        p[0] = static_cast<uint8_t>(c.r);
        p[1] = static_cast<uint8_t>(c.g);
        p[2] = static_cast<uint8_t>(c.b);
        p[3] = static_cast<uint8_t>(a);
    }
    void Write(const std::string& path) const
    {
        std::string error;
        ASSERT_TRUE(WritePng(path.c_str(), w, h, 4, rgba.data(), error)) << error;
    }
};

// The bar's caps are half discs; the middle is a band. Opaque, one colour.
void WriteBarPictures()
{
    const int h = 64, r = 32;
    Canvas left(r, h), middle(16, h), right(r, h), whole(128, h);
    for (int y = 0; y < h; ++y) {
        const double dy = y + 0.5 - h / 2.0;
        for (int x = 0; x < r; ++x) {
            const double dxl = r - (x + 0.5), dxr = x + 0.5;
            if (dxl * dxl + dy * dy <= (r - 1) * (r - 1))
                left.Set(x, y, kBarColour, 255);
            if (dxr * dxr + dy * dy <= (r - 1) * (r - 1))
                right.Set(x, y, kBarColour, 255);
        }
        for (int x = 0; x < 16; ++x)
            if (std::fabs(dy) <= r - 1)
                middle.Set(x, y, kBarColour, 255);
        for (int x = 0; x < 128; ++x)
            whole.Set(x, y, kBarColour, 255);
    }
    left.Write("data/gfx/2d/selection_left.png");
    middle.Write("data/gfx/2d/selection_middle.png");
    right.Write("data/gfx/2d/selection_right.png");
    whole.Write("data/gfx/2d/selection.png");
}

// An arrow: white with a dark rim, pointing at the top-left corner.
void WritePointerPicture()
{
    Canvas c(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inside = x <= y && x + y / 2 < 26;
            const bool rim = inside && (x == 0 || x == y || x + y / 2 >= 24);
            if (inside)
                c.Set(x, y, rim ? Rgb8{20, 20, 20} : Rgb8{255, 255, 255}, 255);
        }
    c.Write("data/gfx/2d/pointeur.png");
}

// Four 48 × 48 cells: the bomb (space), '!', the level ('"'), the moves ('#').
void WriteIconFont()
{
    Canvas c(192, 48);
    const Rgb8 colours[4] = {kBombIconColour, {255, 140, 0}, {60, 120, 255}, {0, 200, 220}};
    for (int k = 0; k < 4; ++k)
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                const double dx = x + 0.5 - 24, dy = y + 0.5 - 24;
                if (dx * dx + dy * dy <= 21 * 21)
                    c.Set(k * 48 + x, y, colours[k], 255);
            }
    c.Write("data/gfx/2d/fonteicone.png");
}

void WriteFontIni()
{
    const std::string dejavu = "/usr/share/fonts/truetype/dejavu/";
    struct Section {
        const char* name;
        const char* file;
        int size;
        const char* top;
        const char* bottom;
    };
    const Section sections[] = {
        {"FontGameBig", "DejaVuSans-Bold.ttf", 44, "1,1,1", "0.7,0.85,1"},
        {"FontGameSmall", "DejaVuSansCondensed-Bold.ttf", 28, "1,1,1", "0.74,0.87,1"},
        {"FontGameSmallNumber", "DejaVuSansCondensed-Bold.ttf", 28, "1,1,1", "0.74,0.87,1"},
        {"FontGameSmallWordFound", "DejaVuSansCondensed-Bold.ttf", 28, "1,1,0.6", "1,0.62,0.2"},
        {"FontCreditBig", "DejaVuSans-Bold.ttf", 36, "1,0.96,0.82", "1,0.66,0.22"},
        {"FontCreditSmall", "DejaVuSans.ttf", 22, "1,1,1", "0.8,0.86,1"},
        {"FontCopyright", "DejaVuSans.ttf", 16, "0.86,0.89,0.96", "0.66,0.72,0.82"},
        {"FontMenuBig", "DejaVuSans-Bold.ttf", 34, "1,0.96,0.82", "1,0.68,0.24"},
        {"FontMenuSmall", "DejaVuSans-Bold.ttf", 24, "1,0.96,0.82", "1,0.68,0.24"},
    };
    std::string ini;
    for (const Section& s : sections)
        ini += std::string("[") + s.name + "]\nFont=" + dejavu + s.file + "\nSize=" + std::to_string(s.size) +
               "\nColorTop=" + s.top + "\nColorBottom=" + s.bottom + "\nShadowOffset=2,2\n\n";
    ASSERT_TRUE(WriteTestFile("data/font.ini", ini));
}

bool KitPresent()
{
    const std::string d = RunDir() + "/data/";
    for (const char* f : {"font.ini", "gfx/2d/selection.png", "gfx/2d/selection_left.png", "gfx/2d/selection_middle.png",
                          "gfx/2d/selection_right.png", "gfx/2d/pointeur.png", "gfx/2d/fonteicone.png"})
        if (!FileExists((d + f).c_str()))
            return false;
    return true;
}

void CopyFile(const std::string& from, const std::string& to)
{
    std::string bytes;
    if (ReadWholeFile(from.c_str(), bytes))
        WriteTestFile(to, bytes);
}

}  // namespace

// ---- the fixture -------------------------------------------------------------------

void ScreenTest::Open(const ScreenSetup& s)
{
    if (open)
        Close();
    setup = s;
    context.fov = 45;
    context.nearDist = 0.01f;
    context.farDist = 1000;
    ASSERT_TRUE(context.Create(s.width, s.height, 0)) << "no GL window";
    Set2DScreenSize(s.width, s.height);
    open = true;
    static bool ttf = GLTTF2D::Init();
    ASSERT_TRUE(ttf);

    const std::string run = RunDir() + "/";
    ASSERT_TRUE(LoadTextFile(run.c_str(), s.lang));

    MakeDirectory("data");
    MakeDirectory("data/gfx");
    MakeDirectory("data/gfx/2d");
    MakeDirectory("data/level");
    MakeDirectory("save");
    MakeDirectory("level");
    usingKit = s.kitArt && KitPresent();
    std::string art;  // the prefix of the pictures and fonts
    if (usingKit) {
        art = run;
    } else {
        WriteBarPictures();
        WritePointerPicture();
        WriteIconFont();
        WriteFontIni();
    }
    LoadFontConfig(usingKit ? run.c_str() : "");
    SetIconFontHooks(LoadHudIconFont, FreeHudIconFont);
    ASSERT_TRUE(InitFont(s.width, s.height, art.c_str()));
    InitMenu(art.c_str());
    pointer.mipmap = 0;
    pointer.wrapS = pointer.wrapT = 0x812F;  // clamp to edge
    ASSERT_TRUE(pointer.Load((art + "data/gfx/2d/pointeur.png").c_str()));
    ASSERT_TRUE(pointer.Upload());
    SetPointerTexture(&pointer);

    game = std::make_unique<GameState>();
    GameState& g = *game;
    g.settings.Width = s.width;
    g.settings.Height = s.height;
    std::snprintf(g.settings.Lang, sizeof g.settings.Lang, "%s", s.lang);
    std::snprintf(g.settings.GamePath, sizeof g.settings.GamePath, "%s/", dir.path().c_str());
    std::snprintf(g.dataPrefix, sizeof g.dataPrefix, "%s/", dir.path().c_str());
    for (const char* lang : kLanguages)
        CopyFile(run + "data/credit_" + lang + ".txt", std::string("data/credit_") + lang + ".txt");
    InitScores(g.scores, g.settings.GamePath);
    // Ten levels with codes LEVAA, LEVAB, …
    g.codes.codeCount = kLevelCount;
    g.codes.codes.clear();
    for (int i = 0; i < kLevelCount; ++i)
        for (char c : {'L', 'E', 'V', 'A', static_cast<char>('A' + i)})
            g.codes.codes.push_back(c);
    g.fadeIn = 0;
    input = std::make_unique<InputDriver>(g);
    input->MoveTo(2, 2);
}

void ScreenTest::Close()
{
    if (!open)
        return;
    if (game) {
        FreeMenu(game->mainMenu);
        FreeMenu(game->gameMenu);
        FreeMenu(game->optionsMenu);
        FreeMenu(game->inGameMenu);
    }
    SetPointerTexture(nullptr);
    pointer.Reset();
    FreeMenuTextures();
    FreeFonts();
    context.Close();
    open = false;
}

void ScreenTest::TearDown()
{
    Close();
}

void ScreenTest::BuildTestMenus()
{
    GameState& g = *game;
    CreateMenu(g.mainMenu, 5, nullptr);
    SetMenuItem(g.mainMenu, 0, 0, MenuKindLink, TextKey::Game.Units(), &g.gameMenu);
    SetMenuItem(g.mainMenu, 1, 1, MenuKindLink, TextKey::Options.Units(), &g.optionsMenu);
    SetMenuItem(g.mainMenu, 2, 2, MenuKindAction, TextKey::HighScores.Units(), nullptr);
    SetMenuItem(g.mainMenu, 3, 4, MenuKindAction, TextKey::About.Units(), nullptr);
    SetMenuItem(g.mainMenu, 4, 6, MenuKindAction, TextKey::Quit.Units(), nullptr);

    CreateMenu(g.gameMenu, 5, &g.mainMenu);
    SetMenuItem(g.gameMenu, 0, 10, MenuKindAction, TextKey::Play.Units(), nullptr);
    SetMenuItem(g.gameMenu, 1, 12, MenuKindAction, TextKey::CodeMenu.Units(), nullptr);
    SetMenuItem(g.gameMenu, 2, 13, MenuKindAction, TextKey::Solution.Units(), nullptr);
    SetMenuItem(g.gameMenu, 3, 14, MenuKindAction, TextKey::Load.Units(), nullptr);
    SetMenuItem(g.gameMenu, 4, 15, MenuKindLink, TextKey::Back.Units(), &g.mainMenu);

    Menu& o = g.optionsMenu;
    CreateMenu(o, 8, &g.mainMenu);
    struct Opt {
        int id;
        const WideText* label;
        std::vector<std::pair<int, const WideText*>> values;
    };
    const Opt opts[7] = {
        {20, &TextKey::Lang, {{70, &TextKey::LangFR}, {71, &TextKey::LangEN}, {72, &TextKey::LangES}}},
        {22, &TextKey::Resolution, {}},
        {23, &TextKey::Reflect, {{100, &TextKey::ON}, {101, &TextKey::OFF}}},
        {24, &TextKey::Help, {{50, &TextKey::ON}, {51, &TextKey::OFF}}},
        {25,
         &TextKey::Speed,
         {{80, &TextKey::VerySlow}, {81, &TextKey::Slow}, {82, &TextKey::Medium}, {83, &TextKey::Fast},
          {84, &TextKey::VeryFast}}},
        {26, &TextKey::Sound, {{92, &TextKey::ON}, {93, &TextKey::OFF}}},
        {27, &TextKey::Music, {{90, &TextKey::ON}, {91, &TextKey::OFF}}},
    };
    for (int i = 0; i < 7; ++i) {
        SetMenuItem(o, i, opts[i].id, MenuKindOption, opts[i].label->Units(), nullptr);
        MenuItem& item = o.items[i];
        if (opts[i].id == 22) {
            const char* modes[4] = {"640x480", "1024x768", "1280x1024", "1600x1200"};
            InitOption(item, 4);
            for (int k = 0; k < 4; ++k)
                SetOptionValue8(item, k, 1240 + k, modes[k]);
        } else {
            InitOption(item, static_cast<int>(opts[i].values.size()));
            for (size_t k = 0; k < opts[i].values.size(); ++k)
                SetOptionValue(item, static_cast<int>(k), opts[i].values[k].first, opts[i].values[k].second->Units());
        }
    }
    SelectOptionValue(o.items[0], std::string(setup.lang) == "fr" ? 70 : std::string(setup.lang) == "es" ? 72 : 71);
    SelectOptionValue(o.items[4], 84);  // the longest speed words
    SetMenuItem(o, 7, 29, MenuKindLink, TextKey::Back.Units(), &g.mainMenu);

    CreateMenu(g.inGameMenu, 5, nullptr);
    SetMenuItem(g.inGameMenu, 0, 60, MenuKindAction, TextKey::Continue.Units(), nullptr);
    SetMenuItem(g.inGameMenu, 1, 62, MenuKindAction, TextKey::Restart.Units(), nullptr);
    SetMenuItem(g.inGameMenu, 2, 64, MenuKindAction, TextKey::Load.Units(), nullptr);
    SetMenuItem(g.inGameMenu, 3, 65, MenuKindAction, TextKey::Save.Units(), nullptr);
    SetMenuItem(g.inGameMenu, 4, 67, MenuKindLink, TextKey::Quit.Units(), &g.mainMenu);

    LayoutMenus(g, setup.width, setup.height);
    SetCurrentMenu(g.menus, g.mainMenu);
}

void ScreenTest::DrawBackground(bool board) const
{
    const float W = static_cast<float>(setup.width), H = static_cast<float>(setup.height);
    glClearColor(0.05f, 0.07f, 0.15f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Begin2D();
    glDisable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    if (board) {
        // Something like the board seen from above: a floor of light and
        // dark tiles, walls and a few blocks.
        const float cell = W / 24;
        for (int y = 0; y * cell < H; ++y)
            for (int x = 0; x < 24; ++x) {
                const bool light = (x + y) % 2 == 0;
                const bool wall = x == 2 || x == 21 || y == 2 || y * cell >= H - 2 * cell;
                if (wall)
                    glColor4f(0.45f, 0.42f, 0.4f, 1);
                else if ((x * 7 + y * 3) % 11 == 0)
                    glColor4f(0.9f, 0.55f, 0.15f, 1);  // a block
                else
                    glColor4f(light ? 0.55f : 0.4f, light ? 0.6f : 0.45f, light ? 0.7f : 0.55f, 1);
                glBegin(GL_QUADS);
                glVertex2f(x * cell, y * cell);
                glVertex2f((x + 1) * cell, y * cell);
                glVertex2f((x + 1) * cell, (y + 1) * cell);
                glVertex2f(x * cell, (y + 1) * cell);
                glEnd();
            }
    } else {
        glBegin(GL_QUADS);
        glColor4f(0.02f, 0.03f, 0.1f, 1);
        glVertex2f(0, 0);
        glVertex2f(W, 0);
        glColor4f(0.15f, 0.2f, 0.35f, 1);
        glVertex2f(W, H);
        glVertex2f(0, H);
        glEnd();
    }
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    End2D();
}

void ScreenTest::WriteLevel(int index, int blocks) const
{
    LevelFileData d;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            uint8_t c = 0;
            if (x == 0 || y == 0 || x == kPlayWidth - 1 || y == kPlayHeight - 1)
                c = 23;
            d.cells[y * kPlayWidth + x] = c;
            d.floorMask[y * kPlayWidth + x] = 1;
        }
    d.cells[2 * kPlayWidth + 2] = 2;  // the car
    for (int b = 0; b < blocks; ++b) {
        d.cells[5 * kPlayWidth + 4 + 2 * b] = 14;
        d.cells[8 * kPlayWidth + 4 + 2 * b] = 1;
        d.pairing.push_back(static_cast<uint8_t>(b));
    }
    ASSERT_TRUE(WriteTestFile(LevelFilePath(game->dataPrefix, index), EncodeLevelFile(d)));
}

void ScreenTest::WriteSlot(int slot, int index, int difficulty) const
{
    auto p = std::make_unique<Puzzle>();
    ASSERT_EQ(LoadLevel(*p, index, game->dataPrefix), 1);
    p->difficulty = difficulty;
    StartLevelBoard(*p, 0);
    SavedPosition s;
    TakeSavedPosition(*p, s);
    SlotData d;
    d.level = index;
    d.difficulty = s.difficulty;
    d.moves = s.moves;
    d.bombCarried = s.bombCarried;
    d.carX = s.carX;
    d.carY = s.carY;
    d.heading = s.heading;
    std::memcpy(d.cells, s.cells, sizeof d.cells);
    std::memcpy(d.targetMap, s.targetIndexMap, sizeof d.targetMap);
    std::memcpy(d.blockMap, s.blockIndexMap, sizeof d.blockMap);
    d.blockCount = s.colourCount;
    std::memcpy(d.targetColours, s.targetColour, static_cast<size_t>(s.colourCount));
    std::memcpy(d.blockColours, s.blockColour, static_cast<size_t>(s.colourCount));
    ASSERT_TRUE(SaveGame(slot, game->settings.GamePath, d));
}
