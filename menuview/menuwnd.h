// One level of the run-time menu: the root menu shown against another
// program's pop-up, or a submenu opened from it. Driven by the mouse only;
// it never activates and never takes the keyboard focus.
#pragma once

#include "framework/window.h"
#include "menuview/menulayout.h"

class CMenuWndHost;
class CMenuList;

// Private messages of the menu windows.
const UINT MW_ACTIVATE_ITEM = 0x465;  // wParam 1, lParam point: choose the item there or open its submenu
const UINT MW_RESET_INDEXES = 0x466;  // forget the opened and hovered items
const UINT MW_OPEN_SUBMENU = 0x467;   // wParam point: open the submenu of the item there
// wParam of a WM_LBUTTONDOWN that the submenu delay produced, not the mouse.
const WPARAM kHoverClick = 255;

class CMenuWnd : public CWnd {
public:
    explicit CMenuWnd(CMenuWndHost* host = nullptr) : m_host(host) {}
    ~CMenuWnd() override;

    void bind(CMenuWndHost* host) { m_host = host; }
    // Lays out `list` in the (hidden) window owned by `owner`, made now
    // unless the window kept from an earlier menu has that owner.
    bool create(HWND owner, CMenuList* list, CMenuWnd* parent, int indexInParent);
    // Makes the hidden window ahead of the first menu; true when it exists.
    bool prepare(HWND owner);
    // Creates the root window and shows it against `anchor` (screen
    // rectangle of the pop-up) for a click at `click`.
    bool showRoot(CMenuList* list, HWND owner, const RECT& anchor, POINT click);
    // Hides this window and every submenu below it; the windows are kept.
    virtual void close();
    // Closes, then destroys the window.
    void destroy();
    void setHighlight(int index);
    int hitTest(POINT point) const;
    // Clears the highlight here and in every open submenu below, forgetting
    // their mouse positions and indexes.
    void clearHighlights();

    bool isShown() const { return m_isShown != 0; }
    CMenuWnd* childWindow() const { return m_childWindow; }
    CMenuWnd* parentWindow() const { return m_parentWindow; }
    CMenuList* list() const { return m_list; }
    int highlightIndex() const;
    int openedIndex() const { return m_openedIndex; }
    int hoverIndex() const { return m_hoverIndex; }
    const RECT& windowRect() const { return m_windowRect; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Attach();
    void ShowAt(const RECT& placed);
    void OnPaint();
    void OnMouseMove(POINT point);
    void OnMouseHover();
    void OnButtonDown(WPARAM marker);
    void OnActivateItem(POINT point);
    void OnOpenSubmenu(POINT point);
    void DrawItem(HDC dc, const CMenuItem& item, bool selected);
    void ForgetMouse();
    void CloseChild();

    CMenuWnd* m_childWindow = nullptr;
    CMenuWnd* m_parentWindow = nullptr;
    int m_indexInParent = -1;
    int m_isShown = 0;
    CMenuWndHost* m_host;
    CMenuList* m_list = nullptr;
    int m_height = 0;
    int m_openedIndex = -1;
    int m_hoverIndex = -1;
    RECT m_windowRect = {0, 0, 0, 0};
    POINT m_lastMouse = {-1, -1};
    POINT m_hoverPoint = {-1, -1};
    int m_lastHitIndex = -1;
    HWND m_registered = nullptr;
};
