#include "framework/window.h"
#include "framework/winapp.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

class Recorder : public CWnd {
public:
    std::vector<UINT> commands;
    bool created = false;
    bool ncDestroyed = false;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CREATE) {
            // The handle is known before the creation handler runs.
            created = m_hWnd != nullptr && CWnd::FromHandle(m_hWnd) == this;
            return 0;
        }
        if (message == WM_APP) throw std::runtime_error("handler failed");
        if (message == WM_APP + 1) return 42;
        return CWnd::OnMessage(message, wParam, lParam);
    }
    bool OnCommand(UINT id, UINT, HWND) override
    {
        commands.push_back(id);
        return true;
    }
    void PostNcDestroy() override { ncDestroyed = true; }
};

RECT NoRect()
{
    RECT r = {0, 0, 0, 0};
    return r;
}

TEST(Window, ObjectIsBoundAtCreationAndMessagesReachItsHandlers)
{
    Recorder window;
    const std::string cls = CWnd::RegisterWndClass(CS_HREDRAW);
    ASSERT_FALSE(cls.empty());
    EXPECT_EQ(CWnd::RegisterWndClass(CS_HREDRAW), cls);  // registered once, same name
    ASSERT_TRUE(window.CreateEx(WS_EX_TOOLWINDOW, cls, "Recorder", WS_POPUP, NoRect(), nullptr, 0));
    EXPECT_TRUE(window.created);

    SendMessageA(window.m_hWnd, WM_COMMAND, MAKEWPARAM(32778, 0), 0);
    SendMessageA(window.m_hWnd, WM_COMMAND, MAKEWPARAM(57665, 0), 0);
    EXPECT_EQ(window.commands, (std::vector<UINT>{32778, 57665}));
    EXPECT_EQ(SendMessageA(window.m_hWnd, WM_APP + 1, 0, 0), 42);

    // A throwing handler is contained: the caller gets the default answer.
    EXPECT_EQ(SendMessageA(window.m_hWnd, WM_APP, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window.m_hWnd));

    HWND handle = window.m_hWnd;
    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_TRUE(window.ncDestroyed);
    EXPECT_EQ(CWnd::FromHandle(handle), nullptr);
}

TEST(Window, DestroyingTheMainWindowEndsTheMessageLoop)
{
    CWinApp app("FrameworkTest");
    Recorder window;
    ASSERT_TRUE(window.CreateEx(0, CWnd::RegisterWndClass(0), "Main", WS_POPUP, NoRect(), nullptr, 0));
    app.m_mainWnd = &window;
    window.DestroyWindow();
    EXPECT_EQ(app.m_mainWnd, nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

}  // namespace
