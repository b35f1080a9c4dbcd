#include "glwindow.h"

#include "engine/gltexture.h"
#include "engine/model3d.h"

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
