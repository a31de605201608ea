#include "menuview/menulayout.h"

#include <algorithm>

MenuRect LayoutMenu(CMenuList& list, const MenuMetrics& metrics, const MeasureText& measure)
{
    long widest = 0;
    long height = 0;
    for (const CMenuItem* item : list.items) {
        if (item->separator != 0) {
            height += metrics.separatorHeight;
        } else {
            height += metrics.itemHeight;
            widest = std::max(widest, measure(item->caption));
        }
    }
    const long itemWidth = widest + 3L * metrics.checkWidth;
    long top = 0;
    for (CMenuItem* item : list.items) {
        const long itemHeight = item->separator != 0 ? metrics.separatorHeight : metrics.itemHeight;
        item->bounds.left = 0;
        item->bounds.top = top;
        item->bounds.right = itemWidth;
        item->bounds.bottom = top + itemHeight;
        top += itemHeight;
    }
    MenuRect window;
    window.left = 0;
    window.top = 0;
    window.right = itemWidth + 2 * kMenuFrame;
    window.bottom = height + 2 * kMenuFrame;
    return window;
}

MenuRect PlaceRoot(const MenuRect& anchor, long clickY, long windowHeight, const MenuRect& workArea)
{
    bool upwards = anchor.bottom - clickY >= clickY - anchor.top;
    if (!upwards && anchor.bottom + windowHeight > workArea.bottom) upwards = true;
    if (upwards && anchor.top - windowHeight < workArea.top) upwards = false;

    MenuRect placed;
    const long width = std::max<long>(anchor.right - anchor.left, kRootMinWidth);
    // A pop-up at the right edge of its monitor keeps the widened root on
    // the same monitor.
    placed.left = std::min(anchor.left, std::max(workArea.right - width, workArea.left));
    placed.right = placed.left + width;
    placed.top = upwards ? anchor.top - windowHeight : anchor.bottom;
    placed.bottom = placed.top + windowHeight;
    return placed;
}

void StretchRootItems(CMenuList& list, long windowWidth)
{
    for (CMenuItem* item : list.items) item->bounds.right = item->bounds.left + windowWidth - 2 * kMenuFrame;
}

bool PlaceSubmenu(const MenuRect& anchor, long width, long height, const MenuRect& workArea, long& left, long& top)
{
    const long right = anchor.right;
    const long leftSide = anchor.left - width;
    const long topAligned = anchor.top;
    const long bottomAligned = anchor.bottom - height;
    const bool rightFits = right + width < workArea.right;
    const bool leftFits = workArea.left < leftSide;
    const bool topFits = topAligned + height < workArea.bottom;
    const bool bottomFits = workArea.top < bottomAligned;

    const struct {
        bool fits;
        long left;
        long top;
    } tries[] = {
        {rightFits && topFits, right, topAligned},
        {rightFits && bottomFits, right, bottomAligned},
        {leftFits && topFits, leftSide, topAligned},
        {leftFits && bottomFits, leftSide, bottomAligned},
    };
    for (const auto& position : tries) {
        if (position.fits) {
            left = position.left;
            top = position.top;
            return true;
        }
    }
    // Nowhere fits: the side with more room, pushed into the work area as
    // far as it must go, so that the submenu stays by its item and every
    // item of it within reach (its top first when it is taller than the
    // work area).
    const bool rightSide = workArea.right - anchor.right >= anchor.left - workArea.left;
    left = rightSide ? std::min(right, workArea.right - width) : std::max(leftSide, workArea.left);
    left = std::max(std::min(left, workArea.right - width), workArea.left);
    top = std::max(std::min(topAligned, workArea.bottom - height), workArea.top);
    return false;
}

int HitTestItems(const CMenuList& list, long x, long y)
{
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        const ItemBounds& b = list.items[i]->bounds;
        if (x >= b.left && x < b.right && y >= b.top && y < b.bottom) return static_cast<int>(i);
    }
    return -1;
}
