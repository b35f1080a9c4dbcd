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

TEST(MenuInput, HoveringReportsAMoveOnlyInTheFirstFrame)
{
    Menus m;
    EXPECT_EQ(m.Input(In(1)), MenuMoved);
    EXPECT_EQ(m.item, 2);
    EXPECT_EQ(m.main.currentIndex, 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(m.Input(In(1)), MenuNothing);
    In edge;
    edge.mouseY = 100 + 48;  // the edges between items belong to neither
    m.Input(edge);
    EXPECT_EQ(m.sys.hoverIndex, -1);
}

TEST(MenuInput, ClickValidatesOnlyWhenPressedAndReleasedOverTheSameItem)
{
    Menus m;
    m.Input(In(1));
    m.Input(In(1).Set(&MenuInputFrame::leftHeld));
    m.Input(In(2));  // moved away before releasing
    EXPECT_NE(m.Input(In(2).Set(&MenuInputFrame::leftReleased)), MenuValidated);
    m.Input(In(2).Set(&MenuInputFrame::leftHeld));
    EXPECT_EQ(m.Input(In(2).Set(&MenuInputFrame::leftReleased)), MenuValidated);
    EXPECT_EQ(m.item, 6);
}

TEST(MenuInput, KeysAndJoystickWrapRoundAndSidewaysDoesNothingOnActions)
{
    const struct {
        bool MenuInputFrame::*key;
        int result, item;
    } steps[] = {
        {&MenuInputFrame::upReleased, MenuMoved, 6},    // up from the first is the last
        {&MenuInputFrame::downReleased, MenuMoved, 1},  // down from the last is the first
        {&MenuInputFrame::leftKeyReleased, MenuNotHere, -1}, {&MenuInputFrame::joyDown, MenuMoved, 2},
        {&MenuInputFrame::joyFire, MenuValidated, 2},
    };
    Menus m;
    for (const auto& s : steps) {
        EXPECT_EQ(m.Input(In().Set(s.key)), s.result);
        EXPECT_EQ(m.item, s.item);
    }
    EXPECT_TRUE(m.sys.keysLast) << "the joystick's item is marked";
    m.Input(In(2));  // with the mouse resting on an item, Up and Down do not apply
    EXPECT_FALSE(m.sys.keysLast);
    EXPECT_EQ(m.Input(In(2).Set(&MenuInputFrame::upReleased)), MenuNotHere);
    EXPECT_EQ(m.main.currentIndex, 2);
}

TEST(MenuInput, ReturnEntersLinksAndCyclesValuesAndEscapeGoesBack)
{
    Menus m;
    const In esc = In().Set(&MenuInputFrame::escapeReleased), ret = In().Set(&MenuInputFrame::returnReleased);
    EXPECT_EQ(m.Input(esc), MenuBack);  // top level: nothing else changes
    EXPECT_EQ(m.sys.currentMenu, &m.main);
    EXPECT_EQ(m.Input(ret), MenuValidated);
    EXPECT_EQ(m.item, 1);
    EXPECT_EQ(m.sys.currentMenu, &m.options);
    EXPECT_EQ(m.options.currentIndex, 0);
    EXPECT_EQ(m.Input(ret), MenuValueChanged);
    EXPECT_EQ(m.item, 25);
    EXPECT_EQ(m.value, 82);
    m.Input(In().Set(&MenuInputFrame::leftKeyReleased));
    EXPECT_EQ(m.Input(In().Set(&MenuInputFrame::leftKeyReleased)), MenuValueChanged);
    EXPECT_EQ(m.value, 84) << "wrapped from the first value to the last";
    EXPECT_EQ(m.Input(esc), MenuBack);
    EXPECT_EQ(m.sys.currentMenu, &m.main);
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
