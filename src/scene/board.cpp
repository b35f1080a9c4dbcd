#include "scene/board.h"

#include "engine/draw3d.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "puzzle/tableau.h"
#include "scene/camera.h"
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
#include <functional>
#include <vector>

namespace {

BoardScenery scenery;

// The board rectangle in world coordinates and the floor in board
// coordinates.
constexpr float kBoardHalfWidth = 0.5f;
constexpr float kBoardHalfDepth = 0.375f;
constexpr float kFloorX0 = -kHalfCell, kFloorZ0 = -kHalfCell;
constexpr float kFloorX1 = 19 * kCellSize + kHalfCell, kFloorZ1 = 14 * kCellSize + kHalfCell;
// The glow round a block on its target, in cells on a side.
constexpr float kOnTargetGlow = 1.8f;
// The stencil bits of a frame whose models go first: the floor they leave
// in view, and the part of it the mirrored scene reaches.
constexpr GLuint kFloorSeen = 1, kMirrorSeen = 2;
// The share of the depth range the mirrored scene takes, in front of the
// board's: its own order needs far less precision than the board's.
constexpr double kMirrorDepth = 1.0 / 16;
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

constexpr float kDetailUv[8] = {0, 0, 1, 0, 0, 1, 1, 1};

// The floor as a grid of its cells: a vertex at each cell corner, then one at
// each cell centre, with the floor texture's coordinates and the detail's, as
// the one quad maps them.
struct FloorGrid {
    static constexpr int kColumns = kPlayWidth + 1, kRows = kPlayHeight + 1;
    static constexpr int kCorners = kColumns * kRows, kVertices = kCorners + kPlayWidth * kPlayHeight;
    float xyz[kVertices * 3];
    float uv[kVertices * 2];
    float detailUv[kVertices * 2];

    static GLuint Corner(int i, int j) { return GLuint(j * kColumns + i); }
    static GLuint Centre(int x, int y) { return GLuint(kCorners + y * kPlayWidth + x); }

    FloorGrid()
    {
        auto set = [this](GLuint v, float i, float j) {
            const float fu = i / kPlayWidth, fv = j / kPlayHeight;
            xyz[3 * v] = kFloorX0 + fu * (kFloorX1 - kFloorX0);
            xyz[3 * v + 1] = 0;
            xyz[3 * v + 2] = kFloorZ0 + fv * (kFloorZ1 - kFloorZ0);
            uv[2 * v] = fu * kFloorRepeatU;
            uv[2 * v + 1] = fv * kFloorRepeatV;
            detailUv[2 * v] = fu;
            detailUv[2 * v + 1] = fv;
        };
        for (int j = 0; j < kRows; ++j)
            for (int i = 0; i < kColumns; ++i)
                set(Corner(i, j), float(i), float(j));
        for (int y = 0; y < kPlayHeight; ++y)
            for (int x = 0; x < kPlayWidth; ++x)
                set(Centre(x, y), x + 0.5f, y + 0.5f);
    }
};

const FloorGrid& TheFloorGrid()
{
    static const FloorGrid grid;
    return grid;
}

// Whether the floor is drawn cell by cell: when its texture is mipmapped
// and its levels could be copied.
bool FloorByCells(Theme& th)
{
    const Material* m = th.floorMaterial;
    return m && (m->flags & kMatMapping) && m->texture && th.floorLevels.Follow(*m->texture);
}

// The second unit's coordinates for the detail over the floor drawn as
// FloorByCells says.
const float* FloorDetailUv(bool byCells)
{
    return byCells ? TheFloorGrid().detailUv : kDetailUv;
}

// The floor cut, for the view it was found in, into pieces that each take
// one level of its mipmapped texture: the level the mipmapped texture would
// give a cell's centre, the cells of a level drawn in one go, so the
// software rasteriser has no level to work out per pixel. Every pass over
// the floor in a frame draws the same pieces, so all reach the very same
// pixels along their edges.
struct FloorPieces {
    bool byCells = false;
    std::vector<GLuint> triangles[kMaxMipLevels];

