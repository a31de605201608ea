#include "framework/cmdui.h"
#include "framework/window.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct Item {
    UINT id;  // 0 = separator, -1 = submenu
    const char* text;
};

// A popup built from items; a submenu entry gets the commands in `sub`.
HMENU MakePopup(const std::vector<Item>& items, const std::vector<Item>& sub = {})
{
    HMENU popup = CreatePopupMenu();
    for (const Item& item : items) {
        if (item.id == 0) {
            AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        } else if (item.id == static_cast<UINT>(-1)) {
            HMENU child = MakePopup(sub);
            AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(child), item.text);
        } else {
            AppendMenuA(popup, MF_STRING, item.id, item.text);
        }
    }
    return popup;
}

std::vector<UINT> Ids(HMENU menu)
{
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

UINT State(HMENU menu, int index)
{
    return GetMenuState(menu, index, MF_BYPOSITION);
}

std::string Text(HMENU menu, int index)
{
    char buffer[64] = {};
    GetMenuStringA(menu, index, buffer, sizeof buffer, MF_BYPOSITION);
    return buffer;
}

enum class Action { Enable, Disable, Check, Uncheck, Rename, Remove };

// Update handlers from a table; `commands` have command handlers only.
class Target : public CWnd {
public:
    std::map<UINT, Action> handlers;
    std::vector<UINT> commands;
    std::vector<UINT> visited;
    std::vector<bool> visitedAsSubmenu;

    bool OnUpdateCommand(CCmdUI& ui) override
    {
        visited.push_back(ui.Id());
        visitedAsSubmenu.push_back(ui.SubMenu() != nullptr);
        auto it = handlers.find(ui.Id());
        if (it == handlers.end()) return false;
        switch (it->second) {
        case Action::Enable: ui.Enable(true); break;
        case Action::Disable: ui.Enable(false); break;
        case Action::Check: ui.SetCheck(1); break;
        case Action::Uncheck: ui.SetCheck(0); break;
        case Action::Rename: ui.SetText("Renamed"); break;
        case Action::Remove: ui.Remove(); break;
        }
        return true;
    }
    bool HandlesCommand(UINT id) const override
    {
        for (UINT c : commands)
            if (c == id) return true;
        return false;
    }
};

TEST(CommandUpdate, HandlersSetStateAndUnhandledCommandsAreDisabled)
{
    HMENU popup = MakePopup({{100, "Enable me"}, {101, "Disable me"}, {0, nullptr}, {102, "Check me"},
                             {103, "Rename me"}, {104, "Command only"}, {105, "No handler"},
                             {0xF060, "System range"}});
    CheckMenuItem(popup, 3, MF_BYPOSITION | MF_UNCHECKED);
    EnableMenuItem(popup, 0, MF_BYPOSITION | MF_GRAYED);
    Target target;
    target.handlers = {{100, Action::Enable}, {101, Action::Disable}, {102, Action::Check}, {103, Action::Rename}};
    target.commands = {104};

    UpdateMenuCommands(popup, target);

    EXPECT_EQ(target.visited, (std::vector<UINT>{100, 101, 102, 103, 104, 105, 0xF060}));  // separator skipped
    EXPECT_FALSE(State(popup, 0) & MF_GRAYED);
    EXPECT_TRUE(State(popup, 1) & MF_GRAYED);
    EXPECT_TRUE(State(popup, 3) & MF_CHECKED);
    EXPECT_EQ(Text(popup, 4), "Renamed");
    EXPECT_FALSE(State(popup, 5) & MF_GRAYED) << "a command with a handler stays enabled";
    EXPECT_TRUE(State(popup, 6) & MF_GRAYED) << "a command nobody handles is disabled";
    EXPECT_FALSE(State(popup, 7) & MF_GRAYED) << "system commands are left alone";
    DestroyMenu(popup);
}

TEST(CommandUpdate, RemovalsKeepTheWalkOnTheFollowingItems)
{
    const struct {
        std::vector<Item> items;
        std::map<UINT, Action> handlers;
        std::vector<UINT> visited;
        std::vector<UINT> left;
    } cases[] = {
        // Two neighbours removed: the second is still visited.
        {{{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}},
         {{2, Action::Remove}, {3, Action::Remove}, {1, Action::Enable}, {4, Action::Enable}},
         {1, 2, 3, 4},
         {1, 4}},
        // The first and the last removed.
        {{{1, "a"}, {0, nullptr}, {2, "b"}, {3, "c"}},
         {{1, Action::Remove}, {3, Action::Remove}, {2, Action::Check}},
         {1, 2, 3},
         {0, 2}},
        // Everything removed.
        {{{7, "a"}, {8, "b"}}, {{7, Action::Remove}, {8, Action::Remove}}, {7, 8}, {}},
    };
    for (const auto& c : cases) {
        HMENU popup = MakePopup(c.items);
        Target target;
        target.handlers = c.handlers;
        UpdateMenuCommands(popup, target);
        EXPECT_EQ(target.visited, c.visited);
        EXPECT_EQ(Ids(popup), c.left);
        DestroyMenu(popup);
    }
}

TEST(CommandUpdate, SubmenuEntryIsUpdatedThroughItsFirstCommand)
{
    HMENU popup = MakePopup({{200, "Before"}, {static_cast<UINT>(-1), "More"}}, {{300, "Inner"}, {301, "Other"}});
    Target target;
    target.handlers = {{200, Action::Enable}, {300, Action::Disable}};
    UpdateMenuCommands(popup, target);
    EXPECT_EQ(target.visited, (std::vector<UINT>{200, 300}));
    EXPECT_EQ(target.visitedAsSubmenu, (std::vector<bool>{false, true}));
    EXPECT_TRUE(State(popup, 1) & MF_GRAYED) << "the entry itself takes the state";

    // Without a handler a submenu entry is not disabled.
    Target none;
    HMENU other = MakePopup({{static_cast<UINT>(-1), "More"}}, {{400, "Inner"}});
    UpdateMenuCommands(other, none);
    EXPECT_FALSE(State(other, 0) & MF_GRAYED);
    DestroyMenu(popup);
    DestroyMenu(other);
}

}  // namespace
