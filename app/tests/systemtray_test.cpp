#include "app/appmessages.h"
#include "app/systemtray.h"
#include "app/trayarea.h"
#include "app/vantrelapp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

RECT Rect(LONG l, LONG t, LONG r, LONG b)
{
    RECT rect = {l, t, r, b};
    return rect;
}

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(TrayArea, TakesTheBestRectangleTheSystemOffers)
{
    TaskbarFacts bottomBar;  // horizontal taskbar, clock at the right end of the area
    bottomBar.haveTray = true;
    bottomBar.tray = Rect(0, 770, 1280, 800);
    bottomBar.haveNotify = true;
    bottomBar.notify = Rect(1100, 772, 1278, 798);
    bottomBar.haveClock = true;
    bottomBar.clock = Rect(1220, 774, 1276, 796);

    TaskbarFacts leftBar;  // vertical taskbar, clock on top of the area
    leftBar.haveTray = true;
    leftBar.tray = Rect(0, 0, 60, 800);
    leftBar.haveNotify = true;
    leftBar.notify = Rect(2, 600, 58, 798);
    leftBar.haveClock = true;
    leftBar.clock = Rect(4, 602, 56, 640);

    TaskbarFacts trayOnly;  // no notification window, no clock
    trayOnly.haveTray = true;
    trayOnly.tray = Rect(0, 770, 1280, 800);

    TaskbarFacts shellBottom;
    shellBottom.haveBar = true;
    shellBottom.bar = Rect(0, 770, 1280, 800);
    shellBottom.edge = ABE_BOTTOM;
    TaskbarFacts shellRight = shellBottom;
    shellRight.bar = Rect(1220, 0, 1280, 800);
    shellRight.edge = ABE_RIGHT;
    TaskbarFacts shellOdd = shellBottom;
    shellOdd.edge = 9;
    shellOdd.workArea = Rect(0, 0, 1280, 770);

    TaskbarFacts nothing;
    nothing.workArea = Rect(0, 0, 1280, 800);

    const struct {
        const char* name;
        TaskbarFacts facts;
        RECT expected;
    } cases[] = {
        {"horizontal taskbar", bottomBar, Rect(1100, 772, 1220, 798)},
        {"vertical taskbar", leftBar, Rect(2, 640, 58, 798)},
        {"taskbar alone", trayOnly, Rect(0, 770, 1280, 800)},
        {"shell, bottom edge", shellBottom, Rect(1180, 770, 1264, 800)},
        {"shell, right edge", shellRight, Rect(1220, 700, 1280, 784)},
        {"shell, unknown edge", shellOdd, Rect(1130, 740, 1280, 770)},
        {"work area only", nothing, Rect(1130, 770, 1280, 800)},
    };
    for (const auto& c : cases) {
        const RECT got = trayAreaFromFacts(c.facts);
        EXPECT_TRUE(Same(got, c.expected))
            << c.name << ": " << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
}

TEST(TrayArea, HiddenTaskbarFallsBackToTheWorkArea)
{
    // Here the shell's taskbar, when there is one, is hidden and has no size.
    const TaskbarFacts facts = readTaskbarFacts();
    EXPECT_FALSE(facts.haveTray);
    RECT rect;
    trayAreaRect(rect);
    EXPECT_GT(rect.right, rect.left);
    EXPECT_GT(rect.bottom, rect.top);
    EXPECT_LE(rect.right, GetSystemMetrics(SM_CXVIRTUALSCREEN) + GetSystemMetrics(SM_XVIRTUALSCREEN));
}

struct NotifyCall {
    DWORD message;
    UINT id;
    UINT flags;
    std::string tip;
};
std::vector<NotifyCall> g_calls;
BOOL g_notifyResult = TRUE;

BOOL WINAPI FakeNotify(DWORD message, PNOTIFYICONDATAA data)
{
    g_calls.push_back({message, data->uID, data->uFlags, data->szTip});
    return g_notifyResult;
}

// Stands for the main frame: records what the tray icon asks of it.
class FakeFrame : public CWnd {
public:
    std::vector<UINT> received;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == FM_SET_BUSY || message == FM_TRAY_MENU || message == FM_ACTIVATE_POPUP) {
            received.push_back(message == FM_SET_BUSY ? message + static_cast<UINT>(wParam) : message);
            return 1;
        }
        if (message == WM_COMMAND) {
            received.push_back(LOWORD(wParam));
            return 0;
        }
        return CWnd::OnMessage(message, wParam, lParam);
    }
};

