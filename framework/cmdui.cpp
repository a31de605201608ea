#include "cmdui.h"

#include "window.h"

void CCmdUI::Enable(bool on)
{
    if (m_removed) return;
    EnableMenuItem(m_menu, m_index, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
}

void CCmdUI::SetCheck(int check)
{
    if (m_removed) return;
    CheckMenuItem(m_menu, m_index, MF_BYPOSITION | (check != 0 ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetText(const std::string& text)
{
    if (m_removed) return;
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(text.c_str());
    SetMenuItemInfoA(m_menu, m_index, TRUE, &info);
}

void CCmdUI::Remove()
{
    if (m_removed) return;
    // RemoveMenu keeps a submenu alive for whoever still owns it.
    if (RemoveMenu(m_menu, m_index, MF_BYPOSITION)) m_removed = true;
}

void UpdateMenuCommands(HMENU popup, CWnd& target, bool disableUnhandled)
{
    if (popup == nullptr) return;
    int count = GetMenuItemCount(popup);
    int index = 0;
    while (index < count) {
        UINT id = GetMenuItemID(popup, index);
        HMENU subMenu = nullptr;
        bool disableWithoutHandler = false;
        if (id == static_cast<UINT>(-1)) {
            subMenu = GetSubMenu(popup, index);
            id = subMenu != nullptr ? GetMenuItemID(subMenu, 0) : 0;
            if (id == static_cast<UINT>(-1)) id = 0;
        } else {
            disableWithoutHandler = disableUnhandled && id < 0xF000;
        }
        if (id == 0) {  // separator, or a submenu without a leading command
            ++index;
            continue;
        }

        CCmdUI ui(popup, static_cast<UINT>(index), id, subMenu);
        const bool updated = target.OnUpdateCommand(ui);
        if (!updated && disableWithoutHandler && !target.HandlesCommand(id)) ui.Enable(false);

        // Removal shifts the later items down: step back by what went, past
        // anything still carrying this command, so the walk resumes at the
        // item that followed.
        const int now = GetMenuItemCount(popup);
        if (now < count) {
            index -= count - now;
            while (index >= 0 && index < now && GetMenuItemID(popup, index) == id) ++index;
        }
        count = now;
        ++index;
    }
}
