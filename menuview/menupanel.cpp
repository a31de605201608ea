#include "menuview/menupanel.h"

#include "framework/gdiscope.h"
#include "menudoc/menulist.h"
#include "menuview/itempainter.h"
#include "menuview/panelcanvas.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

// WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE
const DWORD kPanelExStyle = 0x188;

// Caption widths a chain of panels keeps at most: far more than a designer
// has open, far less memory than matters.
const std::size_t kCaptionWidthLimit = 8192;

POINT PointOf(LPARAM value)
{
    return POINT{GET_X_LPARAM(value), GET_Y_LPARAM(value)};
}

LPARAM ValueOf(POINT point)
{
    return MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y));
}

// One pixel of `topLeft` along the top and left edges of `rect`, one of
// `bottomRight` along the right and bottom edges.
void Draw3dRect(HDC dc, const RECT& rect, int topLeft, int bottomRight)
{
    const HBRUSH light = GetSysColorBrush(topLeft);
    const HBRUSH dark = GetSysColorBrush(bottomRight);
    const RECT top = {rect.left, rect.top, rect.right - 1, rect.top + 1};
    const RECT left = {rect.left, rect.top, rect.left + 1, rect.bottom - 1};
    const RECT right = {rect.right - 1, rect.top, rect.right, rect.bottom};
    const RECT bottom = {rect.left, rect.bottom - 1, rect.right, rect.bottom};
    FillRect(dc, &top, light);
    FillRect(dc, &left, light);
    FillRect(dc, &right, dark);
    FillRect(dc, &bottom, dark);
}

}  // namespace

CMenuPanel::~CMenuPanel()
{
    if (m_list != nullptr || m_hWnd != nullptr) CMenuPanel::close();
}

MenuRect CMenuPanel::Layout()
{
    return LayoutPanel(*m_list, m_canvas->metrics(), [this](const std::string& text) { return CaptionWidth(text); });
}

long CMenuPanel::CaptionWidth(const std::string& text)
{
    CMenuPanel* first = this;
    while (first->m_parentPanel != nullptr) first = first->m_parentPanel;
    std::unordered_map<std::string, long>& widths = first->m_captionWidths;
    const auto found = widths.find(text);
    if (found != widths.end()) return found->second;
    // Every keystroke into a caption leaves a text behind; past the bound
    // they all go, and the captions still in use are measured again.
    if (widths.size() >= kCaptionWidthLimit) widths.clear();
    const long width = m_canvas->measureText(text);
    widths.emplace(text, width);
    return width;
}

bool CMenuPanel::create(IPanelCanvas* canvas, CMenuList* list, CMenuPanel* parentPanel, long x, long y,
                        int indexInParent)
{
    if (canvas == nullptr || list == nullptr || m_hWnd != nullptr) return false;
    // A panel whose window went with the canvas's still holds its list.
    if (m_list != nullptr) close();
    m_canvas = canvas;
    m_list = list;
    // Known before the layout, which measures with the chain's widths.
    m_parentPanel = parentPanel;
    m_captionWidths.clear();
    m_position = MovedRect(Layout(), x, y);
    m_openedIndex = -1;
    m_lastHitIndex = -1;
    // Painting needs the list and the canvas, and may come while the window
    // is being made: both are set first.
    const RECT placed = MovedRect(m_position, canvas->offsetX(), canvas->offsetY());
    if (!CreateEx(kPanelExStyle, canvas->panelClassName(), "CMenuPanel", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                  placed, canvas->canvasWindow(), 0)) {
        m_canvas = nullptr;
        m_list = nullptr;
        m_parentPanel = nullptr;
        return false;
    }
    CMenuList* parentList = parentPanel != nullptr ? parentPanel->m_list : nullptr;
    m_openerItem = parentList != nullptr && indexInParent >= 0 && indexInParent < parentList->count()
                       ? parentList->items[indexInParent]
                       : nullptr;
    m_isShown = 1;
    list->panel = this;
    return true;
}

