// The designer window driven by messages on a real menu file: the commands'
// enabling, closing with and without saving, a menu that cannot be read, a
// save that cannot be written and a second writer saving in between.
#include "designer/designerdlg.h"

#include "accounts/tests/dialogtestkit.h"
#include "lang/resource.h"
#include "menuview/panelcanvas.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>
#include <vector>

namespace {

// The variable that makes a run of this program the second writer: the
// menu file it changes.
const char kSecondWriterFile[] = "VANTREL_SECOND_WRITER_FILE";
const char kMenu[] = "Main";
const char kUser[] = "admin";
const char kPassword[] = "secret";

class DesignerTestHost;
DesignerTestHost* g_host = nullptr;

// Records the messages and reloads, answers the questions and runs a
// script once the designer is on screen. A question without an answer
// gets No, so that a designer left open by a failing test still closes.
class DesignerTestHost : public CDesignerHost {
public:
    using Script = std::function<void(HWND)>;

    DesignerTestHost() { g_host = this; }
    ~DesignerTestHost() { g_host = nullptr; }

    LoginValues currentLogin() const override { return login; }
    std::string resolveModuleRelative(const std::string& path) const override { return path; }
    HICON programIcon() const override { return nullptr; }
    int showMessage(HWND, UINT stringId, UINT style, const std::string& first, const std::string& second) override
    {
        messages.push_back({stringId, style, first, second});
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        const UINT buttons = style & MB_TYPEMASK;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDNO : IDOK;
    }
    void dialogShown(HWND dialog, bool) override
    {
        ++shown;
        m_window = dialog;
        if (script) {
            ASSERT_NE(SetTimer(nullptr, 0, 10, &DesignerTestHost::RunScript), 0u);
        }
    }
    void dialogClosing(HWND dialog, bool) override { closed.push_back(dialog); }
    void reloadMenus() override { ++reloads; }

    std::vector<UINT> MessageIds() const
    {
        std::vector<UINT> ids;
        for (const ShownMessage& message : messages) ids.push_back(message.id);
        return ids;
    }

    LoginValues login;
    std::vector<ShownMessage> messages;
    std::deque<int> answers;
    Script script;
    int shown = 0;
    int reloads = 0;
    std::vector<HWND> closed;

private:
    static void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        if (g_host == nullptr || !g_host->script) return;
        Script script = std::move(g_host->script);
        g_host->script = nullptr;
        const HWND window = g_host->m_window;
        script(window);
        if (IsWindow(window) && IsWindowVisible(window))
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    }
    HWND m_window = nullptr;
};

// The tree written into the menu: Top -> the captions given. With an item
// key, each of those items types a text enciphered with it.
void WriteTree(const std::string& file, const std::vector<std::string>& captions, const std::string& key = "")
{
    CMenuDocument document;
    ASSERT_TRUE(document.load(file, kMenu, kUser, kPassword, ItemKey(key)));
    CMenuItem* top = document.rootMenu->items.at(0);
    top->caption = "Top";
    top->hasSubmenu = 1;
    if (top->submenu == nullptr) top->submenu = document.newMenu(top);
    while (!top->submenu->items.empty()) top->submenu->remove(top->submenu->items.front());
    for (const std::string& caption : captions) {
        CMenuItem* item = top->submenu->appendNew(0);
        item->caption = caption;
        if (key.empty()) continue;
        item->keystrokes = "typed " + caption;
        item->keysEnciphered = 1;
    }
    ASSERT_TRUE(document.save(file, kMenu, kUser, kPassword, ItemKey(key)));
    document.close();
    document.deleteMenu(document.rootMenu);
    document.rootMenu = nullptr;
}

