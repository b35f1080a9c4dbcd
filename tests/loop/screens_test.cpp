// The menus, the level start and mouse play through the real loop from the
// keyboard, the joystick and the mouse: the cell under the pointer in each
// camera mode and on a mirrored board, and the redo key. Each step of the
// menus is saved to the gallery (build/test-output/gallery_harness_*.png) for
// a person to look at.
#include "harness.h"
#include "picture.h"

#include "app/base/exception.h"
#include "engine/glcontext.h"
#include "scene/pelmo3d.h"
#include "text/font.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

class ScreensHarness : public GameHarness {
protected:
    // Large enough for the won level's "Ok" zone to reach into the level
    // start's difficulty band.
    ScreensHarness() { gameIni = "[Game]\nWidth=1024\nHeight=768\nSpeed=12\nHelp=0\nReflect=1\n"; }
    // The screen as it is now: one more frame without input, as the back
    // buffer holds a finished frame only after the swap that follows it.
    Picture Shot(const char* name)
    {
        Frames(1, 16);
        Picture p = Picture::Read(g.settings.Width, g.settings.Height);
        p.SaveToGallery(std::string("gallery_harness_") + name + ".png");
        return p;
    }
    // How bright item i's line of the current menu is round its text's
    // middle: the selection bar lights it.
    double ItemLight(const Picture& p, int i) const
    {
        const Menu& m = *g.menus.currentMenu;
        const int top = static_cast<int>(m.y + i * g.menus.lineStep), F = menuFont.lineHeight;
        return p.MeanBrightness(m.x - 3 * F / 2, top, m.x + 3 * F / 2, top + F);
    }
    void Joystick(Sint16 x, Sint16 y)
    {
        g.input.joystickOn = injected.joystick = true;
        injected.axis0 = x, injected.axis1 = y;
        Frames(1, 16);
        injected.axis0 = injected.axis1 = 0;
        Frames(1, 16);
    }
    // A point in the difficulty band over third k (1 easy … 3 hard).
    int ThirdX(int k) const { return (2 * k - 1) * g.settings.Width / 6; }
    int BandY() const { return g.settings.Height - 100; }
};

TEST_F(ScreensHarness, TheKeyboardAndTheJoystickSeeTheItemTheyMoveToAndTheMouseAloneDoesNot)
{
    const Picture mouse = Shot("menu_mouse_off_items");
    Hold(SDLK_DOWN);
    ASSERT_EQ(g.mainMenu.currentIndex, 1);
    const Picture keys = Shot("menu_keys_options");
    EXPECT_GT(ItemLight(keys, 1), ItemLight(mouse, 1) + 20) << "the bar on \"Options\"";
    MoveMouse(3, 3);
    const Picture moved = Shot("menu_mouse_moved");
    EXPECT_LT(ItemLight(moved, 1), ItemLight(keys, 1) - 20) << "the mouse over no item: no bar";
    Joystick(0, 20000);
    ASSERT_EQ(g.mainMenu.currentIndex, 2);
    EXPECT_GT(ItemLight(Shot("menu_joystick_highscores"), 2), ItemLight(moved, 2) + 20);
}

