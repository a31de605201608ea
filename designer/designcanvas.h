// The designer's scrollable white canvas: every open menu level is a panel
// on it, placed where the run-time menu would pop up. It keeps the open
// panels and the selection, draws the hatched selection frame and the
// insertion mark over them, scrolls them, turns drags and keys into moves,
// and carries out the editing commands with their undo and redo.
//
// The class is split by concern: designcanvas.cpp (window, painting,
// panels, scrolling), canvasmouse.cpp (mouse, drag and drop, keys) and
// canvasedit.cpp (edit commands, undo and redo).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "designer/canvasscroll.h"
#include "designer/designercommands.h"
#include "designer/dragstate.h"
#include "designer/itemmove.h"
#include "designer/undoplan.h"
#include "framework/gdiscope.h"
#include "framework/window.h"
#include "menudoc/edithistory.h"
#include "menuview/panelcanvas.h"

class CMenuDocument;
class CMenuItem;
class CMenuList;
class CMenuPanel;

// What the canvas needs of the designer window around it.
class ICanvasOwner {
public:
    // After every recorded edit, undo and redo: the title's asterisk follows
    // the history.
    virtual void updateTitle() = 0;
    // A question about string `stringId` formatted with `argument` in a
    // message box of `style`; the button chosen.
    virtual int askUser(UINT stringId, UINT style, const std::string& argument) = 0;
    // DM_ITEMSELECTED arrived: the selection changed (`openProperties`
    // false) or the user asked for the item's properties.
    virtual void itemSelected(CMenuPanel* panel, bool openProperties) = 0;
    // `panel` is closing: whoever still points at it lets go.
    virtual void panelClosing(CMenuPanel* panel) { (void)panel; }

protected:
    ~ICanvasOwner() = default;
};

class CDesignCanvas : public CWnd, public IPanelCanvas {
public:
    static const UINT kCanvasId = 0xE900;

    explicit CDesignCanvas(ICanvasOwner& owner);
    ~CDesignCanvas() override;

    // Makes the canvas window as child kCanvasId of `parent`.
    bool create(HWND parent, const RECT& rect);
    // Drawn before every item of the root list (the program's icon); not owned.
    void setRootIcon(HICON icon) { m_rootIcon = icon; }
    // Shows `document`'s root list as the root panel at the origin.
    bool start(CMenuDocument* document);
    // Closes every panel, deletes the tree and the clipboard item through
    // the document and destroys the window; safe to call again.
    void destroy();

    CEditHistory& history() { return m_history; }
    CMenuPanel* currentPanel() const { return m_currentPanel; }
    int selectedIndex() const { return m_selectedIndex; }
    const CMenuItem* clipboardItem() const { return m_clipboard; }
    CMenuPanel* rootPanel() const { return m_rootPanel.get(); }
    // What the command table's rules look at, now.
    DesignerState state() const;

    // The editing commands; each checks its enabling rule again.
    void insertNewItem();
    void deleteSelected();
    void cutSelected();
    void copySelected();
    void pasteClip();
    // An empty stack beeps.
    void undo();
    void redo();

    // Opens the panels down to `item` and selects it.
    void showItem(CMenuItem* item);
    // Removes the selection frame (the user switched to another program).
    void clearSelectionFrame();
    // Draws the current panel's selection again (the designer was activated).
    void showSelectionAgain();

    // The canvas's keys, before the accelerators and the dialog manager.
    bool PreTranslateMessage(MSG* msg) override;

