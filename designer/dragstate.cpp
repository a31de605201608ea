#include "designer/dragstate.h"

#include <cstdlib>

#include "designer/itemmove.h"
#include "menudoc/menulist.h"

int CanvasHitCode(int defaultHit, bool insideSelectionFrame, bool overPanel)
{
    if (defaultHit == kHitNowhere) return kHitCanvas;
    if (defaultHit != kHitCanvas) return defaultHit;
    if (insideSelectionFrame) return kHitSelection;
    return overPanel ? kHitPanel : kHitCanvas;
}

CanvasCursor CursorFor(int lastHit, bool dragging)
{
    if (lastHit == kHitSelection) return CanvasCursor::SizeAll;
    if (!dragging) return CanvasCursor::Arrow;
    return lastHit == kHitPanel ? CanvasCursor::Drag : CanvasCursor::No;
}

bool PanelTakesPointer(const CMenuList* panelList, DragPhase phase, const CMenuItem* dragItem,
                       const CMenuList* sourceList)
{
    if (panelList == nullptr) return false;
    if (dragItem != nullptr && dragItem->isPlaceholder != 0 && panelList != sourceList) return false;
    if (phase == DragPhase::Dragging && panelList->isRoot != 0) return false;
    return !IsInOwnSubtree(dragItem, panelList);
}

bool DropsBefore(const MenuRect& itemBounds, long y)
{
    return !(itemBounds.bottom - y < y - itemBounds.top);
}

MenuRect InsertionMark(const MenuRect& itemBounds, const MenuRect& panelPosition, long offsetX, long offsetY,
                       bool before)
{
    const long y = (before ? itemBounds.top : itemBounds.bottom) + panelPosition.top + offsetY;
    const long left = itemBounds.left + panelPosition.left + offsetX;
    return MenuRect{left, y, left + (itemBounds.right - itemBounds.left), y};
}

HoverAction HoverItem(const CMenuItem* hoverItem, const CMenuItem* dragItem, const CMenuList* openChildList)
{
    HoverAction action;
    if (hoverItem == nullptr) return action;
    if (hoverItem != dragItem && openChildList == nullptr && hoverItem->submenu != nullptr) {
        action.openSubmenu = dragItem == nullptr || dragItem->isPlaceholder == 0;
    } else if (openChildList != nullptr && openChildList != hoverItem->submenu) {
        action.closeChild = true;
    }
    return action;
}

bool CDragTracker::press(long x, long y, int hit, CMenuList* source, CMenuItem* item)
{
    if (m_phase != DragPhase::Idle || hit != kHitSelection || source == nullptr || item == nullptr) return false;
    m_phase = DragPhase::Pressed;
    m_pressX = x;
    m_pressY = y;
    m_source = source;
    m_item = item;
    return true;
}

bool CDragTracker::move(long x, long y, bool sourceHasPanel)
{
    if (m_phase != DragPhase::Pressed) return false;
    if (std::labs(x - m_pressX) < kDragThreshold && std::labs(y - m_pressY) < kDragThreshold) return false;
    if (!sourceHasPanel) return false;
    m_phase = DragPhase::Dragging;
    return true;
}

DropDecision CDragTracker::release(CMenuItem* anchor, bool before, int hit)
{
    DropDecision decision;
    if (m_phase == DragPhase::Idle) return decision;
    decision.item = m_item;
    decision.sourceList = m_source;
    // A press that never became a drag moves nothing, wherever the
    // pointer wobbled to.
    if (m_phase == DragPhase::Dragging && hit == kHitPanel && CanMoveNextTo(m_item, anchor) &&
        (m_item->isPlaceholder == 0 || anchor->parent == m_source) && anchor->parent->isRoot == 0) {
        decision.move = true;
        decision.anchor = anchor;
        decision.before = before;
    } else {
        decision.reselect = true;
    }
    reset();
    return decision;
}

void CDragTracker::reset()
{
    m_phase = DragPhase::Idle;
    m_item = nullptr;
    m_source = nullptr;
}
