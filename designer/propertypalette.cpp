#include "designer/propertypalette.h"

#include "designer/palettepage.h"
#include "framework/winapp.h"
#include "lang/resource.h"

#include <commctrl.h>

#include <initializer_list>

namespace {

const DWORD kPaletteExStyle = 0x180;  // WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE
const DWORD kPaletteStyle = 0x84C90040;
const int kPaletteWidth = 528;
const int kPaletteHeight = 188;
const UINT kToolBarId = 0xE800;
// The tab strip starts right of the toolbar, at the client's top.
const long kStripLeft = 58;
const long kStripTop = 0;
// Key code 3 ends an edit like Enter and Escape do.
const WPARAM kCancelKey = 3;

bool KeyHeld(int key)
{
    return GetKeyState(key) < 0;
}

// What the palette takes from a dialog template: its caption, and the face
// and point size of its font.
struct TemplateText {
    std::wstring caption;
    std::wstring face;
    int pointSize = 0;
};

// Reads the words of a resource, refusing to run past its end.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    WORD word()
    {
        if (!m_ok || m_at + 2 > m_size) {
            m_ok = false;
            return 0;
        }
        const WORD value = static_cast<WORD>(m_data[m_at] | (m_data[m_at + 1] << 8));
        m_at += 2;
        return value;
    }
    DWORD dword()
    {
        const DWORD low = word();
        return low | (static_cast<DWORD>(word()) << 16);
    }
    std::wstring text()
    {
        std::wstring value;
        for (WORD c = word(); m_ok && c != 0; c = word()) value.push_back(static_cast<wchar_t>(c));
        return value;
    }
    // A menu or class field: none, an ordinal, or a name.
    void skipNameOrOrdinal()
    {
        const WORD first = word();
        if (first == 0xFFFF) {
            word();
        } else if (first != 0) {
            for (WORD c = word(); m_ok && c != 0; c = word()) {
            }
        }
    }

private:
    const BYTE* m_data;
    DWORD m_size;
    DWORD m_at = 0;
    bool m_ok = true;
};

bool ReadTemplateText(UINT templateId, TemplateText& out)
{
    HINSTANCE module = ResourceModule();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (found == nullptr) return false;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const BYTE* data = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (data == nullptr || size == 0) return false;

    TemplateReader reader(data, size);
    const WORD first = reader.word();
    const WORD second = reader.word();
    const bool extended = first == 1 && second == 0xFFFF;
    DWORD style = 0;
    if (extended) {
        reader.dword();  // help id
        reader.dword();  // extended style
        style = reader.dword();
    } else {
        style = first | (static_cast<DWORD>(second) << 16);
        reader.dword();  // extended style
    }
    reader.word();  // control count
    for (int i = 0; i < 4; ++i) reader.word();  // x, y, cx, cy
    reader.skipNameOrOrdinal();  // menu
    reader.skipNameOrOrdinal();  // window class
    out.caption = reader.text();
    if ((style & DS_SETFONT) != 0) {
        out.pointSize = reader.word();
        if (extended) {
            reader.word();  // weight
            reader.word();  // italic, character set
        }
        out.face = reader.text();
    }
    return reader.ok();
}

void Line(HDC dc, const POINT* points, int count)
{
    Polyline(dc, points, count);
}

}  // namespace

LRESULT CPropertyPalette::CToolBarWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}

CPropertyPalette::CPropertyPalette(IPaletteOwner& owner) : m_owner(owner) {}

CPropertyPalette::~CPropertyPalette()
{
    // The pages may be gone already: the window goes without calling them.
    m_destroying = true;
    if (m_hWnd != nullptr) DestroyWindow();
}

