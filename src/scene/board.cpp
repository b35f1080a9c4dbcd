#include "scene/board.h"

#include "engine/draw3d.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "puzzle/tableau.h"
#include "scene/detail.h"
#include "scene/morph.h"
#include "scene/scene.h"
#include "scene/scenedefs.h"
#include "scene/theme.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

BoardScenery scenery;

// The board rectangle in world coordinates and the floor in board
// coordinates.
constexpr float kBoardHalfWidth = 0.5f;
constexpr float kBoardHalfDepth = 0.375f;
constexpr float kFloorX0 = -kHalfCell, kFloorZ0 = -kHalfCell;
constexpr float kFloorX1 = 19 * kCellSize + kHalfCell, kFloorZ1 = 14 * kCellSize + kHalfCell;
constexpr float kFloorRepeatU = 6.6666665f, kFloorRepeatV = 5.0f;

// Clockwise is the front-face rule of the whole game; every draw under a
// mirroring matrix (the floor reflection, a mirrored special cell) turns it
// round, and two mirrorings cancel out.
int mirrorings = 0;

void ApplyFrontFace()
{
    glFrontFace(mirrorings % 2 ? GL_CCW : GL_CW);
}

struct MirrorScope {
    bool active;
    explicit MirrorScope(bool on) : active(on)
    {
        if (active) {
            ++mirrorings;
            ApplyFrontFace();
        }
    }
    ~MirrorScope()
    {
        if (active) {
            --mirrorings;
            ApplyFrontFace();
        }
    }
};

// A quad lying at height y, corners in strip order as seen from above with
// the far side (row 0) at the top, so its front faces up.
void FlatQuad(float x0, float z0, float x1, float z1, float u0, float v0, float u1, float v1, float y = 0)
{
    const float xyz[12] = {x0, y, z0, x1, y, z0, x0, y, z1, x1, y, z1};
    const float uv[8] = {u0, v0, u1, v0, u0, v1, u1, v1};
    DrawQuad3DTex(xyz, uv);
}

void CellQuad(float cx, float cz)
{
    FlatQuad(cx - kHalfCell, cz - kHalfCell, cx + kHalfCell, cz + kHalfCell, 0, 0, 1, 1);
}

void FloorQuad()
{
    FlatQuad(kFloorX0, kFloorZ0, kFloorX1, kFloorZ1, 0, 0, kFloorRepeatU, kFloorRepeatV);
}

// The four sides of the board rectangle between heights top and bottom, each
// facing outwards (front side clockwise as seen from outside).
void BoardSides(float top, float bottom, bool withNormals)
{
    const float W = kBoardHalfWidth, D = kBoardHalfDepth;
    // Per side: top-left and top-right corner (x, z) as seen from outside, normal.
    const float sides[4][7] = {
        {-W, -D, -W, D, -1, 0, 0},  // left, seen from -x
        {W, D, W, -D, 1, 0, 0},     // right, seen from +x
        {W, -D, -W, -D, 0, 0, -1},  // far, seen from -z
        {-W, D, W, D, 0, 0, 1},     // near, seen from +z
    };
    const float uv[8] = {0, 0, 15, 0, 0, 1, 15, 1};
    for (const auto& s : sides) {
        const float xyz[12] = {s[0], top, s[1], s[2], top, s[3], s[0], bottom, s[1], s[2], bottom, s[3]};
        if (withNormals) {
            const float n[12] = {s[4], s[5], s[6], s[4], s[5], s[6], s[4], s[5], s[6], s[4], s[5], s[6]};
            DrawQuad3DTexNormal(xyz, n, uv);
        } else {
            DrawQuad3D(xyz);
        }
    }
}

void MoveBox(const Model3D& m, const SceneryRecord& r, float mn[3], float mx[3])
{
    const float sx = r.scale * r.mirrorX, sy = r.scale, sz = r.scale * r.mirrorZ;
    const float s[3] = {sx, sy, sz};
    const float at[3] = {r.worldX, 0, r.worldZ};
    const float off[3] = {r.offsetX, 0, r.offsetZ};
    for (int a = 0; a < 3; ++a) {
        const float lo = (m.bboxMin[a] + off[a]) * s[a], hi = (m.bboxMax[a] + off[a]) * s[a];
        mn[a] = std::min(lo, hi) + at[a];
        mx[a] = std::max(lo, hi) + at[a];
    }
}