// The captions of Top's submenu as stored in the file.
std::vector<std::string> StoredCaptions(const std::string& file)
{
    std::vector<std::string> captions;
    CMenuDocument document;
    const bool loaded = document.load(file, kMenu, kUser, kPassword, ItemKey());
    document.close();
    if (loaded) {
        const CMenuItem* top = document.rootMenu->items.at(0);
        if (top->submenu != nullptr)
            for (const CMenuItem* item : top->submenu->items)
                if (!item->isPlaceholder) captions.push_back(item->caption);
    }
    if (document.rootMenu != nullptr) document.deleteMenu(document.rootMenu);
    document.rootMenu = nullptr;
    return captions;
}

// Runs the update pass of every popup of the menu bar, as opening them
// would, and tells whether `id` came out enabled.
bool MenuEnabled(HWND designer, UINT id)
{
    HMENU bar = GetMenu(designer);
    for (int i = 0; i < GetMenuItemCount(bar); ++i)
        SendMessageA(designer, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, i)), MAKELPARAM(i, FALSE));
    const UINT state = GetMenuState(bar, id, MF_BYCOMMAND);
    EXPECT_NE(state, static_cast<UINT>(-1)) << "command " << id << " is not in the menu";
    return (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

// A command as its accelerator sends it.
void Command(HWND designer, UINT id)
{
    SendMessageA(designer, WM_COMMAND, MAKEWPARAM(id, 1), 0);
}

std::string Title(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class DesignerWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearFolder();
        file = TestFolder() + "menus.vn";
        MakeMenuFile(file, {{kMenu, {{kUser, kPassword, "rw"}, {"reader", "r", "r"}}}, {"Other", {}}});
        WriteTree(file, {"a1", "a2"});
        host.login = {file, kMenu, kUser, kPassword, ""};
    }
    void TearDown() override { ClearFolder(); }

    // Selects an item of the tree as the canvas's own message does.
    void Select(CMenuItem* item)
    {
        SendMessageA(dialog.canvas().m_hWnd, DM_SHOWITEM, reinterpret_cast<WPARAM>(item), 0);
    }
    CMenuItem* Top() { return dialog.document().rootMenu->items.at(0); }
    CMenuItem* Sub(size_t index) { return Top()->submenu->items.at(index); }
    bool StillOpen(HWND d) const { return IsWindow(d) && IsWindowVisible(d) && host.closed.empty(); }

    DesignerTestHost host;
    CDesignerDlg dialog{host};
    std::string file;
};

TEST_F(DesignerWindow, CommandsAreEnabledByTheSelectionAndGreyedOnesDoNothing)
{
    const std::set<UINT> always = {ID_ITEM_PROPERTIES, ID_DESIGNER_CLOSE, ID_DESIGNER_SAVE, ID_HELP};
    const std::set<UINT> editing = {ID_NEW_ITEM, ID_DELETE_ITEM, ID_EDIT_COPY, ID_EDIT_CUT};
    struct Case {
        const char* what;
        std::function<void()> select;
        bool editable;
        bool paste;
    };
    host.script = [&](HWND d) {
        const std::vector<Case> cases = {
            {"the root item", [&] { Select(Top()); }, false, false},
            {"a real item of a submenu", [&] { Select(Sub(0)); }, true, false},
            {"the placeholder", [&] { Select(Sub(2)); }, false, false},
            {"the placeholder, an item copied", [&] { Select(Sub(0)); Command(d, ID_EDIT_COPY); Select(Sub(2)); },
             false, true},
            {"the root item, an item copied", [&] { Select(Top()); }, false, false},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            c.select();
            for (UINT id : always) EXPECT_TRUE(MenuEnabled(d, id)) << id;
            for (UINT id : editing) EXPECT_EQ(MenuEnabled(d, id), c.editable) << id;
            EXPECT_EQ(MenuEnabled(d, ID_EDIT_PASTE), c.paste);
            EXPECT_FALSE(MenuEnabled(d, ID_EDIT_UNDO));
            EXPECT_FALSE(MenuEnabled(d, ID_EDIT_REDO));
        }
        // Greyed commands that still arrive change nothing.
        Select(Top());
        for (UINT id : {ID_DELETE_ITEM, ID_EDIT_CUT, ID_NEW_ITEM, ID_EDIT_PASTE, ID_EDIT_UNDO}) Command(d, id);
        EXPECT_EQ(dialog.document().rootMenu->count(), 1);
        EXPECT_EQ(Top()->submenu->count(), 3);
        EXPECT_FALSE(dialog.canvas().history().canUndo());

        // An edit enables Undo, and its undo Redo.
        Select(Sub(0));
        Command(d, ID_DELETE_ITEM);
        EXPECT_EQ(Top()->submenu->count(), 2);
        EXPECT_TRUE(MenuEnabled(d, ID_EDIT_UNDO));
        Command(d, ID_EDIT_UNDO);
        EXPECT_EQ(Top()->submenu->count(), 3);
        EXPECT_TRUE(MenuEnabled(d, ID_EDIT_REDO));
        EXPECT_FALSE(MenuEnabled(d, ID_EDIT_UNDO));
        Command(d, IDCANCEL);
    };
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(host.shown, 1);
    EXPECT_TRUE(host.messages.empty()) << "back at the saved tree, closing asks nothing";
}

