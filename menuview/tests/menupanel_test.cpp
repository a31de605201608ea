// The designer's panels with real windows on a stand-in canvas: a plain
// window that records what the panels tell it and scrolls its offsets in
// steps of 10 pixels within a range, as the designer's canvas does.
#include "menuview/itempainter.h"
#include "menuview/menupanel.h"
#include "menuview/panelcanvas.h"

#include "framework/ansitext.h"
#include "framework/tests/gdicount.h"
#include "menudoc/menudocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

void Pump()
{
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    }
}

struct Forwarded {
    UINT message;
    WPARAM keys;
    POINT point;
};

struct Scrolled {
    UINT message;
    UINT code;
};

class StandInCanvas : public IPanelCanvas {
public:
    StandInCanvas(int width, int height)
    {
        const WNDCLASSA wc = {0, &StandInCanvas::Proc, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr,
                              nullptr, "PanelTestCanvas"};
        RegisterClassA(&wc);
        m_window = CreateWindowExA(0, "PanelTestCanvas", "canvas", WS_POPUP | WS_VISIBLE, 20, 20, width, height,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_className = CWnd::RegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW));
        m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        m_measure = CreateCompatibleDC(nullptr);
        m_oldFont = SelectObject(m_measure, m_font);
        m_metrics.itemHeight = GetSystemMetrics(SM_CYMENU) - 2;
        m_metrics.separatorHeight = m_metrics.itemHeight / 2;
        m_metrics.checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
        m_metrics.iconWidth = GetSystemMetrics(SM_CXSMICON);
        m_metrics.iconHeight = GetSystemMetrics(SM_CYSMICON);
    }
    ~StandInCanvas()
    {
        SelectObject(m_measure, m_oldFont);
        DeleteDC(m_measure);
        DestroyWindow(m_window);
    }

    HWND canvasWindow() const override { return m_window; }
    const std::string& panelClassName() const override { return m_className; }
    HFONT menuFont() const override { return m_font; }
    const MenuMetrics& metrics() const override { return m_metrics; }
    long measureText(const std::string& text) override
    {
        measured.push_back(text);
        return width(text);
    }
    // The width without counting it as the panels' measuring.
    long width(const std::string& text) const { return AnsiTextWidth(m_measure, text); }
    HICON rootIcon() const override { return LoadIcon(nullptr, IDI_APPLICATION); }
    long offsetX() const override { return -10L * posX; }
    long offsetY() const override { return -10L * posY; }
    CMenuPanel* activePanel() const override { return active; }
    int activeIndex() const override { return activeIndexValue; }
    void clearActive() override
    {
        active = nullptr;
        activeIndexValue = -1;
        ++clears;
    }
    void setActive(CMenuPanel* panel, int index, const RECT& target) override
    {
        active = panel;
        activeIndexValue = index;
        activeTarget = target;
        ++marks;
    }
    void addPanel(CMenuPanel* panel) override { panels.push_back(panel); }
    void removePanel(CMenuPanel* panel) override
    {
        panels.erase(std::remove(panels.begin(), panels.end(), panel), panels.end());
        removed.push_back(panel);
    }
    void updateExtent() override { ++extentUpdates; }
    void panelMouse(UINT message, WPARAM keys, POINT point) override { forwarded.push_back({message, keys, point}); }
    void panelHitTest(POINT) override { ++hitTests; }

    RECT client() const
    {
        RECT rect = {0, 0, 0, 0};
        GetClientRect(m_window, &rect);
        return rect;
    }

    int posX = 0;
    int posY = 0;
    int maxX = 0;
    int maxY = 0;
    // A canvas gone wrong keeps answering scroll steps; the walk must end
    // anyway. Past this many steps the view stops moving, so a walk that
    // does not end by itself ends the test with a count far too high
    // instead of hanging it.
    int stepLimit = 1000;
    std::vector<Scrolled> scrolls;
    std::vector<CMenuPanel*> panels;
    std::vector<CMenuPanel*> removed;
    std::vector<Forwarded> forwarded;
    std::vector<std::pair<WPARAM, LPARAM>> selections;
    std::vector<std::string> measured;
    CMenuPanel* active = nullptr;
    int activeIndexValue = -1;
    RECT activeTarget = {0, 0, 0, 0};
    int marks = 0;
    int clears = 0;
    int extentUpdates = 0;
    int hitTests = 0;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<StandInCanvas*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr) {
            if (message == WM_VSCROLL || message == WM_HSCROLL) {
                self->Scroll(message, LOWORD(wParam));
                return 0;
            }
            if (message == DM_ITEMSELECTED) {
                self->selections.emplace_back(wParam, lParam);
                return 0;
            }
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    void Scroll(UINT message, UINT code)
    {
        scrolls.push_back({message, code});
        if (static_cast<int>(scrolls.size()) > stepLimit) return;
        int& pos = message == WM_VSCROLL ? posY : posX;
        const int limit = message == WM_VSCROLL ? maxY : maxX;
        if (code == SB_LINEDOWN || code == SB_LINERIGHT) pos = std::min(pos + 1, limit);
        if (code == SB_LINEUP || code == SB_LINELEFT) pos = std::max(pos - 1, 0);
        for (CMenuPanel* panel : panels) panel->moveToOffsets();
    }

    HWND m_window = nullptr;
    std::string m_className;
    HFONT m_font = nullptr;
    HDC m_measure = nullptr;
    HGDIOBJ m_oldFont = nullptr;
    MenuMetrics m_metrics;
};

