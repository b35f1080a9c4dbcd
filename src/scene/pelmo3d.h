#pragma once
// The 3D scene: themes, the board renderer, the morph cycles, the menu scene
// and the intro logo.
//
// The frame loop owns the clock, the camera and the puzzle; the scene reads
// them through explicit arguments and owns only what it loads (the theme,
// the menu objects, the scene textures) and its scenery lists.
//
// Resolution change: call FreeTheme, FreeMenuObjects and FreeScene before
// the window is re-created, then InitPelmo3D, InitObjetMenu (and LoadTheme
// when a game is in progress) after. No GL name of the old context is used
// or deleted in the new one.
#include "scene/board.h"
#include "scene/intro.h"
#include "scene/morph.h"
#include "scene/scene.h"
#include "scene/scenedefs.h"
#include "scene/theme.h"
