#include "designer/usersdlg.h"

#include "lang/resource.h"

#include <commctrl.h>

namespace {

const UINT kListId = IDW_PANE_FIRST;
const size_t kMaxNameLength = 259;

}  // namespace

CUsersDlg::CUsersDlg(CDialogHost& host)
    : CHostedDialog(IDD_USERS, host, true), newUserDialog(host), propertiesDialog(host), passwordDialog(host)
{
}

const char* CUsersDlg::RightsText(const std::string& rights)
{
    return rights.find('w') == std::string::npos ? "Read-Only" : "Read-Write";
}

INT_PTR CUsersDlg::Run(HWND parent)
{
    if (IsOpen()) {
        BringToTop();
        return -1;
    }
    const LoginValues login = m_host.currentLogin();
    m_accounts.close();
    const bool writer = m_accounts.load(login.file) &&
                        m_accounts.select(login.menuName, login.user, login.password) &&
                        m_accounts.findUser(login.user) && m_accounts.currentUser() != nullptr &&
                        m_accounts.currentUser()->rights.find('w') != std::string::npos;
    if (!writer) {
        m_accounts.close();
        m_host.showMessage(parent, IDS_LOAD_FILE_FAILED, MB_ICONSTOP, login.file);
        return -1;
    }
    const INT_PTR result = DoModal(parent);
    m_accounts.close();
    return result;
}

int CUsersDlg::AddRow(const CUserEntry& user)
{
    // The control sorts by itself where the system supports it; the index
    // asked for keeps the order where it does not.
    int at = 0;
    const int count = m_rows.GetItemCount();
    while (at < count && lstrcmpiA(m_rows.GetItemText(at, 0).c_str(), user.userName.c_str()) <= 0) ++at;
    const int row = m_rows.InsertItem(at, user.userName);
    if (row >= 0) m_rows.SetItemText(row, 1, RightsText(user.rights));
    return row;
}