void CMenuPanel::close()
{
    if (m_list == nullptr && m_hWnd == nullptr) return;
    if (m_canvas != nullptr && m_canvas->activePanel() == this) m_canvas->clearActive();
    if (m_list != nullptr) {
        m_list->currentIndex = -1;
        m_list->itemAt(-1);
    }
    m_isShown = 0;
    closeChild();
    if (m_hWnd != nullptr) ShowWindow(m_hWnd, SW_HIDE);
    if (m_canvas != nullptr) m_canvas->removePanel(this);
    if (m_list != nullptr && m_list->panel == this) m_list->panel = nullptr;
    if (m_hWnd != nullptr) DestroyWindow();
    m_canvas = nullptr;
    m_list = nullptr;
    m_parentPanel = nullptr;
    m_openerItem = nullptr;
    m_openedIndex = -1;
    m_lastHitIndex = -1;
    m_captionWidths.clear();
}

void CMenuPanel::closeChild()
{
    if (m_childPanel == nullptr) return;
    m_openedIndex = -1;
    // The deepest panel first and every link cut beforehand, so that closing
    // never recurses however long the chain is.
    std::vector<CMenuPanel*> chain;
    for (CMenuPanel* panel = m_childPanel; panel != nullptr; panel = panel->m_childPanel) chain.push_back(panel);
    for (CMenuPanel* panel : chain) panel->m_childPanel = nullptr;
    m_childPanel = nullptr;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        std::unique_ptr<CMenuPanel> panel(*it);
        panel->close();
    }
}

void CMenuPanel::select(int index)
{
    if (m_list == nullptr) return;
    m_list->currentIndex = index;
    m_list->itemAt(index);
    if (m_hWnd != nullptr) InvalidateRect(m_hWnd, nullptr, FALSE);
    if (index == -1 || m_canvas == nullptr) return;
    m_canvas->clearActive();
    ShowSelection(true);
}

void CMenuPanel::ShowSelection(bool scroll)
{
    if (m_canvas == nullptr || m_list == nullptr) return;
    const int index = m_list->currentIndex;
    if (index < 0 || index >= m_list->count()) return;
    const MenuRect& bounds = m_list->items[index]->bounds;
    const HWND canvasWindow = m_canvas->canvasWindow();

    // One scroll step at a time until the item is in view. The walk ends
    // when no step moves the view (the item cannot fit: a view smaller than
    // the item, a minimised designer), and each axis keeps the direction it
    // first took, so an item larger than the view is not pushed out at one
    // side and back at the other for ever.
    struct Axis {
        UINT message;
        UINT backward;
        UINT forward;
        int taken;
        bool stuck;
    };
    Axis vertical = {WM_VSCROLL, SB_LINEUP, SB_LINEDOWN, 0, false};
    Axis horizontal = {WM_HSCROLL, SB_LINELEFT, SB_LINERIGHT, 0, false};
    MenuRect target = SelectionTarget(bounds, m_position, m_canvas->offsetX(), m_canvas->offsetY());
    while (scroll) {
        RECT client;
        if (!GetClientRect(canvasWindow, &client)) break;
        const int wantVertical = target.top < 0 ? -1 : target.bottom > client.bottom ? 1 : 0;
        const int wantHorizontal = target.left < 0 ? -1 : target.right > client.right ? 1 : 0;
        if (wantVertical == 0 && wantHorizontal == 0) break;

        bool moved = false;
        for (auto step : {std::make_pair(&vertical, wantVertical), std::make_pair(&horizontal, wantHorizontal)}) {
            Axis& axis = *step.first;
            const int want = step.second;
            if (want == 0 || axis.stuck) continue;
            if (axis.taken != 0 && axis.taken != want) {
                axis.stuck = true;
                continue;
            }
            axis.taken = want;
            const long beforeX = m_canvas->offsetX();
            const long beforeY = m_canvas->offsetY();
            SendMessageA(canvasWindow, axis.message, MAKEWPARAM(want < 0 ? axis.backward : axis.forward, 0), 0);
            // The canvas may have closed this panel while it scrolled.
            if (m_canvas == nullptr || m_list == nullptr || index >= m_list->count()) return;
            if (m_canvas->offsetX() != beforeX || m_canvas->offsetY() != beforeY) {
                moved = true;
                break;
            }
            axis.stuck = true;
        }
        if (!moved) break;
        target = SelectionTarget(bounds, m_position, m_canvas->offsetX(), m_canvas->offsetY());
    }
    m_canvas->setActive(this, index, target);
}

