// artsheet DATA_DIR OUT.png: renders a contact sheet of the art kit with the
// game's engine (its model loader, materials and drawing) into a PNG, so a
// person can look at every model and picture at once.
//
// Left: a piece of board in the game's own units and view, with every wall
// piece joined to its neighbours, each block beside its "on" form on its
// target, the car, a bomb, a special block, an explosion and tracks. Right:
// the menu scene (floor, car, logo) and close-ups. Bottom: every picture.
#include "engine/configfile.h"
#include "engine/draw3d.h"
#include "engine/glfont2d.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "engine/model3d.h"
#include "engine/pngwrite.h"
#include "puzzle/tableau.h"

#include <GL/glu.h>
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 896;
// The board piece and the menu scene above, every picture below.
constexpr int kPicturesTop = 768;
constexpr float kCell = 0.05f;

std::string dataDir;
int faults = 0;

// A fault is reported and counted, and the sheet is drawn with what there is.
void ReportFault(const std::string& what)
{
    std::fprintf(stderr, "artsheet: %s\n", what.c_str());
    ++faults;
}

struct Theme {
    float light0Pos[4] = {0, 1, 0, 0}, light0Amb[4] = {0, 0, 0, 1}, light0Dif[4] = {1, 1, 1, 1};
    float light1Pos[4] = {0, 1, 0, 0}, light1Amb[4] = {0, 0, 0, 1}, light1Dif[4] = {0, 0, 0, 1};
    float background[3] = {0, 0, 0};
};

void ReadTriple(VROConfigFile& cfg, const char* key, float* out)
{
    std::string v;
    if (!cfg.GetValue(key, v) || std::sscanf(v.c_str(), "%f,%f,%f", &out[0], &out[1], &out[2]) != 3)
        ReportFault(std::string("theme.ini: ") + key);
}

Theme LoadThemeIni()
{
    Theme t;
    VROConfigFile cfg;
    if (!cfg.Load((dataDir + "/gfx/theme1/theme.ini").c_str())) {
        ReportFault("no theme.ini");
        return t;
    }
    ReadTriple(cfg, "Light0_Position", t.light0Pos);
    ReadTriple(cfg, "Light0_Ambient", t.light0Amb);
    ReadTriple(cfg, "Light0_Diffuse", t.light0Dif);
    ReadTriple(cfg, "Light1_Position", t.light1Pos);
    ReadTriple(cfg, "Light1_Ambient", t.light1Amb);
    ReadTriple(cfg, "Light1_Diffuse", t.light1Dif);
    ReadTriple(cfg, "BackgroundColor", t.background);
    return t;
}

std::unique_ptr<Model3D> LoadModel(const std::string& dir, const std::string& file, float scale)
{
    SetObjectPath((dataDir + "/" + dir + "3d/").c_str());
    // Theme models find their textures in texture/, the menu models beside them.
    SetTexturePath((dataDir + "/" + dir + (dir == "gfx/" ? "3d/" : "texture/")).c_str());
    auto m = std::make_unique<Model3D>();
    if (!m->Load(file.c_str())) {
        ReportFault("cannot load " + dir + file);
        return m;
    }
    if (scale != 1.0f) {
        const float zero[3] = {0, 0, 0}, s[3] = {scale, scale, scale};
        m->Transform(zero, s);
    }
    m->ComputeBoundingBox();
    return m;
}

