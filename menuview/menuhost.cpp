#include "menuview/menuhost.h"

#include "menuview/menuwnd.h"

#include "framework/ansitext.h"

MenuMetrics ReadSystemMenuMetrics()
{
    MenuMetrics metrics;
    const int menuBar = GetSystemMetrics(SM_CYMENU);
    if (menuBar > 2) metrics.itemHeight = menuBar - 2;
    metrics.separatorHeight = metrics.itemHeight / 2;
    if (const int check = GetSystemMetrics(SM_CXMENUCHECK)) metrics.checkWidth = check;
    if (const int cx = GetSystemMetrics(SM_CXSMICON)) metrics.iconWidth = cx;
    if (const int cy = GetSystemMetrics(SM_CYSMICON)) metrics.iconHeight = cy;
    return metrics;
}

CMenuWndHost::CMenuWndHost() : m_rootWindow(new CMenuWnd(this)) {}

CMenuWndHost::~CMenuWndHost()
{
    releaseMenuWindows();
}

bool CMenuWndHost::initMenuWindows(HICON rootIcon)
{
    m_rootIcon = rootIcon;
    m_className = CWnd::RegisterWndClass(CS_CLASSDC, LoadCursor(nullptr, IDC_ARROW));
    if (m_className.empty()) return false;

    m_metrics = ReadSystemMenuMetrics();

    LOGFONTA font = {};
    if (readMenuFont(font)) m_menuFont = CreateFontIndirectA(&font);
    if (m_menuFont == nullptr) m_menuFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (m_measureDC == nullptr) m_measureDC = CreateCompatibleDC(nullptr);
    if (m_measureDC != nullptr) m_oldFont = SelectObject(m_measureDC, m_menuFont);

    UINT hover = 0;
    m_hoverTime = SystemParametersInfoA(SPI_GETMOUSEHOVERTIME, 0, &hover, 0) && hover != 0 ? hover : 400;
    // The root window is made now, so the first menu shows as fast as the rest.
    return m_rootWindow->prepare(nullptr);
}

bool CMenuWndHost::readMenuFont(LOGFONTA& font)
{
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return false;
    font = ncm.lfMenuFont;
    return true;
}

RECT CMenuWndHost::workAreaOf(const RECT& rect) const
{
    // Asked at each show: monitors come and go while the program runs.
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void CMenuWndHost::releaseMenuWindows()
{
    {
        // Nothing waits for the submenu delay any more: closing must not
        // reach the timer of a host being destroyed.
        CAhLock guard(m_lock);
        m_hoverWindow = nullptr;
    }
    if (m_rootWindow != nullptr) m_rootWindow->destroy();
    {
        CAhLock guard(m_lock);
        m_freeWindows.clear();
        m_pool.clear();
        m_registry.clear();
        m_hoverWindow = nullptr;
    }
    if (m_measureDC != nullptr) {
        if (m_oldFont != nullptr) SelectObject(m_measureDC, m_oldFont);
        DeleteDC(m_measureDC);
        m_measureDC = nullptr;
        m_oldFont = nullptr;
    }
    if (m_menuFont != nullptr && m_menuFont != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(m_menuFont);
    m_menuFont = nullptr;
}

long CMenuWndHost::measureText(const std::string& text)
{
    return AnsiTextWidth(m_measureDC, text);
}

void CMenuWndHost::registerMenuWindow(HWND window, CMenuWnd* menu)
{
    CAhLock guard(m_lock);
    m_registry[window] = menu;
}

void CMenuWndHost::unregisterMenuWindow(HWND window)
{
    CAhLock guard(m_lock);
    m_registry.erase(window);
}

CMenuWnd* CMenuWndHost::menuWindowOf(HWND window)
{
    if (window == nullptr) return nullptr;
    CAhLock guard(m_lock);
    const auto found = m_registry.find(window);
    return found != m_registry.end() ? found->second : nullptr;
}

void CMenuWndHost::publishMenuArea()
{
    RECT rects[kMaxMenuAreaRects];
    int count = 0;
    {
        CAhLock guard(m_lock);
        for (const auto& entry : m_registry) {
            if (count == kMaxMenuAreaRects) break;
            if (entry.second->isShown()) rects[count++] = entry.second->windowRect();
        }
    }
    menuAreaChanged(rects, count);
}

CMenuWnd* CMenuWndHost::takeMenuWindow()
{
    CAhLock guard(m_lock);
    if (!m_freeWindows.empty()) {
        CMenuWnd* window = m_freeWindows.back();
        m_freeWindows.pop_back();
        return window;
    }
    m_pool.emplace_back(new CMenuWnd(this));
    return m_pool.back().get();
}

void CMenuWndHost::returnMenuWindow(CMenuWnd* window)
{
    if (window == nullptr || window == m_rootWindow.get()) return;
    CAhLock guard(m_lock);
    m_freeWindows.push_back(window);
}

std::size_t CMenuWndHost::pooledWindowCount()
{
    CAhLock guard(m_lock);
    return m_pool.size();
}

void CMenuWndHost::startHoverDelay(CMenuWnd* window)
{
    CAhLock guard(m_lock);
    m_hoverWindow = window;
    startHoverTimer(m_hoverTime);
}

void CMenuWndHost::cancelHoverDelay(CMenuWnd* window)
{
    CAhLock guard(m_lock);
    if (m_hoverWindow == nullptr || window == nullptr || m_hoverWindow->m_hWnd != window->m_hWnd) return;
    killHoverTimer(true);
    m_hoverWindow = nullptr;
}

CMenuWnd* CMenuWndHost::hoverWindow()
{
    CAhLock guard(m_lock);
    return m_hoverWindow;
}

void CMenuWndHost::onHoverDelayEnded()
{
    killHoverTimer(false);
    CAhLock guard(m_lock);
    if (m_hoverWindow == nullptr) return;
    if (m_hoverWindow->m_hWnd != nullptr) PostMessageA(m_hoverWindow->m_hWnd, WM_MOUSEHOVER, 0, 0);
    m_hoverWindow = nullptr;
}
