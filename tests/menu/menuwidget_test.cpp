#include "state/menuwidget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A main menu (link, action, action) and an options menu (option, link back).
struct Menus {
    Menu main, options;
    MenuSystem sys;
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
    int Input(const MenuInputFrame& f, int* item = nullptr, int* value = nullptr)
    {
        int i, v;
        int r = MenuInput(sys, f, i, v);
        if (item)
            *item = i;
        if (value)
            *value = v;
        return r;
    }
};

MenuInputFrame Away()
{
    MenuInputFrame f;
    f.mouseY = 10;  // above every item
    return f;
}

MenuInputFrame Over(int index)
{
    MenuInputFrame f;
    f.mouseY = 100 + index * 48 + 24;
    return f;
}

TEST(MenuInput, HoveringReportsAMoveOnlyInTheFirstFrame)
{
    Menus m;
    int item;
    EXPECT_EQ(m.Input(Over(1), &item), MenuMoved);
    EXPECT_EQ(item, 2);
    EXPECT_EQ(m.main.currentIndex, 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(m.Input(Over(1)), MenuNothing);
    // The edges between items belong to neither (strict on both sides).
    MenuInputFrame edge;
    edge.mouseY = 100 + 48;
    m.Input(edge);
    EXPECT_EQ(m.sys.hoverIndex, -1);
}

TEST(MenuInput, ClickValidatesOnlyWhenPressedAndReleasedOverTheSameItem)
{
    Menus m;
    m.Input(Over(1));
    MenuInputFrame press = Over(1);
    press.leftHeld = true;
    m.Input(press);
    m.Input(Over(2));  // moved away before releasing
    MenuInputFrame release = Over(2);
    release.leftReleased = true;
    EXPECT_NE(m.Input(release), MenuValidated);

    MenuInputFrame press2 = Over(2);
    press2.leftHeld = true;
    m.Input(press2);
    int item;
    EXPECT_EQ(m.Input(release, &item), MenuValidated);
    EXPECT_EQ(item, 6);
}

TEST(MenuInput, KeyboardWrapsAndIgnoresSidewaysOnActions)
{
    Menus m;
    MenuInputFrame up = Away();
    up.upReleased = true;
    int item;
    EXPECT_EQ(m.Input(up, &item), MenuMoved);  // up from the first is the last
    EXPECT_EQ(item, 6);
    MenuInputFrame down = Away();
    down.downReleased = true;
    EXPECT_EQ(m.Input(down, &item), MenuMoved);  // down from the last is the first
    EXPECT_EQ(item, 1);
    MenuInputFrame left = Away();
    left.leftKeyReleased = true;
    EXPECT_EQ(m.Input(left), MenuNotHere);
    EXPECT_EQ(m.main.currentIndex, 0);
    // With the mouse resting on an item, Up and Down do not apply.
    m.Input(Over(2));
    MenuInputFrame upOver = Over(2);
    upOver.upReleased = true;
    EXPECT_EQ(m.Input(upOver), MenuNotHere);
    EXPECT_EQ(m.main.currentIndex, 2);
}

TEST(MenuInput, ReturnEntersLinksAndEscapeGoesBack)
{
    Menus m;
    MenuInputFrame esc = Away();
    esc.escapeReleased = true;
    EXPECT_EQ(m.Input(esc), MenuBack);  // top level: nothing else changes
    EXPECT_EQ(m.sys.currentMenu, &m.main);

    MenuInputFrame ret = Away();
    ret.returnReleased = true;
    int item;
    EXPECT_EQ(m.Input(ret, &item), MenuValidated);
    EXPECT_EQ(item, 1);
    EXPECT_EQ(m.sys.currentMenu, &m.options);
    EXPECT_EQ(m.options.currentIndex, 0);

    int value;
    EXPECT_EQ(m.Input(ret, &item, &value), MenuValueChanged);  // Return on an option
    EXPECT_EQ(item, 25);
    EXPECT_EQ(value, 82);
    MenuInputFrame left = Away();
    left.leftKeyReleased = true;
    m.Input(left, &item, &value);
    m.Input(left, &item, &value);
    EXPECT_EQ(value, 84);  // wrapped from the first value to the last

    EXPECT_EQ(m.Input(esc), MenuBack);
    EXPECT_EQ(m.sys.currentMenu, &m.main);
}

TEST(MenuInput, WheelOverALinkActsAsReturn)
{
    Menus m;
    SetCurrentMenu(m.sys, m.options);
    m.Input(Over(1));
    MenuInputFrame wheel = Over(1);
    wheel.wheelUp = true;
    int item, value;
    // "Back" runs its action (so the options are applied), then enters its menu.
    EXPECT_EQ(m.Input(wheel, &item, &value), MenuValidated);
    EXPECT_EQ(item, 29);
    EXPECT_EQ(m.sys.currentMenu, &m.main);

    SetCurrentMenu(m.sys, m.options);
    m.Input(Over(0));
    MenuInputFrame wheelDown = Over(0);
    wheelDown.wheelDown = true;
    EXPECT_EQ(m.Input(wheelDown, &item, &value), MenuValueChanged);
    EXPECT_EQ(value, 84);
}

TEST(MenuInput, JoystickEdgesNavigate)
{
    Menus m;
    MenuInputFrame j = Away();
    j.joyDown = true;
    int item;
    EXPECT_EQ(m.Input(j, &item), MenuMoved);
    EXPECT_EQ(item, 2);
    MenuInputFrame fire = Away();
    fire.joyFire = true;
    EXPECT_EQ(m.Input(fire, &item), MenuValidated);
    EXPECT_EQ(item, 2);
}

TEST(MenuBuild, LabelsAreBoundedAndValuesSelectedById)
{
    Menus m;
    std::u16string longText(200, u'x');
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
    MenuSystem sys;
    SetCurrentMenu(sys, empty);
    int item, value;
    EXPECT_EQ(MenuInput(sys, Over(0), item, value), MenuNothing);
    EXPECT_EQ(sys.hoverIndex, -1);
    FreeMenu(empty);
}

}  // namespace
