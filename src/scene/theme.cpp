#include "scene/theme.h"

#include "app/base/exception.h"
#include "app/base/paths.h"
#include "app/base/settingsrecord.h"
#include "engine/configfile.h"
#include "engine/draw3d.h"
#include "engine/glcontext.h"
#include "puzzle/tableau.h"
#include "scene/scenedefs.h"
#include "app/base/log.h"

#include <GL/gl.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const char* const kWheelNames[4] = {"RoueAvD", "RoueAvG", "RoueArD", "RoueArG"};

namespace {

// Never destroyed: a theme still loaded when the program ends (after an
// error report) must not give its materials back to a material list that is
// already gone.
Theme& theme = *new Theme;

const char* const kModule = "pelmo3d";

std::string ThemeDirectory(const char* dataPrefix, int number)
{
    char dir[kPathSize];
    if (!FormatPath(dir, sizeof dir, "%s%s%d/", dataPrefix ? dataPrefix : "", "data/gfx/theme", number))
        return std::string();
    return dir;
}

void ScaleToCells(Model3D& m)
{
    const float offset[3] = {0, 0, 0};
    const float scale[3] = {kCellSize, kCellSize, kCellSize};
    m.Transform(offset, scale);
    m.ComputeBoundingBox();
}

void LoadModel(Model3D& m, const char* fileName, const char* function, int line)
{
    if (!m.Load(fileName))
        Fail(FormatText("Couldn't load 3D Objet %s", fileName), function, kModule, line);
    ScaleToCells(m);
}

void LoadTextureOrThrow(GLTexture& t, const std::string& path, int line)
{
    if (!t.Load(path.c_str()))
        Fail(FormatText("Couldn't load Texture %s\n", path.c_str()), "LoadTheme", kModule, line);
}

void SetMipmapFilters(GLTexture& t, bool mipmap)
{
    t.mipmap = mipmap ? 1 : 0;
    t.SetFilters(mipmap ? kMipmapMinFilter : GL_LINEAR, GL_LINEAR);
}

// The bake reads exactly 256 × 256 RGBA texels; an RGB picture is widened
// (opaque), anything else is refused.
bool KeepDetailPixels(const GLTexture& t, std::vector<uint8_t>& out)
{
    if (!t.pixels || t.width != kDetailSize || t.height != kDetailSize)
        return false;
    const size_t n = size_t(kDetailSize) * kDetailSize;
    if (t.bytesPerPixel == 4) {
        out.assign(t.pixels, t.pixels + 4 * n);
        return true;
    }
    if (t.bytesPerPixel == 3) {
        out.resize(4 * n);
        for (size_t i = 0; i < n; ++i) {
            out[4 * i] = t.pixels[3 * i];
            out[4 * i + 1] = t.pixels[3 * i + 1];
            out[4 * i + 2] = t.pixels[3 * i + 2];
            out[4 * i + 3] = 255;
        }
        return true;
    }
    return false;
}

// Copies `source` and prepares it to morph towards `target`.
void MakeMorphInstance(Model3D& instance, Model3D& source, Model3D& target)
{
    instance.CopyFrom(source);
    SetMorph(&instance, &source, &target);
}

// "x,y,z" into up to three floats: the numbers that parse replace the
// start values, the rest keep theirs. Non-finite numbers are not taken.
void ReadFloats(VROConfigFile& cfg, const char* key, float* dst, int n)
{
    std::string value;
    if (!cfg.GetValue(key, value))
        return;
    float got[3] = {0, 0, 0};
    int count = 0;
    if (n == 3)
        count = std::sscanf(value.c_str(), "%f,%f,%f", &got[0], &got[1], &got[2]);
    else
        count = std::sscanf(value.c_str(), "%f", &got[0]);
    for (int i = 0; i < count && i < n; ++i)
        if (std::isfinite(got[i]))
            dst[i] = got[i];
}

void ReadInt(VROConfigFile& cfg, const char* key, int& dst)
{
    std::string value;
    if (!cfg.GetValue(key, value))
        return;
    const char* text = value.c_str();
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end != text && errno == 0 && v >= INT_MIN && v <= INT_MAX)
        dst = static_cast<int>(v);
}

void LightsToGL(const ThemeSettings& s, bool positionsOnly)
{
    for (int l = 0; l < 2; ++l) {
        const GLenum light = l == 0 ? GL_LIGHT0 : GL_LIGHT1;
        if (!positionsOnly) {
            glLightfv(light, GL_AMBIENT, s.lightAmbient[l]);
            glLightfv(light, GL_DIFFUSE, s.lightDiffuse[l]);
            glEnable(light);
        }
        glLightfv(light, GL_POSITION, s.lightPosition[l]);
    }
}

