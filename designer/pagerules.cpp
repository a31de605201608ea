#include "designer/pagerules.h"

#include <utility>
#include <vector>

#include "ahcommon/inifile.h"
#include "lang/resource.h"
#include "menudoc/edithistory.h"
#include "menudoc/menulist.h"

PageItemState PageItemStateOf(const CMenuList* list, const CMenuItem* item)
{
    PageItemState state;
    state.isRoot = list == nullptr || item == nullptr || list->isRoot != 0;
    if (item != nullptr) {
        state.separator = item->separator != 0;
        state.hasSubmenu = item->hasSubmenu != 0;
        state.shellCommand = item->shellCommand;
    }
    return state;
}

namespace {

bool IsPlainItem(const PageItemState& state)
{
    return !state.isRoot && !state.separator && !state.hasSubmenu;
}

}  // namespace

GeneralEnabling GeneralPageEnabling(const PageItemState& state)
{
    GeneralEnabling enabling;
    // A submenu item cannot become a separator: its box shows clear.
    enabling.separatorChecked = state.separator && !state.hasSubmenu;
    enabling.separatorEnabled = !state.isRoot && !state.hasSubmenu;
    enabling.othersEnabled = !state.isRoot && !state.separator;
    return enabling;
}

KeysEnabling KeysPageEnabling(const PageItemState& state)
{
    KeysEnabling enabling;
    enabling.enabled = IsPlainItem(state);
    return enabling;
}

CommandEnabling CommandPageEnabling(const PageItemState& state)
{
    CommandEnabling enabling;
    enabling.enabled = IsPlainItem(state);
    enabling.argumentEnabled = enabling.enabled && ArgumentEnabled(state.shellCommand);
    return enabling;
}

const PageTextField kPageTextFields[] = {
    {ItemPage::General, IDC_GENERAL_CAPTION, kNotifyComboEditChange, kChangeCaption, &CMenuItem::caption, false,
     true},
    {ItemPage::General, IDC_GENERAL_CAPTION, kNotifyComboSelChange, kChangeCaption, &CMenuItem::caption, true,
     true},
    {ItemPage::General, IDC_GENERAL_NOTE, kNotifyEditChange, kChangeNote, &CMenuItem::note, false, false},
    {ItemPage::Keys, IDC_KEYS_TEXT, kNotifyEditChange, kChangeKeystrokes, &CMenuItem::keystrokes, false, false},
    {ItemPage::Command, IDC_COMMAND_TARGET, kNotifyEditChange, kChangeTarget, &CMenuItem::target, false, false},
    {ItemPage::Command, IDC_COMMAND_PARAMETERS, kNotifyEditChange, kChangeParameters, &CMenuItem::parameters, false,
     false},
    {ItemPage::Command, IDC_COMMAND_ARGUMENT, kNotifyEditChange, kChangeCommandArgument,
     &CMenuItem::commandArgument, false, false},
};
const std::size_t kPageTextFieldCount = sizeof(kPageTextFields) / sizeof(kPageTextFields[0]);

const PageTextField* FindPageTextField(ItemPage page, int controlId, int notification)
{
    for (const PageTextField& field : kPageTextFields) {
        if (field.page == page && field.controlId == controlId && field.notification == notification) return &field;
    }
    return nullptr;
}

std::string CMenuItem::*TextFieldOfChangeType(int changeType)
{
    for (const PageTextField& field : kPageTextFields) {
        if (field.changeType == changeType) return field.field;
    }
    return nullptr;
}

TextEditResult ApplyTextEdit(CEditHistory& history, CMenuItem* item, int changeType, const std::string& text)
{
    std::string CMenuItem::*field = TextFieldOfChangeType(changeType);
    if (item == nullptr || field == nullptr || item->*field == text) return TextEditResult::Nothing;
    // Recorded first, so that the record keeps the old text.
    const bool becameItem = history.recordChange(item, changeType);
    item->*field = text;
    return becameItem ? TextEditResult::PlaceholderBecameItem : TextEditResult::Changed;
}

