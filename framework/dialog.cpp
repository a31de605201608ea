#include "dialog.h"

#include "helpopener.h"
#include "winapp.h"

#include <vector>

namespace {

const UINT kHelpCommand = 57670;  // the framework's standard Help command

}  // namespace

CDialog::~CDialog()
{
    if (m_hWnd == nullptr) return;
    ReenableOwner();
    DestroyWindow();
}

bool CDialog::CreateFromTemplate(HWND parent)
{
    if (!BeginCreationHook(*this)) return false;
    HWND window = CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(m_templateId), parent, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    EndCreationHook();
    if (window == nullptr) return false;
    if (m_hWnd != window) {  // not bound to us: it could not be driven
        ::DestroyWindow(window);
        return false;
    }
    return true;
}

bool CDialog::Create(HWND parent)
{
    if (m_hWnd != nullptr) return false;
    m_inModalLoop = false;
    return CreateFromTemplate(parent);
}

INT_PTR CDialog::DoModal(HWND parent)
{
    if (m_hWnd != nullptr) {
        BringToTop();
        return -1;
    }
    // The owner is the top-level window of `parent`, as for the system's
    // modal dialogs.
    HWND owner = parent;
    while (owner != nullptr && (GetWindowLongPtrA(owner, GWL_STYLE) & (WS_POPUP | WS_CHILD)) == WS_CHILD) {
        HWND up = GetParent(owner);
        if (up == nullptr) break;
        owner = up;
    }
    m_disabledOwner = nullptr;
    if (owner != nullptr && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        m_disabledOwner = owner;
    }
    m_inModalLoop = true;
    m_endModal = false;
    m_modalResult = IDCANCEL;
    if (!CreateFromTemplate(owner)) {
        m_inModalLoop = false;
        ReenableOwner();
        return -1;
    }
    RunModalLoop();
    m_inModalLoop = false;
    ReenableOwner();
    if (m_hWnd != nullptr) DestroyWindow();
    return m_modalResult;
}

void CDialog::RunModalLoop()
{
    HWND window = m_hWnd;
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    bool shown = (style & WS_VISIBLE) != 0;
    HWND owner = GetWindow(window, GW_OWNER);
    MSG msg;
    while (!m_endModal && IsWindow(window)) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Shown once what OnInitDialog queued has run, like the system's dialogs.
            if (!shown) {
                ShowWindow(window, SW_SHOWNORMAL);
                shown = true;
            }
            if (owner != nullptr && (style & DS_NOIDLEMSG) == 0)
                SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(window));
            if (m_endModal || !IsWindow(window)) break;
            if (GetMessageA(&msg, nullptr, 0, 0) == -1) break;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop further out
            break;
        }
        if (!WalkPreTranslate(&msg) && !(IsWindow(window) && IsDialogMessageA(window, &msg))) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!shown && msg.message == WM_TIMER && IsWindow(window)) {
            ShowWindow(window, SW_SHOWNORMAL);
            shown = true;
        }
    }
}

void CDialog::ReenableOwner()
{
    if (m_disabledOwner == nullptr) return;
    if (IsWindow(m_disabledOwner)) EnableWindow(m_disabledOwner, TRUE);
    m_disabledOwner = nullptr;
}

void CDialog::BringToTop()
{
    if (m_hWnd == nullptr) return;
    if (IsIconic(m_hWnd)) ShowWindow(m_hWnd, SW_RESTORE);
    SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(m_hWnd);
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_hWnd == nullptr) return;
    if (m_inModalLoop) {
        m_modalResult = result;
        m_endModal = true;
        ReenableOwner();
    }
    // Hides the dialog, passes the focus on and wakes the loop.
    ::EndDialog(m_hWnd, result);
}

HWND CDialog::GetDlgItem(int id) const
{
    return m_hWnd != nullptr ? ::GetDlgItem(m_hWnd, id) : nullptr;
}

void CDialog::SetDlgItemText(int id, const std::string& text)
{
    if (m_hWnd != nullptr) ::SetDlgItemTextA(m_hWnd, id, text.c_str());
}

std::string CDialog::GetDlgItemText(int id) const
{
    HWND control = GetDlgItem(id);
    if (control == nullptr) return std::string();
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextA(control, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void CDialog::CheckDlgButton(int id, bool checked)
{
    if (m_hWnd != nullptr) ::CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CDialog::IsDlgButtonChecked(int id) const
{
    return m_hWnd != nullptr && ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

bool CDialog::PreTranslateMessage(MSG* msg)
{
    if (m_hWnd == nullptr || m_inModalLoop) return false;
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
    if (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd)) return false;
    return IsDialogMessageA(m_hWnd, msg) != FALSE;
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnHelp()
{
    ShowHelp(m_hWnd, DialogHelpContext(m_templateId));
}

bool CDialog::OnCommand(UINT, UINT, HWND)
{
    return false;
}

BOOL CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return FALSE;
}

LRESULT CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (OnCommand(id, code, control)) return 0;
        if (code != BN_CLICKED && control != nullptr) break;
        if (id == IDOK) {
            OnOK();
            return 0;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return 0;
        }
        if (id == IDHELP || id == kHelpCommand) {
            OnHelp();
            return 0;
        }
        break;
    }
    case WM_HELP:
        OnHelp();
        return TRUE;
    default: {
        LRESULT result = 0;
        if (OnMessage(message, wParam, lParam, result)) {
            // The dialog manager's own records go with the window in any case.
            if (message == WM_NCDESTROY) Default(message, wParam, lParam);
            return result;
        }
        return CWnd::OnMessage(message, wParam, lParam);
    }
    }
    return Default(message, wParam, lParam);
}

// The window is subclassed at creation and its messages reach OnMessage
// first; the dialog manager calls this only for the default handling.
INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