std::unique_ptr<GLTexture> LoadTexture(const std::string& rel, bool clamp = false)
{
    auto t = std::make_unique<GLTexture>();
    if (!t->Load((dataDir + "/" + rel).c_str())) {
        ReportFault("cannot load " + rel);
        return t;
    }
    if (clamp)
        t->SetWrap(GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
    t->mipmap = 1;
    t->SetFilters(kMipmapMinFilter, GL_LINEAR);  // as the game samples them
    t->Upload();
    return t;
}

void Perspective(int x, int y, int w, int h)
{
    glViewport(x, kHeight - y - h, w, h);
    glScissor(x, kHeight - y - h, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(w) / h, 0.01, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Camera(float yaw, float pitch, float distance)
{
    glTranslatef(0, 0, -distance);
    glRotatef(pitch, -1, 0, 0);
    glRotatef(yaw, 0, -1, 0);
}

void SetLights(const Theme& t)
{
    glLightfv(GL_LIGHT0, GL_AMBIENT, t.light0Amb);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, t.light0Dif);
    glLightfv(GL_LIGHT0, GL_POSITION, t.light0Pos);
    glLightfv(GL_LIGHT1, GL_AMBIENT, t.light1Amb);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, t.light1Dif);
    glLightfv(GL_LIGHT1, GL_POSITION, t.light1Pos);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
}

// A flat textured square on the floor, centred at (x, z), half size h.
void FloorQuad(const GLTexture* tex, float x, float z, float h, float y = 0.0005f, float u1 = 1, float v1 = 1)
{
    if (tex)
        tex->Bind();
    const float xyz[12] = {x - h, y, z - h, x + h, y, z - h, x - h, y, z + h, x + h, y, z + h};
    const float uv[8] = {0, 0, u1, 0, 0, v1, u1, v1};
    DrawQuad3DTex(xyz, uv);
}

void BeginOverlay()
{
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
}

void EndOverlay()
{
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
}

void DrawAt(const Model3D* m, float x, float y, float z, float heading = 0)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(heading, 0, 1, 0);
    DrawModel(m);
    glPopMatrix();
}

// Wall cells of the board piece; every join mask 0 … 15 occurs once at least.
const char* const kWallMap[] = {
    "............#...", ".###..#.###.##..", ".#.#.....#..#...", ".###............", ".....#...#....#.",
    "....###.###..##.", ".....#........#.", "................", "................", "................",
};
constexpr int kMapW = 16, kMapH = 10;

bool IsWall(int x, int y)
{
    return x >= 0 && y >= 0 && x < kMapW && y < kMapH && kWallMap[y][x] == '#';
}

