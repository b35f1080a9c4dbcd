#include "loop/pelmo.h"

#include "app/base/exception.h"
#include "app/base/log.h"
#include "app/base/files.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "persist/slotgame.h"
#include "scene/highlight.h"
#include "scene/pelmo3d.h"
#include "sound/sound.h"

#include <SDL.h>
#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>

GameState gameState;
GLContext gameWindow;

namespace {

FrameClock frameClock = nullptr;
InputSource inputSource = nullptr;
OptionsApplier optionsApplier = nullptr;

// A walk and a press on the board belong to the play screen alone.
void LeaveMousePlay(GameState& g, int state)
{
    g.boardPressX = g.boardPressY = -1;
    if (state != kScreenPlay)
        StopWalk(g.puzzle);
}

// Every change of screen the loop makes forgets which screen the last key
// press belonged to, so a key still down from the screen before never
// confirms the new one.
void SetScreen(GameState& g, int state)
{
    g.ScreenState = state;
    g.armedScreen = -1;
    LeaveMousePlay(g, state);
}

// What the puzzle core asks of the game.
struct GamePuzzleHooks : PuzzleHooks {
    void PlaySound(const char* wavName) override { PlaySampleByName(wavName); }
    void ReleaseHeldKeys() override { ReleaseDirectionKeys(gameState.input); }
    void ShowHint(int kind) override
    {
        gameState.helpKind = kind;
        SetScreen(gameState, kScreenHelpMessage);
    }
    void SceneryChanged() override { BuildSceneryLists(gameState.puzzle); }
};

GamePuzzleHooks puzzleHooks;

bool ShowsBoard(int state)
{
    return state == kScreenLevelStart || state == kScreenPlay || state == kScreenLevelWon ||
           state == kScreenHelpMessage || state == kScreenGameEnd;
}

// The screens drawn over the menu scene, which clears the picture itself.
bool OverMenuScene(int state)
{
    return state == kScreenMenus || state == kScreenCredits || state == kScreenCodeEntry ||
           state == kScreenSolutionList || state == kScreenLoadSlots || state == kScreenSaveSlots ||
           state == kScreenHighScores;
}

void CountDown(float& timer, float step)
{
    timer -= step;
    if (timer < 0)
        timer = 0;
}

// The music of a level: the four game tracks in turn.
int LevelMusic(int level)
{
    return 1 + (level < 0 ? 0 : level % 4);
}

void PlayLevelMusic(int level)
{
    int track = LevelMusic(level);
    if (CurrentMusic() != track)
        PlayMusic(track);
}

void PrepareTheme(GameState& g)
{
    g.themeIndex = 0;
    FreeTheme();
    if (!LoadTheme(g.themeIndex, g.dataPrefix, g.settings))
        throw Exception("bad theme number", "LoadTheme", "pelmo3d", __LINE__);
    CopyThemeToPuzzle(g.puzzle);
}

// The options the puzzle reads at every level start.
void CopySettingsToPuzzle(GameState& g)
{
    g.puzzle.speed = g.settings.Speed < 1 ? 1 : g.settings.Speed;
    g.puzzle.help = g.settings.Help;
    g.puzzle.hooks = &puzzleHooks;
}

void ShowLevelStart(GameState& g)
{
    SaveProgress(g.progress, g.settings.GamePath);
    PlaySample(SoundId::Message);
    g.levelStartOrbit = 0;
    g.flash = 0;
    SetScreen(g, kScreenLevelStart);
}

void EnterMenuScene(GameState& g)
{
    UseMenuCamera(g);
    // The menu light is given in eye space: the camera this frame drew the
    // board with must not turn it.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    SetMenuLights();
    glPopMatrix();
}

// The won level's record and progress are kept before anything moves on.
void RecordWonLevel(GameState& g)
{
    int level = g.puzzle.levelIndex;
    if (level >= 0 && level < kLevelCount) {
        g.progress.done[level] = 1;
        SaveProgress(g.progress, g.settings.GamePath);
    }
}

void NextLevel(GameState& g)
{
    RecordWonLevel(g);
    ClearHistory(g.puzzle);
    int next = g.puzzle.levelIndex + 1;
    if (!FileExists(LevelFilePath(g.dataPrefix, next).c_str())) {
        // The last level is done: the end-of-game screen, then the records.
        SetScreen(g, kScreenGameEnd);
        return;
    }
    LoadLevel(g.puzzle, next, g.dataPrefix);
    PrepareTheme(g);
    CopySettingsToPuzzle(g);
    StartLevelBoard(g.puzzle, 0);
    PlayLevelMusic(next);
    ShowLevelStart(g);
}

// The in-game menu, and F2 and F3 that open its Save and Load at once.
void OpenInGameMenu(GameState& g)
{
    EnterMenuScene(g);
    g.inMenu = 0;
    SetCurrentMenu(g.menus, g.inGameMenu);
    SetScreen(g, kScreenMenus);
}

void OpenSlotsFromGame(GameState& g, bool save)
{
    OpenInGameMenu(g);
    OpenSlotList(g, save);
}

// Closing the game on the won screen keeps what the player has already been
// told: the level is done, and a record stands under the name shown.
void KeepWonLevel(GameState& g)
{
    if (g.nameEditor.nameEntryActive)
        ConfirmScoreName(g.scores, g.nameEditor, g.settings.GamePath);
    RecordWonLevel(g);
}

// The board direction each held direction gives; in camera mode 2 they are
// relative to the car. source[] (by Direction) keeps which held direction
// gave each board direction, so a refusal lets go of what the player holds.
void MapDirections(GameState& g, PuzzleInput& in, HeldDirection source[5])
{
    const InputState& k = g.input;
    const Puzzle& p = g.puzzle;
    // One set-off per press of a button, as Return gives one per release: a
    // held button would otherwise set off the next bomb the moment it is
    // picked up, and sound the refusal every frame on a target.
    if (k.joystickOn && k.joyButtonPressed)
        in.setOff = true;
    const bool held[4] = {k.leftHeld || k.joyLeft, k.rightHeld || k.joyRight, k.upHeld || k.joyUp,
                          k.downHeld || k.joyDown};  // by HeldDirection
    // Left hand, right hand, forward and backward for each heading.
    static const Direction relative[4][4] = {
        /* 0   */ {kDirDown, kDirUp, kDirLeft, kDirRight},
        /* 90  */ {kDirRight, kDirLeft, kDirDown, kDirUp},
        /* 180 */ {kDirUp, kDirDown, kDirRight, kDirLeft},
        /* 270 */ {kDirLeft, kDirRight, kDirUp, kDirDown},
    };
    static const Direction plain[4] = {kDirLeft, kDirRight, kDirUp, kDirDown};
    const Direction* to = plain;
    if (g.cameras.mode == 2) {
        // The puzzle reads the directions once the step under way has ended
        // this frame: then the car faces its heading.
        float angle = p.carAngle;
        if (p.moveProgress > 0) {
            if (p.moveProgress > g.frameStep)
                return;
            angle = p.heading;
        }
        int a = static_cast<int>(angle);
        if (static_cast<float>(a) != angle || a % 90 != 0)
            return;  // still turning
        to = relative[(((a % 360) + 360) % 360) / 90];
    }
    bool* board[5] = {nullptr, &in.left, &in.right, &in.up, &in.down};  // by Direction
    for (int h = 0; h < 4; ++h)
        if (held[h]) {
            *board[to[h]] = true;
            source[to[h]] = static_cast<HeldDirection>(h);
        }
}

void ApplyRefusals(GameState& g, unsigned refused, const HeldDirection source[5])
{
    // A refused direction is heard once per press.
    for (Direction d : {kDirLeft, kDirRight, kDirUp, kDirDown})
        if (refused & (1u << d))
            SuppressDirection(g.input, source[d]);
}

void WinLevel(GameState& g)
{
    RecordLevelWon(g.scores, g.nameEditor, g.puzzle.levelIndex, g.puzzle.moves);
    // The arrow still held from the winning push must not skip the screen.
    ReleaseDirectionKeys(g.input);
    g.levelWonOrbit = 0;
    SetScreen(g, kScreenLevelWon);
}

void ClearColour(GameState& g)
{
    const Theme& theme = CurrentTheme();
    const float* bg = ShowsBoard(g.ScreenState) && theme.loaded ? theme.settings.background : nullptr;
    if (bg)
        glClearColor(bg[0], bg[1], bg[2], 1);
    else
        glClearColor(0, 0, 0, 1);
}

void DrawBoardScene(GameState& g)
{
    BoardView view;
    view.cameraMode = g.ScreenState == kScreenPlay || g.ScreenState == kScreenHelpMessage ? g.cameras.mode : 0;
    view.T = g.T;
    view.reflect = g.settings.Reflect != 0;
    DrawBoard(gameWindow, g.puzzle, view);
}

// Screens drawn over the menu scene (each draws its own 2D overlay).
template <class Update, class Draw>
void RunDialog(GameState& g, Update update, Draw draw)
{
    AdvanceMenuScene(g.frameStep, false);
    DrawMenuScene(gameWindow, false);
    ScreenAction a = update(g);
    draw(g);
    ApplyScreenAction(g, a);
}

// Screens drawn over the board.
template <class Update, class Draw>
void RunBoardScreen(GameState& g, Update update, Draw draw)
{
    AdvanceBoardClock(g);
    FadeTracks(g.puzzle, g.frameStep);
    DrawBoardScene(g);
    ScreenAction a = update(g);
    draw(g);
    ApplyScreenAction(g, a);
}

void RunMenuScreen(GameState& g)
{
    bool showCar = g.menus.currentMenu == &g.mainMenu || g.menus.currentMenu == &g.gameMenu;
    AdvanceMenuScene(g.frameStep, showCar);
    DrawMenuScene(gameWindow, showCar);
    DrawMenu(g);
    if (g.fadeIn == 0 && g.fadeOut == 0 && !g.quitRequested)
        ApplyScreenAction(g, MenuAction(g));
}

CarPlace PlayCarPlace(const Puzzle& p)
{
    return CarPlace{p.carDrawX, p.carDrawY, p.carAngle};
}

// The board cell under the pointer through the camera in use.
bool PointerCell(const GameState& g, int& x, int& y)
{
    return CellUnderPointer(*g.camera, g.cameras.mode, PlayCarPlace(g.puzzle), g.input.mouseX, g.input.mouseY,
                            int(gameWindow.width), int(gameWindow.height), gameWindow.fov, x, y);
}

// A click is a left press and release on the play screen that moved the
// pointer no more than this many pixels (a longer drag turns the camera).
constexpr int kClickSlop = 3;

// Mouse play: any key or another click stops a walk; a click on a cell asks
// the puzzle for a walk there.
void MousePlay(GameState& g)
{
    const InputState& k = g.input;
    Puzzle& p = g.puzzle;
    if (k.keyDown)
        StopWalk(p);
    if (k.leftButtonDown)
        g.boardPressX = k.mouseX, g.boardPressY = k.mouseY;
    if (!k.leftClick || g.boardPressX < 0)
        return;
    const bool dragged = std::abs(k.mouseX - g.boardPressX) + std::abs(k.mouseY - g.boardPressY) > kClickSlop;
    g.boardPressX = g.boardPressY = -1;
    int x, y;
    if (dragged || p.replayMode)
        return;
    if (Walking(p))
        StopWalk(p);
    else if (PointerCell(g, x, y))
        ClickCell(p, x, y);
}

void DrawPointerHighlight(const GameState& g)
{
    int x, y;
    if (g.ScreenState == kScreenPlay && PointerCell(g, x, y) && ClickableCell(g.puzzle, x, y))
        DrawCellHighlight(g.cameras.mode, PlayCarPlace(g.puzzle), x, y);
}

void RunPlayScreen(GameState& g)
{
    UpdatePuzzleEffects(g.puzzle, g.frameStep);
    DrawBoardScene(g);
    DrawPointerHighlight(g);
    Begin2D();
    DrawGameHud(g);
    DrawMousePointer(g);
    End2D();
    AdvanceBoardClock(g);
    UpdateGame(g);
    if (g.ScreenState == kScreenPlay && g.input.mouseButtons) {
        DragCamera(*g.camera, g.cameras.mode, g.input.leftButtonHeld, g.input.rightButtonHeld, g.input.mouseRelX,
                   g.input.mouseRelY);
    }
}

}  // namespace

