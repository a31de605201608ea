#include "designer/keyspage.h"

#include "lang/resource.h"
#include "menudoc/edithistory.h"
#include "menudoc/menuitem.h"

CKeysPage::CKeysPage() : CItemPage(IDD_KEYS_PAGE, ItemPage::Keys) {}

void CKeysPage::reload()
{
    const CMenuItem* item = currentItem();
    reloadTextFields(item);
    CheckDlgButton(IDC_KEYS_PRESS_ENTER, item != nullptr && item->pressEnter != 0);
    CheckDlgButton(IDC_KEYS_ENCIPHER, item != nullptr && item->keysEnciphered != 0);
}

void CKeysPage::updateEnabling()
{
    const KeysEnabling enabling = KeysPageEnabling(PageItemStateOf(currentList(), currentItem()));
    enableControls({IDC_KEYS_PRESS_ENTER, IDC_KEYS_ENCIPHER, IDC_KEYS_TEXT}, enabling.enabled);
}

bool CKeysPage::PreTranslateMessage(MSG* msg)
{
    if (m_hWnd != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && GetKeyState(VK_CONTROL) < 0) {
        HWND text = GetDlgItem(IDC_KEYS_TEXT);
        if (text != nullptr && msg->hwnd == text) {
            // A new line in the text, not Enter for the palette. The edit is
            // given the line feed that Ctrl+Enter types: a multi-line edit in
            // a dialog drops a carriage return unless it wants Enter itself.
            PostMessageA(text, WM_CHAR, '\n', msg->lParam);
            return true;
        }
    }
    return CItemPage::PreTranslateMessage(msg);
}

bool CKeysPage::OnCommand(UINT id, UINT code, HWND control)
{
    if (onTextNotification(id, code)) return true;
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_KEYS_PRESS_ENTER:
            OnFlagClicked(IDC_KEYS_PRESS_ENTER, kChangePressEnter, &CMenuItem::pressEnter);
            return true;
        case IDC_KEYS_ENCIPHER:
            OnFlagClicked(IDC_KEYS_ENCIPHER, kChangeKeysEnciphered, &CMenuItem::keysEnciphered);
            return true;
        default: break;
        }
    }
    return CItemPage::OnCommand(id, code, control);
}

void CKeysPage::OnFlagClicked(int controlId, int changeType, int CMenuItem::*flag)
{
    CMenuItem* item = currentItem();
    if (item == nullptr) return;
    const int checked = IsDlgButtonChecked(controlId) ? 1 : 0;
    // A box out of step with the item changes nothing: no empty undo step.
    if (checked == (item->*flag != 0 ? 1 : 0) || !beginChange(item, changeType)) return;
    item->*flag = checked;
    endChange();
}