    void Find(Theme& th);
    // With the material's texture bound; it is bound again after.
    void Draw(Theme& th) const;
};

void FloorPieces::Find(Theme& th)
{
    for (auto& list : triangles)
        list.clear();
    byCells = FloorByCells(th);
    if (!byCells)
        return;
    const MipView mipView = MipView::Current();
    const GLTexture& texture = *th.floorMaterial->texture;
    const int levels = th.floorLevels.Count();
    const float alongS[3] = {(kFloorX1 - kFloorX0) / kFloorRepeatU, 0, 0};
    const float alongT[3] = {0, 0, (kFloorZ1 - kFloorZ0) / kFloorRepeatV};
    int levelAt[kPlayHeight][kPlayWidth];
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const float centre[3] = {kFloorX0 + (x + 0.5f) * kCellSize, 0, kFloorZ0 + (y + 0.5f) * kCellSize};
            levelAt[y][x] = mipView.LevelAt(centre, alongS, alongT, texture, levels);
        }
    // Cells of a level go in as few rectangles as runs along the rows allow:
    // every triangle edge costs the rasteriser the blocks of pixels it
    // crosses a second time.
    struct Rectangle {
        int level, x0, y0, x1, y1;
    };
    static std::vector<Rectangle> found;
    found.clear();
    bool corner[FloorGrid::kRows][FloorGrid::kColumns] = {};
    for (int y = 0; y < kPlayHeight;) {
        // Rows whose runs are the same go in together.
        int rows = 1;
        while (y + rows < kPlayHeight && std::equal(levelAt[y], levelAt[y] + kPlayWidth, levelAt[y + rows]))
            ++rows;
        for (int x = 0; x < kPlayWidth;) {
            int run = 1;
            while (x + run < kPlayWidth && levelAt[y][x + run] == levelAt[y][x])
                ++run;
            found.push_back({levelAt[y][x], x, y, x + run, y + rows});
            corner[y][x] = corner[y][x + run] = corner[y + rows][x] = corner[y + rows][x + run] = true;
            x += run;
        }
        y += rows;
    }
    // A corner of one rectangle on the side of another would leave a crack
    // of unlit pixels along that side: such a rectangle is drawn as a fan
    // round a cell centre inside it, through every corner on its sides.
    static std::vector<GLuint> outline;
    for (const Rectangle& r : found) {
        using G = FloorGrid;
        outline.clear();
        for (int i = r.x0; i < r.x1; ++i)
            if (i == r.x0 || corner[r.y0][i])
                outline.push_back(G::Corner(i, r.y0));
        for (int j = r.y0; j < r.y1; ++j)
            if (j == r.y0 || corner[j][r.x1])
                outline.push_back(G::Corner(r.x1, j));
        for (int i = r.x1; i > r.x0; --i)
            if (i == r.x1 || corner[r.y1][i])
                outline.push_back(G::Corner(i, r.y1));
        for (int j = r.y1; j > r.y0; --j)
            if (j == r.y1 || corner[j][r.x0])
                outline.push_back(G::Corner(r.x0, j));
        std::vector<GLuint>& list = triangles[r.level];
        if (outline.size() == 4) {
            list.insert(list.end(), {outline[0], outline[1], outline[3], outline[3], outline[1], outline[2]});
            continue;
        }
        const GLuint centre = G::Centre((r.x0 + r.x1 - 1) / 2, (r.y0 + r.y1 - 1) / 2);
        for (size_t k = 0; k < outline.size(); ++k)
            list.insert(list.end(), {centre, outline[k], outline[(k + 1) % outline.size()]});
    }
}

