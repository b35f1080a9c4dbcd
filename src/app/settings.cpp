#include "app/settings.h"

#include "app/base/files.h"
#include "app/base/ini.h"
#include "text/texte.h"
#include "app/base/log.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

void ReadConfig(Settings& s)
{
    const char* configPath = ".\\config.ini";
    ReadIniString("Path", "GamePath", ".\\", s.GamePath, sizeof s.GamePath, configPath);
    if (std::strlen(s.GamePath) > kPathSize - 1 - kLongestGameFileName) {
        Warn("game directory too long, using .\\\n");
        std::snprintf(s.GamePath, sizeof s.GamePath, ".\\");
    }
    ReadIniString("Game", "Lang", "en", s.firstRunLang, sizeof s.firstRunLang, configPath);
    MakePath(s.GamePath);
}

bool GameIniPath(const Settings& s, char (&out)[kPathSize])
{
    return FormatPath(out, sizeof out, "%sgame.ini", s.GamePath);
}

namespace {

int ReadIntKey(const char* key, const char* def, const char* path)
{
    char text[256];
    ReadIniString("Game", key, def, text, sizeof text, path);
    return ParseIntLikeAtoi(text);
}

}  // namespace

void LoadGameConfig(Settings& s)
{
    s.firstRun = 0;
    char path[kPathSize];
    bool havePath = GameIniPath(s, path);
    std::string text;
    if (havePath && ReadIniFile(path, text) == FileRead::Ok) {
        s.Width = ReadIntKey("Width", "1024", path);
        s.Height = ReadIntKey("Height", "768", path);
        s.Speed = ReadIntKey("Speed", "12", path);
        s.Difficulty = ReadIntKey("Difficulty", "1", path);
        s.Help = ReadIntKey("Help", "10", path);
        s.Sound = ReadIntKey("Sound", "1", path);
        s.Music = ReadIntKey("Music", "1", path);
        s.MipMapping = ReadIntKey("MipMapping", "1", path);
        s.Reflect = ReadIntKey("Reflect", "1", path);
        if (s.Speed < 1)
            s.Speed = 1;
        char lang[256];
        ReadIniString("Game", "Lang", "en", lang, sizeof lang, path);
        std::snprintf(s.Lang, sizeof s.Lang, "%s", lang);
    } else {
        s.firstRun = 1;
        s.Width = 1024;
        s.Height = 768;
        s.Speed = 12;
        s.Difficulty = 1;
        s.Help = 1;
        s.Sound = 1;
        s.Music = 1;
        s.MipMapping = 1;
        s.Reflect = 0;
        std::snprintf(s.Lang, sizeof s.Lang, "%s", s.firstRunLang);
    }
    // Only the three shipped languages may name a language file: a typo or
    // a value like "../x" must neither stop the game nor open another file.
    if (!IsKnownLanguage(s.Lang))
        std::snprintf(s.Lang, sizeof s.Lang, "en");
    if (s.firstRun && havePath && !SaveGameConfig(s))
        Warn("unable to write %s\n", path);
}

bool SaveGameConfig(const Settings& s)
{
    char path[kPathSize];
    if (!GameIniPath(s, path))
        return false;
    const struct {
        const char* key;
        int value;
    } numbers[] = {{"Width", s.Width}, {"Height", s.Height}, {"Speed", s.Speed}, {"Difficulty", s.Difficulty},
                   {"Help", s.Help},   {"Sound", s.Sound},   {"Music", s.Music}, {"Reflect", s.Reflect}};
    bool ok = true;
    for (const auto& n : numbers) {
        char text[32];
        std::snprintf(text, sizeof text, "%d", n.value);
        ok = WriteIniString("Game", n.key, text, path) && ok;
    }
    ok = WriteIniString("Game", "Lang", s.Lang, path) && ok;
    return ok;
}
