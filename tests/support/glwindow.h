#pragma once
// One GL window per test (each test runs in its own process under ctest),
// in a temporary directory of its own, with the engine's paths pointing
// there. The scene, text and screen suites build on it.
#include "engine/glcontext.h"
#include "picture.h"
#include "testdir.h"

#include <gtest/gtest.h>

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

    ScopedTempDir dir;
    GLContext context;
};