void SetFrameClock(FrameClock clock)
{
    frameClock = clock;
}

void SetInputSource(InputSource source)
{
    inputSource = source;
}

void SetOptionsApplier(OptionsApplier apply)
{
    optionsApplier = apply;
}

uint32_t ReadFrameClock()
{
    return frameClock ? frameClock() : SDL_GetTicks();
}

void AdvanceBoardClock(GameState& g)
{
    g.T += g.frameStep;
    if (g.T >= 3200 || g.T < 0)
        g.T = std::fmod(g.T, 3200.0f);
}

void UsePlayCamera(GameState& g)
{
    g.camera = &g.cameras.modes[g.cameras.mode];
}

void UseMenuCamera(GameState& g)
{
    g.screenCamera = Camera{0, 0, 1.5f};
    g.camera = &g.screenCamera;
}

bool RunFrame()
{
    GameState& g = gameState;
    if (g.quitRequested && g.fadeOut == 0)
        return false;
    uint32_t now = ReadFrameClock();
    g.frameStep = static_cast<float>(now - g.lastTicks) * 0.06f;
    g.lastTicks = now;
    CountDown(g.fadeIn, g.frameStep);
    CountDown(g.fadeOut, g.frameStep);

    if (inputSource) {
        RawInput raw;
        inputSource(raw);
        ProcessInput(g.input, raw);
    } else {
        PollInput(g.input);
    }
    if (g.input.quit && !g.quitRequested) {
        if (g.ScreenState == kScreenLevelWon)
            KeepWonLevel(g);
        RequestQuit(g);  // closing the window quits like the menu's Quit
    }

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    ClearColour(g);
    if (!OverMenuScene(g.ScreenState))
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyCamera(g.camera->yaw, g.camera->pitch, g.camera->distance);

    switch (g.ScreenState) {
    case kScreenMenus:
        RunMenuScreen(g);
        break;
    case kScreenLevelStart:
        RunBoardScreen(g, UpdateLevelStart, DrawLevelStart);
        break;
    case kScreenPlay:
        RunPlayScreen(g);
        break;
    case kScreenLevelWon:
        RunBoardScreen(g, UpdateLevelWon, DrawLevelWon);
        break;
    case kScreenHelpMessage:
        RunBoardScreen(g, UpdateHelpMessage, DrawHelpMessage);
        break;
    case kScreenGameEnd:
        RunBoardScreen(g, UpdateGameEnd, DrawGameEnd);
        break;
    case kScreenCredits:
        RunDialog(g, UpdateCredits, DrawCredits);
        break;
    case kScreenCodeEntry:
        RunDialog(g, UpdateCodeEntry, DrawCodeEntry);
        break;
    case kScreenSolutionList:
        RunDialog(g, UpdateSolutionList, DrawSolutionList);
        break;
    case kScreenLevelList:
        RunDialog(g, UpdateLevelList, DrawLevelList);
        break;
    case kScreenLoadSlots:
    case kScreenSaveSlots:
        RunDialog(g, UpdateSlotList, DrawSlotList);
        break;
    case kScreenHighScores:
        RunDialog(g, UpdateHighScores, DrawHighScores);
        break;
    default:
        break;  // no screen: the background only
    }

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    SDL_GL_SwapBuffers();
    return true;
}

