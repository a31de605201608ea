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

MenuRect PlaceRoot(const MenuRect& anchor, long clickY, long windowHeight, long screenHeight)
{
    bool upwards = anchor.bottom - clickY >= clickY - anchor.top;
    if (!upwards && anchor.bottom + windowHeight > screenHeight) upwards = true;
    if (upwards && anchor.top - windowHeight < 0) upwards = false;

    MenuRect placed;
    placed.left = anchor.left;
    placed.right = std::max<long>(anchor.right, anchor.left + kRootMinWidth);
    placed.top = upwards ? anchor.top - windowHeight : anchor.bottom;
    placed.bottom = placed.top + windowHeight;
    return placed;
}

void StretchRootItems(CMenuList& list, long windowWidth)
{
    for (CMenuItem* item : list.items) item->bounds.right = item->bounds.left + windowWidth - 2 * kMenuFrame;
}

bool PlaceSubmenu(const MenuRect& anchor, long width, long height, const MenuRect& desktop, long& left, long& top)
{
    const long right = anchor.right;
    const long leftSide = anchor.left - width;
    const long topAligned = anchor.top;
    const long bottomAligned = anchor.bottom - height;
    const bool rightFits = right + width < desktop.right;
    const bool leftFits = desktop.left < leftSide;
    const bool topFits = topAligned + height < desktop.bottom;
    const bool bottomFits = desktop.top < bottomAligned;

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
