#include "state/menuwidget.h"

#include "app/base/exception.h"

#include <new>

void CopyMenuText(char16_t (&dst)[kMenuTextSize], const char16_t* src)
{
    int i = 0;
    if (src)
        for (; i < kMenuTextSize - 1 && src[i]; ++i)
            dst[i] = src[i];
    dst[i] = 0;
}

void CopyMenuText8(char16_t (&dst)[kMenuTextSize], const char* src)
{
    int i = 0;
    if (src)
        for (; i < kMenuTextSize - 1 && src[i]; ++i)
            dst[i] = static_cast<unsigned char>(src[i]);
    dst[i] = 0;
}

void FreeMenu(Menu& m)
{
    for (int i = 0; i < m.count; ++i)
        delete[] m.items[i].values;
    delete[] m.items;
    m.items = nullptr;
    m.count = 0;
    m.current = nullptr;
    m.currentIndex = -1;
    m.parent = nullptr;
}

void CreateMenu(Menu& m, int n, Menu* parent)
{
    FreeMenu(m);
    if (n > 0)
        m.items = new MenuItem[static_cast<size_t>(n)];
    m.count = n;
    m.parent = parent;
}

void SetMenuItem(Menu& m, int i, int id, int kind, const char16_t* text, Menu* target)
{
    if (i < 0 || i >= m.count)
        return;
    MenuItem& it = m.items[i];
    it.id = id;
    it.kind = kind;
    CopyMenuText(it.text, text);
    it.target = target;
    it.owner = &m;
}

void InitOption(MenuItem& item, int n)
{
    delete[] item.values;
    item.values = nullptr;
    item.valueCount = 0;
    item.value = nullptr;
    item.valueIndex = -1;
    if (n <= 0)
        return;
    item.values = new (std::nothrow) OptionValue[static_cast<size_t>(n)];
    if (!item.values)
        throw Exception("Out of memory", "InitOption", "menu", __LINE__);
    item.valueCount = n;
    item.valueIndex = 0;
    item.value = &item.values[0];
}

void SetOptionValue(MenuItem& item, int i, int id, const char16_t* text)
{
    if (i < 0 || i >= item.valueCount)
        return;
    item.values[i].id = id;
    CopyMenuText(item.values[i].text, text);
}

void SetOptionValue8(MenuItem& item, int i, int id, const char* text)
{
    if (i < 0 || i >= item.valueCount)
        return;
    item.values[i].id = id;
    CopyMenuText8(item.values[i].text, text);
}

void SelectOptionValue(MenuItem& item, int id)
{
    for (int i = 0; i < item.valueCount; ++i)
        if (item.values[i].id == id) {
            item.valueIndex = i;
            item.value = &item.values[i];
        }
}

MenuItem* FindMenuItem(Menu& m, int id)
{
    for (int i = 0; i < m.count; ++i)
        if (m.items[i].id == id)
            return &m.items[i];
    return nullptr;
}

namespace {

void MakeCurrent(Menu& m, int index)
{
    if (m.current)
        m.current->highlighted = 0;
    if (index < 0 || index >= m.count) {
        m.current = nullptr;
        m.currentIndex = -1;
        return;
    }
    m.currentIndex = index;
    m.current = &m.items[index];
    m.current->highlighted = 1;
}

void StepValue(MenuItem& item, int delta)
{
    if (item.valueCount <= 0)
        return;
    int i = item.valueIndex;
    if (i < 0)
        i = delta > 0 ? -1 : 0;
    i = (i + delta + item.valueCount) % item.valueCount;
    item.valueIndex = i;
    item.value = &item.values[i];
}

int ValueId(const MenuItem& item)
{
    return item.value ? item.value->id : -1;
}

// Validating: a link with a target makes it current; the reported id is
// always the item's own.
int Validate(MenuSystem& sys, MenuItem& item, int& itemId, int& valueId)
{
    itemId = item.id;
    valueId = -1;
    if (item.kind == MenuKindLink && item.target)
        SetCurrentMenu(sys, *item.target);
    return MenuValidated;
}

}  // namespace

void SetCurrentMenu(MenuSystem& sys, Menu& m)
{
    sys.currentMenu = &m;
    for (int i = 0; i < m.count; ++i)
        m.items[i].highlighted = 0;
    m.current = nullptr;
    MakeCurrent(m, m.count > 0 ? 0 : -1);
}

void NextMenuItem(Menu& m)
{
    if (m.count <= 0)
        return;
    MakeCurrent(m, m.currentIndex < 0 ? 0 : (m.currentIndex + 1) % m.count);
}

void PreviousMenuItem(Menu& m)
{
    if (m.count <= 0)
        return;
    MakeCurrent(m, m.currentIndex < 0 ? m.count - 1 : (m.currentIndex + m.count - 1) % m.count);
}

