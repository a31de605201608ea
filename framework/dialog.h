// Modal dialog base: the template comes from the resource module by id;
// subclasses fill controls in OnInitDialog and read them in OnOK. Running a
// dialog that is already open only brings it to the top.
#pragma once

#include <windows.h>

#include <string>

class CDialog {
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog and returns how it ended (IDOK, IDCANCEL or the code
    // given to EndDialog); -1 when it could not be made. When it is already
    // open it is brought to the top and the call returns -1 at once.
    INT_PTR DoModal(HWND parent);
    bool IsOpen() const { return m_hWnd != nullptr; }
    void BringToTop();
    void EndDialog(INT_PTR result);

    UINT TemplateId() const { return m_templateId; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND GetDlgItem(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;

protected:
    // TRUE lets the system put the focus on the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Opens the help file at this dialog's topic.
    virtual void OnHelp();
    // Commands other than OK, Cancel and Help; true when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // Every other message; TRUE when handled, with the answer in `result`.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
};

// The help context of a dialog's topic.
inline DWORD DialogHelpContext(UINT templateId)
{
    return 0x20000 + templateId;
}
