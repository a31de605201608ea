// An edit control that takes typed characters only where its template has
// an input position ("_") and only when they fit the mask character there;
// typing overwrites, Backspace puts the template character back.
#pragma once

#include <windows.h>

#include <string>

// Whether `mask` ("0", "9", "#", "L", "?", "A", "a", "H", "X" or "&") lets
// `c` stand at its position.
bool MaskAccepts(char mask, char c);

class CMaskEdit {
public:
    CMaskEdit() = default;
    ~CMaskEdit();
    CMaskEdit(const CMaskEdit&) = delete;
    CMaskEdit& operator=(const CMaskEdit&) = delete;

    // Takes over the dialog's edit control; false when it is missing.
    bool SubclassDlgItem(int id, HWND dialog);
    void Detach();
    // Stores the three strings, shows `text` and gives the control the font
    // of its dialog.
    void SetMask(const std::string& mask, const std::string& templ, const std::string& text);
    void SetExtraChars(const std::string& extra) { m_extraChars = extra; }
    void SetUseMask(bool use) { m_useMask = use; }
    HWND GetSafeHwnd() const { return m_hWnd; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void OnTypedChar(char c);
    void OnBackspace();
    void Replace(int position, char c);

    HWND m_hWnd = nullptr;
    bool m_useMask = true;
    bool m_internalChar = false;
    std::string m_mask;
    std::string m_template;
    std::string m_extraChars;
    std::string m_initialText;
    HFONT m_font = nullptr;
};
