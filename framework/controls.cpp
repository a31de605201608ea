#include "controls.h"

#include <commdlg.h>

#include <vector>

namespace {

bool ChooseFile(HWND owner, const char* filter, const char* defaultExtension, std::string& path, bool save,
                DWORD flags)
{
    std::vector<char> buffer(4096, '\0');
    path.copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags = flags | OFN_NOCHANGEDIR;
    const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen) return false;
    path = buffer.data();
    return true;
}

}  // namespace

bool InitCommonControlsOnce()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    return done;
}

bool ChooseFileToOpen(HWND owner, const char* filter, const char* defaultExtension, std::string& path,
                      DWORD flags)
{
    return ChooseFile(owner, filter, defaultExtension, path, false, flags);
}

bool ChooseFileToSave(HWND owner, const char* filter, const char* defaultExtension, std::string& path)
{
    return ChooseFile(owner, filter, defaultExtension, path, true,
                      OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT);
}

int CListView::InsertColumn(int index, const std::string& heading, int width)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(heading.c_str());
    column.cx = width;
    column.iSubItem = index;
    return static_cast<int>(SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
}

int CListView::InsertItem(int index, const std::string& text)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    return static_cast<int>(SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListView::SetItemText(int item, int column, const std::string& text)
{
    LVITEMA li = {};
    li.iSubItem = column;
    li.pszText = const_cast<char*>(text.c_str());
    return SendMessageA(m_hWnd, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&li)) != 0;
}

std::string CListView::GetItemText(int item, int column) const
{
    std::vector<char> buffer(512);
    for (;;) {
        LVITEMA li = {};
        li.iSubItem = column;
        li.pszText = buffer.data();
        li.cchTextMax = static_cast<int>(buffer.size());
        const LRESULT length = SendMessageA(m_hWnd, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&li));
        if (static_cast<size_t>(length) + 1 < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

int CListView::GetItemCount() const
{
    return static_cast<int>(SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0));
}

int CListView::GetSelectedItem() const
{
    return static_cast<int>(SendMessageA(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CListView::SelectItem(int item)
{
    LVITEMA li = {};
    li.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    li.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(m_hWnd, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&li));
    SendMessageA(m_hWnd, LVM_ENSUREVISIBLE, item, FALSE);
}

bool CListView::DeleteItem(int item)
{
    return SendMessageA(m_hWnd, LVM_DELETEITEM, item, 0) != 0;
}

void CListView::DeleteAllItems()
{
    SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0);
}

bool CStatusBar::Create(HWND parent, UINT id)
{
    m_hWnd = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr),
                             nullptr);
    return m_hWnd != nullptr;
}

void CStatusBar::SetParts(const int* rightEdges, int count)
{
    SendMessageA(m_hWnd, SB_SETPARTS, count, reinterpret_cast<LPARAM>(rightEdges));
}

void CStatusBar::SetText(int part, const std::string& text)
{
    SendMessageA(m_hWnd, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
}

void CStatusBar::Resize()
{
    SendMessageA(m_hWnd, WM_SIZE, 0, 0);
}
