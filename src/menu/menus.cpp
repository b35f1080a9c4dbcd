#include "menu/menu.h"

#include "sound/sound.h"
#include "text/font.h"
#include "text/texte.h"

#include <cstdio>
#include <cstring>

namespace {

enum MenuId {
    kIdGame = 0,
    kIdOptions = 1,
    kIdHighScores = 2,
    kIdAbout = 4,
    kIdQuit = 6,
    kIdPlay = 10,
    kIdLevelList = 11,
    kIdCodeMenu = 12,
    kIdSolution = 13,
    kIdLoad = 14,
    kIdGameBack = 15,
    kIdLang = 20,
    kIdResolution = 22,
    kIdReflect = 23,
    kIdHelp = 24,
    kIdSpeed = 25,
    kIdSound = 26,
    kIdMusic = 27,
    kIdOptionsBack = 29,
    kIdContinue = 60,
    kIdRestart = 62,
    kIdInGameLoad = 64,
    kIdSave = 65,
    kIdLeave = 67,
};

enum ValueId {
    kHelpOn = 50,
    kHelpOff = 51,
    kLangFr = 70,
    kLangEn = 71,
    kLangEs = 72,
    kSpeedFirst = 80,  // 80 … 84
    kMusicOn = 90,
    kMusicOff = 91,
    kSoundOn = 92,
    kSoundOff = 93,
    kReflectOn = 100,
    kReflectOff = 101,
    kResolutionFirst = 1240,
};

const int kSpeeds[5] = {25, 20, 12, 8, 4};

void OnOff(MenuItem& item, int onId, int offId, bool on)
{
    InitOption(item, 2);
    SetOptionValue(item, 0, onId, TextKey::ON.Units());
    SetOptionValue(item, 1, offId, TextKey::OFF.Units());
    SelectOptionValue(item, on ? onId : offId);
}

// The value shown for a language code; any code but "fr" and "es" is shown
// (and used) as "en".
int LangValueId(const char* lang)
{
    return !std::strcmp(lang, "fr") ? kLangFr : !std::strcmp(lang, "es") ? kLangEs : kLangEn;
}

void SetLanguage(GameState& g, const char* lang)
{
    if (std::strcmp(g.settings.Lang, lang) == 0)
        return;  // already in use: nothing happens
    if (!ChangeLanguage(g.dataPrefix, lang)) {
        // The language in use stays (and says why); so must the option, or
        // "Back" would store it under the refused name.
        if (MenuItem* item = FindMenuItem(g.optionsMenu, kIdLang))
            SelectOptionValue(*item, LangValueId(g.settings.Lang));
        return;
    }
    std::snprintf(g.settings.Lang, sizeof g.settings.Lang, "%s", lang);
    BuildMenus(g);  // the options menu stays the current one
}

void OnValue(GameState& g, int valueId)
{
    Settings& s = g.settings;
    switch (valueId) {
    case kHelpOn:
    case kHelpOff:
        s.Help = valueId == kHelpOn;
        return;
    case kLangFr:
        SetLanguage(g, "fr");
        return;
    case kLangEn:
        SetLanguage(g, "en");
        return;
    case kLangEs:
        SetLanguage(g, "es");
        return;
    case kMusicOn:
    case kMusicOff:
        s.Music = g.storedMusic = valueId == kMusicOn;
        SetMusicOn(s.Music);
        return;
    case kSoundOn:
    case kSoundOff:
        s.Sound = g.storedSound = valueId == kSoundOn;
        SetSoundOn(s.Sound);
        return;
    case kReflectOn:
    case kReflectOff:
        s.Reflect = valueId == kReflectOn;
        return;
    default:
        break;
    }
    if (valueId >= kSpeedFirst && valueId < kSpeedFirst + 5) {
        s.Speed = kSpeeds[valueId - kSpeedFirst];
        return;
    }
    const int mode = valueId - kResolutionFirst;
    if (mode >= 0 && mode < static_cast<int>(g.displayModes.size())) {
        g.pendingWidth = g.displayModes[static_cast<size_t>(mode)].width;
        g.pendingHeight = g.displayModes[static_cast<size_t>(mode)].height;
    }
}

// The dialogs are opened here; the game's flow is the loop's.
ScreenAction OnItem(GameState& g, int itemId)
{
    switch (itemId) {
    case kIdHighScores:
        OpenHighScores(g);
        break;
    case kIdAbout:
        OpenCredits(g);
        break;
    case kIdQuit:
        return {ScreenAction::Quit};
    case kIdPlay:
        return {ScreenAction::StartLevel, 0};
    case kIdCodeMenu:
        OpenCodeEntry(g);
        break;
    case kIdSolution:
        OpenSolutionList(g);
        break;
    case kIdLevelList:
        OpenLevelList(g);
        break;
    case kIdLoad:
    case kIdInGameLoad:
        OpenSlotList(g, false);
        break;
    case kIdSave:
        OpenSlotList(g, true);
        break;
    case kIdOptionsBack:
        return {ScreenAction::ApplyOptions};
    case kIdContinue:
        return {ScreenAction::ResumePlay};
    case kIdRestart:
        return {ScreenAction::RestartLevel};
    case kIdLeave:
        return {ScreenAction::LeaveGame};
    default:
        break;
    }
    return ScreenAction();
}

}  // namespace

