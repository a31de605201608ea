#include "designer/generalpage.h"

#include "ahcommon/ahsystem.h"
#include "lang/resource.h"
#include "menudoc/edithistory.h"
#include "menudoc/menulist.h"
#include "menuview/menupanel.h"

#include <commdlg.h>

namespace {

const char kIconFilter[] = "Icons (*.ico)|*.ico|All Files (*.*)|*.*||";
const char kIconExtension[] = "ico";
// OK and Cancel, question icon, Cancel the default.
const UINT kAskDeleteSubmenuStyle = MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2;

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

CGeneralPage::CGeneralPage() : CItemPage(IDD_GENERAL_PAGE, ItemPage::General) {}

BOOL CGeneralPage::OnInitDialog()
{
    const BOOL result = CItemPage::OnInitDialog();
    FillPredefinedCaptions();
    return result;
}

void CGeneralPage::FillPredefinedCaptions()
{
    HWND combo = GetDlgItem(IDC_GENERAL_CAPTION);
    if (combo == nullptr) return;
    const std::string folder = editor() != nullptr ? editor()->programFolder() : GetModulePath();
    for (const std::string& caption : ReadPredefinedCaptions(folder + kPredefinedCaptionsFile))
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
}

void CGeneralPage::reload()
{
    const CMenuItem* item = currentItem();
    reloadTextFields(item);
    showText(IDC_GENERAL_ICON_FILE, item != nullptr ? item->iconFile : std::string());
    CheckDlgButton(IDC_GENERAL_SUBMENU, item != nullptr && item->hasSubmenu != 0);
}

void CGeneralPage::updateEnabling()
{
    const GeneralEnabling enabling = GeneralPageEnabling(PageItemStateOf(currentList(), currentItem()));
    enableControls({IDC_GENERAL_SEPARATOR}, enabling.separatorEnabled);
    CheckDlgButton(IDC_GENERAL_SEPARATOR, enabling.separatorChecked);
    enableControls({IDC_GENERAL_SUBMENU, IDC_GENERAL_CAPTION, IDC_GENERAL_ICON_FILE, IDC_GENERAL_ICON_BROWSE,
                    IDC_GENERAL_NOTE},
                   enabling.othersEnabled);
}

bool CGeneralPage::OnCommand(UINT id, UINT code, HWND control)
{
    if (onTextNotification(id, code)) return true;
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_GENERAL_SEPARATOR: OnSeparatorClicked(); return true;
        case IDC_GENERAL_SUBMENU: OnSubmenuClicked(); return true;
        case IDC_GENERAL_ICON_BROWSE: OnBrowseIcon(); return true;
        default: break;
        }
    }
    return CItemPage::OnCommand(id, code, control);
}

void CGeneralPage::OnSeparatorClicked()
{
    CMenuItem* item = currentItem();
    if (item == nullptr) return;
    const int checked = IsDlgButtonChecked(IDC_GENERAL_SEPARATOR) ? 1 : 0;
    // A box out of step with the item changes nothing: no empty undo step.
    if (checked == (item->separator != 0 ? 1 : 0) || !beginChange(item, kChangeSeparator)) return;
    item->separator = checked;
    updateEnabling();
    if (CMenuPanel* panel = currentPanel()) panel->relayout();
    editor()->updateScrollRange();
    endChange();
}

void CGeneralPage::OnSubmenuClicked()
{
    CMenuItem* item = currentItem();
    if (item == nullptr || editor() == nullptr) return;
    const int checked = IsDlgButtonChecked(IDC_GENERAL_SUBMENU) ? 1 : 0;
    if (checked == (item->hasSubmenu != 0 ? 1 : 0)) return;
    if (checked == 0 && item->submenu != nullptr && !item->submenu->allPlaceholders()) {
        int answer = IDCANCEL;
        {
            CPaletteModal modal(host());
            answer = editor()->ask(m_hWnd, IDS_ASK_DELETE_SUBMENU, kAskDeleteSubmenuStyle, item->caption);
        }
        if (answer != IDOK) {
            CheckDlgButton(IDC_GENERAL_SUBMENU, true);
            return;
        }
        // The answer holds only for the item it was asked about.
        if (currentItem() != item) return;
    }
    if (!beginChange(item, kChangeSubmenu)) return;
    item->hasSubmenu = checked;
    // The record keeps the dropped submenu, so that undo brings it back.
    if (checked == 0) item->submenu = nullptr;
    updateEnabling();
    CMenuPanel* panel = currentPanel();
    if (panel != nullptr && item->parent != nullptr) panel->afterSubmenuFlagChange(item->parent->indexOf(item));
    endChange();
}

void CGeneralPage::OnBrowseIcon()
{
    CMenuItem* item = currentItem();
    if (item == nullptr || editor() == nullptr) return;
    const std::string folder = editor()->programFolder();
    FileOpenRequest request;
    request.filter = kIconFilter;
    request.defaultExtension = kIconExtension;
    request.initialFile = IconInitialFile(GetDlgItemText(IDC_GENERAL_ICON_FILE), item->iconFile, folder, FileExists);
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    std::string chosen;
    bool ok = false;
    {
        CPaletteModal modal(host());
        ok = editor()->chooseFile(m_hWnd, request, chosen);
    }
    if (!ok || currentItem() != item) return;
    const std::string stored = StoredIconPath(chosen, folder);
    if (IconPathUnchanged(stored, item->iconFile) || !beginChange(item, kChangeIconFile)) return;
    item->iconFile = stored;
    showText(IDC_GENERAL_ICON_FILE, stored);
    // A path that does not load still stands, and the item is drawn without
    // an icon: repainted either way, so that no old icon stays on screen.
    item->loadIcon();
    if (CMenuPanel* panel = currentPanel()) panel->invalidateItem(item);
    endChange();
}
