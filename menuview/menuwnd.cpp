#include "menuview/menuwnd.h"

#include "menudoc/menulist.h"
#include "menuview/itempainter.h"
#include "menuview/menuhost.h"

#include <windowsx.h>

namespace {

// WS_EX_DLGMODALFRAME | WS_EX_NOPARENTNOTIFY | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE
const DWORD kMenuExStyle = 0x18D;

POINT PointOf(LPARAM value)
{
    return POINT{GET_X_LPARAM(value), GET_Y_LPARAM(value)};
}

LPARAM ValueOf(POINT point)
{
    return MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y));
}

// Drops the mouse and menu messages still posted to a window being hidden:
// the window lives on for the next menu, which they were not meant for.
void DropPostedInput(HWND window)
{
    const UINT ranges[][2] = {{WM_MOUSEFIRST, WM_MOUSELAST}, {WM_MOUSEHOVER, WM_MOUSEHOVER},
                              {MW_ACTIVATE_ITEM, MW_OPEN_SUBMENU}};
    MSG msg;
    for (const auto& range : ranges) {
        while (PeekMessageA(&msg, window, range[0], range[1], PM_REMOVE | PM_NOYIELD)) {
        }
    }
}

}  // namespace

CMenuWnd::~CMenuWnd()
{
    if (m_host != nullptr && m_registered != nullptr) m_host->unregisterMenuWindow(m_registered);
}

bool CMenuWnd::create(HWND owner, CMenuList* list, CMenuWnd* parent, int indexInParent)
{
    if (m_host == nullptr || list == nullptr) return false;
    if (m_isShown != 0 || m_registered != nullptr) close();
    if (!prepare(owner)) return false;
    m_list = list;
    m_windowRect = LayoutMenu(*list, m_host->metrics(),
                              [this](const std::string& text) { return m_host->measureText(text); });
    m_height = m_windowRect.bottom - m_windowRect.top;
    if (m_registered == nullptr) Attach();
    m_parentWindow = parent;
    m_indexInParent = indexInParent;
    return true;
}

bool CMenuWnd::prepare(HWND owner)
{
    if (m_host == nullptr) return false;
    // A hidden window of the same owner is shown again: making a window
    // costs several times more than moving and showing one.
    if (m_hWnd != nullptr && GetWindow(m_hWnd, GW_OWNER) == owner) return true;
    if (m_hWnd != nullptr) destroy();
    const RECT initial = {0, 0, 1, 1};
    return CreateEx(kMenuExStyle, m_host->menuClassName(), "CMenuWnd", WS_POPUP | WS_CLIPSIBLINGS, initial, owner, 0)
           != FALSE;
}

bool CMenuWnd::showRoot(CMenuList* list, HWND owner, const RECT& anchor, POINT click)
{
    if (!create(owner, list, nullptr, -1)) return false;
    const RECT placed = PlaceRoot(anchor, click.y, m_height, m_host->workAreaOf(anchor));
    StretchRootItems(*list, placed.right - placed.left);
    ShowAt(placed);
    return true;
}