class Tray : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        g_notifyResult = TRUE;
        m_saved = CSystemTray::s_notify;
        CSystemTray::s_notify = &FakeNotify;
        const RECT none = {0, 0, 0, 0};
        ASSERT_TRUE(m_frame.CreateEx(0, CWnd::RegisterWndClass(0), "FakeFrame", WS_POPUP, none, nullptr, 0));
    }
    void TearDown() override
    {
        m_frame.DestroyWindow();
        CSystemTray::s_notify = m_saved;
    }
    // Lets posted messages reach the fake frame.
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    BOOL(WINAPI* m_saved)(DWORD, PNOTIFYICONDATAA) = nullptr;
    FakeFrame m_frame;
};

TEST_F(Tray, IconIsAddedCutToItsTipAndAddedAgainForANewTaskbar)
{
    {
        CSystemTray tray;
        const std::string longTip(70, 't');
        ASSERT_TRUE(tray.Create(&m_frame, FM_TRAY_NOTIFY, longTip.c_str(), nullptr, 134, false));
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_EQ(g_calls[0].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(g_calls[0].id, 134u);
        EXPECT_EQ(g_calls[0].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(g_calls[0].tip, std::string(63, 't'));
        EXPECT_EQ(tray.iconData().hWnd, m_frame.m_hWnd);

        // The taskbar restarts: the icon comes back with its first flags.
        SendMessageA(tray.m_hWnd, TaskbarCreatedMessage(), 0, 0);
        ASSERT_EQ(g_calls.size(), 2u);
        EXPECT_EQ(g_calls[1].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(g_calls[1].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));

        // Removed on purpose: it stays away, and is not removed twice.
        EXPECT_TRUE(tray.RemoveIcon());
        EXPECT_FALSE(tray.isShown());
        SendMessageA(tray.m_hWnd, TaskbarCreatedMessage(), 0, 0);
        ASSERT_EQ(g_calls.size(), 3u);
        EXPECT_EQ(g_calls[2].message, static_cast<DWORD>(NIM_DELETE));
        tray.DestroyWindow();
    }
    EXPECT_EQ(g_calls.size(), 3u);
}

TEST_F(Tray, FailedAddIsTriedAgainWhenTheWorkAreaChanges)
{
    CSystemTray tray;
    g_notifyResult = FALSE;
    EXPECT_FALSE(tray.Create(&m_frame, FM_TRAY_NOTIFY, "Vantrel", nullptr, 134, false));
    EXPECT_FALSE(tray.isShown());
    g_notifyResult = TRUE;
    SendMessageA(tray.m_hWnd, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(tray.isShown());
    // Once shown, a work-area change adds nothing.
    SendMessageA(tray.m_hWnd, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(g_calls.size(), 2u);
    tray.RemoveIcon();
}

TEST_F(Tray, ClicksOpenTheMenuRunTheDefaultOrRaiseTheOpenDialog)
{
    CVantrelApp* app = VantrelApp();
    ASSERT_NE(app, nullptr);
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 32781, "Log In");
    AppendMenuA(popup, MF_STRING, 57665, "Exit");
    app->trayPopup = popup;

    CSystemTray tray;
    ASSERT_TRUE(tray.Create(&m_frame, FM_TRAY_NOTIFY, "Vantrel", nullptr, 134, false));
    tray.SetNotificationWnd(&m_frame);

    EXPECT_EQ(tray.OnTrayNotification(135, WM_RBUTTONUP), 0);  // another icon
    app->engineReady = 0;
    EXPECT_EQ(tray.OnTrayNotification(134, WM_RBUTTONUP), 0);  // engine busy
    app->engineReady = 1;
    Pump();
    EXPECT_TRUE(m_frame.received.empty());

    EXPECT_EQ(tray.OnTrayNotification(134, WM_RBUTTONUP), 1);
    Pump();
    EXPECT_EQ(m_frame.received, (std::vector<UINT>{FM_SET_BUSY + 1, FM_TRAY_MENU}));
    EXPECT_EQ(GetMenuDefaultItem(popup, TRUE, 0), 0u);

    m_frame.received.clear();
    EXPECT_EQ(tray.OnTrayNotification(134, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(m_frame.received, (std::vector<UINT>{32781}));

    // With a dialog of the frame open, either click only raises it; the
    // pointer passing over the icon does nothing at all.
    HWND dialog = CreateWindowExA(0, "STATIC", "Dialog", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, m_frame.m_hWnd,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    m_frame.received.clear();
    const UINT passing[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MBUTTONUP};
    for (const UINT message : passing) EXPECT_EQ(tray.OnTrayNotification(134, message), 1) << message;
    Pump();
    EXPECT_TRUE(m_frame.received.empty());
    EXPECT_EQ(tray.OnTrayNotification(134, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(tray.OnTrayNotification(134, WM_RBUTTONUP), 0);
    Pump();
    EXPECT_EQ(m_frame.received, (std::vector<UINT>{FM_ACTIVATE_POPUP, FM_ACTIVATE_POPUP}));
    DestroyWindow(dialog);

    tray.RemoveIcon();
    app->trayPopup = nullptr;
    DestroyMenu(popup);
}

}  // namespace
