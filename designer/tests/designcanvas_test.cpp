// The design canvas with real panels on a real tree. The tests send the
// mouse messages the system would deliver: a press to the panel under the
// pointer, then (the canvas having captured the mouse) moves and the
// release to the canvas in its own client coordinates.
#include "designer/designcanvas.h"

#include "framework/tests/gdicount.h"
#include "lang/resource.h"
#include "menudoc/menudocument.h"
#include "menuview/menupanel.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

class StandInOwner : public ICanvasOwner {
public:
    struct Question {
        UINT id;
        UINT style;
        std::string argument;
    };

    void updateTitle() override { ++titles; }
    int askUser(UINT id, UINT style, const std::string& argument) override
    {
        questions.push_back(Question{id, style, argument});
        return answer;
    }
    void itemSelected(CMenuPanel* panel, bool openProperties) override
    {
        selections.emplace_back(panel, openProperties);
    }

    int titles = 0;
    int answer = IDOK;
    std::vector<Question> questions;
    std::vector<std::pair<CMenuPanel*, bool>> selections;
};

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

const char kHostClass[] = "DesignCanvasTestHost";

// A designer without its dialog: a host window holding the canvas, which
// shows this tree with Top selected, so that panel A is open:
//   root: Top
//   Top -> A: a1, a2, a3, placeholder
//   a2  -> B: b1, [tallB long items], placeholder
//   a3  -> C: placeholder
class Designer {
public:
    explicit Designer(int clientWidth = 640, int clientHeight = 480, int tallB = 0) : canvas(owner)
    {
        root = document.newMenu(nullptr);
        root->isRoot = 1;
        document.rootMenu = root;
        top = Real(root, "Top");
        listA = Sub(top);
        a1 = Real(listA, "a1");
        a2 = Real(listA, "a2");
        a3 = Real(listA, "a3");
        listB = Sub(a2);
        b1 = Real(listB, "b1");
        for (int i = 0; i < tallB; ++i) Real(listB, "a caption long enough to widen its panel");
        listC = Sub(a3);
        document.ensurePlaceholders();

        static const bool registered = [] {
            const WNDCLASSA wc = {0, DefWindowProcA, 0, 0, GetModuleHandleA(nullptr), nullptr,
                                  LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr, kHostClass};
            return RegisterClassA(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        RECT frame = {0, 0, clientWidth, clientHeight};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        host = CreateWindowExA(0, kHostClass, "canvas test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(nullptr, host);
        SetForegroundWindow(host);
        // The real pointer stays off the windows: only the test moves there.
        SetCursorPos(0, 0);
        RECT client = {0, 0, 0, 0};
        GetClientRect(host, &client);
        EXPECT_TRUE(canvas.create(host, client));
        EXPECT_TRUE(canvas.start(&document));
        SendMessageA(canvas.m_hWnd, DM_SHOWITEM, reinterpret_cast<WPARAM>(top), 0);
        Pump();
        ready = listA->panel != nullptr && canvas.currentPanel() == root->panel;
        EXPECT_TRUE(ready);
    }
    ~Designer()
    {
        canvas.destroy();
        if (host != nullptr) DestroyWindow(host);
        Pump();
    }

    CMenuItem* Real(CMenuList* list, const char* caption)
    {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        return item;
    }
    CMenuList* Sub(CMenuItem* item)
    {
        item->hasSubmenu = 1;
        item->submenu = document.newMenu(item);
        return item->submenu;
    }

    // The item's point at `fraction` of its height, in its panel's client
    // coordinates and in the canvas's.
    static POINT PanelPoint(const CMenuItem* item, double fraction = 0.5)
    {
        const long height = item->bounds.bottom - item->bounds.top;
        return POINT{(item->bounds.left + item->bounds.right) / 2,
                     item->bounds.top + static_cast<long>(height * fraction)};
    }
    POINT CanvasPoint(const CMenuItem* item, double fraction = 0.5) const
    {
        POINT point = PanelPoint(item, fraction);
        MapWindowPoints(item->parent->panel->m_hWnd, canvas.m_hWnd, &point, 1);
        return point;
    }

    void Press(const CMenuItem* item)
    {
        const POINT at = PanelPoint(item);
        SendMessageA(item->parent->panel->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    }
    void MoveTo(POINT at) { SendMessageA(canvas.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y)); }
    void ReleaseAt(POINT at) { SendMessageA(canvas.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y)); }
    void Click(const CMenuItem* item)
    {
        const POINT at = CanvasPoint(item);
        Press(item);
        ReleaseAt(at);
    }
    // Press `item`, move once onto `target`'s point at `fraction`, release.
    void Drag(const CMenuItem* item, const CMenuItem* target, double fraction)
    {
        Press(item);
        const POINT at = CanvasPoint(target, fraction);
        MoveTo(at);
        ReleaseAt(at);
    }

    // A key as the message loop's pre-translation would offer it, with
    // Ctrl held or not; true when the canvas took it.
    bool Key(int virtualKey, bool ctrl)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG msg = {};
        msg.hwnd = canvas.currentPanel() != nullptr ? canvas.currentPanel()->m_hWnd : canvas.m_hWnd;
        msg.message = WM_KEYDOWN;
        msg.wParam = static_cast<WPARAM>(virtualKey);
        const bool taken = canvas.PreTranslateMessage(&msg);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        return taken;
    }

    const CMenuItem* Selected() const
    {
        const CMenuPanel* panel = canvas.currentPanel();
        if (panel == nullptr || canvas.selectedIndex() < 0) return nullptr;
        return panel->list()->items[static_cast<std::size_t>(canvas.selectedIndex())];
    }

    // The captions of a list in order, "_" for the placeholder.
    static std::string Captions(const CMenuList* list)
    {
        std::string text;
        for (const CMenuItem* item : list->items) {
            if (!text.empty()) text += ",";
            text += item->isPlaceholder ? "_" : item->caption;
        }
        return text;
    }

    CMenuDocument document;
    StandInOwner owner;
    CDesignCanvas canvas;
    HWND host = nullptr;
    bool ready = false;
    CMenuList* root;
    CMenuItem* top;
    CMenuList* listA;
    CMenuItem* a1;
    CMenuItem* a2;
    CMenuItem* a3;
    CMenuList* listB;
    CMenuItem* b1;
    CMenuList* listC;
};

TEST(DesignCanvas, PressOnTheFrameMustMoveFourPixelsBeforeADragBegins)
{
    struct Case {
        long dx;
        bool drags;
    } const cases[] = {{3, false}, {-3, false}, {4, true}, {-4, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dx);
        Designer d;
        ASSERT_TRUE(d.ready);
        d.Click(d.a1);
        ASSERT_EQ(d.a1, d.Selected());
        EXPECT_EQ(std::make_pair(d.listA->panel, false), d.owner.selections.back());

        const POINT at = d.CanvasPoint(d.a1);
        d.Press(d.a1);
        EXPECT_EQ(d.canvas.m_hWnd, GetCapture());
        d.MoveTo(POINT{at.x + c.dx, at.y});
        // The drag removes the selection frame, and the designer's coming
        // back to the front does not draw it beside the insertion mark.
        EXPECT_EQ(c.drags, d.canvas.selectedIndex() == -1);
        d.canvas.showSelectionAgain();
        EXPECT_EQ(c.drags, d.canvas.selectedIndex() == -1);
        d.ReleaseAt(POINT{at.x + c.dx, at.y});

        EXPECT_EQ(nullptr, GetCapture());
        EXPECT_EQ(d.a1, d.Selected());
        EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
        EXPECT_FALSE(d.canvas.history().canUndo());
        EXPECT_EQ(0, d.owner.titles);
    }
}

TEST(DesignCanvas, DropInTheUpperHalfGoesBeforeInTheLowerAfter)
{
    struct Case {
        double fraction;
        const char* order;
    } const cases[] = {{0.25, "a2,a1,a3,_"}, {0.75, "a2,a3,a1,_"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        Designer d;
        ASSERT_TRUE(d.ready);
        d.Click(d.a1);
        d.Drag(d.a1, d.a3, c.fraction);

        EXPECT_EQ(c.order, Designer::Captions(d.listA));
        EXPECT_EQ(d.a1, d.Selected());
        EXPECT_TRUE(d.canvas.history().canUndo());
        EXPECT_EQ(1, d.owner.titles);
        EXPECT_EQ(nullptr, GetCapture());
    }
}

TEST(DesignCanvas, DraggingOverAnItemWithASubmenuOpensItsPanel)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    d.Click(d.a1);
    d.Press(d.a1);
    d.MoveTo(d.CanvasPoint(d.a2));
    ASSERT_NE(nullptr, d.listB->panel);
    EXPECT_EQ(d.listB->panel, d.listA->panel->childPanel());

    // Over another item the open panel goes, then that item's opens.
    const POINT overA3 = d.CanvasPoint(d.a3);
    d.MoveTo(overA3);
    d.MoveTo(POINT{overA3.x + 1, overA3.y});
    EXPECT_EQ(nullptr, d.listB->panel);
    EXPECT_NE(nullptr, d.listC->panel);

    // Released over bare canvas: no move.
    RECT client;
    GetClientRect(d.canvas.m_hWnd, &client);
    d.ReleaseAt(POINT{client.right - 5, client.bottom - 5});
    EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
    EXPECT_FALSE(d.canvas.history().canUndo());
    EXPECT_EQ(d.a1, d.Selected());
}

TEST(DesignCanvas, AnItemIsNeverDroppedIntoItsOwnSubmenu)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    d.Click(d.a2);
    ASSERT_NE(nullptr, d.listB->panel);
    const POINT overB1 = d.CanvasPoint(d.b1);