TEST_F(DesignerWindow, ClosingWithChangesAsksAndDoesWhatTheAnswerSays)
{
    struct Case {
        const char* what;
        int answer;
        bool open;
        std::vector<std::string> stored;
        int reloads;
    };
    const Case cases[] = {
        {"cancel", IDCANCEL, true, {"a1", "a2"}, 0},
        {"no", IDNO, false, {"a1", "a2"}, 0},
        {"yes", IDYES, false, {"a2"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteTree(file, {"a1", "a2"});
        const std::string before = FileBytes(file);
        host.messages.clear();
        host.closed.clear();
        host.reloads = 0;
        std::string titleAfterEdit;
        bool open = false, canUndo = false, canRedo = false, modified = false;
        size_t items = 0;
        host.script = [&](HWND d) {
            // Two deletions and one undo: something on both stacks.
            Select(Sub(0));
            Command(d, ID_DELETE_ITEM);
            Select(Sub(0));
            Command(d, ID_DELETE_ITEM);
            Command(d, ID_EDIT_UNDO);
            titleAfterEdit = Title(d);
            host.answers = {c.answer};
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);  // Escape
            open = StillOpen(d);
            if (!open) return;
            canUndo = dialog.canvas().history().canUndo();
            canRedo = dialog.canvas().history().canRedo();
            modified = dialog.canvas().history().isModified();
            items = Top()->submenu->items.size();
            host.answers = {IDNO};
            Command(d, ID_DESIGNER_CLOSE);
        };
        EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
        EXPECT_EQ(titleAfterEdit, "Menu Designer - Main * - [" + file + "]");
        ASSERT_FALSE(host.messages.empty());
        EXPECT_EQ(host.messages[0].id, static_cast<UINT>(IDS_ASK_SAVE_CHANGES));
        EXPECT_EQ(host.messages[0].style, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3));
        EXPECT_EQ(open, c.open);
        if (c.open) {
            EXPECT_TRUE(canUndo);
            EXPECT_TRUE(canRedo);
            EXPECT_TRUE(modified);
            EXPECT_EQ(items, 2u) << "a2 and the placeholder";
        }
        EXPECT_EQ(StoredCaptions(file), c.stored);
        if (c.answer != IDYES) {
            EXPECT_TRUE(FileBytes(file) == before) << "not written";
        }
        EXPECT_EQ(host.reloads, c.reloads);
        EXPECT_EQ(dialog.document().rootMenu, nullptr) << "the tree goes with the window";
    }
}

