#include "designer/designcanvas.h"

#include <algorithm>

#include "designer/keynavigation.h"
#include "menudoc/menulist.h"
#include "menuview/menupanel.h"

namespace {

// How far the insertion mark's drawing reaches beyond its line.
const int kMarkReachX = 9;
const int kMarkReachY = 7;

RECT MarkArea(const RECT& mark)
{
    RECT area = mark;
    InflateRect(&area, kMarkReachX, kMarkReachY);
    return area;
}

}  // namespace

void CDesignCanvas::panelMouse(UINT message, WPARAM keys, POINT point)
{
    switch (message) {
    case WM_LBUTTONDOWN: onButtonDown(point); break;
    case WM_MOUSEMOVE: onMouseMove(point); break;
    case WM_LBUTTONUP: onButtonUp(point); break;
    // A wheel's key flags carry its delta in the high word, unflagged.
    case WM_MOUSEWHEEL: onWheel(GET_KEYSTATE_WPARAM(keys), GET_WHEEL_DELTA_WPARAM(keys)); break;
    default: break;
    }
}

CMenuItem* CDesignCanvas::itemAt(POINT point, CMenuPanel*& panel, int& index, POINT& local) const
{
    index = -1;
    panel = panelAt(point);
    if (panel == nullptr || panel->m_hWnd == nullptr) return nullptr;
    local = point;
    MapWindowPoints(m_hWnd, panel->m_hWnd, &local, 1);
    CMenuList* list = panel->list();
    index = panel->hitTest(local);
    if (list == nullptr || index < 0 || index >= list->count()) return nullptr;
    return list->items[static_cast<std::size_t>(index)];
}

void CDesignCanvas::onButtonDown(POINT point)
{
    m_lastHit = hitCodeAt(point);
    applyCursor();
    if (m_drag.phase() != DragPhase::Idle || m_currentPanel == nullptr || m_selectedIndex < 0) return;
    CMenuList* source = m_currentPanel->list();
    if (source == nullptr || m_selectedIndex >= source->count()) return;
    CMenuItem* item = source->items[static_cast<std::size_t>(m_selectedIndex)];
    if (m_drag.press(point.x, point.y, m_lastHit, source, item)) SetCapture(m_hWnd);
}

void CDesignCanvas::onMouseMove(POINT point)
{
    if (m_drag.phase() == DragPhase::Idle) return;
    m_lastHit = hitCodeAt(point);
    applyCursor();
    if (m_lastHit == kHitCanvas) return;

    if (m_drag.phase() == DragPhase::Pressed) {
        CMenuList* source = m_drag.sourceList();
        if (!m_drag.move(point.x, point.y, source->panel != nullptr)) return;
        // The dragged item's own submenu panel goes, and the frame with it.
        source->panel->closeChild();
        setSelectionFrame(nullptr, nullptr);
        m_lastHit = hitCodeAt(point);
        applyCursor();
    }

    CMenuPanel* hoverPanel = nullptr;
    int index = -1;
    POINT local = {0, 0};
    CMenuItem* hoverItem = itemAt(point, hoverPanel, index, local);
    if (hoverItem == nullptr) return;
    const CMenuPanel* child = hoverPanel->childPanel();
    const HoverAction action = HoverItem(hoverItem, m_drag.item(), child != nullptr ? child->list() : nullptr);
    bool opened = false;
    if (action.openSubmenu) {
        hoverPanel->openChild(static_cast<WPARAM>(index), true);
        opened = true;
    } else if (action.closeChild) {
        hoverPanel->closeChild();
    }
    const bool before = DropsBefore(hoverItem->bounds, local.y);
    const MenuRect line = InsertionMark(hoverItem->bounds, hoverPanel->position(), m_offsetX, m_offsetY, before);
    const RECT mark = {line.left, line.top, line.right, line.bottom};
    // A submenu opened under the pointer may have painted over the mark.
    if (!opened && m_hasMark && EqualRect(&mark, &m_insertMark)) return;
    setInsertMark(&mark);
}

void CDesignCanvas::onButtonUp(POINT point)
{
    if (m_drag.phase() == DragPhase::Idle) return;
    if (m_drag.dragging()) setInsertMark(nullptr);
    m_lastHit = hitCodeAt(point);

    CMenuPanel* dropPanel = nullptr;
    int index = -1;
    POINT local = {0, 0};
    CMenuItem* anchor = m_lastHit == kHitPanel ? itemAt(point, dropPanel, index, local) : nullptr;
    const bool before = anchor != nullptr && DropsBefore(anchor->bounds, local.y);
    // The tracker is idle before the capture goes, so that losing it here
    // is not taken for an abandoned drag.
    const DropDecision drop = m_drag.release(anchor, before, m_lastHit);
    if (GetCapture() == m_hWnd) ReleaseCapture();

    if (drop.move) {
        // The move rule is asked again: nothing here puts an item into its
        // own submenu.
        const MoveResult result = MoveItemRecorded(m_history, drop.item, drop.anchor, drop.before);
        if (result.moved) {
            m_owner.updateTitle();
            moveItem(result, dropPanel);
            m_history.clearRedo();
        }
        if (drop.item->parent != nullptr && drop.item->parent->panel != nullptr)
            drop.item->parent->panel->selectByClick(drop.item);
    } else if (drop.reselect && drop.item != nullptr && drop.sourceList != nullptr &&
               drop.item->parent == drop.sourceList && drop.sourceList->panel != nullptr) {
        // A click that never became a drag left the item selected and its
        // submenu open; selecting it again would only make that panel anew.
        const bool stillSelected = m_currentPanel == drop.sourceList->panel && m_hasFrame &&
                                   m_selectedIndex == drop.sourceList->indexOf(drop.item);
        if (!stillSelected) drop.sourceList->panel->selectByClick(drop.item);
    }
    applyCursor();
}