void FloorPieces::Draw(Theme& th) const
{
    if (!byCells) {
        FloorQuad();
        return;
    }
    const FloorGrid& grid = TheFloorGrid();
    for (int level = 0; level < kMaxMipLevels; ++level)
        if (!triangles[level].empty()) {
            th.floorLevels.Bind(level);
            DrawElements3DTex(GL_TRIANGLES, grid.xyz, grid.uv, triangles[level].data(), triangles[level].size());
        }
    th.floorMaterial->texture->Bind();
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

// The floor's texture is opaque: drawn unlit and unblended whatever the
// theme's material says (the material is kept transparent for the pass that
// blends the floor over its reflection).
void DrawOpaqueFloor(Theme& th, const FloorPieces& pieces)
{
    ApplyMaterial(th.floorMaterial);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    pieces.Draw(th);
    EndMaterial(th.floorMaterial);
    glEnable(GL_LIGHTING);
}

// The baked shadows and detail, blended over the floor.
void DrawDetail(Theme& th)
{
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
}

// The opaque floor with the baked detail layer over it in one pass: the
// detail is laid on in the second texture unit as its blend over the floor
// would be, so the board is rasterised once where it took two passes (two
// passes remain where the driver has one texture unit).
void DrawFloorAndDetail(Theme& th, const FloorPieces& pieces)
{
    ApplyMaterial(th.floorMaterial);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    if (!BeginOverlayTexture(th.detail, FloorDetailUv(pieces.byCells), false)) {
        EndMaterial(th.floorMaterial);
        glEnable(GL_LIGHTING);
        DrawOpaqueFloor(th, pieces);
        DrawDetail(th);
        return;
    }
    pieces.Draw(th);
    EndOverlayTexture();
    EndMaterial(th.floorMaterial);
    glEnable(GL_LIGHTING);
}

// The floor blended over its reflection with the detail blended over both,
// in one pass where the driver has two texture units: the floor's colour
// comes premultiplied by its opacity and the detail is mixed into it by its
// alpha, whose coverage also hides that much more of the reflection, so each
// pixel is detail × a + (floor × o + reflection × (1 − o)) × (1 − a) as the
// two blends gave it. With restoreDepth the floor's depth replaces the
// mirrored scene's under it.
void DrawFloorOverReflection(Theme& th, const FloorPieces& pieces, float opacity, bool restoreDepth)
{
    Material* floor = th.floorMaterial;
    floor->transparency = opacity;
    ApplyMaterial(floor);
    glDisable(GL_LIGHTING);
    if (restoreDepth) {
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_ALWAYS);
    }
    // An unlit floor's texture replaces the colour, and one with its own
    // alpha would cover the reflection by that alpha: only an opaque texture
    // takes its opacity from the colour, premultiplied.
    const GLTexture* texture = floor->texture;
    const bool opaqueTexture = !(floor->flags & kMatMapping) || (texture && texture->pixelFormat != GL_RGBA);
    const bool merged = opaqueTexture && BeginOverlayTexture(th.detail, FloorDetailUv(pieces.byCells), true);
    if (merged) {
        GLint mode = GL_MODULATE;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        float c[4];
        glGetFloatv(GL_CURRENT_COLOR, c);
        if (mode == GL_REPLACE) {
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
            c[0] = c[1] = c[2] = 1;
        }
        glColor4f(c[0] * c[3], c[1] * c[3], c[2] * c[3], c[3]);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    pieces.Draw(th);
    glDepthFunc(GL_LEQUAL);
    if (merged)
        EndOverlayTexture();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EndMaterial(floor);
    floor->transparency = 1.0f;
    glEnable(GL_LIGHTING);
    if (!merged)
        DrawDetail(th);
}

// The floor's depth alone, marking the pixels where it passes in the
// stencil.
void MarkFloor(Theme& th, const FloorPieces& pieces)
{
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, kFloorSeen, kFloorSeen);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    pieces.Draw(th);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glDisable(GL_STENCIL_TEST);
}

// A window rectangle (GL's window coordinates, x0 ≤ x < x1, y0 ≤ y < y1)
// inside the floor's picture under the current matrices, a pixel in from its
// edges: nothing behind the floor is ever seen there. Empty when a corner of
// the floor lies behind the eye.
struct WindowBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