    // Straight from the press onto its own submenu's panel, still open.
    d.Press(d.a2);
    d.MoveTo(overB1);
    d.ReleaseAt(overB1);
    EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
    EXPECT_EQ("b1,_", Designer::Captions(d.listB));
    EXPECT_FALSE(d.canvas.history().canUndo());

    // A drag under way first, then back to where the submenu was.
    ASSERT_NE(nullptr, d.listB->panel);
    d.Press(d.a2);
    d.MoveTo(d.CanvasPoint(d.a1));
    d.MoveTo(overB1);
    d.ReleaseAt(overB1);
    EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
    EXPECT_EQ(d.a2, d.b1->parent->getParentItem());
    EXPECT_FALSE(d.canvas.history().canUndo());
}

TEST(DesignCanvas, UndoAndRedoOfADropFollowTheHistory)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    d.Click(d.a1);
    d.Drag(d.a1, d.a3, 0.75);
    ASSERT_EQ("a2,a3,a1,_", Designer::Captions(d.listA));

    d.canvas.undo();
    EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
    EXPECT_EQ(d.a1, d.Selected());
    EXPECT_TRUE(d.canvas.history().canRedo());
    d.canvas.redo();
    EXPECT_EQ("a2,a3,a1,_", Designer::Captions(d.listA));
    EXPECT_EQ(d.a1, d.Selected());
    EXPECT_FALSE(d.canvas.history().canRedo());
    EXPECT_EQ(3, d.owner.titles);

    // Empty stacks change nothing.
    d.canvas.redo();
    d.canvas.undo();
    d.canvas.undo();
    EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
}

