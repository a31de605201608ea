// Dialog base: a framework window made from a dialog template of the
// resource module. Modal dialogs run the framework's own modal loop, so the
// windows' PreTranslateMessage sees keys before the dialog manager does;
// modeless ones (pages inside another window) are made with Create and
// removed with DestroyWindow. Subclasses fill controls in OnInitDialog and
// read them in OnOK. Running a dialog that is already open only brings it to
// the top.
#pragma once

#include "framework/helppages.h"
#include "framework/window.h"

#include <windows.h>

#include <string>

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    ~CDialog() override;

    // Runs the dialog and returns how it ended (IDOK, IDCANCEL or the code
    // given to EndDialog; IDCANCEL when the window went another way or the
    // loop met WM_QUIT, which is posted again); -1 when it could not be
    // made. When it is already open it is brought to the top and the call
    // returns -1 at once. `parent`'s top-level window is disabled meanwhile.
    INT_PTR DoModal(HWND parent);
    // Makes the dialog without a modal loop, as the template's style says
    // (a WS_CHILD template gives a child of `parent`). False when it is
    // already open or could not be made.
    bool Create(HWND parent);
    bool IsOpen() const { return m_hWnd != nullptr; }
    void BringToTop();
    // Ends a modal run with `result`; a modeless dialog is only hidden.
    void EndDialog(INT_PTR result);

    UINT TemplateId() const { return m_templateId; }

    HWND GetDlgItem(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;

    // A modeless dialog hands its keys to the dialog manager (Tab moves
    // between its controls); a modal one leaves that to its loop.
    bool PreTranslateMessage(MSG* msg) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // TRUE lets the system put the focus on the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Opens the user guide at this dialog's page.
    virtual void OnHelp();
    // Commands other than OK, Cancel and Help; true when handled.
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Every other message; TRUE when handled, with the answer in `result`.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    bool InModalLoop() const { return m_inModalLoop; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateFromTemplate(HWND parent);
    void RunModalLoop();
    void ReenableOwner();

    UINT m_templateId;
    bool m_inModalLoop = false;
    bool m_endModal = false;
    INT_PTR m_modalResult = IDCANCEL;
    // The window DoModal disabled, enabled again before the dialog hides so
    // that the activation returns to it.
    HWND m_disabledOwner = nullptr;
};

// The help context of a dialog's topic.
inline DWORD DialogHelpContext(UINT templateId)
{
    return HelpContextOf(templateId);
}