void DrawScenery(const SceneryRecord& r, bool geometryOnly)
{
    if (!r.model)
        return;
    glPushMatrix();
    glTranslatef(r.worldX, 0, r.worldZ);
    const bool scaled = r.scale != 1 || r.mirrorX != 1 || r.mirrorZ != 1;
    if (scaled) {
        glScalef(r.scale * r.mirrorX, r.scale, r.scale * r.mirrorZ);
        glEnable(GL_NORMALIZE);
    }
    glTranslatef(r.offsetX, 0, r.offsetZ);
    {
        MirrorScope mirror(r.mirrorX * r.mirrorZ < 0);
        if (geometryOnly)
            DrawModelGeometry(r.model);
        else
            DrawModel(r.model);
    }
    if (scaled)
        glDisable(GL_NORMALIZE);
    glPopMatrix();
}

void DrawCarWithWheels(Theme& th, const Puzzle& p)
{
    MorphInstance(th.carInstance, th.carWeight, th.carMorphedAt);
    glPushMatrix();
    glTranslatef(p.carDrawX * kCellSize, 0, p.carDrawY * kCellSize);
    glRotatef(p.carAngle, 0, 1, 0);
    DrawModel(&th.carInstance);
    DrawWheels(th.wheels, th.wheelPivot, p.wheelAngle, DrawObject);
    glPopMatrix();
}

int ColourIndex(int colour)
{
    return colour < 0 || colour >= kThemeColours ? 0 : colour;
}

void DrawBlocks(Theme& th, const Puzzle& p, float T)
{
    const int n = std::min(p.blockListCount, kMaxBlocks);
    for (int i = 0; i < n; ++i) {
        const BlockRecord& b = p.blocks[i];
        if (!b.active)
            continue;
        const int k = ColourIndex(b.colour);
        const int j = i % kMorphPhases;
        glPushMatrix();
        if (!b.onTarget) {
            Model3D& inst = th.blockInstances[k][j];
            MorphInstance(inst, th.blockWeight[k][j], th.blockMorphedAt[k][j]);
            const float* c = th.settings.rotationCentre[k];
            glTranslatef((b.drawX + c[0]) * kCellSize, c[1] * kCellSize, (b.drawY + c[2]) * kCellSize);
            glMultMatrixf(b.matrix);
            glTranslatef(-c[0] * kCellSize, -c[1] * kCellSize, -c[2] * kCellSize);
            DrawModel(&inst);
            if (b.lost)
                DrawLostOverlay(inst, T);
        } else {
            Model3D& inst = th.blockOnInstances[k][j];
            MorphInstance(inst, th.blockOnWeight[k][j], th.blockOnMorphedAt[k][j]);
            glTranslatef(b.drawX * kCellSize, b.height * kCellSize, b.drawY * kCellSize);
            DrawModel(&inst);
        }
        glPopMatrix();
    }
}

// Props, walls, the car, bombs and blocks: what the floor reflects.
void DrawSolidScene(Theme& th, const Puzzle& p, const bool bombVisible[kMaxBombs], float T)
{
    for (const SceneryRecord& r : scenery.props)
        if (r.visible)
            DrawScenery(r, false);
    for (const SceneryRecord& r : scenery.walls)
        if (r.visible)
            DrawScenery(r, false);
    DrawCarWithWheels(th, p);
    const int bombs = std::min(p.bombListCount, kMaxBombs);
    for (int i = 0; i < bombs; ++i) {
        if (!bombVisible[i])
            continue;
        const BombRecord& b = p.bombs[i];
        glPushMatrix();
        glTranslatef(b.drawX * kCellSize, b.height * kCellSize, b.drawY * kCellSize);
        DrawModel(&th.bomb);
        glPopMatrix();
    }
    DrawBlocks(th, p, T);
}

void DrawExplosions(Theme& th, const Puzzle& p)
{
    const int n = std::min(p.explosionCount, kMaxExplosions);
    glEnable(GL_NORMALIZE);
    for (int i = 0; i < n; ++i) {
        const Explosion& e = p.explosions[i];
        if (!e.active)
            continue;
        const float f = 1.0f - 3.0f * e.p;
        const float alpha = std::clamp(e.p + 1.0f, 0.0f, 1.0f);
        for (auto* m = th.explosion.materials.head; m; m = m->next)
            m->value->transparency = alpha;
        glPushMatrix();
        glTranslatef(e.x * kCellSize, 0, e.z * kCellSize);
        glScalef(f, f, f);
        glRotatef(f * 100.0f, 0, 1, 0);
        DrawModel(&th.explosion);
        glPopMatrix();
    }
    glDisable(GL_NORMALIZE);
}

