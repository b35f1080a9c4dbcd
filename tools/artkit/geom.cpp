#include "geom.h"

#include <algorithm>
#include <limits>

uint32_t Mesh::Point(V3 p, V2 uv)
{
    points.push_back(p);
    uvs.push_back(uv);
    return static_cast<uint32_t>(points.size() - 1);
}

void Mesh::Triangle(uint32_t a, uint32_t b, uint32_t c, V3 outward)
{
    V3 n = Cross(points[b] - points[a], points[c] - points[a]);
    if (Length(n) < 1e-12)
        return;
    // The front side is the one that looks clockwise: the cross product of
    // its edges points away from the viewer.
    if (Dot(n, outward) > 0)
        std::swap(b, c);
    faces.push_back(a);
    faces.push_back(b);
    faces.push_back(c);
}

void Mesh::Quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, V3 outward)
{
    Triangle(a, b, c, outward);
    Triangle(a, c, d, outward);
}

void Mesh::Append(const Mesh& other)
{
    uint32_t base = static_cast<uint32_t>(points.size());
    points.insert(points.end(), other.points.begin(), other.points.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (uint32_t f : other.faces)
        faces.push_back(base + f);
}

void Mesh::MapPoints(const std::function<V3(V3)>& f)
{
    for (V3& p : points)
        p = f(p);
}

void Mesh::MapUvs(const std::function<V2(V3, V2)>& f)
{
    for (size_t i = 0; i < points.size(); ++i)
        uvs[i] = f(points[i], uvs[i]);
}

V3 Mesh::Min() const
{
    V3 m{1e30, 1e30, 1e30};
    for (const V3& p : points)
        m = {std::min(m.x, p.x), std::min(m.y, p.y), std::min(m.z, p.z)};
    return m;
}

V3 Mesh::Max() const
{
    V3 m{-1e30, -1e30, -1e30};
    for (const V3& p : points)
        m = {std::max(m.x, p.x), std::max(m.y, p.y), std::max(m.z, p.z)};
    return m;
}

Model3doObject ToObject(const Mesh& mesh, const std::string& name, const std::string& material)
{
    Model3doObject o;
    o.name = name;
    o.material = material;
    o.points.reserve(mesh.points.size() * 3);
    for (const V3& p : mesh.points) {
        o.points.push_back(Precompensate3doCoordinate(static_cast<float>(p.x), 0));
        o.points.push_back(Precompensate3doCoordinate(static_cast<float>(p.y), 1));
        o.points.push_back(Precompensate3doCoordinate(static_cast<float>(p.z), 2));
    }
    for (const V2& t : mesh.uvs) {
        o.uvs.push_back(static_cast<float>(t.x));
        o.uvs.push_back(static_cast<float>(t.y));
    }
    o.faces = mesh.faces;
    return o;
}

double PolygonArea(const std::vector<V2>& outline)
{
    double a = 0;
    for (size_t i = 0; i < outline.size(); ++i) {
        const V2& p = outline[i];
        const V2& q = outline[(i + 1) % outline.size()];
        a += p.x * q.y - q.x * p.y;
    }
    return a / 2;
}

namespace {

bool PointInTriangle(V2 p, V2 a, V2 b, V2 c)
{
    double d1 = Cross2(b - a, p - a), d2 = Cross2(c - b, p - b), d3 = Cross2(a - c, p - c);
    return d1 >= -1e-12 && d2 >= -1e-12 && d3 >= -1e-12;
}

}  // namespace

std::vector<uint32_t> TriangulatePolygon(const std::vector<V2>& outline)
{
    std::vector<uint32_t> result;
    std::vector<uint32_t> idx(outline.size());
    for (size_t i = 0; i < idx.size(); ++i)
        idx[i] = static_cast<uint32_t>(i);
    if (PolygonArea(outline) < 0)
        std::reverse(idx.begin(), idx.end());
    // Ear clipping; a polygon that has no ear left (numerical trouble) is
    // finished as a fan rather than looping.
    size_t guard = 0;
    while (idx.size() > 3 && guard++ < outline.size() * outline.size() + 16) {
        bool clipped = false;
        for (size_t i = 0; i < idx.size(); ++i) {
            uint32_t ia = idx[(i + idx.size() - 1) % idx.size()], ib = idx[i], ic = idx[(i + 1) % idx.size()];
            V2 a = outline[ia], b = outline[ib], c = outline[ic];
            double turn = Cross2(b - a, c - b);
            if (turn <= 1e-12)
                continue;
            bool inside = false;
            for (uint32_t j : idx) {
                if (j == ia || j == ib || j == ic)
                    continue;
                V2 p = outline[j];
                if ((p.x == a.x && p.y == a.y) || (p.x == b.x && p.y == b.y) || (p.x == c.x && p.y == c.y))
                    continue;
                if (PointInTriangle(p, a, b, c)) {
                    inside = true;
                    break;
                }
            }
            if (inside)
                continue;
            result.insert(result.end(), {ia, ib, ic});
            idx.erase(idx.begin() + static_cast<long>(i));
            clipped = true;
            break;
        }
        if (!clipped)
            break;
    }
    for (size_t i = 1; i + 1 < idx.size(); ++i)
        result.insert(result.end(), {idx[0], idx[i], idx[i + 1]});
    return result;
}

std::vector<V2> InsetPolygon(const std::vector<V2>& outline, const std::vector<double>& distance)
{
    size_t n = outline.size();
    double sign = PolygonArea(outline) >= 0 ? 1.0 : -1.0;
    std::vector<V2> normal(n);
    std::vector<double> offset(n);
    for (size_t i = 0; i < n; ++i) {
        V2 d = outline[(i + 1) % n] - outline[i];
        double l = std::sqrt(d.x * d.x + d.y * d.y);
        // Outward side of a counter-clockwise outline is to the right.
        V2 nn{d.y / l * sign, -d.x / l * sign};
        normal[i] = nn;
        offset[i] = nn.x * outline[i].x + nn.y * outline[i].y - distance[i];
    }
    std::vector<V2> out(n);
    for (size_t j = 0; j < n; ++j) {
        size_t i = (j + n - 1) % n;
        double det = normal[i].x * normal[j].y - normal[i].y * normal[j].x;
        if (std::fabs(det) < 1e-9) {
            out[j] = outline[j] - normal[j] * distance[j];
            continue;
        }
        out[j] = {(offset[i] * normal[j].y - normal[i].y * offset[j]) / det,
                  (normal[i].x * offset[j] - offset[i] * normal[j].x) / det};
    }
    return out;
}

namespace {

// The first and last grid line on the flat part of a face (|v| <= inner).
struct FlatSpan {
    size_t first = 0, last = 0;
};

FlatSpan FlatLines(const std::vector<double>& lines, double inner)
{
    FlatSpan f{lines.size(), 0};
    for (size_t i = 0; i < lines.size(); ++i)
        if (std::fabs(lines[i]) <= inner + 1e-9) {
            f.first = std::min(f.first, i);
            f.last = i;
        }
    return f;
}

// The intervals a face is cut into along one axis: each step of the bands,
// and the flat part whole.
std::vector<std::pair<size_t, size_t>> Spans(size_t count, FlatSpan flat)
{
    std::vector<std::pair<size_t, size_t>> spans;
    for (size_t i = 0; i + 1 < count; ++i) {
        if (flat.first < flat.last && i == flat.first) {
            spans.push_back({flat.first, flat.last});
            i = flat.last - 1;
            continue;
        }
        spans.push_back({i, i + 1});
    }
    return spans;
}

}  // namespace

void AddRoundedBox(Mesh& mesh, const RoundedBoxParams& s)
{
    const double h[3] = {s.half.x, s.half.y, s.half.z};
    const double c[3] = {s.center.x, s.center.y, s.center.z};
    const double r = s.radius;
    // Grid lines per axis: the rounded band at equal angles, then a margin
    // line so the flat part's points touch only flat triangles.
    std::vector<double> lines[3];
    for (int a = 0; a < 3; ++a) {
        std::vector<double> half;
        double inner = h[a] - r;
        half.push_back(std::max(0.0, inner - s.margin));
        for (int i = 0; i <= s.bandSteps; ++i)
            half.push_back(inner + r * std::tan((kPi / 4) * i / s.bandSteps));
        std::vector<double>& l = lines[a];
        for (auto it = half.rbegin(); it != half.rend(); ++it)
            l.push_back(-*it);
        for (double v : half)
            l.push_back(v);
        l.erase(std::unique(l.begin(), l.end(), [](double x, double y) { return std::fabs(x - y) < 1e-9; }), l.end());
    }
    for (int face = 0; face < 6; ++face) {
        if (!s.faces[face])
            continue;
        int a = face / 2;
        double sg = (face % 2) ? 1.0 : -1.0;
        int b = (a + 1) % 3, d = (a + 2) % 3;
        const std::vector<double>& lb = lines[b];
        const std::vector<double>& ld = lines[d];
        std::vector<int64_t> grid(lb.size() * ld.size(), -1);
        auto point = [&](size_t i, size_t j) {
            int64_t& id = grid[i * ld.size() + j];
            if (id >= 0)
                return static_cast<uint32_t>(id);
            double p[3];
            p[a] = sg * h[a];
            p[b] = lb[i];
            p[d] = ld[j];
            double q[3], dir[3], len2 = 0;
            for (int k = 0; k < 3; ++k) {
                q[k] = std::clamp(p[k], -(h[k] - r), h[k] - r);
                dir[k] = p[k] - q[k];
                len2 += dir[k] * dir[k];
            }
            double len = std::sqrt(len2);
            double out[3];
            for (int k = 0; k < 3; ++k)
                out[k] = c[k] + (len > 0 ? q[k] + dir[k] / len * r : p[k]);
            V2 uv{(p[b] + h[b]) / (2 * h[b]), (p[d] + h[d]) / (2 * h[d])};
            id = mesh.Point({out[0], out[1], out[2]}, uv);
            return static_cast<uint32_t>(id);
        };
        auto quad = [&](size_t i0, size_t j0, size_t i1, size_t j1, size_t k0, size_t l0, size_t k1, size_t l1) {
            uint32_t p00 = point(i0, j0), p10 = point(i1, j1), p11 = point(k1, l1), p01 = point(k0, l0);
            V3 mid = (mesh.points[p00] + mesh.points[p11]) * 0.5;
            mesh.Quad(p00, p10, p11, p01, mid - s.center);
        };
        // The flat part of the face is one span per axis: it needs no points
        // but its corners and the margin square's, which keep its shading
        // flat, so the band's strips along it are single quads.
        const FlatSpan fb = FlatLines(lb, h[b] - r), fd = FlatLines(ld, h[d] - r);
        const std::vector<std::pair<size_t, size_t>> sb = Spans(lb.size(), fb), sd = Spans(ld.size(), fd);
        for (const auto& [i0, i1] : sb)
            for (const auto& [j0, j1] : sd) {
                const bool flat = i0 == fb.first && i1 == fb.last && j0 == fd.first && j1 == fd.last;
                if (!flat || i1 - i0 < 2 || j1 - j0 < 2) {
                    quad(i0, j0, i1, j0, i0, j1, i1, j1);
                    continue;
                }
                // The margin ring as four trapezoids round the flat square.
                const size_t ii0 = i0 + 1, ii1 = i1 - 1, jj0 = j0 + 1, jj1 = j1 - 1;
                quad(i0, j0, i1, j0, ii0, jj0, ii1, jj0);
                quad(i1, j0, i1, j1, ii1, jj0, ii1, jj1);
                quad(i1, j1, i0, j1, ii1, jj1, ii0, jj1);
                quad(i0, j1, i0, j0, ii0, jj1, ii0, jj0);
                quad(ii0, jj0, ii1, jj0, ii0, jj1, ii1, jj1);
            }
    }
}

void AddExtrusion(const ExtrudeParams& s, const ExtrudeTargets& to, const ExtrudeUv& uvf)
{
    std::vector<V2> outline = s.outline;
    std::vector<bool> open = s.openEdge;
    open.resize(outline.size(), false);
    if (PolygonArea(outline) < 0) {
        // Keep edge i between the same two points after reversing.
        std::reverse(outline.begin(), outline.end());
        std::vector<bool> o(open.size());
        for (size_t i = 0; i < open.size(); ++i)
            o[i] = open[(2 * open.size() - 2 - i) % open.size()];
        open = o;
    }
    const size_t n = outline.size();
    auto insetBy = [&](double t) {
        std::vector<double> d(n);
        for (size_t i = 0; i < n; ++i)
            d[i] = open[i] ? 0.0 : t;
        return InsetPolygon(outline, d);
    };
    const Frame& f = s.frame;
    const V3 up = f.w;
    auto edgeOut = [&](size_t i) {
        V2 d = outline[(i + 1) % n] - outline[i];
        double l = std::sqrt(d.x * d.x + d.y * d.y);
        return Normalize(f.u * (d.y / l) - f.v * (d.x / l));
    };

    // One end: flat face (inner part and margin ring) and bevel ring.
    auto addEnd = [&](Mesh* m, bool top, double bevel) {
        if (!m)
            return;
        double cFace = top ? s.height : 0.0;
        double cEdge = top ? s.height - bevel : bevel;
        V3 faceOut = top ? up : -up;
        std::vector<V2> rim = insetBy(bevel);
        std::vector<V2> inner = insetBy(bevel + s.margin);
        std::vector<uint32_t> innerIdx(n), rimIdx(n), edgeIdx(n);
        for (size_t i = 0; i < n; ++i) {
            V3 w = f.At(inner[i].x, inner[i].y, cFace);
            innerIdx[i] = m->Point(w, uvf(w, inner[i], cFace, faceOut));
        }
        std::vector<uint32_t> tris = TriangulatePolygon(inner);
        for (size_t k = 0; k + 2 < tris.size(); k += 3)
            m->Triangle(innerIdx[tris[k]], innerIdx[tris[k + 1]], innerIdx[tris[k + 2]], faceOut);
        for (size_t i = 0; i < n; ++i) {
            V3 w = f.At(rim[i].x, rim[i].y, cFace);
            rimIdx[i] = m->Point(w, uvf(w, rim[i], cFace, faceOut));
        }
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            if (open[i])
                continue;
            m->Quad(innerIdx[i], innerIdx[j], rimIdx[j], rimIdx[i], faceOut);
        }
        if (bevel <= 0)
            return;
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            if (open[i])
                continue;
            V3 out = Normalize(edgeOut(i) + faceOut);
            V3 a = f.At(outline[i].x, outline[i].y, cEdge);
            V3 b = f.At(outline[j].x, outline[j].y, cEdge);
            uint32_t ia = m->Point(a, uvf(a, outline[i], cEdge, out));
            uint32_t ib = m->Point(b, uvf(b, outline[j], cEdge, out));
            uint32_t ra = m->Point(m->points[rimIdx[i]], uvf(m->points[rimIdx[i]], rim[i], cFace, out));
            uint32_t rb = m->Point(m->points[rimIdx[j]], uvf(m->points[rimIdx[j]], rim[j], cFace, out));
            m->Quad(ra, rb, ib, ia, out);
        }
    };
    if (s.capTop)
        addEnd(to.top, true, s.bevelTop);
    if (s.capBottom)
        addEnd(to.bottom, false, s.bevelBottom);

    if (to.side) {
        Mesh* m = to.side;
        double c0 = s.capBottom ? s.bevelBottom : 0.0;
        double c1 = s.capTop ? s.height - s.bevelTop : s.height;
        for (size_t i = 0; i < n; ++i) {
            if (open[i])
                continue;
            size_t j = (i + 1) % n;
            V3 out = edgeOut(i);
            V3 a0 = f.At(outline[i].x, outline[i].y, c0), b0 = f.At(outline[j].x, outline[j].y, c0);
            V3 a1 = f.At(outline[i].x, outline[i].y, c1), b1 = f.At(outline[j].x, outline[j].y, c1);
            uint32_t ia0 = m->Point(a0, uvf(a0, outline[i], c0, out));
            uint32_t ib0 = m->Point(b0, uvf(b0, outline[j], c0, out));
            uint32_t ia1 = m->Point(a1, uvf(a1, outline[i], c1, out));
            uint32_t ib1 = m->Point(b1, uvf(b1, outline[j], c1, out));
            m->Quad(ia0, ib0, ib1, ia1, out);
        }
    }
}

