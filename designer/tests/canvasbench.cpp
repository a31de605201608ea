// Figures of the design canvas on a large tree; not a test. Prints the time
// to create and start the canvas up to its first paint, the time of one
// mouse move while dragging over a 200-item panel, and the GUI objects of
// the process before and after opening and closing submenu panels 1,000
// times.
#include "designer/designcanvas.h"

#include "menudoc/menudocument.h"
#include "menuview/menupanel.h"

#include <cstdio>

namespace {

class QuietOwner : public ICanvasOwner {
public:
    void updateTitle() override {}
    int askUser(UINT, UINT, const std::string&) override { return IDCANCEL; }
    void itemSelected(CMenuPanel*, bool) override {}
};

double Seconds()
{
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

CMenuItem* Add(CMenuList* list, const char* caption)
{
    CMenuItem* item = list->appendNew(0);
    item->caption = caption;
    return item;
}

CMenuList* Sub(CMenuDocument& document, CMenuItem* item)
{
    item->hasSubmenu = 1;
    item->submenu = document.newMenu(item);
    return item->submenu;
}

POINT CanvasPoint(const CDesignCanvas& canvas, const CMenuItem* item)
{
    POINT point = {(item->bounds.left + item->bounds.right) / 2, (item->bounds.top + item->bounds.bottom) / 2};
    MapWindowPoints(item->parent->panel->m_hWnd, canvas.m_hWnd, &point, 1);
    return point;
}

// A click as the system delivers it: the press to the panel, the release
// to the canvas, which captured the mouse.
void Click(CDesignCanvas& canvas, const CMenuItem* item)
{
    const POINT at = CanvasPoint(canvas, item);
    const POINT local = {(item->bounds.left + item->bounds.right) / 2, (item->bounds.top + item->bounds.bottom) / 2};
    SendMessageA(item->parent->panel->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.x, local.y));
    SendMessageA(canvas.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void PrintObjects(const char* when)
{
    std::printf("GUI objects %s: GDI %lu, USER %lu\n", when,
                static_cast<unsigned long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
                static_cast<unsigned long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)));
}

}  // namespace

int main()
{
    // root: Top; Top -> 100 submenus of 100 items each, and "long" -> 200 items.
    CMenuDocument document;
    CMenuList* root = document.newMenu(nullptr);
    root->isRoot = 1;
    document.rootMenu = root;
    CMenuItem* top = Add(root, "Top");
    CMenuList* menus = Sub(document, top);
    char caption[64];
    for (int m = 0; m < 100; ++m) {
        std::snprintf(caption, sizeof caption, "Submenu %d", m);
        CMenuList* sub = Sub(document, Add(menus, caption));
        for (int i = 0; i < 100; ++i) {
            std::snprintf(caption, sizeof caption, "Item %d of submenu %d", i, m);
            Add(sub, caption);
        }
    }
    CMenuItem* longItem = Add(menus, "long");
    CMenuList* longList = Sub(document, longItem);
    for (int i = 0; i < 200; ++i) {
        std::snprintf(caption, sizeof caption, "Long item %d", i);
        Add(longList, caption);
    }
    document.ensurePlaceholders();

    const WNDCLASSA wc = {0, DefWindowProcA, 0, 0, GetModuleHandleA(nullptr), nullptr, LoadCursor(nullptr, IDC_ARROW),
                          nullptr, nullptr, "CanvasBenchHost"};
    RegisterClassA(&wc);
    HWND host = CreateWindowExA(0, "CanvasBenchHost", "canvas bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 800,
                                600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (host == nullptr) return 1;
    SetCursorPos(0, 0);
    RECT client;
    GetClientRect(host, &client);

    QuietOwner owner;
    CDesignCanvas canvas(owner);
    const double started = Seconds();
    if (!canvas.create(host, client) || !canvas.start(&document)) return 1;
    SendMessageA(canvas.m_hWnd, DM_SHOWITEM, reinterpret_cast<WPARAM>(top), 0);
    UpdateWindow(host);
    std::printf("create + start + first paint: %.2f ms\n", (Seconds() - started) * 1000.0);

    // One drag move over the 200-item panel: the mark moves between items.
    Click(canvas, longItem);
    const CMenuItem* first = longList->items[0];
    Click(canvas, first);
    const POINT local = {(first->bounds.left + first->bounds.right) / 2, (first->bounds.top + first->bounds.bottom) / 2};
    SendMessageA(first->parent->panel->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.x, local.y));
    const POINT targets[2] = {CanvasPoint(canvas, longList->items[10]), CanvasPoint(canvas, longList->items[20])};
    SendMessageA(canvas.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(targets[0].x, targets[0].y));
    const int moves = 200;
    const double dragStart = Seconds();
    for (int i = 0; i < moves; ++i) {
        const POINT& at = targets[(i + 1) % 2];
        SendMessageA(canvas.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    }
    std::printf("one drag move over a %d-item panel: %.3f ms\n", longList->count(),
                (Seconds() - dragStart) * 1000.0 / moves);
    RECT canvasClient;
    GetClientRect(canvas.m_hWnd, &canvasClient);
    SendMessageA(canvas.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(canvasClient.right - 2, canvasClient.bottom - 2));

    // A click that moves the selection within the long panel, no panel made.
    const double selectStart = Seconds();
    for (int i = 0; i < 100; ++i) Click(canvas, longList->items[static_cast<std::size_t>(1 + i % 2)]);
    std::printf("one click selecting within a %d-item panel: %.3f ms\n", longList->count(),
                (Seconds() - selectStart) * 1000.0 / 100);

    // Submenu panels opened and closed: each click on a submenu item closes
    // the panel of the one before.
    CMenuItem* pair[2] = {menus->items[0], menus->items[1]};
    Click(canvas, pair[0]);
    PrintObjects("before 1,000 panel opens/closes");
    const double cycleStart = Seconds();
    for (int i = 0; i < 1000; ++i) Click(canvas, pair[(i + 1) % 2]);
    const double cycleTime = Seconds() - cycleStart;
    PrintObjects("after 1,000 panel opens/closes");
    std::printf("one panel open/close: %.3f ms\n", cycleTime * 1000.0 / 1000);

    canvas.destroy();
    DestroyWindow(host);
    return 0;
}
