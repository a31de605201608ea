#include "framework/cmdui.h"
#include "framework/controls.h"
#include "framework/framedialog.h"
#include "framework/winapp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kFrameTemplate = 710;
const UINT kAccelerators = 711;
const UINT kPageTemplate = 712;
const UINT kHostTemplate = 700;
const int kEdit = 1001;
const int kPageFirst = 1101;
const int kPageSecond = 1102;
const UINT kUndo = 40001;
const UINT kPaste = 40002;
const UINT kOther = 40003;
const UINT kEscape = 40004;
const UINT kStartTimer = 1;
const UINT kSettleTimer = 2;

// The display's own activation events arrive a while after a window shows
// and may move the focus; the keys are posted only once the focus set on
// `control` has stayed there for a timer period. True when it has settled.
bool FocusSettled(HWND owner, HWND control, int& tries)
{
    KillTimer(owner, kSettleTimer);
    if (GetFocus() == control || ++tries > 40) return true;
    SetFocus(control);
    SetTimer(owner, kSettleTimer, 50, nullptr);
    return false;
}

// Steps of a script run inside the modal loop, one posted message each, so
// that they follow each other in queue order.
const UINT kStep = WM_APP + 20;

void SetControlKey(bool down)
{
    BYTE keys[256] = {};
    if (down) keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    SetKeyboardState(keys);
}

std::string StatusText(HWND bar)
{
    char text[128] = {};
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

// Handles Undo and Escape; Paste's update rule disables it; Other has no handler.
class TestFrame : public CFrameDialog {
public:
    TestFrame() : CFrameDialog(kFrameTemplate, kAccelerators) {}
    std::vector<UINT> commands;
    bool runScript = false;
    HWND focusAtUndo = nullptr;
    HWND edit = nullptr;
    int tries = 0;
    CStatusBar statusBar;

    bool HandlesCommand(UINT id) const override { return id == kUndo || id == kPaste || id == kEscape; }
    bool OnUpdateCommand(CCmdUI& ui) override
    {
        if (ui.Id() != kPaste) return false;
        ui.Enable(false);
        return true;
    }

protected:
    BOOL OnInitDialog() override
    {
        if (runScript) SetTimer(m_hWnd, kStartTimer, 10, nullptr);  // once the dialog shows
        return TRUE;
    }
    bool OnCommand(UINT id, UINT, HWND) override
    {
        if (id != kUndo && id != kEscape && id != kPaste) return false;
        commands.push_back(id);
        if (id == kUndo) focusAtUndo = GetFocus();
        if (id == kEscape) EndDialog(IDOK);  // the dialog manager would have cancelled
        return true;
    }
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        result = 0;
        if (message == WM_TIMER && wParam == kStartTimer) {
            KillTimer(m_hWnd, kStartTimer);
            edit = GetDlgItem(kEdit);
            SetFocus(edit);
            SetTimer(m_hWnd, kSettleTimer, 50, nullptr);
            return TRUE;
        }
        if (message == WM_TIMER && wParam == kSettleTimer) {
            if (!FocusSettled(m_hWnd, edit, tries)) return TRUE;
            PostMessageA(m_hWnd, kStep, 1, 0);                      // Ctrl down
            PostMessageA(edit, WM_KEYDOWN, 'V', 0x002F0001);        // Paste: disabled, not carried out
            PostMessageA(edit, WM_KEYDOWN, 'Z', 0x002C0001);        // Undo
            PostMessageA(m_hWnd, kStep, 0, 0);                      // Ctrl up
            PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);  // taken by the frame
            PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);  // fallback end
            return TRUE;
        }
        if (message == kStep) {
            SetControlKey(wParam != 0);
            return TRUE;
        }
        return FALSE;
    }
};

TEST(FrameDialog, KeysReachTheAcceleratorsBeforeTheDialogManager)
{
    SetResourceModule(nullptr);
    TestFrame frame;
    frame.runScript = true;
    SetControlKey(false);
    EXPECT_EQ(frame.DoModal(nullptr), IDOK);  // Escape became the frame's command, not Cancel
    SetControlKey(false);
    EXPECT_EQ(frame.commands, (std::vector<UINT>{kUndo, kEscape}));
    EXPECT_NE(frame.edit, nullptr);
    EXPECT_EQ(frame.focusAtUndo, frame.edit);
    EXPECT_FALSE(frame.IsOpen());
}

