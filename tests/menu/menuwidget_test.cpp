#include "state/menuwidget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One frame of menu input, the mouse over item i (or above every item).
struct In : MenuInputFrame {
    explicit In(int over = -1) { mouseY = over < 0 ? 10 : 100 + over * 48 + 24; }
    In& Set(bool MenuInputFrame::*flag)
    {
        this->*flag = true;
        return *this;
    }
};

// A main menu (link, action, action) and an options menu (option, link back).
struct Menus {
    Menu main, options;
    MenuSystem sys;
    int item = -1, value = -1;
    Menus()
    {
        CreateMenu(main, 3, nullptr);
        SetMenuItem(main, 0, 1, MenuKindLink, u"Options", &options);
        SetMenuItem(main, 1, 2, MenuKindAction, u"High scores", nullptr);
        SetMenuItem(main, 2, 6, MenuKindAction, u"Quit", nullptr);
        CreateMenu(options, 2, &main);
        SetMenuItem(options, 0, 25, MenuKindOption, u"Speed", nullptr);
        InitOption(options.items[0], 3);
        SetOptionValue8(options.items[0], 0, 80, "Slow");
        SetOptionValue8(options.items[0], 1, 82, "Medium");
        SetOptionValue8(options.items[0], 2, 84, "Fast");
        SetMenuItem(options, 1, 29, MenuKindLink, u"Back", &main);
        main.y = options.y = 100;
        sys.lineStep = 48;
        SetCurrentMenu(sys, main);
    }
    ~Menus()
    {
        FreeMenu(main);
        FreeMenu(options);
    }
    int Input(const MenuInputFrame& f) { return MenuInput(sys, f, item, value); }
};

// One menu session frame by frame: the mouse, the keys and the joystick.
TEST(MenuInput, TheMouseKeysAndJoystickMoveValidateCycleAndGoBack)
{
    using F = MenuInputFrame;
    const int on1 = In(1).mouseY, on2 = In(2).mouseY, off = In().mouseY, edge = 100 + 48;
    const Menu Menus::*main = &Menus::main, Menus::*options = &Menus::options;
    const int any = -2;
    const struct {
        const char* name;
        int mouseY;
        bool F::*flag;  // or none
        int result, item, value;
        const Menu Menus::*menu;  // current afterwards, with its current index
        int current;
    } steps[] = {
        {"hover", on1, nullptr, MenuMoved, 2, any, main, 1},
        {"hover again", on1, nullptr, MenuNothing, any, any, main, 1},
        {"pressed", on1, &F::leftHeld, MenuNothing, any, any, main, 1},
        {"moved away", on2, nullptr, MenuMoved, 6, any, main, 2},
        {"released elsewhere", on2, &F::leftReleased, MenuNothing, any, any, main, 2},
        {"pressed", on2, &F::leftHeld, MenuNothing, any, any, main, 2},
        {"released over the same", on2, &F::leftReleased, MenuValidated, 6, any, main, 2},
        {"up under a resting mouse", on2, &F::upReleased, MenuNotHere, -1, any, main, 2},
        {"the edge between items", edge, nullptr, MenuNothing, any, any, main, 2},
        {"down from the last", off, &F::downReleased, MenuMoved, 1, any, main, 0},
        {"up from the first", off, &F::upReleased, MenuMoved, 6, any, main, 2},
        {"sideways on an action", off, &F::leftKeyReleased, MenuNotHere, -1, any, main, 2},
        {"joystick down", off, &F::joyDown, MenuMoved, 1, any, main, 0},
        {"escape at the top", off, &F::escapeReleased, MenuBack, -1, -1, main, 0},
        {"return on a link", off, &F::returnReleased, MenuValidated, 1, any, options, 0},
        {"return on an option", off, &F::returnReleased, MenuValueChanged, 25, 82, options, 0},
        {"left", off, &F::leftKeyReleased, MenuValueChanged, 25, 80, options, 0},
        {"left from the first value", off, &F::leftKeyReleased, MenuValueChanged, 25, 84, options, 0},
        {"escape", off, &F::escapeReleased, MenuBack, -1, -1, main, 0},
        {"joystick fire", off, &F::joyFire, MenuValidated, 1, any, options, 0},
    };
    Menus m;
    for (const auto& s : steps) {
        In f;
        f.mouseY = s.mouseY;
        if (s.flag)
            f.*s.flag = true;
        m.item = m.value = any;
        EXPECT_EQ(m.Input(f), s.result) << s.name;
        if (s.item != any) {
            EXPECT_EQ(m.item, s.item) << s.name;
        }
        if (s.value != any) {
            EXPECT_EQ(m.value, s.value) << s.name;
        }
        EXPECT_EQ(m.sys.currentMenu, &(m.*s.menu)) << s.name;
        EXPECT_EQ(m.sys.currentMenu->currentIndex, s.current) << s.name;
    }
    EXPECT_TRUE(m.sys.keysLast) << "the joystick's item is marked";
    m.Input(In(1));
    EXPECT_FALSE(m.sys.keysLast);
}

TEST(MenuInput, TheWheelUnderTheMouseStepsAnOptionAndActsAsReturnOnALinkOnly)
{
    const struct {
        Menu Menus::*menu;
        int over;  // -1: no item
        bool MenuInputFrame::*wheel;
        int result, item, value;
    } cases[] = {
        {&Menus::options, 1, &MenuInputFrame::wheelUp, MenuValidated, 29, -1},  // "Back" applies, then leaves
        {&Menus::options, 0, &MenuInputFrame::wheelDown, MenuValueChanged, 25, 84},
        {&Menus::main, 2, &MenuInputFrame::wheelUp, MenuNothing, -1, -1},     // "Quit" never quits by the wheel
        {&Menus::main, -1, &MenuInputFrame::wheelDown, MenuNothing, -1, -1},  // nor acts on the current link
    };
    for (const auto& c : cases) {
        Menus m;
        SetCurrentMenu(m.sys, m.*c.menu);
        m.Input(In(c.over));
        EXPECT_EQ(m.Input(In(c.over).Set(c.wheel)), c.result) << c.over;
        EXPECT_EQ(m.item * 1000 + m.value, c.item * 1000 + c.value) << c.over;
    }
}

TEST(MenuBuild, LabelsAreBoundedAndValuesSelectedById)
{
    Menus m;
    const std::u16string longText(200, u'x');
    SetMenuItem(m.main, 1, 2, MenuKindAction, longText.c_str(), nullptr);
    EXPECT_EQ(std::u16string(m.main.items[1].text), std::u16string(63, u'x'));
    MenuItem& speed = m.options.items[0];
    SetOptionValue8(speed, 2, 82, "Duplicate");
    SelectOptionValue(speed, 82);
    EXPECT_EQ(speed.valueIndex, 2);  // the last value carrying the id
    SelectOptionValue(speed, 999);
    EXPECT_EQ(speed.valueIndex, 2);  // unknown id: no change
    EXPECT_EQ(FindMenuItem(m.options, 29), &m.options.items[1]);
    EXPECT_EQ(FindMenuItem(m.options, 30), nullptr);

    Menu empty;
    CreateMenu(empty, 0, nullptr);
    SetCurrentMenu(m.sys, empty);
    EXPECT_EQ(m.Input(In(0)), MenuNothing);
    EXPECT_EQ(m.sys.hoverIndex, -1);
    FreeMenu(empty);
}

}  // namespace
