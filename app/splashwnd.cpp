#include "app/splashwnd.h"

#include "framework/winapp.h"
#include "lang/resource.h"

namespace {

bool g_splashEnabled = false;
CSplashWnd* g_splashWindow = nullptr;
const UINT_PTR kCloseTimer = 1;
const UINT kShowMilliseconds = 1000;

}  // namespace

void CSplashWnd::EnableSplashScreen(bool enable)
{
    g_splashEnabled = enable;
}

void CSplashWnd::ShowSplashScreen(CWnd* parent)
{
    if (!g_splashEnabled || g_splashWindow != nullptr) return;
    CSplashWnd* splash = new CSplashWnd;
    g_splashWindow = splash;
    if (!splash->Create(parent)) {
        delete splash;
        return;
    }
    ShowWindow(splash->m_hWnd, SW_SHOW);
    UpdateWindow(splash->m_hWnd);
}

void CSplashWnd::HideSplashScreen()
{
    // The window's end deletes the object (PostNcDestroy).
    if (g_splashWindow != nullptr && g_splashWindow->m_hWnd != nullptr) g_splashWindow->DestroyWindow();
}

CSplashWnd* CSplashWnd::current()
{
    return g_splashWindow;
}

CSplashWnd::~CSplashWnd()
{
    if (m_bitmap != nullptr) DeleteObject(m_bitmap);
    if (g_splashWindow == this) g_splashWindow = nullptr;
}

bool CSplashWnd::Create(CWnd* parent)
{
    m_bitmap = static_cast<HBITMAP>(
        LoadImageA(ResourceModule(), MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (m_bitmap == nullptr) return false;
    BITMAP info = {};
    if (GetObjectA(m_bitmap, sizeof info, &info) == 0) return false;
    m_size.cx = info.bmWidth;
    m_size.cy = info.bmHeight;
    const RECT rect = {0, 0, m_size.cx, m_size.cy};
    if (!CreateEx(0, RegisterWndClass(0, LoadCursorA(nullptr, IDC_ARROW)), "CSplashWnd", WS_POPUP | WS_VISIBLE, rect,
                  parent != nullptr ? parent->m_hWnd : nullptr, 0))
        return false;
    m_ownedByWindow = true;
    return true;
}

LRESULT CSplashWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        // Centred on the screen's work area: it has no owner to centre on.
        RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const int x = work.left + (work.right - work.left - m_size.cx) / 2;
        const int y = work.top + (work.bottom - work.top - m_size.cy) / 2;
        SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetTimer(m_hWnd, kCloseTimer, kShowMilliseconds, nullptr);
        return 0;
    }
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the bitmap covers the whole window
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            KillTimer(m_hWnd, kCloseTimer);
            DestroyWindow();
            if (AppObject() != nullptr && AppObject()->m_mainWnd != nullptr &&
                AppObject()->m_mainWnd->m_hWnd != nullptr)
                UpdateWindow(AppObject()->m_mainWnd->m_hWnd);
            return 0;
        }
        break;
    default:
        break;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}

void CSplashWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    HDC memory = CreateCompatibleDC(dc);
    if (memory != nullptr) {
        HGDIOBJ old = SelectObject(memory, m_bitmap);
        BitBlt(dc, 0, 0, m_size.cx, m_size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    EndPaint(m_hWnd, &ps);
}

void CSplashWnd::PostNcDestroy()
{
    if (m_ownedByWindow) delete this;
}
