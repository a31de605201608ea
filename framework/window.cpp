#include "window.h"

#include "cmdui.h"
#include "winapp.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace {

const char kObjectProperty[] = "VantrelWindowObject";

// The object that the next window created on this thread belongs to.
thread_local CWnd* t_creating = nullptr;
thread_local HHOOK t_creationHook = nullptr;

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

bool CWnd::BeginCreationHook(CWnd& object)
{
    if (t_creationHook != nullptr) return false;  // one creation at a time per thread
    t_creationHook = SetWindowsHookExA(WH_CBT, &CreationHookProc, nullptr, GetCurrentThreadId());
    if (t_creationHook == nullptr) return false;
    t_creating = &object;
    return true;
}

void CWnd::EndCreationHook()
{
    t_creating = nullptr;
    if (t_creationHook != nullptr) UnhookWindowsHookEx(t_creationHook);
    t_creationHook = nullptr;
}

LRESULT CALLBACK CWnd::CreationHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_creating != nullptr) {
        CWnd* object = t_creating;
        // The controls created next are not ours, and the window's own
        // initialisation may create further framework windows.
        EndCreationHook();
        object->Subclass(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CWnd::Subclass(HWND window)
{
    m_hWnd = window;
    SetPropA(window, kObjectProperty, this);
    m_superProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProc)));
    if (m_superProc == nullptr) {  // not subclassed: the creator sees the window unbound
        RemovePropA(window, kObjectProperty);
        m_hWnd = nullptr;
    }
}

bool CWnd::PreTranslateMessage(MSG*)
{
    return false;
}

bool CWnd::WalkPreTranslate(MSG* msg)
{
    for (HWND window = msg->hwnd; window != nullptr;) {
        CWnd* object = FromHandle(window);
        bool taken = false;
        // The loops that call this run inside window procedures.
        try {
            taken = object != nullptr && object->PreTranslateMessage(msg);
        } catch (...) {
            taken = false;
        }
        if (taken) return true;
        if ((GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) == 0) break;
        window = GetParent(window);
    }
    return false;
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
    if (m_superProc != nullptr) return CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam);
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
        result = object->m_superProc != nullptr
                     ? CallWindowProcA(object->m_superProc, window, message, wParam, lParam)
                     : DefWindowProcA(window, message, wParam, lParam);
    }

    if (message == WM_NCDESTROY) {
        RemovePropA(window, kObjectProperty);
        if (object->m_superProc != nullptr) {
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(object->m_superProc));
            object->m_superProc = nullptr;
        }
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