void RunFrameLoop()
{
    gameState.lastTicks = ReadFrameClock();
    // Where the display does not pace the swaps, the loop does: motion
    // follows the measured frame step, so only the busy drawing goes.
    uint32_t frameStart = SDL_GetTicks();
    while (RunFrame()) {
        if (const uint32_t wait = FramePaceDelay(frameStart, SDL_GetTicks(), kMinFrameMs))
            SDL_Delay(wait);
        frameStart = SDL_GetTicks();
    }
}

void UpdateGame(GameState& g)
{
    InputState& k = g.input;
    Puzzle& p = g.puzzle;

    if (k.escape) {
        PlaySample(SoundId::MenuClick);
        if (p.replayMode) {
            LeaveGame(g);  // ends the playback too
        } else {
            OpenInGameMenu(g);
        }
        return;
    }

    if (!p.replayMode) {
        if (k.fkey[1]) {
            RestartLevel(g);
            return;
        }
        if (k.fkey[2] || k.fkey[3]) {
            OpenSlotsFromGame(g, k.fkey[2]);
            return;
        }
    }
    if (k.fkey[4]) {
        bool before = k.joystickOn;
        ToggleJoystick(k);
        if (before != k.joystickOn)
            PlaySample(SoundId::Error1);
    }
    if (k.fkey[5])
        ResetCurrentCamera(g.cameras);
    for (int f = 6; f <= 8; ++f)
        if (k.fkey[f]) {
            ChooseCameraMode(g.cameras, f - 6);
            UsePlayCamera(g);
        }
    if (k.fkey[10])
        TakeScreenshot(g);

    ZoomCamera(*g.camera, k.wheelUp, k.wheelDown);

    MousePlay(g);
    PuzzleInput in;
    in.undo = k.undo;
    in.redo = k.redo;
    in.setOff = k.setOff;
    HeldDirection source[5] = {HeldLeft, HeldLeft, HeldRight, HeldUp, HeldDown};
    if (!p.replayMode)
        MapDirections(g, in, source);

    CameraInput cam;
    cam.pitchDec = k.pitchDecHeld;
    cam.pitchInc = k.pitchIncHeld;
    cam.yawDec = k.yawDecHeld;
    cam.yawInc = k.yawIncHeld;
    cam.distDec = k.distDecHeld;
    cam.distInc = k.distIncHeld;
    ApplyCameraKeys(*g.camera, cam, g.frameStep);

    PuzzleFrameResult r = UpdatePuzzleFrame(p, in, g.frameStep);
    ApplyRefusals(g, r.refused, source);
    if (r.playbackEnded) {
        LeaveGame(g);  // the playback ends there, back to the menus
        return;
    }
    if (r.openWonScreen && g.ScreenState == kScreenPlay)
        WinLevel(g);
}

