#pragma once
// The 2D side of the game's screens: the menus' drawing, the dialog screens
// (code entry, solution list, level list, load and save slots, high scores, credits)
// and the overlays of the level-start, level-won, help-message and
// end-of-game screens (made of the scene's HUD pieces, scene/hud.h).
//
// The frame loop owns the flow: it draws the 3D picture behind a screen
// (the board or the menu scene) and then calls the screen's Update and
// Draw. An Update reads this frame's input from gameState.input, changes
// what belongs to its screen, and reports anything that changes the game's
// course as a ScreenAction, which the loop carries out.
#include "state/gamestate.h"

struct ScreenAction {
    enum Kind {
        None,
        ToMenus,           // back to the menus (state 0, the menu as it was)
        ResumePlay,        // back to the running game (state 2, play camera and lights)
        Play,              // the level-start screen is left: play begins
        ChangeDifficulty,  // arg: 1 easy, 2 normal, 3 hard (level start, at the flash's middle)
        StartLevel,        // arg: level index (a new game: 0; a code was found: its level)
        StartReplay,       // arg: level index (the solution list)
        LoadSlot,          // arg: slot 0 … 9 (a sound slot)
        SaveSlot,          // arg: slot 0 … 9
        LevelWonDone,      // the level-won screen is confirmed (record name stored)
        GameEndDone,       // the end-of-game screen is confirmed
        HelpDone,          // the help message is dismissed
        Quit,              // the main menu's Quit: the quit fade
        ApplyOptions,      // the options menu's Back: the application applies and stores them
        RestartLevel,      // the in-game menu's Restart
        LeaveGame,         // the in-game menu's Quit: the game (or replay) ends
    };
    Kind kind = None;
    int arg = 0;
};

// Drawing. Every screen's Draw function enters the 2D overlay (Begin2D)
// and leaves it (End2D) itself, and draws the mouse pointer where the
// screen has one. DrawSelectionBar, DrawGameHud, DrawMousePointer and the
// scene's HUD pieces (scene/hud.h) are what they are made of: they draw
// into a 2D overlay the caller has already entered, and leave the GL state
// as they found it.
//
// Sizes come from g.settings.Width and Height (the window in use); the menu
// font is the big font, the game font the second one.

// ---- menu widgets: textures, layout, drawing ----

// Loads "data/gfx/2d/selection.png", "selection_left.png",
// "selection_middle.png", "selection_right.png" (clamp to edge, no mipmaps).
// Throws Exception "Couldn't load texture %s\n" from "InitMenu".
void InitMenu(const char* dataPrefix);
void FreeMenuTextures();

// Lays the four menus out for a window of width × height (menu font height
// F); the line step of drawing and picking is 48 · width / 1024.
void LayoutMenus(GameState& g, int width, int height);

// Draws the current menu with its selection bar (between Begin2D/End2D).
void DrawMenu(const GameState& g);

// The selection bar from (x0, y0) to (x1, y1): left cap, stretched middle,
// right cap.
void DrawSelectionBar(float x0, float y0, float x1, float y1);

// ---- the game screens' overlays (board already drawn) ----

// The heads-up bar with the running game's level, moves and bomb.
void DrawGameHud(const GameState& g);
// The mouse pointer where the mouse is, at the window's pointer size.
void DrawMousePointer(const GameState& g);

// Level start (state 1): the pointer, once it has moved on this screen, or
// Left and Right (keys pressed here, or the joystick) choose the difficulty
// (a new choice plays the menu-choice sound and starts the flash; at its
// middle the update reports ChangeDifficulty once); any other released key,
// a click or a joystick button reports Play.
ScreenAction UpdateLevelStart(GameState& g);
void DrawLevelStart(const GameState& g);

// Level won (state 4), with the record name editor.
ScreenAction UpdateLevelWon(GameState& g);
void DrawLevelWon(const GameState& g);

// Help message over the board (state 15): the three lines of g.helpKind.
ScreenAction UpdateHelpMessage(GameState& g);
void DrawHelpMessage(const GameState& g);

// End of the game after the last level ("MessageGameWin1", "MessageGameWin2").
ScreenAction UpdateGameEnd(GameState& g);
void DrawGameEnd(const GameState& g);

// ---- the dialog screens (menu scene already drawn) ----

// The menus' view of this frame's input (for MenuInput).
MenuInputFrame MenuFrameFromInput(const InputState& in);

// Opening a dialog: each sets its own starting values and ScreenState.
void OpenCodeEntry(GameState& g);
void OpenSolutionList(GameState& g);
// The levels page by page: the done ones and the first not done start.
void OpenLevelList(GameState& g);
void OpenSlotList(GameState& g, bool save);  // reads the slot summaries
void OpenHighScores(GameState& g);
void OpenCredits(GameState& g);  // reads the credits of g.settings.Lang

ScreenAction UpdateCodeEntry(GameState& g);
void DrawCodeEntry(const GameState& g);
ScreenAction UpdateSolutionList(GameState& g);
void DrawSolutionList(const GameState& g);
ScreenAction UpdateLevelList(GameState& g);
void DrawLevelList(const GameState& g);
ScreenAction UpdateSlotList(GameState& g);  // load (state 10) or save (state 11)
void DrawSlotList(const GameState& g);
ScreenAction UpdateHighScores(GameState& g);
void DrawHighScores(const GameState& g);
ScreenAction UpdateCredits(GameState& g);
void DrawCredits(const GameState& g);