void DrawBoardPiece(const Theme& theme, std::map<std::string, std::unique_ptr<Model3D>>& m,
                    std::map<std::string, std::unique_ptr<GLTexture>>& t)
{
    Perspective(0, 0, 800, kPicturesTop);
    glClearColor(theme.background[0], theme.background[1], theme.background[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Camera(0, -55, 0.86f);
    glPushMatrix();
    DrawModel(m["fond"].get());
    glPopMatrix();
    SetLights(theme);
    // Board coordinates: cell (c, r) centred at (c, r) × 0.05.
    glTranslatef(-(kMapW - 1) * kCell / 2, 0, -(kMapH - 1) * kCell / 2);

    // Floor, repeating every three cells, then the detail layer.
    const Material* floorMat = m["sol"]->objects.head ? m["sol"]->objects.head->material : nullptr;
    ApplyMaterial(floorMat);
    glDisable(GL_LIGHTING);
    {
        float x0 = -0.5f * kCell, z0 = -0.5f * kCell, x1 = (kMapW - 0.5f) * kCell, z1 = (kMapH - 0.5f) * kCell;
        const float xyz[12] = {x0, 0, z0, x1, 0, z0, x0, 0, z1, x1, 0, z1};
        const float uv[8] = {0, 0, kMapW / 3.0f, 0, 0, kMapH / 3.0f, kMapW / 3.0f, kMapH / 3.0f};
        if (floorMat && floorMat->texture)
            floorMat->texture->Bind();
        DrawQuad3DTex(xyz, uv);
    }
    EndMaterial(floorMat);
    BeginOverlay();
    FloorQuad(t["detail"].get(), (kMapW - 1) * kCell / 2, (kMapH - 1) * kCell / 2, kMapW * kCell / 2);
    // Targets under the "on" blocks, tracks, shadows.
    for (int k = 0; k < 5; ++k)
        FloorQuad(t["arrive" + std::to_string(k + 1)].get(), (3 + 2 * k) * kCell, 8 * kCell, kCell / 2);
    for (int c = 2; c <= 4; ++c) {
        glPushMatrix();
        glTranslatef(c * kCell, 0, 9 * kCell);
        glRotatef(90, 0, 1, 0);
        FloorQuad(t["trace1"].get(), 0, 0, kCell / 2);
        glPopMatrix();
    }
    glPushMatrix();
    glTranslatef(5 * kCell, 0, 9 * kCell);
    glRotatef(90, 0, 1, 0);  // came in from the left, leaves upwards
    FloorQuad(t["trace2"].get(), 0, 0, kCell / 2);
    glPopMatrix();
    for (int k = 0; k < 10; ++k)
        FloorQuad(t["shadow"].get(), (2 + k) * kCell, 8 * kCell, kCell / 2);
    FloorQuad(t["shadowcar"].get(), 13 * kCell, 8 * kCell, kCell / 2);
    glPushMatrix();
    glTranslatef(10 * kCell, 0, 3 * kCell);
    glRotatef(90, 0, 1, 0);
    FloorQuad(t["shadowcar"].get(), 0, 0, kCell / 2);
    glPopMatrix();
    FloorQuad(t["shadowbomb"].get(), 6 * kCell, 3 * kCell, kCell / 2);
    EndOverlay();

    // Walls: each cell draws the piece of its join mask.
    int masksSeen = 0;
    for (int y = 0; y < kMapH; ++y)
        for (int x = 0; x < kMapW; ++x) {
            if (!IsWall(x, y))
                continue;
            int mask = (IsWall(x, y - 1) ? kJoinUp : 0) | (IsWall(x, y + 1) ? kJoinDown : 0) |
                       (IsWall(x + 1, y) ? kJoinRight : 0) | (IsWall(x - 1, y) ? kJoinLeft : 0);
            masksSeen |= 1 << mask;
            DrawAt(m["mur" + std::to_string(WallCodeForMask(mask) - kWallCodeFirst)].get(), x * kCell, 0, y * kCell);
        }
    if (masksSeen != 0xFFFF)
        ReportFault("the board piece does not show every wall piece");
    // Each block beside its "on" form, standing on its target.
    for (int k = 0; k < 5; ++k) {
        std::string n = "objet" + std::to_string(k + 1);
        DrawAt(m[n].get(), (2 + 2 * k) * kCell, 0, 8 * kCell);
        DrawAt(m[n + "on"].get(), (3 + 2 * k) * kCell, 0, 8 * kCell);
    }
    DrawAt(m["car"].get(), 13 * kCell, 0, 8 * kCell);
    DrawAt(m["car"].get(), 10 * kCell, 0, 3 * kCell, 90);
    DrawAt(m["bombe"].get(), 6 * kCell, 0, 3 * kCell);
    // Special blocks: placed as the game places them, half a cell along x
    // and z from the cell's centre.
    for (int c = 0; c < 2; ++c)
        for (int r = 6; r < 8; ++r)
            DrawAt(m["special"].get(), (c * 3 + 0.5f) * kCell, 0, (r + 0.5f) * kCell);
    // An explosion halfway through.
    glPushMatrix();
    glTranslatef(14 * kCell, 0, 2 * kCell);
    glScalef(2.0f, 2.0f, 2.0f);
    glRotatef(200, 0, 1, 0);
    Objet3D* burst = m["explosion"]->objects.head;
    if (burst && burst->material)
        burst->material->transparency = 0.6f;
    DrawModel(m["explosion"].get());
    glPopMatrix();
}

void DrawMenuPreview(std::map<std::string, std::unique_ptr<Model3D>>& m,
                     std::map<std::string, std::unique_ptr<GLTexture>>& t)
{
    Perspective(800, 0, 480, 360);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Camera(0, 0, 1.5f);
    const float amb[4] = {0, 0, 0, 1}, dif[4] = {1, 1, 1, 1}, pos[4] = {0, 0, 2, 0};
    glLightfv(GL_LIGHT0, GL_AMBIENT, amb);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, dif);
    glLightfv(GL_LIGHT0, GL_POSITION, pos);
    glEnable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(-0.5f, -0.25f, -1);
    glRotatef(25, 1, 0, 0);
    glRotatef(75 + 20, 0, 1, 0);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    FloorQuad(t["solmenu"].get(), 0, 0, 4, 0, 1, 1);
    BeginOverlay();
    FloorQuad(t["solmenushadow"].get(), 0, 0, 4, 0);
    FloorQuad(t["menushadowcar"].get(), 0, 0, 0.5f, 0);
    EndOverlay();
    DrawModel(m["carmenu"].get());
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0.27f, 0.25f, 0);
    DrawModel(m["logo"].get());
    glPopMatrix();
}

