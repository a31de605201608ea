#include "designer/designerdlg.h"

#include "ahcommon/ahsystem.h"
#include "designer/designertitle.h"
#include "framework/cmdui.h"
#include "framework/gdiscope.h"
#include "framework/helpopener.h"
#include "lang/resource.h"
#include "menuview/menupanel.h"
#include "menuview/panelcanvas.h"

#include <commctrl.h>

#include <vector>

namespace {

// Started when the designer loses the activation; when it fires and no
// window of this thread has the focus, the user went to another program.
const UINT_PTR kFocusCheckTimer = 200;
const UINT kFocusCheckDelay = 5;

const UINT kQuestionYesNoCancel = MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;
// Overwriting another user's work is never the default.
const UINT kQuestionOverwrite = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

}  // namespace

CDesignerDlg::CDesignerDlg(CDesignerHost& host)
    : CFrameDialog(IDD_DESIGNER, IDR_DESIGNER_ACCEL), m_host(host), m_canvas(*this)
{
}

CDesignerDlg::~CDesignerDlg()
{
    // The window goes first, while the canvas and the document still exist.
    if (m_hWnd != nullptr) DestroyWindow();
    DropTree();
}

std::string CDesignerDlg::MenuFile() const
{
    return m_host.resolveModuleRelative(m_login.file);
}

void CDesignerDlg::DropTree()
{
    if (m_document.rootMenu != nullptr) m_document.deleteMenu(m_document.rootMenu);
    m_document.rootMenu = nullptr;
}

bool CDesignerDlg::ReadMenu()
{
    DropTree();
    m_document.decryptFailed = 0;
    const bool loaded = m_document.load(MenuFile(), m_login.menuName, m_login.user, m_login.password,
                                        ItemKey(m_login.key));
    // A tree that was read only in part, or whose keystrokes did not
    // decipher, would lose the rest when saved; a reader's could not be
    // saved at all: none of them is opened, and the message says why.
    UINT reason = 0;
    if (!loaded || m_document.rootMenu == nullptr) {
        switch (m_document.loadFailure) {
        case LoadFailure::NoMatch:
            reason = IDS_DESIGNER_LOGIN_STALE;
            break;
        case LoadFailure::BadBody:
            reason = IDS_DESIGNER_BAD_MENU;
            break;
        default:
            reason = IDS_DESIGNER_LOAD_FAILED;
            break;
        }
    } else if (m_document.decryptFailed != 0) {
        reason = IDS_WRONG_ITEM_KEY;
    } else if (!m_document.canWrite()) {
        reason = IDS_DESIGNER_READ_ONLY;
    }
    m_document.close();
    if (reason != 0) {
        DropTree();
        m_host.showMessage(GetWindow(m_hWnd, GW_OWNER), reason, MB_ICONEXCLAMATION, m_login.menuName, MenuFile());
        return false;
    }
    m_document.ensurePlaceholders();
    m_document.rootMenu->normaliseSubmenus();
    return true;
}

