#include "engine/draw3d.h"

#include "engine/glcontext.h"

#include <GL/gl.h>

#include <cmath>

namespace {

const GLuint kQuadIndices[4] = {0, 1, 2, 3};

const Material* MaterialOf(const Objet3D* o)
{
    return o->material ? o->material : DefaultMaterial();
}

bool Drawable(const Objet3D* o)
{
    return o && o->visible && o->faceCount > 0 && o->faces.size() >= 3 * size_t(o->faceCount) &&
           o->points.size() >= 3 * size_t(o->pointCount);
}

void DrawTriangles(const Objet3D* o)
{
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * o->faceCount), GL_UNSIGNED_INT, o->faces.data());
}

void DisableObjectArrays()
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
}

void EnablePositions(const Objet3D* o)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, o->points.data());
}

void EnableNormals(const Objet3D* o)
{
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, o->vertexNormals.data());
}

void EnableTexCoords(const Objet3D* o)
{
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, o->texCoords.data());
}

bool SameShape(const Objet3D* a, const Objet3D* b)
{
    return a->pointCount == b->pointCount && a->faceCount == b->faceCount && a->points.size() == b->points.size() &&
           a->vertexNormals.size() == b->vertexNormals.size() && a->faceNormals.size() == b->faceNormals.size() &&
           a->texCoords.size() == b->texCoords.size();
}

using ActiveTextureFunction = void (*)(GLenum);

ActiveTextureFunction ActiveTexture()
{
    return reinterpret_cast<ActiveTextureFunction>(glExtensions.glActiveTextureARB);
}

ActiveTextureFunction ClientActiveTexture()
{
    return reinterpret_cast<ActiveTextureFunction>(glExtensions.glClientActiveTextureARB);
}

void Lerp(std::vector<float>& out, const std::vector<float>& a, const std::vector<float>& b, size_t n, float t)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = a[i] + (b[i] - a[i]) * t;
}

}  // namespace

void ApplyMaterial(const Material* m)
{
    if (!m)
        m = DefaultMaterial();
    float alpha = 1.0f;
    if (m->flags & kMatMapping) {
        glEnable(GL_TEXTURE_2D);
        if (m->texture && m->texture->Bind())
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(m->texture->envMode));
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    if (m->flags & kMatTransparency) {
        glEnable(GL_BLEND);
        switch (m->transparencyMode) {
        case 1:
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glDepthMask(GL_FALSE);
            break;
        case 2:
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glDepthMask(GL_FALSE);
            break;
        case 5:
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case 6:
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        default:
            break;
        }
        alpha = m->transparency;
    } else {
        glDisable(GL_BLEND);
    }
    if (m->flags & kMatEnvMapping) {
        glEnable(GL_TEXTURE_2D);
        if (m->envTexture && m->envTexture->Bind())
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(m->envTexture->envMode));
    }
    GLenum face;
    if (m->flags & kMatTwoSided) {
        glDisable(GL_CULL_FACE);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
        face = GL_FRONT_AND_BACK;
    } else {
        glEnable(GL_CULL_FACE);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
        face = GL_FRONT;
    }
    if ((m->flags & kMatLighted) && !(m->flags & kMatEnvMapping)) {
        glEnable(GL_LIGHTING);
        glColor4f(1, 1, 1, alpha);
        const float ambient[4] = {m->ambient[0], m->ambient[1], m->ambient[2], alpha};
        const float diffuse[4] = {m->diffuse[0], m->diffuse[1], m->diffuse[2], alpha};
        glMaterialfv(face, GL_AMBIENT, ambient);
        glMaterialfv(face, GL_DIFFUSE, diffuse);
    } else {
        glDisable(GL_LIGHTING);
        const float white[4] = {1, 1, 1, alpha};
        glMaterialfv(face, GL_AMBIENT, white);
        glMaterialfv(face, GL_DIFFUSE, white);
        glColor4f(m->ambient[0], m->ambient[1], m->ambient[2], alpha);
    }
}

void EndMaterial(const Material* m)
{
    if (!m)
        m = DefaultMaterial();
    if (m->flags & kMatTransparency) {
        glDisable(GL_BLEND);
        glDepthMask(GL_TRUE);
    }
    if (m->flags & kMatTwoSided)
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
}

void DrawObject(const Objet3D* o)
{
    if (!Drawable(o))
        return;
    const Material* m = MaterialOf(o);
    const bool textured = (m->flags & (kMatMapping | kMatEnvMapping)) != 0;
    ApplyMaterial(m);
    if (m->flags & kMatEnvMapping) {
        EnablePositions(o);
    } else if (o->normalMode == kNormalsVertex) {
        glShadeModel(GL_SMOOTH);
        EnablePositions(o);
        EnableNormals(o);
    } else if (o->normalMode == kNormalsFace) {
        glShadeModel(GL_FLAT);
        EndMaterial(m);
        return;
    } else {
        EnablePositions(o);
    }
    if (textured)
        EnableTexCoords(o);
    DrawTriangles(o);
    DisableObjectArrays();
    EndMaterial(m);
}

