// The menu window with real windows: a test host stands in for the worker
// thread, and the test posts the mouse messages the routing would post.
#include "menuview/menuhost.h"
#include "menuview/menuwnd.h"

#include "menudoc/menudocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace {

class TestHost : public CMenuWndHost {
public:
    bool engineReady() const override { return ready; }
    void itemChosen(CMenuItem* item) override { chosen.push_back(item); }

    bool ready = true;
    std::vector<CMenuItem*> chosen;
    int timerStarts = 0;
    bool timerRunning = false;
    // The last menu area told, and the calls whose area differed from the
    // menu windows on screen at that moment.
    std::vector<RECT> area;
    int areaCalls = 0;
    int areaMismatches = 0;

protected:
    void menuAreaChanged(const RECT* rects, int count) override
    {
        ++areaCalls;
        area.assign(rects, rects + count);
        std::vector<RECT> visible;
        struct Search {
            const std::string* className;
            std::vector<RECT>* rects;
        } search{&menuClassName(), &visible};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                char name[128] = {};
                RECT rect;
                if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) > 0 &&
                    *s->className == name && GetWindowRect(window, &rect))
                    s->rects->push_back(rect);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!SameRects(area, visible)) ++areaMismatches;
    }
    static bool SameRects(std::vector<RECT> a, std::vector<RECT> b)
    {
        auto less = [](const RECT& x, const RECT& y) {
            return std::tie(x.left, x.top, x.right, x.bottom) < std::tie(y.left, y.top, y.right, y.bottom);
        };
        std::sort(a.begin(), a.end(), less);
        std::sort(b.begin(), b.end(), less);
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const RECT& x, const RECT& y) {
            return x.left == y.left && x.top == y.top && x.right == y.right && x.bottom == y.bottom;
        });
    }

    void startHoverTimer(UINT) override
    {
        ++timerStarts;
        timerRunning = true;
    }
    void killHoverTimer(bool) override { timerRunning = false; }
};

void Pump()
{
    MSG msg;
    for (int round = 0; round < 5; ++round) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    }
}

LPARAM At(const CMenuItem* item)
{
    return MAKELPARAM(item->bounds.left + 30, (item->bounds.top + item->bounds.bottom) / 2);
}

class MenuWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.initMenuWindows(LoadIcon(nullptr, IDI_APPLICATION)));
        // The real pointer stays off the menus: only the test moves over them.
        SetCursorPos(0, 0);
        root = document.newMenu(nullptr);
        root->isRoot = 1;
        tools = Add(root, "Tools");
        Add(root, "", 1);
        Add(root, "Greeting");
        tools->hasSubmenu = 1;
        tools->submenu = document.newMenu(tools);
        deeper = Add(tools->submenu, "Deeper");
        deeper->hasSubmenu = 1;
        deeper->submenu = document.newMenu(deeper);
        Add(deeper->submenu, "Deepest");
        leaf = Add(tools->submenu, "Leaf");

        const WNDCLASSA wc = {0, DefWindowProcA, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr,
                              "MenuWndTestOwner"};
        RegisterClassA(&wc);
        owner = CreateWindowExA(0, "MenuWndTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, owner);
        SetForegroundWindow(owner);
        SetFocus(owner);
        Pump();
    }
    void TearDown() override
    {
        if (host.rootWindow().isShown()) host.rootWindow().close();
        DestroyWindow(owner);
    }
    CMenuItem* Add(CMenuList* list, const char* caption, int separator = 0)
    {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        item->separator = separator;
        return item;
    }
    CMenuWnd& Root() { return host.rootWindow(); }
    void ShowRoot()
    {
        const RECT anchor = {200, 300, 420, 400};
        ASSERT_TRUE(Root().showRoot(root, owner, anchor, POINT{210, 310}));
        Pump();
    }
    // The mouse rests on `item` of `window` and the delay ends.
    void Hover(CMenuWnd& window, const CMenuItem* item)
    {
        PostMessageA(window.m_hWnd, WM_MOUSEMOVE, 0, At(item));
        Pump();
        ASSERT_EQ(&window, host.hoverWindow());
        host.onHoverDelayEnded();
        Pump();
    }

    TestHost host;
    CMenuDocument document;
    CMenuList* root = nullptr;
    CMenuItem* tools = nullptr;
    CMenuItem* deeper = nullptr;
    CMenuItem* leaf = nullptr;
    HWND owner = nullptr;
};

