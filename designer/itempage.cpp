#include "designer/itempage.h"

#include "menudoc/edithistory.h"
#include "menudoc/menulist.h"
#include "menuview/menupanel.h"

#include <vector>

namespace {

// The text of the combo box's selected entry; false when none is selected.
bool SelectedEntryText(HWND combo, std::string& text)
{
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return false;
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return false;
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    if (SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data())) ==
        CB_ERR)
        return false;
    text = buffer.data();
    return true;
}

}  // namespace

CMenuList* CItemPage::currentList() const
{
    CMenuPanel* panel = currentPanel();
    return panel != nullptr ? panel->list() : nullptr;
}

CMenuItem* CItemPage::currentItem() const
{
    CMenuList* list = currentList();
    return list != nullptr ? list->selectedItem() : nullptr;
}

void CItemPage::showText(int id, const std::string& text)
{
    const bool wasLoading = m_loading;
    m_loading = true;
    SetDlgItemText(id, text);
    m_loading = wasLoading;
}

void CItemPage::reloadTextFields(const CMenuItem* item)
{
    for (std::size_t i = 0; i < kPageTextFieldCount; ++i) {
        const PageTextField& field = kPageTextFields[i];
        // The selection entry of the caption combo shares its control with
        // the edit entry.
        if (field.page != m_kind || field.selectedEntry) continue;
        showText(field.controlId, item != nullptr ? item->*field.field : std::string());
    }
}

bool CItemPage::onTextNotification(UINT id, UINT code)
{
    const PageTextField* field = FindPageTextField(m_kind, static_cast<int>(id), static_cast<int>(code));
    if (field == nullptr) return false;
    if (m_loading || m_editor == nullptr) return true;
    CMenuItem* item = currentItem();
    if (item == nullptr) return true;

    std::string text;
    if (field->selectedEntry) {
        if (!SelectedEntryText(GetDlgItem(field->controlId), text)) return true;
    } else {
        text = GetDlgItemText(field->controlId);
    }
    const TextEditResult result = ApplyTextEdit(m_editor->history(), item, field->changeType, text);
    if (result == TextEditResult::Nothing) return true;
    CMenuPanel* panel = currentPanel();
    if (panel != nullptr) {
        if (result == TextEditResult::PlaceholderBecameItem) panel->relayout();
        if (field->relayoutAround && item->parent != nullptr) panel->relayoutAround(item->parent->indexOf(item));
    }
    endChange();
    return true;
}

bool CItemPage::beginChange(CMenuItem* item, int changeType)
{
    if (m_editor == nullptr || item == nullptr) return false;
    if (m_editor->history().recordChange(item, changeType)) {
        CMenuPanel* panel = currentPanel();
        if (panel != nullptr) panel->relayout();
    }
    return true;
}

void CItemPage::endChange()
{
    if (m_editor != nullptr) m_editor->changeRecorded();
}

void CItemPage::enableControls(std::initializer_list<int> ids, bool enabled)
{
    for (int id : ids) {
        HWND control = GetDlgItem(id);
        if (control != nullptr) EnableWindow(control, enabled ? TRUE : FALSE);
    }
}

bool CItemPage::FocusedControl(int& id, int& parentId) const
{
    HWND focus = GetFocus();
    if (m_hWnd == nullptr || focus == nullptr || !IsChild(m_hWnd, focus)) return false;
    id = GetDlgCtrlID(focus);
    HWND parent = GetParent(focus);
    parentId = parent != nullptr && parent != m_hWnd ? GetDlgCtrlID(parent) : 0;
    return true;
}

void CItemPage::applyEdit()
{
    int id = 0;
    int parentId = 0;
    if (m_editor == nullptr || !FocusedControl(id, parentId)) return;
    ApplyEditFocus(m_editor->history(), currentItem(), m_kind, id, parentId);
}

void CItemPage::cancelEdit()
{
    int id = 0;
    int parentId = 0;
    if (m_editor == nullptr || !FocusedControl(id, parentId)) return;
    if (!CancelEditFocus(m_editor->history(), currentItem(), m_kind, id, parentId)) return;
    m_editor->undo();
    // The fields show the text from before the run again, whatever item the
    // undo left selected.
    if (currentPanel() != nullptr) {
        reload();
        updateEnabling();
    }
}