void CDesignCanvas::abandonDrag()
{
    if (m_drag.phase() == DragPhase::Idle) return;
    setInsertMark(nullptr);
    const DropDecision drop = m_drag.release(nullptr, false, kHitCanvas);
    if (drop.item != nullptr && drop.sourceList != nullptr && drop.item->parent == drop.sourceList &&
        drop.sourceList->panel != nullptr)
        drop.sourceList->panel->selectByClick(drop.item);
}

void CDesignCanvas::setInsertMark(const RECT* mark)
{
    if (m_hWnd == nullptr) return;
    if (m_hasMark) {
        const RECT old = MarkArea(m_insertMark);
        InvalidateRect(m_hWnd, &old, TRUE);
        m_hasMark = false;
        SetRectEmpty(&m_insertMark);
        UpdateWindow(m_hWnd);
    }
    if (mark == nullptr) return;
    m_insertMark = *mark;
    m_hasMark = true;
    const RECT area = MarkArea(m_insertMark);
    InvalidateRect(m_hWnd, &area, FALSE);
    validatePanels(area);
    UpdateWindow(m_hWnd);
}

void CDesignCanvas::moveItem(const MoveResult& result, CMenuPanel* hoverPanel)
{
    if (!result.moved) return;
    if (result.source != nullptr && result.source->panel != nullptr) result.source->panel->relayout();
    if (result.target != result.source && result.target != nullptr && result.target->panel != nullptr)
        result.target->panel->relayout();
    if (result.nested != nullptr && result.nested->panel != nullptr) {
        CMenuPanel* outer = result.nested->panel;
        if (outer->childPanel() != nullptr) outer->reattachChildren(ReattachMode::Both);
    } else if (hoverPanel != nullptr &&
               std::find(m_panels.begin(), m_panels.end(), hoverPanel) != m_panels.end()) {
        hoverPanel->closeChild();
    }
}

bool CDesignCanvas::PreTranslateMessage(MSG* msg)
{
    if (msg == nullptr || msg->message != WM_KEYDOWN || m_hWnd == nullptr) return false;
    if (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd)) return false;
    return onKey(static_cast<int>(msg->wParam));
}

bool CDesignCanvas::onKey(int virtualKey)
{
    if (m_drag.phase() != DragPhase::Idle || m_currentPanel == nullptr) return false;
    const NavKey key = NavKeyFromVirtualKey(virtualKey);
    if (key == NavKey::Other) return false;

    CMenuPanel* current = m_currentPanel;
    CMenuList* list = current->list();
    if (list == nullptr) return false;
    KeyContext context;
    context.hasCurrentPanel = true;
    context.selectedIndex = list->currentIndex;
    context.count = list->count();
    CMenuPanel* parent = current->parentPanel();
    if (parent != nullptr && parent->list() != nullptr) {
        context.hasParentPanel = true;
        context.openerIndex = parent->list()->indexOf(current->openerItem());
    }
    CMenuPanel* child = current->childPanel();
    if (child != nullptr && child->list() != nullptr) {
        context.hasChildPanel = true;
        context.childCurrentIndex = child->list()->currentIndex;
    }
    CMenuPanel* last = lastPanel();
    if (last != nullptr && last->list() != nullptr) context.lastPanelCurrentIndex = last->list()->currentIndex;

    const NavAction action = NavigateKey(key, GetKeyState(VK_CONTROL) < 0, context);
    switch (action.kind) {
    case NavAction::OpenProperties:
        PostMessageA(m_hWnd, DM_ITEMSELECTED, 1, reinterpret_cast<LPARAM>(current));
        break;
    case NavAction::Select: {
        CMenuPanel* target = current;
        switch (action.panel) {
        case NavPanel::Root: target = m_rootPanel.get(); break;
        case NavPanel::Last: target = last; break;
        case NavPanel::Parent: target = parent; break;
        case NavPanel::Child: target = child; break;
        case NavPanel::Current: break;
        }
        CMenuList* targetList = target != nullptr ? target->list() : nullptr;
        if (targetList != nullptr && action.index >= 0 && action.index < targetList->count())
            target->selectByClick(targetList->items[static_cast<std::size_t>(action.index)]);
        break;
    }
    case NavAction::Move: {
        if (action.index < 0 || action.index >= list->count() || action.anchorIndex < 0 ||
            action.anchorIndex >= list->count())
            break;
        CMenuItem* item = list->items[static_cast<std::size_t>(action.index)];
        CMenuItem* anchor = list->items[static_cast<std::size_t>(action.anchorIndex)];
        const MoveResult result = MoveItemRecorded(m_history, item, anchor, action.before);
        if (!result.moved) break;
        m_owner.updateTitle();
        moveItem(result, current);
        m_history.clearRedo();
        if (item->parent != nullptr && item->parent->panel != nullptr) item->parent->panel->selectByClick(item);
        break;
    }
    case NavAction::None: break;
    }
    return action.consumed;
}
