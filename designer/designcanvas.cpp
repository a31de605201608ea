#include "designer/designcanvas.h"

#include "menuview/menuhost.h"

#include <windowsx.h>

#include <algorithm>

#include "ahcommon/ahsystem.h"
#include "framework/ansitext.h"
#include "lang/resource.h"
#include "menudoc/menudocument.h"
#include "menuview/menupanel.h"

namespace {

// The band depth of the hatched selection frame.
const int kFrameBand = 5;

bool Contains(const RECT& rect, POINT point)
{
    return PtInRect(&rect, point) != FALSE;
}

}  // namespace

CDesignCanvas::CDesignCanvas(ICanvasOwner& owner) : m_owner(owner) {}

CDesignCanvas::~CDesignCanvas()
{
    destroy();
    releaseMeasureDC();
}

bool CDesignCanvas::create(HWND parent, const RECT& rect)
{
    if (m_hWnd != nullptr) return false;
    m_arrowCursor = LoadCursor(nullptr, IDC_ARROW);
    m_sizeAllCursor = LoadCursor(nullptr, IDC_SIZEALL);
    m_noCursor = LoadCursor(nullptr, IDC_NO);
    HINSTANCE resources = AhGetResourceHandle();
    if (resources == nullptr) resources = GetModuleHandleA(nullptr);
    m_dragCursor = LoadCursorA(resources, MAKEINTRESOURCEA(IDC_DESIGNER_DRAG));
    if (m_dragCursor == nullptr) m_dragCursor = m_arrowCursor;
    m_whiteBrush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));

    // Panels share the canvas's class: double clicks, the arrow, no
    // background (both paint all they show).
    m_canvasClass = RegisterWndClass(CS_DBLCLKS, m_arrowCursor);
    m_panelClass = m_canvasClass;
    if (m_canvasClass.empty()) return false;
    readSystemMetrics();

    m_currentPanel = nullptr;
    m_selectedIndex = -1;
    m_offsetX = m_offsetY = 0;
    m_bars = ScrollBars();
    m_hasFrame = m_hasMark = false;
    m_lastHit = kHitCanvas;
    m_drag.reset();
    m_panels.clear();
    m_tornDown = false;
    m_barsSet = false;
    return CreateEx(WS_EX_CLIENTEDGE, m_canvasClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, parent,
                    kCanvasId) != FALSE;
}

void CDesignCanvas::readSystemMetrics()
{
    // The same metrics and font as the run-time menus, so the panels look
    // as the menus will.
    m_metrics = ReadSystemMenuMetrics();

    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        m_menuFont.reset(CreateFontIndirectA(&ncm.lfMenuFont));
    m_hilitePen.reset(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_HIGHLIGHT)));

    releaseMeasureDC();
    m_measureDC = CreateCompatibleDC(nullptr);
    if (m_measureDC != nullptr) m_measureOldFont = SelectObject(m_measureDC, menuFont());
}

void CDesignCanvas::releaseMeasureDC()
{
    if (m_measureDC == nullptr) return;
    if (m_measureOldFont != nullptr && m_measureOldFont != HGDI_ERROR) SelectObject(m_measureDC, m_measureOldFont);
    DeleteDC(m_measureDC);
    m_measureDC = nullptr;
    m_measureOldFont = nullptr;
}

bool CDesignCanvas::start(CMenuDocument* document)
{
    if (m_hWnd == nullptr || document == nullptr || document->rootMenu == nullptr || m_rootPanel) return false;
    m_document = document;
    m_history.setDocument(document);
    m_tornDown = false;
    CMenuList* root = document->rootMenu;
    m_rootPanel.reset(new CMenuPanel);
    if (!m_rootPanel->create(this, root, nullptr, 0, 0, -1)) {
        m_rootPanel.reset();
        return false;
    }
    root->itemAt(root->count() > 0 ? 0 : -1);
    root->currentIndex = root->count() > 0 ? 0 : -1;
    ShowWindow(m_rootPanel->m_hWnd, SW_SHOWNA);
    addPanel(m_rootPanel.get());
    return true;
}

