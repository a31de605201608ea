#include "accounts/rowlistctrl.h"

#include "framework/ansitext.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

const UINT_PTR kSubclassId = 0x524C;  // "RL"

std::string ItemText(HWND list, int item, int column)
{
    std::vector<char> buffer(260);
    LVITEMA li = {};
    li.iSubItem = column;
    li.pszText = buffer.data();
    li.cchTextMax = static_cast<int>(buffer.size());
    const LRESULT length = SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&li));
    return std::string(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
}

}  // namespace

CRowListCtrl::CRowListCtrl()
    : m_textColour(GetSysColor(COLOR_WINDOWTEXT)),
      m_rowBackground(GetSysColor(COLOR_WINDOW)),
      m_imageBackground(GetSysColor(COLOR_WINDOW))
{
}

CRowListCtrl::~CRowListCtrl()
{
    if (m_hWnd != nullptr) RemoveWindowSubclass(m_hWnd, &CRowListCtrl::SubclassProc, kSubclassId);
}

bool CRowListCtrl::Create(DWORD style, const RECT& rect, HWND parent, UINT id)
{
    m_hWnd = CreateWindowExA(0, WC_LISTVIEWA, "", style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             GetModuleHandleA(nullptr), nullptr);
    if (m_hWnd == nullptr) return false;
    SetWindowSubclass(m_hWnd, &CRowListCtrl::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

LRESULT CALLBACK CRowListCtrl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data)
{
    CRowListCtrl* list = reinterpret_cast<CRowListCtrl*>(data);
    if (message == WM_SIZE) {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        const int width = LOWORD(lParam);
        if (width != list->m_clientWidth) {
            list->m_clientWidth = width;
            InvalidateRect(window, nullptr, TRUE);
        }
        return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &CRowListCtrl::SubclassProc, kSubclassId);
        list->m_hWnd = nullptr;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void CRowListCtrl::DrawItem(const DRAWITEMSTRUCT& draw)
{
    if (m_hWnd == nullptr || draw.itemID == static_cast<UINT>(-1)) return;
    HDC dc = draw.hDC;
    const int item = static_cast<int>(draw.itemID);
    const LONG_PTR style = GetWindowLongPtrA(m_hWnd, GWL_STYLE);

    LVITEMA li = {};
    li.mask = LVIF_IMAGE | LVIF_STATE;
    li.iItem = item;
    li.stateMask = 0xFFFF;
    SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&li));

    const bool focused = GetFocus() == m_hWnd;
    const bool highlighted = ((li.state & LVIS_SELECTED) != 0 && (focused || (style & LVS_SHOWSELALWAYS) != 0)) ||
                             (li.state & LVIS_DROPHILITED) != 0;

    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    RECT label = {LVIR_LABEL, 0, 0, 0};
    RECT icon = {LVIR_ICON, 0, 0, 0};
    SendMessageA(m_hWnd, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&bounds));
    SendMessageA(m_hWnd, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&label));
    SendMessageA(m_hWnd, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&icon));

    RECT fill = bounds;
    fill.left = label.left;
    if (m_stretchHighlight && fill.right < m_clientWidth) fill.right = m_clientWidth;
    COLORREF oldText = 0, oldBack = 0;
    if (highlighted) {
        oldText = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        oldBack = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        FillRect(dc, &fill, GetSysColorBrush(COLOR_HIGHLIGHT));
    } else {
        SetTextColor(dc, m_textColour);
        HBRUSH background = CreateSolidBrush(m_rowBackground);
        FillRect(dc, &fill, background);
        DeleteObject(background);
    }

    const UINT stateImage = (li.state & LVIS_STATEIMAGEMASK) >> 12;
    HIMAGELIST states = reinterpret_cast<HIMAGELIST>(SendMessageA(m_hWnd, LVM_GETIMAGELIST, LVSIL_STATE, 0));
    if (stateImage > 0 && states != nullptr) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(states, &cx, &cy);
        ImageList_Draw(states, static_cast<int>(stateImage) - 1, dc, icon.left - cx - 1, icon.top, ILD_TRANSPARENT);
    }
    HIMAGELIST smalls = reinterpret_cast<HIMAGELIST>(SendMessageA(m_hWnd, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    if (smalls != nullptr) {
        UINT flags = ILD_TRANSPARENT | (li.state & LVIS_OVERLAYMASK);
        COLORREF blend = CLR_NONE;
        if (highlighted) {
            flags |= ILD_BLEND50;
            blend = GetSysColor(COLOR_HIGHLIGHT);
        } else if ((li.state & LVIS_CUT) != 0) {
            flags |= ILD_BLEND50;
            blend = m_imageBackground;
        }
        ImageList_DrawEx(smalls, li.iImage, dc, icon.left, icon.top, 16, 16, m_imageBackground, blend, flags);
    }

    SetBkMode(dc, TRANSPARENT);
    DrawColumns(dc, item, label, bounds);

    if ((li.state & LVIS_FOCUSED) != 0 && focused) DrawFocusRect(dc, &fill);
    if (highlighted) {
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);
    }
}

void CRowListCtrl::DrawColumns(HDC dc, int item, const RECT& label, const RECT& bounds)
{
    RECT text = label;
    text.left += m_labelOffset + 2;
    text.right -= 2;
    const std::string first = ItemText(m_hWnd, item, 0);
    DrawAnsiText(dc, first, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);

    RECT cell = label;
    cell.top = bounds.top;
    cell.bottom = bounds.bottom;
    for (int column = 1;; ++column) {
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT | LVCF_WIDTH;
        if (!SendMessageA(m_hWnd, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info))) break;
        cell.left = cell.right;
        cell.right += info.cx;
        RECT inner = cell;
        inner.left += 6;
        inner.right -= 6;
        UINT align = DT_LEFT;
        if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT) align = DT_RIGHT;
        else if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER) align = DT_CENTER;
        const std::string value = ItemText(m_hWnd, item, column);
        DrawAnsiText(dc, value, inner, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
    }
}
