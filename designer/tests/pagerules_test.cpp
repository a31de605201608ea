// The item pages' rules without windows: enabling, the text rule with its
// undo steps, the shell-command values, the predefined captions and the
// icon path.
#include "designer/pagerules.h"

#include <set>
#include <string>

#include "ahcommon/tests/tempfile.h"
#include "designer/tests/designtree.h"
#include "lang/resource.h"

namespace {

TEST(PageEnabling, FollowsTheItemKind)
{
    struct Case {
        const char* name;
        PageItemState state;
        bool separatorEnabled, separatorChecked, generalOthers, keys, command, argument;
    };
    const Case cases[] = {
        {"root item", {true, false, false, 1}, false, false, false, false, false, false},
        {"separator", {false, true, false, 1}, true, true, false, false, false, false},
        {"submenu item", {false, false, true, 1}, false, false, true, false, false, false},
        {"plain, new", {false, false, false, 160}, true, false, true, true, true, false},
        {"plain, Explore", {false, false, false, 1}, true, false, true, true, true, true},
        {"plain, MailTo", {false, false, false, 2}, true, false, true, true, true, true},
        {"plain, Http", {false, false, false, 3}, true, false, true, true, true, true},
        {"plain, none", {false, false, false, 0}, true, false, true, true, true, false},
        {"plain, FindFiles", {false, false, false, 4}, true, false, true, true, true, false},
        {"plain, chosen empty", {false, false, false, 170}, true, false, true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GeneralEnabling general = GeneralPageEnabling(c.state);
        EXPECT_EQ(c.separatorEnabled, general.separatorEnabled);
        EXPECT_EQ(c.separatorChecked, general.separatorChecked);
        EXPECT_EQ(c.generalOthers, general.othersEnabled);
        EXPECT_EQ(c.keys, KeysPageEnabling(c.state).enabled);
        EXPECT_EQ(c.command, CommandPageEnabling(c.state).enabled);
        EXPECT_EQ(c.argument, CommandPageEnabling(c.state).argumentEnabled);
    }
}

class PageRules : public DesignTree {};

TEST_F(PageRules, ItemStateComesFromTheListAndTheItem)
{
    a1->shellCommand = 3;
    const PageItemState state = PageItemStateOf(listA, a1);
    EXPECT_FALSE(state.isRoot);
    EXPECT_EQ(3, state.shellCommand);
    EXPECT_TRUE(PageItemStateOf(listA, a2).hasSubmenu);
    EXPECT_TRUE(PageItemStateOf(root, top).isRoot);
    // Nothing selected: nothing to edit.
    EXPECT_FALSE(GeneralPageEnabling(PageItemStateOf(listA, nullptr)).othersEnabled);
    EXPECT_FALSE(GeneralPageEnabling(PageItemStateOf(nullptr, a1)).othersEnabled);
}

TEST(PageTextFields, AreFoundByPageControlAndNotification)
{
    struct Case {
        ItemPage page;
        int control;
        int notification;
        std::string CMenuItem::*field;  // null: no text field
        int changeType;
        bool selectedEntry;
    };
    const Case cases[] = {
        {ItemPage::General, IDC_GENERAL_CAPTION, kNotifyComboEditChange, &CMenuItem::caption, kChangeCaption, false},
        {ItemPage::General, IDC_GENERAL_CAPTION, kNotifyComboSelChange, &CMenuItem::caption, kChangeCaption, true},
        {ItemPage::General, IDC_GENERAL_NOTE, kNotifyEditChange, &CMenuItem::note, kChangeNote, false},
        {ItemPage::Keys, IDC_KEYS_TEXT, kNotifyEditChange, &CMenuItem::keystrokes, kChangeKeystrokes, false},
        {ItemPage::Command, IDC_COMMAND_TARGET, kNotifyEditChange, &CMenuItem::target, kChangeTarget, false},
        {ItemPage::Command, IDC_COMMAND_PARAMETERS, kNotifyEditChange, &CMenuItem::parameters, kChangeParameters,
         false},
        // 1015 is the note on one page and the command argument on another.
        {ItemPage::Command, IDC_COMMAND_ARGUMENT, kNotifyEditChange, &CMenuItem::commandArgument,
         kChangeCommandArgument, false},
        {ItemPage::Keys, 1015, kNotifyEditChange, nullptr, 0, false},
        // The icon file shown on the general page is set by the browse button only.
        {ItemPage::General, IDC_GENERAL_ICON_FILE, kNotifyEditChange, nullptr, 0, false},
        {ItemPage::General, IDC_GENERAL_CAPTION, kNotifyEditChange, nullptr, 0, false},
        {ItemPage::Command, IDC_COMMAND_SHELL, kNotifyComboSelChange, nullptr, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "page " << static_cast<int>(c.page) << " control " << c.control
                                          << " code " << c.notification);
        const PageTextField* field = FindPageTextField(c.page, c.control, c.notification);
        if (c.field == nullptr) {
            EXPECT_EQ(nullptr, field);
            continue;
        }
        ASSERT_NE(nullptr, field);
        EXPECT_TRUE(field->field == c.field);
        EXPECT_EQ(c.changeType, field->changeType);
        EXPECT_EQ(c.selectedEntry, field->selectedEntry);
        EXPECT_TRUE(TextFieldOfChangeType(c.changeType) == c.field);
    }
    EXPECT_TRUE(TextFieldOfChangeType(kChangeSeparator) == nullptr);
    EXPECT_TRUE(TextFieldOfChangeType(kChangeIconFile) == nullptr);
}

TEST_F(PageRules, EqualTextRecordsNothing)
{
    EXPECT_EQ(TextEditResult::Nothing, ApplyTextEdit(history, a1, kChangeCaption, "a1"));
    EXPECT_EQ(TextEditResult::Nothing, ApplyTextEdit(history, a1, kChangeTarget, ""));
    EXPECT_EQ(TextEditResult::Nothing, ApplyTextEdit(history, a1, kChangeNote, ""));
    EXPECT_EQ(TextEditResult::Nothing, ApplyTextEdit(history, a1, kChangeSeparator, "1"));
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.isModified());

    // Case counts.
    EXPECT_EQ(TextEditResult::Changed, ApplyTextEdit(history, a1, kChangeCaption, "A1"));
    EXPECT_EQ("A1", a1->caption);
    EXPECT_TRUE(history.canUndo());
}

TEST_F(PageRules, TypingInOneFieldUndoesInOneStep)
{
    for (int changeType : {kChangeCaption, kChangeKeystrokes, kChangeTarget, kChangeParameters,
                           kChangeCommandArgument}) {
        SCOPED_TRACE(changeType);
        std::string CMenuItem::*field = TextFieldOfChangeType(changeType);
        a1->*field = "old";
        for (const char* text : {"n", "ne", "new"})
            EXPECT_EQ(TextEditResult::Changed, ApplyTextEdit(history, a1, changeType, text));
        EXPECT_EQ("new", a1->*field);
        ASSERT_NE(nullptr, history.undo());
        EXPECT_EQ("old", a1->*field);
        EXPECT_FALSE(history.canUndo());
        history.clearRedo();
    }
}

TEST_F(PageRules, NoteIsSavedButNeverUndone)
{
    history.markSaved();
    EXPECT_EQ(TextEditResult::Changed, ApplyTextEdit(history, a1, kChangeNote, "remember"));
    EXPECT_EQ("remember", a1->note);
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.isModified());  // Close asks, Save writes it
    history.markSaved();
    EXPECT_FALSE(history.isModified());
}