void AddRevolution(Mesh& mesh, const Frame& f, const std::vector<V2>& profile, int segments,
                   const std::function<V2(int, double, V3)>& uv, bool inward)
{
    std::vector<std::vector<uint32_t>> rings(profile.size());
    for (size_t i = 0; i < profile.size(); ++i)
        for (int s = 0; s <= segments; ++s) {
            double t = static_cast<double>(s) / segments;
            double ang = 2 * kPi * t;
            V3 p = f.At(profile[i].x * std::cos(ang), profile[i].x * std::sin(ang), profile[i].y);
            rings[i].push_back(mesh.Point(p, uv(static_cast<int>(i), t, p)));
        }
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        V2 d = profile[i + 1] - profile[i];
        for (int s = 0; s < segments; ++s) {
            double ang = 2 * kPi * (s + 0.5) / segments;
            V3 radial = f.u * std::cos(ang) + f.v * std::sin(ang);
            // Outward in the profile plane is (dh, -dr) when the profile
            // runs upwards along the outside.
            V3 out = radial * d.y - f.w * d.x;
            if (Length(out) < 1e-12)
                continue;
            if (inward)
                out = -out;
            mesh.Quad(rings[i][s], rings[i][s + 1], rings[i + 1][s + 1], rings[i + 1][s], out);
        }
    }
}

