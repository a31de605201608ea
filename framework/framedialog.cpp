#include "framedialog.h"

#include "cmdui.h"
#include "winapp.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// System commands from here up have prompts at kSystemPromptBase + (id - kFirstSystemCommand) / 16.
const UINT kFirstSystemCommand = 0xF000;
const UINT kSystemCommandEnd = 0xF1F0;
const UINT kSystemPromptBase = 0xEF00;

}  // namespace

CFrameDialog::~CFrameDialog()
{
    // Destroyed here, while this class still handles the window's last messages.
    if (m_hWnd != nullptr) DestroyWindow();
    ReleaseMenuAndAccelerators();
}

void CFrameDialog::ReleaseMenuAndAccelerators()
{
    if (m_menu != nullptr) {
        if (m_hWnd != nullptr && GetMenu(m_hWnd) == m_menu) SetMenu(m_hWnd, nullptr);
        DestroyMenu(m_menu);
        m_menu = nullptr;
    }
    if (m_accelerators != nullptr) {
        DestroyAcceleratorTable(m_accelerators);
        m_accelerators = nullptr;
    }
}

std::string CFrameDialog::LoadPrompt(UINT promptId)
{
    if (promptId == 0) return std::string();
    char buffer[512] = {};
    const int length = LoadStringA(ResourceModule(), promptId, buffer, sizeof buffer);
    std::string text(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    const auto lineFeed = text.find('\n');
    if (lineFeed != std::string::npos) text.erase(lineFeed);
    return text;
}

void CFrameDialog::SetMessageText(const std::string& text)
{
    if (m_hWnd == nullptr) return;
    HWND bar = ::GetDlgItem(m_hWnd, kStatusBarId);
    if (bar != nullptr) SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CFrameDialog::SetMessageText(UINT promptId)
{
    SetMessageText(LoadPrompt(promptId));
    m_lastPrompt = promptId;
    m_nextPrompt = promptId;
}

void CFrameDialog::OnMenuSelect(UINT item, UINT flags, HMENU menu)
{
    if (flags == 0xFFFF && menu == nullptr) {
        SetMessageText(kIdlePrompt);  // the menu has closed
        return;
    }
    if (item == 0 || (flags & (MF_SEPARATOR | MF_POPUP)) != 0)
        m_nextPrompt = 0;
    else if (item >= kFirstSystemCommand && item < kSystemCommandEnd)
        m_nextPrompt = kSystemPromptBase + (item - kFirstSystemCommand) / 16;
    else
        m_nextPrompt = item;
    if (m_nextPrompt != m_lastPrompt) SetMessageText(m_nextPrompt);
}

void CFrameDialog::RecalcLayout()
{
    // Moving the bars sends WM_SIZE notifications that must not lay out again.
    if (m_hWnd == nullptr || m_inLayout) return;
    m_inLayout = true;
    RECT client;
    if (GetClientRect(m_hWnd, &client)) {
        HWND bar = ::GetDlgItem(m_hWnd, kStatusBarId);
        if (bar != nullptr && (GetWindowLongPtrA(bar, GWL_STYLE) & WS_VISIBLE) != 0) {
            SendMessageA(bar, WM_SIZE, 0, 0);  // a status bar places itself along the bottom
            RECT barRect;
            if (GetWindowRect(bar, &barRect)) client.bottom -= barRect.bottom - barRect.top;
        }
        HWND pane = ::GetDlgItem(m_hWnd, kPaneId);
        if (pane != nullptr) {
            const int left = client.left + m_layoutRect.left;
            const int top = client.top + m_layoutRect.top;
            const int right = std::max(left, static_cast<int>(client.right - m_layoutRect.right));
            const int bottom = std::max(top, static_cast<int>(client.bottom - m_layoutRect.bottom));
            MoveWindow(pane, left, top, right - left, bottom - top, TRUE);
        }
    }
    m_inLayout = false;
}

bool CFrameDialog::PreTranslateMessage(MSG* msg)
{
    // A plain F1 is left to the system, whose help message (WM_HELP) reaches
    // OnHelp anyway: taken as an accelerator too, it opened the help twice.
    const bool helpKey = msg->message == WM_KEYDOWN && msg->wParam == VK_F1 && GetKeyState(VK_SHIFT) >= 0 &&
                         GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
    if (m_hWnd != nullptr && m_accelerators != nullptr && msg->message >= WM_KEYFIRST &&
        msg->message <= WM_KEYLAST && !helpKey && TranslateAcceleratorA(m_hWnd, m_accelerators, msg) != 0)
        return true;
    return CDialog::PreTranslateMessage(msg);
}

LRESULT CFrameDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        const LRESULT result = CDialog::OnMessage(message, wParam, lParam);
        if (result == -1) return result;
        // Both are optional: a frame without them still works.
        m_menu = LoadMenuA(ResourceModule(), MAKEINTRESOURCEA(TemplateId()));
        if (m_menu != nullptr && !SetMenu(m_hWnd, m_menu)) {
            DestroyMenu(m_menu);
            m_menu = nullptr;
        }
        m_accelerators = LoadAcceleratorsA(ResourceModule(), MAKEINTRESOURCEA(m_acceleratorId));
        return result;
    }
    case WM_DESTROY:
        ReleaseMenuAndAccelerators();
        break;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) != 0) break;  // the system menu keeps its own states
        UpdateMenuCommands(reinterpret_cast<HMENU>(wParam), *this, m_autoMenuEnable != 0);
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_ENTERIDLE:
        if (wParam == MSGF_MENU && m_nextPrompt != m_lastPrompt) SetMessageText(m_nextPrompt);
        break;
    case kSetMessageString:
        if (lParam != 0) {
            SetMessageText(std::string(reinterpret_cast<const char*>(lParam)));
            m_lastPrompt = m_nextPrompt = static_cast<UINT>(wParam);
        } else {
            SetMessageText(static_cast<UINT>(wParam));
        }
        return 0;
    case WM_SIZE: {
        const LRESULT result = CDialog::OnMessage(message, wParam, lParam);
        if (wParam != SIZE_MINIMIZED) RecalcLayout();
        return result;
    }
    default:
        break;
    }
    return CDialog::OnMessage(message, wParam, lParam);
}
