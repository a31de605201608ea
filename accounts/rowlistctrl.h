// A report-style list view that draws whole rows itself (owner-drawn fixed),
// so the selection bar covers every column, and optionally runs on to the
// right edge of the control.
#pragma once

#include <windows.h>

class CRowListCtrl {
public:
    CRowListCtrl();
    ~CRowListCtrl();
    CRowListCtrl(const CRowListCtrl&) = delete;
    CRowListCtrl& operator=(const CRowListCtrl&) = delete;

    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The parent passes its WM_DRAWITEM for this control here.
    void DrawItem(const DRAWITEMSTRUCT& item);

    bool m_stretchHighlight = false;  // highlight to the client edge, not the last column
    bool m_spare = true;
    int m_clientWidth = 0;
    int m_labelOffset = 0;
    COLORREF m_textColour;
    COLORREF m_rowBackground;
    COLORREF m_imageBackground;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    void DrawColumns(HDC dc, int item, const RECT& label, const RECT& bounds);

    HWND m_hWnd = nullptr;
};