TEST_F(DesignerWindow, SaveWritesTheTreeDropsTheAsteriskAndAsksForAReload)
{
    std::string edited, saved, undone;
    host.script = [&](HWND d) {
        EXPECT_EQ(Title(d), "Menu Designer - Main - [" + file + "]");
        Select(Sub(1));
        Command(d, ID_DELETE_ITEM);
        edited = Title(d);
        Command(d, ID_DESIGNER_SAVE);
        saved = Title(d);
        EXPECT_EQ(StoredCaptions(file), std::vector<std::string>{"a1"});
        EXPECT_EQ(host.reloads, 1);
        Command(d, ID_EDIT_UNDO);
        undone = Title(d);
        Command(d, ID_EDIT_REDO);
        EXPECT_EQ(Title(d), saved) << "back at the saved tree";
        Command(d, ID_DESIGNER_CLOSE);
    };
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(edited, "Menu Designer - Main * - [" + file + "]");
    EXPECT_EQ(saved, "Menu Designer - Main - [" + file + "]");
    EXPECT_EQ(undone, edited);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.reloads, 1);
}

TEST_F(DesignerWindow, AMenuThatCannotBeReadIsNotOpened)
{
    const std::string junk = TestFolder() + "junk.vn";
    WriteBytes(junk, "not a menu file");
    const std::string keyed = TestFolder() + "keyed.vn";
    MakeMenuFile(keyed, {{kMenu, {{kUser, kPassword, "rw"}}}});
    WriteTree(keyed, {"k1", "k2"}, "right");
    struct Case {
        const char* what;
        LoginValues login;
        UINT message;
    };
    const Case cases[] = {
        {"missing file", {TestFolder() + "none.vn", kMenu, kUser, kPassword, ""}, IDS_DESIGNER_LOAD_FAILED},
        {"not a menu file", {junk, kMenu, kUser, kPassword, ""}, IDS_DESIGNER_LOAD_FAILED},
        {"menu gone", {file, "Gone", kUser, kPassword, ""}, IDS_DESIGNER_LOGIN_STALE},
        {"password changed", {file, kMenu, kUser, "other", ""}, IDS_DESIGNER_LOGIN_STALE},
        {"a reader", {file, kMenu, "reader", "r", ""}, IDS_DESIGNER_READ_ONLY},
        // Saving would drop the texts that did not decipher.
        {"another item key", {keyed, kMenu, kUser, kPassword, "wrong"}, IDS_WRONG_ITEM_KEY},
    };
    const std::string before = FileBytes(file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.messages.clear();
        host.shown = 0;
        host.login = c.login;
        host.script = [](HWND) { ADD_FAILURE() << "the designer appeared"; };
        EXPECT_EQ(dialog.DoModal(nullptr), -1);
        EXPECT_EQ(host.shown, 0);
        EXPECT_FALSE(dialog.IsOpen());
        ASSERT_EQ(host.MessageIds(), std::vector<UINT>{c.message});
        EXPECT_EQ(host.messages[0].first, c.login.menuName);
        EXPECT_EQ(host.messages[0].second, c.login.file);
        EXPECT_EQ(dialog.document().rootMenu, nullptr);
        EXPECT_EQ(host.reloads, 0);
    }
    host.script = nullptr;
    EXPECT_TRUE(FileBytes(file) == before);

    // The same object opens the menu with the right key.
    host.login = {keyed, kMenu, kUser, kPassword, "right"};
    host.messages.clear();
    host.script = [&](HWND d) {
        EXPECT_EQ(Sub(1)->keystrokes, "typed k2");
        Command(d, ID_DESIGNER_CLOSE);
    };
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(host.shown, 1);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(DesignerWindow, AFailedSaveSaysSoAndKeepsEveryEdit)
{
    const std::string before = FileBytes(file);
    HANDLE hold = INVALID_HANDLE_VALUE;
    std::string title;
    bool canUndo = false, canRedo = false, openAfterYes = false;
    size_t messagesWhileHeld = 0;
    host.script = [&](HWND d) {
        Select(Sub(0));
        Command(d, ID_DELETE_ITEM);
        Select(Sub(0));
        Command(d, ID_DELETE_ITEM);
        Command(d, ID_EDIT_UNDO);
        // Another program holds the file, letting nobody write it.
        hold = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(hold, INVALID_HANDLE_VALUE);
        Command(d, ID_DESIGNER_SAVE);
        title = Title(d);
        canUndo = dialog.canvas().history().canUndo();
        canRedo = dialog.canvas().history().canRedo();
        // Yes in the closing question with a save that fails stays open.
        host.answers = {IDYES};
        Command(d, IDCANCEL);
        openAfterYes = StillOpen(d);
        messagesWhileHeld = host.messages.size();
        CloseHandle(hold);
        host.answers = {IDYES};
        Command(d, IDCANCEL);
    };
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    ASSERT_GE(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[0].id, static_cast<UINT>(IDS_UPDATE_FILE_FAILED));
    EXPECT_EQ(host.messages[0].first, file);
    EXPECT_EQ(title, "Menu Designer - Main * - [" + file + "]");
    EXPECT_TRUE(canUndo);
    EXPECT_TRUE(canRedo);
    EXPECT_TRUE(openAfterYes);
    const std::vector<UINT> ids = host.MessageIds();
    EXPECT_EQ(std::vector<UINT>(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(messagesWhileHeld)),
              (std::vector<UINT>{IDS_UPDATE_FILE_FAILED, IDS_ASK_SAVE_CHANGES, IDS_UPDATE_FILE_FAILED}));
    // Once the file is free, Yes saves and closes.
    EXPECT_EQ(ids.size(), messagesWhileHeld + 1);
    EXPECT_EQ(StoredCaptions(file), std::vector<std::string>{"a2"});
    EXPECT_EQ(host.reloads, 1) << "only the save that was written reloads";
    EXPECT_TRUE(FileBytes(file) != before);
}

// Runs this program again as a second writer that renames a2 in the menu.
void SaveAsSecondWriter(const std::string& path)
{
    char program[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, program, MAX_PATH), 0u);
    std::string command = std::string("\"") + program +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=SecondWriter.DISABLED_RenamesA2";
    ASSERT_TRUE(SetEnvironmentVariableA(kSecondWriterFile, path.c_str()));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                        &process);
    SetEnvironmentVariableA(kSecondWriterFile, nullptr);
    ASSERT_TRUE(started);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(code, 0u) << "the second writer failed";
}

