#include "menuview/panellayout.h"

#include <algorithm>

MenuRect LayoutPanel(CMenuList& list, const MenuMetrics& metrics, const MeasureText& measure)
{
    long widest = 0;
    long height = 0;
    for (const CMenuItem* item : list.items) {
        if (item->separator != 0) {
            height += metrics.separatorHeight;
        } else {
            height += metrics.itemHeight;
            // The root's width is fixed, so its captions need no measuring.
            if (list.isRoot == 0) widest = std::max(widest, measure(item->caption));
        }
    }
    const long contentWidth = list.isRoot != 0 ? kRootPanelContentWidth : widest + 3L * metrics.checkWidth;
    long top = kMenuFrame;
    for (CMenuItem* item : list.items) {
        const long itemHeight = item->separator != 0 ? metrics.separatorHeight : metrics.itemHeight;
        item->bounds.left = kMenuFrame;
        item->bounds.top = top;
        item->bounds.right = contentWidth + kMenuFrame;
        item->bounds.bottom = top + itemHeight;
        top += itemHeight;
    }
    MenuRect panel;
    panel.left = 0;
    panel.top = 0;
    panel.right = contentWidth + 2 * kMenuFrame;
    panel.bottom = height + 2 * kMenuFrame;
    return panel;
}

MenuRect MovedRect(const MenuRect& rect, long dx, long dy)
{
    MenuRect moved = rect;
    moved.left += dx;
    moved.right += dx;
    moved.top += dy;
    moved.bottom += dy;
    return moved;
}

MenuRect GrownRect(const MenuRect& rect, long dx, long dy)
{
    MenuRect grown = rect;
    grown.left -= dx;
    grown.right += dx;
    grown.top -= dy;
    grown.bottom += dy;
    return grown;
}

bool RectsEqual(const MenuRect& a, const MenuRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool RectContains(const MenuRect& rect, long x, long y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

MenuRect ItemCanvasRect(const MenuRect& itemBounds, const MenuRect& panelPosition)
{
    return MovedRect(itemBounds, panelPosition.left, panelPosition.top);
}

MenuRect SelectionTarget(const MenuRect& itemBounds, const MenuRect& panelPosition, long offsetX, long offsetY)
{
    return GrownRect(MovedRect(ItemCanvasRect(itemBounds, panelPosition), offsetX, offsetY), 3, 2);
}

MenuRect SelectionFrame(const MenuRect& selectionTarget)
{
    return GrownRect(selectionTarget, 3, 3);
}

void ChildPanelOrigin(const MenuRect& openerBounds, const MenuRect& parentPosition, long& left, long& top)
{
    const MenuRect opener = ItemCanvasRect(openerBounds, parentPosition);
    left = opener.right;
    top = opener.top;
}

void ReattachChain(std::vector<ChainPanel>& chain, ReattachMode mode)
{
    for (std::size_t i = 1; i < chain.size(); ++i) {
        const MenuRect opener = ItemCanvasRect(chain[i].openerBounds, chain[i - 1].position);
        MenuRect& position = chain[i].position;
        const long dx = mode != ReattachMode::Top ? opener.right - position.left : 0;
        const long dy = mode != ReattachMode::Left ? opener.top - position.top : 0;
        position = MovedRect(position, dx, dy);
    }
}