TEST_F(MenuWndTest, RootShowsAgainstTheAnchorWithoutTakingActivationOrFocus)
{
    ShowRoot();
    CMenuWnd& menu = Root();
    ASSERT_TRUE(menu.isShown());
    EXPECT_TRUE(IsWindowVisible(menu.m_hWnd));
    EXPECT_TRUE(host.isMenuWindow(menu.m_hWnd));

    // Click in the anchor's upper half: the menu sits above the anchor, as wide.
    RECT placed;
    GetWindowRect(menu.m_hWnd, &placed);
    const int height = 2 * host.metrics().itemHeight + host.metrics().separatorHeight + 6;
    EXPECT_EQ(200, placed.left);
    EXPECT_EQ(420, placed.right);
    EXPECT_EQ(300 - height, placed.top);
    EXPECT_EQ(300, placed.bottom);

    EXPECT_EQ(owner, GetForegroundWindow());
    EXPECT_EQ(owner, GetFocus());
    EXPECT_EQ(MA_NOACTIVATE, SendMessageA(menu.m_hWnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(owner),
                                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    const LONG_PTR exStyle = GetWindowLongPtrA(menu.m_hWnd, GWL_EXSTYLE);
    EXPECT_NE(0, exStyle & WS_EX_TOPMOST);
    EXPECT_NE(0, exStyle & WS_EX_TOOLWINDOW);

    // Closing hides the window and keeps it for the next menu; a click that
    // was still on its way to the closed menu chooses nothing in the next one.
    const HWND handle = menu.m_hWnd;
    CMenuItem* greeting = root->items[2];
    PostMessageA(handle, WM_MOUSEMOVE, 0, At(greeting));
    Pump();
    PostMessageA(handle, WM_LBUTTONDOWN, MK_LBUTTON, At(greeting));
    menu.close();
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_FALSE(IsWindowVisible(handle));
    EXPECT_FALSE(host.isMenuWindow(handle));
    EXPECT_FALSE(menu.isShown());
    ShowRoot();
    EXPECT_EQ(handle, menu.m_hWnd);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_TRUE(host.isMenuWindow(handle));
    EXPECT_TRUE(host.chosen.empty());
    EXPECT_EQ(-1, menu.highlightIndex());

    host.releaseMenuWindows();
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(MenuWndTest, HoverOpensSubmenusAndOnlyAClickChoosesALeaf)
{
    ShowRoot();
    // A leaf of the root is only highlighted by hovering.
    CMenuItem* greeting = root->items[2];
    Hover(Root(), greeting);
    EXPECT_EQ(2, Root().highlightIndex());
    EXPECT_TRUE(host.chosen.empty());
    EXPECT_EQ(nullptr, Root().childWindow());

    Hover(Root(), tools);
    CMenuWnd* child = Root().childWindow();
    ASSERT_NE(nullptr, child);
    EXPECT_TRUE(IsWindowVisible(child->m_hWnd));
    EXPECT_TRUE(host.isMenuWindow(child->m_hWnd));
    EXPECT_EQ(tools->submenu, child->list());
    // To the right of its item, tops aligned.
    RECT rootRect, childRect, toolsRect = tools->bounds;
    GetWindowRect(Root().m_hWnd, &rootRect);
    GetWindowRect(child->m_hWnd, &childRect);
    MapWindowPoints(Root().m_hWnd, nullptr, reinterpret_cast<POINT*>(&toolsRect), 2);
    EXPECT_EQ(toolsRect.right, childRect.left);
    EXPECT_EQ(toolsRect.top, childRect.top);
    EXPECT_EQ(owner, GetForegroundWindow());

    PostMessageA(child->m_hWnd, WM_MOUSEMOVE, 0, At(leaf));
    PostMessageA(child->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(leaf));
    Pump();
    ASSERT_EQ(1u, host.chosen.size());
    EXPECT_EQ(leaf, host.chosen[0]);
    // The path to the chosen item stays highlighted.
    EXPECT_EQ(0, Root().highlightIndex());
}

// The hook library keeps presses on the menus from other programs by this
// area: it must hold every menu window on screen, and only those, each time
// one shows or hides.
TEST_F(MenuWndTest, TheMenuAreaIsTheShownMenuWindowsAtEveryChange)
{
    ShowRoot();
    ASSERT_EQ(1u, host.area.size());
    RECT rootRect;
    GetWindowRect(Root().m_hWnd, &rootRect);
    EXPECT_EQ(rootRect.left, host.area[0].left);
    EXPECT_EQ(rootRect.bottom, host.area[0].bottom);

    Hover(Root(), tools);
    ASSERT_NE(nullptr, Root().childWindow());
    Hover(*Root().childWindow(), deeper);
    ASSERT_NE(nullptr, Root().childWindow()->childWindow());
    EXPECT_EQ(3u, host.area.size());

    // Hovering a leaf closes the deepest submenu.
    Hover(*Root().childWindow(), leaf);
    EXPECT_EQ(nullptr, Root().childWindow()->childWindow());
    EXPECT_EQ(2u, host.area.size());

    const int callsBeforeClose = host.areaCalls;
    Root().close();
    EXPECT_GT(host.areaCalls, callsBeforeClose);
    EXPECT_TRUE(host.area.empty());
    EXPECT_EQ(0, host.areaMismatches);
}

TEST_F(MenuWndTest, MovingOnWithinTheDelayReplacesItAndHoveringALeafClosesTheOpenSubmenu)
{
    ShowRoot();
    Hover(Root(), tools);
    ASSERT_NE(nullptr, Root().childWindow());

    // Onto the submenu's first item, then on to its second within the delay:
    // the delay restarts for the same window and one hover follows.
    CMenuWnd* child = Root().childWindow();
    PostMessageA(child->m_hWnd, WM_MOUSEMOVE, 0, At(deeper));
    PostMessageA(child->m_hWnd, WM_MOUSEMOVE, 0, At(leaf));
    Pump();
    EXPECT_EQ(child, host.hoverWindow());
    host.onHoverDelayEnded();
    Pump();
    EXPECT_EQ(nullptr, child->childWindow());
    EXPECT_EQ(1, child->highlightIndex());
    EXPECT_EQ(nullptr, host.hoverWindow());

    // Back in the root on a leaf: after the delay the submenu closes.
    Hover(Root(), root->items[2]);
    EXPECT_EQ(nullptr, Root().childWindow());
    EXPECT_EQ(1u, host.pooledWindowCount());
}

TEST_F(MenuWndTest, CancellingAnotherWindowsDelayLeavesTheRunningOneAlone)
{
    ShowRoot();
    Hover(Root(), tools);
    CMenuWnd* child = Root().childWindow();
    ASSERT_NE(nullptr, child);
    PostMessageA(child->m_hWnd, WM_MOUSEMOVE, 0, At(leaf));
    Pump();
    host.cancelHoverDelay(&Root());
    EXPECT_EQ(child, host.hoverWindow());
    EXPECT_TRUE(host.timerRunning);
    host.cancelHoverDelay(child);
    EXPECT_EQ(nullptr, host.hoverWindow());
    EXPECT_FALSE(host.timerRunning);
}

TEST_F(MenuWndTest, BackOnTheOpenItemClearsTheChainAndClickingItClosesTheGrandchild)
{
    ShowRoot();
    Hover(Root(), tools);
    CMenuWnd* child = Root().childWindow();
    ASSERT_NE(nullptr, child);
    Hover(*child, deeper);
    ASSERT_NE(nullptr, child->childWindow());

    // Back on the root's open item: the submenu keeps its child but loses
    // its highlight. (A move to the same point as before would be ignored.)
    PostMessageA(Root().m_hWnd, WM_MOUSEMOVE, 0, At(tools) + 1);
    Pump();
    EXPECT_EQ(-1, child->highlightIndex());
    EXPECT_NE(nullptr, child->childWindow());

    // A click on it closes the submenu's own child.
    PostMessageA(child->m_hWnd, WM_MOUSEMOVE, 0, At(deeper));
    Pump();
    PostMessageA(Root().m_hWnd, WM_MOUSEMOVE, 0, At(tools) + 2);
    PostMessageA(Root().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(tools));
    Pump();
    EXPECT_EQ(child, Root().childWindow());
    EXPECT_EQ(nullptr, child->childWindow());
    EXPECT_EQ(-1, child->highlightIndex());
    EXPECT_TRUE(host.chosen.empty());
}

TEST_F(MenuWndTest, SeparatorsAndABusyEngineTakeNoInput)
{
    CMenuList* lines = document.newMenu(nullptr);
    Add(lines, "", 1);
    Add(lines, "", 1);
    const RECT anchor = {200, 300, 420, 400};
    ASSERT_TRUE(Root().showRoot(lines, owner, anchor, POINT{210, 390}));
    Pump();
    PostMessageA(Root().m_hWnd, WM_MOUSEMOVE, 0, At(lines->items[1]));
    PostMessageA(Root().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(lines->items[1]));
    Pump();
    EXPECT_EQ(-1, Root().highlightIndex());
    EXPECT_EQ(nullptr, host.hoverWindow());
    EXPECT_TRUE(host.chosen.empty());
    Root().close();

    ShowRoot();
    host.ready = false;
    PostMessageA(Root().m_hWnd, WM_MOUSEMOVE, 0, At(root->items[2]));
    PostMessageA(Root().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(root->items[2]));
    Pump();
    EXPECT_EQ(-1, Root().highlightIndex());
    EXPECT_TRUE(host.chosen.empty());
}

TEST_F(MenuWndTest, PaintsTheHighlightInTheSystemColour)
{
    ShowRoot();
    PostMessageA(Root().m_hWnd, WM_MOUSEMOVE, 0, At(root->items[2]));
    Pump();
    UpdateWindow(Root().m_hWnd);
    HDC dc = GetDC(Root().m_hWnd);
    const CMenuItem* item = root->items[2];
    // Right of the caption, inside the highlighted item; and in the plain one.
    const COLORREF lit = GetPixel(dc, item->bounds.right - 4, item->bounds.top + 2);
    const COLORREF plain = GetPixel(dc, root->items[0]->bounds.right - 30, root->items[0]->bounds.top + 2);
    ReleaseDC(Root().m_hWnd, dc);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), lit);
    EXPECT_EQ(GetSysColor(COLOR_MENU), plain);
}

// An arrow promises a submenu that opens: an item marked as having one but
// without a list to show gets none.
TEST_F(MenuWndTest, OnlyItemsWhoseSubmenuOpensShowTheArrow)
{
    CMenuItem* greeting = root->items[2];
    greeting->hasSubmenu = 1;
    ShowRoot();
    UpdateWindow(Root().m_hWnd);
    const int side = host.metrics().checkWidth;
    const int inset = side * 3 / 10;
    HDC dc = GetDC(Root().m_hWnd);
    // The left end of the arrow, half-way down it.
    auto arrowPixel = [&](const CMenuItem* item) {
        const int x = item->bounds.right - side + inset;
        const int y = item->bounds.top + (item->bounds.bottom - item->bounds.top - side) / 2 + inset +
                      (side - 2 * inset) / 2;
        return GetPixel(dc, x, y);
    };
    const COLORREF missing = arrowPixel(greeting);
    const COLORREF present = arrowPixel(tools);
    ReleaseDC(Root().m_hWnd, dc);
    EXPECT_EQ(GetSysColor(COLOR_MENU), missing);
    EXPECT_EQ(GetSysColor(COLOR_MENUTEXT), present);
}

}  // namespace

