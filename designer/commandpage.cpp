#include "designer/commandpage.h"

#include "lang/resource.h"
#include "menudoc/edithistory.h"
#include "menudoc/menuitem.h"

#include <commdlg.h>

namespace {

const char kProgramFilter[] = "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||";
const char kProgramExtension[] = "exe";

}  // namespace

CCommandPage::CCommandPage() : CItemPage(IDD_COMMAND_PAGE, ItemPage::Command) {}

BOOL CCommandPage::OnInitDialog()
{
    const BOOL result = CItemPage::OnInitDialog();
    HWND combo = GetDlgItem(IDC_COMMAND_SHELL);
    if (combo != nullptr) {
        // Unsorted, so that an entry's index is its shell-command value.
        for (const char* name : kShellCommandNames)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
    }
    return result;
}

void CCommandPage::reload()
{
    const CMenuItem* item = currentItem();
    reloadTextFields(item);
    const int selection = item != nullptr ? SelectionFromShellCommand(item->shellCommand) : 0;
    SendDlgItemMessageA(m_hWnd, IDC_COMMAND_SHELL, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

void CCommandPage::updateEnabling()
{
    const CommandEnabling enabling = CommandPageEnabling(PageItemStateOf(currentList(), currentItem()));
    enableControls({IDC_COMMAND_TARGET, IDC_COMMAND_PARAMETERS, IDC_COMMAND_BROWSE, IDC_COMMAND_SHELL},
                   enabling.enabled);
    enableControls({IDC_COMMAND_ARGUMENT}, enabling.argumentEnabled);
}

bool CCommandPage::OnCommand(UINT id, UINT code, HWND control)
{
    if (onTextNotification(id, code)) return true;
    if (id == IDC_COMMAND_SHELL && code == CBN_SELCHANGE) {
        OnShellCommandChosen();
        return true;
    }
    if (id == IDC_COMMAND_BROWSE && code == BN_CLICKED) {
        OnBrowseProgram();
        return true;
    }
    return CItemPage::OnCommand(id, code, control);
}

void CCommandPage::OnShellCommandChosen()
{
    CMenuItem* item = currentItem();
    if (item == nullptr) return;
    const int index = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_COMMAND_SHELL, CB_GETCURSEL, 0, 0));
    const int value = ShellCommandFromSelection(index);
    if (!ShellCommandChangeNeeded(item->shellCommand, value) || !beginChange(item, kChangeShellCommand)) return;
    item->shellCommand = static_cast<unsigned char>(value);
    enableControls({IDC_COMMAND_ARGUMENT}, ArgumentEnabled(value));
    endChange();
}

void CCommandPage::OnBrowseProgram()
{
    if (currentItem() == nullptr || editor() == nullptr) return;
    FileOpenRequest request;
    request.filter = kProgramFilter;
    request.defaultExtension = kProgramExtension;
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    std::string chosen;
    bool ok = false;
    {
        CPaletteModal modal(host());
        ok = editor()->chooseFile(m_hWnd, request, chosen);
    }
    if (!ok) return;
    SetDlgItemText(IDC_COMMAND_TARGET, chosen);
    // The edit reports the new text itself; should it not, the text rule
    // runs here (a second run finds nothing to change).
    onTextNotification(IDC_COMMAND_TARGET, EN_CHANGE);
}