void CMenuPanel::selectByClick(CMenuItem* item)
{
    if (m_list == nullptr || m_hWnd == nullptr || m_list->indexOf(item) < 0) return;
    if (m_canvas != nullptr) m_canvas->clearActive();
    m_openedIndex = -1;
    const POINT corner = {item->bounds.left, item->bounds.top};
    SendMessageA(m_hWnd, WM_LBUTTONDOWN, kPanelInputFlag, ValueOf(corner));
}

void CMenuPanel::openChild(WPARAM value, bool byIndex)
{
    if (m_list == nullptr || m_canvas == nullptr || m_hWnd == nullptr) return;
    int index = -1;
    if (byIndex) {
        index = static_cast<int>(value & 0xFFFF);
        if (index >= m_list->count()) return;
        m_list->currentIndex = index;
        m_list->itemAt(index);
    } else {
        index = hitTest(PointOf(static_cast<LPARAM>(value)));
        if (index < 0) return;
    }
    CMenuItem* item = m_list->items[index];
    // An item marked as having a submenu gets its list only when the
    // submenus are brought in line with the marks.
    if (item->submenu == nullptr) return;
    closeChild();

    long left = 0;
    long top = 0;
    ChildPanelOrigin(item->bounds, m_position, left, top);
    std::unique_ptr<CMenuPanel> child(new CMenuPanel);
    if (!child->create(m_canvas, item->submenu, this, left, top, index)) return;
    SetWindowPos(child->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    child->m_isShown = 1;
    m_childPanel = child.release();
    m_openedIndex = index;
    m_canvas->addPanel(m_childPanel);
    SetWindowPos(m_canvas->canvasWindow(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMenuPanel::Resize(const MenuRect& layout)
{
    m_position.right = m_position.left + (layout.right - layout.left);
    m_position.bottom = m_position.top + (layout.bottom - layout.top);
    moveToOffsets();
    if (m_hWnd != nullptr) InvalidateRect(m_hWnd, nullptr, FALSE);
    if (m_canvas != nullptr) m_canvas->updateExtent();
}

void CMenuPanel::relayout()
{
    if (m_list == nullptr || m_canvas == nullptr) return;
    Resize(Layout());
}

void CMenuPanel::relayoutAround(int index)
{
    if (m_list == nullptr || m_canvas == nullptr) return;
    std::vector<MenuRect> before;
    before.reserve(m_list->items.size());
    for (const CMenuItem* item : m_list->items) before.push_back(item->bounds);
    const MenuRect layout = Layout();
    // When the panel kept its size and every item its place, nothing but the
    // item itself needs drawing again, and the chain and the canvas's extent
    // stay as they are.
    bool moved = layout.right - layout.left != m_position.right - m_position.left ||
                 layout.bottom - layout.top != m_position.bottom - m_position.top;
    for (std::size_t i = 0; !moved && i < before.size(); ++i) moved = !RectsEqual(before[i], m_list->items[i]->bounds);
    if (!moved) {
        if (index >= 0 && index < m_list->count()) invalidateItem(m_list->items[index]);
        return;
    }
    Resize(layout);
    reattachChildren(ReattachMode::Left);
}

void CMenuPanel::afterSubmenuFlagChange(int index)
{
    if (m_list == nullptr) return;
    closeChild();
    m_list->normaliseSubmenus();
    if (m_hWnd != nullptr) InvalidateRect(m_hWnd, nullptr, FALSE);
    if (index >= 0 && index < m_list->count() && m_list->items[index]->hasSubmenu != 0) {
        openChild(static_cast<WPARAM>(index), true);
    } else if (m_canvas != nullptr) {
        m_canvas->updateExtent();
    }
}

void CMenuPanel::invalidateItem(const CMenuItem* item)
{
    if (m_hWnd == nullptr || item == nullptr) return;
    InvalidateRect(m_hWnd, &item->bounds, FALSE);
}

void CMenuPanel::reattachChildren(ReattachMode mode)
{
    std::vector<ChainPanel> chain;
    std::vector<CMenuPanel*> panels;
    chain.push_back(ChainPanel{m_position, MenuRect{0, 0, 0, 0}});
    panels.push_back(this);
    for (CMenuPanel* child = m_childPanel; child != nullptr && child->m_openerItem != nullptr;
         child = child->m_childPanel) {
        chain.push_back(ChainPanel{child->m_position, child->m_openerItem->bounds});
        panels.push_back(child);
    }
    ReattachChain(chain, mode);
    for (std::size_t i = 1; i < panels.size(); ++i) {
        panels[i]->m_position = chain[i].position;
        panels[i]->moveToOffsets();
    }
}

void CMenuPanel::moveToOffsets()
{
    if (m_hWnd == nullptr || m_canvas == nullptr) return;
    const MenuRect placed = MovedRect(m_position, m_canvas->offsetX(), m_canvas->offsetY());
    SetWindowPos(m_hWnd, nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int CMenuPanel::hitTest(POINT point) const
{
    return m_list != nullptr ? HitTestItems(*m_list, point.x, point.y) : -1;
}

LRESULT CMenuPanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case PM_ACTIVATE_ITEM:
        OnActivateItem(PointOf(lParam));
        return 0;
    case PM_IGNORED:
        return 1;
    case PM_OPEN_SUBMENU:
        openChild(wParam, lParam != 0);
        return 0;
    case PM_SELECT:
        select(static_cast<int>(wParam));
        return 0;
    case PM_SHOW_SELECTION:
        ShowSelection(wParam != 0);
        return 0;
    case WM_LBUTTONDOWN:
        OnPress(wParam, PointOf(lParam));
        return 0;
    case WM_MOUSEMOVE:
        Forward(message, wParam | kPanelInputFlag, PointOf(lParam));
        return 0;
    case WM_LBUTTONUP: {
        const LRESULT result = Default(message, wParam, lParam);
        Forward(message, wParam | kPanelInputFlag, PointOf(lParam));
        return result;
    }
    case WM_MOUSEWHEEL: {
        // The point comes in screen coordinates; and bit 31 of wParam is the
        // sign of the wheel's delta, so the flag cannot ride on it.
        POINT point = PointOf(lParam);
        if (m_canvas != nullptr) {
            ScreenToClient(m_canvas->canvasWindow(), &point);
            m_canvas->panelMouse(message, wParam, point);
        }
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (m_canvas != nullptr)
            PostMessageA(m_canvas->canvasWindow(), DM_ITEMSELECTED, 1, reinterpret_cast<LPARAM>(this));
        return 0;
    case WM_NCHITTEST:
        if (m_canvas != nullptr) m_canvas->panelHitTest(PointOf(lParam));
        break;
    case WM_MOUSEACTIVATE:
        SetFocus(m_hWnd);
        return MA_ACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_NCDESTROY:
        // Also when the system destroys the window with the canvas.
        m_isShown = 0;
        break;
    default:
        break;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}

void CMenuPanel::OnPress(WPARAM keys, POINT point)
{
    if (m_list == nullptr || m_canvas == nullptr) return;
    const int hit = hitTest(point);
    if (hit < 0) return;
    m_lastHitIndex = hit;
    if (m_canvas->activePanel() != this || m_canvas->activeIndex() != hit) {
        m_canvas->clearActive();
        select(hit);
        SendMessageA(m_canvas->canvasWindow(), DM_ITEMSELECTED, 0, reinterpret_cast<LPARAM>(this));
        if (m_list == nullptr || m_canvas == nullptr) return;
    }
    if (hit != m_openedIndex) {
        closeChild();
        SendMessageA(m_hWnd, PM_ACTIVATE_ITEM, keys, ValueOf(point));
        m_openedIndex = hit;
    }
    if ((keys & kPanelInputFlag) == 0) Forward(WM_LBUTTONDOWN, keys | kPanelInputFlag, point);
}

void CMenuPanel::OnActivateItem(POINT point)
{
    const int index = hitTest(point);
    if (m_list == nullptr || index < 0 || m_list->items[index]->hasSubmenu == 0) return;
    SendMessageA(m_hWnd, PM_OPEN_SUBMENU, static_cast<WPARAM>(ValueOf(point)), 0);
}

void CMenuPanel::Forward(UINT message, WPARAM keys, POINT point)
{
    if (m_canvas == nullptr || m_hWnd == nullptr) return;
    MapWindowPoints(m_hWnd, m_canvas->canvasWindow(), &point, 1);
    m_canvas->panelMouse(message, keys, point);
}

void CMenuPanel::OnPaint()
{
    ScopedPaint paint(m_hWnd);
    if (paint.dc() == nullptr || m_canvas == nullptr || m_list == nullptr) return;
    // Only the paint rectangle is drawn: the system has cut it to the part
    // of the panel that is invalid and visible in the canvas, and a long
    // panel mostly lies outside the view.
    const RECT area = paint.area();
    if (area.right <= area.left || area.bottom <= area.top) return;
    RECT client;
    if (!GetClientRect(m_hWnd, &client)) return;
    ScopedMemoryDC memory(paint.dc(), area.right - area.left, area.bottom - area.top);
    if (!memory.ok()) return;
    // Drawn in panel coordinates; the brush origin follows, so that the
    // dotted frame of a placeholder keeps its pattern wherever the rectangle
    // starts.
    if (!SetViewportOrgEx(memory, -area.left, -area.top, nullptr) ||
        !SetBrushOrgEx(memory, ((-area.left) % 8 + 8) % 8, ((-area.top) % 8 + 8) % 8, nullptr))
        return;
    ScopedSelect font(memory, m_canvas->menuFont());

    FillRect(memory, &area, GetSysColorBrush(COLOR_MENU));
    Draw3dRect(memory, client, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
    RECT inner = client;
    InflateRect(&inner, -1, -1);
    Draw3dRect(memory, inner, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);

    // The canvas draws the selection, so the panel shows no highlight.
    const MenuMetrics& metrics = m_canvas->metrics();
    ItemPaintStyle style;
    style.selected = false;
    style.inRootList = m_list->isRoot != 0;
    style.rootIcon = m_canvas->rootIcon();
    style.arrow = ArrowRule::SubmenuFlag;
    // An item's icon and caption may reach past its bounds (an icon taller
    // than the item, a font taller than the caption's room); items near the
    // rectangle are drawn too, in list order, so overlaps come out as in a
    // full repaint.
    const long reach = std::max(metrics.itemHeight, metrics.iconHeight);
    for (const CMenuItem* item : m_list->items) {
        if (item->bounds.bottom + reach <= area.top || item->bounds.top - reach >= area.bottom) continue;
        PaintMenuItem(memory, *item, metrics, style);
    }
    if (!SetViewportOrgEx(memory, 0, 0, nullptr)) return;
    memory.Blit(paint.dc(), area.left, area.top);
}