void CDesignCanvas::destroy()
{
    teardown();
    if (m_hWnd != nullptr) DestroyWindow();
}

void CDesignCanvas::teardown()
{
    if (m_tornDown) return;
    m_tornDown = true;
    m_drag.reset();
    if (m_hWnd != nullptr && GetCapture() == m_hWnd) ReleaseCapture();
    m_currentPanel = nullptr;
    setSelectionFrame(nullptr, nullptr);
    m_hasMark = false;
    if (m_rootPanel) {
        m_rootPanel->close();
        m_rootPanel.reset();
    }
    m_panels.clear();
    if (m_document != nullptr) {
        if (m_document->rootMenu != nullptr) {
            m_document->deleteMenu(m_document->rootMenu);
            m_document->rootMenu = nullptr;
        }
        destroyClipItem(m_clipboard);
        // What the records keep alive goes with the tree, while the
        // document it is registered with still exists.
        m_history.clearRedo();
        m_history.clearUndo();
    }
    m_document = nullptr;
}

const std::string& CDesignCanvas::panelClassName() const
{
    return m_panelClass;
}

HFONT CDesignCanvas::menuFont() const
{
    return m_menuFont ? m_menuFont.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

const MenuMetrics& CDesignCanvas::metrics() const
{
    return m_metrics;
}

long CDesignCanvas::measureText(const std::string& text)
{
    return m_measureDC != nullptr ? AnsiTextWidth(m_measureDC, text) : 0;
}

HICON CDesignCanvas::rootIcon() const
{
    return m_rootIcon;
}

void CDesignCanvas::clearActive()
{
    m_currentPanel = nullptr;
    setSelectionFrame(nullptr, nullptr);
}

void CDesignCanvas::setActive(CMenuPanel* panel, int index, const RECT& target)
{
    m_currentPanel = panel;
    m_selectedIndex = index;
    setSelectionFrame(panel, &target);
}

void CDesignCanvas::clearSelectionFrame()
{
    setSelectionFrame(nullptr, nullptr);
}

void CDesignCanvas::showSelectionAgain()
{
    // While an item is dragged the insertion mark stands in for the frame.
    if (m_drag.dragging()) return;
    if (m_currentPanel != nullptr && m_currentPanel->m_hWnd != nullptr)
        SendMessageA(m_currentPanel->m_hWnd, PM_SHOW_SELECTION, 0, 0);
}

void CDesignCanvas::addPanel(CMenuPanel* panel)
{
    if (panel == nullptr) return;
    if (std::find(m_panels.begin(), m_panels.end(), panel) == m_panels.end()) m_panels.push_back(panel);
    updateScrollRange();
}

void CDesignCanvas::removePanel(CMenuPanel* panel)
{
    m_panels.erase(std::remove(m_panels.begin(), m_panels.end(), panel), m_panels.end());
    m_owner.panelClosing(panel);
    if (panel == m_currentPanel) clearActive();
    updateScrollRange();
}

void CDesignCanvas::updateExtent()
{
    updateScrollRange();
}

CMenuPanel* CDesignCanvas::lastPanel() const
{
    return m_panels.empty() ? nullptr : m_panels.back();
}

CMenuPanel* CDesignCanvas::panelAt(POINT point) const
{
    const long x = point.x - m_offsetX;
    const long y = point.y - m_offsetY;
    for (CMenuPanel* panel : m_panels) {
        if (!PanelTakesPointer(panel->list(), m_drag.phase(), m_drag.item(), m_drag.sourceList())) continue;
        if (RectContains(panel->position(), x, y)) return panel;
    }
    return nullptr;
}

int CDesignCanvas::hitCodeAt(POINT point) const
{
    return CanvasHitCode(kHitCanvas, m_hasFrame && Contains(m_selectionFrame, point), panelAt(point) != nullptr);
}

void CDesignCanvas::panelHitTest(POINT screen)
{
    if (m_hWnd == nullptr || !ScreenToClient(m_hWnd, &screen)) return;
    m_lastHit = hitCodeAt(screen);
}

void CDesignCanvas::applyCursor()
{
    switch (CursorFor(m_lastHit, m_drag.dragging())) {
    case CanvasCursor::SizeAll: SetCursor(m_sizeAllCursor); break;
    case CanvasCursor::Drag: SetCursor(m_dragCursor); break;
    case CanvasCursor::No: SetCursor(m_noCursor); break;
    case CanvasCursor::Arrow: SetCursor(m_arrowCursor); break;
    }
}

void CDesignCanvas::setSelectionFrame(CMenuPanel* panel, const RECT* target)
{
    if (m_hWnd == nullptr) {
        m_hasFrame = false;
        if (panel == nullptr) m_selectedIndex = -1;
        return;
    }
    if (m_hasFrame) {
        RECT old = m_selectionFrame;
        InflateRect(&old, 2, 2);
        InvalidateRect(m_hWnd, &old, TRUE);
        m_hasFrame = false;
        SetRectEmpty(&m_selectionFrame);
    }
    // Panels still waiting to paint do so now, before the frame is drawn
    // over them and their part under it is validated.
    UpdateWindow(m_hWnd);
    if (panel == nullptr || target == nullptr) {
        m_selectedIndex = -1;
        return;
    }
    m_selectionFrame = *target;
    InflateRect(&m_selectionFrame, 3, 3);
    m_hasFrame = true;
    InvalidateRect(m_hWnd, &m_selectionFrame, FALSE);
    validatePanels(m_selectionFrame);
    UpdateWindow(m_hWnd);
}

void CDesignCanvas::validatePanels(const RECT& area)
{
    for (CMenuPanel* panel : m_panels) {
        if (panel->m_hWnd == nullptr) continue;
        RECT part = area;
        MapWindowPoints(m_hWnd, panel->m_hWnd, reinterpret_cast<POINT*>(&part), 2);
        ValidateRect(panel->m_hWnd, &part);
    }
}

void CDesignCanvas::paint()
{
    ScopedPaint paint(m_hWnd);
    if (paint.dc() == nullptr) return;
    // The canvas does not clip its children: the frame and the mark are
    // drawn over the panels.
    if (m_hasFrame) {
        paintSelectionFrame(paint.dc());
    } else if (m_hasMark) {
        paintInsertMark(paint.dc());
    }
}

void CDesignCanvas::paintSelectionFrame(HDC dc) const
{
    const RECT& f = m_selectionFrame;
    const RECT bands[4] = {
        {f.left, f.top, f.right, f.top + kFrameBand},
        {f.left, f.bottom - kFrameBand, f.right, f.bottom},
        {f.left, f.top, f.left + kFrameBand, f.bottom},
        {f.right - kFrameBand, f.top, f.right, f.bottom},
    };
    const COLORREF hilite = GetSysColor(COLOR_HIGHLIGHT);
    for (const RECT& band : bands) {
        FillRect(dc, &band, m_whiteBrush);
        bool shifted = false;
        for (long y = band.top + 1; y < band.bottom; y += 2, shifted = !shifted) {
            for (long x = band.left + (shifted ? 2 : 0); x < band.right; x += 5) SetPixel(dc, x, y, hilite);
        }
    }
}

void CDesignCanvas::paintInsertMark(HDC dc) const
{
    const RECT band = {m_insertMark.left - 4, m_insertMark.top, m_insertMark.right + 4, m_insertMark.top + 2};
    const COLORREF hilite = GetSysColor(COLOR_HIGHLIGHT);
    FillRect(dc, &band, m_whiteBrush);
    bool shifted = false;
    for (long y = band.top; y < band.bottom; ++y, shifted = !shifted) {
        for (long x = band.left + (shifted ? 1 : 0); x < band.right; x += 2) SetPixel(dc, x, y, hilite);
    }
    ScopedBrush bar(CreateSolidBrush(hilite));
    const RECT ends[2] = {{band.left, band.top - 1, band.left + 2, band.bottom + 1},
                          {band.right - 2, band.top - 1, band.right, band.bottom + 1}};
    if (bar) {
        for (const RECT& end : ends) FillRect(dc, &end, bar);
    }

    ScopedSelect pen(dc, m_hilitePen.get());
    struct Corner {
        long x, y;
        int dx, dy;
    };
    const Corner corners[4] = {{band.right, band.top - 1, +1, -1},
                               {band.right, band.bottom, +1, +1},
                               {band.left, band.bottom, -1, +1},
                               {band.left, band.top - 1, -1, -1}};
    for (const Corner& c : corners) {
        const POINT ends3[3] = {{c.x + 4 * c.dx, c.y + 4 * c.dy}, {c.x + 5 * c.dx, c.y + 4 * c.dy},
                                {c.x + 5 * c.dx, c.y + 3 * c.dy}};
        for (const POINT& end : ends3) {
            MoveToEx(dc, c.x, c.y, nullptr);
            LineTo(dc, end.x, end.y);
        }
    }
}

void CDesignCanvas::updateScrollRange()
{
    if (m_hWnd == nullptr || m_inScrollRange) return;
    long width = 0;
    long height = 0;
    for (const CMenuPanel* panel : m_panels) {
        width = std::max(width, static_cast<long>(panel->position().right));
        height = std::max(height, static_cast<long>(panel->position().bottom));
    }
    RECT client;
    if (!GetClientRect(m_hWnd, &client)) return;
    BarMetrics metrics;
    metrics.vertWidth = GetSystemMetrics(SM_CXVSCROLL);
    metrics.horzHeight = GetSystemMetrics(SM_CYHSCROLL);
    const ScrollBars next = ComputeScrollBars(width, height, client.right, client.bottom, m_bars, metrics);
    const ScrollBars old = m_bars;
    m_bars = next;

    // Showing or hiding a bar resizes the client area: the WM_SIZE it sends
    // must not decide the bars again half-way.
    m_inScrollRange = true;
    if (old.horz != next.horz) ShowScrollBar(m_hWnd, SB_HORZ, next.horz ? TRUE : FALSE);
    if (old.vert != next.vert) ShowScrollBar(m_hWnd, SB_VERT, next.vert ? TRUE : FALSE);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    info.nPage = 1;
    // Setting a bar redraws it even when nothing changed, which costs more
    // than the whole relayout of a typed caption: only changed bars are set.
    const bool shownNow = old.horz != next.horz || old.vert != next.vert || !m_barsSet;
    if (next.horz && (shownNow || old.maxH != next.maxH || old.posH != next.posH)) {
        info.nMax = next.maxH;
        info.nPos = next.posH;
        SetScrollInfo(m_hWnd, SB_HORZ, &info, TRUE);
    }
    if (next.vert && (shownNow || old.maxV != next.maxV || old.posV != next.posV)) {
        info.nMax = next.maxV;
        info.nPos = next.posV;
        SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
    }
    m_barsSet = true;
    m_inScrollRange = false;
    // Panels are made and resized at their place for the present offsets:
    // only a change of offsets moves them all.
    if (ScrollOffset(next.horz, next.posH) != m_offsetX || ScrollOffset(next.vert, next.posV) != m_offsetY)
        placePanels();
}

void CDesignCanvas::placePanels()
{
    m_offsetX = ScrollOffset(m_bars.horz, m_bars.posH);
    m_offsetY = ScrollOffset(m_bars.vert, m_bars.posV);
    const std::vector<CMenuPanel*> panels = m_panels;
    for (CMenuPanel* panel : panels) panel->moveToOffsets();
    if (m_currentPanel != nullptr && m_selectedIndex >= 0 && m_currentPanel->m_hWnd != nullptr)
        SendMessageA(m_currentPanel->m_hWnd, PM_SHOW_SELECTION, 0, 0);
}

void CDesignCanvas::onScroll(int bar, int code, int thumb)
{
    if (m_inScroll) return;
    const bool shown = bar == SB_VERT ? m_bars.vert : m_bars.horz;
    if (!shown) return;
    m_inScroll = true;
    int& position = bar == SB_VERT ? m_bars.posV : m_bars.posH;
    const int next = ApplyScrollCode(code, position, bar == SB_VERT ? m_bars.maxV : m_bars.maxH, thumb);
    if (next != position) {
        position = next;
        SetScrollPos(m_hWnd, bar, position, TRUE);
        placePanels();
    }
    m_inScroll = false;
}

void CDesignCanvas::onWheel(WORD keys, int delta)
{
    // One sum for the whole process, so that fine-grained wheels add up
    // across messages and canvases.
    static CWheelAccumulator s_wheel;
    const WheelAxis axis = WheelTarget((keys & MK_SHIFT) != 0, m_drag.phase() != DragPhase::Idle, m_bars);
    if (axis == WheelAxis::None) return;
    UINT lines = 3;
    if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
    const int wheelLines = lines == WHEEL_PAGESCROLL ? -1 : static_cast<int>(std::min<UINT>(lines, 0x7FFF));
    const CWheelAccumulator::Steps steps = s_wheel.add(axis, delta, wheelLines);
    // Steps beyond the range would only queue messages that move nothing.
    const int range = axis == WheelAxis::Vertical ? m_bars.maxV : m_bars.maxH;
    const int count = std::min(steps.count, std::max(range, 1));
    const UINT message = axis == WheelAxis::Vertical ? WM_VSCROLL : WM_HSCROLL;
    for (int i = 0; i < count; ++i) PostMessageA(m_hWnd, message, MAKEWPARAM(steps.code, 0), 0);
}

bool CDesignCanvas::isLiveItem(const CMenuItem* item) const
{
    if (item == nullptr || m_document == nullptr) return false;
    for (const auto& entry : m_document->itemsById)
        if (entry.second == item) return true;
    return false;
}

void CDesignCanvas::showItem(CMenuItem* item)
{
    if (item == nullptr || item->parent == nullptr || m_document == nullptr) return;
    // The item and its ancestors up to the first list already shown; each
    // click from the top opens the next list's panel. Bounded by the number
    // of lists, whatever the tree.
    std::vector<CMenuItem*> path;
    const std::size_t bound = m_document->menus.size() + 1;
    for (CMenuItem* at = item; at != nullptr && at->parent != nullptr; at = at->parent->parentItem) {
        path.push_back(at);
        if (at->parent->panel != nullptr || path.size() > bound) break;
    }
    if (path.empty() || path.back()->parent == nullptr || path.back()->parent->panel == nullptr) return;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        CMenuList* list = (*it)->parent;
        if (list == nullptr || list->panel == nullptr) return;
        list->panel->selectByClick(*it);
    }
}

