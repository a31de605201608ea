#include "designer/keynavigation.h"

#include <gtest/gtest.h>

namespace {

// A current panel of four items with the item at `selected` selected, a
// parent panel opened by its item 2, an open child whose current index is
// 1, and a last panel whose current index is 3.
KeyContext Panel(int selected)
{
    KeyContext context;
    context.hasCurrentPanel = true;
    context.selectedIndex = selected;
    context.count = 4;
    context.hasParentPanel = true;
    context.openerIndex = 2;
    context.hasChildPanel = true;
    context.childCurrentIndex = 1;
    context.lastPanelCurrentIndex = 3;
    return context;
}

TEST(KeyNavigationTest, KeysSelectAndWrapAround)
{
    const struct {
        const char* what;
        NavKey key;
        int selected;
        NavPanel panel;
        int index;
    } cases[] = {
        {"Up", NavKey::Up, 2, NavPanel::Current, 1},
        {"Up on the first wraps to the last", NavKey::Up, 0, NavPanel::Current, 3},
        {"Down", NavKey::Down, 1, NavPanel::Current, 2},
        {"Down on the last wraps to the first", NavKey::Down, 3, NavPanel::Current, 0},
        {"Page Up", NavKey::PageUp, 2, NavPanel::Current, 0},
        {"Page Down", NavKey::PageDown, 1, NavPanel::Current, 3},
        {"Home", NavKey::Home, 2, NavPanel::Root, 0},
        {"End", NavKey::End, 0, NavPanel::Last, 3},
        {"Left: the opener in the parent", NavKey::Left, 3, NavPanel::Parent, 2},
        {"Right: the child's current item", NavKey::Right, 3, NavPanel::Child, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const NavAction action = NavigateKey(c.key, false, Panel(c.selected));
        EXPECT_EQ(NavAction::Select, action.kind);
        EXPECT_TRUE(action.consumed);
        EXPECT_EQ(c.panel, action.panel);
        EXPECT_EQ(c.index, action.index);
    }
}

TEST(KeyNavigationTest, PanelsWithoutACurrentIndexOrNeighbourPanel)
{
    KeyContext context = Panel(1);
    context.childCurrentIndex = -1;
    context.lastPanelCurrentIndex = -1;
    EXPECT_EQ(0, NavigateKey(NavKey::Right, false, context).index);
    EXPECT_EQ(0, NavigateKey(NavKey::End, false, context).index);

    // The root panel has no parent; a panel without an open child: nothing.
    context.hasParentPanel = false;
    context.hasChildPanel = false;
    for (NavKey key : {NavKey::Left, NavKey::Right}) {
        const NavAction action = NavigateKey(key, false, context);
        EXPECT_EQ(NavAction::None, action.kind);
        EXPECT_TRUE(action.consumed);
    }
}

TEST(KeyNavigationTest, CtrlUpAndDownMoveTheItemButNeverPastAnEnd)
{
    const struct {
        const char* what;
        NavKey key;
        int selected;
        int count;
        bool moves;
        int anchor;
        bool before;
    } cases[] = {
        {"Ctrl+Up", NavKey::Up, 2, 4, true, 1, true},
        {"Ctrl+Down", NavKey::Down, 1, 4, true, 2, false},
        {"Ctrl+Up on the first", NavKey::Up, 0, 4, false, -1, false},
        {"Ctrl+Down on the last", NavKey::Down, 3, 4, false, -1, false},
        {"Ctrl+Up, a single item", NavKey::Up, 0, 1, false, -1, false},
        {"Ctrl+Down, a single item", NavKey::Down, 0, 1, false, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeyContext context = Panel(c.selected);
        context.count = c.count;
        const NavAction action = NavigateKey(c.key, true, context);
        EXPECT_TRUE(action.consumed);
        if (!c.moves) {
            EXPECT_EQ(NavAction::None, action.kind);
            continue;
        }
        EXPECT_EQ(NavAction::Move, action.kind);
        EXPECT_EQ(c.selected, action.index);
        EXPECT_EQ(c.anchor, action.anchorIndex);
        EXPECT_EQ(c.before, action.before);
        EXPECT_EQ(c.anchor, action.selectAfter);  // the item's new place
    }
}

TEST(KeyNavigationTest, KeysThatAreNotTheCanvasesPassOn)
{
    KeyContext dragging = Panel(1);
    dragging.dragging = true;
    KeyContext noPanel;
    const struct {
        const char* what;
        NavKey key;
        KeyContext context;
    } cases[] = {
        {"while dragging", NavKey::Down, dragging},
        {"before the first selection", NavKey::Down, noPanel},
        {"another key", NavKey::Other, Panel(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const NavAction action = NavigateKey(c.key, false, c.context);
        EXPECT_EQ(NavAction::None, action.kind);
        EXPECT_FALSE(action.consumed);
    }
    const NavAction enter = NavigateKey(NavKey::Enter, false, Panel(1));
    EXPECT_EQ(NavAction::OpenProperties, enter.kind);
    EXPECT_TRUE(enter.consumed);

    EXPECT_EQ(NavKey::Up, NavKeyFromVirtualKey(0x26));
    EXPECT_EQ(NavKey::PageDown, NavKeyFromVirtualKey(0x22));
    EXPECT_EQ(NavKey::Other, NavKeyFromVirtualKey('A'));
}

}  // namespace
