// Thin wrappers over the common controls and the file dialogs that the
// program's dialogs use.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <string>

// Registers the common control classes (list view, status bar, up-down and
// the rest); call once before the first dialog that uses them.
bool InitCommonControlsOnce();

// The file-open dialog; true with the chosen path in `path` (which also
// gives the starting name). `filter` is the usual "Name\0*.ext\0\0" list;
// `flags` are the dialog's OFN_ flags (a new file's name needs only
// OFN_PATHMUSTEXIST).
bool ChooseFileToOpen(HWND owner, const char* filter, const char* defaultExtension, std::string& path,
                      DWORD flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST);
// The file-save dialog, asking before it overwrites.
bool ChooseFileToSave(HWND owner, const char* filter, const char* defaultExtension, std::string& path);

// A report-style list view control of a dialog.
class CListView {
public:
    void Attach(HWND control) { m_hWnd = control; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    int InsertColumn(int index, const std::string& heading, int width);
    // Returns the new item's index, or -1.
    int InsertItem(int index, const std::string& text);
    bool SetItemText(int item, int column, const std::string& text);
    std::string GetItemText(int item, int column) const;
    int GetItemCount() const;
    // The first selected item, or -1.
    int GetSelectedItem() const;
    void SelectItem(int item);
    bool DeleteItem(int item);
    void DeleteAllItems();

private:
    HWND m_hWnd = nullptr;
};

// A status bar along the bottom of a window, with text parts.
class CStatusBar {
public:
    bool Create(HWND parent, UINT id);
    HWND GetSafeHwnd() const { return m_hWnd; }
    // Right edges of the parts in client pixels; -1 extends to the edge.
    void SetParts(const int* rightEdges, int count);
    void SetText(int part, const std::string& text);
    // Keeps the bar along the parent's bottom after the parent is resized.
    void Resize();

private:
    HWND m_hWnd = nullptr;
};
