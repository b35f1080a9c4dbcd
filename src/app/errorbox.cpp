#include "app/errorbox.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitLines(const char* text)
{
    std::vector<std::string> lines;
    std::string cur;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    if (!cur.empty())
        lines.push_back(cur);
    return lines;
}

void ShowXWindow(const char* title, const char* text)
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return;
    int screen = DefaultScreen(dpy);
    std::vector<std::string> lines = SplitLines(text);
    XFontStruct* font = XLoadQueryFont(dpy, "fixed");
    int lineH = font ? font->ascent + font->descent + 2 : 14;
    int ascent = font ? font->ascent : 10;
    int textW = 200;
    for (const std::string& l : lines) {
        int w = font ? XTextWidth(font, l.c_str(), static_cast<int>(l.size())) : static_cast<int>(l.size()) * 7;
        if (w > textW)
            textW = w;
    }
    const int pad = 16, btnW = 80, btnH = 26;
    int winW = textW + 2 * pad;
    int winH = pad + static_cast<int>(lines.size()) * lineH + pad + btnH + pad;
    unsigned long white = WhitePixel(dpy, screen), black = BlackPixel(dpy, screen);
    Window win = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 100, 100, static_cast<unsigned>(winW),
                                     static_cast<unsigned>(winH), 1, black, white);
    XStoreName(dpy, win, title);
    XSizeHints hints;
    std::memset(&hints, 0, sizeof hints);
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = winW;
    hints.min_height = hints.max_height = winH;
    XSetWMNormalHints(dpy, win, &hints);
    Atom wmDelete = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, win, &wmDelete, 1);
    XSelectInput(dpy, win, ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask);
    XMapRaised(dpy, win);
    GC gc = XCreateGC(dpy, win, 0, nullptr);
    if (font)
        XSetFont(dpy, gc, font->fid);
    int btnX = (winW - btnW) / 2, btnY = winH - pad - btnH;
    bool done = false;
    while (!done) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        switch (ev.type) {
        case Expose:
            XClearWindow(dpy, win);
            XSetForeground(dpy, gc, black);
            for (size_t i = 0; i < lines.size(); ++i)
                XDrawString(dpy, win, gc, pad, pad + ascent + static_cast<int>(i) * lineH, lines[i].c_str(),
                            static_cast<int>(lines[i].size()));
            XDrawRectangle(dpy, win, gc, btnX, btnY, btnW, btnH);
            XDrawString(dpy, win, gc, btnX + btnW / 2 - 7, btnY + btnH / 2 + ascent / 2, "OK", 2);
            break;
        case ButtonRelease:
            if (ev.xbutton.x >= btnX && ev.xbutton.x < btnX + btnW && ev.xbutton.y >= btnY &&
                ev.xbutton.y < btnY + btnH)
                done = true;
            break;
        case KeyPress: {
            KeySym sym = XLookupKeysym(&ev.xkey, 0);
            if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_Escape || sym == XK_space)
                done = true;
            break;
        }
        case ClientMessage:
            if (static_cast<Atom>(ev.xclient.data.l[0]) == wmDelete)
                done = true;
            break;
        default:
            break;
        }
    }
    XFreeGC(dpy, gc);
    if (font)
        XFreeFont(dpy, font);
    XDestroyWindow(dpy, win);
    XCloseDisplay(dpy);
}

}  // namespace

void ShowErrorBox(const char* title, const char* text)
{
    std::fputs(text, stderr);
    size_t n = std::strlen(text);
    if (n == 0 || text[n - 1] != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
    const char* off = std::getenv("PONDRAKE_NO_ERROR_BOX");
    if (off && *off && std::strcmp(off, "0") != 0)
        return;
    if (!std::getenv("DISPLAY"))
        return;
    ShowXWindow(title, text);
}
