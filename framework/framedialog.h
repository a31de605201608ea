// A dialog that acts as a frame window: a menu bar loaded from the menu
// resource with the template's id, an accelerator table tried before the
// dialog manager sees a key, menu prompts in the status bar (child
// kStatusBarId, first part) and the status bar kept along the bottom with
// the pane (child kPaneId) filling the rest of the client area.
#pragma once

#include "framework/dialog.h"

#include <string>

class CFrameDialog : public CDialog {
public:
    static const UINT kStatusBarId = 0xE801;
    static const UINT kPaneId = 0xE900;
    static const UINT kIdlePrompt = 0xE001;
    // Sent with a prompt's string id in wParam, or a text in lParam.
    static const UINT kSetMessageString = 0x362;

    CFrameDialog(UINT templateId, UINT acceleratorId) : CDialog(templateId), m_acceleratorId(acceleratorId) {}
    ~CFrameDialog() override;

    bool PreTranslateMessage(MSG* msg) override;

    // Lays the status bar and the pane out again.
    void RecalcLayout();
    // Shows a text, or the prompt with string id `promptId`, in the status bar.
    void SetMessageText(const std::string& text);
    void SetMessageText(UINT promptId);
    // The prompt of a command: its string resource up to the first line feed.
    static std::string LoadPrompt(UINT promptId);

    HMENU Menu() const { return m_menu; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    using CDialog::OnMessage;

    HACCEL m_accelerators = nullptr;
    HMENU m_menu = nullptr;
    // Menu commands without an update or command handler are disabled.
    int m_autoMenuEnable = 1;
    UINT m_lastPrompt = 0;
    UINT m_nextPrompt = 0;
    // Border widths (left, top, right, bottom) left free around the pane.
    RECT m_layoutRect = {0, 0, 0, 0};

private:
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    void ReleaseMenuAndAccelerators();

    UINT m_acceleratorId;
    bool m_inLayout = false;
};