void StartLevel(GameState& g, int level)
{
    ClearHistory(g.puzzle);
    LoadLevel(g.puzzle, level, g.dataPrefix);
    PrepareTheme(g);
    CopySettingsToPuzzle(g);
    StartLevelBoard(g.puzzle, 0);
    PlayLevelMusic(level);
    ShowLevelStart(g);
}

void StartNewGame(GameState& g, int level)
{
    g.gameInProgress = 1;
    g.inMenu = 0;
    g.puzzle.replayMode = 0;
    g.puzzle.difficulty = kNormal;
    FreeMenuObjects();
    StartLevel(g, level);
}

void StartReplay(GameState& g, int level)
{
    g.gameInProgress = 1;
    g.inMenu = 0;
    FreeMenuObjects();
    CopySettingsToPuzzle(g);
    StartSolution(g.puzzle, level, g.dataPrefix);
    PrepareTheme(g);
    PlayLevelMusic(level);
    ShowLevelStart(g);
}

void RestartLevel(GameState& g)
{
    if (g.puzzle.replayMode)
        return;
    SetGameLights();
    g.inMenu = 0;
    UsePlayCamera(g);
    LoadLevel(g.puzzle, g.puzzle.levelIndex, g.dataPrefix);
    CopySettingsToPuzzle(g);
    StartLevelBoard(g.puzzle, 0);
    ShowLevelStart(g);
}