bool CPropertyPalette::create(UINT fontTemplateId)
{
    if (m_hWnd != nullptr) return false;
    m_fontTemplateId = fontTemplateId;
    m_destroying = false;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const std::string windowClass = RegisterWndClass(CS_HREDRAW, LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    char title[256] = "";
    if (LoadStringA(ResourceModule(), IDS_PALETTE_TITLE, title, sizeof title) <= 0) title[0] = '\0';
    const RECT place = {0, 0, kPaletteWidth, kPaletteHeight};
    return CreateEx(kPaletteExStyle, windowClass, title, kPaletteStyle, place, OwnerWindow(), 0) != FALSE;
}

bool CPropertyPalette::MakeFonts()
{
    TemplateText text;
    if (!ReadTemplateText(m_fontTemplateId, text) || text.face.empty() || text.pointSize <= 0) return false;
    ScopedWindowDC screen(nullptr);
    if (screen.get() == nullptr) return false;
    const int height = -MulDiv(text.pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    const BYTE charset = static_cast<BYTE>(GetTextCharset(screen));
    for (int weight : {FW_NORMAL, FW_BOLD}) {
        HFONT font = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_DONTCARE, text.face.c_str());
        if (font == nullptr) return false;
        (weight == FW_NORMAL ? m_normalFont : m_boldFont).reset(font);
    }
    return true;
}

bool CPropertyPalette::MakeToolBar()
{
    if (!CWnd::BeginCreationHook(m_toolBar)) return false;
    HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                               3, 3, 51, 26, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kToolBarId)),
                               GetModuleHandleA(nullptr), nullptr);
    CWnd::EndCreationHook();
    if (bar == nullptr) return false;
    if (m_toolBar.m_hWnd != bar) {
        ::DestroyWindow(bar);
        return false;
    }
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 15));
    TBADDBITMAP bitmap = {ResourceModule(), IDB_PALETTE_TOOLBAR};
    if (SendMessageA(bar, TB_ADDBITMAP, 3, reinterpret_cast<LPARAM>(&bitmap)) == -1) return false;
    TBBUTTON buttons[2] = {};
    buttons[0].iBitmap = 0;
    buttons[0].idCommand = kPinCommand;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[0].fsStyle = BTNS_CHECK;
    buttons[1].iBitmap = 2;
    buttons[1].idCommand = kHelpCommand;
    buttons[1].fsState = TBSTATE_ENABLED;
    buttons[1].fsStyle = BTNS_BUTTON;
    return SendMessageA(bar, TB_ADDBUTTONS, 2, reinterpret_cast<LPARAM>(buttons)) != FALSE;
}

bool CPropertyPalette::OnCreate()
{
    if (!MakeFonts()) return false;
    m_lightPen.reset(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
    m_darkShadowPen.reset(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW)));
    m_shadowPen.reset(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    if (!m_lightPen || !m_darkShadowPen || !m_shadowPen) return false;
    if (!m_arrows.create()) return false;
    if (!MakeToolBar()) return false;

    RECT client;
    if (!GetClientRect(m_hWnd, &client)) return false;
    const UINT ids[2] = {kScrollLeftId, kScrollRightId};
    const long offsets[2] = {kTabScrollLeftOffset, kTabScrollRightOffset};
    HWND* buttons[2] = {&m_scrollLeft, &m_scrollRight};
    for (int i = 0; i < 2; ++i) {
        *buttons[i] = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_DISABLED | BS_OWNERDRAW,
                                      client.right - offsets[i], kTabScrollButtonsTop, kTabScrollButtonSize,
                                      kTabScrollButtonSize, m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ids[i])),
                                      GetModuleHandleA(nullptr), nullptr);
        if (*buttons[i] == nullptr) return false;
    }
    m_pageRect = {client.left + 5, client.top + 26, client.right - 5, client.bottom - 5};
    LayoutStrip();
    return true;
}

void CPropertyPalette::OnDestroy()
{
    KillTimer(m_hWnd, kHideTimer);
    // The children go with the window.
    m_scrollLeft = nullptr;
    m_scrollRight = nullptr;
    m_isShown = false;
    m_hasFocus = false;
    m_savedFocus = nullptr;
    m_captionDrag = false;
}

bool CPropertyPalette::addPage(CPalettePage& page)
{
    TemplateText text;
    if (!ReadTemplateText(page.TemplateId(), text)) return false;
    long width = 0;
    {
        ScopedWindowDC screen(nullptr);
        ScopedSelect bold(screen, m_boldFont.get());
        SIZE extent = {0, 0};
        if (screen.get() != nullptr &&
            GetTextExtentPoint32W(screen, text.caption.c_str(), static_cast<int>(text.caption.size()), &extent))
            width = extent.cx;
    }
    m_tabs.push_back(Tab{&page, text.caption, width});
    page.attach(this);
    if (m_currentTab < 0) m_currentTab = 0;
    LayoutStrip();
    RedrawStrip();
    return true;
}

CPalettePage* CPropertyPalette::page(int index) const
{
    if (index < 0 || index >= tabCount()) return nullptr;
    return m_tabs[static_cast<size_t>(index)].page;
}

std::wstring CPropertyPalette::tabCaption(int index) const
{
    if (index < 0 || index >= tabCount()) return std::wstring();
    return m_tabs[static_cast<size_t>(index)].caption;
}

CPalettePage* CPropertyPalette::CurrentPage() const
{
    return page(m_currentTab);
}

