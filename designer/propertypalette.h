// The designer's floating property palette: a tool window owned by the
// designer that shows the item pages as tabs of a strip it draws itself,
// with a pin and a help button, and two arrow buttons that scroll the strip
// when the tabs do not fit. While it has the focus the designer's caption
// stays active; when the user works elsewhere it applies the edit in
// progress and, unless pinned, hides. Its close box hides it too.
#pragma once

#include "designer/palettehost.h"
#include "designer/tablayout.h"
#include "designer/tabscrollbutton.h"
#include "framework/gdiscope.h"
#include "framework/window.h"

#include <windows.h>

#include <string>
#include <vector>

class CPalettePage;

class CPropertyPalette : public CWnd, public IPaletteHost {
public:
    static constexpr UINT kPinCommand = 32796;
    static constexpr UINT kHelpCommand = 32797;
    static constexpr UINT kScrollLeftId = 1043;
    static constexpr UINT kScrollRightId = 1044;
    // Timer 1: the hiding check after a deactivation.
    static constexpr UINT_PTR kHideTimer = 1;
    static constexpr UINT kHideDelay = 5;

    explicit CPropertyPalette(IPaletteOwner& owner);
    ~CPropertyPalette() override;

    // Makes the palette, hidden, owned by the owner's window; its fonts are
    // the face and size of dialog template `fontTemplateId`.
    bool create(UINT fontTemplateId);
    // Appends a tab for `page`, labelled with its template's caption; the
    // first page becomes the current one. False when the template cannot be
    // read. The page must outlive the palette's window or be destroyed
    // before it; the palette never destroys a page object.
    bool addPage(CPalettePage& page);
    // Shows tab `index` (reading the item again when a panel is set) and
    // takes the focus; returns the previous index.
    int selectTab(int index);
    // Shows or hides the palette; showing shows the current page without
    // reading the item again, since the caller gives the panel next.
    bool showPalette(bool show);
    // The pages now edit `panel`'s selected item: the current page reads it
    // again. Null forgets the panel (it is being destroyed).
    void setCurrentPanel(CMenuPanel* panel);
    // Activates the palette with the focus where it was when the palette
    // was left (an edit field with its whole text selected), or on the
    // palette itself.
    void activate();

    bool isPinned() const { return m_isPinned; }
    bool isShown() const { return m_isShown; }
    bool isModalActive() const { return m_modalActive; }
    int currentTab() const { return m_currentTab; }
    int tabCount() const { return static_cast<int>(m_tabs.size()); }
    CPalettePage* page(int index) const;
    // The tab's label as the strip shows it.
    std::wstring tabCaption(int index) const;
    const TabStripLayout& tabLayout() const { return m_layout; }

    // IPaletteHost
    HWND hostWindow() const override { return m_hWnd; }
    CMenuPanel* currentPanel() const override { return m_currentPanel; }
    HFONT pageFont() const override { return m_normalFont.get(); }
    RECT pageRect() const override { return m_pageRect; }
    bool handlePaletteKey(MSG* msg) override;
    void stepTab(bool forward) override;
    bool ownerInModalState() const override;
    void beginModal() override;
    void endModal() override;

    bool PreTranslateMessage(MSG* msg) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    struct Tab {
        CPalettePage* page;
        std::wstring caption;
        long captionWidth;  // in the bold font
    };

    bool OnCreate();
    void OnDestroy();
    bool MakeFonts();
    bool MakeToolBar();
    void SetPinned(bool pinned);
    // Lays the tabs out again and updates the scroll buttons.
    void LayoutStrip();
    void RedrawStrip();
    void ScrollStrip(bool right);
    void OnTimer(UINT_PTR id);
    void OnNcActivate(bool active);
    void OnLButtonDown(POINT point);
    void OnPaint();
    void PaintStrip(HDC dc, const RECT& client);
    CPalettePage* CurrentPage() const;
    // The help button and F1 on the palette.
    void OpenHelp();
    HWND OwnerWindow() const { return m_owner.paletteOwnerWindow(); }

    IPaletteOwner& m_owner;
    UINT m_fontTemplateId = 0;
    CMenuPanel* m_currentPanel = nullptr;
    bool m_isPinned = false;
    bool m_isShown = false;
    bool m_closingByKey = false;
    bool m_modalActive = false;
    // Nested modal states end with the outermost.
    int m_modalDepth = 0;
    // The designer was enabled when the modal state began.
    bool m_modalDisabledOwner = false;
    // Set while the window goes: the pages are not called any more.
    bool m_destroying = false;
    bool m_captionDrag = false;
    bool m_hasFocus = false;
    HWND m_savedFocus = nullptr;

    std::vector<Tab> m_tabs;
    int m_currentTab = -1;
    TabScroll m_scroll;
    TabStripLayout m_layout;
    RECT m_pageRect = {0, 0, 0, 0};

    ScopedFont m_normalFont;
    ScopedFont m_boldFont;
    ScopedPen m_lightPen;
    ScopedPen m_darkShadowPen;
    ScopedPen m_shadowPen;
    CTabScrollArrows m_arrows;
    // The pin and help buttons: a flat toolbar control that erases in the
    // palette's face colour.
    class CToolBarWnd : public CWnd {
    protected:
        LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    };
    CToolBarWnd m_toolBar;
    HWND m_scrollLeft = nullptr;
    HWND m_scrollRight = nullptr;
};
