#include "kit_paths.h"

#include "testdir.h"

const char* const kKitWallFiles[16] = {
    "mur_blocf.3do",  "mur_blocdgo.3do", "mur_blochbo.3do", "mur_blocco.3do",
    "mur_blocdbo.3do", "mur_blocbgo.3do", "mur_blochdo.3do", "mur_blochgo.3do",
    "mur_blocdo.3do", "mur_blocgo.3do",  "mur_blocbo.3do",  "mur_blocho.3do",
    "mur_blocgf.3do", "mur_blocdf.3do",  "mur_blochf.3do",  "mur_blocbf.3do"};

// Straight from the level format's table of wall codes by join mask, read
// backwards: code 20 + i has this mask.
const int kKitWallMask[16] = {0, 12, 3, 15, 6, 10, 5, 9, 4, 8, 2, 1, 7, 11, 14, 13};

std::string KitDataDir() { return RunDir() + "/data"; }

std::vector<std::string> KitGeneratedFiles()
{
    std::vector<std::string> f = {"font.ini", "gfx/theme1/theme.ini"};
    const std::string m = "gfx/theme1/3d/", t = "gfx/theme1/texture/";
    for (const char* w : kKitWallFiles)
        f.push_back(m + w);
    for (const char* n : {"car", "carmorph", "sol", "bombe", "special", "explosion", "fond"})
        f.push_back(m + n + ".3do");
    for (int k = 1; k <= 5; ++k)
        for (const char* s : {"", "morph", "on", "onmorph"})
            f.push_back(m + "objet" + std::to_string(k) + s + ".3do");
    for (const char* n : {"bordure", "shadow", "shadowbomb", "shadowcar", "detail", "trace1", "trace2", "mur",
                          "murhaut", "sol", "bloc", "blocon", "car", "carvitre", "roue", "bombe", "pierre",
                          "colonne", "explosion", "fond"})
        f.push_back(t + n + ".png");
    for (int k = 1; k <= 5; ++k)
        f.push_back(t + "arrive" + std::to_string(k) + ".png");
    for (const char* n : {"carmenu", "carmenumorph", "logo", "logomorph", "fondmenu"})
        f.push_back(std::string("gfx/3d/") + n + ".3do");
    for (const char* n : {"solmenu", "solmenushadow", "shadowcar", "car", "carvitre", "roue", "logolettres", "fondmenu"})
        f.push_back(std::string("gfx/3d/") + n + ".png");
    for (const char* n : {"pointeur", "selection", "selection_left", "selection_middle", "selection_right",
                          "fonteicone", "icon"})
        f.push_back(std::string("gfx/2d/") + n + ".png");
    for (const char* n : {"menuchoix", "menuclic", "back", "error1", "error2", "explo", "selbomb", "transfor",
                          "message", "push"})
        f.push_back(std::string("sfx/") + n + ".wav");
    for (const char* n : {"musicmenu", "musicjeu1", "musicjeu2", "musicjeu3", "musicjeu4"})
        f.push_back(std::string("sfx/") + n + ".zik");
    return f;
}