TEST_F(PageRules, FirstKeystrokeIntoThePlaceholderMakesAnItem)
{
    CMenuItem* slot = listA->firstPlaceholder();
    EXPECT_EQ(TextEditResult::PlaceholderBecameItem, ApplyTextEdit(history, slot, kChangeCaption, "N"));
    EXPECT_EQ(TextEditResult::Changed, ApplyTextEdit(history, slot, kChangeCaption, "Ne"));
    EXPECT_EQ("a1,a2,a3,Ne,_", Captions(listA));

    ASSERT_NE(nullptr, history.undo());
    EXPECT_EQ("a1,a2,a3,_", Captions(listA));
    EXPECT_FALSE(history.canUndo());

    // A note turns the slot into an item too, and that step undoes.
    CMenuItem* noted = listB->firstPlaceholder();
    EXPECT_EQ(TextEditResult::PlaceholderBecameItem, ApplyTextEdit(history, noted, kChangeNote, "n"));
    EXPECT_EQ(0, noted->isPlaceholder);
    EXPECT_EQ(3u, listB->items.size());
    ASSERT_NE(nullptr, history.undo());
    EXPECT_EQ("b1,_", Captions(listB));
}

TEST(PageEditFocus, NamesTheFoldingFieldOfThePage)
{
    const int kComboEdit = 1001;  // the edit inside a drop-down combo box
    struct Case {
        ItemPage page;
        int focused, parent, changeType;
    };
    const Case cases[] = {
        {ItemPage::General, IDC_GENERAL_CAPTION, 0, kChangeCaption},
        {ItemPage::General, kComboEdit, IDC_GENERAL_CAPTION, kChangeCaption},
        {ItemPage::General, IDC_GENERAL_NOTE, 0, kNoChangeType},
        {ItemPage::General, IDC_GENERAL_ICON_FILE, 0, kNoChangeType},
        {ItemPage::Keys, IDC_KEYS_TEXT, 0, kChangeKeystrokes},
        {ItemPage::Keys, IDC_KEYS_PRESS_ENTER, 0, kNoChangeType},
        {ItemPage::Keys, IDC_GENERAL_CAPTION, 0, kNoChangeType},
        {ItemPage::Command, IDC_COMMAND_TARGET, 0, kChangeTarget},
        {ItemPage::Command, IDC_COMMAND_PARAMETERS, 0, kChangeParameters},
        {ItemPage::Command, IDC_COMMAND_ARGUMENT, 0, kChangeCommandArgument},
        {ItemPage::Command, IDC_COMMAND_SHELL, 0, kNoChangeType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "page " << static_cast<int>(c.page) << " control " << c.focused);
        EXPECT_EQ(c.changeType, EditFocusChangeType(c.page, c.focused, c.parent));
    }
}

