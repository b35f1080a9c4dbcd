#include "glwindow.h"

#include "engine/gltexture.h"
#include "engine/model3d.h"

#include <stdexcept>

void GLWindowTest::SetUp()
{
    context.fov = 45;
    context.nearDist = 0.01f;
    context.farDist = 1000;
    Reopen(width, height);
    SetObjectPath((dir.path() + "/").c_str());
    SetTexturePath((dir.path() + "/").c_str());
    SetMipMapping(0);
}

void GLWindowTest::Reopen(int w, int h)
{
    if (context.initialised)
        context.Close();
    width = w;
    height = h;
    ASSERT_TRUE(context.Create(uint32_t(width), uint32_t(height), 0));
    Set2DScreenSize(uint32_t(width), uint32_t(height));
}

void GLWindowTest::TearDown()
{
    context.Close();
}

void GLWindowTest::WriteModel(const std::string& name, const Model3doFile& model) const
{
    std::string error;
    if (!Write3do(dir.file(name).c_str(), model, error))
        ADD_FAILURE() << "the test model " << name << " could not be written: " << error;
}

void GLWindowTest::LoadModel(Model3D& m, const std::string& name, const Model3doFile& model) const
{
    WriteModel(name, model);
    // Thrown, so the test stops here (Google Test reports it as a failure).
    if (!m.Load(name.c_str()))
        throw std::runtime_error("the test model " + name + " does not load");
}

Model3doFile ModelFile(std::vector<Model3doObject> objects, std::vector<Model3doMaterial> materials)
{
    Model3doFile f;
    f.objects = std::move(objects);
    f.materials = std::move(materials);
    return f;
}

Model3doObject QuadObject(const std::string& name, const std::string& material, const float corners[4][3])
{
    Model3doObject o;
    o.name = name;
    o.material = material;
    for (int c = 0; c < 4; ++c)
        for (int axis = 0; axis < 3; ++axis)
            o.points.push_back(Precompensate3doCoordinate(corners[c][axis], axis));
    o.uvs = {0, 0, 1, 0, 0, 1, 1, 1};
    o.faces = {0, 1, 2, 2, 1, 3};
    return o;
}

Model3doObject SquareObject(const std::string& name, const std::string& material, float x0, float y0, float x1,
                            float y1, float z)
{
    const float corners[4][3] = {{x0, y1, z}, {x1, y1, z}, {x0, y0, z}, {x1, y0, z}};
    return QuadObject(name, material, corners);
}

Model3doMaterial FlatColour(const std::string& name, float r, float g, float b)
{
    Model3doMaterial m;
    m.name = name;
    m.ambient[0] = r;
    m.ambient[1] = g;
    m.ambient[2] = b;
    m.lighting = 1;
    return m;
}
