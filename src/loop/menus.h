#pragma once
// The game's four menus and what their choices do.
#include "state/gamestate.h"
#include "app/base/settingsrecord.h"

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

// The options menu's "Back" belongs to the application (a new resolution
// rebuilds everything in GL, then "game.ini" is written): the start-up
// hands it over.
using OptionsApplier = void (*)(GameState& g);
void SetOptionsApplier(OptionsApplier apply);
