#include "engine/model3d.h"

#include "engine/format3do.h"
#include "app/base/log.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_map>

namespace {

std::string objectPath;
std::string texturePath;
int mipMapping = 0;

void LowerAsciiLetters(std::string& s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

void FreeTexture(GLTexture*& t)
{
    if (t) {
        t->Reset();
        delete t;
        t = nullptr;
    }
}

// Steps shared by SetTexture, SetEnvTexture and AttachEnvTexture once the
// texture is loaded.
GLTexture* FinishTexture(Material* m, GLTexture* t)
{
    if (t->pixelFormat == GL_RGBA) {
        // A texture with alpha takes over the alpha of the material.
        m->transparencyMode = 1;
        m->transparency = 1.0f;
        m->flags |= kMatTransparency;
    }
    t->mipmap = mipMapping;
    if (mipMapping) {
        t->minFilter = kMipmapMinFilter;
        t->magFilter = GL_LINEAR;
    }
    t->Upload();
    return t;
}

GLTexture* LoadMaterialTexture(Material* m, GLTexture*& slot, const char* path)
{
    if (!m)
        return nullptr;
    FreeTexture(slot);
    GLTexture* t = new (std::nothrow) GLTexture;
    if (!t)
        return nullptr;
    if (!t->Load(path)) {
        delete t;
        return nullptr;
    }
    slot = t;
    return FinishTexture(m, t);
}

float Length(const float v[3])
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// Unit normal (p1 − p0) × (p2 − p0) of one face, left as it is when its
// length is 0.
void FaceCross(const float* pts, const uint32_t* f, float n[3])
{
    const float* p0 = pts + 3 * size_t(f[0]);
    const float* p1 = pts + 3 * size_t(f[1]);
    const float* p2 = pts + 3 * size_t(f[2]);
    float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    float b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    n[0] = a[1] * b[2] - a[2] * b[1];
    n[1] = a[2] * b[0] - a[0] * b[2];
    n[2] = a[0] * b[1] - a[1] * b[0];
    float len = Length(n);
    if (len != 0) {
        n[0] /= len;
        n[1] /= len;
        n[2] /= len;
    }
}

// Grid of corner positions for finding the faces that touch a point. Cells
// are wider than twice the matching distance, so every match lies in one of
// the 27 cells around the point.
struct CellKey {
    int64_t x, y, z;
    bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
};
struct CellHash {
    size_t operator()(const CellKey& k) const
    {
        uint64_t h = static_cast<uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
        h ^= static_cast<uint64_t>(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
        return static_cast<size_t>(h);
    }
};

int64_t CellOf(float v)
{
    const double kCell = 1.0 / 65536.0;
    double c = std::floor(static_cast<double>(v) / kCell);
    // Far-out coordinates share a cell; the exact test below still decides.
    c = std::max(-1e15, std::min(1e15, c));
    return static_cast<int64_t>(c);
}

}  // namespace

// ---- materials -------------------------------------------------------------

Material::~Material()
{
    delete texture;
    delete envTexture;
}

VROList<Material>& MaterialList()
{
    static VROList<Material> list;
    return list;
}

Material* FindMaterial(const char* name)
{
    if (!name)
        return nullptr;
    for (Material* m = MaterialList().head; m; m = m->next)
        if (m->name == name)
            return m;
    return nullptr;
}

Material* AcquireMaterial(const char* name)
{
    Material* m = FindMaterial(name);
    if (m) {
        ++m->refCount;
        return m;
    }
    m = new (std::nothrow) Material;
    if (!m)
        return nullptr;
    m->name = name ? name : "";
    MaterialList().InsertHead(m);
    return m;
}

void ReleaseMaterial(Material* material)
{
    if (!material)
        return;
    VROList<Material>& list = MaterialList();
    for (Material* m = list.First(); m; m = list.Next()) {
        if (m != material)
            continue;
        if (m->refCount > 1) {
            --m->refCount;
            return;
        }
        list.UnlinkCursor();
        FreeTexture(m->texture);
        FreeTexture(m->envTexture);
        delete m;
        return;
    }
}

GLTexture* SetTexture(Material* material, const char* path)
{
    return material ? LoadMaterialTexture(material, material->texture, path) : nullptr;
}

GLTexture* SetEnvTexture(Material* material, const char* path)
{
    return material ? LoadMaterialTexture(material, material->envTexture, path) : nullptr;
}

GLTexture* AttachEnvTexture(Material* material, GLTexture* texture)
{
    if (!material || !texture)
        return nullptr;
    if (material->envTexture != texture)
        FreeTexture(material->envTexture);
    material->envTexture = texture;
    return FinishTexture(material, texture);
}

void UploadTextures(Material* material)
{
    if (!material)
        return;
    if (material->texture)
        material->texture->Upload();
    if (material->envTexture)
        material->envTexture->Upload();
}

Material* DefaultMaterial()
{
    static Material m;
    static bool made = false;
    if (!made) {
        made = true;
        m.name = "";
        m.flags = kMatLighted | kMatSmooth;
        m.transparency = 1.0f;
        m.transparencyMode = 1;
        for (int i = 0; i < 3; ++i) {
            m.ambient[i] = 0.5f;
            m.diffuse[i] = 0.8f;
        }
    }
    return &m;
}

void PrintMaterialReport()
{
    VROList<Material>& list = MaterialList();
    std::printf("---------------------------------\n");
    std::printf("NbMaterial = %d\n", list.count);
    long total = 0;
    int i = 0;
    for (Material* m = list.head; m; m = m->next, ++i) {
        std::printf("* Material %d : '%s'\n", i, m->name.c_str());
        std::printf("Color Ambient = (%f,%f,%f)\n", m->ambient[0], m->ambient[1], m->ambient[2]);
        std::printf("Color Diffuse = (%f,%f,%f)\n", m->diffuse[0], m->diffuse[1], m->diffuse[2]);
        std::printf("Transparency = %f\n", m->transparency);
        std::printf("Texture = '%s'\n", m->texture ? m->texture->fileName.c_str() : "");
        std::printf("Texture Environnement = '%s'\n", m->envTexture ? m->envTexture->fileName.c_str() : "");
        std::printf("Rendu : ");
        if (m->flags & kMatMapping)
            std::printf("mapping, ");
        if (m->flags & kMatEnvMapping)
            std::printf("env-mapping, ");
        if (m->flags & kMatTwoSided)
            std::printf("2-Sided, ");
        if (m->flags & kMatLighted)
            std::printf("lighted, ");
        if (m->flags & kMatTransparency)
            std::printf("transparency, ");
        std::printf((m->flags & kMatSmooth) ? "smooth-shaded.\n" : "flat-shaded.\n");
        std::printf("\n");
        for (const GLTexture* t : {m->texture, m->envTexture})
            if (t)
                total += long(t->width) * long(t->height) * 3;
    }
    std::printf("Total Memory used = %d byte\n", static_cast<int>(total));
}

void SetObjectPath(const char* path)
{
    objectPath = path ? path : "";
}

void SetTexturePath(const char* path)
{
    texturePath = path ? path : "";
}

void SetMipMapping(int on)
{
    mipMapping = on ? 1 : 0;
}

int GetMipMapping()
{
    return mipMapping;
}

// ---- objects ---------------------------------------------------------------

bool Objet3D::Allocate(uint32_t nPoints, uint32_t nFaces)
{
    try {
        points.assign(3 * size_t(nPoints), 0.0f);
        vertexNormals.assign(3 * size_t(nPoints), 0.0f);
        faceNormals.assign(3 * size_t(nFaces), 0.0f);
        texCoords.assign(2 * size_t(nPoints), 0.0f);
        texCoords2.assign(2 * size_t(nPoints), 0.0f);
        faces.assign(3 * size_t(nFaces), 0u);
    } catch (const std::bad_alloc&) {
        Free();
        return false;
    }
    pointCount = nPoints;
    faceCount = nFaces;
    return true;
}

void Objet3D::Free()
{
    material = nullptr;
    std::vector<uint32_t>().swap(faces);
    std::vector<float>().swap(points);
    std::vector<float>().swap(vertexNormals);
    std::vector<float>().swap(faceNormals);
    std::vector<float>().swap(texCoords);
    std::vector<float>().swap(texCoords2);
    name.clear();
    materialName.clear();
    pointCount = faceCount = 0;
    normalMode = 0;
    morphable = 0;
}

void Objet3D::ComputeFaceNormals()
{
    if (faceNormals.size() < 3 * size_t(faceCount))
        return;
    for (uint32_t f = 0; f < faceCount; ++f) {
        float n[3];
        FaceCross(points.data(), &faces[3 * size_t(f)], n);
        faceNormals[3 * size_t(f)] = -n[0];
        faceNormals[3 * size_t(f) + 1] = -n[1];
        faceNormals[3 * size_t(f) + 2] = -n[2];
    }
}

bool Objet3D::ComputeVertexNormals()
{
    try {
        std::vector<float> scratch(3 * size_t(faceCount));
        for (uint32_t f = 0; f < faceCount; ++f)
            FaceCross(points.data(), &faces[3 * size_t(f)], &scratch[3 * size_t(f)]);

        std::unordered_map<CellKey, std::vector<uint32_t>, CellHash> grid;
        grid.reserve(3 * size_t(faceCount));
        for (size_t c = 0; c < 3 * size_t(faceCount); ++c) {
            const float* q = &points[3 * size_t(faces[c])];
            grid[CellKey{CellOf(q[0]), CellOf(q[1]), CellOf(q[2])}].push_back(static_cast<uint32_t>(c));
        }

        const float kNear = 0.000001f;
        std::vector<uint32_t> touching;
        for (uint32_t i = 0; i < pointCount; ++i) {
            const float* p = &points[3 * size_t(i)];
            CellKey k{CellOf(p[0]), CellOf(p[1]), CellOf(p[2])};
            touching.clear();
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dz = -1; dz <= 1; ++dz) {
                        auto it = grid.find(CellKey{k.x + dx, k.y + dy, k.z + dz});
                        if (it == grid.end())
                            continue;
                        for (uint32_t c : it->second) {
                            const float* q = &points[3 * size_t(faces[c])];
                            if (std::fabs(q[0] - p[0]) <= kNear && std::fabs(q[1] - p[1]) <= kNear &&
                                std::fabs(q[2] - p[2]) <= kNear)
                                touching.push_back(c / 3);
                        }
                    }
            // A face counts once, and the sum runs in face order.
            std::sort(touching.begin(), touching.end());
            touching.erase(std::unique(touching.begin(), touching.end()), touching.end());
            float sum[3] = {0, 0, 0};
            for (uint32_t f : touching) {
                sum[0] += scratch[3 * size_t(f)];
                sum[1] += scratch[3 * size_t(f) + 1];
                sum[2] += scratch[3 * size_t(f) + 2];
            }
            float len = Length(sum);
            if (len != 0) {
                sum[0] /= len;
                sum[1] /= len;
                sum[2] /= len;
            }
            vertexNormals[3 * size_t(i)] = -sum[0];
            vertexNormals[3 * size_t(i) + 1] = -sum[1];
            vertexNormals[3 * size_t(i) + 2] = -sum[2];
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void Objet3D::BoundingBox(float mn[3], float mx[3]) const
{
    for (int a = 0; a < 3; ++a) {
        mn[a] = 1000000.0f;
        mx[a] = -1000000.0f;
    }
    for (uint32_t i = 0; i < pointCount; ++i)
        for (int a = 0; a < 3; ++a) {
            float v = points[3 * size_t(i) + a];
            mn[a] = std::min(mn[a], v);
            mx[a] = std::max(mx[a], v);
        }
}

// ---- models ----------------------------------------------------------------

void Model3D::Free()
{
    for (auto* n = materials.head; n; n = n->next)
        ReleaseMaterial(n->value);
    materials.FreeAll();
    objects.FreeAll();
    totalPoints = totalFaces = 0;
    name.clear();
    morphSource = morphTarget = nullptr;
}

bool Model3D::Load(const char* fileName)
{
    Free();
    const std::string path = objectPath + (fileName ? fileName : "");
    Model3doFile file;
    std::string error;
    bool missing = false;
    if (!Read3do(path.c_str(), file, error, &missing)) {
        if (missing)
            Warn("Couldn't load Objet3D %s\n", path.c_str());
        else
            Warn("Couldn't load Objet3D %s : %s\n", path.c_str(), error.c_str());
        return false;
    }
    name = fileName ? fileName : "";

    for (Model3doObject& src : file.objects) {
        Objet3D* o = new (std::nothrow) Objet3D;
        const uint32_t p = static_cast<uint32_t>(src.points.size() / 3);
        const uint32_t f = static_cast<uint32_t>(src.faces.size() / 3);
        if (!o || !o->Allocate(p, f)) {
            delete o;
            Warn("Couldn't load Objet3D %s : out of memory\n", path.c_str());
            Free();
            return false;
        }
        objects.InsertHead(o);
        o->name = src.name;
        o->materialName = src.material;
        totalPoints += static_cast<int32_t>(p);
        totalFaces += static_cast<int32_t>(f);
        for (size_t i = 0; i < src.points.size(); ++i)
            o->points[i] = Snap3doCoordinate(src.points[i], static_cast<int>(i % 3));
        o->texCoords.swap(src.uvs);
        o->faces.swap(src.faces);
    }

    for (const Model3doMaterial& rec : file.materials) {
        Material* existing = FindMaterial(rec.name.c_str());
        Material* m = AcquireMaterial(rec.name.c_str());
        if (!m) {
            Warn("Couldn't load Objet3D %s : out of memory\n", path.c_str());
            Free();
            return false;
        }
        materials.InsertHead(m);
        if (existing)
            continue;  // a known material keeps every value and texture it has
        for (int i = 0; i < 3; ++i) {
            m->ambient[i] = rec.ambient[i];
            m->diffuse[i] = rec.diffuse[i];
            m->third[i] = rec.third[i];
        }
        m->transparency = rec.transparency;
        int32_t base = 0;
        if (rec.transparency != 1.0f)
            base |= kMatTransparency;
        if (rec.lighting == 0)
            base |= kMatLighted;
        if (rec.sides == 1)
            base |= kMatTwoSided;
        if (rec.shading != 1)
            base |= kMatSmooth;
        int32_t flags = base;

        std::string texName = rec.texture;
        LowerAsciiLetters(texName);
        if (!texName.empty()) {
            std::string texPath = texturePath + texName;
            GLTexture* t = SetTexture(m, texPath.c_str());
            if (!t) {
                Free();
                return false;
            }
            flags = base | kMatMapping;
            if (!(flags & kMatLighted)) {
                t->envMode = GL_REPLACE;
                glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
            }
            if (t->pixelFormat == GL_RGBA)
                flags |= kMatTransparency;
        }
        std::string envName = rec.envTexture;
        LowerAsciiLetters(envName);
        if (!envName.empty()) {
            std::string texPath = texturePath + envName;
            GLTexture* t = SetEnvTexture(m, texPath.c_str());
            if (!t) {
                Free();
                return false;
            }
            if (!(flags & kMatLighted)) {
                t->envMode = GL_REPLACE;
                glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
            }
            flags |= kMatEnvMapping;
            if (t->pixelFormat == GL_RGBA)
                flags |= kMatTransparency;
        }
        m->flags = flags;
        if (flags & kMatTransparency)
            m->transparencyMode = 5;
    }

    for (Objet3D* o = objects.head; o; o = o->next) {
        // Only this file's materials: the model holds references to those.
        Material* m = nullptr;
        for (auto* n = materials.head; n && !m; n = n->next)
            if (n->value->name == o->materialName)
                m = n->value;
        o->material = m ? m : DefaultMaterial();
        const int32_t flags = o->material->flags;
        bool ok = true;
        if ((flags & kMatEnvMapping) || ((flags & kMatLighted) && (flags & kMatSmooth))) {
            o->normalMode = kNormalsVertex;
            ok = o->ComputeVertexNormals();
        } else if (flags & kMatLighted) {
            o->normalMode = kNormalsFace;
            o->ComputeFaceNormals();
        }
        if (!ok) {
            Warn("Couldn't load Objet3D %s : out of memory\n", path.c_str());
            Free();
            return false;
        }
    }
    ComputeBoundingBox();
    return true;
}

bool Model3D::CopyFrom(Model3D& source)
{
    if (&source == this)
        return false;
    Free();
    morphSource = &source;
    for (auto* n = source.materials.head; n; n = n->next) {
        Material* m = AcquireMaterial(n->value->name.c_str());
        if (!m) {
            Free();
            return false;
        }
        materials.InsertHead(m);
    }
    std::vector<const Objet3D*> order;
    for (const Objet3D* o = source.objects.head; o; o = o->next)
        order.push_back(o);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const Objet3D* s = *it;
        Objet3D* o = new (std::nothrow) Objet3D;
        if (!o || !o->Allocate(s->pointCount, s->faceCount)) {
            delete o;
            Free();
            return false;
        }
        objects.InsertHead(o);
        o->name = s->name;
        o->materialName = s->materialName;
        o->material = s->material;
        o->normalMode = s->normalMode;
        o->points = s->points;
        o->vertexNormals = s->vertexNormals;
        o->texCoords = s->texCoords;
        o->faces = s->faces;
        o->faceNormals = s->faceNormals;
        totalPoints += static_cast<int32_t>(s->pointCount);
        totalFaces += static_cast<int32_t>(s->faceCount);
    }
    ComputeBoundingBox();
    return true;
}

Objet3D* Model3D::FindObject(const char* objectName)
{
    if (!objectName)
        return nullptr;
    for (Objet3D* o = objects.head; o; o = o->next)
        if (o->name == objectName)
            return o;
    return nullptr;
}

void Model3D::ComputeBoundingBox(float mn[3], float mx[3])
{
    bool first = true;
    for (const Objet3D* o = objects.head; o; o = o->next) {
        float a[3], b[3];
        o->BoundingBox(a, b);
        for (int i = 0; i < 3; ++i) {
            bboxMin[i] = first ? a[i] : std::min(bboxMin[i], a[i]);
            bboxMax[i] = first ? b[i] : std::max(bboxMax[i], b[i]);
        }
        first = false;
    }
    for (int i = 0; i < 3; ++i) {
        if (mn)
            mn[i] = bboxMin[i];
        if (mx)
            mx[i] = bboxMax[i];
    }
}

void Model3D::Transform(const float offset[3], const float scale[3])
{
    for (Objet3D* o = objects.head; o; o = o->next)
        for (size_t i = 0; i < o->points.size(); ++i)
            o->points[i] = (o->points[i] - offset[i % 3]) * scale[i % 3];
}

void Model3D::ComputeFaceNormals()
{
    for (Objet3D* o = objects.head; o; o = o->next)
        o->ComputeFaceNormals();
}

void Model3D::PrintObjectReport() const
{
    std::printf("---------------------------------\n");
    std::printf("Nombre d'objets = %d\n", objects.count);
    for (const Objet3D* o = objects.head; o; o = o->next)
        std::printf("Objet %s : NBP = %d  NBF = %d  Material = %s\n", o->name.c_str(), static_cast<int>(o->pointCount),
                    static_cast<int>(o->faceCount), o->materialName.c_str());
}