TEST_F(ScreensHarness, LeftAndRightChooseTheDifficultyAsThePointerDoesAndOtherKeysStartTheLevel)
{
    const int H = g.settings.Height;
    injected.keys[SDLK_RIGHT] = 1;  // pressed in the menu, released on the level start
    QueueEvent(SDL_KEYDOWN, SDLK_RIGHT);
    Frames(1, 16);
    StartNewGame(g, 1);  // two blocks: at Hard each of its own colour
    const uint32_t start = injected.now;
    const struct {
        std::function<void()> input;
        int difficulty;
        float flash;  // just after the input; 0.025 a time unit, 0.96 units a 16 ms frame
    } steps[] = {
        {[&] { injected.keys[SDLK_RIGHT] = 0, QueueEvent(SDL_KEYUP, SDLK_RIGHT), Frames(1, 16); }, kNormal, 0},
        {[&] { Hold(SDLK_RIGHT); }, kHard, 1},
        {[&] { Hold(SDLK_RIGHT); }, kHard, 0},  // no further than Hard
        {[&] { Joystick(-20000, 0); }, kNormal, 1 - 0.025f * 0.96f},
        {[&] { Hold(SDLK_LEFT); }, kEasy, 1},
        {[&] { MoveMouse(ThirdX(3), H - 160), MoveMouse(ThirdX(3), H - 48); }, kEasy, 0},  // above, below the band
        {[&] { MoveMouse(ThirdX(3), H - 159); }, kHard, 1},
        {[&] { MoveMouse(ThirdX(3) + 5, BandY()); }, kHard, 0},  // resting on the choice
    };
    for (const auto& s : steps) {
        s.input();
        EXPECT_EQ(g.puzzle.difficulty, s.difficulty);
        EXPECT_NEAR(g.flash, s.flash, 1e-4f);
        for (int i = 0; i < 19 && g.flash > 0; ++i)
            Hold(SDLK_SPACE);  // keys wait for the flash
        EXPECT_EQ(g.ScreenState, kScreenLevelStart);
        if (&s == &steps[1])
            Shot("levelstart_flash_to_hard");
        Frames(10, 16);  // past the flash, the board set up again at its middle
        EXPECT_EQ(g.puzzle.blockColour[0] != g.puzzle.blockColour[1], s.difficulty == kHard);
    }
    Shot("levelstart_hard");
    // Meanwhile the camera has circled the board, 0.075 degrees a time unit.
    EXPECT_TRUE(g.camera == &g.screenCamera && g.screenCamera.pitch == -45 && g.screenCamera.distance == 1.2f);
    EXPECT_NEAR(g.screenCamera.yaw, 2 * std::fmod(0.075f * 0.06f * (injected.now - start), 180.0f), 0.05f);
    Hold(SDLK_SPACE);
    EXPECT_EQ(g.ScreenState, kScreenPlay);
}

TEST_F(ScreensHarness, TheWonLevelsOkClickAndARestartNeverChooseTheNextDifficulty)
{
    Play(0);
    for (int i = 0; i < 3; ++i)
        Step(SDLK_RIGHT);
    Frames(3, 16);
    ASSERT_EQ(g.ScreenState, kScreenLevelWon);
    const int okY = g.settings.Height - 2 * gameFont.lineHeight + 2;  // on "Ok", in the band over "Easy"
    ASSERT_TRUE(okY > g.settings.Height - 2.5f * gameFont.lineHeight && okY < g.settings.Height - 48);
    Click(ThirdX(1), okY);
    ASSERT_EQ(g.ScreenState, kScreenLevelStart);
    EXPECT_EQ(g.puzzle.levelIndex, 1);
    Frames(10, 16);
    EXPECT_EQ(g.puzzle.difficulty, kNormal);
    Shot("levelstart_after_ok_click");
    Hold(SDLK_SPACE);
    injected.mouseX = ThirdX(3);  // the pointer rests over "Hard" when F1 restarts
    Hold(SDLK_F1);
    ASSERT_EQ(g.ScreenState, kScreenLevelStart);
    Frames(10, 16);
    EXPECT_EQ(g.puzzle.difficulty, kNormal);
    MoveMouse(ThirdX(3) + 4, BandY());
    EXPECT_EQ(g.puzzle.difficulty, kHard) << "the pointer chooses once it moves";
}

