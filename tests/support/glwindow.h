#pragma once
// One GL window per test (each test runs in its own process under ctest),
// in a temporary directory of its own, with the engine's paths pointing
// there. The scene, text and screen suites build on it.
#include "engine/format3do.h"
#include "engine/glcontext.h"
#include "picture.h"
#include "testdir.h"

#include <gtest/gtest.h>

struct Model3D;

class GLWindowTest : public ::testing::Test {
protected:
    int width = 160, height = 120;

    // Opens the window at width × height (a fixture may change them first).
    void SetUp() override;
    void TearDown() override;
    // Closes the window and opens it again at w × h: what lived in the old
    // GL context is gone.
    void Reopen(int w, int h);

    Picture ReadPicture() const { return Picture::Read(width, height); }
    // Writes a model where the fixture's loader looks; LoadModel loads it too
    // and ends the test when it does not load.
    void WriteModel(const std::string& name, const Model3doFile& model) const;
    void LoadModel(Model3D& m, const std::string& name, const Model3doFile& model) const;

    ScopedTempDir dir;
    GLContext context;
};

// Small models for the drawing tests, written so that the loader's grid
// snapping gives their coordinates back.
// A quad of two clockwise triangles, corners top-left, top-right,
// bottom-left, bottom-right as seen from its front.
Model3doObject QuadObject(const std::string& name, const std::string& material, const float corners[4][3]);
// The square [x0, x1] × [y0, y1] in the plane z, its front towards +z.
Model3doObject SquareObject(const std::string& name, const std::string& material, float x0, float y0, float x1,
                            float y1, float z);
// An unlit material: drawn in its ambient colour.
Model3doMaterial FlatColour(const std::string& name, float r, float g, float b);
Model3doFile ModelFile(std::vector<Model3doObject> objects, std::vector<Model3doMaterial> materials);
