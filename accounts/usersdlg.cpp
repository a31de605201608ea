#include "accounts/usersdlg.h"

#include "accounts/userrules.h"
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
    return HasWriteRights(rights) ? "Read-Write" : "Read-Only";
}

INT_PTR CUsersDlg::Run(HWND parent)
{
    if (IsOpen()) {
        BringToTop();
        return -1;
    }
    const LoginValues login = m_host.currentLogin();
    CAccountFile accounts;
    const bool writer = accounts.load(login.file) &&
                        accounts.select(login.menuName, login.user, login.password) &&
                        accounts.currentUser() != nullptr && HasWriteRights(accounts.currentUser()->rights);
    if (!writer) {
        accounts.close();
        m_host.showMessage(parent, IDS_LOAD_FILE_FAILED, MB_ICONSTOP, login.file);
        return -1;
    }
    m_users = accounts.currentRecord()->users;
    accounts.close();
    return DoModal(parent);
}

void CUsersDlg::AddRow(const CUserEntry& user)
{
    // The control sorts by itself where the system supports it; the index
    // asked for keeps the order where it does not.
    int at = 0;
    const int count = m_rows.GetItemCount();
    while (at < count && lstrcmpiA(m_rows.GetItemText(at, 0).c_str(), user.userName.c_str()) <= 0) ++at;
    const int row = m_rows.InsertItem(at, user.userName);
    if (row >= 0) m_rows.SetItemText(row, 1, RightsText(user.rights));
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

    ShowUsers(std::string());
    SetFocus(list);
    return FALSE;
}

void CUsersDlg::ShowUsers(const std::string& selectName)
{
    m_rows.DeleteAllItems();
    for (const CUserEntry& user : m_users) AddRow(user);
    if (selectName.empty()) return;
    for (int row = 0; row < m_rows.GetItemCount(); ++row) {
        if (m_rows.GetItemText(row, 0) == selectName) {
            m_rows.SelectItem(row);
            return;
        }
    }
}

CUsersDlg::Refusal CUsersDlg::UpdateFailed() const
{
    return {IDS_UPDATE_FILE_FAILED, MB_OK, m_host.currentLogin().file};
}

bool CUsersDlg::Transact(const Change& change, const std::string& selectName)
{
    const LoginValues login = m_host.currentLogin();
    CAccountFile accounts;
    Refusal refusal = {0, 0, std::string()};
    std::list<CUserEntry> saved;
    if (!accounts.loadForUpdate(login.file) || !accounts.select(login.menuName, login.user, login.password) ||
        accounts.currentUser() == nullptr || !HasWriteRights(accounts.currentUser()->rights)) {
        refusal = UpdateFailed();
    } else {
        refusal = change(accounts, *accounts.currentUser());
        if (refusal.id == 0) {
            saved = accounts.currentRecord()->users;
            if (!accounts.save()) refusal = UpdateFailed();
        }
    }
    // Nothing is shown while the file is held: every login waits for it.
    accounts.close();
    if (refusal.id != 0) {
        Message(refusal.id, refusal.style, refusal.text);
        return false;
    }
    m_users.swap(saved);
    ShowUsers(selectName);
    return true;
}

void CUsersDlg::OnAddUser()
{
    if (newUserDialog.DoModal(m_hWnd) != IDOK) return;
    const std::string name = newUserDialog.userName;
    const std::string password = newUserDialog.password;
    const std::string rights = newUserDialog.readOnly ? "r" : "rw";
    Transact(
        [&](CAccountFile& accounts, CUserEntry&) -> Refusal {
            for (const CUserEntry& user : accounts.currentRecord()->users) {
                if (user.userName == name) return {IDS_USER_EXISTS, MB_ICONEXCLAMATION, name};
            }
            if (!accounts.addUser(name, password, rights)) return UpdateFailed();
            return {0, 0, std::string()};
        },
        name);
}

void CUsersDlg::OnDeleteUser()
{
    const int row = m_rows.GetSelectedItem();
    if (row < 0) return;
    std::string name = m_rows.GetItemText(row, 0);
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
    // Refused at once when the list already shows it, and again on what the
    // file holds when the change is made.
    if (RemovesLastWriter(m_users, name, nullptr)) {
        Message(IDS_LAST_WRITER, MB_ICONEXCLAMATION, name);
        return;
    }
    if (Message(IDS_ASK_DELETE_USER, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, name) != IDYES) return;
    Transact(
        [&](CAccountFile& accounts, CUserEntry&) -> Refusal {
            if (RemovesLastWriter(accounts.currentRecord()->users, name, nullptr))
                return {IDS_LAST_WRITER, MB_ICONEXCLAMATION, name};
            if (!accounts.deleteUser(name)) return UpdateFailed();
            return {0, 0, std::string()};
        },
        std::string());
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
    const std::string newName = propertiesDialog.userName;
    const std::string rights = propertiesDialog.readOnly ? "r" : "rw";
    bool loggedInRenamed = false;
    const bool changed = Transact(
        [&](CAccountFile& accounts, CUserEntry& loggedIn) -> Refusal {
            const std::list<CUserEntry>& users = accounts.currentRecord()->users;
            // A second account of the same name could never be told apart.
            if (newName != oldName) {
                for (const CUserEntry& user : users) {
                    if (user.userName == newName) return {IDS_USER_EXISTS, MB_ICONEXCLAMATION, newName};
                }
            }
            if (RemovesLastWriter(users, oldName, &rights)) return {IDS_LAST_WRITER, MB_ICONEXCLAMATION, oldName};
            if (!accounts.findUser(oldName) || accounts.currentUser() == nullptr) return UpdateFailed();
            CUserEntry* user = accounts.currentUser();
            loggedInRenamed = user == &loggedIn && newName != oldName;
            user->userName = newName;
            user->rights = rights;
            return {0, 0, std::string()};
        },
        newName);
    if (changed && loggedInRenamed) LoggedInAccountChanged(m_host, newName, m_host.currentLogin().password);
}

void CUsersDlg::OnSetPassword()
{
    const int row = m_rows.GetSelectedItem();
    if (row < 0) return;
    const std::string name = m_rows.GetItemText(row, 0);
    passwordDialog.userName = name;
    if (passwordDialog.DoModal(m_hWnd) != IDOK) return;
    const std::string password = passwordDialog.password;
    bool loggedInChanged = false;
    const bool changed = Transact(
        [&](CAccountFile& accounts, CUserEntry& loggedIn) -> Refusal {
            if (!accounts.findUser(name) || accounts.currentUser() == nullptr) return UpdateFailed();
            loggedInChanged = accounts.currentUser() == &loggedIn;
            accounts.currentUser()->setPassword(password);
            return {0, 0, std::string()};
        },
        name);
    if (changed && loggedInChanged) LoggedInAccountChanged(m_host, m_host.currentLogin().user, password);
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
