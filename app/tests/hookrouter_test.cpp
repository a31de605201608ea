// Event sequences through the routing, with a port that records what the
// worker would do to the windows.
#include "app/hookrouter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

HWND W(UINT_PTR value)
{
    return reinterpret_cast<HWND>(value);
}

const HWND kEdit = W(0x100);      // where the user right-clicks
const HWND kOther = W(0x200);     // another program's window
const HWND kPopup = W(0x300);     // the foreign pop-up menu
const HWND kPopup2 = W(0x310);    // a second pop-up
const HWND kRootMenu = W(0x400);  // our root menu window
const HWND kFocus = W(0x110);     // the control with the keyboard focus, beside kEdit

class FakePort : public HookRoutingPort {
public:
    HWND findForeignPopup() override { return popup; }
    bool isPopupClass(HWND window) override { return window == kPopup || window == kPopup2; }
    bool isMenuWindow(HWND window) override { return shown && window == kRootMenu; }
    bool isWindow(HWND window) override { return gone.count(window) == 0; }
    bool isVisible(HWND window) override { return window != popup || popupVisible; }
    bool windowRect(HWND window, RECT& rect) override
    {
        if (window != popup) return false;
        rect = popupRect;
        return true;
    }
    // kOther belongs to another program; the rest to the one with the pop-up.
    bool sameThread(HWND first, HWND second) override { return (first == kOther) == (second == kOther); }
    HWND focusWindow() override { return focus; }
    DWORD now() override { return clock; }
    bool menusShown() override { return shown; }
    void closeMenus() override
    {
        shown = false;
        log.push_back("close");
    }
    bool showRoot(HWND anchor, HWND popupWindow, int x, int y) override
    {
        shown = showSucceeds;
        showAnchor = anchor;
        showPopup = popupWindow;
        log.push_back("show " + std::to_string(x) + "," + std::to_string(y));
        return showSucceeds;
    }
    void forwardToMenu(HWND, UINT message, int x, int y) override
    {
        log.push_back("forward " + std::to_string(message) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void dismissPopup(HWND window) override
    {
        if (window == popup) popup = nullptr;
        log.push_back("dismiss");
    }
    void requeue(const HookMouseEvent& event) override { requeued.push_back(event); }
    void mouseLeftMenus() override { log.push_back("left"); }

    HWND popup = nullptr;
    bool popupVisible = true;
    RECT popupRect = {200, 300, 360, 420};
    HWND focus = kFocus;
    DWORD clock = 1000;
    bool shown = false;
    bool showSucceeds = true;
    std::set<HWND> gone;
    HWND showAnchor = nullptr;
    HWND showPopup = nullptr;
    std::vector<std::string> log;
    std::vector<HookMouseEvent> requeued;
};

HookMouseEvent Event(UINT message, HWND window, int x = 10, int y = 20, UINT flag = 0)
{
    HookMouseEvent e = {};
    e.message = message;
    e.x = x;
    e.y = y;
    e.window = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window));
    e.injected = flag;
    return e;
}

class HookRouterTest : public ::testing::Test {
protected:
    void Route(UINT message, HWND window, int x = 10, int y = 20, UINT flag = 0)
    {
        router.route(Event(message, window, x, y, flag));
    }
    // The system says a pop-up started; the pointer is at x, y over `window`.
    void PopupStarted(HWND window = kEdit, int x = 30, int y = 40)
    {
        router.popupStarted(Event(WM_MOUSEMOVE, window, x, y));
    }
    // Right press in the edit window, its program's pop-up opens, one move.
    void OpenMenus()
    {
        Route(WM_RBUTTONDOWN, kEdit);
        port.popup = kPopup;
        Route(WM_MOUSEMOVE, kEdit, 30, 40);
        ASSERT_TRUE(port.shown);
        port.log.clear();
    }

    FakePort port;
    CHookRouter router{port};
};

TEST_F(HookRouterTest, NothingOpensWithoutAPopup)
{
    Route(WM_RBUTTONDOWN, kEdit);
    EXPECT_EQ(kEdit, router.anchorWindow());
    Route(WM_MOUSEMOVE, kEdit);
    Route(WM_NCMOUSEMOVE, kOther);
    EXPECT_FALSE(port.shown);
    EXPECT_TRUE(port.log.empty());
    // The anchor survives for the item that may run later.
    EXPECT_EQ(kEdit, router.anchorWindow());
}

TEST_F(HookRouterTest, TheFirstUnflaggedMoveAfterThePopupOpensTheMenus)
{
    Route(WM_RBUTTONDOWN, kEdit);
    port.popup = kPopup;
    Route(WM_MOUSEMOVE, kEdit, 30, 40, 1);
    EXPECT_FALSE(port.shown);
    Route(WM_LBUTTONDOWN, kPopup);  // a press on the pop-up itself changes nothing
    EXPECT_FALSE(port.shown);
    Route(WM_MOUSEMOVE, kPopup, 31, 41);
    ASSERT_TRUE(port.shown);
    EXPECT_EQ(kEdit, port.showAnchor);
    EXPECT_EQ(kPopup, port.showPopup);
    EXPECT_EQ(std::vector<std::string>({"show 31,41"}), port.log);
}