void FreeMenus(GameState& g)
{
    FreeMenu(g.mainMenu);
    FreeMenu(g.gameMenu);
    FreeMenu(g.optionsMenu);
    FreeMenu(g.inGameMenu);
    g.menus.currentMenu = nullptr;
}

void BuildMenus(GameState& g)
{
    Menu* current = g.menus.currentMenu;
    FreeMenus(g);
    using namespace TextKey;

    CreateMenu(g.mainMenu, 5, nullptr);
    SetMenuItem(g.mainMenu, 0, kIdGame, MenuKindLink, Game.Units(), &g.gameMenu);
    SetMenuItem(g.mainMenu, 1, kIdOptions, MenuKindLink, Options.Units(), &g.optionsMenu);
    SetMenuItem(g.mainMenu, 2, kIdHighScores, MenuKindAction, HighScores.Units(), nullptr);
    SetMenuItem(g.mainMenu, 3, kIdAbout, MenuKindAction, About.Units(), nullptr);
    SetMenuItem(g.mainMenu, 4, kIdQuit, MenuKindAction, Quit.Units(), nullptr);

    CreateMenu(g.gameMenu, 6, &g.mainMenu);
    SetMenuItem(g.gameMenu, 0, kIdPlay, MenuKindAction, Play.Units(), nullptr);
    SetMenuItem(g.gameMenu, 1, kIdCodeMenu, MenuKindAction, CodeMenu.Units(), nullptr);
    SetMenuItem(g.gameMenu, 2, kIdLevelList, MenuKindAction, Level.Units(), nullptr);
    SetMenuItem(g.gameMenu, 3, kIdSolution, MenuKindAction, Solution.Units(), nullptr);
    SetMenuItem(g.gameMenu, 4, kIdLoad, MenuKindAction, Load.Units(), nullptr);
    SetMenuItem(g.gameMenu, 5, kIdGameBack, MenuKindLink, Back.Units(), &g.mainMenu);

    Settings& s = g.settings;
    CreateMenu(g.optionsMenu, 8, &g.mainMenu);
    SetMenuItem(g.optionsMenu, 0, kIdLang, MenuKindOption, Lang.Units(), nullptr);
    MenuItem& lang = g.optionsMenu.items[0];
    InitOption(lang, 3);
    SetOptionValue(lang, 0, kLangFr, LangFR.Units());
    SetOptionValue(lang, 1, kLangEn, LangEN.Units());
    SetOptionValue(lang, 2, kLangEs, LangES.Units());
    SelectOptionValue(lang, LangValueId(s.Lang));
    if (LangValueId(s.Lang) == kLangEn)
        std::snprintf(s.Lang, sizeof s.Lang, "en");

    SetMenuItem(g.optionsMenu, 1, kIdResolution, MenuKindOption, Resolution.Units(), nullptr);
    MenuItem& res = g.optionsMenu.items[1];
    // The size in use is always in the list (the start-up adds it).
    std::vector<DisplayMode>& modes = g.displayModes;
    bool found = false;
    for (const DisplayMode& m : modes)
        found = found || (m.width == s.Width && m.height == s.Height);
    if (!found)
        modes.push_back(DisplayMode{s.Width, s.Height, 32});
    InitOption(res, static_cast<int>(modes.size()));
    for (size_t i = 0; i < modes.size(); ++i) {
        char label[32];
        std::snprintf(label, sizeof label, "%dx%d", modes[i].width, modes[i].height);
        SetOptionValue8(res, static_cast<int>(i), kResolutionFirst + static_cast<int>(i), label);
        if (modes[i].width == s.Width && modes[i].height == s.Height)
            SelectOptionValue(res, kResolutionFirst + static_cast<int>(i));
    }
    g.pendingWidth = s.Width;
    g.pendingHeight = s.Height;

    SetMenuItem(g.optionsMenu, 2, kIdReflect, MenuKindOption, Reflect.Units(), nullptr);
    OnOff(g.optionsMenu.items[2], kReflectOn, kReflectOff, s.Reflect != 0);
    SetMenuItem(g.optionsMenu, 3, kIdHelp, MenuKindOption, Help.Units(), nullptr);
    OnOff(g.optionsMenu.items[3], kHelpOn, kHelpOff, s.Help != 0);
    SetMenuItem(g.optionsMenu, 4, kIdSpeed, MenuKindOption, Speed.Units(), nullptr);
    MenuItem& speed = g.optionsMenu.items[4];
    InitOption(speed, 5);
    const WideText* speedTexts[5] = {&VerySlow, &Slow, &Medium, &Fast, &VeryFast};
    for (int i = 0; i < 5; ++i) {
        SetOptionValue(speed, i, kSpeedFirst + i, speedTexts[i]->Units());
        if (kSpeeds[i] == s.Speed)
            SelectOptionValue(speed, kSpeedFirst + i);
    }
    SetMenuItem(g.optionsMenu, 5, kIdSound, MenuKindOption, Sound.Units(), nullptr);
    OnOff(g.optionsMenu.items[5], kSoundOn, kSoundOff, s.Sound != 0);
    SetMenuItem(g.optionsMenu, 6, kIdMusic, MenuKindOption, Music.Units(), nullptr);
    OnOff(g.optionsMenu.items[6], kMusicOn, kMusicOff, s.Music != 0);
    SetMenuItem(g.optionsMenu, 7, kIdOptionsBack, MenuKindLink, Back.Units(), &g.mainMenu);

    CreateMenu(g.inGameMenu, 5, nullptr);
    SetMenuItem(g.inGameMenu, 0, kIdContinue, MenuKindAction, Continue.Units(), nullptr);
    SetMenuItem(g.inGameMenu, 1, kIdRestart, MenuKindAction, Restart.Units(), nullptr);
    SetMenuItem(g.inGameMenu, 2, kIdInGameLoad, MenuKindAction, Load.Units(), nullptr);
    SetMenuItem(g.inGameMenu, 3, kIdSave, MenuKindAction, Save.Units(), nullptr);
    SetMenuItem(g.inGameMenu, 4, kIdLeave, MenuKindLink, Quit.Units(), &g.mainMenu);

    LayoutMenus(g, s.Width, s.Height);
    // Whatever menu was current is made current again from its new items.
    Menu* menus[4] = {&g.mainMenu, &g.gameMenu, &g.optionsMenu, &g.inGameMenu};
    Menu* again = &g.mainMenu;
    for (Menu* m : menus)
        if (m == current)
            again = m;
    SetCurrentMenu(g.menus, *again);
}

ScreenAction MenuAction(GameState& g)
{
    MenuInputFrame f = MenuFrameFromInput(g.input);
    int itemId = -1, valueId = -1;
    switch (MenuInput(g.menus, f, itemId, valueId)) {
    case MenuMoved:
        PlaySample(SoundId::MenuChoice);
        break;
    case MenuBack:
        if (g.gameInProgress)
            return {ScreenAction::ResumePlay};
        break;
    case MenuValidated:
        PlaySample(SoundId::MenuClick);
        return OnItem(g, itemId);
    case MenuValueChanged:
        PlaySample(SoundId::MenuClick);
        OnValue(g, valueId);
        break;
    default:
        break;
    }
    return ScreenAction();
}