void DrawTracks(Theme& th, const Puzzle& p)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    int bound = 0;
    th.tracks[0].Bind();
    const int n = std::min(p.trackCount, kMaxTracks);
    for (int i = 0; i < n; ++i) {
        const TrackMark& m = p.tracks[i];
        const int type = m.type == 0 ? 0 : 1;
        if (type != bound) {
            th.tracks[type].Bind();
            bound = type;
        }
        glColor4f(1, 1, 1, m.opacity);
        glPushMatrix();
        glTranslatef(m.x * kCellSize, 0, m.z * kCellSize);
        glRotatef(m.angle, 0, 1, 0);
        CellQuad(0, 0);
        glPopMatrix();
    }
    glColor4f(1, 1, 1, 1);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
}

void DrawTargets(Theme& th, const Puzzle& p)
{
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int code = p.board.At(x, y);
            if (code != kCellTarget && code != kCellBlockFixed && code != kCellBlockOnTarget)
                continue;
            th.targets[ColourIndex(TargetColourAt(p, x, y))].Bind();
            CellQuad(x * kCellSize, y * kCellSize);
        }
    glEnable(GL_LIGHTING);
}

void DrawBlobShadows(Theme& th, const Puzzle& p, const bool bombVisible[kMaxBombs])
{
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    th.shadowCar.Bind();
    glPushMatrix();
    glTranslatef(p.carDrawX * kCellSize, 0, p.carDrawY * kCellSize);
    glRotatef(p.carAngle, 0, 1, 0);
    CellQuad(0, 0);
    glPopMatrix();
    th.shadow.Bind();
    const int n = std::min(p.blockListCount, kMaxBlocks);
    for (int i = 0; i < n; ++i)
        if (p.blocks[i].active)
            CellQuad(p.blocks[i].drawX * kCellSize, p.blocks[i].drawY * kCellSize);
    th.shadowBomb.Bind();
    const int bombs = std::min(p.bombListCount, kMaxBombs);
    for (int i = 0; i < bombs; ++i)
        if (bombVisible[i])
            CellQuad(p.bombs[i].drawX * kCellSize, p.bombs[i].drawY * kCellSize);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
}

void AddScenery(std::vector<SceneryRecord>& list, int code, float x, float z, float scale, float mirrorX, float mirrorZ,
                Model3D* model, float offsetX = 0, float offsetZ = 0)
{
    SceneryRecord r;
    r.code = code;
    r.worldX = x;
    r.worldZ = z;
    r.scale = scale;
    r.mirrorX = mirrorX;
    r.mirrorZ = mirrorZ;
    r.offsetX = offsetX;
    r.offsetZ = offsetZ;
    r.model = model;
    if (model)
        MoveBox(*model, r, r.bboxMin, r.bboxMax);
    list.push_back(r);
}

// Mode 1 centres the view on the car, mode 2 also turns it with the car.
void ApplyCameraMode(const Puzzle& p, int mode)
{
    if (mode == 2)
        glRotatef(p.carAngle + 90.0f, 0, -1, 0);
    if (mode == 1 || mode == 2)
        glTranslatef(-kCellSize * (p.carDrawX - 10.0f + 0.5f), -kCellSize, -kCellSize * (p.carDrawY - 7.5f + 0.5f));
}

}  // namespace

BoardScenery& CurrentScenery()
{
    return scenery;
}

void ApplyCamera(float yaw, float pitch, float distance)
{
    glTranslatef(0, 0, -distance);
    glRotatef(pitch, -1, 0, 0);
    glRotatef(yaw, 0, -1, 0);
}

