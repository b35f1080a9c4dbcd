#pragma once
// Mesh building for the art kit: points, texture coordinates and triangles
// whose front side is the clockwise side as seen from outside, plus the few
// solids the models are made of (rounded boxes, bevelled extrusions of
// outlines, lofts, solids of revolution).
//
// The game computes vertex normals by averaging the faces that touch a
// position, across the whole object; so a flat face keeps flat lighting
// only where its points touch nothing else. The builders therefore add a
// thin coplanar margin inside every bevel, which keeps the faces flat and
// the edges softly rounded.
#include "engine/format3do.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct V2 {
    double x = 0, y = 0;
};

struct V3 {
    double x = 0, y = 0, z = 0;
};

inline V2 operator+(V2 a, V2 b)
{
    return {a.x + b.x, a.y + b.y};
}
inline V2 operator-(V2 a, V2 b)
{
    return {a.x - b.x, a.y - b.y};
}
inline V2 operator*(V2 a, double s)
{
    return {a.x * s, a.y * s};
}
inline V3 operator+(V3 a, V3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline V3 operator-(V3 a)
{
    return {-a.x, -a.y, -a.z};
}
inline double Dot(V3 a, V3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 Cross(V3 a, V3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(V3 a)
{
    return std::sqrt(Dot(a, a));
}
inline V3 Normalize(V3 a)
{
    double l = Length(a);
    return l > 0 ? a * (1.0 / l) : a;
}
inline double Cross2(V2 a, V2 b)
{
    return a.x * b.y - a.y * b.x;
}

constexpr double kPi = 3.14159265358979323846;

struct Mesh {
    std::vector<V3> points;
    std::vector<V2> uvs;
    std::vector<uint32_t> faces;

    uint32_t Point(V3 p, V2 uv);
    // A triangle turned so that its front side faces along `outward`;
    // triangles without area are dropped.
    void Triangle(uint32_t a, uint32_t b, uint32_t c, V3 outward);
    // A quad given by its corners in order around it, as two triangles.
    void Quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, V3 outward);
    void Append(const Mesh& other);
    void MapPoints(const std::function<V3(V3)>& f);
    void MapUvs(const std::function<V2(V3, V2)>& f);
    V3 Min() const;
    V3 Max() const;
};

// Points are written so that the game's loader, which snaps them to a grid
// of thousandths, reads them back as designed.
Model3doObject ToObject(const Mesh& mesh, const std::string& name, const std::string& material);

// Triangulates a simple polygon (either winding); result holds index
// triples into the outline.
std::vector<uint32_t> TriangulatePolygon(const std::vector<V2>& outline);

// A box with rounded edges and corners. Texture coordinates run 0..1 over
// each face (taken from the unrounded box, so the rounding carries the
// face's border).
struct RoundedBoxParams {
    V3 center;
    V3 half{0.5, 0.5, 0.5};
    double radius = 0.1;
    int bandSteps = 3;
    double margin = 0.03;
    bool faces[6] = {true, true, true, true, true, true};  // -x +x -y +y -z +z
};
void AddRoundedBox(Mesh& mesh, const RoundedBoxParams& params);

// An outline extruded along a frame axis with bevels at both ends. The
// outline lies in the plane spanned by frame u and v; the solid runs from
// 0 to `height` along w. An open edge gets neither bevel nor side, so that
// two solids cut at the same line meet seamlessly (wall joins, letter
// strokes). Top and bottom faces, bevels and sides may go to separate meshes.
struct Frame {
    V3 origin;
    V3 u{1, 0, 0};
    V3 v{0, 0, 1};
    V3 w{0, 1, 0};
    V3 At(double a, double b, double c) const { return origin + u * a + v * b + w * c; }
};

struct ExtrudeParams {
    std::vector<V2> outline;
    std::vector<bool> openEdge;  // edge i runs from point i to point i + 1
    double height = 1.0;
    double bevelTop = 0.05;
    double bevelBottom = 0.0;
    double margin = 0.03;
    bool capTop = true;
    bool capBottom = false;
    Frame frame;
};

struct ExtrudeTargets {
    Mesh* top = nullptr;     // top face and its bevel
    Mesh* side = nullptr;    // the sides
    Mesh* bottom = nullptr;  // bottom face and its bevel
};

// Texture coordinates for a point of the extrusion: the point in world
// space, its outline coordinates (a, b), its height c, and the outward
// direction of the part it belongs to.
using ExtrudeUv = std::function<V2(V3 world, V2 ab, double c, V3 outward)>;

void AddExtrusion(const ExtrudeParams& params, const ExtrudeTargets& to, const ExtrudeUv& uv);

// Offsets a polygon inward by a distance per edge (mitred corners).
std::vector<V2> InsetPolygon(const std::vector<V2>& outline, const std::vector<double>& distance);

// Signed area (positive when counter-clockwise in the a, b plane).
double PolygonArea(const std::vector<V2>& outline);

// A solid of revolution about the frame's w axis. The profile is a list of
// (radius, height) pairs running from the bottom to the top on the outside;
// radius 0 closes a pole. uv(profileIndex, angleFraction) gives texture
// coordinates.
void AddRevolution(Mesh& mesh, const Frame& frame, const std::vector<V2>& profile, int segments,
                   const std::function<V2(int, double, V3)>& uv, bool inward = false);

// A closed tube through rings of points (every ring the same size, points
// in the same rotational order); the ends are capped with fans when asked.
void AddLoft(Mesh& mesh, const std::vector<std::vector<V3>>& rings, bool capStart, bool capEnd,
             const std::function<V2(int ring, int index, V3 p)>& uv);

// A superellipse ring in a plane perpendicular to x: centre (x, y, z),
// half sizes along z and y, exponent (2 round, larger squarer).
std::vector<V3> SuperellipseRing(double x, double cy, double cz, double halfZ, double halfY, double exponent,
                                 int count);
