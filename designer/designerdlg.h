// The menu designer: a frame-like modal dialog that loads the logged-in
// menu, shows it on the design canvas with a menu bar and a status bar, and
// saves it back. Every command goes through the designer's command table,
// so a greyed command does nothing when its accelerator still arrives.
#pragma once

#include "designer/commandpage.h"
#include "designer/designcanvas.h"
#include "designer/designercommands.h"
#include "designer/designerhost.h"
#include "designer/generalpage.h"
#include "designer/keyspage.h"
#include "designer/pageeditor.h"
#include "designer/palettehost.h"
#include "designer/propertypalette.h"
#include "framework/framedialog.h"
#include "menudoc/menudocument.h"

#include <string>

class CDesignerDlg : public CFrameDialog,
                     public ICanvasOwner,
                     public IDesignerActions,
                     public IPaletteOwner,
                     public IPageEditor {
public:
    explicit CDesignerDlg(CDesignerHost& host);
    ~CDesignerDlg() override;

    CDesignCanvas& canvas() { return m_canvas; }
    CPropertyPalette& palette() { return m_palette; }
    const CMenuDocument& document() const { return m_document; }
    HWND statusBar() const { return m_statusBar; }

    // ICanvasOwner
    void updateTitle() override;
    int askUser(UINT stringId, UINT style, const std::string& argument) override;
    void itemSelected(CMenuPanel* panel, bool openProperties) override;
    void panelClosing(CMenuPanel* panel) override;

    // IPaletteOwner
    HWND paletteOwnerWindow() const override { return m_hWnd; }
    void openHelp(DWORD context) override;
    void hideSelectionMark() override;
    void showSelectionMark() override;
    bool inModalState() const override;

    // IPageEditor
    CEditHistory& history() override { return m_canvas.history(); }
    void updateScrollRange() override;
    void changeRecorded() override;
    int ask(HWND owner, UINT stringId, UINT style, const std::string& argument) override;
    bool chooseFile(HWND owner, const FileOpenRequest& request, std::string& chosen) override;
    std::string programFolder() const override;

    // IDesignerActions
    void insertNewItem() override;
    void deleteSelected() override;
    void showProperties() override;
    void closeDesigner() override;
    void save() override;
    void copySelected() override;
    void cutSelected() override;
    void pasteClip() override;
    void undo() override;
    void redo() override;
    void showHelp() override;

    bool OnUpdateCommand(CCmdUI& ui) override;
    bool HandlesCommand(UINT id) const override;

protected:
    BOOL OnInitDialog() override;
    // Enter has no button to press here.
    void OnOK() override {}
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    using CFrameDialog::OnMessage;

private:
    // Reads the login's menu for editing; false, with the message shown and
    // no tree left, when it cannot be read or the login may not change it.
    bool ReadMenu();
    // Writes the tree; false, with the reason shown and every edit kept,
    // when nothing was written.
    bool SaveMenu();
    void DropTree();
    void PaintMinimised();
    bool CreatePalette();
    // Puts the palette beside the designer's bottom edge the first time.
    void PlacePalette();
    std::string MenuFile() const;

    CDesignerHost& m_host;
    // Before the canvas: the canvas deletes the tree through it when it goes.
    CMenuDocument m_document;
    // The pages before the palette: the palette's window goes first.
    CGeneralPage m_generalPage;
    CKeysPage m_keysPage;
    CCommandPage m_commandPage;
    CPropertyPalette m_palette{*this};
    bool m_palettePlaced = false;
    CDesignCanvas m_canvas;
    HWND m_statusBar = nullptr;
    // Taken when the designer opens; saving goes to the menu it loaded.
    LoginValues m_login;
    std::string m_caption;
};