namespace {

// A menu font made for another script than the system's code page.
class GreekFontHost : public TestHost {
protected:
    bool readMenuFont(LOGFONTA& font) override
    {
        font = LOGFONTA{};
        font.lfHeight = -24;
        font.lfCharSet = GREEK_CHARSET;
        lstrcpyA(font.lfFaceName, "Tahoma");
        return true;
    }
};

// Captions are bytes of the system code page, whatever the font was made for:
// measured (and drawn) as the characters the system code page gives them.
TEST(MenuWndText, CaptionsAreReadInTheSystemCodePageNotTheFontsCharacterSet)
{
    GreekFontHost host;
    ASSERT_TRUE(host.initMenuWindows(nullptr));
    // 0xE9 is one letter in the Western code page and another in the Greek.
    ASSERT_NE(1253u, GetACP());
    const std::string caption(8, '\xE9');
    wchar_t expected[16] = {};
    ASSERT_EQ(8, MultiByteToWideChar(CP_ACP, 0, caption.data(), 8, expected, 16));

    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, dc);
    const HGDIOBJ old = SelectObject(dc, host.menuFont());
    SIZE wide = {0, 0}, narrow = {0, 0};
    GetTextExtentPoint32W(dc, expected, 8, &wide);
    GetTextExtentPoint32A(dc, caption.data(), 8, &narrow);
    SelectObject(dc, old);
    DeleteDC(dc);
    // The font's own conversion gives other letters of another width.
    ASSERT_NE(wide.cx, narrow.cx);
    EXPECT_EQ(wide.cx, host.measureText(caption));
    host.releaseMenuWindows();
}