void CMenuWnd::ShowAt(const RECT& placed)
{
    m_windowRect = placed;
    // Showing a hidden window repaints all of it, so the picture of the
    // menu it showed last never appears.
    SetWindowPos(m_hWnd, HWND_TOPMOST, placed.left, placed.top, placed.right - placed.left,
                 placed.bottom - placed.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    m_isShown = 1;
    if (m_host != nullptr) m_host->publishMenuArea();
}

void CMenuWnd::close()
{
    if (m_host != nullptr) m_host->cancelHoverDelay(this);
    if (m_list != nullptr) m_list->currentIndex = -1;
    CloseChild();
    // Hidden, not destroyed, so that the next menu shows without waiting for
    // a new window.
    if (m_hWnd != nullptr) {
        ShowWindow(m_hWnd, SW_HIDE);
        DropPostedInput(m_hWnd);
    }
    // Counted as shown until hidden: a press on it in between would reach
    // the program beneath.
    if (m_host != nullptr && m_registered != nullptr) m_host->unregisterMenuWindow(m_registered);
    m_registered = nullptr;
    m_isShown = 0;
    m_list = nullptr;
    m_parentWindow = nullptr;
    m_indexInParent = -1;
    if (m_host != nullptr) m_host->publishMenuArea();
}

void CMenuWnd::destroy()
{
    close();
    if (m_hWnd != nullptr) DestroyWindow();
}

void CMenuWnd::CloseChild()
{
    if (m_childWindow == nullptr) return;
    CMenuWnd* child = m_childWindow;
    m_childWindow = nullptr;
    child->close();
    if (m_host != nullptr) m_host->returnMenuWindow(child);
}

void CMenuWnd::setHighlight(int index)
{
    if (m_list == nullptr) return;
    m_list->currentIndex = index;
    if (m_hWnd != nullptr) InvalidateRect(m_hWnd, nullptr, FALSE);
}

int CMenuWnd::highlightIndex() const
{
    return m_list != nullptr ? m_list->currentIndex : -1;
}

int CMenuWnd::hitTest(POINT point) const
{
    return m_list != nullptr ? HitTestItems(*m_list, point.x, point.y) : -1;
}

void CMenuWnd::ForgetMouse()
{
    m_lastMouse = POINT{-1, -1};
    m_hoverPoint = POINT{-1, -1};
    m_openedIndex = -1;
    m_hoverIndex = -1;
}

void CMenuWnd::clearHighlights()
{
    for (CMenuWnd* window = this; window != nullptr; window = window->m_childWindow) {
        window->setHighlight(-1);
        window->ForgetMouse();
    }
}

LRESULT CMenuWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
        OnMouseMove(PointOf(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(wParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        return 0;
    case WM_COMMAND:
        return 1;
    case WM_MOUSEHOVER:
        OnMouseHover();
        return 0;
    case MW_ACTIVATE_ITEM:
        OnActivateItem(PointOf(lParam));
        return 0;
    case MW_RESET_INDEXES:
        m_openedIndex = -1;
        m_hoverIndex = -1;
        return 0;
    case MW_OPEN_SUBMENU:
        OnOpenSubmenu(PointOf(static_cast<LPARAM>(wParam)));
        return 0;
    case WM_NCDESTROY:
        // Also when the system destroys the window with its owner.
        if (m_host != nullptr && m_registered != nullptr) m_host->unregisterMenuWindow(m_registered);
        m_registered = nullptr;
        if (m_isShown != 0) {
            m_isShown = 0;
            if (m_host != nullptr) m_host->publishMenuArea();
        }
        break;
    default:
        break;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}

void CMenuWnd::Attach()
{
    ForgetMouse();
    m_registered = m_hWnd;
    if (m_host != nullptr) m_host->registerMenuWindow(m_hWnd, this);
}

void CMenuWnd::OnMouseMove(POINT point)
{
    if (m_host == nullptr || m_list == nullptr || !m_host->engineReady()) return;
    if (point.x == m_lastMouse.x && point.y == m_lastMouse.y) return;
    m_lastMouse = point;

    // The items that lead here stay highlighted while the mouse is below them.
    for (CMenuWnd* window = this; window->m_parentWindow != nullptr; window = window->m_parentWindow) {
        CMenuWnd* parent = window->m_parentWindow;
        if (parent->highlightIndex() != window->m_indexInParent) {
            parent->m_hoverIndex = window->m_indexInParent;
            parent->setHighlight(window->m_indexInParent);
        }
    }

    const int hit = hitTest(point);
    m_lastHitIndex = hit;
    if (hit < 0) return;

    CMenuWnd* waiting = m_host->hoverWindow();
    if (hit == m_hoverIndex && (waiting == nullptr || waiting == this)) {
        // Back on the item whose submenu is open: the submenu stays, its
        // highlights go.
        for (CMenuWnd* below = m_childWindow; below != nullptr; below = below->m_childWindow) {
            if (below->highlightIndex() >= 0) {
                below->setHighlight(-1);
                below->ForgetMouse();
            }
        }
        return;
    }
    m_hoverIndex = hit;
    m_hoverPoint = point;
    if (m_list->items[hit]->separator != 0) return;
    setHighlight(hit);
    m_host->startHoverDelay(this);
}

void CMenuWnd::OnMouseHover()
{
    if (m_host == nullptr || !m_host->engineReady()) return;
    if (m_hoverIndex >= 0) {
        PostMessageA(m_hWnd, WM_LBUTTONDOWN, kHoverClick, ValueOf(m_hoverPoint));
    } else if (m_childWindow != nullptr) {
        CloseChild();
        m_openedIndex = -1;
    }
}

void CMenuWnd::OnButtonDown(WPARAM marker)
{
    // The button acts on the item the mouse rested on, not on where it went
    // down: routed clicks and hover clicks carry no reliable point.
    if (m_host == nullptr || m_list == nullptr || !m_host->engineReady()) return;
    if (m_hoverIndex < 0 || m_hoverIndex >= m_list->count()) return;
    const CMenuItem* item = m_list->items[m_hoverIndex];
    if (item->separator != 0) return;
    const bool realClick = marker != kHoverClick;

    if (m_childWindow != nullptr) {
        if (realClick) m_host->cancelHoverDelay(this);
        if (item->submenu != nullptr && m_childWindow->m_list == item->submenu) {
            m_childWindow->CloseChild();
            SendMessageA(m_childWindow->m_hWnd, MW_RESET_INDEXES, 0, 0);
            m_childWindow->setHighlight(-1);
            return;
        }
        CloseChild();
        m_openedIndex = -1;
    }
    if (realClick || (item->hasSubmenu != 0 && highlightIndex() >= 0))
        PostMessageA(m_hWnd, MW_ACTIVATE_ITEM, 1, ValueOf(m_hoverPoint));
}

void CMenuWnd::OnActivateItem(POINT point)
{
    if (m_host == nullptr || m_list == nullptr || !m_host->engineReady()) return;
    const int index = hitTest(point);
    if (index < 0 || index == m_openedIndex) return;
    m_openedIndex = index;
    CMenuItem* item = m_list->items[index];
    if (item->separator != 0) return;
    if (item->hasSubmenu != 0) {
        SendMessageA(m_hWnd, MW_OPEN_SUBMENU, static_cast<WPARAM>(ValueOf(point)), 0);
        return;
    }
    m_host->itemChosen(item);
}

void CMenuWnd::OnOpenSubmenu(POINT point)
{
    if (m_host == nullptr || m_list == nullptr) return;
    const int index = hitTest(point);
    if (index < 0) return;
    CMenuItem* item = m_list->items[index];
    // An item marked as opening a submenu may have none to show.
    if (!OpensSubmenu(*item)) return;
    CloseChild();

    RECT anchor = item->bounds;
    MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&anchor), 2);

    CMenuWnd* child = m_host->takeMenuWindow();
    child->bind(m_host);
    m_childWindow = child;
    if (!child->create(m_hWnd, item->submenu, this, index)) {
        m_childWindow = nullptr;
        m_host->returnMenuWindow(child);
        return;
    }
    const long width = child->m_windowRect.right - child->m_windowRect.left;
    const long height = child->m_windowRect.bottom - child->m_windowRect.top;
    long left = 0;
    long top = 0;
    PlaceSubmenu(anchor, width, height, m_host->workAreaOf(anchor), left, top);
    child->ShowAt(RECT{left, top, left + width, top + height});
}

void CMenuWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    if (dc == nullptr) return;
    // Only the part to paint is drawn: a long menu reaches far below the
    // screen, and drawing all of it would delay the part that shows.
    const RECT& area = ps.rcPaint;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC memory = width > 0 && height > 0 ? CreateCompatibleDC(dc) : nullptr;
    HBITMAP bitmap = memory != nullptr ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (bitmap != nullptr) {
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HGDIOBJ oldFont = SelectObject(memory, m_host->menuFont());
        SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
        FillRect(memory, &area, GetSysColorBrush(COLOR_MENU));
        if (m_list != nullptr) {
            for (int i = 0; i < m_list->count(); ++i) {
                const RECT& bounds = m_list->items[i]->bounds;
                if (bounds.bottom <= area.top || bounds.top >= area.bottom) continue;
                DrawItem(memory, *m_list->items[i], i == m_list->currentIndex);
            }
        }
        SetViewportOrgEx(memory, 0, 0, nullptr);
        BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldFont);
        SelectObject(memory, oldBitmap);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    EndPaint(m_hWnd, &ps);
}

void CMenuWnd::DrawItem(HDC dc, const CMenuItem& item, bool selected)
{
    ItemPaintStyle style;
    style.selected = selected;
    style.inRootList = m_list->isRoot != 0;
    style.rootIcon = m_host->rootIcon();
    style.arrow = ArrowRule::OpensSubmenu;
    PaintMenuItem(dc, item, m_host->metrics(), style);
}
