#include "designer/propertypalette.h"

#include "designer/palettepage.h"
#include "framework/helppages.h"
#include "framework/tests/gdicount.h"
#include "framework/winapp.h"
#include "lang/resource.h"
#include "menuview/menupanel.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LanguageEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        HMODULE module = LoadLibraryA("vnEng.dll");
        ASSERT_NE(module, nullptr);
        SetResourceModule(module);
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LanguageEnvironment);

// Runs the messages that arrive for `ms` milliseconds as the designer's
// loop does: each is offered to the windows' key handling first.
void Pump(DWORD ms = 30)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (CWnd::WalkPreTranslate(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

void HoldKeys(bool control, bool shift)
{
    BYTE keys[256] = {};
    if (control) keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    if (shift) keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    SetKeyboardState(keys);
}

void PressKey(HWND target, WPARAM key, bool control = false, bool shift = false)
{
    HoldKeys(control, shift);
    PostMessageA(target, WM_KEYDOWN, key, 1);
    Pump();
    HoldKeys(false, false);
}

// The designer as the palette sees it.
class StandInOwner : public CWnd, public IPaletteOwner {
public:
    bool create()
    {
        const RECT place = {20, 20, 420, 320};
        return CreateEx(0, RegisterWndClass(0), "Designer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, place, nullptr, 0) !=
               FALSE;
    }
    HWND paletteOwnerWindow() const override { return m_hWnd; }
    void openHelp(DWORD context) override { events.push_back(std::string("help ") + HelpPageFor(context)); }
    void hideSelectionMark() override { events.push_back("hide mark"); }
    void showSelectionMark() override { events.push_back("show mark"); }
    bool inModalState() const override { return modal; }

    std::vector<std::string> events;
    bool modal = false;
};

// A page that records what the palette asks of it.
class StandInPage : public CPalettePage {
public:
    StandInPage(UINT templateId, const char* name, std::vector<std::string>& log)
        : CPalettePage(templateId), m_name(name), m_log(log)
    {
    }
    void reload() override { m_log.push_back(m_name + " reload"); }
    void updateEnabling() override { m_log.push_back(m_name + " updateEnabling"); }
    void applyEdit() override { m_log.push_back(m_name + " applyEdit"); }
    void cancelEdit() override { m_log.push_back(m_name + " cancelEdit"); }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HoldKeys(false, false);
        ASSERT_TRUE(owner.create());
        ASSERT_TRUE(palette.create(IDD_GENERAL_PAGE));
        ASSERT_FALSE(IsWindowVisible(palette.m_hWnd));
        for (StandInPage* page : {&general, &keys, &command}) ASSERT_TRUE(palette.addPage(*page));
        SetWindowPos(palette.m_hWnd, nullptr, 440, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetActiveWindow(owner.m_hWnd);
        Pump();
    }
    void TearDown() override { HoldKeys(false, false); }

    // Shows and activates the palette as the Properties command does.
    void Open()
    {
        palette.showPalette(true);
        palette.setCurrentPanel(&panel);
        palette.activate();
        Pump();
        log.clear();
        owner.events.clear();
    }
    int Count(const std::string& entry) const
    {
        int n = 0;
        for (const std::string& e : log) n += e == entry ? 1 : 0;
        return n;
    }
    // A top-level window of the same thread: "another application".
    HWND MakeWindow(HWND ownerWindow)
    {
        HWND window = CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_CAPTION | WS_VISIBLE, 30, 400, 200, 100,
                                      ownerWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
        others.push_back(window);
        return window;
    }
    ~PaletteTest() override
    {
        for (HWND window : others)
            if (IsWindow(window)) DestroyWindow(window);
    }

    std::vector<std::string> log;
    std::vector<HWND> others;
    CMenuPanel panel;  // never made: the pages only receive it
    StandInOwner owner;
    CPropertyPalette palette{owner};
    StandInPage general{IDD_GENERAL_PAGE, "general", log};
    StandInPage keys{IDD_KEYS_PAGE, "keys", log};
    StandInPage command{IDD_COMMAND_PAGE, "command", log};
};

TEST_F(PaletteTest, TabsAreLabelledByTheirTemplatesAndPagesFillThePageArea)
{
    ASSERT_EQ(palette.tabCount(), 3);
    EXPECT_EQ(palette.tabCaption(0), L"General");
    EXPECT_EQ(palette.tabCaption(1), L"Keystrokes");
    EXPECT_EQ(palette.tabCaption(2), L"Command");
    EXPECT_EQ(palette.currentTab(), 0);
    EXPECT_FALSE(general.IsOpen());  // made on its first showing

    Open();
    ASSERT_TRUE(general.IsOpen());
    EXPECT_EQ(GetParent(general.m_hWnd), palette.m_hWnd);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(general.m_hWnd, GWL_STYLE)) & ~WS_VISIBLE,
              CPalettePage::kPageStyle);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(general.m_hWnd, GWL_EXSTYLE)), DWORD(WS_EX_CONTROLPARENT));
    RECT client, place, expected = palette.pageRect();
    GetClientRect(palette.m_hWnd, &client);
    EXPECT_EQ(expected.left, 5);
    EXPECT_EQ(expected.top, 26);
    EXPECT_EQ(expected.right, client.right - 5);
    EXPECT_EQ(expected.bottom, client.bottom - 5);
    GetWindowRect(general.m_hWnd, &place);
    MapWindowPoints(nullptr, palette.m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    InflateRect(&expected, -3, -3);
    EXPECT_TRUE(EqualRect(&place, &expected));
    for (int id : {IDC_GENERAL_CAPTION, IDC_GENERAL_NOTE, IDC_GENERAL_SUBMENU}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(general.m_hWnd, id, WM_GETFONT, 0, 0)),
                  palette.pageFont());
    }
    // A page given the focus hands it to the palette.
    SetFocus(general.m_hWnd);
    EXPECT_EQ(GetFocus(), palette.m_hWnd);
}