void CloseUp(int cell, const Model3D* model, float yaw, float pitch, float distance, float lookY, const Theme& theme,
             bool menuLight = false)
{
    int x = 800 + (cell % 2) * 240, y = 360 + (cell / 2) * 204;
    Perspective(x, y, 240, 204);
    glClearColor(0.16f, 0.18f, 0.24f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Camera(yaw, pitch, distance);
    glTranslatef(0, -lookY, 0);
    if (menuLight) {
        const float amb[4] = {0, 0, 0, 1}, dif[4] = {1, 1, 1, 1}, pos[4] = {0, 0, 2, 0};
        glLightfv(GL_LIGHT0, GL_AMBIENT, amb);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, dif);
        glLightfv(GL_LIGHT0, GL_POSITION, pos);
        glEnable(GL_LIGHT0);
        glDisable(GL_LIGHT1);
        glEnable(GL_LIGHTING);
    } else {
        SetLights(theme);
    }
    if (model)
        DrawModel(model);
}

// The 2D pieces in place: a selection bar and the pointer over the menu
// scene, the icons of the heads-up bar over the board.
void DrawOverlays(std::map<std::string, std::unique_ptr<GLTexture>>& t, const GLFont2D& icons)
{
    glViewport(0, 0, kWidth, kHeight);
    glScissor(0, 0, kWidth, kHeight);
    Set2DScreenSize(kWidth, kHeight);
    Begin2D();
    glColor4f(1, 1, 1, 1);
    const float x0 = 930, x1 = 1190, y0 = 262, y1 = 310, cap = (y1 - y0) / 2;
    const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    const float left[8] = {x0, y0, x0 + cap, y0, x0, y1, x0 + cap, y1};
    const float mid[8] = {x0 + cap, y0, x1 - cap, y0, x0 + cap, y1, x1 - cap, y1};
    const float right[8] = {x1 - cap, y0, x1, y0, x1 - cap, y1, x1, y1};
    if (t["selection_left"]->Bind())
        DrawQuad2DTex(left, uv);
    if (t["selection_middle"]->Bind())
        DrawQuad2DTex(mid, uv);
    if (t["selection_right"]->Bind())
        DrawQuad2DTex(right, uv);
    const float px = 1120, py = 282, ps = 16;
    const float pointer[8] = {px, py, px + 2 * ps, py, px, py + 2 * ps, px + 2 * ps, py + 2 * ps};
    if (t["pointeur"]->Bind())
        DrawQuad2DTex(pointer, uv);
    // Heads-up bar icons: level, moves, carried bomb.
    const float c = 800 / 7.0f, m = (c - 48) / 2;
    icons.Draw(2 * c + m, 8, "\"");
    icons.Draw(4 * c + m, 8, "#");
    icons.Draw(6 * c + m, 8, " ");
    End2D();
}