TEST(SecondWriter, DISABLED_RenamesA2)
{
    char path[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA(kSecondWriterFile, path, MAX_PATH), 0u);
    WriteTree(path, {"a1", "theirs"});
}

TEST_F(DesignerWindow, AnotherWritersSaveInBetweenIsOverwrittenOnlyWhenAsked)
{
    std::string theirs;
    std::string titleAfterNo;
    int reloadsAfterNo = -1;
    host.script = [&](HWND d) {
        Select(Sub(0));
        Command(d, ID_DELETE_ITEM);
        SaveAsSecondWriter(file);
        theirs = FileBytes(file);
        ASSERT_EQ(StoredCaptions(file), (std::vector<std::string>{"a1", "theirs"}));

        host.answers = {IDNO};
        Command(d, ID_DESIGNER_SAVE);
        EXPECT_TRUE(FileBytes(file) == theirs) << "No writes nothing";
        titleAfterNo = Title(d);
        reloadsAfterNo = host.reloads;

        host.answers = {IDYES};
        Command(d, ID_DESIGNER_SAVE);
        Command(d, ID_DESIGNER_CLOSE);
    };
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    const std::vector<UINT> asked = {IDS_ASK_OVERWRITE_MENU, IDS_ASK_OVERWRITE_MENU};
    EXPECT_EQ(host.MessageIds(), asked);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages[0].style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(host.messages[0].first, kMenu);
    EXPECT_EQ(host.messages[0].second, file);
    EXPECT_EQ(titleAfterNo, "Menu Designer - Main * - [" + file + "]");
    EXPECT_EQ(reloadsAfterNo, 0);
    EXPECT_EQ(StoredCaptions(file), std::vector<std::string>{"a2"}) << "Yes overwrites";
    EXPECT_EQ(host.reloads, 1);
}

}  // namespace