int CPropertyPalette::selectTab(int index)
{
    const int previous = m_currentTab;
    if (index < 0 || index >= tabCount()) return previous;
    if (previous != index && page(previous) != nullptr) page(previous)->showPage(false, false);
    m_currentTab = index;
    // A hidden palette shows its current page when it is shown.
    if (m_hWnd != nullptr && IsWindowVisible(m_hWnd)) {
        CurrentPage()->showPage(true, true);
        SetFocus(m_hWnd);
    }
    RedrawStrip();
    return previous;
}

void CPropertyPalette::stepTab(bool forward)
{
    selectTab(StepTab(m_currentTab, tabCount(), forward));
}

bool CPropertyPalette::showPalette(bool show)
{
    if (m_hWnd == nullptr) return false;
    if (show) {
        m_closingByKey = false;
        if (CurrentPage() != nullptr) CurrentPage()->showPage(true, false);
        LayoutStrip();
    }
    ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE);
    m_isShown = show;
    return true;
}

void CPropertyPalette::setCurrentPanel(CMenuPanel* panel)
{
    m_currentPanel = panel;
    CPalettePage* current = CurrentPage();
    if (panel == nullptr || current == nullptr || !current->IsOpen()) return;
    current->reload();
    current->updateEnabling();
}

void CPropertyPalette::activate()
{
    if (m_hWnd == nullptr) return;
    SetActiveWindow(m_hWnd);
    HWND target = m_savedFocus;
    if (target != nullptr && IsWindow(target) && IsChild(m_hWnd, target) && IsWindowVisible(target) &&
        IsWindowEnabled(target)) {
        SetFocus(target);
        char windowClass[16] = "";
        if (GetClassNameA(target, windowClass, sizeof windowClass) > 0 && lstrcmpiA(windowClass, "Edit") == 0)
            SendMessageA(target, EM_SETSEL, 0, -1);
    } else {
        SetFocus(m_hWnd);
    }
}

bool CPropertyPalette::ownerInModalState() const
{
    return m_owner.inModalState();
}

void CPropertyPalette::beginModal()
{
    if (m_modalDepth++ > 0) return;
    m_modalActive = true;
    HWND owner = OwnerWindow();
    m_modalDisabledOwner = owner != nullptr && IsWindowEnabled(owner);
    if (m_modalDisabledOwner) EnableWindow(owner, FALSE);
    if (owner != nullptr) SendMessageA(owner, WM_NCACTIVATE, FALSE, 0);
}

void CPropertyPalette::endModal()
{
    if (m_modalDepth == 0 || --m_modalDepth > 0) return;
    HWND owner = OwnerWindow();
    if (m_modalDisabledOwner && owner != nullptr) EnableWindow(owner, TRUE);
    m_modalDisabledOwner = false;
    m_modalActive = false;
    // The activation came back to the palette while the state was on, and
    // was not passed on to the designer's caption then.
    if (owner != nullptr && m_hWnd != nullptr && GetActiveWindow() == m_hWnd)
        SendMessageA(owner, WM_NCACTIVATE, TRUE, 0);
}

void CPropertyPalette::SetPinned(bool pinned)
{
    m_isPinned = pinned;
    if (m_toolBar.m_hWnd == nullptr) return;
    SendMessageA(m_toolBar.m_hWnd, TB_CHANGEBITMAP, kPinCommand, MAKELPARAM(pinned ? 1 : 0, 0));
    SendMessageA(m_toolBar.m_hWnd, TB_CHECKBUTTON, kPinCommand, MAKELPARAM(pinned ? TRUE : FALSE, 0));
}

void CPropertyPalette::LayoutStrip()
{
    if (m_hWnd == nullptr) return;
    RECT client;
    if (!GetClientRect(m_hWnd, &client)) return;
    std::vector<long> widths;
    for (const Tab& tab : m_tabs) widths.push_back(tab.captionWidth);
    m_layout = LayoutTabs(widths, kStripLeft, kStripTop, client.right, m_scroll, m_layout.buttonsShown);
    if (!m_layout.buttonsShown || m_scrollLeft == nullptr || m_scrollRight == nullptr) return;
    EnableWindow(m_scrollLeft, m_layout.scrollLeftEnabled ? TRUE : FALSE);
    EnableWindow(m_scrollRight, m_layout.scrollRightEnabled ? TRUE : FALSE);
    ShowWindow(m_scrollLeft, SW_SHOWNA);
    ShowWindow(m_scrollRight, SW_SHOWNA);
}

void CPropertyPalette::RedrawStrip()
{
    if (m_hWnd == nullptr) return;
    RECT client;
    if (!GetClientRect(m_hWnd, &client)) return;
    // The current tab reaches a little into the page area.
    RECT band = {client.left, client.top, client.right, m_pageRect.top + 6};
    InvalidateRect(m_hWnd, &band, FALSE);
}

