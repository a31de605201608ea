// The three item pages in a real property palette, over a real design
// canvas showing a real tree. The designer's side (history, undo, the
// questions and file dialogs, the program folder) is a stand-in that hands
// on to the canvas and answers the dialogs itself. Controls are driven by
// the messages the system would send; keys go through the palette's
// pre-translation as the designer's loop offers them.
#include "designer/commandpage.h"
#include "designer/designcanvas.h"
#include "designer/generalpage.h"
#include "designer/keyspage.h"
#include "designer/pageeditor.h"
#include "designer/propertypalette.h"
#include "framework/winapp.h"
#include "lang/resource.h"
#include "menudoc/menudocument.h"
#include "menuview/menupanel.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// The program folder the pages see: a folder of its own with the caption
// list (Count 3, key 1 missing), an icon and a file that is no icon.
std::string g_folder;

class PagesEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        HMODULE module = LoadLibraryA("vnEng.dll");
        ASSERT_NE(module, nullptr);
        SetResourceModule(module);
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);

        char temp[MAX_PATH] = "";
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        g_folder = std::string(temp) + "vantrel_pages_" + std::to_string(GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(CreateDirectoryA(g_folder.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((g_folder + "icons").c_str(), nullptr));
        std::ofstream(g_folder + "Vantrel.ini", std::ios::binary)
            << "[Predefined Caption]\r\nCount=3\r\nCaption0=Greeting\r\nCaption2=Signature\r\n";
        std::ofstream(g_folder + "icons\\NotAnIcon.ico", std::ios::binary) << "plain text";
        ASSERT_TRUE(CopyFileA(PAGES_TEST_ICON, (g_folder + "icons\\Star.ico").c_str(), FALSE));
    }
    void TearDown() override
    {
        for (const char* file : {"Vantrel.ini", "icons\\NotAnIcon.ico", "icons\\Star.ico"})
            DeleteFileA((g_folder + file).c_str());
        RemoveDirectoryA((g_folder + "icons").c_str());
        RemoveDirectoryA(g_folder.c_str());
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new PagesEnvironment);

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

void HoldControl(bool held)
{
    BYTE keys[256] = {};
    if (held) keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    SetKeyboardState(keys);
}

// A key pressed in `target`, through the loop's pre-translation.
void PressKey(HWND target, WPARAM key, bool control = false)
{
    HoldControl(control);
    PostMessageA(target, WM_KEYDOWN, key, 1);
    Pump();
    HoldControl(false);
}

// The designer window as the palette and the canvas see it.
class StandInDesigner : public CWnd, public IPaletteOwner, public ICanvasOwner {
public:
    bool create()
    {
        const RECT place = {20, 20, 520, 420};
        return CreateEx(0, RegisterWndClass(0), "Designer", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, place,
                        nullptr, 0) != FALSE;
    }
    // IPaletteOwner
    HWND paletteOwnerWindow() const override { return m_hWnd; }
    void openHelp(DWORD) override {}
    void hideSelectionMark() override {}
    void showSelectionMark() override {}
    bool inModalState() const override { return false; }
    // ICanvasOwner: a selection gives the palette its panel, as the designer
    // does.
    void updateTitle() override { ++titles; }
    int askUser(UINT, UINT, const std::string&) override { return IDOK; }
    void itemSelected(CMenuPanel* panel, bool) override
    {
        if (palette != nullptr) palette->setCurrentPanel(panel);
    }

    CPropertyPalette* palette = nullptr;
    int titles = 0;
};

// The editing side: hands on to the canvas, answers the dialogs.
class StandInEditor : public IPageEditor {
public:
    struct Question {
        UINT id;
        UINT style;
        std::string argument;
        bool paletteModal;
    };
    struct FileDialog {
        FileOpenRequest request;
        bool paletteModal;
    };

    StandInEditor(CDesignCanvas& canvas, CPropertyPalette& palette) : m_canvas(canvas), m_palette(palette) {}

    CEditHistory& history() override { return m_canvas.history(); }
    void undo() override { m_canvas.undo(); }
    void updateScrollRange() override { m_canvas.updateExtent(); }
    void changeRecorded() override { ++changes; }
    int ask(HWND, UINT id, UINT style, const std::string& argument) override
    {
        questions.push_back(Question{id, style, argument, m_palette.isModalActive()});
        return answer;
    }
    bool chooseFile(HWND, const FileOpenRequest& request, std::string& chosen) override
    {
        fileDialogs.push_back(FileDialog{request, m_palette.isModalActive()});
        if (fileAnswer.empty()) return false;
        chosen = fileAnswer;
        return true;
    }
    std::string programFolder() const override { return g_folder; }

    int changes = 0;
    int answer = IDOK;
    std::string fileAnswer;
    std::vector<Question> questions;
    std::vector<FileDialog> fileDialogs;

private:
    CDesignCanvas& m_canvas;
    CPropertyPalette& m_palette;
};

// The designer's parts around this tree:
//   root: Top
//   Top -> A: a1, a2, a3, placeholder
//   a2  -> B: b1, placeholder
//   a3  -> C: placeholder
class PagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HoldControl(false);
        root = document.newMenu(nullptr);
        root->isRoot = 1;
        document.rootMenu = root;
        top = Real(root, "Top");
        listA = Sub(top);
        a1 = Real(listA, "a1");
        a2 = Real(listA, "a2");
        a3 = Real(listA, "a3");
        listB = Sub(a2);
        Real(listB, "b1");
        listC = Sub(a3);
        document.ensurePlaceholders();

        ASSERT_TRUE(designer.create());
        designer.palette = &palette;
        RECT client;
        GetClientRect(designer.m_hWnd, &client);
        ASSERT_TRUE(canvas.create(designer.m_hWnd, client));
        ASSERT_TRUE(canvas.start(&document));
        ASSERT_TRUE(palette.create(IDD_GENERAL_PAGE));
        for (CItemPage* page : std::vector<CItemPage*>{&general, &keys, &command}) {
            page->setEditor(&editor);
            ASSERT_TRUE(palette.addPage(*page));
        }
        SetWindowPos(palette.m_hWnd, nullptr, 540, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Pinned, so that Enter and Escape leave it on screen.
        SendMessageA(palette.m_hWnd, WM_COMMAND, CPropertyPalette::kPinCommand, 0);
        palette.showPalette(true);
        Pump();
    }
    void TearDown() override
    {
        HoldControl(false);
        palette.setCurrentPanel(nullptr);
        palette.DestroyWindow();
        canvas.destroy();
        designer.DestroyWindow();
        Pump();
    }

    CMenuItem* Real(CMenuList* list, const char* caption)
    {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        item->shellCommand = 160;
        return item;
    }
    CMenuList* Sub(CMenuItem* item)
    {
        item->hasSubmenu = 1;
        item->submenu = document.newMenu(item);
        return item->submenu;
    }
    static std::string Captions(const CMenuList* list)
    {
        std::string text;
        for (const CMenuItem* item : list->items) {
            if (!text.empty()) text += ",";
            text += item->isPlaceholder ? "_" : item->caption;
        }
        return text;
    }

    // Selects `item` on the canvas and shows page `tab` with the palette
    // active.
    void Select(CMenuItem* item, int tab = 0)
    {
        SendMessageA(canvas.m_hWnd, DM_SHOWITEM, reinterpret_cast<WPARAM>(item), 0);
        Pump();
        palette.selectTab(tab);
        palette.activate();
        Pump();
        ASSERT_NE(palette.currentPanel(), nullptr);
        ASSERT_EQ(palette.currentPanel()->list()->selectedItem(), item);
    }

    // Types `text` into a text control as the user's last keystroke leaves
    // it: the new text, then the control's notification to the page.
    static void Type(CDialog& page, int id, const std::string& text, UINT notification)
    {
        HWND control = page.GetDlgItem(id);
        SetWindowTextA(control, text.c_str());
        SendMessageA(page.m_hWnd, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(control));
    }
    void TypeCaption(const std::string& text) { Type(general, IDC_GENERAL_CAPTION, text, CBN_EDITCHANGE); }
    static void Choose(CDialog& page, int id, int index)
    {
        HWND combo = page.GetDlgItem(id);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(page.m_hWnd, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    static void Click(CDialog& page, int id) { SendMessageA(page.GetDlgItem(id), BM_CLICK, 0, 0); }

    // The edit field inside the caption combo, focused.
    HWND FocusCaption()
    {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetComboBoxInfo(general.GetDlgItem(IDC_GENERAL_CAPTION), &info));
        SetFocus(info.hwndItem);
        return info.hwndItem;
    }

    // The number of undo steps (the records are put back as they were).
    int UndoDepth()
    {
        std::vector<CEditRecord*> taken;
        CEditHistory& history = canvas.history();
        while (CEditRecord* record = history.popUndo()) taken.push_back(record);
        for (auto it = taken.rbegin(); it != taken.rend(); ++it) history.pushUndo(*it);
        return static_cast<int>(taken.size());
    }

    CMenuDocument document;
    CMenuList* root = nullptr;
    CMenuItem* top = nullptr;
    CMenuList* listA = nullptr;
    CMenuItem* a1 = nullptr;
    CMenuItem* a2 = nullptr;
    CMenuItem* a3 = nullptr;
    CMenuList* listB = nullptr;
    CMenuList* listC = nullptr;

    StandInDesigner designer;
    CDesignCanvas canvas{designer};
    CGeneralPage general;
    CKeysPage keys;
    CCommandPage command;
    CPropertyPalette palette{designer};
    StandInEditor editor{canvas, palette};
};

TEST_F(PagesTest, EscapeTakesBackTheRunOfTypingInProgressInOneStep)
{
    Select(a1);
    const long width = listA->panel->position().right - listA->panel->position().left;
    HWND edit = FocusCaption();
    const std::string longer = "a1, now with a caption far wider than the panel was";
    for (std::size_t length = 3; length <= longer.size(); ++length) TypeCaption(longer.substr(0, length));
    EXPECT_EQ(a1->caption, longer);
    EXPECT_GT(listA->panel->position().right - listA->panel->position().left, width);
    EXPECT_EQ(UndoDepth(), 1);

    PressKey(edit, VK_ESCAPE);
    EXPECT_EQ(a1->caption, "a1");
    EXPECT_EQ(listA->panel->position().right - listA->panel->position().left, width);
    EXPECT_EQ(general.GetDlgItemText(IDC_GENERAL_CAPTION), "a1");
    EXPECT_FALSE(canvas.history().canUndo());

    // Enter ends a run: Escape afterwards takes back only the next one.
    edit = FocusCaption();
    TypeCaption("a1x");
    PressKey(edit, VK_RETURN);
    edit = FocusCaption();
    TypeCaption("a1xy");
    TypeCaption("a1xyz");
    EXPECT_EQ(UndoDepth(), 2);
    PressKey(edit, VK_ESCAPE);
    EXPECT_EQ(a1->caption, "a1x");
    EXPECT_EQ(UndoDepth(), 1);

    // Escape with the focus off the text fields takes nothing back.
    SetFocus(general.GetDlgItem(IDC_GENERAL_SUBMENU));
    PressKey(general.GetDlgItem(IDC_GENERAL_SUBMENU), VK_ESCAPE);
    EXPECT_EQ(a1->caption, "a1x");
    EXPECT_GT(editor.changes, 0);
}

TEST_F(PagesTest, TheFirstKeystrokeIntoAPlaceholderMakesARealItem)
{
    CMenuItem* slot = listA->items[3];
    ASSERT_TRUE(slot->isPlaceholder);
    Select(slot);
    const long height = listA->panel->position().bottom - listA->panel->position().top;
    HWND edit = FocusCaption();
    TypeCaption("n");
    TypeCaption("new");
    EXPECT_EQ(Captions(listA), "a1,a2,a3,new,_");
    EXPECT_GT(listA->panel->position().bottom - listA->panel->position().top, height);
    EXPECT_EQ(UndoDepth(), 1);

    PressKey(edit, VK_ESCAPE);
    EXPECT_EQ(Captions(listA), "a1,a2,a3,_");
    EXPECT_EQ(listA->panel->position().bottom - listA->panel->position().top, height);
}

TEST_F(PagesTest, ANoteMarksTheMenuModifiedWithoutAnUndoStep)
{
    Select(a1);
    ASSERT_FALSE(canvas.history().isModified());
    Type(general, IDC_GENERAL_NOTE, "remember this", EN_CHANGE);
    EXPECT_EQ(a1->note, "remember this");
    EXPECT_TRUE(canvas.history().isModified());
    EXPECT_FALSE(canvas.history().canUndo());
    EXPECT_EQ(editor.changes, 1);  // the title shows the change
}

TEST_F(PagesTest, TextFieldsOfTheOtherPagesStoreTheirFields)
{
    const struct {
        CDialog* page;
        int tab;
        int id;
        std::string CMenuItem::*field;
    } cases[] = {
        {&keys, 1, IDC_KEYS_TEXT, &CMenuItem::keystrokes},
        {&command, 2, IDC_COMMAND_TARGET, &CMenuItem::target},
        {&command, 2, IDC_COMMAND_PARAMETERS, &CMenuItem::parameters},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        Select(a1, c.tab);
        Type(*c.page, c.id, "typed", EN_CHANGE);
        EXPECT_EQ(a1->*c.field, "typed");
        Select(a2, c.tab);  // another item shows its own, empty field
        EXPECT_EQ(c.page->GetDlgItemText(c.id), "");
    }
    EXPECT_EQ(UndoDepth(), 3);
}

TEST_F(PagesTest, ControlsAreEnabledByTheSelectedItem)
{
    using Ids = std::vector<int>;
    const Ids generalIds = {IDC_GENERAL_SEPARATOR, IDC_GENERAL_SUBMENU, IDC_GENERAL_CAPTION, IDC_GENERAL_ICON_FILE,
                            IDC_GENERAL_ICON_BROWSE, IDC_GENERAL_NOTE};
    const Ids keysIds = {IDC_KEYS_TEXT, IDC_KEYS_PRESS_ENTER, IDC_KEYS_ENCIPHER};
    const Ids commandIds = {IDC_COMMAND_TARGET, IDC_COMMAND_PARAMETERS, IDC_COMMAND_BROWSE, IDC_COMMAND_SHELL,
                            IDC_COMMAND_ARGUMENT};
    auto enabled = [](CDialog& page, const Ids& ids) {
        Ids on;
        for (int id : ids)
            if (IsWindowEnabled(page.GetDlgItem(id))) on.push_back(id);
        return on;
    };
    const Ids allButArgument = {IDC_COMMAND_TARGET, IDC_COMMAND_PARAMETERS, IDC_COMMAND_BROWSE, IDC_COMMAND_SHELL};
    const Ids noneOf = {};
    const Ids allButSeparator = {IDC_GENERAL_SUBMENU, IDC_GENERAL_CAPTION, IDC_GENERAL_ICON_FILE,
                                 IDC_GENERAL_ICON_BROWSE, IDC_GENERAL_NOTE};

    const struct {
        const char* what;
        CMenuItem** item;
        Ids general, keys, command;
        bool separatorChecked;
    } cases[] = {
        {"root item", &top, noneOf, noneOf, noneOf, false},
        {"plain item", &a1, generalIds, keysIds, allButArgument, false},
        {"submenu item", &a2, allButSeparator, noneOf, noneOf, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (int tab = 2; tab >= 0; --tab) Select(*c.item, tab);  // every page made and read
        EXPECT_EQ(enabled(general, generalIds), c.general);
        EXPECT_EQ(enabled(keys, keysIds), c.keys);
        EXPECT_EQ(enabled(command, commandIds), c.command);
        EXPECT_EQ(general.IsDlgButtonChecked(IDC_GENERAL_SEPARATOR), c.separatorChecked);
    }

    // Checking the separator box leaves only that box enabled.
    Select(a1);
    const long height = listA->panel->position().bottom - listA->panel->position().top;
    Click(general, IDC_GENERAL_SEPARATOR);
    EXPECT_EQ(a1->separator, 1);
    EXPECT_EQ(enabled(general, generalIds), Ids{IDC_GENERAL_SEPARATOR});
    EXPECT_LT(listA->panel->position().bottom - listA->panel->position().top, height);  // a separator is lower
    EXPECT_EQ(UndoDepth(), 1);
    Select(a1, 1);
    EXPECT_EQ(enabled(keys, keysIds), noneOf);
}

TEST_F(PagesTest, CheckBoxesOfTheKeysPageStoreTheirFlagsAsOneStepEach)
{
    Select(a1, 1);
    Click(keys, IDC_KEYS_PRESS_ENTER);
    Click(keys, IDC_KEYS_ENCIPHER);
    EXPECT_EQ(a1->pressEnter, 1);
    EXPECT_EQ(a1->keysEnciphered, 1);
    EXPECT_EQ(UndoDepth(), 2);
    canvas.undo();
    EXPECT_EQ(a1->keysEnciphered, 0);
    EXPECT_EQ(a1->pressEnter, 1);
}

TEST_F(PagesTest, ClearingHasSubmenuAsksOnlyWhenTheSubmenuHoldsItems)
{
    // Only the placeholder: no question, and undo brings the same list back.
    Select(a3);
    ASSERT_NE(listC->panel, nullptr);
    Click(general, IDC_GENERAL_SUBMENU);
    EXPECT_TRUE(editor.questions.empty());
    EXPECT_EQ(a3->hasSubmenu, 0);
    EXPECT_EQ(a3->submenu, nullptr);
    canvas.undo();
    EXPECT_EQ(a3->hasSubmenu, 1);
    EXPECT_EQ(a3->submenu, listC);
    EXPECT_EQ(Captions(listC), "_");

    // With content: asked inside the palette's modal state; Cancel keeps it.
    Select(a2);
    editor.answer = IDCANCEL;
    const int depth = UndoDepth();
    Click(general, IDC_GENERAL_SUBMENU);
    ASSERT_EQ(editor.questions.size(), 1u);
    EXPECT_EQ(editor.questions[0].id, UINT(IDS_ASK_DELETE_SUBMENU));
    EXPECT_EQ(editor.questions[0].style, 0x121u);
    EXPECT_EQ(editor.questions[0].argument, "a2");
    EXPECT_TRUE(editor.questions[0].paletteModal);
    EXPECT_FALSE(palette.isModalActive());
    EXPECT_TRUE(general.IsDlgButtonChecked(IDC_GENERAL_SUBMENU));
    EXPECT_EQ(a2->submenu, listB);
    EXPECT_EQ(UndoDepth(), depth);

    editor.answer = IDOK;
    Click(general, IDC_GENERAL_SUBMENU);
    EXPECT_EQ(a2->hasSubmenu, 0);
    EXPECT_EQ(a2->submenu, nullptr);
    EXPECT_EQ(UndoDepth(), depth + 1);

    // Checking it again gives the item a new submenu with its placeholder.
    Click(general, IDC_GENERAL_SUBMENU);
    ASSERT_NE(a2->submenu, nullptr);
    EXPECT_EQ(Captions(a2->submenu), "_");
    EXPECT_NE(a2->submenu->panel, nullptr);
}

TEST_F(PagesTest, ShellCommandChoicesStoreTheirValueAndTheEmptyEntryMeansNone)
{
    Select(a1, 2);
    HWND shell = command.GetDlgItem(IDC_COMMAND_SHELL);
    ASSERT_EQ(SendMessageA(shell, CB_GETCOUNT, 0, 0), 11);
    EXPECT_EQ(SendMessageA(shell, CB_GETCURSEL, 0, 0), 0);  // 160 shows the empty entry

    const struct {
        int index;
        int stored;
        bool argument;
        int depth;
    } steps[] = {
        {0, 160, false, 0},  // none for none: nothing recorded
        {3, 3, true, 1},
        {10, 10, false, 2},
        {0, 170, false, 3},
        {0, 170, false, 3},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.index);
        Choose(command, IDC_COMMAND_SHELL, s.index);
        EXPECT_EQ(a1->shellCommand, s.stored);
        EXPECT_EQ(IsWindowEnabled(command.GetDlgItem(IDC_COMMAND_ARGUMENT)) != FALSE, s.argument);
        EXPECT_EQ(UndoDepth(), s.depth);
    }
}

TEST_F(PagesTest, TheProgramDialogWritesItsChoiceIntoTheTarget)
{
    Select(a1, 2);
    Click(command, IDC_COMMAND_BROWSE);  // cancelled
    EXPECT_EQ(a1->target, "");
    ASSERT_EQ(editor.fileDialogs.size(), 1u);
    const FileOpenRequest& request = editor.fileDialogs[0].request;
    EXPECT_EQ(request.filter, "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||");
    EXPECT_EQ(request.defaultExtension, "exe");
    EXPECT_EQ(request.initialFile, "");
    EXPECT_EQ(request.flags, 0x1004u);
    EXPECT_TRUE(editor.fileDialogs[0].paletteModal);

    editor.fileAnswer = "C:\\Tools\\Editor.exe";
    Click(command, IDC_COMMAND_BROWSE);
    EXPECT_EQ(command.GetDlgItemText(IDC_COMMAND_TARGET), "C:\\Tools\\Editor.exe");
    EXPECT_EQ(a1->target, "C:\\Tools\\Editor.exe");
    EXPECT_EQ(UndoDepth(), 1);
}

TEST_F(PagesTest, IconBrowseStoresPathsInsideTheProgramFolderRelative)
{
    Select(a1);
    const std::string star = g_folder + "icons\\Star.ico";
    editor.fileAnswer = star;
    Click(general, IDC_GENERAL_ICON_BROWSE);
    ASSERT_EQ(editor.fileDialogs.size(), 1u);
    EXPECT_EQ(editor.fileDialogs[0].request.filter, "Icons (*.ico)|*.ico|All Files (*.*)|*.*||");
    EXPECT_EQ(editor.fileDialogs[0].request.defaultExtension, "ico");
    EXPECT_EQ(editor.fileDialogs[0].request.initialFile, "");
    EXPECT_EQ(editor.fileDialogs[0].request.flags, 0x1004u);
    EXPECT_TRUE(editor.fileDialogs[0].paletteModal);
    EXPECT_EQ(a1->iconFile, "icons\\Star.ico");
    EXPECT_EQ(general.GetDlgItemText(IDC_GENERAL_ICON_FILE), "icons\\Star.ico");
    EXPECT_EQ(UndoDepth(), 1);

    // The same file in other letter case: the dialog opened on the shown
    // file, and nothing is recorded.
    std::string upper = star;
    CharUpperA(&upper[0]);
    editor.fileAnswer = upper;
    Click(general, IDC_GENERAL_ICON_BROWSE);
    EXPECT_EQ(editor.fileDialogs.back().request.initialFile, star);
    EXPECT_EQ(a1->iconFile, "icons\\Star.ico");
    EXPECT_EQ(UndoDepth(), 1);

    // Outside the program folder the whole path is kept.
    editor.fileAnswer = PAGES_TEST_ICON;
    Click(general, IDC_GENERAL_ICON_BROWSE);
    EXPECT_EQ(a1->iconFile, PAGES_TEST_ICON);
    EXPECT_NE(a1->icon, nullptr);
    EXPECT_EQ(UndoDepth(), 2);
}

TEST_F(PagesTest, AFileThatIsNoIconLeavesTheItemWithoutItsOldIconOnScreen)
{
    a1->iconFile = PAGES_TEST_ICON;
    ASSERT_TRUE(a1->loadIcon());
    Select(a1);
    UpdateWindow(listA->panel->m_hWnd);
    ValidateRect(listA->panel->m_hWnd, nullptr);

    editor.fileAnswer = g_folder + "icons\\NotAnIcon.ico";
    Click(general, IDC_GENERAL_ICON_BROWSE);
    EXPECT_EQ(a1->iconFile, "icons\\NotAnIcon.ico");
    EXPECT_EQ(a1->icon, nullptr);
    RECT pending;
    EXPECT_TRUE(GetUpdateRect(listA->panel->m_hWnd, &pending, FALSE));  // the old icon is drawn over
}

TEST_F(PagesTest, TheCaptionListComesFromTheProgramFolderAndSetsTheCaption)
{
    Select(a1);
    HWND combo = general.GetDlgItem(IDC_GENERAL_CAPTION);
    ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    char text[64] = "";
    SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Greeting");
    SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Signature");

    Choose(general, IDC_GENERAL_CAPTION, 1);
    EXPECT_EQ(a1->caption, "Signature");
    EXPECT_EQ(UndoDepth(), 1);
}

TEST_F(PagesTest, CtrlEnterInTheKeystrokesStartsANewLine)
{
    Select(a1, 1);
    HWND text = keys.GetDlgItem(IDC_KEYS_TEXT);
    SetFocus(text);
    Type(keys, IDC_KEYS_TEXT, "first", EN_CHANGE);
    SendMessageA(text, EM_SETSEL, 5, 5);
    PressKey(text, VK_RETURN, true);
    EXPECT_EQ(keys.GetDlgItemText(IDC_KEYS_TEXT), "first\r\n");
    EXPECT_EQ(a1->keystrokes, "first\r\n");
    EXPECT_EQ(GetFocus(), text);  // not Enter for the palette, which would end the edit
}

}  // namespace
