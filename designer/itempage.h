// What the three item property pages share: the item they work on, looked
// up afresh every time (the selected item of the palette's current panel),
// and their text fields, which are read, stored, closed and cancelled by
// one table (kPageTextFields) instead of one handler per field.
#pragma once

#include "designer/pageeditor.h"
#include "designer/pagerules.h"
#include "designer/palettepage.h"

#include <windows.h>

#include <initializer_list>
#include <string>

class CMenuItem;
class CMenuList;

class CItemPage : public CPalettePage {
public:
    CItemPage(UINT templateId, ItemPage kind) : CPalettePage(templateId), m_kind(kind) {}

    // The editing side the page's changes go to; without one the page
    // shows the item but changes nothing.
    void setEditor(IPageEditor* editor) { m_editor = editor; }
    IPageEditor* editor() const { return m_editor; }

    // Enter, or the palette losing activation: the open run of typing into
    // the focused text field ends, so that further typing makes a new step.
    void applyEdit() override;
    // Escape: a run of typing into the focused text field is taken back in
    // one step.
    void cancelEdit() override;

protected:
    CMenuList* currentList() const;
    // The selected item of the current panel's list, or null.
    CMenuItem* currentItem() const;

    // Shows `item`'s text fields of this page (empty ones without an item).
    void reloadTextFields(const CMenuItem* item);
    // Sets a control's text without treating it as typing.
    void showText(int id, const std::string& text);
    // The text rule for the notification `code` of control `id`; false when
    // it concerns no text field of the page.
    bool onTextNotification(UINT id, UINT code);

    // Records a change of `item` before it is made; a placeholder that
    // becomes a real item lays its panel out again. False when there is no
    // editor to record it.
    bool beginChange(CMenuItem* item, int changeType);
    // After the change is made: the title and command states follow.
    void endChange();

    void enableControls(std::initializer_list<int> ids, bool enabled);
    // A control's text changes without the page reacting to it.
    bool loading() const { return m_loading; }

private:
    // The focused control of the page and the id of its parent when that is
    // not the page (the edit inside the caption combo); false when the focus
    // is outside the page.
    bool FocusedControl(int& id, int& parentId) const;

    ItemPage m_kind;
    IPageEditor* m_editor = nullptr;
    bool m_loading = false;
};
