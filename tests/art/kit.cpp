#include "kit.h"

#include "puzzle/wallpieces.h"
#include "testdir.h"

std::string KitDataDir()
{
    return RunDir() + "/data";
}

std::vector<std::string> KitGeneratedFiles()
{
    std::vector<std::string> f = {"font.ini", "gfx/theme1/theme.ini"};
    const std::string m = "gfx/theme1/3d/", t = "gfx/theme1/texture/";
    for (const WallPiece& piece : kWallPieces)
        f.push_back(m + piece.model);
    for (const char* n : {"car", "carmorph", "sol", "bombe", "special", "explosion", "fond"})
        f.push_back(m + n + ".3do");
    for (int k = 1; k <= 5; ++k)
        for (const char* s : {"", "morph", "on", "onmorph"})
            f.push_back(m + "objet" + std::to_string(k) + s + ".3do");
    for (const char* n :
         {"bordure",   "shadow", "shadowbomb", "shadowcar", "detail",   "trace1",  "trace2", "mur",    "murhaut",
          "sol",       "bloc",   "blocon",     "car",       "carvitre", "roue",    "bombe",  "pierre", "colonne",
          "explosion", "fond",   "arrive1",    "arrive2",   "arrive3",  "arrive4", "arrive5"})
        f.push_back(t + n + ".png");
    for (const char* n : {"carmenu", "carmenumorph", "logo", "logomorph", "fondmenu"})
        f.push_back(std::string("gfx/3d/") + n + ".3do");
    for (const char* n :
         {"solmenu", "solmenushadow", "shadowcar", "car", "carvitre", "roue", "logolettres", "fondmenu"})
        f.push_back(std::string("gfx/3d/") + n + ".png");
    for (const char* n :
         {"pointeur", "selection", "selection_left", "selection_middle", "selection_right", "fonteicone", "icon"})
        f.push_back(std::string("gfx/2d/") + n + ".png");
    for (const char* n :
         {"menuchoix", "menuclic", "back", "error1", "error2", "explo", "selbomb", "transfor", "message", "push"})
        f.push_back(std::string("sfx/") + n + ".wav");
    for (const char* n : {"musicmenu", "musicjeu1", "musicjeu2", "musicjeu3", "musicjeu4"})
        f.push_back(std::string("sfx/") + n + ".zik");
    return f;
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

PngInfo ReadPngInfo(const std::string& path)
{
    const std::string b = ReadTestFile(path);
    PngInfo info;
    if (b.size() < 33 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0 ||
        b.find("IEND") == std::string::npos)
        return info;
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
               uint8_t(b[at + 3]);
    };
    info.width = be32(16);
    info.height = be32(20);
    info.depth = uint8_t(b[24]);
    info.colourType = uint8_t(b[25]);
    return info;
}