BOOL CUsersDlg::OnInitDialog()
{
    if (m_statusBar.Create(m_hWnd, IDW_STATUS_BAR)) {
        const int edges[1] = {-1};
        m_statusBar.SetParts(edges, 1);
    }
    RECT client;
    GetClientRect(m_hWnd, &client);
    RECT area = {7, 7, 232, 7};
    MapDialogRect(m_hWnd, &area);
    RECT bar = {0, 0, 0, 0};
    if (m_statusBar.GetSafeHwnd() != nullptr) GetWindowRect(m_statusBar.GetSafeHwnd(), &bar);
    area.bottom = client.bottom - (bar.bottom - bar.top) - area.top;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LVS_REPORT |
                        LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_AUTOARRANGE |
                        LVS_OWNERDRAWFIXED | LVS_ALIGNLEFT;
    if (!m_list.Create(style, area, m_hWnd, kListId)) return TRUE;
    HWND list = m_list.GetSafeHwnd();
    SetWindowLongPtrA(list, GWL_EXSTYLE, GetWindowLongPtrA(list, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    SendMessageA(list, WM_SETFONT, SendMessageA(m_hWnd, WM_GETFONT, 0, 0), FALSE);
    m_rows.Attach(list);

    if (HICON icon = m_host.programIcon()) {
        SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }

    RECT frame;
    GetWindowRect(list, &frame);
    const int columnWidth = (frame.right - frame.left - 10) / 2;
    m_rows.InsertColumn(0, FormatStringResource(IDS_USERS_COLUMN_NAME), columnWidth);
    m_rows.InsertColumn(1, FormatStringResource(IDS_USERS_COLUMN_RIGHTS), columnWidth);

    if (CAccountRecord* record = m_accounts.currentRecord())
        for (const CUserEntry& user : record->users) AddRow(user);
    SetFocus(list);
    return FALSE;
}

bool CUsersDlg::SelectLogin()
{
    const LoginValues login = m_host.currentLogin();
    if (m_accounts.select(login.menuName, login.user, login.password)) return true;
    ReportUpdateFailed();
    return false;
}

void CUsersDlg::ReportUpdateFailed()
{
    Message(IDS_UPDATE_FILE_FAILED, MB_OK, m_host.currentLogin().file);
}

bool CUsersDlg::Commit()
{
    if (m_accounts.save()) return true;
    m_accounts.close();
    m_accounts.load(m_host.currentLogin().file);
    ReportUpdateFailed();
    return false;
}

void CUsersDlg::OnAddUser()
{
    if (newUserDialog.DoModal(m_hWnd) != IDOK) return;
    if (!SelectLogin()) return;
    const std::string& name = newUserDialog.userName;
    for (const CUserEntry& user : m_accounts.currentRecord()->users) {
        if (user.userName == name) {
            Message(IDS_USER_EXISTS, MB_ICONEXCLAMATION, name);
            return;
        }
    }
    const std::string rights = newUserDialog.readOnly ? "r" : "rw";
    m_accounts.addUser(name, newUserDialog.password, rights);
    if (!Commit()) return;
    const int row = AddRow(CUserEntry(name, std::string(), rights));
    if (row >= 0) m_rows.SelectItem(row);
}

void CUsersDlg::OnDeleteUser()
{
    const int row = m_rows.GetSelectedItem();
    if (row < 0) return;
    std::string name = m_rows.GetItemText(row, 0);
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
    if (!SelectLogin()) return;
    m_accounts.deleteUser(name);
    if (!Commit()) return;
    m_rows.DeleteItem(row);
}

void CUsersDlg::OnEditUser()
{
    const int row = m_rows.GetSelectedItem();
    if (row < 0) return;
    const std::string oldName = m_rows.GetItemText(row, 0);
    const bool readOnly = m_rows.GetItemText(row, 1).find("Only") != std::string::npos;
    if (oldName == "admin") {
        Message(IDS_ADMIN_LOCKED, MB_ICONINFORMATION);
        return;
    }
    propertiesDialog.userName = oldName;
    propertiesDialog.readOnly = readOnly;
    if (propertiesDialog.DoModal(m_hWnd) != IDOK) return;
    if (!SelectLogin()) return;
    const std::string& newName = propertiesDialog.userName;
    // A second account of the same name could never be told apart.
    if (newName != oldName) {
        for (const CUserEntry& user : m_accounts.currentRecord()->users) {
            if (user.userName == newName) {
                Message(IDS_USER_EXISTS, MB_ICONEXCLAMATION, newName);
                return;
            }
        }
    }
    if (!m_accounts.findUser(oldName) || m_accounts.currentUser() == nullptr) {
        ReportUpdateFailed();
        return;
    }
    CUserEntry* user = m_accounts.currentUser();
    user->userName = newName;
    user->rights = propertiesDialog.readOnly ? "r" : "rw";
    const std::string rights = user->rights;
    if (!Commit()) return;
    // The list keeps its rows sorted: put the row back where its name goes.
    m_rows.DeleteItem(row);
    const int moved = AddRow(CUserEntry(newName, std::string(), rights));
    if (moved >= 0) m_rows.SelectItem(moved);
}

void CUsersDlg::OnSetPassword()
{
    const int row = m_rows.GetSelectedItem();
    if (row < 0) return;
    passwordDialog.userName = m_rows.GetItemText(row, 0);
    if (passwordDialog.DoModal(m_hWnd) != IDOK) return;
    if (!SelectLogin()) return;
    if (!m_accounts.findUser(passwordDialog.userName) || m_accounts.currentUser() == nullptr) {
        ReportUpdateFailed();
        return;
    }
    m_accounts.currentUser()->password = passwordDialog.password;
    Commit();
}

bool CUsersDlg::OnCommand(UINT id, UINT, HWND)
{
    switch (id) {
    case ID_USER_ADD:
        OnAddUser();
        return true;
    case ID_USER_DELETE:
        OnDeleteUser();
        return true;
    case ID_USER_EDIT:
        OnEditUser();
        return true;
    case ID_USER_PASSWORD:
        OnSetPassword();
        return true;
    case ID_USERS_CLOSE:
        Finish(0);
        return true;
    default:
        return false;
    }
}

BOOL CUsersDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_DRAWITEM:
        if (wParam != kListId) return FALSE;
        m_list.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kListId && header->code == static_cast<UINT>(NM_DBLCLK))
            PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(ID_USER_EDIT, 0), 0);
        return FALSE;
    }
    case WM_PAINT:
        if (!IsIconic(m_hWnd)) return FALSE;
        {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(m_hWnd, &paint);
            SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            EndPaint(m_hWnd, &paint);
        }
        result = 0;
        return TRUE;
    case WM_SIZE:
        m_statusBar.Resize();
        return FALSE;
    default:
        return CHostedDialog::OnMessage(message, wParam, lParam, result);
    }
}