void ResumePlay(GameState& g)
{
    SetGameLights();
    UsePlayCamera(g);
    g.inMenu = 0;
    SetScreen(g, kScreenPlay);
}

void LeaveGame(GameState& g)
{
    bool wasReplay = g.puzzle.replayMode != 0;
    if (wasReplay)
        StopSolution(g.puzzle);
    FreeTheme();
    g.themeIndex = -1;
    g.gameInProgress = 0;
    g.puzzle.replayMode = 0;
    g.inMenu = 1;
    EnterMenuScene(g);
    InitObjetMenu(g.dataPrefix);
    ResetSoundState();
    // A solution is chosen in the game menu: watching one leads back there.
    SetCurrentMenu(g.menus, wasReplay ? g.gameMenu : g.mainMenu);
    if (!wasReplay) {
        OpenHighScores(g);
    } else {
        SetScreen(g, kScreenMenus);
    }
}

void RequestQuit(GameState& g)
{
    g.quitRequested = 1;
    g.fadeOut = 100;
    FadeOutMusic(200);
}

bool LoadSlot(GameState& g, int slot)
{
    // A refused slot leaves the game exactly as it was.
    if (!LoadSavedGame(g.puzzle, slot, g.settings.GamePath, g.dataPrefix))
        return false;
    g.gameInProgress = 1;
    g.inMenu = 0;
    g.puzzle.replayMode = 0;
    FreeMenuObjects();
    PrepareTheme(g);
    CopySettingsToPuzzle(g);
    BuildSceneryLists(g.puzzle);
    PlayLevelMusic(g.puzzle.levelIndex);
    ResumePlay(g);
    return true;
}

