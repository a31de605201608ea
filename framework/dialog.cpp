#include "dialog.h"

#include "winapp.h"

#include <vector>

namespace {

const char kObjectProperty[] = "VantrelDialogObject";
const UINT kHelpCommand = 57670;  // the framework's standard Help command

}  // namespace

CDialog::~CDialog()
{
    if (m_hWnd != nullptr) ::EndDialog(m_hWnd, IDCANCEL);
}

INT_PTR CDialog::DoModal(HWND parent)
{
    if (m_hWnd != nullptr) {
        BringToTop();
        return -1;
    }
    return DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(m_templateId), parent, &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
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
    if (m_hWnd != nullptr) ::EndDialog(m_hWnd, result);
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
    CWinApp* app = AppObject();
    if (app == nullptr || app->m_helpFilePath.empty()) return;
    WinHelpA(m_hWnd, app->m_helpFilePath.c_str(), HELP_CONTEXT, DialogHelpContext(m_templateId));
}

bool CDialog::OnCommand(UINT, UINT, HWND)
{
    return false;
}

BOOL CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return FALSE;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (OnCommand(id, code, control)) return TRUE;
        if (code != BN_CLICKED && control != nullptr) return FALSE;
        if (id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        if (id == IDHELP || id == kHelpCommand) {
            OnHelp();
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP:
        OnHelp();
        return TRUE;
    default: {
        LRESULT result = 0;
        if (!OnMessage(message, wParam, lParam, result)) return FALSE;
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = static_cast<CDialog*>(GetPropA(window, kObjectProperty));
    if (dialog == nullptr && message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = window;
        SetPropA(window, kObjectProperty, dialog);
    }
    if (dialog == nullptr) return FALSE;

    INT_PTR result = FALSE;
    // An exception must not unwind through the system's dialog manager.
    try {
        result = dialog->Dispatch(message, wParam, lParam);
    } catch (...) {
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        RemovePropA(window, kObjectProperty);
        dialog->m_hWnd = nullptr;
    }
    return result;
}