LPARAM At(const CMenuItem* item)
{
    return MAKELPARAM(item->bounds.left + 10, (item->bounds.top + item->bounds.bottom) / 2);
}

// The panel's rectangle inside the canvas's client area.
RECT PlacedRect(const CMenuPanel& panel, const StandInCanvas& canvas)
{
    RECT rect;
    GetWindowRect(panel.m_hWnd, &rect);
    MapWindowPoints(nullptr, canvas.canvasWindow(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool InView(const RECT& target, const RECT& client)
{
    return target.left >= 0 && target.top >= 0 && target.right <= client.right && target.bottom <= client.bottom;
}

class MenuPanelTest : public ::testing::Test {
protected:
    MenuPanelTest() : canvas(400, 300) {}

    void SetUp() override
    {
        root = document.newMenu(nullptr);
        root->isRoot = 1;
        tools = Add(root, "Tools");
        files = Add(root, "Files");
        Add(root, "", 1);
        greeting = Add(root, "Greeting");
        tools->hasSubmenu = 1;
        tools->submenu = document.newMenu(tools);
        deeper = Add(tools->submenu, "Deeper");
        deeper->hasSubmenu = 1;
        deeper->submenu = document.newMenu(deeper);
        Add(deeper->submenu, "Deepest");
        Add(tools->submenu, "Leaf");
        files->hasSubmenu = 1;
        files->submenu = document.newMenu(files);
        Add(files->submenu, "Recent");
    }
    void TearDown() override { rootPanel.close(); }

    CMenuItem* Add(CMenuList* list, const char* caption, int separator = 0)
    {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        item->separator = separator;
        return item;
    }
    void ShowRoot()
    {
        ASSERT_TRUE(rootPanel.create(&canvas, root, nullptr, 0, 0, -1));
        canvas.addPanel(&rootPanel);
        Pump();
    }
    void Press(CMenuPanel& panel, const CMenuItem* item, WPARAM keys = MK_LBUTTON)
    {
        SendMessageA(panel.m_hWnd, WM_LBUTTONDOWN, keys, At(item));
    }

    CMenuDocument document;
    StandInCanvas canvas;
    CMenuPanel rootPanel;
    CMenuList* root = nullptr;
    CMenuItem* tools = nullptr;
    CMenuItem* files = nullptr;
    CMenuItem* greeting = nullptr;
    CMenuItem* deeper = nullptr;
};

TEST_F(MenuPanelTest, TheRootPanelIsAlwaysOneHundredWideAndOthersFitTheirCaptions)
{
    canvas.maxX = canvas.maxY = 10;
    canvas.posX = 2;
    canvas.posY = 3;
    for (const std::string& caption : {std::string("A"), std::string(80, 'W')}) {
        greeting->caption = caption;
        tools->submenu->items[1]->caption = caption;
        ShowRoot();
        EXPECT_EQ(&rootPanel, root->panel);
        EXPECT_EQ(100, rootPanel.position().right - rootPanel.position().left) << caption;
        EXPECT_NE(0, GetWindowLongPtrA(rootPanel.m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        // Drawn where the scroll offsets put it.
        const RECT placed = PlacedRect(rootPanel, canvas);
        EXPECT_EQ(-20, placed.left);
        EXPECT_EQ(-30, placed.top);
        EXPECT_EQ(100, placed.right - placed.left);

        rootPanel.openChild(0, true);
        CMenuPanel* child = rootPanel.childPanel();
        ASSERT_NE(nullptr, child);
        const long captionWidth = canvas.measureText(caption);
        const long contentWidth = std::max(captionWidth, canvas.measureText("Deeper")) + 3 * canvas.metrics().checkWidth;
        EXPECT_EQ(contentWidth + 6, child->position().right - child->position().left) << caption;
        // Beside its item, tops aligned.
        EXPECT_EQ(rootPanel.position().left + tools->bounds.right, child->position().left);
        EXPECT_EQ(rootPanel.position().top + tools->bounds.top, child->position().top);
        EXPECT_EQ(tools, child->openerItem());
        EXPECT_EQ(&rootPanel, child->parentPanel());
        rootPanel.close();
    }
}

TEST_F(MenuPanelTest, PressingTheOpenItemKeepsItsPanelAndPressingAnotherReplacesIt)
{
    ShowRoot();
    Press(rootPanel, tools);
    CMenuPanel* toolsPanel = rootPanel.childPanel();
    ASSERT_NE(nullptr, toolsPanel);
    EXPECT_EQ(tools->submenu, toolsPanel->list());
    EXPECT_EQ(toolsPanel, tools->submenu->panel);
    EXPECT_TRUE(IsWindowVisible(toolsPanel->m_hWnd));
    EXPECT_EQ(0, rootPanel.openedIndex());
    EXPECT_EQ(&rootPanel, canvas.active);
    EXPECT_EQ(0, canvas.activeIndexValue);
    ASSERT_EQ(1u, canvas.selections.size());
    EXPECT_EQ(0u, canvas.selections[0].first);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&rootPanel), canvas.selections[0].second);
    EXPECT_EQ((std::vector<CMenuPanel*>{&rootPanel, toolsPanel}), canvas.panels);

    // Pressed again, and with its own submenu's panel open below.
    toolsPanel->openChild(0, true);
    ASSERT_NE(nullptr, toolsPanel->childPanel());
    Press(rootPanel, tools);
    EXPECT_EQ(toolsPanel, rootPanel.childPanel());
    EXPECT_NE(nullptr, toolsPanel->childPanel());
    EXPECT_EQ(1u, canvas.selections.size()) << "the selection did not change";

    Press(rootPanel, files);
    ASSERT_NE(nullptr, rootPanel.childPanel());
    EXPECT_EQ(files->submenu, rootPanel.childPanel()->list());
    EXPECT_EQ(nullptr, tools->submenu->panel);
    EXPECT_EQ(nullptr, deeper->submenu->panel);
    EXPECT_EQ(1, canvas.activeIndexValue);
    EXPECT_EQ(2u, canvas.panels.size());

    // A leaf: the open panel goes and none comes.
    Press(rootPanel, greeting);
    EXPECT_EQ(nullptr, rootPanel.childPanel());
    EXPECT_EQ(nullptr, files->submenu->panel);
    EXPECT_EQ((std::vector<CMenuPanel*>{&rootPanel}), canvas.panels);
    EXPECT_EQ(3, canvas.activeIndexValue);
}

// The designer shows the arrow of an item marked as having a submenu before
// the submenu exists; the run-time menu shows only arrows that open one.
TEST_F(MenuPanelTest, AnItemMarkedAsASubmenuShowsItsArrowBeforeItsListExists)
{
    greeting->hasSubmenu = 1;  // no list yet
    ShowRoot();
    UpdateWindow(rootPanel.m_hWnd);

    const MenuMetrics& metrics = canvas.metrics();
    // The left end of the arrow, half-way down it.
    auto arrowPixel = [&](HDC dc, const CMenuItem* item) {
        const int side = metrics.checkWidth;
        const int inset = side * 3 / 10;
        const int x = item->bounds.right - side + inset;
        const int y = item->bounds.top + (item->bounds.bottom - item->bounds.top - side) / 2 + inset +
                      (side - 2 * inset) / 2;
        return GetPixel(dc, x, y);
    };
    HDC dc = GetDC(rootPanel.m_hWnd);
    ASSERT_NE(nullptr, dc);
    const COLORREF panelMissing = arrowPixel(dc, greeting);
    const COLORREF panelPresent = arrowPixel(dc, tools);
    ReleaseDC(rootPanel.m_hWnd, dc);
    EXPECT_EQ(GetSysColor(COLOR_MENUTEXT), panelMissing);
    EXPECT_EQ(GetSysColor(COLOR_MENUTEXT), panelPresent);

    // The same items as the run-time menu draws them.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 200);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(nullptr, bitmap);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    ItemPaintStyle runTime;
    runTime.inRootList = true;
    runTime.arrow = ArrowRule::OpensSubmenu;
    PaintMenuItem(memory, *greeting, metrics, runTime);
    PaintMenuItem(memory, *tools, metrics, runTime);
    const COLORREF runTimeMissing = arrowPixel(memory, greeting);
    const COLORREF runTimePresent = arrowPixel(memory, tools);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EXPECT_EQ(GetSysColor(COLOR_MENU), runTimeMissing);
    EXPECT_EQ(GetSysColor(COLOR_MENUTEXT), runTimePresent);

    // Once the mark is applied the item gets a list with its placeholder,
    // whose panel opens beside it.
    rootPanel.afterSubmenuFlagChange(3);
    ASSERT_NE(nullptr, greeting->submenu);
    ASSERT_NE(nullptr, rootPanel.childPanel());
    EXPECT_EQ(greeting->submenu, rootPanel.childPanel()->list());
    EXPECT_EQ(1, greeting->submenu->count());
    EXPECT_NE(0, greeting->submenu->items[0]->isPlaceholder);
    EXPECT_EQ(3, rootPanel.openedIndex());
}

// Selecting scrolls the canvas one line at a time, in the direction the item
// lies, and stops at the first position that shows it whole.
TEST_F(MenuPanelTest, SelectingAnItemOutOfViewScrollsStepByStepUntilItIsWhole)
{
    for (int i = 0; i < 30; ++i) Add(files->submenu, ("Entry " + std::to_string(i)).c_str());
    const struct {
        const char* name;
        int openAt;         // the item of the root whose panel is selected in
        int index;          // the item selected
        int startX, startY;  // scroll position before
        UINT message;
        UINT code;
    } cases[] = {
        {"below", 1, 28, 0, 0, WM_VSCROLL, SB_LINEDOWN},
        {"above", 1, 0, 0, 40, WM_VSCROLL, SB_LINEUP},
        {"left", 1, 0, 30, 0, WM_HSCROLL, SB_LINELEFT},
    };
    canvas.maxX = canvas.maxY = 60;
    ShowRoot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        canvas.posX = c.startX;
        canvas.posY = c.startY;
        rootPanel.moveToOffsets();
        rootPanel.openChild(c.openAt, true);
        CMenuPanel* panel = rootPanel.childPanel();
        ASSERT_NE(nullptr, panel);
        canvas.scrolls.clear();
        canvas.marks = 0;

        panel->select(c.index);
        EXPECT_EQ(c.index, panel->list()->currentIndex);
        ASSERT_FALSE(canvas.scrolls.empty());
        for (const Scrolled& step : canvas.scrolls) {
            EXPECT_EQ(c.message, step.message);
            EXPECT_EQ(c.code, step.code);
        }
        // Marked once, in view, and one step less would not have shown it.
        EXPECT_EQ(1, canvas.marks);
        EXPECT_EQ(panel, canvas.active);
        EXPECT_EQ(c.index, canvas.activeIndexValue);
        const RECT client = canvas.client();
        EXPECT_TRUE(InView(canvas.activeTarget, client));
        const long back = c.code == SB_LINEDOWN || c.code == SB_LINERIGHT ? 10 : -10;
        RECT before = canvas.activeTarget;
        OffsetRect(&before, c.message == WM_HSCROLL ? back : 0, c.message == WM_VSCROLL ? back : 0);
        EXPECT_FALSE(InView(before, client));
        // The panel was moved with the view.
        const CMenuItem* item = panel->list()->items[c.index];
        const RECT placed = PlacedRect(*panel, canvas);
        EXPECT_EQ(placed.top + item->bounds.top - 2, canvas.activeTarget.top);
        EXPECT_EQ(placed.left + item->bounds.left - 3, canvas.activeTarget.left);
        rootPanel.closeChild();
    }
}

// An item that can never be whole in view still ends the walk and is marked:
// a view narrower than the item, a view already scrolled to its end, and a
// canvas with no client area at all.
TEST_F(MenuPanelTest, AnItemThatCanNeverFitEndsTheWalkAndIsMarked)
{
    tools->submenu->items[1]->caption = std::string(60, 'W');
    const struct {
        const char* name;
        int width, height;
        int maxX, maxY;
    } cases[] = {
        {"narrower than the item", 60, 300, 50, 50},
        {"at the end of the range", 300, 25, 0, 0},
        {"no client area", 0, 0, 50, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StandInCanvas small(c.width, c.height);
        small.maxX = c.maxX;
        small.maxY = c.maxY;
        CMenuPanel panel;
        ASSERT_TRUE(panel.create(&small, tools->submenu, nullptr, 5, 40, -1));
        small.addPanel(&panel);

        panel.select(1);
        EXPECT_LT(small.scrolls.size(), 20u);
        EXPECT_EQ(1, small.marks);
        EXPECT_EQ(&panel, small.active);
        EXPECT_EQ(1, small.activeIndexValue);
        panel.close();
    }
}

TEST_F(MenuPanelTest, MouseInputGoesOnToTheCanvasExceptAProgramsPress)
{
    canvas.maxX = canvas.maxY = 10;
    canvas.posX = 1;
    ShowRoot();
    rootPanel.openChild(0, true);
    CMenuPanel* panel = rootPanel.childPanel();
    ASSERT_NE(nullptr, panel);
    const CMenuItem* leaf = tools->submenu->items[1];
    const RECT placed = PlacedRect(*panel, canvas);
    const POINT inPanel = {leaf->bounds.left + 10, (leaf->bounds.top + leaf->bounds.bottom) / 2};
    const POINT inCanvas = {placed.left + inPanel.x, placed.top + inPanel.y};
    POINT onScreen = inCanvas;
    ClientToScreen(canvas.canvasWindow(), &onScreen);
    const WPARAM wheelUp = MAKEWPARAM(MK_SHIFT, WHEEL_DELTA);

    const struct {
        const char* name;
        UINT message;
        WPARAM keys;
        LPARAM point;
        bool forwarded;
        WPARAM forwardedKeys;
    } cases[] = {
        {"press", WM_LBUTTONDOWN, MK_LBUTTON, At(leaf), true, MK_LBUTTON | kPanelInputFlag},
        {"program's press", WM_LBUTTONDOWN, kPanelInputFlag, At(leaf), false, 0},
        {"move", WM_MOUSEMOVE, MK_LBUTTON, At(leaf), true, MK_LBUTTON | kPanelInputFlag},
        {"release", WM_LBUTTONUP, 0, At(leaf), true, kPanelInputFlag},
        // The wheel's point is on the screen, and its delta keeps its sign.
        {"wheel", WM_MOUSEWHEEL, wheelUp, MAKELPARAM(onScreen.x, onScreen.y), true, wheelUp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        canvas.forwarded.clear();
        canvas.active = nullptr;
        panel->list()->currentIndex = -1;
        SendMessageA(panel->m_hWnd, c.message, c.keys, c.point);
        if (c.message == WM_LBUTTONDOWN) {
            // Either press selects the item.
            EXPECT_EQ(1, panel->list()->currentIndex);
            EXPECT_EQ(panel, canvas.active);
            EXPECT_EQ(1, canvas.activeIndexValue);
        }
        ASSERT_EQ(c.forwarded ? 1u : 0u, canvas.forwarded.size());
        if (!c.forwarded) continue;
        EXPECT_EQ(c.message, canvas.forwarded[0].message);
        EXPECT_EQ(c.forwardedKeys, canvas.forwarded[0].keys);
        EXPECT_EQ(inCanvas.x, canvas.forwarded[0].point.x);
        EXPECT_EQ(inCanvas.y, canvas.forwarded[0].point.y);
    }

    // A double click asks the canvas for the item's properties.
    canvas.selections.clear();
    SendMessageA(panel->m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(leaf));
    Pump();
    ASSERT_EQ(1u, canvas.selections.size());
    EXPECT_EQ(1u, canvas.selections[0].first);
    EXPECT_EQ(reinterpret_cast<LPARAM>(panel), canvas.selections[0].second);

    // selectByClick is the program's press on the item's corner.
    canvas.forwarded.clear();
    rootPanel.selectByClick(greeting);
    EXPECT_EQ(3, root->currentIndex);
    EXPECT_EQ(&rootPanel, canvas.active);
    EXPECT_EQ(3, canvas.activeIndexValue);
    EXPECT_TRUE(canvas.forwarded.empty());
    // The press closed the panel of the item opened before.
    EXPECT_EQ(nullptr, rootPanel.childPanel());
}

TEST_F(MenuPanelTest, ClosingAPanelClosesItsChainAndLeavesTheCanvas)
{
    ShowRoot();
    rootPanel.openChild(0, true);
    CMenuPanel* toolsPanel = rootPanel.childPanel();
    ASSERT_NE(nullptr, toolsPanel);
    toolsPanel->openChild(0, true);
    CMenuPanel* deeperPanel = toolsPanel->childPanel();
    ASSERT_NE(nullptr, deeperPanel);
    const HWND windows[] = {rootPanel.m_hWnd, toolsPanel->m_hWnd, deeperPanel->m_hWnd};
    deeperPanel->select(0);
    ASSERT_EQ(deeperPanel, canvas.active);

    // Closing the child keeps the root.
    rootPanel.closeChild();
    EXPECT_EQ(nullptr, rootPanel.childPanel());
    EXPECT_EQ(-1, rootPanel.openedIndex());
    EXPECT_EQ(nullptr, canvas.active) << "the selection was in the closed chain";
    EXPECT_EQ((std::vector<CMenuPanel*>{&rootPanel}), canvas.panels);
    EXPECT_EQ(nullptr, tools->submenu->panel);
    EXPECT_EQ(nullptr, deeper->submenu->panel);
    EXPECT_FALSE(IsWindow(windows[1]));
    EXPECT_FALSE(IsWindow(windows[2]));

    // Closing the root closes the chain below it too.
    rootPanel.openChild(0, true);
    ASSERT_NE(nullptr, rootPanel.childPanel());
    rootPanel.childPanel()->openChild(0, true);
    rootPanel.select(1);
    rootPanel.close();
    EXPECT_TRUE(canvas.panels.empty());
    EXPECT_EQ(nullptr, canvas.active);
    EXPECT_EQ(nullptr, root->panel);
    EXPECT_EQ(nullptr, tools->submenu->panel);
    EXPECT_EQ(nullptr, deeper->submenu->panel);
    EXPECT_EQ(-1, root->currentIndex);
    EXPECT_FALSE(IsWindow(windows[0]));
}

TEST_F(MenuPanelTest, AGrowingPanelTakesItsOpenChainAlong)
{
    canvas.maxX = canvas.maxY = 10;
    canvas.posX = 1;
    canvas.posY = 2;
    ShowRoot();
    rootPanel.openChild(0, true);
    CMenuPanel* toolsPanel = rootPanel.childPanel();
    ASSERT_NE(nullptr, toolsPanel);
    toolsPanel->openChild(0, true);
    CMenuPanel* deeperPanel = toolsPanel->childPanel();
    ASSERT_NE(nullptr, deeperPanel);
    const long oldWidth = toolsPanel->position().right - toolsPanel->position().left;
    const int extentUpdates = canvas.extentUpdates;

    tools->submenu->items[1]->caption = std::string(40, 'W');
    toolsPanel->relayoutAround(1);
    EXPECT_GT(toolsPanel->position().right - toolsPanel->position().left, oldWidth);
    EXPECT_GT(canvas.extentUpdates, extentUpdates);
    EXPECT_EQ(toolsPanel->position().left + deeper->bounds.right, deeperPanel->position().left);
    EXPECT_EQ(toolsPanel->position().top + deeper->bounds.top, deeperPanel->position().top);
    const RECT placed = PlacedRect(*deeperPanel, canvas);
    EXPECT_EQ(deeperPanel->position().left - 10, placed.left);
    EXPECT_EQ(deeperPanel->position().top - 20, placed.top);
    EXPECT_EQ(toolsPanel->position().right - toolsPanel->position().left,
              PlacedRect(*toolsPanel, canvas).right - PlacedRect(*toolsPanel, canvas).left);
}

// A caption change that leaves the panel's size alone redraws only its item,
// wherever the panel lies; one that changes it redraws the whole panel.
TEST_F(MenuPanelTest, ACaptionChangeRedrawsOnlyItsItemWhileThePanelKeepsItsSize)
{
    ShowRoot();
    rootPanel.openChild(0, true);
    CMenuPanel* toolsPanel = rootPanel.childPanel();
    ASSERT_NE(nullptr, toolsPanel);
    CMenuItem* leaf = tools->submenu->items[1];
    const struct {
        const char* caption;
        bool sameSize;
    } cases[] = {{"Lf", true}, {"A much longer leaf caption", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        UpdateWindow(toolsPanel->m_hWnd);
        const MenuRect before = toolsPanel->position();
        const int extentUpdates = canvas.extentUpdates;
        leaf->caption = c.caption;
        toolsPanel->relayoutAround(1);
        EXPECT_EQ(c.sameSize, RectsEqual(before, toolsPanel->position()));
        RECT invalid;
        ASSERT_TRUE(GetUpdateRect(toolsPanel->m_hWnd, &invalid, FALSE));
        RECT client;
        ASSERT_TRUE(GetClientRect(toolsPanel->m_hWnd, &client));
        const RECT expected = c.sameSize ? leaf->bounds : client;
        EXPECT_TRUE(EqualRect(&expected, &invalid))
            << invalid.left << "," << invalid.top << "," << invalid.right << "," << invalid.bottom;
        EXPECT_EQ(c.sameSize ? extentUpdates : extentUpdates + 1, canvas.extentUpdates);
    }
}

// Measuring a caption goes to the font engine, which is slow on some
// systems, so a text is measured once for a whole chain of panels; the
// widths must still follow every change of a caption and every item that
// comes into a list.
TEST_F(MenuPanelTest, EachCaptionIsMeasuredOnceAndWidthsFollowEveryChange)
{
    ShowRoot();
    rootPanel.openChild(0, true);
    CMenuPanel* toolsPanel = rootPanel.childPanel();
    ASSERT_NE(nullptr, toolsPanel);
    CMenuList* toolsList = tools->submenu;
    CMenuItem* leaf = toolsList->items[1];
    CMenuItem* recent = files->submenu->items[0];
    const std::string wide(40, 'W');
    const struct {
        const char* name;
        std::function<void()> change;
        std::vector<std::string> measured;
    } steps[] = {
        {"a caption changes", [&] { leaf->caption = wide; toolsPanel->relayoutAround(1); }, {wide}},
        {"back to a text measured before", [&] { leaf->caption = "Leaf"; toolsPanel->relayoutAround(1); }, {}},
        {"an item of another list moves in",
         [&] {
             files->submenu->remove(recent);
             toolsList->insert(recent, nullptr, false);
             toolsPanel->relayout();
         },
         {"Recent"}},
        {"the panel opened again",
         [&] {
             rootPanel.closeChild();
             rootPanel.openChild(0, true);
         },
         {}},
        {"another panel of the chain with known captions",
         [&] {
             toolsList->remove(recent);
             files->submenu->insert(recent, nullptr, false);
             rootPanel.openChild(1, true);
         },
         {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        canvas.measured.clear();
        step.change();
        EXPECT_EQ(step.measured, canvas.measured);
        const CMenuPanel* panel = rootPanel.childPanel();
        ASSERT_NE(nullptr, panel);
        long widest = 0;
        for (const CMenuItem* item : panel->list()->items) widest = std::max(widest, canvas.width(item->caption));
        EXPECT_EQ(widest + 3 * canvas.metrics().checkWidth + 6, panel->position().right - panel->position().left);
        EXPECT_EQ(panel->position().right - panel->position().left,
                  PlacedRect(*panel, canvas).right - PlacedRect(*panel, canvas).left);
    }
}

// The client area of a window as the screen shows it, 0x00RRGGBB a pixel.
std::vector<DWORD> Capture(HWND window)
{
    std::vector<DWORD> pixels;
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && bitmap != nullptr) {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY)) {
            GdiFlush();
            const DWORD* first = static_cast<const DWORD*>(bits);
            pixels.assign(first, first + client.right * client.bottom);
        }
        SelectObject(memory, old);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(window, dc);
    return pixels;
}

// A repaint of part of a panel draws there exactly what a full repaint
// draws, wherever the part cuts the frame, the items, a separator, a
// placeholder's dotted frame or an arrow; and nothing outside it.
TEST_F(MenuPanelTest, APartialRepaintDrawsWhatTheFullOneDraws)
{
    CMenuList* list = tools->submenu;
    const CMenuItem* separator = Add(list, "", 1);
    const CMenuItem* placeholder = list->appendNew(1);
    Add(list, "Tail end");
    CMenuPanel panel;
    ASSERT_TRUE(panel.create(&canvas, list, nullptr, 13, 7, -1));
    canvas.addPanel(&panel);
    UpdateWindow(panel.m_hWnd);
    const std::vector<DWORD> full = Capture(panel.m_hWnd);
    RECT client;
    ASSERT_TRUE(GetClientRect(panel.m_hWnd, &client));
    const long width = client.right;
    const long height = client.bottom;
    ASSERT_EQ(static_cast<std::size_t>(width * height), full.size());

    const MenuRect& arrow = deeper->bounds;
    const MenuRect& dotted = placeholder->bounds;
    const RECT cases[] = {
        {0, 0, 7, 9},
        {11, arrow.top + 5, 47, list->items[1]->bounds.top + 7},
        {5, separator->bounds.top + 1, width - 5, separator->bounds.bottom},
        // The dotted frame lies 2 pixels inside the item; its pattern cut at
        // odd and even places.
        {dotted.left + 1, dotted.top + 1, dotted.left + 30, dotted.bottom - 1},
        {dotted.left + 2, dotted.top + 2, dotted.right - 1, dotted.bottom},
        {arrow.right - canvas.metrics().checkWidth + 1, arrow.top + 1, arrow.right + 1, arrow.bottom},
        {width - 9, height - 13, width, height},
    };
    const DWORD scribble = 0x00010203;
    for (const RECT& area : cases) {
        SCOPED_TRACE(testing::Message() << area.left << "," << area.top << "," << area.right << "," << area.bottom);
        HDC dc = GetDC(panel.m_hWnd);
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        ReleaseDC(panel.m_hWnd, dc);
        InvalidateRect(panel.m_hWnd, &area, FALSE);
        UpdateWindow(panel.m_hWnd);

        const std::vector<DWORD> part = Capture(panel.m_hWnd);
        ASSERT_EQ(full.size(), part.size());
        int wrong = 0;
        int outside = 0;
        for (long y = 0; y < height; ++y) {
            for (long x = 0; x < width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y * width + x);
                const POINT point = {x, y};
                if (PtInRect(&area, point)) {
                    if (part[at] != full[at]) ++wrong;
                } else if (part[at] != scribble) {
                    ++outside;
                }
            }
        }
        EXPECT_EQ(0, wrong) << "pixels unlike the full repaint";
        EXPECT_EQ(0, outside) << "pixels drawn outside the part";
    }
    panel.close();
}

TEST_F(MenuPanelTest, OpeningAndClosingAPanelKeepsTheGdiObjectCount)
{
    ShowRoot();
    auto cycle = [&] {
        rootPanel.openChild(0, true);
        ASSERT_NE(nullptr, rootPanel.childPanel());
        UpdateWindow(rootPanel.childPanel()->m_hWnd);
        rootPanel.closeChild();
        Pump();
    };
    cycle();
    const DWORD before = GdiObjectCount();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 200; ++i) cycle();
    EXPECT_LE(GdiObjectCount(), before + 5);
}

}  // namespace
