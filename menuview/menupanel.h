// The designer's picture of one menu level: a child window of the design
// canvas that draws a list as the run-time menu window would, with a raised
// frame, lets the user select items and opens the panel of a submenu beside
// the item that owns it. Mouse input goes on to the canvas, which owns the
// selection frame, dragging and scrolling.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>

#include "framework/window.h"
#include "menuview/menulayout.h"
#include "menuview/panellayout.h"

class CMenuItem;
class CMenuList;
class IPanelCanvas;

// Private messages of a panel.
const UINT PM_ACTIVATE_ITEM = 0x465;  // lParam a point: open the submenu of the item there
const UINT PM_IGNORED = 0x466;        // answered with 1, nothing else
const UINT PM_OPEN_SUBMENU = 0x467;   // openChild(wParam, lParam)
const UINT PM_SELECT = 0x468;         // select(wParam)
const UINT PM_SHOW_SELECTION = 0x469; // wParam 1: scroll the selected item into view, then mark it; 0: mark it

class CMenuPanel : public CWnd {
public:
    CMenuPanel() = default;
    ~CMenuPanel() override;

    // Lays `list` out and makes the panel window on `canvas` at (x, y) in
    // unscrolled canvas coordinates; `parentPanel` and `indexInParent` name
    // the item that opened it (null, -1 for the root panel).
    bool create(IPanelCanvas* canvas, CMenuList* list, CMenuPanel* parentPanel, long x, long y, int indexInParent);
    // Closes the open child chain, leaves the canvas and destroys the window.
    virtual void close();
    void closeChild();

    // The list's current item becomes `index`; for an item (not -1) the
    // canvas's frame moves to it once it is scrolled into view.
    void select(int index);
    // Selects `item` as a click would, without starting a drag.
    void selectByClick(CMenuItem* item);
    // Opens the panel of the submenu of the item at `value` (byIndex) or
    // under the point `value` (x low word, y high word).
    void openChild(WPARAM value, bool byIndex);

    // Lays the list out again and resizes the window at the same place.
    void relayout();
    // As relayout after the item at `index` changed size; the open child
    // chain follows its openers.
    void relayoutAround(int index);
    // The item at `index` got or lost its submenu.
    void afterSubmenuFlagChange(int index);
    void invalidateItem(const CMenuItem* item);
    // Moves the open child chain below this panel back beside its openers.
    void reattachChildren(ReattachMode mode);
    // Puts the window at its position plus the canvas's scroll offsets.
    void moveToOffsets();

    // The index of the item at `point` (panel client coordinates); -1 none.
    int hitTest(POINT point) const;
    CMenuList* list() const { return m_list; }
    const MenuRect& position() const { return m_position; }
    bool isShown() const { return m_isShown != 0; }
    CMenuPanel* childPanel() const { return m_childPanel; }
    CMenuPanel* parentPanel() const { return m_parentPanel; }
    CMenuItem* openerItem() const { return m_openerItem; }
    int openedIndex() const { return m_openedIndex; }
    int lastHitIndex() const { return m_lastHitIndex; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    MenuRect Layout();
    // The width of `text` in the menu font, measured once for the whole
    // chain: measuring goes to the font engine, which is slow on some
    // systems, and every keystroke into a caption lays the panel out again.
    long CaptionWidth(const std::string& text);
    void Resize(const MenuRect& layout);
    // Marks the selected item as the canvas's selection; with `scroll`, first
    // steps the canvas until the item is in view or no step moves it.
    void ShowSelection(bool scroll);
    void OnPress(WPARAM keys, POINT point);
    void OnActivateItem(POINT point);
    // Passes a mouse event on to the canvas, at `point` in canvas client
    // coordinates.
    void Forward(UINT message, WPARAM keys, POINT point);
    void OnPaint();

    IPanelCanvas* m_canvas = nullptr;
    MenuRect m_position = {0, 0, 0, 0};
    int m_isShown = 0;
    CMenuPanel* m_childPanel = nullptr;  // owned
    CMenuPanel* m_parentPanel = nullptr;
    int m_lastHitIndex = -1;
    int m_openedIndex = -1;
    CMenuItem* m_openerItem = nullptr;
    CMenuList* m_list = nullptr;
    // Caption widths of the chain, kept by its first panel; every panel of a
    // chain draws on one canvas, whose font never changes.
    std::unordered_map<std::string, long> m_captionWidths;
};