class MouseHarness : public GameHarness {
protected:
    // Where GL draws the centre of cell (x, y): its own projection and
    // viewport, the camera in use and the mode's transform of the car.
    // False when it is not in the picture.
    bool CellPixel(int x, int y, int& px, int& py)
    {
        const Puzzle& p = g.puzzle;
        float mode[16];
        CameraModeMatrix(g.cameras.mode, CarPlace{p.carDrawX, p.carDrawY, p.carAngle}, mode);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        ApplyCamera(g.camera->yaw, g.camera->pitch, g.camera->distance);
        glMultMatrixf(mode);
        glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
        GLdouble model[16], projection[16], wx, wy, wz;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glPopMatrix();
        gluProject(x * kCellSize, 0, y * kCellSize, model, projection, viewport, &wx, &wy, &wz);
        px = int(wx), py = viewport[3] - 1 - int(wy);
        return wz > 0 && wz < 1 && px >= 0 && px < viewport[2] && py >= 0 && py < viewport[3];
    }
    void WalkToTheEnd()
    {
        for (int i = 0; i < 2000 && (Walking(g.puzzle) || g.puzzle.moveProgress != 0); ++i)
            Frames(1, 16);
    }
    std::string Car() const { return FormatText("%d %d", g.puzzle.carX, g.puzzle.carY); }
};

TEST_F(MouseHarness, AClickDrivesToTheCellDrawnUnderThePointerInEveryCameraModeAndOnAMirroredBoard)
{
    Play(1);
    const int startX = g.puzzle.carX, startY = g.puzzle.carY;
    for (int mirrored = 0; mirrored < 2; ++mirrored) {
        if (mirrored) {
            // Hard mirrors by the C library's random source: seeds until the car start moves.
            for (unsigned seed = 1; seed < 100 && g.puzzle.carX == startX && g.puzzle.carY == startY; ++seed) {
                std::srand(seed);
                ChangeDifficulty(g.puzzle, kHard);
            }
            BuildSceneryLists(g.puzzle);
            ASSERT_TRUE(g.puzzle.carX != startX || g.puzzle.carY != startY);
        }
        for (int mode = 0; mode < 3; ++mode) {
            SCOPED_TRACE(FormatText("mirrored %d, camera mode %d", mirrored, mode));
            Hold(SDLKey(SDLK_F6 + mode));
            // The reachable cell in the picture farthest from the car, then the
            // nearest, out of line with it (a click in line may push).
            for (int far = 1; far >= 0; --far) {
                int cell = -1, best = far ? 0 : kCellCount, px, py;
                for (int c = 0; c < kCellCount; ++c) {
                    const int steps = int(FindPath(g.puzzle, c % kPlayWidth, c / kPlayWidth).size());
                    const bool inLine = c % kPlayWidth == g.puzzle.carX || c / kPlayWidth == g.puzzle.carY;
                    if (steps >= 2 && !inLine && (far ? steps > best : steps < best) &&
                        CellPixel(c % kPlayWidth, c / kPlayWidth, px, py))
                        cell = c, best = steps;
                }
                ASSERT_GE(cell, 0);
                CellPixel(cell % kPlayWidth, cell / kPlayWidth, px, py);
                Click(px, py);
                WalkToTheEnd();
                EXPECT_EQ(Car(), FormatText("%d %d", cell % kPlayWidth, cell / kPlayWidth));
                EXPECT_EQ(g.puzzle.undoCount, 0) << "a walk never pushes";
            }
        }
    }
}

TEST_F(MouseHarness, TheRedoKeyPlaysTheUndoneStepAgainAndTheHighlightMarksOnlyAReachableCell)
{
    Play(0);
    Step(SDLK_RIGHT);
    const BlockRecord pushed = g.puzzle.blocks[0];
    Hold(SDLK_SPACE);
    Frames(2, 16);
    Hold(SDLK_r);
    Frames(30, 16);
    EXPECT_EQ(g.puzzle.moves, 12);
    EXPECT_EQ(FormatText("%d %d", g.puzzle.blocks[0].x, g.puzzle.blocks[0].y), FormatText("%d %d", pushed.x, pushed.y));
    // The mark, for a person to look at: the pointer over a reachable cell.
    int px, py;
    ASSERT_TRUE(ClickableCell(g.puzzle, g.puzzle.carX - 1, g.puzzle.carY + 1));
    CellPixel(g.puzzle.carX - 1, g.puzzle.carY + 1, px, py);
    MoveMouse(px, py);
    Picture::Read(int(gameWindow.width), int(gameWindow.height)).SaveToGallery("mouse_highlight.png");
}

}  // namespace