void AddLoft(Mesh& mesh, const std::vector<std::vector<V3>>& rings, bool capStart, bool capEnd,
             const std::function<V2(int ring, int index, V3 p)>& uv)
{
    const size_t n = rings.front().size();
    auto centre = [](const std::vector<V3>& r) {
        V3 c;
        for (const V3& p : r)
            c = c + p;
        return c * (1.0 / r.size());
    };
    std::vector<std::vector<uint32_t>> idx(rings.size());
    for (size_t r = 0; r < rings.size(); ++r)
        for (size_t i = 0; i <= n; ++i)
            idx[r].push_back(
                mesh.Point(rings[r][i % n], uv(static_cast<int>(r), static_cast<int>(i), rings[r][i % n])));
    for (size_t r = 0; r + 1 < rings.size(); ++r) {
        V3 c = (centre(rings[r]) + centre(rings[r + 1])) * 0.5;
        for (size_t i = 0; i < n; ++i) {
            V3 mid = (rings[r][i] + rings[r + 1][(i + 1) % n]) * 0.5;
            mesh.Quad(idx[r][i], idx[r][i + 1], idx[r + 1][i + 1], idx[r + 1][i], mid - c);
        }
    }
    auto cap = [&](size_t r, size_t neighbour) {
        V3 c = centre(rings[r]);
        V3 out = c - centre(rings[neighbour]);
        uint32_t ci = mesh.Point(c, uv(static_cast<int>(r), -1, c));
        for (size_t i = 0; i < n; ++i)
            mesh.Triangle(ci, idx[r][i], idx[r][i + 1], out);
    };
    if (capStart)
        cap(0, 1);
    if (capEnd)
        cap(rings.size() - 1, rings.size() - 2);
}

std::vector<V3> SuperellipseRing(double x, double cy, double cz, double halfZ, double halfY, double exponent, int count)
{
    std::vector<V3> ring;
    for (int i = 0; i < count; ++i) {
        double t = 2 * kPi * i / count;
        double c = std::cos(t), s = std::sin(t);
        double zc = std::copysign(std::pow(std::fabs(c), 2.0 / exponent), c);
        double ys = std::copysign(std::pow(std::fabs(s), 2.0 / exponent), s);
        ring.push_back({x, cy + halfY * ys, cz + halfZ * zc});
    }
    return ring;
}