LRESULT CDesignCanvas::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        GetClientRect(m_hWnd, &m_clientRect);
        SetFocus(m_hWnd);
        return 0;
    case WM_DESTROY:
        teardown();
        break;
    case WM_SETFOCUS:
        if (m_currentPanel != nullptr && m_currentPanel->m_hWnd != nullptr) SetFocus(m_currentPanel->m_hWnd);
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        if (GetClientRect(m_hWnd, &client)) FillRect(reinterpret_cast<HDC>(wParam), &client, m_whiteBrush);
        return 1;
    }
    case WM_PAINT:
        paint();
        return 0;
    case WM_NCHITTEST: {
        const int hit = static_cast<int>(Default(message, wParam, lParam));
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(m_hWnd, &point);
        m_lastHit = CanvasHitCode(hit, m_hasFrame && Contains(m_selectionFrame, point), panelAt(point) != nullptr);
        return m_lastHit;
    }
    case WM_SETCURSOR:
        applyCursor();
        return TRUE;
    case WM_SIZE: {
        const LRESULT result = Default(message, wParam, lParam);
        updateScrollRange();
        return result;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
        onScroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_MOUSEWHEEL:
        onWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        // The canvas's own presses do nothing: only a panel's start a drag.
        if ((wParam & kPanelInputFlag) != 0) onButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hWnd) abandonDrag();
        return 0;
    case DM_ITEMSELECTED:
        // The panel of a posted message may have closed since: the current
        // one is asked about instead.
        if (m_currentPanel != nullptr && m_selectedIndex >= 0) m_owner.itemSelected(m_currentPanel, wParam == 1);
        return 0;
    case DM_SHOWITEM: {
        CMenuItem* item = reinterpret_cast<CMenuItem*>(wParam);
        if (isLiveItem(item)) showItem(item);
        return 0;
    }
    default:
        break;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}