void NextOptionValue(MenuItem& item)
{
    StepValue(item, +1);
}

void PreviousOptionValue(MenuItem& item)
{
    StepValue(item, -1);
}

int MenuItemAt(const Menu& m, float lineStep, int mouseY)
{
    int hit = -1;
    for (int i = 0; i < m.count; ++i) {
        float top = m.y + i * lineStep;
        if (top < mouseY && mouseY < top + lineStep)
            hit = i;
    }
    return hit;
}

int MenuInput(MenuSystem& sys, const MenuInputFrame& in, int& itemId, int& valueId)
{
    itemId = -1;
    valueId = -1;
    if (!sys.currentMenu)
        return MenuNothing;
    Menu& m = *sys.currentMenu;

    const bool keys = in.returnReleased || in.escapeReleased || in.upReleased || in.downReleased ||
                      in.leftKeyReleased || in.rightKeyReleased || in.joyUp || in.joyDown || in.joyLeft ||
                      in.joyRight || in.joyFire;
    const bool mouse = in.mouseX != sys.mouseX || in.mouseY != sys.mouseY || in.leftHeld || in.rightHeld ||
                       in.leftReleased || in.rightReleased || in.wheelUp || in.wheelDown;
    if (keys || mouse)
        sys.keysLast = keys;
    sys.mouseX = in.mouseX;
    sys.mouseY = in.mouseY;

    sys.hoverIndex = MenuItemAt(m, sys.lineStep, in.mouseY);
    if (sys.hoverIndex >= 0) {
        MakeCurrent(m, sys.hoverIndex);
        if (sys.hoverIndex != sys.lastHoverIndex) {
            sys.lastHoverIndex = sys.hoverIndex;
            itemId = m.current->id;
            return MenuMoved;
        }
        if (in.leftHeld || in.rightHeld)
            sys.pressedIndex = sys.hoverIndex;
    }

    // A button let go over the item it went down on steps an option's value,
    // the left one forwards and the right one back; the left one validates
    // any other item.
    MenuItem* cur = m.current;
    for (const bool left : {true, false}) {
        const bool released = left ? in.leftReleased : in.rightReleased;
        if (!released || sys.hoverIndex < 0 || sys.hoverIndex != sys.pressedIndex || !cur)
            continue;
        sys.pressedIndex = -1;
        if (cur->kind == MenuKindOption) {
            if (left)
                NextOptionValue(*cur);
            else
                PreviousOptionValue(*cur);
            itemId = cur->id;
            valueId = ValueId(*cur);
            return MenuValueChanged;
        }
        if (left)
            return Validate(sys, *cur, itemId, valueId);
    }
    // The wheel belongs to the item under the mouse, and only to what it can
    // step through: an option's values, or a link as Return. A notch over
    // "Quit" or "Restart" must never end the game.
    if ((in.wheelUp || in.wheelDown) && sys.hoverIndex >= 0 && cur && cur->kind != MenuKindAction) {
        sys.pressedIndex = -1;
        if (cur->kind == MenuKindOption) {
            if (in.wheelUp)
                NextOptionValue(*cur);
            else
                PreviousOptionValue(*cur);
            itemId = cur->id;
            valueId = ValueId(*cur);
            return MenuValueChanged;
        }
        // As Return, so a link never switches menus without its action (the
        // options' "Back" applies the options).
        return Validate(sys, *cur, itemId, valueId);
    }
    if (in.escapeReleased) {
        if (m.parent)
            SetCurrentMenu(sys, *m.parent);
        return MenuBack;
    }
    if ((in.returnReleased || in.joyFire) && cur) {
        if (cur->kind == MenuKindOption) {
            NextOptionValue(*cur);
            itemId = cur->id;
            valueId = ValueId(*cur);
            return MenuValueChanged;
        }
        return Validate(sys, *cur, itemId, valueId);
    }
    bool up = in.upReleased || in.joyUp, down = in.downReleased || in.joyDown;
    if (up || down) {
        if (sys.hoverIndex >= 0)
            return MenuNotHere;
        if (up)
            PreviousMenuItem(m);
        else
            NextMenuItem(m);
        itemId = m.current ? m.current->id : -1;
        return MenuMoved;
    }
    bool left = in.leftKeyReleased || in.joyLeft, right = in.rightKeyReleased || in.joyRight;
    if (left || right) {
        if (!cur || cur->kind != MenuKindOption)
            return MenuNotHere;
        if (left)
            PreviousOptionValue(*cur);
        else
            NextOptionValue(*cur);
        itemId = cur->id;
        valueId = ValueId(*cur);
        return MenuValueChanged;
    }
    return MenuNothing;
}