void DrawObjectMenu(const Objet3D* o)
{
    if (!Drawable(o))
        return;
    const Material* m = MaterialOf(o);
    const bool textured = (m->flags & (kMatMapping | kMatEnvMapping)) != 0;
    ApplyMaterial(m);
    if (o->normalMode == kNormalsFace) {
        glShadeModel(GL_FLAT);
        EndMaterial(m);
        return;
    }
    EnablePositions(o);
    if (o->normalMode == kNormalsVertex) {
        glShadeModel(GL_SMOOTH);
        EnableNormals(o);
        EnableTexCoords(o);
    } else if (textured) {
        EnableTexCoords(o);
    }
    DrawTriangles(o);
    DisableObjectArrays();
    EndMaterial(m);
}

void DrawModel(const Model3D* model)
{
    if (!model)
        return;
    for (const Objet3D* o = model->objects.head; o; o = o->next)
        if (!(MaterialOf(o)->flags & kMatTransparency))
            DrawObject(o);
    for (const Objet3D* o = model->objects.head; o; o = o->next)
        if (MaterialOf(o)->flags & kMatTransparency)
            DrawObject(o);
}

void DrawModelGeometry(const Model3D* model)
{
    if (!model)
        return;
    for (const Objet3D* o = model->objects.head; o; o = o->next) {
        if (!Drawable(o))
            continue;
        EnablePositions(o);
        DrawTriangles(o);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
}

void ComputeEnvMapCoords(Objet3D* o, const double m[16])
{
    if (!o || !m || !(MaterialOf(o)->flags & kMatEnvMapping))
        return;
    if (o->vertexNormals.size() < 3 * size_t(o->pointCount) || o->texCoords.size() < 2 * size_t(o->pointCount))
        return;
    for (uint32_t i = 0; i < o->pointCount; ++i) {
        const float* n = &o->vertexNormals[3 * size_t(i)];
        double u = 0.5 + 0.5 * (n[0] * m[0] + n[1] * m[4] + n[2] * m[8]);
        double v = 0.5 - 0.5 * (n[0] * m[1] + n[1] * m[5] + n[2] * m[9]);
        o->texCoords[2 * size_t(i)] = static_cast<float>(u);
        o->texCoords[2 * size_t(i) + 1] = static_cast<float>(v);
    }
}

void SetMorph(Model3D* instance, Model3D* a, Model3D* b)
{
    if (!instance || !a || !b)
        return;
    if (a->objects.count != b->objects.count || instance->objects.count != a->objects.count)
        return;
    instance->morphSource = a;
    instance->morphTarget = b;
    Objet3D* oi = instance->objects.head;
    const Objet3D* oa = a->objects.head;
    const Objet3D* ob = b->objects.head;
    for (; oi && oa && ob; oi = oi->next, oa = oa->next, ob = ob->next) {
        oi->morphable = 0;
        if (!SameShape(oi, oa) || !SameShape(oa, ob))
            continue;  // left as it is: the arrays do not correspond
        oi->points = oa->points;
        oi->vertexNormals = oa->vertexNormals;
        oi->texCoords = oa->texCoords;
        oi->faceNormals = oa->faceNormals;
        for (size_t i = 0; i < oa->points.size(); ++i)
            if (std::fabs(oa->points[i] - ob->points[i]) > 0.000001f) {
                oi->morphable = 1;
                break;
            }
    }
}

void Morph(Model3D* instance, float t)
{
    if (!instance || !instance->morphSource || !instance->morphTarget)
        return;
    const Model3D* a = instance->morphSource;
    const Model3D* b = instance->morphTarget;
    if (a->objects.count != b->objects.count || instance->objects.count != a->objects.count)
        return;
    Objet3D* oi = instance->objects.head;
    const Objet3D* oa = a->objects.head;
    const Objet3D* ob = b->objects.head;
    for (; oi && oa && ob; oi = oi->next, oa = oa->next, ob = ob->next) {
        if (!oi->morphable || !SameShape(oi, oa) || !SameShape(oa, ob))
            continue;
        Lerp(oi->points, oa->points, ob->points, oi->points.size(), t);
        if (oi->normalMode == kNormalsVertex)
            Lerp(oi->vertexNormals, oa->vertexNormals, ob->vertexNormals, oi->vertexNormals.size(), t);
        else if (oi->normalMode == kNormalsFace)
            Lerp(oi->faceNormals, oa->faceNormals, ob->faceNormals, oi->faceNormals.size(), t);
    }
}

bool BeginOverlayTexture(const GLTexture& overlay, const float* uv, bool coverAlpha)
{
    const ActiveTextureFunction active = ActiveTexture(), clientActive = ClientActiveTexture();
    if (!glExtensions.multitexture || glExtensions.textureUnits < 2 || !active || !clientActive || !overlay.HasGLName())
        return false;
    active(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    overlay.Bind();
    // Colour: overlay × its alpha + previous × (1 − its alpha); alpha the
    // same with an opaque constant for the overlay, or the previous alpha.
    const GLenum colour[][2] = {{GL_TEXTURE_ENV_MODE, GL_COMBINE}, {GL_COMBINE_RGB, GL_INTERPOLATE},
                                {GL_SOURCE0_RGB, GL_TEXTURE},      {GL_SOURCE1_RGB, GL_PREVIOUS},
                                {GL_SOURCE2_RGB, GL_TEXTURE},      {GL_OPERAND2_RGB, GL_SRC_ALPHA}};
    const GLenum covering[][2] = {{GL_COMBINE_ALPHA, GL_INTERPOLATE},
                                  {GL_SOURCE0_ALPHA, GL_CONSTANT},
                                  {GL_SOURCE1_ALPHA, GL_PREVIOUS},
                                  {GL_SOURCE2_ALPHA, GL_TEXTURE},
                                  {GL_OPERAND2_ALPHA, GL_SRC_ALPHA}};
    const GLenum kept[][2] = {{GL_COMBINE_ALPHA, GL_REPLACE}, {GL_SOURCE0_ALPHA, GL_CONSTANT}};
    for (const auto& p : colour)
        glTexEnvi(GL_TEXTURE_ENV, p[0], static_cast<GLint>(p[1]));
    if (coverAlpha) {
        const float opaque[4] = {0, 0, 0, 1};
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, opaque);
        for (const auto& p : covering)
            glTexEnvi(GL_TEXTURE_ENV, p[0], static_cast<GLint>(p[1]));
    } else {
        for (const auto& p : kept)
            glTexEnvi(GL_TEXTURE_ENV, p[0], static_cast<GLint>(p[1]));
    }
    clientActive(GL_TEXTURE1);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    clientActive(GL_TEXTURE0);
    active(GL_TEXTURE0);
    return true;
}

void EndOverlayTexture()
{
    const ActiveTextureFunction active = ActiveTexture(), clientActive = ClientActiveTexture();
    if (!active || !clientActive)
        return;
    clientActive(GL_TEXTURE1);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    clientActive(GL_TEXTURE0);
    active(GL_TEXTURE1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_TEXTURE_2D);
    active(GL_TEXTURE0);
}

void DrawQuad2D(const float xy[8])
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, xy);
    glDrawElements(GL_TRIANGLE_STRIP, 4, GL_UNSIGNED_INT, kQuadIndices);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawQuad2DTex(const float xy[8], const float uv[8])
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, xy);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glDrawElements(GL_TRIANGLE_STRIP, 4, GL_UNSIGNED_INT, kQuadIndices);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void DrawQuad2DTexColor(const float xy[8], const float uv[8], const float rgba[16])
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, xy);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glColorPointer(4, GL_FLOAT, 0, rgba);
    glDrawElements(GL_TRIANGLE_STRIP, 4, GL_UNSIGNED_INT, kQuadIndices);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