void BuildSceneryLists(const Puzzle& p)
{
    Theme& th = CurrentTheme();
    Model3D* special = th.loaded ? &th.special : nullptr;
    scenery.walls.clear();
    scenery.props.clear();
    scenery.bakePending = true;
    scenery.themeSerial = th.loaded ? th.serial : -1;

    // Every special cell, whatever its code, stands on its own cell: the
    // model is placed half a cell on from the cell's centre as the code 36
    // piece is, and the other three codes are its mirror images about the
    // cell's centre, so no cell is ever an invisible obstacle.
    for (int code = kCellSpecialFirst; code <= kCellSpecialLast; ++code)
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x) {
                if (p.board.At(x, y) != code)
                    continue;
                const int mirror = code - kCellSpecialFirst;
                AddScenery(scenery.props, code, x * kCellSize, y * kCellSize, 1, (mirror & 1) ? -1.0f : 1.0f,
                           (mirror & 2) ? -1.0f : 1.0f, special, kHalfCell, kHalfCell);
            }
    for (int code = kCellWallFirst; code <= kCellWallLast; ++code)
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x)
                if (p.board.At(x, y) == code)
                    AddScenery(scenery.walls, code, x * kCellSize, y * kCellSize, 1, 1, 1,
                               th.loaded ? &th.walls[code - kCellWallFirst] : nullptr);
}

void DrawLostOverlay(Model3D& instance, float T)
{
    struct Saved {
        Material* m;
        int32_t flags;
        float transparency;
        float ambient[3];
    };
    Saved saved[16];
    int count = 0;
    for (Objet3D* o = instance.objects.head; o; o = o->next) {
        Material* m = o->material ? o->material : DefaultMaterial();
        bool seen = false;
        for (int i = 0; i < count; ++i)
            seen = seen || saved[i].m == m;
        if (seen || count == 16)
            continue;
        saved[count++] = Saved{m, m->flags, m->transparency, {m->ambient[0], m->ambient[1], m->ambient[2]}};
    }
    const float alpha = static_cast<float>(std::fabs(std::sin(double(T) * M_PI / 200.0)));
    for (int i = 0; i < count; ++i) {
        Material* m = saved[i].m;
        m->flags = kMatTransparency | 0x01;
        m->ambient[0] = 1;
        m->ambient[1] = 0;
        m->ambient[2] = 0;
        m->transparency = alpha;
    }
    DrawModel(&instance);
    for (int i = 0; i < count; ++i) {
        Material* m = saved[i].m;
        m->flags = saved[i].flags;
        m->transparency = saved[i].transparency;
        for (int c = 0; c < 3; ++c)
            m->ambient[c] = saved[i].ambient[c];
    }
}

bool CreateDetailTexture(GLContext& context)
{
    Theme& th = CurrentTheme();
    if (!th.loaded || th.detailPixels.size() < size_t(kDetailSize) * kDetailSize * 4)
        return false;
    th.detail.Reset();

    std::vector<uint8_t> shadow(size_t(kDetailSize) * kDetailSize * 3, 255);
    // The shadows are drawn into the frame buffer and read back; a window
    // too small to hold the picture bakes the detail picture alone.
    if (context.width >= uint32_t(kDetailSize) && context.height >= uint32_t(kDetailSize)) {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kDetailSize, kDetailSize);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluPerspective(45.0, 1.3333334, 0.1, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(-0.001953125f, -0.001953125f, -0.905f);
        glRotatef(90, 1, 0, 0);
        glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
        float shadowMatrix[16];
        PlanarShadowMatrix(th.settings.lightPosition[0], shadowMatrix);
        glMultMatrixf(shadowMatrix);

        glDisable(GL_CULL_FACE);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glShadeModel(GL_FLAT);
        float colour[3];
        ShadowBakeColour(th.settings.shadowColour, th.settings.shadowStrength, colour);
        glColor4f(colour[0], colour[1], colour[2], 1);
        for (const SceneryRecord& r : scenery.props)
            DrawScenery(r, true);
        if (th.wallFloorSign >= 0)
            for (const SceneryRecord& r : scenery.walls)
                DrawScenery(r, true);
        glEnable(GL_DEPTH_TEST);
        glShadeModel(GL_SMOOTH);
        glEnable(GL_LIGHTING);
        glColor4f(1, 1, 1, 1);
        glEnable(GL_CULL_FACE);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);

        if (uint8_t* pixels = ReadPixelsRGB(0, 0, kDetailSize, kDetailSize)) {
            shadow.assign(pixels, pixels + shadow.size());
            std::free(pixels);
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        shadow = BlurShadowImage(shadow, kDetailSize);
    }

    const std::vector<uint8_t> texels = CombineDetail(th.detailPixels, shadow, kDetailSize);
    bool ok = th.detail.Allocate(kDetailSize, kDetailSize, 32);
    if (ok) {
        std::copy(texels.begin(), texels.end(), th.detail.pixels);
        const GLenum edge = glExtensions.edgeClamp ? GL_CLAMP_TO_EDGE : GL_CLAMP;
        th.detail.wrapS = th.detail.wrapT = edge;
        ok = th.detail.Upload();
    }
    glClearColor(0, 0, 0, 1);
    return ok;
}

