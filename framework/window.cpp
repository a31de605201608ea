#include "window.h"

#include "cmdui.h"
#include "winapp.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace {

const char kObjectProperty[] = "VantrelWindowObject";

}  // namespace

CWnd::~CWnd()
{
    // A window may not outlive its object: its procedure would reach freed memory.
    if (m_hWnd != nullptr && IsWindow(m_hWnd)) DestroyWindow();
}

std::string CWnd::RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    char name[96];
    std::snprintf(name, sizeof name, "Vantrel:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    static std::mutex lock;
    static std::set<std::string> registered;
    std::lock_guard<std::mutex> guard(lock);
    if (registered.count(name) != 0) return name;

    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (RegisterClassA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return std::string();
    registered.insert(name);
    return name;
}

BOOL CWnd::CreateEx(DWORD exStyle, const std::string& className, const char* windowName, DWORD style,
                    const RECT& rect, HWND parent, UINT_PTR id)
{
    if (m_hWnd != nullptr || className.empty()) return FALSE;
    HWND window = CreateWindowExA(exStyle, className.c_str(), windowName, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(id), GetModuleHandleA(nullptr), this);
    if (window == nullptr) {
        m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND window)
{
    if (window == nullptr) return nullptr;
    return static_cast<CWnd*>(GetPropA(window, kObjectProperty));
}

bool CWnd::OnUpdateCommand(CCmdUI&)
{
    return false;
}

bool CWnd::HandlesCommand(UINT) const
{
    return false;
}

bool CWnd::OnCommand(UINT, UINT, HWND)
{
    return false;
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
        break;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) == 0) {
            UpdateMenuCommands(reinterpret_cast<HMENU>(wParam), *this);
            return 0;
        }
        break;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

LRESULT CALLBACK CWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = FromHandle(window);
    if (object == nullptr && message == WM_NCCREATE) {
        object = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (object != nullptr) {
            object->m_hWnd = window;
            SetPropA(window, kObjectProperty, object);
        }
    }
    if (object == nullptr) return DefWindowProcA(window, message, wParam, lParam);

    LRESULT result = 0;
    // An exception must not unwind through the system's code that called us.
    try {
        result = object->OnMessage(message, wParam, lParam);
    } catch (...) {
        result = DefWindowProcA(window, message, wParam, lParam);
    }

    if (message == WM_NCDESTROY) {
        RemovePropA(window, kObjectProperty);
        object->m_hWnd = nullptr;
        CWinApp* app = AppObject();
        if (app != nullptr && app->m_mainWnd == object) {
            app->m_mainWnd = nullptr;
            PostQuitMessage(0);
        }
        object->PostNcDestroy();
    }
    return result;
}
