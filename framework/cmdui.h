// The command-update pass that a window runs when one of its popup menus is
// about to open: each item's update handler may enable, disable, check,
// rename or remove it.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

// One item of the popup being updated, addressed by position.
class CCmdUI {
public:
    CCmdUI(HMENU menu, UINT index, UINT id, HMENU subMenu)
        : m_menu(menu), m_index(index), m_id(id), m_subMenu(subMenu) {}

    void Enable(bool on = true);
    // 0 clears the check mark, anything else sets it.
    void SetCheck(int check = 1);
    void SetText(const std::string& text);
    // Deletes the item from the menu; the pass carries on after it.
    void Remove();

    UINT Id() const { return m_id; }
    // Set when the item is a submenu entry updated through its first command.
    HMENU SubMenu() const { return m_subMenu; }
    bool Removed() const { return m_removed; }

private:
    HMENU m_menu;
    UINT m_index;
    UINT m_id;
    HMENU m_subMenu;
    bool m_removed = false;
};

// Runs the pass over `popup` for `target`. Separators are skipped; a submenu
// entry is updated through the command of its submenu's first item; a
// command below 0xF000 that has neither an update nor a command handler is
// disabled unless `disableUnhandled` is false.
void UpdateMenuCommands(HMENU popup, CWnd& target, bool disableUnhandled = true);