void LoadThemeFiles(Theme& t, int index, const char* dataPrefix, const Settings& settings)
{
    if (index < 0 || index >= t.count)
        Fail("bad theme number", "LoadTheme", kModule, __LINE__);
    const std::string dir = ThemeDirectory(dataPrefix, index + 1);
    if (dir.empty() || dir.size() + 32 >= kPathSize)
        Fail("bad theme number", "LoadTheme", kModule, __LINE__);
    SetObjectPath((dir + "3d/").c_str());
    SetTexturePath((dir + "texture/").c_str());
    const bool mipmap = settings.MipMapping != 0;
    SetMipMapping(mipmap ? 1 : 0);
    const std::string texDir = dir + "texture/";

    t.settings = ThemeSettings();
    LoadThemeConfigFile(dir.c_str(), t.settings);
    SetGameLights();

    {
        const std::string path = texDir + "bordure.png";
        if (!t.border.Load(path.c_str()))
            Fail(FormatText("Fichier Texture %s introuvable", path.c_str()), "LoadTheme", kModule, __LINE__);
        t.border.wrapS = t.border.wrapT = GL_REPEAT;
        SetMipmapFilters(t.border, mipmap);
        t.border.Upload();
    }

    const GLenum clampT = glExtensions.edgeClamp ? GL_CLAMP_TO_EDGE : GL_CLAMP;
    for (int i = 0; i < kWallPieceCount; ++i) {
        LoadModel(t.walls[i], kWallPieces[i].model, "LoadTheme", __LINE__);
        for (auto* n = t.walls[i].materials.head; n; n = n->next) {
            GLTexture* tex = n->value->texture;
            if (!tex)
                continue;
            tex->SetWrap(GL_CLAMP, clampT);
            tex->SetFilters(GL_LINEAR, GL_LINEAR);
        }
        if (i == 0)
            t.wallFloorSign = t.walls[0].bboxMin[1] < -0.1f * kCellSize ? -1 : 1;
    }

    LoadModel(t.explosion, "explosion.3do", "LoadTheme", __LINE__);
    // The explosion fades: its materials must blend, whatever the file says.
    for (auto* n = t.explosion.materials.head; n; n = n->next) {
        n->value->transparency = 0.5f;
        n->value->transparencyMode = 2;
        n->value->flags |= kMatTransparency;
    }
    t.explosionMaterial = t.explosion.materials.head ? t.explosion.materials.head->value : nullptr;

    LoadModel(t.car, "car.3do", "LoadTheme", __LINE__);
    LoadModel(t.carMorph, "carmorph.3do", "LoadTheme", __LINE__);
    MakeMorphInstance(t.carInstance, t.car, t.carMorph);
    if (!TakeWheels(t.carInstance, t.wheels, t.wheelPivot))
        Fail(FormatText("Couldn't load 3D Objet %s", "car.3do"), "LoadTheme", kModule, __LINE__);
    t.wheelMaterial = t.wheels[kWheelFrontRight]->material;

    LoadModel(t.floor, "sol.3do", "LoadTheme", __LINE__);
    t.floorMaterial = t.floor.objects.head ? t.floor.objects.head->material : nullptr;
    if (!t.floorMaterial)
        Fail(FormatText("Couldn't load 3D Objet %s", "sol.3do"), "LoadTheme", kModule, __LINE__);
    t.floorMaterial->transparency = 1.0f;
    t.floorMaterial->flags |= kMatTransparency;
    t.floorMaterial->transparencyMode = 5;

    char name[64];
    char morphName[64];
    for (int k = 0; k < kThemeColours; ++k) {
        std::snprintf(name, sizeof name, "objet%d.3do", k + 1);
        std::snprintf(morphName, sizeof morphName, "objet%dmorph.3do", k + 1);
        LoadModel(t.blocks[k], name, "LoadTheme", __LINE__);
        LoadModel(t.blocksMorph[k], morphName, "LoadTheme", __LINE__);
        for (int j = 0; j < kMorphPhases; ++j)
            MakeMorphInstance(t.blockInstances[k][j], t.blocks[k], t.blocksMorph[k]);
    }
    for (int k = 0; k < kThemeColours; ++k) {
        std::snprintf(name, sizeof name, "objet%don.3do", k + 1);
        std::snprintf(morphName, sizeof morphName, "objet%donmorph.3do", k + 1);
        LoadModel(t.blocksOn[k], name, "LoadTheme", __LINE__);
        LoadModel(t.blocksOnMorph[k], morphName, "LoadTheme", __LINE__);
        for (int j = 0; j < kMorphPhases; ++j)
            MakeMorphInstance(t.blockOnInstances[k][j], t.blocksOn[k], t.blocksOnMorph[k]);
    }
    LoadModel(t.bomb, "bombe.3do", "LoadTheme", __LINE__);
    LoadModel(t.special, "special.3do", "LoadTheme", __LINE__);
    // The background is a sky seen from inside: its picture is only ever
    // magnified, so mipmaps would cost the software rasteriser a third of
    // the sky's time for nothing.
    SetMipMapping(0);
    LoadModel(t.background, "fond.3do", "LoadTheme", __LINE__);
    SetMipMapping(mipmap ? 1 : 0);

    for (int k = 0; k < kThemeColours; ++k) {
        std::snprintf(name, sizeof name, "arrive%d.png", k + 1);
        LoadTextureOrThrow(t.targets[k], texDir + name, __LINE__);
        SetMipmapFilters(t.targets[k], mipmap);
        t.targets[k].Upload();
    }
    LoadTextureOrThrow(t.shadow, texDir + "shadow.png", __LINE__);
    t.shadow.Upload();
    LoadTextureOrThrow(t.shadowBomb, texDir + "shadowbomb.png", __LINE__);
    t.shadowBomb.Upload();
    LoadTextureOrThrow(t.shadowCar, texDir + "shadowcar.png", __LINE__);
    t.shadowCar.Upload();
    {
        const std::string path = texDir + "detail.png";
        LoadTextureOrThrow(t.detail, path, __LINE__);
        if (!KeepDetailPixels(t.detail, t.detailPixels))
            Fail(FormatText("Couldn't load Texture %s\n", path.c_str()), "LoadTheme", kModule, __LINE__);
        t.detail.Upload();
    }
    for (int i = 0; i < 2; ++i) {
        std::snprintf(name, sizeof name, "trace%d.png", i + 1);
        LoadTextureOrThrow(t.tracks[i], texDir + name, __LINE__);
        t.tracks[i].wrapS = t.tracks[i].wrapT = GL_CLAMP;
        t.tracks[i].Upload();
    }
    // Nothing has been morphed yet: the first draw morphs every instance.
    for (int k = 0; k < kThemeColours; ++k)
        for (int j = 0; j < kMorphPhases; ++j)
            t.blockMorphedAt[k][j] = t.blockOnMorphedAt[k][j] = -1;
    t.carMorphedAt = -1;
    t.loaded = true;
}

}  // namespace