TEST(FrameDialog, MenuUpdatePromptsAndLayout)
{
    SetResourceModule(nullptr);
    ASSERT_TRUE(InitCommonControlsOnce());
    TestFrame frame;
    ASSERT_TRUE(frame.Create(nullptr));
    HWND window = frame.GetSafeHwnd();
    ASSERT_NE(frame.Menu(), nullptr);
    EXPECT_EQ(GetMenu(window), frame.Menu());

    // The update pass: handled stays enabled, the update rule and the
    // missing handler disable.
    HMENU edit = GetSubMenu(frame.Menu(), 0);
    ASSERT_NE(edit, nullptr);
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(0, FALSE));
    EXPECT_EQ(GetMenuState(edit, kUndo, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_NE(GetMenuState(edit, kPaste, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_NE(GetMenuState(edit, kOther, MF_BYCOMMAND) & MF_GRAYED, 0u);

    ASSERT_TRUE(frame.statusBar.Create(window, CFrameDialog::kStatusBarId));
    HWND bar = frame.statusBar.GetSafeHwnd();
    struct Case {
        UINT item;
        UINT flags;
        HMENU menu;
        const char* shown;
    };
    const Case cases[] = {
        {kUndo, MF_STRING, edit, "Undo the last edit"},  // cut at the line feed
        {0, MF_POPUP, frame.Menu(), ""},                  // a popup has no prompt
        {SC_CLOSE, MF_STRING, GetSystemMenu(window, FALSE), "Close the window"},
        {kOther, MF_STRING, edit, ""},   // no string for it
        {0, 0xFFFF, nullptr, "Ready"},   // the menu closed: the idle prompt
    };
    for (const Case& c : cases) {
        SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(c.item, c.flags), reinterpret_cast<LPARAM>(c.menu));
        EXPECT_EQ(StatusText(bar), c.shown) << "item " << c.item;
    }
    SendMessageA(window, CFrameDialog::kSetMessageString, 0, reinterpret_cast<LPARAM>("Busy"));
    EXPECT_EQ(StatusText(bar), "Busy");

    // Resizing keeps the bar along the bottom and gives the pane the rest.
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT client, barRect, pane;
    GetClientRect(window, &client);
    GetWindowRect(bar, &barRect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&barRect), 2);
    GetWindowRect(GetDlgItem(window, CFrameDialog::kPaneId), &pane);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&pane), 2);
    EXPECT_EQ(barRect.bottom, client.bottom);
    EXPECT_EQ(pane.left, 0);
    EXPECT_EQ(pane.top, 0);
    EXPECT_EQ(pane.right, client.right);
    EXPECT_EQ(pane.bottom, barRect.top);

    EXPECT_TRUE(frame.DestroyWindow());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(frame.IsOpen());
    EXPECT_EQ(frame.Menu(), nullptr);
}

// A page in a plain framework window (like a tool palette) while a modal
// dialog runs: Tab moves between its controls though no dialog manager of
// the modal dialog covers it.
class Page : public CDialog {
public:
    Page() : CDialog(kPageTemplate) {}
};

class PageHost : public CDialog {
public:
    PageHost() : CDialog(kHostTemplate) {}
    CWnd palette;
    Page page;
    bool created = false;
    bool childOfPalette = false;
    HWND focusAfterTab = nullptr;
    HWND second = nullptr;
    bool destroyed = false;
    HWND first = nullptr;
    int tries = 0;

protected:
    BOOL OnInitDialog() override
    {
        SetTimer(m_hWnd, kStartTimer, 10, nullptr);
        return TRUE;
    }
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        result = 0;
        if (message == WM_TIMER && wParam == kStartTimer) {
            KillTimer(m_hWnd, kStartTimer);
            RECT r = {0, 0, 300, 120};
            if (!palette.CreateEx(WS_EX_TOOLWINDOW, CWnd::RegisterWndClass(CS_HREDRAW), "Palette",
                                  WS_POPUP | WS_CAPTION | WS_VISIBLE, r, m_hWnd, 0)) {
                EndDialog(IDABORT);
                return TRUE;
            }
            created = page.Create(palette.m_hWnd);
            if (!created) {
                EndDialog(IDABORT);
                return TRUE;
            }
            childOfPalette = GetParent(page.GetSafeHwnd()) == palette.m_hWnd;
            second = page.GetDlgItem(kPageSecond);
            first = page.GetDlgItem(kPageFirst);
            SetFocus(first);
            SetTimer(m_hWnd, kSettleTimer, 50, nullptr);
            return TRUE;
        }
        if (message == WM_TIMER && wParam == kSettleTimer) {
            if (!FocusSettled(m_hWnd, first, tries)) return TRUE;
            PostMessageA(first, WM_KEYDOWN, VK_TAB, 0x000F0001);
            PostMessageA(m_hWnd, kStep, 0, 0);
            return TRUE;
        }
        if (message == kStep) {
            focusAfterTab = GetFocus();
            destroyed = page.DestroyWindow() && !page.IsOpen();
            palette.DestroyWindow();
            EndDialog(IDOK);
            return TRUE;
        }
        return FALSE;
    }
};

TEST(FrameDialog, ModelessChildDialogTabsBetweenItsControls)
{
    SetResourceModule(nullptr);
    SetControlKey(false);
    PageHost host;
    EXPECT_EQ(host.DoModal(nullptr), IDOK);
    EXPECT_TRUE(host.created);
    EXPECT_TRUE(host.childOfPalette);
    EXPECT_NE(host.second, nullptr);
    EXPECT_EQ(host.focusAfterTab, host.second);
    EXPECT_TRUE(host.destroyed);
}

}  // namespace
