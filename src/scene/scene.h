#pragma once
// Scene set-up and the 3D picture behind the menus: the menu car on its
// scrolling floor, the game's logo, the turning background, the menu light
// and the mouse pointer's texture. Everything here comes from
// "data/gfx/3d/" (and the pointer from "data/gfx/2d/"), never from a theme.
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"

#include <vector>

struct Settings;

// The menu floor cut into a grid of cells whose vertices carry its shadow
// as their colour, so the floor draws in one texture unit; the cells the
// shadow covers completely are left out (they would come out black, as the
// menu scene clears). Built from the shadow's pixels when they load.
struct MenuFloorMesh {
    std::vector<float> xyz, rgba, uv;  // uv: the shadow's; the floor's scroll by the texture matrix
    std::vector<GLuint> triangles;
    bool Built() const { return !xyz.empty(); }
};

struct SceneState {
    // Menu animation.
    float menuClock = 0;        // M, wraps at 128
    float carSwing = 0;         // degrees
    float backgroundAngle = 0;  // degrees; the board's background turns by it too
    bool showCar = true;

    // Loaded by InitPelmo3D, freed by FreeScene.
    bool sceneLoaded = false;
    Model3D menuBackground;  // "fondmenu.3do"
    GLTexture pointer;       // may stay empty: the pointer then draws untextured
    GLTexture menuFloor, menuFloorShadow, menuCarShadow;
    MipLevels menuFloorLevels;    // the floor texture's levels, for its mesh drawn cell by cell
    MenuFloorMesh menuFloorMesh;  // empty: the shadow goes on as a texture

    // Loaded by InitObjetMenu, freed by FreeMenuObjects.
    bool menuObjectsLoaded = false;
    Model3D menuCar, menuCarMorph, menuCarInstance;
    Objet3D* menuWheels[4] = {};
    float menuWheelPivot[4][3] = {};
    Material* menuWheelMaterial = nullptr;
    Model3D logo, logoMorph, logoInstance;
};

SceneState& CurrentScene();

// Scene set-up (start-up, and after a change of resolution): frees any
// theme still loaded, resets the menu animation, loads the menu background,
// the pointer and the menu floor textures. Throws Exception ("pelmo3d") when
// a model or one of the floor textures is missing; a missing pointer is not
// an error.
void InitPelmo3D(const char* dataPrefix, const Settings& settings);
// Frees what InitPelmo3D loaded. Safe to call twice, and before the window is
// re-created.
void FreeScene();

// Loads the menu car and the logo (freeing them first if they are loaded).
// Throws Exception ("pelmo3d") on a missing model or a car without its four
// wheels.
void InitObjetMenu(const char* dataPrefix);
void FreeMenuObjects();

// One frame of the menu animation: the car is shown on the main and game
// menus (showCar), the background turns, the clock runs, the car swings.
void AdvanceMenuScene(float dt, bool showCar);
// Clears to black and draws the menu picture; the logo only when asked and loaded.
// Draws nothing of the car or logo while they are released. With a stencil in
// the context the car and the logo go before the floor.
void DrawMenuScene(const GLContext& context, bool showLogo);
// Light 0 white from the viewer's side, light 1 off.
void SetMenuLights();

// The pointer texture when it loaded, else null.
const GLTexture* PointerTexture();
