#pragma once
// The graphic theme: every model, texture and "theme.ini" setting of one
// directory "data/gfx/theme<n>/". The scene owns the one loaded theme; the
// board renderer and the morph cycles read it, nothing else loads files.
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "puzzle/wallpieces.h"

#include <cstdint>
#include <vector>

struct Settings;
struct Puzzle;

constexpr int kThemeColours = 5;
constexpr int kMorphPhases = 4;  // instances per colour, so neighbours pulse out of step
constexpr int kHighestThemeNumber = 1;

// Wheel names of the car models and the order the pivots are kept in.
enum WheelIndex : int { kWheelFrontRight = 0, kWheelFrontLeft = 1, kWheelRearRight = 2, kWheelRearLeft = 3 };
extern const char* const kWheelNames[4];

// Finds the four wheels of a car instance, hides them from the body's draw
// and keeps the centre of each one's box as the pivot it turns about. False
// when one is missing.
bool TakeWheels(Model3D& car, Objet3D* wheels[4], float pivots[4][3]);
// Draws the wheels TakeWheels hid, each turned by `angle` degrees about z
// through its pivot, with the board's or the menu's object drawing; hidden
// again afterwards. Missing wheels are skipped.
void DrawWheels(Objet3D* const wheels[4], const float pivots[4][3], float angle, void (*draw)(const Objet3D*));

// What "theme.ini" says. The lights are kept here and handed to GL from
// here every time: the menu light writes GL's light 0 but never these.
struct ThemeSettings {
    // Per light: position (w 0: directional), ambient and diffuse (alpha 1).
    float lightPosition[2][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}};
    float lightAmbient[2][4] = {{0, 0, 0, 1}, {0, 0, 0, 1}};
    float lightDiffuse[2][4] = {{0, 0, 0, 1}, {0, 0, 0, 1}};
    float background[3] = {0, 0, 0};
    float rollVertical[kThemeColours][3] = {};
    float rollHorizontal[kThemeColours][3] = {};
    float rotationCentre[kThemeColours][3] = {};
    float shadowColour[3] = {0, 0, 0};
    float shadowStrength = 0;
    float reflectStrength = 0;
    int blockMorphType = 0;  // 0 sine, else saw-tooth
    int carMorphType = 0;
    int blockOnMorphType = 0;
};

struct Theme {
    bool loaded = false;
    int count = 0;          // theme directories found by InitListTheme
    int currentIndex = -1;  // -1: none in use
    int serial = 0;         // grows with every load, so the renderer knows its lists are stale
    ThemeSettings settings;

    Model3D walls[kWallPieceCount];  // piece i for wall code 20 + i
    Model3D car, carMorph, carInstance;
    Objet3D* wheels[4] = {};  // objects of carInstance
    float wheelPivot[4][3] = {};
    Material* wheelMaterial = nullptr;
    Model3D floor;
    Material* floorMaterial = nullptr;
    MipLevels floorLevels;  // the floor texture's levels, for the floor drawn cell by cell
    Model3D blocks[kThemeColours], blocksMorph[kThemeColours];
    Model3D blocksOn[kThemeColours], blocksOnMorph[kThemeColours];
    Model3D blockInstances[kThemeColours][kMorphPhases];
    Model3D blockOnInstances[kThemeColours][kMorphPhases];
    Model3D bomb, special, explosion, background;
    Material* explosionMaterial = nullptr;

    GLTexture border;
    GLTexture targets[kThemeColours];
    GLTexture shadow, shadowBomb, shadowCar;
    GLTexture detail;                   // the baked detail layer
    std::vector<uint8_t> detailPixels;  // "detail.png" as 256 × 256 RGBA
    GLTexture tracks[2];

    int wallFloorSign = 1;  // -1 when the first wall piece reaches below the floor

    // Morph weights of this frame (UpdateMorphs) and the weight each
    // instance's arrays were last morphed to, so an instance is rewritten
    // only when it is drawn with a new weight.
    float blockWeight[kThemeColours][kMorphPhases] = {};
    float blockOnWeight[kThemeColours][kMorphPhases] = {};
    float carWeight = 0;
    float blockMorphedAt[kThemeColours][kMorphPhases] = {};
    float blockOnMorphedAt[kThemeColours][kMorphPhases] = {};
    float carMorphedAt = 0;
};

// The scene's one theme.
Theme& CurrentTheme();

// Counts the theme directories "<prefix>data/gfx/theme<n>/theme.ini". Throws
// when the numbers found do not follow each other from 1.
void InitListTheme(const char* dataPrefix);

// Frees any loaded theme, then loads theme `index` (0-based) completely.
// Throws Exception ("pelmo3d" or "texte") on any missing or bad file.
bool LoadTheme(int index, const char* dataPrefix, const Settings& settings);

// Reads "<themeDir>theme.ini" into `out`. A key the file lacks leaves the
// value `out` had; a three-number key given fewer numbers keeps the rest.
// Throws when the file cannot be read.
bool LoadThemeConfigFile(const char* themeDir, ThemeSettings& out);

// Frees every model and texture of the loaded theme; nothing when none is
// loaded. Safe before the window is re-created: GL names of an older context
// are never deleted in a new one.
void FreeTheme();

// The theme's lights into GL lights 0 and 1 (both on); the positions are
// taken under the current modelview matrix.
void SetGameLights();
// Only the two positions again, under the current modelview matrix.
void SetGameLightPositions();

// The theme's rolls and rotation centres into the puzzle, and the wheel
// angle back to 0.
void CopyThemeToPuzzle(Puzzle& p);
