#include "menu/iconfont.h"

#include "engine/glfont2d.h"

namespace {
GLFont2D iconFont;
}

const GLFont2D& IconFont()
{
    return iconFont;
}

bool LoadIconFont(const char* path)
{
    return iconFont.Load(path, 48, 48, 4);
}

void ReleaseIconFont()
{
    iconFont.Free();
}