void DrawQuad3D(const float xyz[12])
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, xyz);
    glDrawElements(GL_TRIANGLE_STRIP, 4, GL_UNSIGNED_INT, kQuadIndices);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawQuad3DTex(const float xyz[12], const float uv[8])
{
    DrawElements3DTex(GL_TRIANGLE_STRIP, xyz, uv, kQuadIndices, 4);
}

void DrawElements3DTex(GLenum mode, const float* xyz, const float* uv, const GLuint* indices, size_t count)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, xyz);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glDrawElements(mode, static_cast<GLsizei>(count), GL_UNSIGNED_INT, indices);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void DrawQuad3DTexColor(const float xyz[12], const float rgba[16], const float uv[8])
{
    DrawElements3DTexColor(GL_TRIANGLE_STRIP, xyz, rgba, uv, kQuadIndices, 4);
}

void DrawElements3DTexColor(GLenum mode, const float* xyz, const float* rgba, const float* uv, const GLuint* indices,
                            size_t count)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, xyz);
    glColorPointer(4, GL_FLOAT, 0, rgba);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glDrawElements(mode, static_cast<GLsizei>(count), GL_UNSIGNED_INT, indices);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void DrawQuad3DTexNormal(const float xyz[12], const float normals[12], const float uv[8])
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, xyz);
    glNormalPointer(GL_FLOAT, 0, normals);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glDrawElements(GL_TRIANGLE_STRIP, 4, GL_UNSIGNED_INT, kQuadIndices);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}