TEST_F(HookRouterTest, AnInvisibleOrVanishedPopupOrAnchorOpensNothing)
{
    Route(WM_RBUTTONDOWN, kEdit);
    port.popup = kPopup;
    port.popupVisible = false;
    Route(WM_MOUSEMOVE, kEdit);
    EXPECT_FALSE(port.shown);
    port.popupVisible = true;
    port.gone.insert(kEdit);
    Route(WM_MOUSEMOVE, kEdit, 11);
    EXPECT_FALSE(port.shown);
    port.gone.clear();
    port.showSucceeds = false;
    Route(WM_MOUSEMOVE, kEdit, 12);
    EXPECT_EQ(nullptr, router.anchorWindow());
}

TEST_F(HookRouterTest, ALeftReleaseOverThePopupActsAsAMoveAfterTheQueuedEvents)
{
    Route(WM_RBUTTONDOWN, kEdit);
    port.popup = kPopup;
    Route(WM_LBUTTONUP, kPopup, 50, 60);
    EXPECT_FALSE(port.shown);
    ASSERT_EQ(1u, port.requeued.size());
    EXPECT_EQ(static_cast<std::uint32_t>(WM_MOUSEMOVE), port.requeued[0].message);
    EXPECT_EQ(50, port.requeued[0].x);
    router.route(port.requeued[0]);
    EXPECT_TRUE(port.shown);
}

TEST_F(HookRouterTest, EventsOnTheMenusAreForwardedUnlessFlaggedOrThePopupWentAway)
{
    OpenMenus();
    Route(WM_MOUSEMOVE, kRootMenu, 5, 6, 1);
    EXPECT_TRUE(port.log.empty());
    Route(WM_MOUSEMOVE, kRootMenu, 5, 6);
    EXPECT_EQ(std::vector<std::string>({"forward 512 5,6"}), port.log);
    EXPECT_TRUE(port.shown);

    // Without a pop-up, events on the menus close them...
    port.popup = nullptr;
    port.log.clear();
    Route(WM_MOUSEMOVE, kRootMenu, 7, 8);
    EXPECT_EQ(std::vector<std::string>({"close"}), port.log);
    EXPECT_EQ(nullptr, router.anchorWindow());

    // ...except after a press on them: that press is what made Wine close
    // the pop-up, and it (with the release behind it) must reach the menu
    // to choose the item. An event elsewhere closes them.
    OpenMenus();
    Route(WM_LBUTTONDOWN, kRootMenu, 7, 8);
    port.popup = nullptr;
    Route(WM_LBUTTONUP, kRootMenu, 7, 8);
    EXPECT_EQ(std::vector<std::string>({"forward 513 7,8", "forward 514 7,8"}), port.log);
    EXPECT_TRUE(port.shown);
    port.log.clear();
    Route(WM_MOUSEMOVE, kEdit, 7, 8);
    EXPECT_EQ(std::vector<std::string>({"close"}), port.log);
}

TEST_F(HookRouterTest, ASecondRightPressElsewhereClosesBothAndBecomesTheAnchor)
{
    OpenMenus();
    Route(WM_RBUTTONDOWN, kOther);
    EXPECT_EQ(std::vector<std::string>({"close", "dismiss"}), port.log);
    EXPECT_EQ(kOther, router.anchorWindow());
    EXPECT_EQ(nullptr, router.foreignPopup());
    EXPECT_FALSE(port.shown);
}

// The worker was busy while the user right-clicked again: when the press is
// routed, the pop-up it opened is already on screen. That pop-up is the
// press's own; it stays, and the menus open against it.
TEST_F(HookRouterTest, ARightPressRoutedAfterItsOwnPopupOpenedKeepsIt)
{
    OpenMenus();
    // A log-out closed the menus and kept the anchor; the pop-up went.
    port.shown = false;
    port.popup = nullptr;
    port.gone.insert(kPopup);
    port.popup = kPopup2;
    Route(WM_RBUTTONDOWN, kOther);
    EXPECT_EQ(std::vector<std::string>(), port.log);
    EXPECT_EQ(kPopup2, router.foreignPopup());
    EXPECT_EQ(kOther, router.anchorWindow());
    Route(WM_MOUSEMOVE, kOther, 30, 40);
    EXPECT_TRUE(port.shown);
    EXPECT_EQ(kOther, port.showAnchor);
    EXPECT_EQ(kPopup2, port.showPopup);
}

TEST_F(HookRouterTest, PressesOnAPopupClassLeaveMenusAndAnchorAlone)
{
    OpenMenus();
    // kPopup2 is of a pop-up class but is not the pop-up the menus follow.
    Route(WM_LBUTTONDOWN, kPopup2);
    Route(WM_RBUTTONDOWN, kPopup2);
    EXPECT_TRUE(port.shown);
    EXPECT_EQ(kEdit, router.anchorWindow());
    EXPECT_EQ(std::vector<std::string>({"left"}), port.log);
}

