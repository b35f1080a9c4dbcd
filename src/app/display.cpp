#include "app/display.h"

#include <SDL.h>

namespace {

bool StartVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

}  // namespace

bool QueryDesktopMode(int& width, int& height)
{
    if (!StartVideo())
        return false;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info || info->current_w <= 0 || info->current_h <= 0)
        return false;
    width = info->current_w;
    height = info->current_h;
    return true;
}

std::vector<DisplayMode> EnumerateDisplayModes(bool windowed)
{
    std::vector<DisplayMode> modes;
    if (!StartVideo())
        return modes;
    SDL_PixelFormat format{};
    format.BitsPerPixel = 32;
    format.BytesPerPixel = 4;
    SDL_Rect** rects = SDL_ListModes(&format, windowed ? SDL_OPENGL : SDL_OPENGL | SDL_FULLSCREEN);
    if (rects == reinterpret_cast<SDL_Rect**>(-1)) {
        int dw = 0, dh = 0;
        if (!QueryDesktopMode(dw, dh)) {
            dw = 1024;
            dh = 768;
        }
        static const int sizes[][2] = {{640, 480},   {800, 600},  {1024, 768}, {1152, 864},  {1280, 720},
                                       {1280, 1024}, {1366, 768}, {1600, 900}, {1600, 1200}, {1920, 1080}};
        for (const auto& s : sizes)
            if (s[0] <= dw && s[1] <= dh)
                modes.push_back(DisplayMode{s[0], s[1], 32});
        return modes;
    }
    if (!rects)
        return modes;
    for (int i = 0; rects[i]; ++i)
        modes.push_back(DisplayMode{rects[i]->w, rects[i]->h, 32});
    return modes;
}