TEST_F(PageRules, EnterClosesAndEscapeCancelsOnlyTheFocusedRun)
{
    ApplyTextEdit(history, a1, kChangeCaption, "abc");
    EXPECT_FALSE(CancelEditFocus(history, a1, ItemPage::Command, IDC_COMMAND_TARGET));
    EXPECT_FALSE(CancelEditFocus(history, a2, ItemPage::General, IDC_GENERAL_CAPTION));
    EXPECT_TRUE(CancelEditFocus(history, a1, ItemPage::General, IDC_GENERAL_CAPTION));

    EXPECT_EQ(kNoChangeType, ApplyEditFocus(history, a1, ItemPage::General, IDC_GENERAL_NOTE));
    EXPECT_TRUE(CancelEditFocus(history, a1, ItemPage::General, IDC_GENERAL_CAPTION));
    EXPECT_EQ(kChangeCaption, ApplyEditFocus(history, a1, ItemPage::General, 1001, IDC_GENERAL_CAPTION));
    EXPECT_FALSE(CancelEditFocus(history, a1, ItemPage::General, IDC_GENERAL_CAPTION));

    // Typing after Enter is a new run; Escape takes back only that one.
    ApplyTextEdit(history, a1, kChangeCaption, "abcd");
    ASSERT_TRUE(CancelEditFocus(history, a1, ItemPage::General, IDC_GENERAL_CAPTION));
    history.undo();
    EXPECT_EQ("abc", a1->caption);
}

TEST(ShellCommandValues, MapBetweenComboAndItem)
{
    const std::pair<int, int> selectionToValue[] = {{1, 1}, {3, 3}, {10, 10}, {0, 170}, {-1, 170}, {11, 170}};
    for (const auto& c : selectionToValue) EXPECT_EQ(c.second, ShellCommandFromSelection(c.first)) << c.first;

    const std::pair<int, int> valueToSelection[] = {{0, 0}, {1, 1}, {10, 10}, {11, 0}, {159, 0}, {160, 0},
                                                    {170, 0}, {255, 0}};
    for (const auto& c : valueToSelection) EXPECT_EQ(c.second, SelectionFromShellCommand(c.first)) << c.first;

    struct Change {
        int oldValue, newValue;
        bool needed;
    };
    const Change changes[] = {{160, 170, false}, {170, 160, false}, {255, 170, false}, {4, 4, false}, {0, 170, true},
                              {160, 1, true}, {3, 170, true}, {1, 2, true}, {159, 160, true}};
    for (const Change& c : changes) {
        EXPECT_EQ(c.needed, ShellCommandChangeNeeded(c.oldValue, c.newValue)) << c.oldValue << "->" << c.newValue;
    }

    std::set<int> withArgument;
    for (int value = 0; value < 256; ++value)
        if (ArgumentEnabled(value)) withArgument.insert(value);
    EXPECT_EQ((std::set<int>{1, 2, 3}), withArgument);

    EXPECT_EQ(11, kShellCommandNameCount);
    EXPECT_STREQ("Http", kShellCommandNames[kShellHttp]);
    EXPECT_STREQ("FileRun", kShellCommandNames[kShellFileRun]);
}

std::string Ini(const std::string& count, int keys)
{
    std::string text = "[Predefined Caption]\r\nCount=" + count + "\r\n";
    for (int i = 0; i < keys; ++i) text += "Caption" + std::to_string(i) + "=c" + std::to_string(i) + "\r\n";
    return text;
}