int EditFocusChangeType(ItemPage page, int focusedId, int focusedParentId)
{
    for (const PageTextField& field : kPageTextFields) {
        // A note makes no undo step, so there is nothing to close or cancel.
        if (field.page != page || field.changeType == kChangeNote) continue;
        if (field.controlId == focusedId || (focusedParentId != 0 && field.controlId == focusedParentId))
            return field.changeType;
    }
    return kNoChangeType;
}

int ApplyEditFocus(CEditHistory& history, const CMenuItem* item, ItemPage page, int focusedId, int focusedParentId)
{
    const int changeType = EditFocusChangeType(page, focusedId, focusedParentId);
    if (item != nullptr && changeType != kNoChangeType) history.closeTop(item, changeType);
    return changeType;
}

bool CancelEditFocus(const CEditHistory& history, const CMenuItem* item, ItemPage page, int focusedId,
                     int focusedParentId)
{
    const int changeType = EditFocusChangeType(page, focusedId, focusedParentId);
    if (item == nullptr || changeType == kNoChangeType) return false;
    const CEditRecord* top = history.topUndo();
    return top != nullptr && !top->isClosed && top->itemId == item->id && top->changeType == changeType;
}

int ShellCommandFromSelection(int index)
{
    return index >= kShellExplore && index <= kShellFileRun ? index : kShellChosenEmpty;
}

int SelectionFromShellCommand(int value)
{
    return value >= kShellExplore && value <= kShellFileRun ? value : 0;
}

bool ShellCommandChangeNeeded(int oldValue, int newValue)
{
    if (oldValue == newValue) return false;
    return !(oldValue >= kShellNewItem && newValue >= kShellNewItem);
}

bool ArgumentEnabled(int value)
{
    return value == kShellExplore || value == kShellMailTo || value == kShellHttp;
}

namespace {

// The whole value of a key: the buffer grows while the copy fills it (the
// count returned includes the NUL, so a full buffer may have cut the text).
std::string ReadWholeString(CIniFile& ini, const char* section, const char* key)
{
    std::vector<char> buffer(260);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD count = ini.GetProfileStringA(section, key, "", buffer.data(), size);
        if (count < size || size > (1u << 30)) return std::string(buffer.data());
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::vector<std::string> ReadPredefinedCaptions(const std::string& iniPath)
{
    std::vector<std::string> captions;
    CIniFile ini;
    if (!ini.LoadFromFile(iniPath.c_str())) return captions;
    unsigned count = ini.GetProfileIntA(kPredefinedCaptionSection, "Count", 0);
    if (count > kMaxPredefinedCaptions) count = kMaxPredefinedCaptions;
    for (unsigned i = 0; i < count; ++i) {
        const std::string key = "Caption" + std::to_string(i);
        std::string text = ReadWholeString(ini, kPredefinedCaptionSection, key.c_str());
        if (!text.empty()) captions.push_back(std::move(text));
    }
    return captions;
}

namespace {

unsigned char FoldAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool BytesEqualNoCase(const char* a, const char* b, std::size_t n)
{
    bool afterHighByte = false;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && (afterHighByte || FoldAscii(x) != FoldAscii(y))) return false;
        afterHighByte = x >= 0x80;
    }
    return true;
}

}  // namespace

bool PathEqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && BytesEqualNoCase(a.data(), b.data(), a.size());
}

bool PathStartsWithNoCase(const std::string& path, const std::string& prefix)
{
    return path.size() >= prefix.size() && BytesEqualNoCase(path.data(), prefix.data(), prefix.size());
}

std::string IconInitialFile(const std::string& editText, const std::string& iconFile, const std::string& moduleDir,
                            const std::function<bool(const std::string&)>& exists)
{
    for (const std::string* name : {&editText, &iconFile}) {
        if (name->empty()) continue;
        if (exists(*name)) return *name;
        const std::string inFolder = moduleDir + *name;
        if (exists(inFolder)) return inFolder;
    }
    return std::string();
}

std::string StoredIconPath(const std::string& chosen, const std::string& moduleDir)
{
    if (!moduleDir.empty() && chosen.size() > moduleDir.size() && PathStartsWithNoCase(chosen, moduleDir))
        return chosen.substr(moduleDir.size());
    return chosen;
}

bool IconPathUnchanged(const std::string& stored, const std::string& itemIconFile)
{
    return PathEqualNoCase(stored, itemIconFile);
}