void CPropertyPalette::ScrollStrip(bool right)
{
    m_scroll = right ? ScrollTabsRight(m_scroll, m_layout) : ScrollTabsLeft(m_scroll, m_layout);
    LayoutStrip();
    RedrawStrip();
}

bool CPropertyPalette::handlePaletteKey(MSG* msg)
{
    if (m_hWnd == nullptr || msg->message != WM_KEYDOWN) return false;
    const WPARAM key = msg->wParam;
    if (key == VK_RETURN || key == VK_ESCAPE || key == kCancelKey) {
        m_closingByKey = true;
        CPalettePage* current = CurrentPage();
        if (current != nullptr && current->IsOpen()) {
            if (key == VK_ESCAPE) current->cancelEdit();
            if (key == VK_RETURN) current->applyEdit();
        }
        if (m_isPinned)
            SetFocus(OwnerWindow());
        else
            showPalette(false);
        return true;
    }
    if (key == VK_TAB) {
        if (KeyHeld(VK_CONTROL)) {
            stepTab(!KeyHeld(VK_SHIFT));
            return true;
        }
        if (msg->hwnd != m_hWnd) return false;
        CPalettePage* current = CurrentPage();
        HWND control = current != nullptr ? current->tabStopControl(KeyHeld(VK_SHIFT)) : nullptr;
        // The dialog manager's own move selects an edit field's whole text.
        if (control != nullptr) SendMessageA(current->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        return true;
    }
    return false;
}

bool CPropertyPalette::PreTranslateMessage(MSG* msg)
{
    // The keys a page leaves alone while the designer is in a modal state
    // reach here next; they are left alone too.
    if (m_hWnd == nullptr || m_owner.inModalState()) return false;
    if (msg->message == WM_SYSKEYDOWN) {
        // Alt+Space and the bare Alt key keep opening the window menu.
        if (msg->wParam <= 32) return false;
        CPalettePage* current = CurrentPage();
        return current != nullptr && current->handleSysKey(*msg);
    }
    if (msg->message == WM_KEYDOWN) return handlePaletteKey(msg);
    return false;
}

void CPropertyPalette::OnNcActivate(bool active)
{
    if (active) {
        // A key that closed the last edit is history once the user is back.
        m_closingByKey = false;
        HWND owner = OwnerWindow();
        if (owner != nullptr) SendMessageA(owner, WM_NCACTIVATE, TRUE, 0);
        return;
    }
    CPalettePage* current = CurrentPage();
    if (!m_closingByKey && current != nullptr && current->IsOpen()) current->applyEdit();
    HWND focus = GetFocus();
    if (focus != nullptr && (focus == m_hWnd || IsChild(m_hWnd, focus))) m_savedFocus = focus;
    SetTimer(m_hWnd, kHideTimer, kHideDelay, nullptr);
}

void CPropertyPalette::OnTimer(UINT_PTR id)
{
    if (id != kHideTimer) return;
    KillTimer(m_hWnd, kHideTimer);
    if (!m_isPinned) {
        // A page's own dialog (owned by the palette) or the palette itself,
        // active again, keeps it.
        HWND active = GetActiveWindow();
        const bool keep = active != nullptr && (active == m_hWnd || GetParent(active) == m_hWnd);
        if (!keep) showPalette(false);
    }
    HWND owner = OwnerWindow();
    if (owner != nullptr) SendMessageA(owner, WM_NCACTIVATE, GetFocus() != nullptr ? TRUE : FALSE, 0);
}

void CPropertyPalette::OnLButtonDown(POINT point)
{
    const int hit = TabAt(m_layout, point.x, point.y);
    if (hit < 0) return;
    if (hit == m_currentTab)
        SetFocus(m_hWnd);
    else
        selectTab(hit);
}

void CPropertyPalette::PaintStrip(HDC dc, const RECT& client)
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    ScopedSelect font(dc, m_normalFont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const UINT textFormat = DT_SINGLELINE | DT_VCENTER | DT_CENTER;

    for (int i = 0; i < tabCount(); ++i) {
        const TabBox& tab = m_layout.tabs[static_cast<size_t>(i)];
        if (i == m_currentTab || !TabWhollyInside(tab, m_layout.strip)) continue;
        const long l = tab.left + 1, r = tab.right - 1, t = tab.top, b = tab.bottom;
        RECT text = {l, t + 2, r, b + 2};
        const std::wstring& caption = m_tabs[static_cast<size_t>(i)].caption;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, textFormat);
        {
            ScopedSelect pen(dc, m_lightPen.get());
            const POINT light[4] = {{l, b}, {l, t + 2}, {l + 2, t}, {r - 2, t}};
            Line(dc, light, 4);
        }
        ScopedSelect pen(dc, m_shadowPen.get());
        const POINT shadow[3] = {{r - 2, t + 1}, {r - 1, t + 2}, {r - 1, b}};
        Line(dc, shadow, 3);
    }

    RECT edge = client;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);

    if (m_currentTab < 0 || m_currentTab >= tabCount()) return;
    if (!TabWhollyInside(m_layout.tabs[static_cast<size_t>(m_currentTab)], m_layout.strip)) return;
    const TabBox face = CurrentTabFace(m_layout, m_currentTab);
    const long l = face.left, r = face.right, t = face.top, b = face.bottom;
    RECT fill = {l, t, r, b};
    FillRect(dc, &fill, GetSysColorBrush(COLOR_BTNFACE));
    RECT text = {l, t + 2, r, b + 2};
    const std::wstring& caption = m_tabs[static_cast<size_t>(m_currentTab)].caption;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, textFormat);
    {
        ScopedSelect pen(dc, m_lightPen.get());
        const POINT light[4] = {{l, b + 2}, {l, t + 2}, {l + 2, t}, {r - 2, t}};
        Line(dc, light, 4);
    }
    {
        ScopedSelect pen(dc, m_darkShadowPen.get());
        const POINT dark[3] = {{r - 2, t + 1}, {r - 1, t + 2}, {r - 1, b + 2}};
        Line(dc, dark, 3);
    }
    if (m_hasFocus) {
        RECT focus = {l + 3, t + 3, r - 3, b - 3};
        DrawFocusRect(dc, &focus);
    }
}