TEST_F(HookRouterTest, ALeftPressOutsideClosesTheMenusAndForgetsTheAnchor)
{
    OpenMenus();
    Route(WM_NCLBUTTONDOWN, kOther);
    EXPECT_EQ(std::vector<std::string>({"close"}), port.log);
    EXPECT_EQ(nullptr, router.anchorWindow());
}

TEST_F(HookRouterTest, TheMenusFollowThePopup)
{
    OpenMenus();
    Route(WM_MOUSEMOVE, kPopup, 70, 80);
    EXPECT_EQ(std::vector<std::string>({"left"}), port.log);

    port.log.clear();
    port.popup = kPopup2;
    Route(WM_MOUSEMOVE, kPopup2);
    EXPECT_EQ(std::vector<std::string>({"close"}), port.log);
    EXPECT_EQ(nullptr, router.anchorWindow());

    OpenMenus();
    port.popup = nullptr;
    Route(WM_MOUSEMOVE, kEdit);
    EXPECT_EQ(std::vector<std::string>({"close"}), port.log);
    EXPECT_FALSE(port.shown);
}

TEST_F(HookRouterTest, APopupStartOpensTheMenusForTheRightPressBehindItWithoutAMove)
{
    Route(WM_RBUTTONDOWN, kEdit, 30, 40);
    port.clock += 40;
    port.popup = kPopup;
    PopupStarted(kPopup, 30, 40);
    ASSERT_TRUE(port.shown);
    EXPECT_EQ(kEdit, port.showAnchor);
    EXPECT_EQ(kPopup, port.showPopup);
    EXPECT_EQ(std::vector<std::string>({"show 30,40"}), port.log);
    EXPECT_EQ(kEdit, router.anchorWindow());
}

TEST_F(HookRouterTest, APopupWithNoRightPressBehindItTakesTheFocusControlAndIsClickedAtItsTop)
{
    struct Case {
        const char* name;
        HWND pressed;      // the window of an earlier right press, or null
        DWORD pressedAgo;  // ms before the pop-up started
        bool pressedGone;
    };
    const Case cases[] = {
        {"no right press at all", nullptr, 0, false},
        {"a right press in another program", kOther, 40, false},
        {"a right press that opened nothing, long before", kEdit, CHookRouter::kRightPressReachMs + 1, false},
        {"a right press on a window since destroyed", kEdit, 40, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePort fresh;
        port = fresh;
        CHookRouter keyboardRouter(port);
        if (c.pressed != nullptr) keyboardRouter.route(Event(WM_RBUTTONDOWN, c.pressed, 30, 40));
        port.clock += c.pressedAgo;
        if (c.pressedGone) port.gone.insert(c.pressed);
        port.popup = kPopup;
        keyboardRouter.popupStarted(Event(WM_MOUSEMOVE, kOther, 900, 700));
        ASSERT_TRUE(port.shown);
        EXPECT_EQ(kFocus, port.showAnchor);
        EXPECT_EQ(kFocus, keyboardRouter.anchorWindow());
        // The pop-up's top (300) stands for the click.
        EXPECT_EQ(std::vector<std::string>({"show 900,300"}), port.log);
    }
}

TEST_F(HookRouterTest, APopupStartOpensNothingWhenItCannotAttach)
{
    // No control has the focus and no right press was made.
    port.focus = nullptr;
    port.popup = kPopup;
    PopupStarted();
    EXPECT_FALSE(port.shown);

    // The pop-up closed before its start was handled.
    port.focus = kFocus;
    Route(WM_RBUTTONDOWN, kEdit);
    port.popup = nullptr;
    PopupStarted();
    EXPECT_FALSE(port.shown);
    EXPECT_EQ(kEdit, router.anchorWindow());

    // It is there but no longer visible.
    port.popup = kPopup;
    port.popupVisible = false;
    PopupStarted();
    EXPECT_FALSE(port.shown);

    // A program, not the user, right-clicked: as with its moves, nothing
    // opens until the user moves the mouse.
    port.popup = nullptr;
    port.popupVisible = true;
    Route(WM_RBUTTONDOWN, kEdit, 10, 20, 1);
    port.popup = kPopup;
    PopupStarted();
    EXPECT_FALSE(port.shown);
    EXPECT_TRUE(port.log.empty());
    Route(WM_MOUSEMOVE, kEdit, 31, 41);
    EXPECT_TRUE(port.shown);
    EXPECT_EQ(kEdit, port.showAnchor);
}

TEST_F(HookRouterTest, APopupStartAfterTheMenusAreShownChangesNothing)
{
    Route(WM_RBUTTONDOWN, kEdit);
    port.popup = kPopup;
    PopupStarted();
    ASSERT_TRUE(port.shown);
    port.log.clear();
    // Announced again, or a second pop-up (a submenu of the program's) starts.
    PopupStarted(kRootMenu);
    port.popup = kPopup2;
    PopupStarted();
    EXPECT_TRUE(port.shown);
    EXPECT_TRUE(port.log.empty());
    EXPECT_EQ(kEdit, router.anchorWindow());
    EXPECT_EQ(kPopup, router.foreignPopup());
}

}  // namespace