TEST(DesignCanvas, LosingTheCaptureEndsTheDragWithoutAMove)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    d.Click(d.a1);
    d.Press(d.a1);
    d.MoveTo(d.CanvasPoint(d.a3, 0.75));
    ASSERT_EQ(-1, d.canvas.selectedIndex());
    // Another window takes the mouse (a dialog, a switch of program).
    SetCapture(d.host);
    ReleaseCapture();

    EXPECT_EQ(d.a1, d.Selected());
    d.ReleaseAt(d.CanvasPoint(d.a3, 0.75));
    EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
    EXPECT_FALSE(d.canvas.history().canUndo());
    // The keys are the canvas's again.
    EXPECT_TRUE(d.Key(VK_DOWN, false));
    EXPECT_EQ(d.a2, d.Selected());
}

TEST(DesignCanvas, KeysSelectAndMoveInTheCurrentPanel)
{
    struct Case {
        int key;
        bool ctrl;
        bool taken;
        const char* order;
        int selected;
        bool recorded;
    } const cases[] = {
        {VK_UP, false, true, "a1,a2,a3,_", 3, false},   // Up on the first wraps to the last
        {VK_UP, true, true, "a1,a2,a3,_", 0, false},    // Ctrl+Up on the first does nothing
        {VK_DOWN, true, true, "a2,a1,a3,_", 1, true},   // Ctrl+Down moves one place
        {VK_DOWN, false, true, "a1,a2,a3,_", 1, false},
        {'X', false, false, "a1,a2,a3,_", 0, false},    // for the accelerators
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.key << (c.ctrl ? " ctrl" : ""));
        Designer d;
        ASSERT_TRUE(d.ready);
        d.Click(d.a1);
        EXPECT_EQ(c.taken, d.Key(c.key, c.ctrl));
        EXPECT_EQ(c.order, Designer::Captions(d.listA));
        EXPECT_EQ(d.listA->panel, d.canvas.currentPanel());
        EXPECT_EQ(c.selected, d.canvas.selectedIndex());
        EXPECT_EQ(c.recorded, d.canvas.history().canUndo());
    }
}

