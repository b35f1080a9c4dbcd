#include "scene/intro.h"

#include "engine/draw3d.h"
#include "engine/glcontext.h"
#include "engine/model3d.h"

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

namespace {

constexpr int kEnvSize = 128;
constexpr int kRingSegments = 56;
constexpr int kTubeSegments = 20;
constexpr float kRingRadius = 0.42f;
constexpr float kTubeRadius = 0.11f;
constexpr float kRingSpacing = 0.68f;

float Clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

// A chrome-like sphere map in the part's colour: bright sky above, a dark
// horizon band, warmer ground below and one white highlight.
GLTexture* MakeEnvTexture(const float colour[3])
{
    GLTexture* t = new (std::nothrow) GLTexture;
    if (!t || !t->Allocate(kEnvSize, kEnvSize, 24)) {
        delete t;
        return nullptr;
    }
    for (int j = 0; j < kEnvSize; ++j)
        for (int i = 0; i < kEnvSize; ++i) {
            const float s = (i + 0.5f) / (kEnvSize / 2) - 1.0f;
            const float v = (j + 0.5f) / (kEnvSize / 2) - 1.0f;  // -1 top, 1 bottom
            float b;
            if (v < 0.08f)
                b = 0.62f + 0.38f * Clamp01(-v);
            else
                b = 0.22f + 0.5f * Clamp01((v - 0.08f) * 1.6f);
            b -= 0.25f * std::exp(-(v - 0.08f) * (v - 0.08f) / 0.004f);  // horizon line
            const float dx = s + 0.35f, dy = v + 0.45f;
            const float highlight = 0.95f * std::exp(-(dx * dx + dy * dy) / 0.03f);
            uint8_t* px = t->pixels + (size_t(j) * kEnvSize + i) * 3;
            for (int c = 0; c < 3; ++c) {
                const float tint = 0.25f + 0.75f * colour[c];
                px[c] = static_cast<uint8_t>(std::lround(255.0f * Clamp01(tint * b + highlight)));
            }
        }
    return t;
}

struct Vec {
    float x, y, z;
};

Vec Add(Vec a, Vec b, float k)
{
    return Vec{a.x + b.x * k, a.y + b.y * k, a.z + b.z * k};
}

// A ring (torus) round `centre` in the plane of e1 and e2; its triangles
// are clockwise seen from outside, the game's front side.
Objet3D* MakeRing(const char* name, Material* material, Vec centre, Vec e1, Vec e2, Vec axis)
{
    Objet3D* o = new (std::nothrow) Objet3D;
    const uint32_t points = kRingSegments * kTubeSegments;
    const uint32_t faces = 2 * points;
    if (!o || !o->Allocate(points, faces)) {
        delete o;
        return nullptr;
    }
    o->name = name;
    o->materialName = material->name;
    o->material = material;
    for (int a = 0; a < kRingSegments; ++a) {
        const float u = 2.0f * float(M_PI) * a / kRingSegments;
        const Vec radial = Add(Vec{e1.x * std::cos(u), e1.y * std::cos(u), e1.z * std::cos(u)}, e2, std::sin(u));
        for (int b = 0; b < kTubeSegments; ++b) {
            const float w = 2.0f * float(M_PI) * b / kTubeSegments;
            Vec p = Add(centre, radial, kRingRadius + kTubeRadius * std::cos(w));
            p = Add(p, axis, kTubeRadius * std::sin(w));
            float* dst = &o->points[3 * size_t(a * kTubeSegments + b)];
            dst[0] = p.x;
            dst[1] = p.y;
            dst[2] = p.z;
        }
    }
    size_t f = 0;
    for (int a = 0; a < kRingSegments; ++a)
        for (int b = 0; b < kTubeSegments; ++b) {
            const uint32_t p00 = a * kTubeSegments + b;
            const uint32_t p10 = ((a + 1) % kRingSegments) * kTubeSegments + b;
            const uint32_t p01 = a * kTubeSegments + (b + 1) % kTubeSegments;
            const uint32_t p11 = ((a + 1) % kRingSegments) * kTubeSegments + (b + 1) % kTubeSegments;
            const uint32_t tri[6] = {p00, p01, p10, p10, p01, p11};
            for (uint32_t i : tri)
                o->faces[f++] = i;
        }
    o->normalMode = kNormalsVertex;
    if (!o->ComputeVertexNormals()) {
        delete o;
        return nullptr;
    }
    return o;
}

struct SdlIntroDriver : IntroDriver {};

}  // namespace

uint32_t IntroDriver::Ticks()
{
    return SDL_GetTicks();
}