BOOL CDesignerDlg::OnInitDialog()
{
    CFrameDialog::OnInitDialog();
    m_caption = WindowText(m_hWnd);
    if (HICON icon = m_host.programIcon()) {
        SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    m_login = m_host.currentLogin();
    if (!ReadMenu()) {
        EndDialog(-1);
        return FALSE;
    }
    m_canvas.history().setDocument(&m_document);

    RECT client = {0, 0, 0, 0};
    GetClientRect(m_hWnd, &client);
    m_canvas.setRootIcon(m_host.programIcon());
    if (!CreatePalette() || !m_canvas.create(m_hWnd, client) || !m_canvas.start(&m_document)) {
        if (m_palette.m_hWnd != nullptr) m_palette.DestroyWindow();
        m_canvas.destroy();
        DropTree();
        EndDialog(-1);
        return FALSE;
    }
    RecalcLayout();
    if (!m_document.rootMenu->items.empty())
        PostMessageA(m_canvas.m_hWnd, DM_SHOWITEM, reinterpret_cast<WPARAM>(m_document.rootMenu->items.front()), 0);
    updateTitle();
    SetMessageText(kIdlePrompt);
    SetFocus(m_canvas.m_hWnd);
    return FALSE;
}

void CDesignerDlg::updateTitle()
{
    if (m_hWnd == nullptr) return;
    const std::string title =
        DesignerTitle(m_caption, m_login.menuName, m_canvas.history().isModified(), MenuFile());
    SetWindowTextA(m_hWnd, title.c_str());
}

int CDesignerDlg::askUser(UINT stringId, UINT style, const std::string& argument)
{
    return m_host.showMessage(m_hWnd, stringId, style, argument, std::string());
}

// A changed selection refreshes a shown palette; asking for the properties
// also shows and activates it.
void CDesignerDlg::itemSelected(CMenuPanel* panel, bool openProperties)
{
    if (panel == nullptr || m_palette.m_hWnd == nullptr) return;
    if (!openProperties && !m_palette.isShown()) return;
    if (!m_palette.isShown()) {
        PlacePalette();
        m_palette.showPalette(true);
    }
    m_palette.setCurrentPanel(panel);
    if (openProperties) m_palette.activate();
}

void CDesignerDlg::panelClosing(CMenuPanel* panel)
{
    if (m_palette.currentPanel() == panel) m_palette.setCurrentPanel(nullptr);
}

void CDesignerDlg::hideSelectionMark()
{
    m_canvas.clearSelectionFrame();
}

void CDesignerDlg::showSelectionMark()
{
    m_canvas.showSelectionAgain();
}

// A message box of the designer's own disables it.
bool CDesignerDlg::inModalState() const
{
    return m_hWnd != nullptr && !IsWindowEnabled(m_hWnd);
}

void CDesignerDlg::updateScrollRange()
{
    m_canvas.updateExtent();
}

void CDesignerDlg::changeRecorded()
{
    updateTitle();
}

int CDesignerDlg::ask(HWND owner, UINT stringId, UINT style, const std::string& argument)
{
    return m_host.showMessage(owner != nullptr ? owner : m_hWnd, stringId, style, argument, std::string());
}

bool CDesignerDlg::chooseFile(HWND owner, const FileOpenRequest& request, std::string& chosen)
{
    return RunFileOpenDialog(owner, request, chosen);
}

std::string CDesignerDlg::programFolder() const
{
    return GetModulePath();
}

bool CDesignerDlg::CreatePalette()
{
    m_generalPage.setEditor(this);
    m_keysPage.setEditor(this);
    m_commandPage.setEditor(this);
    m_palettePlaced = false;
    return m_palette.create(IDD_GENERAL_PAGE) && m_palette.addPage(m_generalPage) && m_palette.addPage(m_keysPage) &&
           m_palette.addPage(m_commandPage);
}

void CDesignerDlg::PlacePalette()
{
    if (m_palettePlaced) return;
    m_palettePlaced = true;
    RECT designer;
    RECT palette;
    if (!GetWindowRect(m_hWnd, &designer) || !GetWindowRect(m_palette.m_hWnd, &palette)) return;
    const long width = palette.right - palette.left;
    const long height = palette.bottom - palette.top;
    RECT wanted = {designer.right - width - 24, designer.bottom - height - 32, 0, 0};
    wanted.right = wanted.left + width;
    wanted.bottom = wanted.top + height;
    // Kept on the monitor that shows the designer.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        if (wanted.right > work.right) OffsetRect(&wanted, work.right - wanted.right, 0);
        if (wanted.bottom > work.bottom) OffsetRect(&wanted, 0, work.bottom - wanted.bottom);
        if (wanted.left < work.left) OffsetRect(&wanted, work.left - wanted.left, 0);
        if (wanted.top < work.top) OffsetRect(&wanted, 0, work.top - wanted.top);
    }
    SetWindowPos(m_palette.m_hWnd, nullptr, wanted.left, wanted.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDesignerDlg::insertNewItem()
{
    m_canvas.insertNewItem();
}

void CDesignerDlg::deleteSelected()
{
    m_canvas.deleteSelected();
}

void CDesignerDlg::showProperties()
{
    if (CMenuPanel* panel = m_canvas.currentPanel())
        PostMessageA(m_canvas.m_hWnd, DM_ITEMSELECTED, 1, reinterpret_cast<LPARAM>(panel));
}

void CDesignerDlg::copySelected()
{
    m_canvas.copySelected();
}

void CDesignerDlg::cutSelected()
{
    m_canvas.cutSelected();
}

void CDesignerDlg::pasteClip()
{
    m_canvas.pasteClip();
}

void CDesignerDlg::undo()
{
    m_canvas.undo();
}

void CDesignerDlg::redo()
{
    m_canvas.redo();
}

void CDesignerDlg::showHelp()
{
    OnHelp();
}

void CDesignerDlg::openHelp(DWORD context)
{
    ShowHelp(m_hWnd, context);
}

bool CDesignerDlg::SaveMenu()
{
    const std::string file = MenuFile();
    const ItemKey key(m_login.key);
    SaveOutcome outcome =
        m_document.saveChecked(file, m_login.menuName, m_login.user, m_login.password, key, false);
    if (outcome == SaveOutcome::Conflict) {
        m_document.close();
        if (m_host.showMessage(m_hWnd, IDS_ASK_OVERWRITE_MENU, kQuestionOverwrite, m_login.menuName, file) != IDYES)
            return false;
        outcome = m_document.saveChecked(file, m_login.menuName, m_login.user, m_login.password, key, true);
    }
    m_document.close();
    if (outcome != SaveOutcome::Saved) {
        // A read-only file is told as such: the user can mend that at once,
        // while the general message would send them looking elsewhere.
        const DWORD attributes = GetFileAttributesA(file.c_str());
        const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
                              (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        m_host.showMessage(m_hWnd, readOnly ? IDS_SAVE_FILE_READ_ONLY : IDS_UPDATE_FILE_FAILED, MB_ICONEXCLAMATION,
                           file, std::string());
        return false;
    }
    m_canvas.history().markSaved();
    updateTitle();
    m_host.reloadMenus();
    return true;
}

void CDesignerDlg::save()
{
    SaveMenu();
}

void CDesignerDlg::closeDesigner()
{
    if (m_canvas.history().isModified()) {
        const int answer = m_host.showMessage(m_hWnd, IDS_ASK_SAVE_CHANGES, kQuestionYesNoCancel, std::string(),
                                              std::string());
        if (answer == IDYES) {
            if (!SaveMenu()) return;
        } else if (answer != IDNO) {
            return;
        }
    }
    m_host.dialogClosing(m_hWnd, IsWindowVisible(m_hWnd) != FALSE);
    EndDialog(IDOK);
}

void CDesignerDlg::OnCancel()
{
    RunDesignerCommand(IDCANCEL, m_canvas.state(), *this);
}

bool CDesignerDlg::OnCommand(UINT id, UINT, HWND control)
{
    // Notifications of child controls are not commands, whatever their id.
    if (control != nullptr && id != IDCANCEL) return false;
    if (FindDesignerCommand(static_cast<int>(id)) == nullptr) return false;
    RunDesignerCommand(static_cast<int>(id), m_canvas.state(), *this);
    return true;
}

bool CDesignerDlg::OnUpdateCommand(CCmdUI& ui)
{
    const int id = static_cast<int>(ui.Id());
    if (FindDesignerCommand(id) == nullptr) return false;
    ui.Enable(IsDesignerCommandEnabled(id, m_canvas.state()));
    return true;
}

bool CDesignerDlg::HandlesCommand(UINT id) const
{
    return FindDesignerCommand(static_cast<int>(id)) != nullptr;
}

void CDesignerDlg::PaintMinimised()
{
    ScopedPaint paint(m_hWnd);
    HICON icon = m_host.programIcon();
    RECT client;
    if (paint.dc() == nullptr || icon == nullptr || !GetClientRect(m_hWnd, &client)) return;
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(paint.dc(), x, y, icon);
}

LRESULT CDesignerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        const LRESULT result = CFrameDialog::OnMessage(message, wParam, lParam);
        if (result == -1) return result;
        m_statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM,
                                      0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kStatusBarId)),
                                      GetModuleHandleA(nullptr), nullptr);
        return m_statusBar != nullptr ? result : -1;
    }
    case WM_SHOWWINDOW:
        if (wParam != 0) m_host.dialogShown(m_hWnd, true);
        break;
    case WM_NCACTIVATE:
        if (wParam == FALSE) {
            SetTimer(m_hWnd, kFocusCheckTimer, kFocusCheckDelay, nullptr);
        } else if (m_canvas.currentPanel() != nullptr) {
            m_canvas.showSelectionAgain();
        }
        break;
    case WM_TIMER:
        if (wParam != kFocusCheckTimer) break;
        KillTimer(m_hWnd, kFocusCheckTimer);
        if (GetFocus() == nullptr) m_canvas.clearSelectionFrame();
        return 0;
    case WM_PAINT:
        if (!IsIconic(m_hWnd)) break;
        PaintMinimised();
        return 0;
    case WM_DESTROY:
        KillTimer(m_hWnd, kFocusCheckTimer);
        // The pages look the item up through the palette's panel: it goes
        // before the panels do.
        m_palette.setCurrentPanel(nullptr);
        if (m_palette.m_hWnd != nullptr) m_palette.DestroyWindow();
        // The canvas deletes the tree and the clipboard item; the history's
        // records go after it, since they may keep items of their own.
        m_canvas.destroy();
        m_canvas.history().clearUndo();
        m_canvas.history().clearRedo();
        m_statusBar = nullptr;
        break;
    default:
        break;
    }
    return CFrameDialog::OnMessage(message, wParam, lParam);
}
