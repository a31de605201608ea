// Base of the dialogs that work for a CDialogHost: messages go through the
// host, and showing and closing tell the host (for the tray animation).
#pragma once

#include "accounts/dialoghost.h"
#include "framework/dialog.h"

#include <string>

class CHostedDialog : public CDialog {
public:
    CHostedDialog(UINT templateId, CDialogHost& host, bool animate);

protected:
    int Message(UINT stringId, UINT style, const std::string& first = std::string(),
                const std::string& second = std::string());
    // Gives a control the focus; an edit's whole text is selected.
    void FocusControl(int id);
    // Ends the dialog after the host has had its closing animation.
    void Finish(INT_PTR result);
    void OnCancel() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    CDialogHost& m_host;

private:
    bool m_animate;
};