bool SaveSlot(GameState& g, int slot)
{
    return SaveRunningGame(slot, g.settings.GamePath, g.dataPrefix, g.puzzle);
}

bool TakeScreenshot(GameState& g)
{
    char path[kPathSize];
    for (; g.screenshotCounter < 100; ++g.screenshotCounter) {
        if (!FormatPath(path, sizeof path, "%scapture\\ScreenShot%02d.bmp", g.settings.GamePath, g.screenshotCounter))
            return false;
        if (!FileExists(path))
            break;
    }
    if (g.screenshotCounter >= 100) {
        Warn("no free screenshot number left\n");
        return false;
    }
    ++g.screenshotCounter;
    return Screenshot(gameWindow, NativePath(path).c_str());
}

void ApplyScreenAction(GameState& g, const ScreenAction& a)
{
    switch (a.kind) {
    case ScreenAction::None:
        break;
    case ScreenAction::ToMenus:
        SetScreen(g, kScreenMenus);
        break;
    case ScreenAction::ResumePlay:
        ResumePlay(g);
        break;
    case ScreenAction::Play:
        UsePlayCamera(g);
        SetScreen(g, kScreenPlay);
        break;
    case ScreenAction::ChangeDifficulty:
        ChangeDifficulty(g.puzzle, a.arg);
        BuildSceneryLists(g.puzzle);
        break;
    case ScreenAction::StartLevel:
        StartNewGame(g, a.arg);
        break;
    case ScreenAction::StartReplay:
        StartReplay(g, a.arg);
        break;
    case ScreenAction::LoadSlot:
        LoadSlot(g, a.arg);
        break;
    case ScreenAction::SaveSlot:
        if (SaveSlot(g, a.arg))
            ResumePlay(g);
        else
            PlaySample(SoundId::Error1);  // nothing saved: the list stays open
        break;
    case ScreenAction::LevelWonDone:
        NextLevel(g);
        break;
    case ScreenAction::GameEndDone:
        LeaveGame(g);
        break;
    case ScreenAction::HelpDone:
        SetScreen(g, kScreenPlay);
        break;
    case ScreenAction::Quit:
        RequestQuit(g);
        break;
    case ScreenAction::ApplyOptions:
        if (optionsApplier)
            optionsApplier(g);
        break;
    case ScreenAction::RestartLevel:
        RestartLevel(g);
        break;
    case ScreenAction::LeaveGame:
        LeaveGame(g);
        break;
    }
}
