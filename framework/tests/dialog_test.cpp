#include "framework/dialog.h"
#include "framework/winapp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const UINT kTemplate = 700;
const int kEdit = 1001;
const UINT kReopen = WM_APP + 5;

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(kTemplate) {}
    std::string initialText = "hello";
    std::string textAtOK;
    INT_PTR secondRun = 0;
    int dialogsWhileOpen = 0;

protected:
    BOOL OnInitDialog() override
    {
        SetDlgItemText(kEdit, initialText);
        // Once the dialog runs, ask for it again, then press OK.
        PostMessageA(m_hWnd, kReopen, 0, 0);
        return TRUE;
    }
    BOOL OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override
    {
        if (message != kReopen) return FALSE;
        secondRun = DoModal(nullptr);
        dialogsWhileOpen = CountDialogs();
        SetDlgItemText(kEdit, "changed");
        PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        result = 0;
        return TRUE;
    }
    void OnOK() override
    {
        textAtOK = GetDlgItemText(kEdit);
        CDialog::OnOK();
    }

    static int CountDialogs()
    {
        int count = 0;
        HWND w = nullptr;
        while ((w = FindWindowExA(nullptr, w, "#32770", "Framework Test Dialog")) != nullptr) ++count;
        return count;
    }
};

TEST(Dialog, RunsFromTheResourceModuleAndASecondRunOnlyRaisesIt)
{
    SetResourceModule(nullptr);  // the test program carries the template
    TestDialog dialog;
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(dialog.secondRun, -1);
    EXPECT_EQ(dialog.dialogsWhileOpen, 1);
    EXPECT_EQ(dialog.textAtOK, "changed");
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(DialogHelpContext(143), 0x2008Fu);
}

TEST(Dialog, MissingTemplateFails)
{
    CDialog missing(12345);
    EXPECT_EQ(missing.DoModal(nullptr), -1);
    EXPECT_FALSE(missing.IsOpen());
}

}  // namespace