TEST_F(PaletteTest, TabKeysWrapAtBothEndsAndShowTheNewPageReadAgain)
{
    Open();
    HWND note = GetDlgItem(general.m_hWnd, IDC_GENERAL_NOTE);
    const struct {
        const char* what;
        int from;
        bool onPage;  // the key reaches a control of the page, else the palette
        WPARAM key;
        bool control, shift;
        int to;
    } cases[] = {
        {"Page Down on the last", 2, false, VK_NEXT, false, false, 0},
        {"Right on the last", 2, false, VK_RIGHT, false, false, 0},
        {"Left on the first", 0, false, VK_LEFT, false, false, 2},
        {"Page Up on the first", 0, false, VK_PRIOR, false, false, 2},
        {"Page Down in the middle", 1, false, VK_NEXT, false, false, 2},
        {"Ctrl+Tab on the page", 0, true, VK_TAB, true, false, 1},
        {"Ctrl+Shift+Tab on the page, first tab", 0, true, VK_TAB, true, true, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        palette.selectTab(c.from);
        Pump();
        HWND target = palette.m_hWnd;
        if (c.onPage) {
            ASSERT_EQ(c.from, 0);
            SetFocus(note);
            target = note;
        } else {
            SetFocus(palette.m_hWnd);
        }
        log.clear();
        PressKey(target, c.key, c.control, c.shift);
        EXPECT_EQ(palette.currentTab(), c.to);
        CPalettePage* shown = palette.page(c.to);
        EXPECT_TRUE(IsWindowVisible(shown->m_hWnd));
        EXPECT_FALSE(IsWindowVisible(palette.page(c.from)->m_hWnd));
        const std::string name = c.to == 0 ? "general" : c.to == 1 ? "keys" : "command";
        EXPECT_EQ(log, (std::vector<std::string>{name + " reload", name + " updateEnabling"}));
    }
}

TEST_F(PaletteTest, TabMovesThroughThePageAndOnToThePalette)
{
    Open();
    palette.selectTab(1);  // keys page: text, press Enter, encipher
    Pump();
    HWND text = GetDlgItem(keys.m_hWnd, IDC_KEYS_TEXT);
    HWND enter = GetDlgItem(keys.m_hWnd, IDC_KEYS_PRESS_ENTER);
    HWND encipher = GetDlgItem(keys.m_hWnd, IDC_KEYS_ENCIPHER);

    SetFocus(palette.m_hWnd);
    PressKey(palette.m_hWnd, VK_TAB);
    EXPECT_EQ(GetFocus(), text);  // the first tab stop
    PressKey(text, VK_TAB);
    EXPECT_EQ(GetFocus(), enter);
    PressKey(enter, VK_TAB);
    EXPECT_EQ(GetFocus(), encipher);
    PressKey(encipher, VK_TAB);
    EXPECT_EQ(GetFocus(), palette.m_hWnd);  // no further control: no wrap

    PressKey(palette.m_hWnd, VK_TAB, false, true);
    EXPECT_EQ(GetFocus(), encipher);  // Shift+Tab from the palette: the last one
    PressKey(encipher, VK_TAB, false, true);
    EXPECT_EQ(GetFocus(), enter);
    EnableWindow(text, FALSE);
    PressKey(enter, VK_TAB, false, true);
    EXPECT_EQ(GetFocus(), palette.m_hWnd);  // a disabled control is no stop

    // While the designer is in a modal state the page leaves keys alone.
    owner.modal = true;
    SetFocus(enter);
    PressKey(enter, VK_TAB, true, false);
    EXPECT_EQ(palette.currentTab(), 1);
}

TEST_F(PaletteTest, LosingTheActivationAppliesTheEditAndHidesUnlessKept)
{
    const struct {
        const char* what;
        bool pinned;
        bool pageDialog;  // the new active window is owned by the palette
        bool modalState;  // opened inside CPaletteModal
        bool backAgain;   // the palette is active again before the check
        bool hides;
        int applied;
    } cases[] = {
        {"another window", false, false, false, false, true, 1},
        {"pinned", true, false, false, false, false, 1},
        {"a page's dialog in the modal state", false, true, true, false, false, 0},
        {"a window owned by the palette", false, true, false, false, false, 1},
        {"the palette again at once", false, false, false, true, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (palette.isPinned() != c.pinned) SendMessageA(palette.m_hWnd, WM_COMMAND, CPropertyPalette::kPinCommand, 0);
        Open();
        ASSERT_EQ(GetActiveWindow(), palette.m_hWnd);
        {
            CPaletteModal modal(c.modalState ? &palette : nullptr);
            if (c.modalState) {
                EXPECT_TRUE(palette.isModalActive());
                EXPECT_FALSE(IsWindowEnabled(owner.m_hWnd));
            }
            HWND other = MakeWindow(c.pageDialog ? palette.m_hWnd : nullptr);
            SetActiveWindow(other);
            EXPECT_TRUE(IsWindowVisible(palette.m_hWnd));  // not at once: 5 ms later
            if (c.backAgain) SetActiveWindow(palette.m_hWnd);
            Pump(60);
            EXPECT_EQ(IsWindowVisible(palette.m_hWnd) == FALSE, c.hides);
            EXPECT_EQ(palette.isShown(), !c.hides);
            EXPECT_EQ(Count("general applyEdit"), c.applied);
            DestroyWindow(other);
            Pump();
        }
        EXPECT_FALSE(palette.isModalActive());
        EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
        palette.showPalette(false);
        SetActiveWindow(owner.m_hWnd);
        Pump();
    }
}

TEST_F(PaletteTest, EnterAndEscapeEndTheEditThenHideOrGiveTheFocusBack)
{
    const struct {
        const char* what;
        bool pinned;
        WPARAM key;
        const char* call;
        bool visible;
    } cases[] = {
        {"pinned, Enter", true, VK_RETURN, "general applyEdit", true},
        {"pinned, Escape", true, VK_ESCAPE, "general cancelEdit", true},
        {"unpinned, Enter", false, VK_RETURN, "general applyEdit", false},
        {"unpinned, Escape", false, VK_ESCAPE, "general cancelEdit", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (palette.isPinned() != c.pinned) SendMessageA(palette.m_hWnd, WM_COMMAND, CPropertyPalette::kPinCommand, 0);
        Open();
        HWND note = GetDlgItem(general.m_hWnd, IDC_GENERAL_NOTE);
        SetFocus(note);
        PressKey(note, c.key);
        Pump(40);  // past the hiding check
        // The key's own call only: losing the activation does not apply again.
        EXPECT_EQ(log, std::vector<std::string>{c.call});
        EXPECT_EQ(IsWindowVisible(palette.m_hWnd) != FALSE, c.visible);
        EXPECT_EQ(GetActiveWindow(), owner.m_hWnd);
        if (c.pinned) {
            EXPECT_EQ(GetFocus(), owner.m_hWnd);
            // Back in the palette and out again: that edit is applied.
            palette.activate();
            Pump();
            EXPECT_EQ(GetFocus(), note);  // where the focus was
            log.clear();
            SetActiveWindow(owner.m_hWnd);
            Pump(40);
            EXPECT_EQ(log, std::vector<std::string>{"general applyEdit"});
        }
        palette.showPalette(false);
        Pump();
    }
}

TEST_F(PaletteTest, TheCloseBoxHidesAndTheToolBarPinsAndCallsHelp)
{
    Open();
    SendMessageA(palette.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_TRUE(IsWindow(palette.m_hWnd));
    EXPECT_FALSE(IsWindowVisible(palette.m_hWnd));
    EXPECT_FALSE(palette.isShown());
    ASSERT_TRUE(palette.showPalette(true));
    EXPECT_TRUE(IsWindowVisible(general.m_hWnd));

    HWND bar = GetDlgItem(palette.m_hWnd, 0xE800);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 2);
    for (bool pinned : {true, false}) {
        SCOPED_TRACE(pinned);
        SendMessageA(palette.m_hWnd, WM_COMMAND, CPropertyPalette::kPinCommand, 0);
        EXPECT_EQ(palette.isPinned(), pinned);
        EXPECT_EQ(SendMessageA(bar, TB_ISBUTTONCHECKED, CPropertyPalette::kPinCommand, 0) != 0, pinned);
        EXPECT_EQ(SendMessageA(bar, TB_GETBITMAP, CPropertyPalette::kPinCommand, 0), pinned ? 1 : 0);
    }
    // The help button opens the palette's page of the guide on every page.
    for (int tab = 0; tab < palette.tabCount(); ++tab) {
        palette.selectTab(tab);
        owner.events.clear();
        SendMessageA(palette.m_hWnd, WM_COMMAND, CPropertyPalette::kHelpCommand, 0);
        HELPINFO info = {};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.hItemHandle = palette.m_hWnd;
        SendMessageA(palette.m_hWnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));  // F1
        EXPECT_EQ(owner.events, (std::vector<std::string>{"help palette", "help palette"})) << tab;
    }
}

TEST_F(PaletteTest, ACaptionDragHidesTheSelectionMarkUntilTheNextCaptionMove)
{
    Open();
    RECT frame;
    GetWindowRect(palette.m_hWnd, &frame);
    const LPARAM caption = MAKELPARAM(frame.left + 60, frame.top + 5);

    SendMessageA(palette.m_hWnd, WM_NCMOUSEMOVE, HTCAPTION, caption);
    EXPECT_TRUE(owner.events.empty());  // no drag, nothing to show again

    // The system's move loop ends at Escape.
    PostMessageA(palette.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    SendMessageA(palette.m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, caption);
    EXPECT_EQ(owner.events, std::vector<std::string>{"hide mark"});
    SendMessageA(palette.m_hWnd, WM_NCMOUSEMOVE, HTCAPTION, caption);
    SendMessageA(palette.m_hWnd, WM_NCMOUSEMOVE, HTCAPTION, caption);
    EXPECT_EQ(owner.events, (std::vector<std::string>{"hide mark", "show mark"}));
}

TEST_F(PaletteTest, ANewPanelIsReadByTheCurrentPageOnly)
{
    Open();
    palette.selectTab(1);
    Pump();
    log.clear();
    CMenuPanel other;
    palette.setCurrentPanel(&other);
    EXPECT_EQ(palette.currentPanel(), &other);
    EXPECT_EQ(log, (std::vector<std::string>{"keys reload", "keys updateEnabling"}));

    log.clear();
    palette.setCurrentPanel(nullptr);  // the panel is going
    EXPECT_EQ(palette.currentPanel(), nullptr);
    palette.selectTab(2);
    EXPECT_TRUE(log.empty());  // nothing to read
}

TEST_F(PaletteTest, ShowingAndHidingKeepsTheGdiObjectCount)
{
    auto cycle = [&](int i) {
        palette.showPalette(true);
        palette.selectTab(i % 3);
        palette.activate();
        UpdateWindow(palette.m_hWnd);
        palette.showPalette(false);
        Pump(0);
    };
    for (int i = 0; i < 3; ++i) cycle(i);  // every page made and painted once
    const DWORD before = GdiObjectCount();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 200; ++i) cycle(i);
    EXPECT_LE(GdiObjectCount(), before + 5);
}

}  // namespace
