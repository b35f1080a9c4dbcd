#include "app/videomode.h"

std::vector<DisplayMode> FilterDisplayModes(const std::vector<DisplayMode>& enumerated)
{
    std::vector<DisplayMode> kept;
    for (const DisplayMode& m : enumerated) {
        if (m.bpp != 32 || m.width < 640 || m.height < 480)
            continue;
        bool seen = false;
        for (const DisplayMode& k : kept)
            if (k.width == m.width && k.height == m.height)
                seen = true;
        if (!seen)
            kept.push_back(m);
    }
    return kept;
}

std::vector<DisplayMode> ChooseStartSize(Settings& s, bool haveDesktop, int desktopWidth, int desktopHeight,
                                         const std::vector<DisplayMode>& enumerated)
{
    int dw = haveDesktop ? desktopWidth : 800;
    int dh = haveDesktop ? desktopHeight : 600;
    if (s.firstRun) {
        s.Width = dw;
        s.Height = dh;
        if (dw > 1024 || dh > 768) {
            s.Width = 1024;
            s.Height = 768;
        }
    }
    std::vector<DisplayMode> list = FilterDisplayModes(enumerated);
    auto offered = [&](int w, int h) {
        for (const DisplayMode& m : list)
            if (m.width == w && m.height == h)
                return true;
        return false;
    };
    if (!offered(s.Width, s.Height)) {
        if (offered(800, 600)) {
            s.Width = 800;
            s.Height = 600;
        } else {
            s.Width = 640;
            s.Height = 480;
        }
    }
    if (!offered(s.Width, s.Height))
        list.push_back(DisplayMode{s.Width, s.Height, 32});
    return list;
}
