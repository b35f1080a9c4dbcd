#pragma once
// The scene suites' fixture: a GL window of its own (tests/support), the
// scene set up from the built game's data, and a puzzle played through the
// real frame update by the puzzle driver, its scenery rebuilt as the game's
// hooks do.
#include "app/base/exception.h"
#include "thrown.h"
#include "app/base/settingsrecord.h"
#include "glwindow.h"
#include "puzzledriver.h"
#include "scene/pelmo3d.h"

#include <GL/glu.h>

#include <algorithm>
#include <filesystem>
#include <functional>

// The built game's data prefix ("<run dir>/").
inline std::string GameDataPrefix()
{
    return RunDir() + "/";
}

// Copies the built data's directory `sub` (e.g. "data/gfx") under `dest`.
inline void CopyGameData(const std::string& sub, const std::string& dest)
{
    namespace fs = std::filesystem;
    fs::create_directories(dest + "/" + sub);
    fs::copy(RunDir() + "/" + sub, dest + "/" + sub,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// Takes the object of that name out of a model file.
inline void RemoveObject(const std::string& file, const std::string& name)
{
    Model3doFile model;
    std::string error;
    ASSERT_TRUE(Read3do(file.c_str(), model, error)) << error;
    const size_t before = model.objects.size();
    model.objects.erase(std::remove_if(model.objects.begin(), model.objects.end(),
                                       [&](const Model3doObject& o) { return o.name == name; }),
                        model.objects.end());
    ASSERT_EQ(model.objects.size(), before - 1) << name;
    ASSERT_TRUE(Write3do(file.c_str(), model, error)) << error;
}

// fn must throw the Exception of this message, function and module.
inline void ExpectException(const std::function<void()>& fn, const std::string& message, const std::string& function,
                            const std::string& module = "pelmo3d")
{
    EXPECT_EQ(Thrown(fn), message + "|" + function + "|" + module);
}

struct SceneHooks : RecordingHooks {
    Puzzle* puzzle = nullptr;
    void SceneryChanged() override
    {
        RecordingHooks::SceneryChanged();
        BuildSceneryLists(*puzzle);
    }
};

class SceneTest : public GLWindowTest {
protected:
    SceneTest()
    {
        width = 640;
        height = 480;
        p.hooks = &hooks;
        hooks.puzzle = &p;
    }

    void SetUp() override
    {
        ASSERT_TRUE(TestFileExists(RunDir() + "/data/gfx/theme1/theme.ini")) << "no built data under " << RunDir();
        GLWindowTest::SetUp();
        const float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
        glEnable(GL_LIGHTING);
        settings.MipMapping = 1;
    }

    void TearDown() override
    {
        FreeTheme();
        FreeMenuObjects();
        FreeScene();
        GLWindowTest::TearDown();
    }

    void LoadGameTheme()
    {
        InitPelmo3D(GameDataPrefix().c_str(), settings);
        InitListTheme(GameDataPrefix().c_str());
        ASSERT_TRUE(LoadTheme(0, GameDataPrefix().c_str(), settings));
        CopyThemeToPuzzle(p);
    }

    // A window of another size, the theme loaded into it again.
    void OpenAt(int w, int h)
    {
        FreeTheme();
        FreeScene();
        Reopen(w, h);
        glEnable(GL_LIGHTING);
        LoadGameTheme();
    }

    // The level in the puzzle driver's notation, started and its scenery built.
    void StartLevel(const std::vector<std::string>& rows, int difficulty = kNormal)
    {
        driver.StartData(LevelFromText(rows), difficulty);
        CopyThemeToPuzzle(p);
        BuildSceneryLists(p);
    }

    // Steps as the play screen hands them over: l, r, u, d.
    void Play(const std::string& moves)
    {
        for (char c : moves)
            driver.Press(c == 'l' ? kDirLeft : c == 'r' ? kDirRight : c == 'u' ? kDirUp : kDirDown);
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
        return ReadPicture();
    }

    // The window position of board point (x, z) at height y, in cells, under
    // the camera of DrawFrame.
    void CellOnScreen(float x, float z, float y, float yaw, float pitch, float distance, int& sx, int& sy)
    {
        GLdouble mv[16], pr[16], wx, wy, wz;
        GLint vp[4];
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        ApplyCamera(yaw, pitch, distance);
        glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
        glGetDoublev(GL_MODELVIEW_MATRIX, mv);
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, pr);
        glGetIntegerv(GL_VIEWPORT, vp);
        gluProject(x * kCellSize, y * kCellSize, z * kCellSize, mv, pr, vp, &wx, &wy, &wz);
        sx = int(wx);
        sy = height - 1 - int(wy);
    }

    Settings settings;
    PuzzleDriver driver;
    Puzzle& p = driver.p;
    SceneHooks hooks;
    BoardView view;
};
