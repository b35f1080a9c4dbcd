#include "scene/scene.h"

#include "app/base/exception.h"
#include "app/base/paths.h"
#include "app/base/settingsrecord.h"
#include "engine/draw3d.h"
#include "scene/theme.h"

#include <GL/gl.h>

#include <algorithm>
#include <functional>
#include <cmath>
#include <string>

namespace {

// Never destroyed, like the theme: its models hold material references.
SceneState& scene = *new SceneState;

// The background angle wraps where both its turn (360°) and the car's swing
// (a period of 12.8°) come round together.
constexpr float kBackgroundAngleWrap = 2880.0f;

std::string MenuDirectory(const char* dataPrefix)
{
    char dir[kPathSize];
    if (!FormatPath(dir, sizeof dir, "%s%s", dataPrefix ? dataPrefix : "", "data/gfx/3d/"))
        return std::string();
    return dir;
}

const char* const kModule = "pelmo3d";

// The menu floor: a square of 8 centred under the car, its texture once
// across it.
constexpr float kFloorHalf = 4.0f;
// Cells along each side of the floor's mesh: with their shades fitted,
// enough for a shadow as soft as the game's to look as the texture does (a
// harder edge would want more); every cell edge costs the software
// rasteriser the blocks along it shaded twice.
constexpr int kFloorCells = 16;

// Texel (x, y) of the shadow's alpha, wrapped as GL_REPEAT wraps it; an
// image without alpha is opaque, as OpenGL takes it.
float ShadowTexel(const GLTexture& t, int x, int y)
{
    const int w = int(t.width), h = int(t.height);
    x = (x % w + w) % w;
    y = (y % h + h) % h;
    return t.bytesPerPixel == 4 ? t.pixels[(size_t(y) * t.width + size_t(x)) * 4 + 3] / 255.0f : 1.0f;
}

// The shadow's alpha at (u, v), filtered as GL_LINEAR filters it.
float ShadowAlpha(const GLTexture& t, float u, float v)
{
    const float x = u * float(t.width) - 0.5f, y = v * float(t.height) - 0.5f;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    const float top = ShadowTexel(t, x0, y0) * (1 - fx) + ShadowTexel(t, x0 + 1, y0) * fx;
    const float bottom = ShadowTexel(t, x0, y0 + 1) * (1 - fx) + ShadowTexel(t, x0 + 1, y0 + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

// Whether any texel GL_LINEAR reads within [u0, u1] × [v0, v1] lets the
// floor show through.
bool ShadowOpenIn(const GLTexture& t, float u0, float v0, float u1, float v1)
{
    const int x0 = int(std::floor(u0 * float(t.width) - 0.5f)), x1 = int(std::floor(u1 * float(t.width) - 0.5f)) + 1;
    const int y0 = int(std::floor(v0 * float(t.height) - 0.5f)), y1 = int(std::floor(v1 * float(t.height) - 0.5f)) + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (ShadowTexel(t, x, y) < 1)
                return true;
    return false;
}

void BuildFloorMesh(const GLTexture& shadow, MenuFloorMesh& mesh)
{
    mesh = MenuFloorMesh();
    if (!shadow.pixels || shadow.width == 0 || shadow.height == 0)
        return;
    const int n = kFloorCells;
    // 1 − the shadow's alpha at grid point (i, j), or between grid points.
    const auto sampled = [&](float i, float j) { return 1 - ShadowAlpha(shadow, i / n, j / n); };
    std::vector<float> light;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            // Shading drawn straight between vertices misses the shadow's
            // curve: each vertex moves by the mean miss at the middles of its
            // edges and cells, which halves the largest miss or better.
            float miss = 0;
            int middles = 0;
            for (int dj = -1; dj <= 1; ++dj)
                for (int di = -1; di <= 1; ++di) {
                    const int i2 = i + di, j2 = j + dj;
                    if ((di == 0 && dj == 0) || i2 < 0 || j2 < 0 || i2 > n || j2 > n)
                        continue;
                    const float corners = sampled(i, j) + sampled(i2, j2) + sampled(i, j2) + sampled(i2, j);
                    miss += sampled(i + di / 2.0f, j + dj / 2.0f) - corners / 4;
                    ++middles;
                }
            light.push_back(std::min(1.0f, std::max(0.0f, sampled(i, j) + miss / middles)));
            const float u = float(i) / n, v = float(j) / n;
            mesh.xyz.insert(mesh.xyz.end(), {kFloorHalf * (2 * u - 1), 0, kFloorHalf * (2 * v - 1)});
            mesh.rgba.insert(mesh.rgba.end(), {light.back(), light.back(), light.back(), 1});
            mesh.uv.insert(mesh.uv.end(), {u, v});
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const float u0 = float(i) / n, v0 = float(j) / n, u1 = float(i + 1) / n, v1 = float(j + 1) / n;
            if (!ShadowOpenIn(shadow, u0, v0, u1, v1))
                continue;
            const GLuint a = GLuint(j * (n + 1) + i), b = a + 1, c = a + GLuint(n + 1), d = c + 1;
            // Cut along the diagonal whose mean shade is nearer the cell's
            // middle: the curve of the shadow's edge then bends the right way.
            const float middle = sampled(i + 0.5f, j + 0.5f);
            if (std::fabs((light[a] + light[d]) / 2 - middle) <= std::fabs((light[b] + light[c]) / 2 - middle))
                mesh.triangles.insert(mesh.triangles.end(), {a, b, d, a, d, c});
            else
                mesh.triangles.insert(mesh.triangles.end(), {a, b, c, b, d, c});
        }
}

// With `floorMesh`, the texture is the floor's shadow: the mesh is built
// from its pixels, which the upload releases.
void LoadMenuTexture(GLTexture& t, const std::string& path, bool mipmap, int line, MenuFloorMesh* floorMesh = nullptr)
{
    if (!t.Load(path.c_str()))
        Fail(FormatText("Couldn't load Texture %s\n", path.c_str()), "InitPelmo3D", kModule, line);
    if (floorMesh)
        BuildFloorMesh(t, *floorMesh);
    t.mipmap = mipmap ? 1 : 0;
    t.SetFilters(mipmap ? kMipmapMinFilter : GL_LINEAR, GL_LINEAR);
    t.Upload();
}

// A corner of a piece of the menu floor's mesh.
struct FloorCorner {
    float xyz[3], rgba[4], uv[2];
};

FloorCorner Halfway(const FloorCorner& a, const FloorCorner& b)
{
    FloorCorner m;
    for (int k = 0; k < 3; ++k)
        m.xyz[k] = (a.xyz[k] + b.xyz[k]) / 2;
    for (int k = 0; k < 4; ++k)
        m.rgba[k] = (a.rgba[k] + b.rgba[k]) / 2;
    for (int k = 0; k < 2; ++k)
        m.uv[k] = (a.uv[k] + b.uv[k]) / 2;
    return m;
}

// The floor's mesh with the floor texture bound, each triangle sampled from
// the level the mipmapped texture would give it, the triangles of a level in
// one draw, so the software rasteriser has no level to work out per pixel.
// An edge whose ends want different levels is cut at its middle (twice at
// most) so that the change of level follows where the mipmapped texture
// makes it: the floor's thin lines would show a step otherwise. The cut
// keeps the shading, which is straight between corners.
void DrawFloorMesh(SceneState& s)
{
    const MenuFloorMesh& mesh = s.menuFloorMesh;
    if (!s.menuFloorLevels.Follow(s.menuFloor)) {
        DrawElements3DTexColor(GL_TRIANGLES, mesh.xyz.data(), mesh.rgba.data(), mesh.uv.data(), mesh.triangles.data(),
                               mesh.triangles.size());
        return;
    }
    // Two cuts leave a level's steps within a quarter of a cell's side; a third
    // costs the small windows more triangles than the levels save.
    constexpr int kLevelCuts = 2;
    const MipView view = MipView::Current();
    const int levels = s.menuFloorLevels.Count();
    // The floor texture spans the floor once (scrolled along s).
    const float alongS[3] = {2 * kFloorHalf, 0, 0}, alongT[3] = {0, 0, 2 * kFloorHalf};
    struct Batch {
        std::vector<float> xyz, rgba, uv;
    };
    static Batch batches[kMaxMipLevels];
    for (Batch& b : batches)
        b.xyz.clear(), b.rgba.clear(), b.uv.clear();
    const auto levelAt = [&](const float p[3]) { return view.LevelAt(p, alongS, alongT, s.menuFloor, levels); };
    // An edge is cut where its two ends want different levels, which both
    // triangles that share it see alike, so no corner of one lies on the
    // side of the other and no crack opens between them.
    const std::function<void(const FloorCorner&, const FloorCorner&, const FloorCorner&, int)> add =
        [&](const FloorCorner& a, const FloorCorner& b, const FloorCorner& c, int cuts) {
            const int la = levelAt(a.xyz), lb = levelAt(b.xyz), lc = levelAt(c.xyz);
            const bool cutAB = cuts > 0 && la != lb, cutBC = cuts > 0 && lb != lc, cutCA = cuts > 0 && lc != la;
            if (cutAB && cutBC && cutCA) {
                const FloorCorner ab = Halfway(a, b), bc = Halfway(b, c), ca = Halfway(c, a);
                add(a, ab, ca, cuts - 1);
                add(ab, b, bc, cuts - 1);
                add(ca, bc, c, cuts - 1);
                add(ab, bc, ca, cuts - 1);
                return;
            }
            // Two cut edges: the corner between them is cut off, and the
            // rest split across; one: the triangle is split from its middle
            // to the opposite corner. Each turned so that its cut edges
            // come first.
            if (cutAB && cutBC) {
                const FloorCorner ab = Halfway(a, b), bc = Halfway(b, c);
                add(ab, b, bc, cuts - 1);
                add(a, ab, bc, cuts - 1);
                add(a, bc, c, cuts - 1);
                return;
            }
            if (cutBC && cutCA)
                return add(b, c, a, cuts);
            if (cutCA && cutAB)
                return add(c, a, b, cuts);
            if (cutAB) {
                const FloorCorner ab = Halfway(a, b);
                add(a, ab, c, cuts - 1);
                add(ab, b, c, cuts - 1);
                return;
            }
            if (cutBC)
                return add(b, c, a, cuts);
            if (cutCA)
                return add(c, a, b, cuts);
            float middle[3];
            for (int k = 0; k < 3; ++k)
                middle[k] = (a.xyz[k] + b.xyz[k] + c.xyz[k]) / 3;
            Batch& batch = batches[levelAt(middle)];
            for (const FloorCorner* corner : {&a, &b, &c}) {
                batch.xyz.insert(batch.xyz.end(), corner->xyz, corner->xyz + 3);
                batch.rgba.insert(batch.rgba.end(), corner->rgba, corner->rgba + 4);
                batch.uv.insert(batch.uv.end(), corner->uv, corner->uv + 2);
            }
        };
    const auto cornerOf = [&](GLuint v) {
        FloorCorner c;
        std::copy_n(mesh.xyz.begin() + long(3 * v), 3, c.xyz);
        std::copy_n(mesh.rgba.begin() + long(4 * v), 4, c.rgba);
        std::copy_n(mesh.uv.begin() + long(2 * v), 2, c.uv);
        return c;
    };
    for (size_t i = 0; i + 3 <= mesh.triangles.size(); i += 3)
        add(cornerOf(mesh.triangles[i]), cornerOf(mesh.triangles[i + 1]), cornerOf(mesh.triangles[i + 2]), kLevelCuts);
    static std::vector<GLuint> order;
    for (int level = 0; level < levels; ++level) {
        const Batch& b = batches[level];
        const size_t n = b.xyz.size() / 3;
        if (n == 0)
            continue;
        while (order.size() < n)
            order.push_back(GLuint(order.size()));
        s.menuFloorLevels.Bind(level);
        DrawElements3DTexColor(GL_TRIANGLES, b.xyz.data(), b.rgba.data(), b.uv.data(), order.data(), n);
    }
    s.menuFloor.Bind();
}

// Opaque objects first, then the transparent ones, with the menu's variant
// of the object drawing.
void DrawModelMenu(const Model3D& m)
{
    for (const Objet3D* o = m.objects.head; o; o = o->next)
        if (!(o->material && (o->material->flags & kMatTransparency)))
            DrawObjectMenu(o);
    for (const Objet3D* o = m.objects.head; o; o = o->next)
        if (o->material && (o->material->flags & kMatTransparency))
            DrawObjectMenu(o);
}

void GroundQuad(float half, float u0, float v0, float u1, float v1)
{
    const float xyz[12] = {-half, 0, -half, half, 0, -half, -half, 0, half, half, 0, half};
    const float uv[8] = {u0, v0, u1, v0, u0, v1, u1, v1};
    DrawQuad3DTex(xyz, uv);
}

void LoadMenuObjects(SceneState& s)
{
    if (!s.menuCar.Load("carmenu.3do"))
        Fail(FormatText("Couldn't load 3D Objet %s", "carmenu.3do"), "InitObjetMenu", kModule, __LINE__);
    if (!s.menuCarMorph.Load("carmenumorph.3do"))
        Fail(FormatText("Couldn't load 3D Objet %s", "carmenumorph.3do"), "InitObjetMenu", kModule, __LINE__);
    s.menuCarInstance.CopyFrom(s.menuCar);
    SetMorph(&s.menuCarInstance, &s.menuCar, &s.menuCarMorph);
    if (!TakeWheels(s.menuCarInstance, s.menuWheels, s.menuWheelPivot))
        Fail(FormatText("Couldn't load 3D Objet %s", "carmenu.3do"), "InitObjetMenu", kModule, __LINE__);
    s.menuWheelMaterial = s.menuWheels[kWheelFrontRight]->material;

    if (!s.logo.Load("logo.3do"))
        Fail(FormatText("Couldn't load 3D Objet %s", "logo.3do"), "InitObjetMenu", kModule, __LINE__);
    if (!s.logoMorph.Load("logomorph.3do"))
        Fail(FormatText("Couldn't load 3D Objet %s", "logomorph.3do"), "InitObjetMenu", kModule, __LINE__);
    float mn[3], mx[3];
    s.logo.ComputeBoundingBox(mn, mx);
    float centre[3], scale[3];
    for (int a = 0; a < 3; ++a) {
        centre[a] = 0.5f * (mn[a] + mx[a]);
        const float extent = mx[a] - mn[a];
        // A logo flat on one axis keeps its size there.
        scale[a] = extent > 0 ? 0.4f / extent : 1.0f;
    }
    s.logo.Transform(centre, scale);
    s.logoMorph.Transform(centre, scale);
    s.logo.ComputeBoundingBox();
    s.logoMorph.ComputeBoundingBox();
    s.logoInstance.CopyFrom(s.logo);
    SetMorph(&s.logoInstance, &s.logo, &s.logoMorph);
}

}  // namespace

SceneState& CurrentScene()
{
    return scene;
}

void InitPelmo3D(const char* dataPrefix, const Settings& settings)
{
    // Whatever theme was loaded belongs to the scene being replaced.
    FreeTheme();
    FreeScene();
    SceneState& s = scene;
    s.menuClock = 0;
    s.carSwing = 0;
    s.backgroundAngle = 0;
    s.showCar = true;

    const std::string dir = MenuDirectory(dataPrefix);
    SetObjectPath(dir.c_str());
    SetTexturePath(dir.c_str());
    const bool mipmap = settings.MipMapping != 0;
    try {
        char path[kPathSize];
        SetMipMapping(0);
        if (FormatPath(path, sizeof path, "%s%s", dataPrefix ? dataPrefix : "", "data/gfx/2d/pointeur.png") &&
            s.pointer.Load(path)) {
            s.pointer.mipmap = 0;
            s.pointer.SetFilters(GL_LINEAR, GL_LINEAR);
            s.pointer.Upload();
        } else {
            s.pointer.Reset();
        }
        // Only ever magnified, like the board's sky: no mipmaps.
        if (!s.menuBackground.Load("fondmenu.3do"))
            Fail(FormatText("Couldn't load 3D Objet %s", "fondmenu.3do"), "InitPelmo3D", kModule, __LINE__);
        SetMipMapping(mipmap ? 1 : 0);
        LoadMenuTexture(s.menuFloor, dir + "solmenu.png", mipmap, __LINE__);
        LoadMenuTexture(s.menuFloorShadow, dir + "solmenushadow.png", false, __LINE__, &s.menuFloorMesh);
        LoadMenuTexture(s.menuCarShadow, dir + "shadowcar.png", false, __LINE__);
    } catch (...) {
        SetMipMapping(mipmap ? 1 : 0);
        FreeScene();
        throw;
    }
    s.sceneLoaded = true;
}

void FreeScene()
{
    SceneState& s = scene;
    s.menuBackground.Free();
    s.pointer.Reset();
    s.menuFloorLevels.Free();
    s.menuFloor.Reset();
    s.menuFloorShadow.Reset();
    s.menuFloorMesh = MenuFloorMesh();
    s.menuCarShadow.Reset();
    s.sceneLoaded = false;
}

void InitObjetMenu(const char* dataPrefix)
{
    FreeMenuObjects();
    SceneState& s = scene;
    const std::string dir = MenuDirectory(dataPrefix);
    SetObjectPath(dir.c_str());
    SetTexturePath(dir.c_str());
    const int mipmap = GetMipMapping();
    SetMipMapping(0);
    try {
        LoadMenuObjects(s);
    } catch (...) {
        SetMipMapping(mipmap);
        FreeMenuObjects();
        throw;
    }
    SetMipMapping(mipmap);
    s.menuObjectsLoaded = true;
}

void FreeMenuObjects()
{
    SceneState& s = scene;
    s.menuCarInstance.Free();
    s.menuCar.Free();
    s.menuCarMorph.Free();
    s.logoInstance.Free();
    s.logo.Free();
    s.logoMorph.Free();
    for (auto& w : s.menuWheels)
        w = nullptr;
    s.menuWheelMaterial = nullptr;
    s.menuObjectsLoaded = false;
}

void AdvanceMenuScene(float dt, bool showCar)
{
    SceneState& s = scene;
    if (!(dt >= 0) || !std::isfinite(dt))
        dt = 0;
    s.showCar = showCar;
    s.backgroundAngle = std::fmod(s.backgroundAngle + 0.05f * dt, kBackgroundAngleWrap);
    // Everything driven by M has a period of 128.
    s.menuClock = std::fmod(s.menuClock + dt, 128.0f);
    s.carSwing = 40.0f * std::cos(s.backgroundAngle * 10.0f * float(M_PI) / 64.0f);
}

void DrawMenuScene(const GLContext& context, bool showLogo)
{
    SceneState& s = scene;
    // With a stencil the car and the logo go before the floor, which is then
    // textured only where they leave it in view, and its marks keep to that.
    const bool carScene = s.showCar && s.menuObjectsLoaded;
    const bool modelsFirst = carScene && context.stencilBits > 0;
    // Black: the floor's mesh leaves out what its shadow blackens.
    glClearColor(0, 0, 0, 1);
    if (modelsFirst)
        glStencilMask(~0u);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | (modelsFirst ? GL_STENCIL_BUFFER_BIT : 0));
    const float M = s.menuClock;
    const auto drawLogo = [&] {
        if (!showLogo || !s.menuObjectsLoaded)
            return;
        Morph(&s.logoInstance, (std::sin(M * float(M_PI) / 64.0f) + 1.0f) / 2.0f);
        glPushMatrix();
        glTranslatef(0.27f, 0.25f, 0);
        DrawModelMenu(s.logoInstance);
        glPopMatrix();
    };
    // The state the car and the logo are drawn in, before the floor or after.
    const auto modelState = [] {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glColor4f(1, 1, 1, 1);
        glShadeModel(GL_SMOOTH);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
    };
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (!carScene) {
        glRotatef(s.backgroundAngle, 0, 1, 0);
        DrawModelMenu(s.menuBackground);
    } else {
        Morph(&s.menuCarInstance, (std::cos(M * float(M_PI) / 64.0f) + 1.0f) / 2.0f);
        if (modelsFirst) {
            modelState();
            drawLogo();
        }
        glTranslatef(-0.5f, -0.25f, -1.0f);
        glRotatef(25, 1, 0, 0);
        glRotatef(75 + s.carSwing, 0, 1, 0);
        const auto drawCar = [&] {
            DrawModelMenu(s.menuCarInstance);
            DrawWheels(s.menuWheels, s.menuWheelPivot, 4.0f * M, DrawObjectMenu);
        };
        if (modelsFirst) {
            drawCar();
            glEnable(GL_STENCIL_TEST);
            glStencilFunc(GL_ALWAYS, 1, 1);
            glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
        }

        glEnable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glColor4f(1, 1, 1, 1);
        // The floor runs under its fixed shadow: the shadow is the mesh's
        // colour or, without the mesh, goes on in the second texture unit as
        // its blend over the floor would.
        const MenuFloorMesh& mesh = s.menuFloorMesh;
        const float scroll = -M / 128.0f;
        bool shadowLaid = false;
        const bool floorBound = s.menuFloor.Bind();
        if (floorBound && mesh.Built()) {
            glShadeModel(GL_SMOOTH);  // the objects' drawing may have left it flat
            glMatrixMode(GL_TEXTURE);
            glPushMatrix();
            glTranslatef(scroll, 0, 0);
            DrawFloorMesh(s);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            glColor4f(1, 1, 1, 1);
            shadowLaid = true;
        } else if (floorBound) {
            static const float kShadowUv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
            shadowLaid = BeginOverlayTexture(s.menuFloorShadow, kShadowUv, false);
            GroundQuad(kFloorHalf, scroll, 0, scroll + 1.0f, 1);
            if (shadowLaid)
                EndOverlayTexture();
        }
        if (modelsFirst) {
            glStencilFunc(GL_EQUAL, 1, 1);
            glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        }
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_DEPTH_TEST);
        if (!shadowLaid && s.menuFloorShadow.Bind())
            GroundQuad(kFloorHalf, 0, 0, 1, 1);
        if (s.menuCarShadow.Bind())
            GroundQuad(0.5f, 0, 0, 1, 1);
        glDisable(GL_STENCIL_TEST);
        modelState();
        if (!modelsFirst)
            drawCar();
    }
    glPopMatrix();
    if (!modelsFirst)
        drawLogo();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void SetMenuLights()
{
    const float ambient[4] = {0, 0, 0, 1};
    const float diffuse[4] = {1, 1, 1, 1};
    const float position[4] = {0, 0, 2, 0};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
}

const GLTexture* PointerTexture()
{
    return scene.pointer.HasGLName() ? &scene.pointer : nullptr;
}
