#include "app/resolution.h"

#include "app/settings.h"

#include "app/base/log.h"
#include "engine/glcontext.h"
#include "engine/gltexture.h"
#include "loop/pelmo.h"
#include "menu/menu.h"
#include "scene/pelmo3d.h"
#include "sound/sound.h"
#include "text/font.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>

void SetWindowCaptionAndIcon(const GameState& g)
{
    SDL_WM_SetCaption("Pondrake", "Pondrake");
    char path[kPathSize];
    if (!FormatPath(path, sizeof path, "%sdata/gfx/2d/icon.png", g.dataPrefix))
        return;
    if (SDL_Surface* icon = IMG_Load(path)) {
        SDL_WM_SetIcon(icon, nullptr);
        SDL_FreeSurface(icon);
    }
}

namespace {

void FreeGLResources(GameState& g)
{
    WriteLog("Free resources...");
    WriteLog("Free Fonts");
    FreeFonts();
    WriteLog("Free game objects and textures");
    // The theme lives in GL too: it is loaded again once the new window is
    // open, so nothing of the old context is used or deleted in the new one.
    FreeTheme();
    FreeScene();
    WriteLog("Free menu texture");
    FreeMenuTextures();
    WriteLog("Free menu object");
    FreeMenuObjects();
    WriteLog("Free menu");
    FreeMenus(g);
}

void ReloadGLResources(GameState& g)
{
    Settings& s = g.settings;
    WriteLog("Reload resources...");
    WriteLog("Init Fonts");
    InitFont(s.Width, s.Height, g.dataPrefix);
    WriteLog("Init game objects and textures");
    InitPelmo3D(g.dataPrefix, s);
    if (g.gameInProgress && g.themeIndex >= 0) {
        LoadTheme(g.themeIndex, g.dataPrefix, s);
        CopyThemeToPuzzle(g.puzzle);
        BuildSceneryLists(g.puzzle);
    }
    WriteLog("Init menu textures");
    InitMenu(g.dataPrefix);
    WriteLog("Init menu object");
    InitObjetMenu(g.dataPrefix);
    WriteLog("Init menu");
    BuildMenus(g);
}

bool OpenWindow(GameState& g, int width, int height)
{
    if (!gameWindow.Recreate(static_cast<uint32_t>(width), static_cast<uint32_t>(height), g.windowed ? 0 : 1))
        return false;
    SDL_EnableUNICODE(1);
    SetWindowCaptionAndIcon(g);
    return true;
}

}  // namespace

int ChangeResolution(GameState& g, int width, int height)
{
    WriteLog("Change resolution :");
    if (static_cast<uint32_t>(width) == gameWindow.width && static_cast<uint32_t>(height) == gameWindow.height)
        return 1;
    Settings& s = g.settings;
    int oldW = s.Width, oldH = s.Height;
    s.Width = width;
    s.Height = height;
    FreeGLResources(g);
    WriteLog("change mode");
    int result = 1;
    if (!OpenWindow(g, width, height)) {
        Warn("couldn't change resolution\n");
        result = 0;
        s.Width = oldW;
        s.Height = oldH;
        if (!OpenWindow(g, oldW, oldH)) {
            // No window at all any more: end the game in order.
            g.quitRequested = 1;
            g.fadeOut = 0;
            return 0;
        }
    }
    ReloadGLResources(g);
    Set2DScreenSize(static_cast<uint32_t>(s.Width), static_cast<uint32_t>(s.Height));
    // The player is always back in the main menu afterwards.
    SetCurrentMenu(g.menus, g.mainMenu);
    g.ScreenState = kScreenMenus;
    g.armedScreen = -1;
    LayoutMenus(g, s.Width, s.Height);
    SetMenuLights();
    UseMenuCamera(g);
    if (result)
        WriteLog("Resolution changed.");
    return result;
}

bool SaveSettings(GameState& g)
{
    Settings copy = g.settings;
    if (!g.soundDevice) {
        copy.Sound = g.storedSound;
        copy.Music = g.storedMusic;
    }
    if (!SaveGameConfig(copy)) {
        Warn("unable to write game.ini\n");
        return false;
    }
    return true;
}

void ApplyOptions(GameState& g)
{
    Settings& s = g.settings;
    if (g.pendingWidth != s.Width || g.pendingHeight != s.Height) {
        int oldW = s.Width, oldH = s.Height;
        PauseMusic();
        SDL_Delay(1000);
        if (ChangeResolution(g, g.pendingWidth, g.pendingHeight)) {
            ResumeMusic();
        } else {
            // A mode that failed is not stored: the next start uses the
            // size that worked.
            s.Width = oldW;
            s.Height = oldH;
        }
    }
    SaveSettings(g);
}
