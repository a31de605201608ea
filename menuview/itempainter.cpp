#include "menuview/itempainter.h"

#include "framework/ansitext.h"
#include "framework/gdiscope.h"
#include "menudoc/menulist.h"

bool OpensSubmenu(const CMenuItem& item)
{
    return item.hasSubmenu != 0 && item.submenu != nullptr && item.submenu->count() > 0;
}

bool ShowsSubmenuArrow(const CMenuItem& item, ArrowRule rule)
{
    return rule == ArrowRule::SubmenuFlag ? item.hasSubmenu != 0 : OpensSubmenu(item);
}

void PaintMenuItem(HDC dc, const CMenuItem& item, const MenuMetrics& metrics, const ItemPaintStyle& style)
{
    RECT bounds = item.bounds;
    const COLORREF text = GetSysColor(style.selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    FillRect(dc, &bounds, GetSysColorBrush(style.selected ? COLOR_HIGHLIGHT : COLOR_MENU));

    if (item.separator != 0) {
        RECT line = bounds;
        line.left += 1;
        line.right -= 1;
        line.bottom = line.top + (bounds.bottom - bounds.top) / 2 + 1;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_BOTTOM);
        return;
    }

    const HICON icon = style.inRootList ? style.rootIcon : item.icon;
    if (icon != nullptr)
        DrawIconEx(dc, bounds.left + 1, bounds.top, icon, metrics.iconWidth, metrics.iconHeight, 0, nullptr, DI_NORMAL);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    if (item.isPlaceholder != 0) {
        RECT focus = bounds;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(dc, &focus);
    } else {
        RECT caption = bounds;
        caption.left = bounds.left + metrics.itemHeight + 3;
        caption.bottom = bounds.bottom - 3;
        DrawAnsiText(dc, item.caption, caption, DT_SINGLELINE | DT_BOTTOM);
    }

    if (ShowsSubmenuArrow(item, style.arrow)) {
        const int side = metrics.checkWidth;
        const int inset = side * 3 / 10;
        const int left = bounds.right - side + inset;
        const int top = bounds.top + (bounds.bottom - bounds.top - side) / 2 + inset;
        const int width = side - 2 * inset;
        const int height = side - 2 * inset;
        const POINT arrow[3] = {{left, top}, {left + width / 2, top + height / 2}, {left, top + height / 2 + height / 2}};
        ScopedPen pen(CreatePen(PS_SOLID, 1, text));
        ScopedBrush brush(CreateSolidBrush(text));
        if (!pen || !brush) return;
        ScopedSelect usePen(dc, pen);
        ScopedSelect useBrush(dc, brush);
        Polygon(dc, arrow, 3);
    }
}