    // IPanelCanvas
    HWND canvasWindow() const override { return m_hWnd; }
    const std::string& panelClassName() const override;
    HFONT menuFont() const override;
    const MenuMetrics& metrics() const override;
    long measureText(const std::string& text) override;
    HICON rootIcon() const override;
    long offsetX() const override { return m_offsetX; }
    long offsetY() const override { return m_offsetY; }
    CMenuPanel* activePanel() const override { return m_currentPanel; }
    int activeIndex() const override { return m_selectedIndex; }
    void clearActive() override;
    void setActive(CMenuPanel* panel, int index, const RECT& target) override;
    void addPanel(CMenuPanel* panel) override;
    void removePanel(CMenuPanel* panel) override;
    void updateExtent() override;
    void panelMouse(UINT message, WPARAM keys, POINT point) override;
    void panelHitTest(POINT screen) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // designcanvas.cpp: window, panels, painting, scrolling.
    void readSystemMetrics();
    void teardown();
    void releaseMeasureDC();
    CMenuPanel* lastPanel() const;
    // The first open panel at `point` (canvas client coordinates) that may
    // take the pointer now.
    CMenuPanel* panelAt(POINT point) const;
    // The canvas's hit code at a point in client coordinates.
    int hitCodeAt(POINT point) const;
    void applyCursor();
    // Removes the frame, then frames `target` grown by 3 (null panel: none).
    void setSelectionFrame(CMenuPanel* panel, const RECT* target);
    // Keeps the panels from painting over what the canvas drew on them.
    void validatePanels(const RECT& area);
    void updateScrollRange();
    void placePanels();
    void onScroll(int bar, int code, int thumb);
    void onWheel(WORD keys, int delta);
    void paint();
    void paintSelectionFrame(HDC dc) const;
    void paintInsertMark(HDC dc) const;
    bool isLiveItem(const CMenuItem* item) const;
    // canvasmouse.cpp: drag and drop, keys.
    void onButtonDown(POINT point);
    void onMouseMove(POINT point);
    void onButtonUp(POINT point);
    // The capture went elsewhere during a press or drag: nothing moves.
    void abandonDrag();
    // The item of a panel that takes the pointer at `point`, or null; its
    // panel, index and the point in that panel's coordinates then.
    CMenuItem* itemAt(POINT point, CMenuPanel*& panel, int& index, POINT& local) const;
    void setInsertMark(const RECT* mark);
    // The screen work after `result` moved an item: the panels of both
    // lists are laid out again and the open chain below them follows.
    void moveItem(const MoveResult& result, CMenuPanel* hoverPanel);
    bool onKey(int virtualKey);
    // canvasedit.cpp: edit commands, undo and redo.
    void copyToClip(const CMenuItem& source, CMenuItem*& slot);
    void destroyClipItem(CMenuItem*& slot);
    void deleteCurrent();
    void removeItem(CMenuItem* item);
    void historyStep(HistoryStep step);
    CMenuItem* currentItem() const;

    ICanvasOwner& m_owner;
    CEditHistory m_history;
    CMenuDocument* m_document = nullptr;
    std::unique_ptr<CMenuPanel> m_rootPanel;
    CMenuItem* m_clipboard = nullptr;
    CMenuPanel* m_currentPanel = nullptr;
    int m_selectedIndex = -1;
    long m_offsetX = 0;
    long m_offsetY = 0;

    std::string m_canvasClass;
    std::string m_panelClass;
    ScopedFont m_menuFont;
    ScopedPen m_hilitePen;
    HDC m_measureDC = nullptr;
    HGDIOBJ m_measureOldFont = nullptr;
    MenuMetrics m_metrics;
    HICON m_rootIcon = nullptr;
    HBRUSH m_whiteBrush = nullptr;
    HCURSOR m_arrowCursor = nullptr;
    HCURSOR m_sizeAllCursor = nullptr;
    HCURSOR m_dragCursor = nullptr;
    HCURSOR m_noCursor = nullptr;

    // Open panels in opening order, the root panel first; not owned.
    std::vector<CMenuPanel*> m_panels;
    RECT m_clientRect = {0, 0, 0, 0};
    ScrollBars m_bars;
    // The bars were set at least once since the window was made.
    bool m_barsSet = false;
    bool m_inScroll = false;
    bool m_inScrollRange = false;
    RECT m_selectionFrame = {0, 0, 0, 0};
    bool m_hasFrame = false;
    RECT m_insertMark = {0, 0, 0, 0};
    bool m_hasMark = false;
    int m_lastHit = kHitCanvas;
    CDragTracker m_drag;
    bool m_tornDown = false;
};