void DrawBoard(GLContext& context, const Puzzle& p, const BoardView& view)
{
    Theme& th = CurrentTheme();
    if (!th.loaded)
        return;
    if (scenery.themeSerial != th.serial)
        BuildSceneryLists(p);
    if (view.rebuildDetail || scenery.bakePending) {
        CreateDetailTexture(context);
        scenery.bakePending = false;
    }
    UpdateMorphs(view.T);
    mirrorings = 0;
    ApplyFrontFace();

    // The background is drawn only around the board: the board's top goes
    // into the depth buffer first (nothing else), so the software rasteriser
    // never textures the sky behind it. The depth buffer is then cleared
    // again, so what follows sees exactly the picture the whole sky would
    // have left.
    glClear(GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    ApplyCameraMode(p, view.cameraMode);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
    FloorQuad();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_CULL_FACE);
    glPopMatrix();
    glPushMatrix();
    glRotatef(CurrentScene().backgroundAngle, 0, 1, 0);
    DrawModel(&th.background);
    glPopMatrix();
    glClear(GL_DEPTH_BUFFER_BIT);
    glPushMatrix();

    ApplyCameraMode(p, view.cameraMode);

    // The lights stay fixed to the world; the theme's own values are used
    // every frame, whatever the menu light left in GL.
    SetGameLights();

    // Border sides.
    ApplyMaterial(th.floorMaterial);
    glEnable(GL_TEXTURE_2D);
    th.border.Bind();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    BoardSides(0, -kCellSize, true);
    EndMaterial(th.floorMaterial);

    // Invisible walls below the border: they hide the mirrored scene
    // outside the board.
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    BoardSides(-kCellSize, -0.2f, false);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);

    glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
    context.UpdateFrustum();
    for (SceneryRecord& r : scenery.walls)
        r.visible = context.BoxInFrustum(r.bboxMin, r.bboxMax);
    for (SceneryRecord& r : scenery.props)
        r.visible = context.BoxInFrustum(r.bboxMin, r.bboxMax);
    bool bombVisible[kMaxBombs] = {};
    for (int i = 0; i < std::min(p.bombListCount, kMaxBombs); ++i) {
        const BombRecord& b = p.bombs[i];
        if (!b.present)
            continue;
        const float mn[3] = {b.drawX * kCellSize - kHalfCell, b.height * kCellSize, b.drawY * kCellSize - kHalfCell};
        const float mx[3] = {b.drawX * kCellSize + kHalfCell, b.height * kCellSize + kCellSize,
                             b.drawY * kCellSize + kHalfCell};
        bombVisible[i] = context.BoxInFrustum(mn, mx);
    }

    const bool reflect = view.reflect && th.settings.reflectStrength > 0;

    // Floor.
    ApplyMaterial(th.floorMaterial);
    glDisable(GL_LIGHTING);
    if (reflect)
        glDisable(GL_DEPTH_TEST);
    FloorQuad();
    EndMaterial(th.floorMaterial);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);

    if (reflect) {
        glPushMatrix();
        glScalef(1, -1, 1);
        {
            MirrorScope mirror(true);
            SetGameLightPositions();
            DrawSolidScene(th, p, bombVisible, view.T);
        }
        glPopMatrix();
        SetGameLightPositions();
        Material* floor = th.floorMaterial;
        floor->transparency = std::clamp(1.0f - th.settings.reflectStrength, 0.0f, 1.0f);
        ApplyMaterial(floor);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_LIGHTING);
        FloorQuad();
        EndMaterial(floor);
        floor->transparency = 1.0f;
        glEnable(GL_LIGHTING);
    }

    // Baked shadows and detail.
    ApplyMaterial(th.floorMaterial);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    th.detail.Bind();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    FlatQuad(kFloorX0, kFloorZ0, kFloorX1, kFloorZ1, 0, 0, 1, 1);
    EndMaterial(th.floorMaterial);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);

    DrawTracks(th, p);
    DrawTargets(th, p);
    DrawBlobShadows(th, p, bombVisible);
    DrawSolidScene(th, p, bombVisible, view.T);
    DrawExplosions(th, p);

    glPopMatrix();
    glColor4f(1, 1, 1, 1);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    mirrorings = 0;
    ApplyFrontFace();
}
