#pragma once
// The game's four menus and what their choices do.
#include "app/gamestate.h"
#include "app/videomode.h"

#include <vector>

// The resolutions the options offer (built once at start-up).
extern std::vector<DisplayMode> modeList;

// Builds the main, game, options and in-game menus from the language's
// texts, shows each option's value from the settings and lays them out.
// Also sets the pending resolution to the one in use.
int BuildMenus(GameState& g);
void FreeMenus(GameState& g);

// One frame of the menu screen: the current menu's input and its action.
void MenuAction(GameState& g);

// The options menu's "Back": applies a new resolution, then writes
// "game.ini" (with the player's own Sound and Music values).
void ApplyOptions(GameState& g);

// Writes "game.ini"; without an audio device the player's own Sound and
// Music values are written, not the zeros this run is forced to.
bool SaveSettings(GameState& g);
