#pragma once
// The ".3do" model file as plain data, without GL: the writer used by the
// data tools and tests, and the byte layout the engine's loader reads.
//
// Layout (little-endian, ints 32-bit signed, reals 32-bit floats, names 80
// bytes ending in a zero byte):
//   header: 3 signature bytes, one int (not interpreted), object count N
//   N objects: name, material name, point count P, face count F,
//              P × (x, y, z), P × (u, v), F × (i0, i1, i2)
//   material count M, M materials of 292 bytes: name, ambient rgb,
//   diffuse rgb, third rgb, transparency, shading (1 flat), lighting
//   (0 lit), sides (1 two-sided), texture name, environment texture name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t k3doNameSize = 80;
constexpr size_t k3doHeaderSize = 11;
constexpr size_t k3doObjectHeadSize = 168;
constexpr size_t k3doMaterialSize = 292;

struct Model3doMaterial {
    std::string name;
    float ambient[3] = {1, 1, 1};
    float diffuse[3] = {1, 1, 1};
    float third[3] = {0, 0, 0};
    float transparency = 1.0f;  // exactly 1.0 is opaque
    int32_t shading = 0;        // 1 flat, anything else smooth
    int32_t lighting = 0;       // 0 lighted, anything else unlit
    int32_t sides = 0;          // 1 two-sided
    std::string texture;        // file name in the texture directory, or empty
    std::string envTexture;
};

struct Model3doObject {
    std::string name;
    std::string material;
    std::vector<float> points;    // 3 per point
    std::vector<float> uvs;       // 2 per point
    std::vector<uint32_t> faces;  // 3 per face, clockwise front side
};

struct Model3doFile {
    std::vector<Model3doObject> objects;
    std::vector<Model3doMaterial> materials;
};

// The bytes of a model file. Fails (empty result and a message) when a name
// does not fit its 80-byte field, or an object's arrays disagree in size.
bool Encode3do(const Model3doFile& model, std::string& bytes, std::string& error);

// Encode3do written to a file.
bool Write3do(const char* path, const Model3doFile& model, std::string& error);

// The loader snaps every coordinate to the thousandths grid with an offset
// (x and y one step down, z one step up, see the loader). This gives the
// value to write so that a designed coordinate on that grid is loaded back
// exactly as designed. axis: 0 x, 1 y, 2 z.
float Precompensate3doCoordinate(float value, int axis);

// Model files larger than this are refused before anything is allocated.
constexpr size_t k3doMaxFileSize = size_t(256) << 20;

// Reads the bytes of a model file. Every count and index is checked against
// the bytes really present before anything is allocated: a truncated file, a
// negative or oversized count, a face index beyond the object's points, a
// name without its terminating zero byte or a point coordinate that is NaN or
// infinite fails with a short reason in `error` and an empty `out`. Bytes
// after the last material are ignored. The header's signature and the value
// after it are not interpreted.
bool Decode3do(const void* data, size_t size, Model3doFile& out, std::string& error);

// Reads and decodes a whole file (at most k3doMaxFileSize bytes).
// `missing` is set when the file could not be opened at all.
bool Read3do(const char* path, Model3doFile& out, std::string& error, bool* missing = nullptr);

// The loader's grid snapping of one coordinate read from a file: with d the
// float nearest 0.001, x and y become d·trunc(1000·(v − d)) and z becomes
// d·trunc(1000·(v + d)), computed in double. Results beyond the float range
// are held at ±FLT_MAX. axis: 0 x, 1 y, 2 z.
float Snap3doCoordinate(float value, int axis);