TEST(DesignCanvas, EnterAsksForThePropertiesOfTheSelection)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    d.Click(d.a2);
    d.owner.selections.clear();
    EXPECT_TRUE(d.Key(VK_RETURN, false));
    Pump();
    ASSERT_EQ(1u, d.owner.selections.size());
    EXPECT_EQ(std::make_pair(d.listA->panel, true), d.owner.selections[0]);
}

TEST(DesignCanvas, CutThenTwoPastesGiveTwoIndependentCopies)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    const int originalId = d.a2->id;
    d.Click(d.a2);
    d.canvas.cutSelected();
    ASSERT_EQ("a1,a3,_", Designer::Captions(d.listA));
    const CMenuItem* clip = d.canvas.clipboardItem();
    ASSERT_NE(nullptr, clip);
    ASSERT_NE(nullptr, clip->submenu);

    d.Click(d.a1);
    d.canvas.pasteClip();
    d.canvas.pasteClip();
    ASSERT_EQ("a2,a2,a1,a3,_", Designer::Captions(d.listA));
    const CMenuItem* copies[2] = {d.listA->items[0], d.listA->items[1]};
    EXPECT_EQ(copies[0], d.Selected());
    EXPECT_NE(copies[0]->id, copies[1]->id);
    std::vector<int> ids = {originalId, clip->id, clip->submenu->items[0]->id};
    for (const CMenuItem* copy : copies) {
        EXPECT_EQ(copy, d.document.findItem(copy->id));
        ASSERT_NE(nullptr, copy->submenu);
        EXPECT_NE(clip->submenu, copy->submenu);
        EXPECT_EQ("b1,_", Designer::Captions(copy->submenu));
        const CMenuItem* inner = copy->submenu->items[0];
        EXPECT_EQ(inner, d.document.findItem(inner->id));
        ids.push_back(copy->id);
        ids.push_back(inner->id);
    }
    for (std::size_t i = 0; i < ids.size(); ++i)
        for (std::size_t j = i + 1; j < ids.size(); ++j) EXPECT_NE(ids[i], ids[j]);
    EXPECT_NE(copies[0]->submenu, copies[1]->submenu);

    d.canvas.undo();
    EXPECT_EQ("a2,a1,a3,_", Designer::Captions(d.listA));
    EXPECT_NE(nullptr, d.canvas.clipboardItem());
}

