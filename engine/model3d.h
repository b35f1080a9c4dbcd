#pragma once
// Loaded ".3do" models: a Model3D holds named meshes (Objet3D) that point at
// materials shared by name between every model of the program. Each entry of
// a model's material list holds one reference to its Material; the material
// and its textures go when the last reference is given back.
#include "engine/gltexture.h"
#include "engine/vrolist.h"

#include <cstdint>
#include <string>
#include <vector>

// Material flags.
constexpr int32_t kMatMapping = 0x02;     // the texture is drawn
constexpr int32_t kMatEnvMapping = 0x04;  // the environment texture is drawn
constexpr int32_t kMatTwoSided = 0x08;
constexpr int32_t kMatLighted = 0x10;
constexpr int32_t kMatTransparency = 0x20;
constexpr int32_t kMatSmooth = 0x40;  // clear: flat-shaded

// Normal modes of an object.
constexpr int32_t kNormalsFace = 2;
constexpr int32_t kNormalsVertex = 4;

struct Material {
    std::string name;
    int32_t refCount = 1;
    int32_t flags = 0;
    float transparency = 0.0f;     // alpha of the material, 1.0 opaque
    int32_t transparencyMode = 1;  // 1, 5: alpha blend; 2, 6: additive; 1, 2: no depth writes
    float ambient[3] = {0, 0, 0};
    float diffuse[3] = {0, 0, 0};
    float third[3] = {0, 0, 0};       // kept from the file, not drawn
    GLTexture* texture = nullptr;     // owned
    GLTexture* envTexture = nullptr;  // owned
    Material* next = nullptr;

    Material() = default;
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;
    // Frees the textures' memory; their GL names are deleted by ReleaseMaterial.
    ~Material();
};

// The program's one material list.
VROList<Material>& MaterialList();
Material* FindMaterial(const char* name);
// The material of that name with one more reference, or a new one (zeroed
// colours, flags 0, transparency 0, mode 1, one reference) at the list's head.
Material* AcquireMaterial(const char* name);
// Gives one reference back; the last one removes the material from the list
// and frees it with its textures. A material not in the list is left alone.
void ReleaseMaterial(Material* material);
// Load, set up and upload a texture for the material, replacing the one it
// had. An RGBA texture makes the material transparent (mode 1, alpha 1.0).
// Null (and no texture) on failure.
GLTexture* SetTexture(Material* material, const char* path);
GLTexture* SetEnvTexture(Material* material, const char* path);
// Takes an already loaded texture (ownership passes to the material).
GLTexture* AttachEnvTexture(Material* material, GLTexture* texture);
void UploadTextures(Material* material);
// Given to an object whose material name matches none of its file's
// materials: lighted, smooth, opaque grey, no texture. Not in the list.
Material* DefaultMaterial();
void PrintMaterialReport();

// Directories the model files and the texture names inside them are read
// from; each is used as a plain prefix, so it must end with a separator.
void SetObjectPath(const char* path);
void SetTexturePath(const char* path);
// Textures loaded for materials build mipmaps when this is on.
void SetMipMapping(int on);
int GetMipMapping();

struct Objet3D {
    std::string name;
    int32_t visible = 1;
    std::string materialName;
    Material* material = nullptr;  // not owning
    int32_t normalMode = 0;        // kNormalsFace, kNormalsVertex or 0
    int32_t morphable = 0;
    uint32_t pointCount = 0, faceCount = 0;
    std::vector<uint32_t> faces;       // 3 per face
    std::vector<float> points;         // 3 per point
    std::vector<float> vertexNormals;  // 3 per point
    std::vector<float> faceNormals;    // 3 per face
    std::vector<float> texCoords;      // 2 per point
    std::vector<float> texCoords2;     // 2 per point, zeroed, unused
    Objet3D* next = nullptr;

    bool Allocate(uint32_t points, uint32_t faces);
    void Free();
    void ComputeFaceNormals();
    bool ComputeVertexNormals();
    void BoundingBox(float minCorner[3], float maxCorner[3]) const;
};

struct Model3D {
    std::string name;
    int32_t totalPoints = 0, totalFaces = 0;
    VROList<Material*> materials;
    VROList<Objet3D> objects;
    Model3D* morphSource = nullptr;  // not owning
    Model3D* morphTarget = nullptr;  // not owning
    float bboxMin[3] = {0, 0, 0};
    float bboxMax[3] = {0, 0, 0};

    Model3D() = default;
    Model3D(const Model3D&) = delete;
    Model3D& operator=(const Model3D&) = delete;
    ~Model3D() { Free(); }

    // Loads "<object path><fileName>". Whatever the model held is freed
    // first; a failed load prints one line and leaves the model empty.
    bool Load(const char* fileName);
    void Free();
    // Makes this model an independent copy of the source, sharing its
    // materials (one more reference each).
    bool CopyFrom(Model3D& source);
    // The first object of the list (the last one read) with exactly this name.
    Objet3D* FindObject(const char* objectName);
    // Stores (and copies out when asked) the union of the objects' boxes.
    void ComputeBoundingBox(float minCorner[3] = nullptr, float maxCorner[3] = nullptr);
    // Every point becomes (p − offset) × scale, per axis.
    void Transform(const float offset[3], const float scale[3]);
    void ComputeFaceNormals();
    void PrintObjectReport() const;
};