void DrawPictures(const std::vector<std::pair<std::string, std::unique_ptr<GLTexture>>>& pictures)
{
    glViewport(0, 0, kWidth, kHeight);
    glScissor(0, 0, kWidth, kHeight);
    Set2DScreenSize(kWidth, kHeight);
    Begin2D();
    glDisable(GL_TEXTURE_2D);
    const int cell = 64, top = kPicturesTop, perRow = kWidth / cell;
    for (size_t i = 0; i < pictures.size(); ++i) {
        int cx = static_cast<int>(i % perRow) * cell, cy = top + static_cast<int>(i / perRow) * cell;
        // A checker behind, so transparency shows.
        for (int k = 0; k < 16; ++k) {
            float g = ((k / 4 + k % 4) % 2) ? 0.55f : 0.35f;
            glColor4f(g, g, g, 1);
            float x0 = cx + (k % 4) * 16.0f, y0 = cy + (k / 4) * 16.0f;
            const float q[8] = {x0, y0, x0 + 16, y0, x0, y0 + 16, x0 + 16, y0 + 16};
            DrawQuad2D(q);
        }
    }
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const GLTexture* tex = pictures[i].second.get();
        if (!tex->Bind())
            continue;
        float w = static_cast<float>(tex->width), h = static_cast<float>(tex->height);
        float s = (cell - 4.0f) / std::max(w, h);
        w *= s;
        h *= s;
        float cx = (i % perRow) * cell + cell / 2.0f, cy = top + (i / perRow) * cell + cell / 2.0f;
        const float q[8] = {cx - w / 2, cy - h / 2, cx + w / 2, cy - h / 2,
                            cx - w / 2, cy + h / 2, cx + w / 2, cy + h / 2};
        const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
        DrawQuad2DTex(q, uv);
    }
    End2D();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: artsheet DATA_DIR OUT.png\n");
        return 2;
    }
    dataDir = argv[1];
    if (SDL_Init(0) < 0) {
        std::fprintf(stderr, "artsheet: %s\n", SDL_GetError());
        return 1;
    }
    GLContext context;
    context.nearDist = 0.01f;
    context.farDist = 1000;
    if (!context.Create(kWidth, kHeight, 0)) {
        std::fprintf(stderr, "artsheet: no OpenGL window\n");
        SDL_Quit();
        return 1;
    }
    SetMipMapping(1);
    Theme theme = LoadThemeIni();
    const float globalAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
    int rc = 0;
    {
        std::map<std::string, std::unique_ptr<Model3D>> m;
        std::map<std::string, std::unique_ptr<GLTexture>> t;
        const std::string theme1 = "gfx/theme1/";
        SetMipMapping(0);
        for (int i = 0; i < kWallPieceCount; ++i) {
            m["mur" + std::to_string(i)] = LoadModel(theme1, kWallPieces[i].model, kCell);
            // As the game does for wall pieces: clamped, no mipmaps.
            for (Objet3D* o = m["mur" + std::to_string(i)]->objects.head; o; o = o->next)
                if (o->material && o->material->texture)
                    o->material->texture->SetWrap(GL_CLAMP, GL_CLAMP_TO_EDGE);
        }
        SetMipMapping(1);
        for (const char* n : {"car", "sol", "bombe", "special", "explosion", "fond"})
            m[n] = LoadModel(theme1, std::string(n) + ".3do", kCell);
        for (int k = 1; k <= 5; ++k)
            for (const char* s : {"", "on"}) {
                std::string n = "objet" + std::to_string(k) + s;
                m[n] = LoadModel(theme1, n + ".3do", kCell);
            }
        if (Material* e = FindMaterial("explosion")) {
            e->transparencyMode = 2;
        }
        SetMipMapping(0);
        m["carmenu"] = LoadModel("gfx/", "carmenu.3do", 1.0f);
        m["logo"] = LoadModel("gfx/", "logo.3do", 1.0f);
        m["fondmenu"] = LoadModel("gfx/", "fondmenu.3do", 1.0f);
        {
            // The game shrinks the logo to a 0.4 cube centred on the origin.
            Model3D* logo = m["logo"].get();
            float mn[3], mx[3];
            logo->ComputeBoundingBox(mn, mx);
            float centre[3], scale[3];
            for (int a = 0; a < 3; ++a) {
                centre[a] = (mn[a] + mx[a]) / 2;
                scale[a] = mx[a] > mn[a] ? 0.4f / (mx[a] - mn[a]) : 1.0f;
            }
            logo->Transform(centre, scale);
        }
        // Close-up copies at one unit per cell.
        m["carbig"] = LoadModel(theme1, "car.3do", 1.0f);
        m["specialbig"] = LoadModel(theme1, "special.3do", 1.0f);
        m["bombebig"] = LoadModel(theme1, "bombe.3do", 1.0f);
        m["blocbig"] = LoadModel(theme1, "objet2.3do", 1.0f);
        m["blocbigon"] = LoadModel(theme1, "objet2on.3do", 1.0f);
        SetMipMapping(1);
        for (const char* n : {"detail", "shadow", "shadowbomb", "shadowcar", "trace1", "trace2"})
            t[n] = LoadTexture(theme1 + "texture/" + n + ".png", true);
        for (int k = 1; k <= 5; ++k)
            t["arrive" + std::to_string(k)] = LoadTexture(theme1 + "texture/arrive" + std::to_string(k) + ".png", true);
        t["solmenu"] = LoadTexture("gfx/3d/solmenu.png");
        t["solmenushadow"] = LoadTexture("gfx/3d/solmenushadow.png", true);
        t["menushadowcar"] = LoadTexture("gfx/3d/shadowcar.png", true);

        std::vector<std::pair<std::string, std::unique_ptr<GLTexture>>> pictures;
        for (const char* n :
             {"sol",      "bordure", "mur",    "murhaut",    "bloc",      "blocon",    "arrive1", "arrive2", "arrive3",
              "arrive4",  "arrive5", "shadow", "shadowbomb", "shadowcar", "detail",    "trace1",  "trace2",  "car",
              "carvitre", "roue",    "bombe",  "pierre",     "colonne",   "explosion", "fond"})
            pictures.emplace_back(n, LoadTexture(theme1 + "texture/" + n + ".png", true));
        for (const char* n :
             {"solmenu", "solmenushadow", "shadowcar", "car", "carvitre", "roue", "logolettres", "fondmenu"})
            pictures.emplace_back(n, LoadTexture(std::string("gfx/3d/") + n + ".png", true));
        for (const char* n :
             {"pointeur", "selection", "selection_left", "selection_middle", "selection_right", "fonteicone", "icon"})
            pictures.emplace_back(n, LoadTexture(std::string("gfx/2d/") + n + ".png", true));

        glEnable(GL_SCISSOR_TEST);
        DrawBoardPiece(theme, m, t);
        DrawMenuPreview(m, t);
        CloseUp(0, m["carbig"].get(), 30, -35, 1.7f, 0.15f, theme);
        CloseUp(1, m["logo"].get(), 25, -12, 0.9f, 0.0f, theme, true);
        // A special block on its cell with a bomb beside it.
        CloseUp(2, nullptr, 20, -30, 3.0f, 0.6f, theme);
        DrawAt(m["specialbig"].get(), 0.5f, 0, 0.5f);
        DrawAt(m["bombebig"].get(), 0.9f, 0, 0.4f);
        // A block and its "on" form, at the game's viewing angle.
        CloseUp(3, nullptr, 0, -50, 2.6f, 0.0f, theme);
        glLoadIdentity();
        Camera(0, -50, 2.6f);
        SetLights(theme);
        DrawAt(m["blocbig"].get(), -0.6f, 0, 0);
        DrawAt(m["blocbigon"].get(), 0.6f, 0, 0);
        glDisable(GL_SCISSOR_TEST);
        for (const char* n : {"selection_left", "selection_middle", "selection_right", "pointeur"})
            t[n] = LoadTexture(std::string("gfx/2d/") + n + ".png", true);
        GLFont2D icons;
        if (!icons.Load((dataDir + "/gfx/2d/fonteicone.png").c_str(), 48, 48, 4))
            ReportFault("cannot load the icon font");
        DrawOverlays(t, icons);
        DrawPictures(pictures);
        glFinish();
        uint8_t* rgb = ReadPixelsRGB(0, 0, kWidth, kHeight);
        std::string error;
        if (!rgb || !WritePng(argv[2], kWidth, kHeight, 3, rgb, error)) {
            std::fprintf(stderr, "artsheet: cannot write %s %s\n", argv[2], error.c_str());
            rc = 1;
        }
        std::free(rgb);
        if (!context.CheckError())
            ReportFault("OpenGL error");
        // Models and textures go while the context is still there.
    }
    context.Close();
    SDL_Quit();
    if (faults)
        rc = 1;
    return rc;
}