bool IntroDriver::StopRequested(bool* closed)
{
    SDL_Event e;
    bool stop = false;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_KEYUP)
            stop = true;
        if (e.type == SDL_QUIT) {
            stop = true;
            if (closed)
                *closed = true;
        }
    }
    return stop;
}

void IntroDriver::EndFrame(GLContext&)
{
    SDL_GL_SwapBuffers();
}

IntroPose IntroPoseAt(float t)
{
    IntroPose pose{0, 0, 0};
    if (!(t > 0))
        t = 0;
    if (t < kIntroFlyTime) {
        pose.angle = 720.0f - 5.0f * t;
        pose.z = 2.0f - 5.0f * t / 360.0f;
    } else if (t >= kIntroFlyTime + kIntroStillTime) {
        pose.veil = Clamp01((t - kIntroFlyTime - kIntroStillTime) / kIntroFadeTime);
    }
    return pose;
}

bool BuildIntroLogo(Model3D& logo, const float colours[3][3])
{
    logo.Free();
    logo.name = "intro logo";
    const Vec centres[3] = {{-kRingSpacing, 0.1f, 0}, {0, -0.1f, 0}, {kRingSpacing, 0.1f, 0}};
    // The middle ring is tipped forward so the three hang together like links.
    const float tip = 0.5f;
    const Vec planes[3][3] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{1, 0, 0}, {0, std::cos(tip), std::sin(tip)}, {0, -std::sin(tip), std::cos(tip)}},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
    };
    for (int part = 2; part >= 0; --part) {
        const std::string name = "LOGO" + std::to_string(part + 1);
        Material* m = AcquireMaterial(("intro " + name).c_str());
        if (!m)
            return false;
        logo.materials.InsertHead(m);
        m->flags = kMatEnvMapping | kMatSmooth;
        m->transparency = 1.0f;
        for (int c = 0; c < 3; ++c)
            m->ambient[c] = m->diffuse[c] = 1.0f;
        GLTexture* env = MakeEnvTexture(colours[part]);
        if (!env || !AttachEnvTexture(m, env))
            return false;
        Objet3D* o = MakeRing(name.c_str(), m, centres[part], planes[part][0], planes[part][1], planes[part][2]);
        if (!o)
            return false;
        logo.objects.InsertHead(o);
        logo.totalPoints += static_cast<int32_t>(o->pointCount);
        logo.totalFaces += static_cast<int32_t>(o->faceCount);
    }
    logo.ComputeBoundingBox();
    return true;
}

void DrawIntroFrame(GLContext& context, Model3D& logo, float t)
{
    const IntroPose pose = IntroPoseAt(t);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -3);
    glTranslatef(0, 0, pose.z);
    glRotatef(pose.angle, 0, 1, 0);

    // The reflections follow the logo as it turns.
    glPushMatrix();
    glRotatef(30, 0, 1, 0);
    glRotatef(30, 0, 0, 1);
    double view[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, view);
    glPopMatrix();
    for (Objet3D* o = logo.objects.head; o; o = o->next)
        ComputeEnvMapCoords(o, view);

    glEnable(GL_DEPTH_TEST);
    DrawModel(&logo);

    if (pose.veil > 0) {
        context.SaveMatrices();
        context.SetWindowOrtho();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(0, 0, 0, pose.veil);
        const float w = static_cast<float>(context.rotated ? context.height : context.width);
        const float h = static_cast<float>(context.rotated ? context.width : context.height);
        const float xy[8] = {0, 0, w, 0, 0, h, w, h};
        DrawQuad2D(xy);
        glDisable(GL_BLEND);
        glEnable(GL_CULL_FACE);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
        glColor4f(1, 1, 1, 1);
        context.RestoreMatrices();
    }
}

IntroEnd PlayIntro(GLContext& context, const float logoColours[3][3], IntroDriver* driver)
{
    SdlIntroDriver sdl;
    IntroDriver& d = driver ? *driver : sdl;
    Model3D logo;
    if (!BuildIntroLogo(logo, logoColours))
        return IntroEnd::Played;  // nothing to show; the menus start at once

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    IntroEnd end = IntroEnd::Played;
    const uint32_t start = d.Ticks();
    for (;;) {
        const float t = static_cast<float>(d.Ticks() - start) * 0.06f;
        bool closed = false;
        if (d.StopRequested(&closed)) {
            end = closed ? IntroEnd::Closed : IntroEnd::Skipped;
            break;
        }
        DrawIntroFrame(context, logo, t);
        d.EndFrame(context);
        if (t >= kIntroLength)
            break;
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    return end;
}