TEST(DesignCanvas, DeletingASubmenuWithContentAsksFirst)
{
    struct Case {
        const char* item;
        int answer;
        bool asks;
        const char* order;
    } const cases[] = {
        {"a2", IDCANCEL, true, "a1,a2,a3,_"},
        {"a2", IDOK, true, "a1,a3,_"},
        {"a3", IDCANCEL, false, "a1,a2,_"},  // a placeholder alone is no content
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item << " " << c.answer);
        Designer d;
        ASSERT_TRUE(d.ready);
        CMenuItem* item = std::string(c.item) == "a2" ? d.a2 : d.a3;
        d.Click(item);
        d.owner.answer = c.answer;
        d.canvas.deleteSelected();

        EXPECT_EQ(c.order, Designer::Captions(d.listA));
        ASSERT_EQ(c.asks ? 1u : 0u, d.owner.questions.size());
        if (c.asks) {
            EXPECT_EQ(static_cast<UINT>(IDS_ASK_DELETE_SUBMENU), d.owner.questions[0].id);
            EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2), d.owner.questions[0].style);
            EXPECT_EQ(c.item, d.owner.questions[0].argument);
        }
        const bool deleted = !c.asks || c.answer == IDOK;
        EXPECT_EQ(deleted, d.canvas.history().canUndo());
        if (deleted) {
            d.canvas.undo();
            EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
            EXPECT_EQ(item, d.Selected());
        }
    }
}

TEST(DesignCanvas, NewItemPutsThePlaceholderBeforeTheSelectionAndUndoPutsItBack)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    d.Click(d.a2);
    d.owner.selections.clear();
    d.canvas.insertNewItem();
    EXPECT_EQ("a1,_,a2,a3", Designer::Captions(d.listA));
    ASSERT_NE(nullptr, d.Selected());
    EXPECT_TRUE(d.Selected()->isPlaceholder);
    // The palette is told, so that it shows the placeholder's pages.
    ASSERT_FALSE(d.owner.selections.empty());
    EXPECT_EQ(std::make_pair(d.listA->panel, false), d.owner.selections.back());

    d.canvas.undo();
    EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));

    // On the placeholder the command does nothing.
    d.Click(d.listA->items[3]);
    d.canvas.insertNewItem();
    EXPECT_EQ("a1,a2,a3,_", Designer::Captions(d.listA));
}

// The scroll messages the canvas posted to itself, removed: how many are
// `message` with `code`; `others` counts the rest.
int TakePostedScrolls(HWND canvas, UINT message, int code, int& others)
{
    int count = 0;
    others = 0;
    MSG msg;
    while (PeekMessageA(&msg, canvas, WM_HSCROLL, WM_VSCROLL, PM_REMOVE)) {
        if (msg.message == message && LOWORD(msg.wParam) == code) {
            ++count;
        } else {
            ++others;
        }
    }
    return count;
}

TEST(DesignCanvas, WheelNotchesScrollTheSystemsLinesAndShiftNeedsAHorizontalBar)
{
    Designer d(640, 300, 40);
    ASSERT_TRUE(d.ready);
    d.Click(d.a2);
    ASSERT_NE(nullptr, d.listB->panel);
    const LONG_PTR style = GetWindowLongPtrA(d.canvas.m_hWnd, GWL_STYLE);
    ASSERT_NE(0, style & WS_VSCROLL);
    ASSERT_EQ(0, style & WS_HSCROLL);
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);

    struct Case {
        bool viaPanel;
        WORD keys;
        short delta;
        UINT message;
        int code;
        int count;
    } const cases[] = {
        {false, 0, 240, WM_VSCROLL, SB_LINEUP, 2 * static_cast<int>(lines)},
        {true, 0, -240, WM_VSCROLL, SB_LINEDOWN, 2 * static_cast<int>(lines)},
        {false, MK_SHIFT, 240, WM_HSCROLL, SB_LINELEFT, 0},
        {false, MK_SHIFT, -240, WM_HSCROLL, SB_LINERIGHT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.delta << " shift " << c.keys);
        Pump();
        const HWND target = c.viaPanel ? d.listB->panel->m_hWnd : d.canvas.m_hWnd;
        SendMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(c.keys, static_cast<WORD>(c.delta)), MAKELPARAM(300, 200));
        int others = 0;
        EXPECT_EQ(c.count, TakePostedScrolls(d.canvas.m_hWnd, c.message, c.code, others));
        EXPECT_EQ(0, others);
    }
}