WindowBox FloorInterior()
{
    double clip[16], projection[16], modelview[16];
    CurrentClipMatrix(clip, projection, modelview);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    const float corners[4][2] = {
        {kFloorX0, kFloorZ0}, {kFloorX1, kFloorZ0}, {kFloorX1, kFloorZ1}, {kFloorX0, kFloorZ1}};
    double x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        const double cx = corners[i][0], cz = corners[i][1];
        const double w = clip[3] * cx + clip[11] * cz + clip[15];
        if (!(w > 1e-6))
            return {};
        x[i] = vp[0] + (clip[0] * cx + clip[8] * cz + clip[12]) / w * 0.5 * vp[2] + 0.5 * vp[2];
        y[i] = vp[1] + (clip[1] * cx + clip[9] * cz + clip[13]) / w * 0.5 * vp[3] + 0.5 * vp[3];
    }
    // The rows between the second and the third corner from the bottom cross
    // the two sides only: the box spans what the narrower of its two edge
    // rows holds, which the convex outline holds at every row between.
    double sorted[4] = {y[0], y[1], y[2], y[3]};
    std::sort(sorted, sorted + 4);
    const double bottom = sorted[1], top = sorted[2];
    auto span = [&](double row, double& left, double& right) {
        left = 1e30;
        right = -1e30;
        for (int i = 0; i < 4; ++i) {
            const int j = (i + 1) % 4;
            const double lo = std::min(y[i], y[j]), hi = std::max(y[i], y[j]);
            if (row < lo || row > hi || hi == lo)
                continue;
            const double at = x[i] + (x[j] - x[i]) * (row - y[i]) / (y[j] - y[i]);
            left = std::min(left, at);
            right = std::max(right, at);
        }
    };
    double l0, r0, l1, r1;
    span(bottom, l0, r0);
    span(top, l1, r1);
    // Kept to the viewport before it becomes whole pixels: a row without
    // crossings, or a corner far off the window, gives no box.
    auto pixel = [&](double v, int lo, int hi) { return int(std::clamp(v, double(lo), double(hi))); };
    if (!(l0 <= r0 && l1 <= r1))
        return {};
    WindowBox box;
    const int xmin = vp[0], xmax = vp[0] + vp[2], ymin = vp[1], ymax = vp[1] + vp[3];
    box.x0 = pixel(std::ceil(std::max(l0, l1)), xmin, xmax) + 1;
    box.x1 = pixel(std::floor(std::min(r0, r1)), xmin, xmax) - 1;
    box.y0 = pixel(std::ceil(bottom), ymin, ymax) + 1;
    box.y1 = pixel(std::floor(top), ymin, ymax) - 1;
    return box;
}