void CPropertyPalette::OnPaint()
{
    ScopedPaint paint(m_hWnd);
    HDC dc = paint.dc();
    if (dc == nullptr) return;
    RECT client;
    if (!GetClientRect(m_hWnd, &client)) return;
    // The children paint themselves; the copy leaves their places alone.
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT place;
        if (!GetWindowRect(child, &place)) continue;
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        ExcludeClipRect(dc, place.left, place.top, place.right, place.bottom);
    }
    ScopedMemoryDC buffer(dc, client.right, client.bottom);
    if (!buffer.ok()) {
        PaintStrip(dc, client);
        return;
    }
    PaintStrip(buffer, client);
    buffer.Blit(dc, 0, 0);
}

bool CPropertyPalette::OnCommand(UINT id, UINT code, HWND)
{
    switch (id) {
    case kPinCommand:
        SetPinned(!m_isPinned);
        return true;
    case kHelpCommand:
        OpenHelp();
        return true;
    case kScrollLeftId:
    case kScrollRightId:
        // An owner-drawn button reports a quick second press as a double-click.
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) ScrollStrip(id == kScrollRightId);
        return true;
    default:
        return false;
    }
}

void CPropertyPalette::OpenHelp()
{
    // The help of the palette, whichever page is shown; not the designer's.
    const CPalettePage* shown = CurrentPage();
    m_owner.openHelp(DialogHelpContext(shown != nullptr ? shown->TemplateId() : IDD_GENERAL_PAGE));
}

LRESULT CPropertyPalette::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HELP:
        // F1 on the palette itself; left alone it would reach the owner,
        // the designer, and open the designer's help.
        OpenHelp();
        return TRUE;
    case WM_CREATE:
        if (Default(message, wParam, lParam) == -1) return -1;
        return OnCreate() ? 0 : -1;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_PRIOR || wParam == VK_LEFT || wParam == VK_NEXT || wParam == VK_RIGHT) {
            stepTab(wParam == VK_NEXT || wParam == VK_RIGHT);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            showPalette(false);
            return 0;
        }
        break;
    case WM_NCACTIVATE:
        if (!m_modalActive && !m_destroying) OnNcActivate(wParam != FALSE);
        break;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_NCLBUTTONDOWN:
        if (wParam == HTCAPTION) {
            m_captionDrag = true;
            m_owner.hideSelectionMark();
        }
        break;
    case WM_NCMOUSEMOVE:
        if (m_captionDrag) {
            m_captionDrag = false;
            m_owner.showSelectionMark();
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        m_hasFocus = message == WM_SETFOCUS;
        RedrawStrip();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_ACTIVATE;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(m_hWnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item != nullptr && (item->CtlID == kScrollLeftId || item->CtlID == kScrollRightId)) {
            m_arrows.draw(*item, item->CtlID == kScrollLeftId);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}
