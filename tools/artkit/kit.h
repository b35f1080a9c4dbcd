#pragma once
// The art kit: every picture, model, sound, music track and settings file
// of the game's default data, made from code. Each generator writes below
// an output directory that stands for the game's "data/" directory.
#include "engine/format3do.h"
#include "geom.h"
#include "image.h"

#include <stdexcept>
#include <string>
#include <utility>

// Thrown by the generators; the tool prints it and fails.
struct KitError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Creates the directory and its parents.
void MakeKitDir(const std::string& dir);
void WriteKitText(const std::string& path, const std::string& text);
void WriteKitModel(const std::string& path, const Model3doFile& model);
void WriteKitImage(const std::string& path, const Canvas& canvas, int channels);
void WriteKitBytes(const std::string& path, const std::string& bytes);

// A material record: lit and smooth unless told otherwise.
struct MaterialParams {
    MaterialParams(std::string n, Rgba amb, Rgba diff, std::string tex = std::string())
            : name(std::move(n)), ambient(amb), diffuse(diff), texture(std::move(tex))
    {}
    std::string name;
    Rgba ambient = Rgb(1, 1, 1);
    Rgba diffuse = Rgb(1, 1, 1);
    std::string texture;
    bool lit = true;
    bool twoSided = false;
    double transparency = 1.0;
};
Model3doMaterial MakeMaterial(const MaterialParams& params);

// Size of the wall textures (mur.png, murhaut.png). The game draws walls
// clamped and without mipmaps: small textures keep them from shimmering.
constexpr int kWallTextureSize = 64;

// Block colours, index 0 to 4 (file numbers 1 to 5); targets use the same.
Rgba BlockColour(int index);

// The generators; `data` is the data directory.
void GenerateThemeModels(const std::string& data);
void GenerateThemeTextures(const std::string& data);
void GenerateThemeConfig(const std::string& data);
void GenerateMenuScene(const std::string& data);
void GenerateImages2D(const std::string& data);
// The desktop's icon in the sizes of the hicolor theme:
// dir/hicolor/<n>x<n>/apps/pondrake.png.
void GenerateDesktopIcons(const std::string& dir);
void GenerateFontConfig(const std::string& data);
void GenerateSounds(const std::string& data);
// Music: every track, or only track `only` (0 menu, 1 to 4 game).
void GenerateMusic(const std::string& data, int only = -1);
int MusicTrackCount();

// Shared by the game car and the menu car: the whole car in one model.
// `detail` kBoardCarDetail for the board, where the car fills about a cell
// on the screen, kMenuCarDetail for the close-up in the menus; `prefix`
// makes the material names (materials are shared by name in the game).
// `bounce` lifts the body for the morph target.
constexpr double kBoardCarDetail = 0.25, kMenuCarDetail = 1.5;
Model3doFile BuildCar(double detail, const std::string& prefix, double bounce);

// A sphere seen from inside with an equirectangular picture (v = 0 at the
// zenith), for the backgrounds.
Model3doFile BuildSkySphere(double radius, const std::string& material, const std::string& texture);

// Pictures shared by both cars.
Canvas CarBodyTexture(int w, int h);
Canvas CarCabinTexture(int w, int h);
Canvas WheelTexture(int w, int h);
Canvas CarShadowTexture(int size);
