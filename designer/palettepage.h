// The base of the item property pages: a child dialog of the property
// palette, made the first time it is shown, placed in the palette's page
// area with the palette's font. There is no OK button: a page writes every
// change to the item at once; Enter ends the edit in progress (applyEdit),
// Escape takes it back (cancelEdit), and both go to the palette first, which
// then hides or, pinned, gives the focus back to the designer.
//
// Keys before dispatch: Ctrl+Tab and Ctrl+Shift+Tab switch tabs; Tab and
// Shift+Tab move between the page's controls and, past the last or before
// the first, to the palette. While the designer is in a modal state the
// page leaves every key alone.
#pragma once

#include "designer/palettehost.h"
#include "framework/dialog.h"

#include <windows.h>

class CPalettePage : public CDialog {
public:
    // The style a page has inside the palette, whatever its template says:
    // WS_CHILD | WS_TABSTOP | DS_3DLOOK | DS_SETFONT.
    static constexpr DWORD kPageStyle = 0x40010044;

    explicit CPalettePage(UINT templateId) : CDialog(templateId) {}

    // The palette that shows the page (set by its addPage).
    void attach(IPaletteHost* host) { m_host = host; }
    IPaletteHost* host() const { return m_host; }

    // Shows or hides the page, making it on its first showing. With
    // `refresh` and a current panel, the page reads the item again (reload,
    // then updateEnabling). False when the page could not be made.
    bool showPage(bool show, bool refresh);

    // Fills the controls from the selected item of the current panel.
    virtual void reload() = 0;
    // Enables the controls by the page's rules for the selected item.
    virtual void updateEnabling() = 0;
    // Ends the edit in progress (Enter, or the palette losing activation).
    virtual void applyEdit() = 0;
    // Takes the edit in progress back (Escape).
    virtual void cancelEdit() = 0;

    bool PreTranslateMessage(MSG* msg) override;
    // An Alt key that reached the palette itself: offered to the page's
    // mnemonics. True when the page took it.
    bool handleSysKey(const MSG& msg);
    // The first (or, with `last`, the last) enabled and visible control
    // with WS_TABSTOP; null when the page has none or is not made.
    HWND tabStopControl(bool last) const;

protected:
    // The panel of the hosting palette, or null.
    CMenuPanel* currentPanel() const;

    // Pages that override these call the base first.
    BOOL OnInitDialog() override;
    // Enter never closes a page.
    void OnOK() override {}
    void OnCancel() override { cancelEdit(); }
    // Pages pass the messages they do not handle on to this one.
    using CDialog::OnMessage;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Moves the focus on from the focused control, as Tab does; past the
    // end it goes to the palette.
    void NextControl(bool backwards);

    IPaletteHost* m_host = nullptr;
};