TEST(DesignCanvas, BarsGoAndPanelsReturnWhenThePanelsShrink)
{
    Designer d(300, 200, 40);
    ASSERT_TRUE(d.ready);
    d.Click(d.a2);
    ASSERT_NE(nullptr, d.listB->panel);
    LONG_PTR style = GetWindowLongPtrA(d.canvas.m_hWnd, GWL_STYLE);
    ASSERT_NE(0, style & WS_VSCROLL);
    ASSERT_NE(0, style & WS_HSCROLL);
    SendMessageA(d.canvas.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(d.canvas.m_hWnd, WM_HSCROLL, SB_PAGERIGHT, 0);
    ASSERT_EQ(-10, d.canvas.offsetY());
    ASSERT_EQ(-50, d.canvas.offsetX());

    d.Click(d.a3);
    ASSERT_EQ(nullptr, d.listB->panel);
    style = GetWindowLongPtrA(d.canvas.m_hWnd, GWL_STYLE);
    EXPECT_EQ(0, style & WS_VSCROLL);
    EXPECT_EQ(0, style & WS_HSCROLL);
    EXPECT_EQ(0, d.canvas.offsetX());
    EXPECT_EQ(0, d.canvas.offsetY());
    for (const CMenuList* list : {d.root, d.listA, d.listC}) {
        ASSERT_NE(nullptr, list->panel);
        RECT placed;
        GetWindowRect(list->panel->m_hWnd, &placed);
        MapWindowPoints(nullptr, d.canvas.m_hWnd, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(list->panel->position().left, placed.left);
        EXPECT_EQ(list->panel->position().top, placed.top);
    }
}

int ChildWindows(HWND parent)
{
    int count = 0;
    EnumChildWindows(
        parent, [](HWND, LPARAM counter) { return ++*reinterpret_cast<int*>(counter), TRUE; },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(DesignCanvas, OpeningAndClosingASubmenuPanelLeaksNoObjects)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    auto cycle = [&d] {
        d.Click(d.a2);
        d.Click(d.a1);
    };
    for (int i = 0; i < 10; ++i) cycle();
    const HANDLE process = GetCurrentProcess();
    const DWORD gdi = GdiObjectCount();
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    const int windows = ChildWindows(d.canvas.m_hWnd);
    const std::size_t registered = d.document.itemsById.size();

    for (int i = 0; i < 1000; ++i) cycle();
    EXPECT_EQ(nullptr, d.listB->panel);
    // A few objects of the system's own may come and go meanwhile.
    EXPECT_LE(GdiObjectCount(), gdi + 5);
    EXPECT_LE(GetGuiResources(process, GR_USEROBJECTS), user);
    EXPECT_EQ(windows, ChildWindows(d.canvas.m_hWnd));
    EXPECT_EQ(registered, d.document.itemsById.size());
}

TEST(DesignCanvas, DestroyTakesTheTreeTheClipboardAndTheRecordsWithIt)
{
    Designer d;
    ASSERT_TRUE(d.ready);
    d.Click(d.a2);
    d.canvas.copySelected();
    d.canvas.deleteSelected();  // the record keeps a2 and its submenu
    d.Click(d.a1);
    d.canvas.pasteClip();
    d.canvas.undo();  // the redo record keeps the pasted copy
    ASSERT_NE(nullptr, d.canvas.clipboardItem());

    const HWND window = d.canvas.m_hWnd;
    d.canvas.destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, d.document.rootMenu);
    EXPECT_TRUE(d.document.itemsById.empty());
    EXPECT_TRUE(d.document.menus.empty());
    EXPECT_EQ(nullptr, d.canvas.clipboardItem());
    d.canvas.destroy();
}

}  // namespace