// Draws through the scissor only the window outside the box: above, below,
// left and right of it.
void DrawAround(const WindowBox& box, const std::function<void()>& draw)
{
    if (box.Empty()) {
        draw();
        return;
    }
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    const int right = vp[0] + vp[2], top = vp[1] + vp[3];
    const int parts[4][4] = {{vp[0], vp[1], right, box.y0},
                             {vp[0], box.y1, right, top},
                             {vp[0], box.y0, box.x0, box.y1},
                             {box.x1, box.y0, right, box.y1}};
    glPushAttrib(GL_SCISSOR_BIT);
    glEnable(GL_SCISSOR_TEST);
    for (const auto& r : parts)
        if (r[2] > r[0] && r[3] > r[1]) {
            glScissor(r[0], r[1], r[2] - r[0], r[3] - r[1]);
            draw();
        }
    glPopAttrib();
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

bool Batchable(const Objet3D* o)
{
    return o->visible && o->faceCount > 0 && o->faces.size() >= 3 * size_t(o->faceCount) &&
           o->points.size() >= 3 * size_t(o->pointCount);
}

const Material* MaterialOf(const Objet3D* o)
{
    return o->material ? o->material : DefaultMaterial();
}

// The record's objects placed as DrawScenery's matrices place them.
void AddToBatches(std::vector<SceneryBatch>& batches, const SceneryRecord& r)
{
    const float s[3] = {r.scale * r.mirrorX, r.scale, r.scale * r.mirrorZ};
    const float at[3] = {r.worldX, 0, r.worldZ}, off[3] = {r.offsetX, 0, r.offsetZ};
    const float flip[3] = {r.mirrorX, 1, r.mirrorZ};
    const bool mirrored = r.mirrorX * r.mirrorZ < 0;
    for (const Objet3D* o = r.model->objects.head; o; o = o->next) {
        // Face-normal objects are never drawn; hidden ones are not either.
        if (!Batchable(o) || o->normalMode == kNormalsFace)
            continue;
        const Material* m = MaterialOf(o);
        const bool smooth = o->normalMode == kNormalsVertex && o->vertexNormals.size() >= 3 * size_t(o->pointCount);
        const bool textured = (m->flags & kMatMapping) && o->texCoords.size() >= 2 * size_t(o->pointCount);
        auto b = std::find_if(batches.begin(), batches.end(),
                              [&](const SceneryBatch& x) { return x.material == m && x.smooth == smooth; });
        if (b == batches.end()) {
            batches.push_back(SceneryBatch{m, smooth, {}, {}, {}, {}});
            b = batches.end() - 1;
        }
        const uint32_t base = uint32_t(b->points.size() / 3);
        for (uint32_t i = 0; i < o->pointCount; ++i)
            for (int a = 0; a < 3; ++a) {
                b->points.push_back((o->points[3 * size_t(i) + a] + off[a]) * s[a] + at[a]);
                if (smooth)
                    b->normals.push_back(o->vertexNormals[3 * size_t(i) + a] * flip[a]);
            }
        for (uint32_t i = 0; i < 2 * o->pointCount; ++i)
            b->texCoords.push_back(textured ? o->texCoords[i] : 0.0f);
        for (uint32_t f = 0; f < o->faceCount; ++f) {
            const uint32_t* t = &o->faces[3 * size_t(f)];
            if (t[0] >= o->pointCount || t[1] >= o->pointCount || t[2] >= o->pointCount)
                continue;
            b->faces.push_back(base + t[0]);
            b->faces.push_back(base + (mirrored ? t[2] : t[1]));
            b->faces.push_back(base + (mirrored ? t[1] : t[2]));
        }
    }
}

void DrawBatch(const SceneryBatch& b)
{
    if (b.faces.empty())
        return;
    ApplyMaterial(b.material);
    glShadeModel(GL_SMOOTH);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, b.points.data());
    if (b.smooth) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, b.normals.data());
    }
    if (b.material->flags & kMatMapping) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, b.texCoords.data());
    }
    glDrawElements(GL_TRIANGLES, GLsizei(b.faces.size()), GL_UNSIGNED_INT, b.faces.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    EndMaterial(b.material);
}

// The fixed scenery: opaque batches first, then the transparent ones, as a
// model's own objects are ordered; pieces left out of the batches after.
void DrawFixedScenery()
{
    for (bool transparent : {false, true})
        for (const SceneryBatch& b : scenery.batches)
            if (((b.material->flags & kMatTransparency) != 0) == transparent)
                DrawBatch(b);
    for (const auto* list : {&scenery.props, &scenery.walls})
        for (const SceneryRecord& r : *list)
            if (!r.batched)
                DrawScenery(r, false);
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
    DrawFixedScenery();
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
    // A block on its target hides the mark under it: the target glows again,
    // wider than the block, so its ring shows round the block's base. A block
    // off target never has it; a fixed block shows its own model instead.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const float h = kOnTargetGlow * kHalfCell;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            if (p.board.At(x, y) != kCellBlockOnTarget)
                continue;
            th.targets[ColourIndex(TargetColourAt(p, x, y))].Bind();
            FlatQuad(x * kCellSize - h, y * kCellSize - h, x * kCellSize + h, y * kCellSize + h, 0, 0, 1, 1);
        }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
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
    float m[16];
    CameraModeMatrix(mode, CarPlace{p.carDrawX, p.carDrawY, p.carAngle}, m);
    glMultMatrixf(m);
}

}  // namespace