// From the call that shows the root to the window painted on screen, for
// menus of 10 and 200 items. Printed for the record; the bound only catches
// a gross regression on a loaded machine.
TEST(MenuWndTiming, RootShowsWithinMilliseconds)
{
    TestHost host;
    ASSERT_TRUE(host.initMenuWindows(LoadIcon(nullptr, IDI_APPLICATION)));
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (const int items : {10, 200}) {
        CMenuDocument document;
        CMenuList* list = document.newMenu(nullptr);
        list->isRoot = 1;
        for (int i = 0; i < items; ++i) {
            CMenuItem* item = list->appendNew(0);
            item->caption = "Item number " + std::to_string(i);
            item->separator = i % 10 == 9 ? 1 : 0;
        }
        std::vector<double> times;
        for (int run = 0; run < 25; ++run) {
            const RECT anchor = {200, 700, 300, 760};
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            ASSERT_TRUE(host.rootWindow().showRoot(list, nullptr, anchor, POINT{210, 710}));
            UpdateWindow(host.rootWindow().m_hWnd);
            QueryPerformanceCounter(&end);
            times.push_back((end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
            host.rootWindow().close();
            Pump();
        }
        std::sort(times.begin(), times.end());
        std::printf("root menu of %d items shown and painted: median %.2f ms, max %.2f ms\n", items,
                    times[times.size() / 2], times.back());
        EXPECT_LT(times[times.size() / 2], 100.0);
    }
}

}  // namespace
