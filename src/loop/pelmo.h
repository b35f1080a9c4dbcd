#pragma once
// The frame loop: one pass per frame measures the time, polls the input,
// draws the screen ScreenState names and runs the game while a level is
// played. Also the game's flow between screens: starting, restarting and
// leaving levels, the won level, solution replays, saved games.
#include "menu/menu.h"
#include "state/gamestate.h"

#include <cstdint>

struct GLContext;

// The game's window (opened by the start-up).
extern GLContext gameWindow;

// The clock the loop reads (SDL_GetTicks unless a test sets another).
using FrameClock = uint32_t (*)();
void SetFrameClock(FrameClock clock);
uint32_t ReadFrameClock();

// Where a pass takes its input from (SDL unless a test injects its own).
using InputSource = void (*)(RawInput& raw);
void SetInputSource(InputSource source);

// Runs passes until the player has quit and the fade has ended.
void RunFrameLoop();
// One pass; false when the loop should end (before anything is done).
bool RunFrame();

// The play screen's per-frame update.
void UpdateGame(GameState& g);

// Carries out what a screen or a menu asked for.
void ApplyScreenAction(GameState& g, const ScreenAction& action);

// The options menu's "Back" belongs to the application (a new resolution
// rebuilds everything in GL, then "game.ini" is written): the start-up
// hands it over, and ApplyScreenAction calls it.
using OptionsApplier = void (*)(GameState& g);
void SetOptionsApplier(OptionsApplier apply);

// ---- the game's flow ----

// A new game from the menus at a level (new game: 0; a found code: its level).
void StartNewGame(GameState& g, int level);
// Watching a level's stored solution (the solution list).
void StartReplay(GameState& g, int level);
// Loads, prepares and shows the start screen of a level; the flow for a new
// game, the next level and a restart.
void StartLevel(GameState& g, int level);
// F1 and the in-game menu's Restart.
void RestartLevel(GameState& g);
// Back to the running game from a menu or a dialog.
void ResumePlay(GameState& g);
// Leaves the running game (or replay) for the menus.
void LeaveGame(GameState& g);
// The quit fade: the loop ends when it is over.
void RequestQuit(GameState& g);
// Restores a saved game from a slot; false (nothing changed) when refused.
bool LoadSlot(GameState& g, int slot);
// Saves the running game into a slot; false when it could not be written.
bool SaveSlot(GameState& g, int slot);

// F10: the next free "%scapture\ScreenShot%02d.bmp"; false when it failed.
bool TakeScreenshot(GameState& g);

// Makes the play camera of the current mode the one in use.
void UsePlayCamera(GameState& g);
// The menus' camera (0, 0, 1.5).
void UseMenuCamera(GameState& g);

// The board's animation clock advances on every screen that draws the board;
// it wraps where both of its cycles (200 and 128) start again.
void AdvanceBoardClock(GameState& g);
