#include "designer/maskedit.h"

#include <commctrl.h>

namespace {

const UINT_PTR kSubclassId = 0x4D45;  // "ME"

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return IsCharAlphaA(c) != FALSE;
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

bool MaskAccepts(char mask, char c)
{
    switch (mask) {
    case '0': return IsDigit(c);
    case '9': return IsDigit(c) || c == ' ';
    case '#': return IsDigit(c) || c == ' ' || c == 'k' || c == 'm';
    case 'L': return IsLetter(c);
    case '?': return IsLetter(c) || c == ' ';
    case 'A': return IsLetter(c) || IsDigit(c);
    case 'a': return IsLetter(c) || IsDigit(c) || c == ' ';
    case 'H': return IsHexDigit(c);
    case 'X': return IsHexDigit(c) || c == ' ';
    case '&': return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
    default: return false;
    }
}

CMaskEdit::~CMaskEdit()
{
    Detach();
}

bool CMaskEdit::SubclassDlgItem(int id, HWND dialog)
{
    Detach();
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) return false;
    if (!SetWindowSubclass(control, &CMaskEdit::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hWnd = control;
    m_font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    return true;
}

void CMaskEdit::Detach()
{
    if (m_hWnd != nullptr) RemoveWindowSubclass(m_hWnd, &CMaskEdit::SubclassProc, kSubclassId);
    m_hWnd = nullptr;
}

void CMaskEdit::SetMask(const std::string& mask, const std::string& templ, const std::string& text)
{
    m_mask = mask;
    m_template = templ;
    m_initialText = text;
    if (m_hWnd == nullptr) return;
    SetWindowTextA(m_hWnd, text.c_str());
    if (m_font != nullptr) SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
}

LRESULT CALLBACK CMaskEdit::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data)
{
    CMaskEdit* edit = reinterpret_cast<CMaskEdit*>(data);
    bool handled = false;
    LRESULT result = 0;
    try {
        result = edit->OnMessage(message, wParam, lParam, handled);
    } catch (...) {
        handled = true;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &CMaskEdit::SubclassProc, kSubclassId);
        edit->m_hWnd = nullptr;
    }
    return handled ? result : DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CMaskEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (!m_useMask || m_internalChar) return 0;
    switch (message) {
    case WM_KEYDOWN:
        handled = wParam == VK_INSERT || wParam == VK_DELETE;
        return 0;
    case WM_CHAR: {
        const char c = static_cast<char>(wParam);
        if (wParam == VK_BACK) {
            OnBackspace();
            handled = true;
        } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
            OnTypedChar(c);
            handled = true;
        }
        return 0;
    }
    // Pasting, cutting and clearing would shift the fixed positions.
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
        handled = true;
        MessageBeep(0xFFFFFFFF);
        return 0;
    case WM_PAINT: {
        HDC dc = GetDC(m_hWnd);
        if (dc != nullptr) {
            RECT client;
            GetClientRect(m_hWnd, &client);
            FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
            ReleaseDC(m_hWnd, dc);
        }
        (void)lParam;
        return 0;
    }
    default:
        return 0;
    }
}

void CMaskEdit::Replace(int position, char c)
{
    m_internalChar = true;
    SendMessageA(m_hWnd, EM_SETSEL, position, position + 1);
    const char text[2] = {c, '\0'};
    SendMessageA(m_hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    m_internalChar = false;
}

void CMaskEdit::OnTypedChar(char c)
{
    DWORD start = 0, end = 0;
    SendMessageA(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    size_t position = start;
    while (position < m_template.size() && m_template[position] != '_') ++position;
    if (position >= m_template.size() || position >= m_mask.size() ||
        (m_extraChars.find(c) == std::string::npos && !MaskAccepts(m_mask[position], c))) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    Replace(static_cast<int>(position), c);
    ++position;
    if (position < m_template.size() && m_template[position] != '_') ++position;
    SendMessageA(m_hWnd, EM_SETSEL, position, position);
}

void CMaskEdit::OnBackspace()
{
    DWORD start = 0, end = 0;
    SendMessageA(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start != end || start == 0 || start > m_template.size()) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    const int position = static_cast<int>(start) - 1;
    Replace(position, m_template[static_cast<size_t>(position)]);
    SendMessageA(m_hWnd, EM_SETSEL, position, position);
}
