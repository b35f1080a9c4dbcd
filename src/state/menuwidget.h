#pragma once
// Menu widgets: vertical lists of items (actions, links to other menus,
// options with values) driven alike by mouse, keyboard and joystick. This
// file holds the records and the input rules; drawing is in menudraw.h.
#include <cstddef>

constexpr int kMenuTextSize = 64;  // wide characters, terminator included

struct Menu;

struct OptionValue {
    int id = 0;
    int flag = 0;
    char16_t text[kMenuTextSize] = {};
};

enum MenuItemKind { MenuKindAction = 0, MenuKindLink = 1, MenuKindOption = 2 };

struct MenuItem {
    int id = 0;
    int kind = MenuKindAction;
    char16_t text[kMenuTextSize] = {};
    int highlighted = 0;
    Menu* owner = nullptr;
    Menu* target = nullptr;
    int valueIndex = -1;
    OptionValue* value = nullptr;
    int valueCount = 0;
    OptionValue* values = nullptr;
};

struct Menu {
    int count = 0;
    MenuItem* items = nullptr;
    MenuItem* current = nullptr;
    int currentIndex = -1;
    int x = 0, y = 0;
    Menu* parent = nullptr;
};

// One frame of what the menus read from the input.
struct MenuInputFrame {
    int mouseX = 0, mouseY = 0;
    bool leftReleased = false, rightReleased = false;  // button-up this frame
    bool leftHeld = false, rightHeld = false;          // held, or went down this frame
    bool wheelUp = false, wheelDown = false;
    bool returnReleased = false, escapeReleased = false;
    bool upReleased = false, downReleased = false, leftKeyReleased = false, rightKeyReleased = false;
    bool joyUp = false, joyDown = false, joyLeft = false, joyRight = false, joyFire = false;  // edges
};

// Widget-wide state.
struct MenuSystem {
    Menu* currentMenu = nullptr;
    int hoverIndex = -1;
    int lastHoverIndex = -1;
    int pressedIndex = -1;
    float lineStep = 48.0f;  // L = 48 · W / 1024
    // The last menu input came from a key or the joystick (not the mouse):
    // the current item is then marked although no item is under the mouse.
    bool keysLast = false;
    int mouseX = -1, mouseY = -1;  // the mouse where the last frame saw it
};

// Copies a label with a bound: at most kMenuTextSize − 1 units and a
// terminator, whatever the source's length.
void CopyMenuText(char16_t (&dst)[kMenuTextSize], const char16_t* src);
void CopyMenuText8(char16_t (&dst)[kMenuTextSize], const char* src);

// Makes a menu of n empty items; frees what the menu held before.
void CreateMenu(Menu& m, int n, Menu* parent);
void SetMenuItem(Menu& m, int i, int id, int kind, const char16_t* text, Menu* target);
// Gives an option n values, all empty, value 0 current. Throws Exception
// "Out of memory" from "InitOption" when memory cannot be had.
void InitOption(MenuItem& item, int n);
void SetOptionValue(MenuItem& item, int i, int id, const char16_t* text);
void SetOptionValue8(MenuItem& item, int i, int id, const char* text);
// The value with that id becomes current (the last one if several carry it).
void SelectOptionValue(MenuItem& item, int id);
void FreeMenu(Menu& m);

MenuItem* FindMenuItem(Menu& m, int id);
void SetCurrentMenu(MenuSystem& sys, Menu& m);
void NextMenuItem(Menu& m);
void PreviousMenuItem(Menu& m);
void NextOptionValue(MenuItem& item);
void PreviousOptionValue(MenuItem& item);

// Results of MenuInput.
enum MenuResult {
    MenuBack = -1,  // Escape
    MenuNothing = 0,
    MenuMoved = 1,         // the current item changed
    MenuValidated = 2,     // an item was validated
    MenuValueChanged = 3,  // an option value changed
    MenuNotHere = 4,       // a key that does not apply
};

// One frame of input for the current menu. itemId and valueId receive the
// numbers of the result (-1 when unset).
int MenuInput(MenuSystem& sys, const MenuInputFrame& in, int& itemId, int& valueId);

// The index of the item under the mouse's y, or -1.
int MenuItemAt(const Menu& m, float lineStep, int mouseY);
