// The two narrow sides of the designer's property palette: what the palette
// needs of the window that owns it, and what an item page needs of the
// palette that hosts it. Tests stand in for either side.
#pragma once

#include <windows.h>

class CMenuPanel;

// What the palette needs of its owner, the designer window.
class IPaletteOwner {
public:
    // The window that owns the palette.
    virtual HWND paletteOwnerWindow() const = 0;
    // Opens the help for `context` (the palette's help button asks for the
    // help of the page it shows).
    virtual void openHelp(DWORD context) = 0;
    // The palette is being dragged by its caption: the canvas's selection
    // mark goes, so that it does not smear under the moving window...
    virtual void hideSelectionMark() = 0;
    // ...and comes back (the current panel marks its selection again
    // without scrolling) once the mouse moves over the caption again.
    virtual void showSelectionMark() = 0;
    // The designer runs a modal dialog or message box of its own; the pages
    // leave keys alone meanwhile.
    virtual bool inModalState() const = 0;

protected:
    ~IPaletteOwner() = default;
};

// What a page sees of the palette that shows it.
class IPaletteHost {
public:
    // The palette window, the page's parent.
    virtual HWND hostWindow() const = 0;
    // The panel whose selected item the pages edit; null before the first
    // selection.
    virtual CMenuPanel* currentPanel() const = 0;
    // The palette's normal font, for every control of a page.
    virtual HFONT pageFont() const = 0;
    // Where pages go, in palette client coordinates.
    virtual RECT pageRect() const = 0;
    // The palette's own handling of Enter, Escape and key code 3 (and of
    // Ctrl+Tab and Tab); true when the key was dealt with.
    virtual bool handlePaletteKey(MSG* msg) = 0;
    // Shows the next (`forward`) or previous tab, wrapping at the ends.
    virtual void stepTab(bool forward) = 0;
    // Whether the designer is in a modal state of its own.
    virtual bool ownerInModalState() const = 0;
    // Around a page's file dialog or question (see CPaletteModal).
    virtual void beginModal() = 0;
    virtual void endModal() = 0;

protected:
    ~IPaletteHost() = default;
};

// A page's modal dialog or message box is open for the life of this object:
// the palette neither applies the edit nor hides when it loses activation
// to it, and the designer is disabled with its caption drawn inactive.
class CPaletteModal {
public:
    explicit CPaletteModal(IPaletteHost* host) : m_host(host)
    {
        if (m_host != nullptr) m_host->beginModal();
    }
    ~CPaletteModal()
    {
        if (m_host != nullptr) m_host->endModal();
    }
    CPaletteModal(const CPaletteModal&) = delete;
    CPaletteModal& operator=(const CPaletteModal&) = delete;

private:
    IPaletteHost* m_host;
};