BoardScenery& CurrentScenery()
{
    return scenery;
}

void ApplyCamera(float yaw, float pitch, float distance)
{
    float m[16];
    CameraMatrix(Camera{yaw, pitch, distance}, m);
    glMultMatrixf(m);
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

    scenery.batches.clear();
    for (auto* list : {&scenery.props, &scenery.walls})
        for (SceneryRecord& r : *list) {
            if (!r.model)
                continue;
            bool envMapped = false;
            for (const Objet3D* o = r.model->objects.head; o; o = o->next)
                envMapped = envMapped || (MaterialOf(o)->flags & kMatEnvMapping);
            r.batched = !envMapped;
            if (r.batched)
                AddToBatches(scenery.batches, r);
        }

    scenery.opaque = true;
    auto blends = [](const Model3D* m) {
        for (const Objet3D* o = m ? m->objects.head : nullptr; o; o = o->next)
            if (MaterialOf(o)->flags & kMatTransparency)
                return true;
        return false;
    };
    for (auto* list : {&scenery.props, &scenery.walls})
        for (const SceneryRecord& r : *list)
            scenery.opaque = scenery.opaque && !blends(r.model);
    if (th.loaded) {
        scenery.opaque = scenery.opaque && !blends(&th.carInstance) && !blends(&th.bomb);
        for (int k = 0; k < kThemeColours; ++k)
            for (int j = 0; j < kMorphPhases; ++j)
                scenery.opaque =
                    scenery.opaque && !blends(&th.blockInstances[k][j]) && !blends(&th.blockOnInstances[k][j]);
    }
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

void ApplyBoardDepthRange()
{
    glDepthRange(kMirrorDepth, 1);
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

    // The sky (one sphere seen from inside, far beyond the board) goes after
    // the floor's depth, so the software rasteriser never textures it behind
    // the board, and writes no depth, so what follows sees the depth the
    // board alone would have left. The caller's clear gave the empty depth
    // buffer.
    //
    // With a stencil the board's models go first and the floor's texture
    // last: the floor's depth marks the pixels of it left in view, and the
    // floor is textured once over them. With the reflection a second bit
    // marks what the mirrored scene reaches of them, where the floor is
    // blended over the reflection instead of laid on opaque. Without a
    // stencil (two bits with the reflection), or with a model that blends,
    // which must go over the floor and its reflection, the floor is laid on
    // first, then the mirrored scene, the floor blended over that everywhere,
    // and the models last.
    const bool reflect = view.reflect && th.settings.reflectStrength > 0;
    const bool staged = scenery.opaque && context.stencilBits >= (reflect ? 2 : 1);
    const float opacity = std::clamp(1.0f - th.settings.reflectStrength, 0.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    float callerView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, callerView);
    const auto drawSky = [&] {
        glPushMatrix();
        glLoadMatrixf(callerView);
        glRotatef(CurrentScene().backgroundAngle, 0, 1, 0);
        glDepthMask(GL_FALSE);
        DrawModel(&th.background);
        glDepthMask(GL_TRUE);
        glPopMatrix();
    };
    glPushMatrix();
    ApplyCameraMode(p, view.cameraMode);
    glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
    static FloorPieces floorPieces;
    floorPieces.Find(th);
    glEnable(GL_DEPTH_TEST);
    ApplyBoardDepthRange();
    if (staged) {
        glStencilMask(~0u);
        glClear(GL_STENCIL_BUFFER_BIT);
    } else {
        if (reflect)
            DrawOpaqueFloor(th, floorPieces);
        else
            DrawFloorAndDetail(th, floorPieces);
    }
    glPopMatrix();
    if (!staged)
        drawSky();
    // The mirrored scene lies below the floor: it must not meet its depth.
    if (reflect && !staged)
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
    // outside the board (the stencil does when there is one).
    if (reflect && !staged) {
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        BoardSides(-kCellSize, -0.2f, false);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_LIGHTING);
    }

    glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
    context.UpdateFrustum();
    // The mirrored pass is culled by the mirrored boxes: a bomb above the
    // view's top edge can have its reflection inside it.
    bool bombVisible[kMaxBombs] = {}, bombMirrorVisible[kMaxBombs] = {};
    for (int i = 0; i < std::min(p.bombListCount, kMaxBombs); ++i) {
        const BombRecord& b = p.bombs[i];
        if (!b.present)
            continue;
        const float x = b.drawX * kCellSize, z = b.drawY * kCellSize, y = b.height * kCellSize;
        const float mn[3] = {x - kHalfCell, y, z - kHalfCell}, mx[3] = {x + kHalfCell, y + kCellSize, z + kHalfCell};
        const float mirroredMn[3] = {mn[0], -mx[1], mn[2]}, mirroredMx[3] = {mx[0], -mn[1], mx[2]};
        bombVisible[i] = context.BoxInFrustum(mn, mx);
        bombMirrorVisible[i] = context.BoxInFrustum(mirroredMn, mirroredMx);
    }

    if (staged) {
        // The floor's depth after the models marks only what they leave of
        // it, and covers what of them lies below it.
        DrawSolidScene(th, p, bombVisible, view.T);
        MarkFloor(th, floorPieces);
        // The sky behind the floor's picture is never seen: the rasteriser
        // is kept off most of it.
        DrawAround(FloorInterior(), drawSky);
        glEnable(GL_STENCIL_TEST);
    }
    if (reflect) {
        if (staged) {
            // The mirrored scene lies below the floor, so it takes a depth
            // range of its own nearer than the board's: it passes the floor
            // and keeps its own order.
            glDepthRange(0, kMirrorDepth);
            glStencilMask(kMirrorSeen);
            glStencilFunc(GL_EQUAL, kFloorSeen | kMirrorSeen, kFloorSeen);
        }
        glPushMatrix();
        glScalef(1, -1, 1);
        {
            MirrorScope mirror(true);
            SetGameLightPositions();
            DrawSolidScene(th, p, bombMirrorVisible, view.T);
        }
        glPopMatrix();
        SetGameLightPositions();
        if (staged)
            ApplyBoardDepthRange();
    }
    if (staged) {
        // The floor keeps the depth it marked with: the stencil alone says
        // where it is seen.
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        glStencilFunc(GL_EQUAL, kFloorSeen, kFloorSeen | kMirrorSeen);
        glDisable(GL_DEPTH_TEST);
        DrawFloorAndDetail(th, floorPieces);
        glEnable(GL_DEPTH_TEST);
        glStencilFunc(GL_EQUAL, kFloorSeen | kMirrorSeen, kFloorSeen | kMirrorSeen);
    }
    // Over the reflection the floor puts its own depth back, which the
    // explosions meet.
    if (reflect)
        DrawFloorOverReflection(th, floorPieces, opacity, staged);
    if (staged)
        glStencilFunc(GL_EQUAL, kFloorSeen, kFloorSeen);

    // The marks on the floor are drawn without depth: under the board's
    // models, either they go over them or the stencil keeps them off.
    DrawTracks(th, p);
    DrawTargets(th, p);
    DrawBlobShadows(th, p, bombVisible);
    if (staged) {
        glDisable(GL_STENCIL_TEST);
        glStencilMask(~0u);
    } else {
        DrawSolidScene(th, p, bombVisible, view.T);
    }
    DrawExplosions(th, p);
    glDepthRange(0, 1);

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
