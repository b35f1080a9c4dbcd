// Engine hot paths: loading a model of 10 000 faces, and one frame of
// Morph + DrawModel on a model of about 20 000 triangles (the size of the
// largest theme model). The drawing benchmarks need a display (xvfb-run).
#include "engine/draw3d.h"
#include "engine/format3do.h"
#include "engine/glcontext.h"
#include "engine/model3d.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string BenchDir()
{
    static std::string dir = [] {
        char tmpl[] = "/tmp/pondrake-bench-XXXXXX";
        const char* made = mkdtemp(tmpl);
        return std::string(made ? made : "/tmp") + "/";
    }();
    return dir;
}

// Keeps the front (clockwise) side of a triangle facing away from `centre`.
void AddFace(Model3doObject& o, uint32_t a, uint32_t b, uint32_t c, const float centre[3])
{
    const float* p0 = &o.points[3 * a];
    const float* p1 = &o.points[3 * b];
    const float* p2 = &o.points[3 * c];
    float u[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    float v[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    float d = n[0] * (p0[0] - centre[0]) + n[1] * (p0[1] - centre[1]) + n[2] * (p0[2] - centre[2]);
    if (d > 0)
        std::swap(b, c);
    o.faces.insert(o.faces.end(), {a, b, c});
}

// A bumpy sphere; `bump` changes its shape without changing its counts.
Model3doObject Sphere(const char* name, const char* material, const float centre[3], float r, int rings, int segments,
                      float bump)
{
    Model3doObject o;
    o.name = name;
    o.material = material;
    for (int i = 0; i <= rings; ++i)
        for (int j = 0; j <= segments; ++j) {
            double th = M_PI * i / rings, ph = 2 * M_PI * j / segments;
            double rr = r * (1 + bump * std::sin(5 * ph) * std::sin(3 * th));
            const float p[3] = {float(centre[0] + rr * std::sin(th) * std::cos(ph)),
                                float(centre[1] + rr * std::cos(th)),
                                float(centre[2] + rr * std::sin(th) * std::sin(ph))};
            for (int a = 0; a < 3; ++a)
                o.points.push_back(Precompensate3doCoordinate(p[a], a));
            o.uvs.push_back(float(j) / segments);
            o.uvs.push_back(float(i) / rings);
        }
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            uint32_t a = uint32_t(i * (segments + 1) + j), b = a + 1;
            uint32_t c = a + uint32_t(segments + 1), d = c + 1;
            if (i > 0)
                AddFace(o, a, b, c, centre);
            if (i < rings - 1)
                AddFace(o, c, b, d, centre);
        }
    return o;
}

// A flat grid of 100 × 50 squares: 10 000 faces, 5 151 points.
std::string GridFile()
{
    Model3doObject o;
    o.name = "floor";
    o.material = "bench_lit";
    const int nx = 100, nz = 50;
    for (int z = 0; z <= nz; ++z)
        for (int x = 0; x <= nx; ++x) {
            o.points.push_back(x * 0.05f);
            o.points.push_back(0.01f * std::sin(x * 0.7f) * std::cos(z * 0.3f));
            o.points.push_back(z * 0.05f);
            o.uvs.push_back(x / float(nx));
            o.uvs.push_back(z / float(nz));
        }
    for (int z = 0; z < nz; ++z)
        for (int x = 0; x < nx; ++x) {
            uint32_t a = uint32_t(z * (nx + 1) + x), b = a + 1, c = a + uint32_t(nx + 1), d = c + 1;
            o.faces.insert(o.faces.end(), {a, b, c, c, b, d});
        }
    Model3doFile f;
    f.objects = {o};
    Model3doMaterial m;
    m.name = "bench_lit";
    m.lighting = 0;  // lighted and smooth: vertex normals are computed at load
    f.materials = {m};
    std::string path = BenchDir() + "grid.3do", error;
    Write3do(path.c_str(), f, error);
    return path;
}

// Body and four wheels, about 20 000 triangles in all, with a morph target
// of the same counts.
std::string CarFile(const char* name, float bump)
{
    const float body[3] = {0, 0.3f, 0};
    Model3doFile f;
    f.objects.push_back(Sphere("body", "bench_paint", body, 0.5f, 80, 100, bump));
    const char* wheels[4] = {"RoueAvD", "RoueAvG", "RoueArD", "RoueArG"};
    for (int i = 0; i < 4; ++i) {
        const float c[3] = {i < 2 ? 0.35f : -0.35f, 0.1f, i % 2 ? 0.3f : -0.3f};
        f.objects.push_back(Sphere(wheels[i], "bench_rubber", c, 0.12f, 20, 32, bump * 0.5f));
    }
    Model3doMaterial paint;
    paint.name = "bench_paint";
    paint.lighting = 0;
    Model3doMaterial rubber;
    rubber.name = "bench_rubber";
    rubber.lighting = 0;
    rubber.transparency = 0.8f;
    f.materials = {paint, rubber};
    std::string path = BenchDir() + name, error;
    Write3do(path.c_str(), f, error);
    return path;
}

void BM_Decode3do10kFaces(benchmark::State& state)
{
    static const std::string path = GridFile();
    for (auto _ : state) {
        Model3doFile f;
        std::string error;
        bool ok = Read3do(path.c_str(), f, error);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_Decode3do10kFaces)->Unit(benchmark::kMillisecond);

void BM_LoadModel10kFaces(benchmark::State& state)
{
    static const std::string path = GridFile();
    SetObjectPath("");
    for (auto _ : state) {
        Model3D m;
        if (!m.Load(path.c_str())) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(m.totalFaces);
    }
    state.counters["faces"] = 10000;
}
BENCHMARK(BM_LoadModel10kFaces)->Unit(benchmark::kMillisecond);

GLContext* Context()
{
    static GLContext context;
    static bool tried = false;
    if (!tried) {
        tried = true;
        context.fov = 45;
        context.nearDist = 0.01f;
        context.farDist = 1000;
        if (!context.Create(800, 600, 0))
            return nullptr;
    }
    return context.initialised ? &context : nullptr;
}

struct MorphScene {
    Model3D a, b, instance;
    bool ready = false;

    MorphScene()
    {
        SetObjectPath("");
        ready = a.Load(CarFile("car.3do", 0).c_str()) && b.Load(CarFile("carmorph.3do", 0.15f).c_str()) &&
                instance.CopyFrom(a);
        if (ready)
            SetMorph(&instance, &a, &b);
    }
};

MorphScene& Scene()
{
    static MorphScene scene;
    return scene;
}

void SetUpView()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, -0.2f, -2);
    const float pos[4] = {0.5f, 1, 1, 0}, white[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, pos);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glEnable(GL_LIGHT0);
}

void BM_Morph20kTriangles(benchmark::State& state)
{
    MorphScene& s = Scene();
    if (!s.ready) {
        state.SkipWithError("models not made");
        return;
    }
    float t = 0;
    for (auto _ : state) {
        Morph(&s.instance, t);
        t = t > 1 ? 0 : t + 0.01f;
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = s.instance.totalFaces;
}
BENCHMARK(BM_Morph20kTriangles)->Unit(benchmark::kMicrosecond);

// One frame as the renderer does it: Morph then DrawModel, waited for with
// glFinish so the (software) GL's work is counted.
void BM_MorphAndDrawModel20kTriangles(benchmark::State& state)
{
    if (!Context()) {
        state.SkipWithError("no OpenGL context (run under xvfb-run)");
        return;
    }
    MorphScene& s = Scene();
    if (!s.ready) {
        state.SkipWithError("models not made");
        return;
    }
    SetUpView();
    float t = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Morph(&s.instance, t);
        DrawModel(&s.instance);
        glFinish();
        t = t > 1 ? 0 : t + 0.01f;
    }
    state.counters["triangles"] = s.instance.totalFaces;
}
BENCHMARK(BM_MorphAndDrawModel20kTriangles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
