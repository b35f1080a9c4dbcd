#pragma once
// Drawing of models with fixed-function OpenGL and client-side vertex arrays,
// morphing between two models of the same shape, and single quads.
#include "engine/model3d.h"

// Sets texture, blending, culling, two-sided lighting, lighting and colour
// for the material; EndMaterial puts blending, depth writes and two-sided
// lighting back. Always used in pairs around one object.
void ApplyMaterial(const Material* material);
void EndMaterial(const Material* material);

// One object with its material; nothing (no GL state touched) when the
// object is hidden. Lighted flat-shaded objects are not drawn.
void DrawObject(const Objet3D* object);
// The menu scene's variant: shade model from the normal mode, smooth objects
// always send normals and texture coordinates.
void DrawObjectMenu(const Objet3D* object);
// Every visible object: opaque materials first, then transparent ones.
void DrawModel(const Model3D* model);
// Positions only, in the current colour, for every visible object.
void DrawModelGeometry(const Model3D* model);
// Texture coordinates from the vertex normals and a column-major 4 × 4
// matrix (only for env-mapped objects).
void ComputeEnvMapCoords(Objet3D* object, const double matrix[16]);

// Prepares `instance` (a copy of a) to morph between a and b. Nothing happens
// when the three models differ in object count; an object whose point or
// face counts differ between them stays unmorphed.
void SetMorph(Model3D* instance, Model3D* a, Model3D* b);
// t = 0 gives a's shape, 1 gives b's.
void Morph(Model3D* instance, float t);

// A second texture laid on in texture unit 1 as its alpha blend over the
// first unit's colour would lay it (texture × a + below × (1 − a)), for the
// primitives drawn until EndOverlayTexture, with `uv` as their unit-1
// coordinates (a pair for each vertex they index):
// one rasterised pass where there were two. With `coverAlpha` the alpha
// becomes a + below × (1 − a), the coverage of the two layers together, for a
// pass blended with premultiplied colour (GL_ONE, GL_ONE_MINUS_SRC_ALPHA).
// False, with nothing set, where the driver has a single texture unit.
bool BeginOverlayTexture(const GLTexture& overlay, const float* uv, bool coverAlpha);
void EndOverlayTexture();

// Single quads, corners in triangle-strip order (e.g. top-left, top-right,
// bottom-left, bottom-right). No client array is left enabled.
void DrawQuad2D(const float xy[8]);
void DrawQuad2DTex(const float xy[8], const float uv[8]);
void DrawQuad2DTexColor(const float xy[8], const float uv[8], const float rgba[16]);
void DrawQuad3D(const float xyz[12]);
void DrawQuad3DTex(const float xyz[12], const float uv[8]);
void DrawQuad3DTexColor(const float xyz[12], const float rgba[16], const float uv[8]);
// `count` indices of `mode` primitives over vertices with texture
// coordinates (and a colour) each.
void DrawElements3DTex(GLenum mode, const float* xyz, const float* uv, const GLuint* indices, size_t count);
void DrawElements3DTexColor(GLenum mode, const float* xyz, const float* rgba, const float* uv, const GLuint* indices,
                            size_t count);
void DrawQuad3DTexNormal(const float xyz[12], const float normals[12], const float uv[8]);
