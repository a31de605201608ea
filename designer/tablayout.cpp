#include "designer/tablayout.h"

#include <cstddef>

TabStripLayout LayoutTabs(const std::vector<long>& captionWidths, long stripLeft, long stripTop, long clientWidth,
                          const TabScroll& scroll, bool buttonsShown)
{
    TabStripLayout layout;
    long total = 0;
    for (long width : captionWidths) total += width + kTabExtraWidth;
    layout.buttonsShown = buttonsShown || stripLeft + total > clientWidth - kTabStripMargin;

    layout.strip.left = stripLeft;
    layout.strip.top = stripTop;
    layout.strip.right = layout.buttonsShown ? clientWidth - kTabScrollLeftOffset - kTabStripMargin
                                             : clientWidth - kTabStripMargin;
    layout.strip.bottom = stripTop + kTabTopGap + kTabHeight;

    long x = stripLeft + scroll.offset;
    for (long width : captionWidths) {
        TabBox tab;
        tab.left = x;
        tab.top = stripTop + kTabTopGap;
        tab.right = x + width + kTabExtraWidth;
        tab.bottom = tab.top + kTabHeight;
        layout.tabs.push_back(tab);
        x = tab.right;
    }

    if (layout.tabs.size() >= 2) {
        layout.scrollLeftEnabled = !TabWhollyInside(layout.tabs.front(), layout.strip);
        layout.scrollRightEnabled = !TabWhollyInside(layout.tabs.back(), layout.strip);
    }
    return layout;
}

bool TabWhollyInside(const TabBox& tab, const TabBox& strip)
{
    return tab.left >= strip.left && tab.right <= strip.right;
}

int TabAt(const TabStripLayout& layout, long x, long y)
{
    for (std::size_t i = 0; i < layout.tabs.size(); ++i) {
        const TabBox& tab = layout.tabs[i];
        if (!TabWhollyInside(tab, layout.strip)) continue;
        if (x >= tab.left && x < tab.right && y >= tab.top && y < tab.bottom) return static_cast<int>(i);
    }
    return -1;
}

TabScroll ScrollTabsRight(const TabScroll& scroll, const TabStripLayout& layout)
{
    const int count = static_cast<int>(layout.tabs.size());
    if (scroll.firstVisible < 0 || scroll.firstVisible + 1 >= count) return scroll;
    const TabBox& tab = layout.tabs[static_cast<std::size_t>(scroll.firstVisible)];
    TabScroll next;
    next.offset = scroll.offset - (tab.right - tab.left);
    next.firstVisible = scroll.firstVisible + 1;
    return next;
}

TabScroll ScrollTabsLeft(const TabScroll& scroll, const TabStripLayout& layout)
{
    const int count = static_cast<int>(layout.tabs.size());
    if (scroll.firstVisible <= 0 || scroll.firstVisible > count) return scroll;
    TabScroll next;
    next.firstVisible = scroll.firstVisible - 1;
    const TabBox& tab = layout.tabs[static_cast<std::size_t>(next.firstVisible)];
    next.offset = scroll.offset + (tab.right - tab.left);
    return next;
}

int StepTab(int current, int count, bool forward)
{
    if (count <= 0) return -1;
    if (current < 0 || current >= count) return forward ? 0 : count - 1;
    return forward ? (current + 1) % count : (current + count - 1) % count;
}

TabBox CurrentTabFace(const TabStripLayout& layout, int current)
{
    const std::size_t count = layout.tabs.size();
    if (current < 0 || static_cast<std::size_t>(current) >= count) return TabBox();
    const std::size_t at = static_cast<std::size_t>(current);
    TabBox face = layout.tabs[at];
    const bool leftmostShown = at == 0 || !TabWhollyInside(layout.tabs[at - 1], layout.strip);
    if (!leftmostShown) face.left -= 3;
    if (at + 1 < count && TabWhollyInside(layout.tabs[at + 1], layout.strip)) face.right += 3;
    face.top -= 2;
    face.bottom += 3;
    return face;
}
