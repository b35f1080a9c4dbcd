#pragma once
// The frame loop: one pass per frame measures the time, polls the input,
// draws the screen ScreenState names and runs the game while a level is
// played. Also the game's flow between screens: starting, restarting and
// leaving levels, the won level, solution replays, saved games.
#include "app/gamestate.h"
#include "menu/screens.h"

#include <cstdint>

// The clock the loop reads (SDL_GetTicks unless a test sets another).
using FrameClock = uint32_t (*)();
void SetFrameClock(FrameClock clock);

// Runs passes until the player has quit and the fade has ended.
void RunFrameLoop();
// One pass; false when the loop should end.
bool RunFrame();

// The play screen's per-frame update.
void UpdateGame(GameState& g);

// Carries out what a screen asked for.
void ApplyScreenAction(GameState& g, const ScreenAction& action);
