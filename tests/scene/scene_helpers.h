#pragma once
// Helpers for the 3D scene's suites: a GL window per test, the built game's
// data, small levels drawn as text and started through the puzzle core, and
// pictures saved for a person to look at.
#include "app/base/exception.h"
#include "app/base/files.h"
#include "app/base/settingsrecord.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "engine/pngwrite.h"
#include "puzzle/tableau.h"
#include "scene/pelmo3d.h"
#include "testdir.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The built game's data prefix ("<run dir>/").
inline std::string GameDataPrefix()
{
    return RunDir() + "/";
}

inline bool GameDataPresent()
{
    return TestFileExists(RunDir() + "/data/gfx/theme1/theme.ini");
}

// Copies the built data's directory `sub` (e.g. "data/gfx") under `dest`.
inline void CopyGameData(const std::string& sub, const std::string& dest)
{
    namespace fs = std::filesystem;
    fs::create_directories(dest + "/" + sub);
    fs::copy(RunDir() + "/" + sub, dest + "/" + sub, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

struct Rgb {
    int r, g, b;
};

// The frame buffer as packed RGB rows, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    static Picture Read(int w, int h)
    {
        Picture p;
        p.width = w;
        p.height = h;
        if (uint8_t* data = ReadPixelsRGB(0, 0, w, h)) {
            p.rgb.assign(data, data + size_t(w) * h * 3);
            std::free(data);
        }
        return p;
    }

    Rgb At(int x, int y) const
    {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return Rgb{p[0], p[1], p[2]};
    }

    void Save(const std::string& name) const
    {
        std::string error;
        const std::string path = TestOutputDir() + "/" + name;
        EXPECT_TRUE(WritePng(path.c_str(), width, height, 3, rgb.data(), error)) << error;
    }

    // Pixels that differ by more than `tolerance` on some channel.
    int CountDifferent(const Picture& o, int tolerance = 8) const
    {
        int n = 0;
        for (size_t i = 0; i + 2 < rgb.size() && i + 2 < o.rgb.size(); i += 3)
            if (std::abs(rgb[i] - o.rgb[i]) > tolerance || std::abs(rgb[i + 1] - o.rgb[i + 1]) > tolerance ||
                std::abs(rgb[i + 2] - o.rgb[i + 2]) > tolerance)
                ++n;
        return n;
    }

    double MeanBrightness(int x0, int y0, int x1, int y1) const
    {
        double sum = 0;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const Rgb c = At(x, y);
                sum += (c.r + c.g + c.b) / 3.0;
                ++n;
            }
        return n ? sum / n : 0;
    }
};

// Level text: '#' wall (joined to every wall beside it), ' ' floor, '.'
// target, '$' block, '*' block on a target, '@' car start, '!' bomb, '6' to
// '9' special blocks 36 to 39. Missing rows and columns are floor.
inline LevelFileData SceneLevel(const std::vector<std::string>& rows)
{
    LevelFileData d;
    int blocks = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const char ch = y < int(rows.size()) && x < int(rows[size_t(y)].size()) ? rows[size_t(y)][size_t(x)] : ' ';
            uint8_t c = 0;
            switch (ch) {
            case '#': c = 23; break;
            case '.': c = 1; break;
            case '$': c = 14; ++blocks; break;
            case '*': c = 100; ++blocks; break;
            case '@': c = 2; break;
            case '!': c = 5; break;
            case '6': case '7': case '8': case '9': c = uint8_t(36 + ch - '6'); break;
            default: c = 0;
            }
            d.cells[y * kPlayWidth + x] = c;
            d.floorMask[y * kPlayWidth + x] = 1;
        }
    for (int b = 0; b < blocks; ++b)
        d.pairing.push_back(uint8_t(b));
    return d;
}

// Never mirrors unless told to; rebuilds the scenery as the game does.
struct SceneHooks : PuzzleHooks {
    Puzzle* puzzle = nullptr;
    int random = 0;
    int sceneryChanges = 0;
    void SceneryChanged() override
    {
        ++sceneryChanges;
        if (puzzle)
            BuildSceneryLists(*puzzle);
    }
    int Random() override { return random; }
};

// A GL window of its own, the scene set up from the built data, and a puzzle.
class SceneTest : public ::testing::Test {
protected:
    int width = 640, height = 480;

    void SetUp() override
    {
        ASSERT_TRUE(GameDataPresent()) << "the build's data is missing under " << RunDir();
        context.fov = 45;
        context.nearDist = 0.01f;
        context.farDist = 1000;
        ASSERT_TRUE(context.Create(uint32_t(width), uint32_t(height), 0));
        Set2DScreenSize(uint32_t(width), uint32_t(height));
        const float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
        glEnable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
        settings.MipMapping = 1;
        p.hooks = &hooks;
        hooks.puzzle = &p;
    }

    void TearDown() override
    {
        FreeTheme();
        FreeMenuObjects();
        FreeScene();
        context.Close();
    }

    void LoadGameTheme()
    {
        InitPelmo3D(GameDataPrefix().c_str(), settings);
        ASSERT_TRUE(InitListTheme(GameDataPrefix().c_str()));
        ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
        CopyThemeToPuzzle(p);
    }

    // Writes the level as level 1 of the temporary directory, loads and
    // starts it, and builds the scenery.
    void StartLevel(const LevelFileData& d, int difficulty = kNormal)
    {
        MakeDirectory((dir.path() + "/data").c_str());
        MakeDirectory((dir.path() + "/data/level").c_str());
        ASSERT_TRUE(WriteTestFile(dir.path() + "/" + LevelFilePath("", 0), EncodeLevelFile(d)));
        StartLevelFrom((dir.path() + "/").c_str(), 0, difficulty);
    }

    void StartLevelFrom(const char* prefix, int index, int difficulty)
    {
        LoadLevel(p, index, prefix);
        p.difficulty = difficulty;
        StartLevelBoard(p, 0);
        ExamineBlocks(p);
        CopyThemeToPuzzle(p);
        BuildSceneryLists(p);
    }

    // Frames of the play screen's logic with the given input until the car
    // is idle again.
    void Press(Direction d)
    {
        PuzzleInput in;
        in.left = d == kDirLeft;
        in.right = d == kDirRight;
        in.up = d == kDirUp;
        in.down = d == kDirDown;
        UpdatePuzzleFrame(p, in, 1.0f);
        for (int i = 0; i < 10000 && (p.moveProgress != 0 || p.examineDue); ++i)
            UpdatePuzzleFrame(p, PuzzleInput(), 1.0f);
    }

    void Play(const std::string& moves)
    {
        for (char c : moves)
            Press(c == 'l' ? kDirLeft : c == 'r' ? kDirRight : c == 'u' ? kDirUp : kDirDown);
    }

    // One frame of the play screen: clear, camera, board.
    Picture DrawFrame(float yaw = 0, float pitch = -60, float distance = 1.2f)
    {
        const float* bg = CurrentTheme().settings.background;
        glClearColor(bg[0], bg[1], bg[2], 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ApplyCamera(yaw, pitch, distance);
        DrawBoard(context, p, view);
        return Picture::Read(width, height);
    }

    ScopedTempDir dir;
    GLContext context;
    Settings settings;
    SceneHooks hooks;
    std::unique_ptr<Puzzle> owner{new Puzzle()};
    Puzzle& p = *owner;
    BoardView view;
};