TEST(PredefinedCaptions, SkipMissingKeysAndStopAt255)
{
    TempFile gap("[Predefined Caption]\r\nCount=3\r\nCaption0=Hello\r\nCaption2=Bye\r\nCaption3=past the end\r\n");
    EXPECT_EQ((std::vector<std::string>{"Hello", "Bye"}), ReadPredefinedCaptions(gap.path()));

    for (const char* count : {"300", "-1"}) {
        SCOPED_TRACE(count);
        TempFile many(Ini(count, 300));
        const std::vector<std::string> captions = ReadPredefinedCaptions(many.path());
        ASSERT_EQ(255u, captions.size());
        EXPECT_EQ("c0", captions.front());
        EXPECT_EQ("c254", captions.back());
    }

    TempFile none("[Other]\r\nCount=3\r\nCaption0=x\r\n");
    EXPECT_TRUE(ReadPredefinedCaptions(none.path()).empty());
    EXPECT_TRUE(ReadPredefinedCaptions(none.path() + ".missing").empty());
}

TEST(PredefinedCaptions, LongTextsComeBackWhole)
{
    for (std::size_t length : {259u, 260u, 261u, 1000u}) {
        SCOPED_TRACE(length);
        std::string caption(length, 'x');
        caption.back() = 'Z';
        TempFile file("[Predefined Caption]\r\nCount=1\r\nCaption0=" + caption + "\r\n");
        EXPECT_EQ(std::vector<std::string>{caption}, ReadPredefinedCaptions(file.path()));
    }
}

TEST(IconPath, InitialFileIsTheFirstThatExists)
{
    const std::string dir = "C:\\Prog\\";
    struct Case {
        const char* name;
        std::set<std::string> existing;
        std::string editText, iconFile, expected;
    };
    const Case cases[] = {
        {"shown text", {"D:\\a.ico", "C:\\Prog\\b.ico"}, "D:\\a.ico", "b.ico", "D:\\a.ico"},
        {"shown text in the folder", {"C:\\Prog\\a.ico", "C:\\Prog\\b.ico"}, "a.ico", "b.ico", "C:\\Prog\\a.ico"},
        {"item's file", {"D:\\b.ico"}, "gone.ico", "D:\\b.ico", "D:\\b.ico"},
        {"item's file in the folder", {"C:\\Prog\\b.ico"}, "gone.ico", "b.ico", "C:\\Prog\\b.ico"},
        {"none exists", {"C:\\Prog\\other.ico"}, "a.ico", "b.ico", ""},
        {"empty names are not the folder", {"", "C:\\Prog\\"}, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto exists = [&c](const std::string& path) { return c.existing.count(path) != 0; };
        EXPECT_EQ(c.expected, IconInitialFile(c.editText, c.iconFile, dir, exists));
    }
}

TEST(IconPath, StoredRelativeToTheProgramFolder)
{
    const std::string dir = "C:\\Prog\\";
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Prog\\icons\\a.ico", "icons\\a.ico"},
        {"c:\\PROG\\a.ico", "a.ico"},
        {"C:\\Program\\a.ico", "C:\\Program\\a.ico"},
        {"D:\\Prog\\a.ico", "D:\\Prog\\a.ico"},
        {"C:\\Prog\\", "C:\\Prog\\"},  // not longer than the folder
        {"C:\\Pr", "C:\\Pr"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, StoredIconPath(c.first, dir)) << c.first;
    EXPECT_EQ("C:\\a.ico", StoredIconPath("C:\\a.ico", ""));
}

TEST(IconPath, CaseIsIgnoredForAsciiLettersOnly)
{
    struct Case {
        std::string stored, itemFile;
        bool unchanged;
    };
    const Case cases[] = {
        {"icons\\A.ICO", "Icons\\a.ico", true},
        {"a.ico", "a.ico", true},
        {"a.ico", "b.ico", false},
        {"a.ico", "a.ico ", false},
        {"", "", true},
        {"[a].ico", "{a}.ico", false},          // bytes 0x20 apart that are no letters
        {"\xC4.ico", "\xE4.ico", false},        // accented letters of one code page are left alone
        {"\x81" "a.ico", "\x81" "A.ico", false},  // trail bytes of two different double-byte characters
        {"\x81" "aB.ico", "\x81" "ab.ico", true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.unchanged, IconPathUnchanged(c.stored, c.itemFile)) << c.stored;

    // A folder name with a double-byte character differing only in its trail
    // byte's case is another folder.
    EXPECT_EQ("C:\\\x81" "A\\x.ico", StoredIconPath("C:\\\x81" "A\\x.ico", "C:\\\x81" "a\\"));
}

}  // namespace
