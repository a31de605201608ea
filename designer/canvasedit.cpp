#include "designer/designcanvas.h"

#include "lang/resource.h"
#include "menudoc/menudocument.h"
#include "menuview/menupanel.h"

DesignerState CDesignCanvas::state() const
{
    return CaptureDesignerState(m_currentPanel != nullptr ? m_currentPanel->list() : nullptr, m_clipboard, m_history);
}

CMenuItem* CDesignCanvas::currentItem() const
{
    CMenuList* list = m_currentPanel != nullptr ? m_currentPanel->list() : nullptr;
    if (list == nullptr || list->currentIndex < 0 || list->currentIndex >= list->count()) return nullptr;
    return list->items[static_cast<std::size_t>(list->currentIndex)];
}

void CDesignCanvas::copyToClip(const CMenuItem& source, CMenuItem*& slot)
{
    destroyClipItem(slot);
    CMenuItem* copy = new CMenuItem(nullptr);
    copy->copyFrom(source);
    copy->id = m_document->registerItem(copy);
    slot = copy;
}

void CDesignCanvas::destroyClipItem(CMenuItem*& slot)
{
    if (slot == nullptr) return;
    if (slot->submenu != nullptr && m_document != nullptr) m_document->deleteMenu(slot->submenu);
    slot->submenu = nullptr;
    if (m_document != nullptr) m_document->unregisterItem(slot);
    delete slot;
    slot = nullptr;
}

void CDesignCanvas::insertNewItem()
{
    if (m_document == nullptr || !IsEditableSelection(state())) return;
    CMenuPanel* panel = m_currentPanel;
    CMenuList* list = panel->list();
    CMenuItem* anchor = currentItem();
    CMenuItem* placeholder = list->firstPlaceholder();
    if (placeholder == nullptr || anchor == nullptr || placeholder == anchor) return;
    panel->closeChild();
    setSelectionFrame(nullptr, nullptr);
    // Recorded as a move of the placeholder, so undo puts it back; the redo
    // stack stays, as no item has been made yet.
    const MoveResult result = MoveItemRecorded(m_history, placeholder, anchor, true);
    if (!result.moved) return;
    m_owner.updateTitle();
    updateScrollRange();
    panel->relayout();
    // A click, not a bare frame: a shown palette must show the placeholder,
    // or typing there would seem to edit the item selected before.
    panel->selectByClick(placeholder);
}

void CDesignCanvas::deleteSelected()
{
    if (m_document == nullptr || !IsEditableSelection(state())) return;
    CMenuItem* item = currentItem();
    if (item->submenu != nullptr && !item->submenu->allPlaceholders()) {
        const int answer = m_owner.askUser(IDS_ASK_DELETE_SUBMENU, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2,
                                           item->caption);
        // The question's message loop may have changed the selection.
        if (answer != IDOK || !IsEditableSelection(state()) || currentItem() != item) return;
    }
    deleteCurrent();
}

void CDesignCanvas::cutSelected()
{
    if (m_document == nullptr || !IsEditableSelection(state())) return;
    copyToClip(*currentItem(), m_clipboard);
    deleteCurrent();
}

void CDesignCanvas::deleteCurrent()
{
    CMenuItem* item = currentItem();
    if (item == nullptr) return;
    // The item stays registered and alive in its record, for undo.
    m_history.pushUndo(CEditRecord::placement(kEditDelete, item));
    m_owner.updateTitle();
    removeItem(item);
    m_history.clearRedo();
}

void CDesignCanvas::copySelected()
{
    if (m_document == nullptr || !IsEditableSelection(state())) return;
    copyToClip(*currentItem(), m_clipboard);
}

void CDesignCanvas::pasteClip()
{
    if (m_document == nullptr || !IsDesignerCommandEnabled(ID_EDIT_PASTE, state())) return;
    CMenuPanel* panel = m_currentPanel;
    CMenuList* list = panel->list();
    CMenuItem* anchor = currentItem();
    panel->closeChild();
    setSelectionFrame(nullptr, nullptr);
    // A fresh copy each time, with its own ids: the clipboard keeps its
    // item for the next paste.
    CMenuItem* copy = nullptr;
    copyToClip(*m_clipboard, copy);
    list->insert(copy, anchor, true);
    m_history.pushUndo(CEditRecord::placement(kEditInsert, copy));
    m_owner.updateTitle();
    m_history.clearRedo();
    panel->relayout();
    panel->selectByClick(copy);
    updateScrollRange();
}

void CDesignCanvas::removeItem(CMenuItem* item)
{
    CMenuList* list = item != nullptr ? item->parent : nullptr;
    if (list == nullptr) return;
    CMenuPanel* panel = list->panel;
    if (panel != nullptr) panel->closeChild();
    setSelectionFrame(nullptr, nullptr);
    CMenuItem* neighbour = list->next(item);
    if (neighbour == nullptr) neighbour = list->previous(item);
    list->remove(item);
    if (panel != nullptr) {
        panel->relayout();
        if (neighbour != nullptr) panel->selectByClick(neighbour);
    }
    updateScrollRange();
}

void CDesignCanvas::undo()
{
    historyStep(HistoryStep::Undo);
}

void CDesignCanvas::redo()
{
    historyStep(HistoryStep::Redo);
}

void CDesignCanvas::historyStep(HistoryStep step)
{
    // The rules apply the step to the tree and refuse one that would put an
    // item into its own submenu; the screen follows their plan, the same
    // sequence for every kind and direction.
    const UndoPlan plan = m_document != nullptr ? RunHistoryStep(m_history, step) : UndoPlan();
    if (!plan.applied) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    for (CMenuList* list : plan.closeChildOf) {
        if (list != nullptr && list->panel != nullptr) list->panel->closeChild();
    }
    for (CMenuList* list : plan.relayout) {
        // Closing above may have closed this list's panel.
        CMenuPanel* panel = list != nullptr ? list->panel : nullptr;
        if (panel == nullptr) continue;
        const int index = plan.item != nullptr ? list->indexOf(plan.item) : -1;
        switch (plan.screenWork) {
        case ScreenWork::Relayout: panel->relayout(); break;
        case ScreenWork::AroundItem:
            if (index >= 0) {
                panel->relayoutAround(index);
            } else {
                panel->relayout();
            }
            break;
        case ScreenWork::RepaintItem: panel->invalidateItem(plan.item); break;
        case ScreenWork::Submenu:
            if (index >= 0) panel->afterSubmenuFlagChange(index);
            break;
        case ScreenWork::None: break;
        }
    }
    if (plan.updateScrollRange) updateScrollRange();
    if (plan.show != nullptr) showItem(plan.show);
    if (plan.refreshPalette && plan.item != nullptr && plan.item->parent != nullptr &&
        plan.item->parent->panel != nullptr)
        m_owner.itemSelected(plan.item->parent->panel, false);
    m_owner.updateTitle();
}