Theme& CurrentTheme()
{
    return theme;
}

bool TakeWheels(Model3D& car, Objet3D* wheels[4], float pivots[4][3])
{
    for (int w = 0; w < 4; ++w)
        if (!(wheels[w] = car.FindObject(kWheelNames[w])))
            return false;
    for (int w = 0; w < 4; ++w) {
        wheels[w]->visible = 0;
        float mn[3], mx[3];
        wheels[w]->BoundingBox(mn, mx);
        for (int a = 0; a < 3; ++a)
            pivots[w][a] = 0.5f * (mn[a] + mx[a]);
    }
    return true;
}

void DrawWheels(Objet3D* const wheels[4], const float pivots[4][3], float angle, void (*draw)(const Objet3D*))
{
    for (int w = 0; w < 4; ++w) {
        Objet3D* wheel = wheels[w];
        if (!wheel)
            continue;
        const float* c = pivots[w];
        glPushMatrix();
        glTranslatef(c[0], c[1], c[2]);
        glRotatef(angle, 0, 0, 1);
        glTranslatef(-c[0], -c[1], -c[2]);
        wheel->visible = 1;
        draw(wheel);
        wheel->visible = 0;
        glPopMatrix();
    }
}

void InitListTheme(const char* dataPrefix)
{
    Theme& t = theme;
    t.count = 0;
    bool present[kHighestThemeNumber + 1] = {};
    for (int n = 1; n <= kHighestThemeNumber; ++n) {
        char path[kPathSize];
        if (!FormatPath(path, sizeof path, "%s%s%d/%s", dataPrefix ? dataPrefix : "", "data/gfx/theme", n, "theme.ini"))
            continue;
        if (FILE* f = std::fopen(path, "rb")) {
            std::fclose(f);
            present[n] = true;
            ++t.count;
        }
    }
    int marked = 0;
    for (int n = 1; n <= t.count; ++n)
        marked += present[n] ? 1 : 0;
    if (marked != t.count)
        Fail("les themes doivent avoir des numÈros qui se suivent !", "InitListTheme", kModule, __LINE__);
}

