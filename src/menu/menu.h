#pragma once
// The menu layer: the game's four menus and what their choices do, over the
// screens (menu/screens.h) they open. What a choice asks of the game's flow
// (a new game, the quit fade, applying the options …) is reported as a
// ScreenAction, which the frame loop carries out.
#include "menu/screens.h"

// Builds the main, game, options and in-game menus from the language's
// texts, shows each option's value from the settings and lays them out;
// the menu that was current is current again afterwards (the main menu when
// none was). The resolutions offered are g.displayModes, to which the size
// in use is added when it is missing. Also sets the pending resolution to
// the one in use.
void BuildMenus(GameState& g);
void FreeMenus(GameState& g);

// One frame of the menu screen: the current menu's input, its sound and
// the choice made. The options' values and the dialogs are handled here;
// the rest is returned for the loop.
ScreenAction MenuAction(GameState& g);