bool LoadThemeConfigFile(const char* themeDir, ThemeSettings& s)
{
    char path[kPathSize];
    VROConfigFile cfg;
    const bool formed = FormatPath(path, sizeof path, "%s%s", themeDir ? themeDir : "", "theme.ini");
    if (!formed || !cfg.Load(path)) {
        Warn("Configuration File %s not found\n", path);
        Fail(FormatText("Configuration File %s not found", path), "LoadThemeConfigFile", "texte", __LINE__);
    }
    ReadFloats(cfg, "Light0_Position", s.lightPosition[0], 3);
    ReadFloats(cfg, "Light0_Ambient", s.lightAmbient[0], 3);
    ReadFloats(cfg, "Light0_Diffuse", s.lightDiffuse[0], 3);
    ReadFloats(cfg, "Light1_Position", s.lightPosition[1], 3);
    ReadFloats(cfg, "Light1_Ambient", s.lightAmbient[1], 3);
    ReadFloats(cfg, "Light1_Diffuse", s.lightDiffuse[1], 3);
    ReadFloats(cfg, "BackgroundColor", s.background, 3);
    char key[64];
    for (int k = 0; k < kThemeColours; ++k) {
        std::snprintf(key, sizeof key, "BlocRotateVertical%d", k + 1);
        ReadFloats(cfg, key, s.rollVertical[k], 3);
    }
    for (int k = 0; k < kThemeColours; ++k) {
        std::snprintf(key, sizeof key, "RotationCenter%d", k + 1);
        ReadFloats(cfg, key, s.rotationCentre[k], 3);
    }
    for (int k = 0; k < kThemeColours; ++k) {
        std::snprintf(key, sizeof key, "BlocRotateHorizontal%d", k + 1);
        ReadFloats(cfg, key, s.rollHorizontal[k], 3);
    }
    ReadFloats(cfg, "ShadowColor", s.shadowColour, 3);
    ReadFloats(cfg, "ShadowStrength", &s.shadowStrength, 1);
    ReadFloats(cfg, "ReflectStrength", &s.reflectStrength, 1);
    ReadInt(cfg, "ObjetMorphType", s.blockMorphType);
    ReadInt(cfg, "CarMorphType", s.carMorphType);
    ReadInt(cfg, "ObjetTrouMorphType", s.blockOnMorphType);
    // The fourth components are fixed: directional lights, opaque colours.
    for (int l = 0; l < 2; ++l) {
        s.lightPosition[l][3] = 0;
        s.lightAmbient[l][3] = 1;
        s.lightDiffuse[l][3] = 1;
    }
    return true;
}

bool LoadTheme(int index, const char* dataPrefix, const Settings& settings)
{
    FreeTheme();
    try {
        LoadThemeFiles(theme, index, dataPrefix, settings);
    } catch (...) {
        // No half-loaded theme is left behind to be drawn or leaked.
        FreeTheme();
        throw;
    }
    theme.currentIndex = index;
    ++theme.serial;
    return true;
}

void FreeTheme()
{
    Theme& t = theme;
    // Instances first: they hold references to their sources' materials.
    for (int k = 0; k < kThemeColours; ++k)
        for (int j = 0; j < kMorphPhases; ++j) {
            t.blockInstances[k][j].Free();
            t.blockOnInstances[k][j].Free();
        }
    t.carInstance.Free();
    for (Model3D& m : t.walls)
        m.Free();
    t.car.Free();
    t.carMorph.Free();
    t.floorLevels.Free();
    t.floor.Free();
    for (int k = 0; k < kThemeColours; ++k) {
        t.blocks[k].Free();
        t.blocksMorph[k].Free();
        t.blocksOn[k].Free();
        t.blocksOnMorph[k].Free();
    }
    t.bomb.Free();
    t.special.Free();
    t.explosion.Free();
    t.background.Free();
    for (GLTexture& tex : t.targets)
        tex.Reset();
    t.border.Reset();
    t.detail.Reset();
    std::vector<uint8_t>().swap(t.detailPixels);
    t.shadow.Reset();
    t.shadowBomb.Reset();
    t.shadowCar.Reset();
    for (GLTexture& tex : t.tracks)
        tex.Reset();
    for (auto& w : t.wheels)
        w = nullptr;
    t.wheelMaterial = t.floorMaterial = t.explosionMaterial = nullptr;
    t.loaded = false;
    t.currentIndex = -1;
}

void SetGameLights()
{
    LightsToGL(theme.settings, false);
}

void SetGameLightPositions()
{
    LightsToGL(theme.settings, true);
}

void CopyThemeToPuzzle(Puzzle& p)
{
    const ThemeSettings& s = theme.settings;
    for (int k = 0; k < kThemeColours && k < kMaxColours; ++k)
        for (int a = 0; a < 3; ++a) {
            p.rollVertical[k][a] = s.rollVertical[k][a];
            p.rollHorizontal[k][a] = s.rollHorizontal[k][a];
            p.rotationCentre[k][a] = s.rotationCentre[k][a];
        }
    p.wheelAngle = 0;
}
