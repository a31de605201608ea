// Figures of the general item page; not a test. Types 200 keystrokes, one
// at a time, into the caption of an item in the middle of a 200-item panel:
// each goes through the text rule, lays the panel out around the item and
// repaints it. Prints the median and the worst time of one keystroke.
#include "designer/designcanvas.h"
#include "designer/generalpage.h"
#include "designer/propertypalette.h"
#include "framework/winapp.h"
#include "lang/resource.h"
#include "menudoc/menudocument.h"
#include "menuview/menupanel.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Seconds()
{
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (CWnd::WalkPreTranslate(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class Designer : public CWnd, public IPaletteOwner, public ICanvasOwner {
public:
    HWND paletteOwnerWindow() const override { return m_hWnd; }
    void openHelp(DWORD) override {}
    void hideSelectionMark() override {}
    void showSelectionMark() override {}
    bool inModalState() const override { return false; }
    void updateTitle() override {}
    int askUser(UINT, UINT, const std::string&) override { return IDCANCEL; }
    void itemSelected(CMenuPanel* panel, bool) override
    {
        if (palette != nullptr) palette->setCurrentPanel(panel);
    }
    CPropertyPalette* palette = nullptr;
};

class Editor : public IPageEditor {
public:
    explicit Editor(CDesignCanvas& canvas) : m_canvas(canvas) {}
    CEditHistory& history() override { return m_canvas.history(); }
    void undo() override { m_canvas.undo(); }
    void updateScrollRange() override { m_canvas.updateExtent(); }
    void changeRecorded() override {}
    int ask(HWND, UINT, UINT, const std::string&) override { return IDCANCEL; }
    bool chooseFile(HWND, const FileOpenRequest&, std::string&) override { return false; }
    std::string programFolder() const override { return std::string(); }

private:
    CDesignCanvas& m_canvas;
};

}  // namespace

int main()
{
    HMODULE language = LoadLibraryA("vnEng.dll");
    if (language == nullptr) {
        std::printf("vnEng.dll not found\n");
        return 1;
    }
    SetResourceModule(language);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    // root: Top; Top -> 200 items.
    CMenuDocument document;
    CMenuList* root = document.newMenu(nullptr);
    root->isRoot = 1;
    document.rootMenu = root;
    CMenuItem* top = root->appendNew(0);
    top->caption = "Top";
    top->hasSubmenu = 1;
    CMenuList* list = document.newMenu(top);
    top->submenu = list;
    for (int i = 0; i < 200; ++i) {
        CMenuItem* item = list->appendNew(0);
        item->caption = "Item " + std::to_string(i);
    }
    document.ensurePlaceholders();
    CMenuItem* typed = list->items[100];

    Designer designer;
    const RECT place = {0, 0, 800, 600};
    if (!designer.CreateEx(0, CWnd::RegisterWndClass(0), "Designer", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                           place, nullptr, 0)) {
        std::printf("no designer window\n");
        return 1;
    }
    CDesignCanvas canvas(designer);
    CPropertyPalette palette(designer);
    designer.palette = &palette;
    Editor editor(canvas);
    CGeneralPage page;
    page.setEditor(&editor);
    RECT client;
    GetClientRect(designer.m_hWnd, &client);
    if (!canvas.create(designer.m_hWnd, client) || !canvas.start(&document) || !palette.create(IDD_GENERAL_PAGE) ||
        !palette.addPage(page)) {
        std::printf("no canvas or palette\n");
        return 1;
    }
    palette.showPalette(true);
    SendMessageA(canvas.m_hWnd, DM_SHOWITEM, reinterpret_cast<WPARAM>(typed), 0);
    Pump();
    CMenuPanel* panel = list->panel;
    HWND combo = page.GetDlgItem(IDC_GENERAL_CAPTION);
    if (panel == nullptr || combo == nullptr || palette.currentPanel() != panel) {
        std::printf("the item is not shown\n");
        return 1;
    }

    // Whole keystrokes, and their two parts: the page's handling (text rule
    // and layout) and the panel's repaint.
    std::vector<double> times;
    std::vector<double> handling;
    std::vector<double> painting;
    std::string caption = typed->caption;
    for (int i = 0; i < 200; ++i) {
        caption.push_back(static_cast<char>('a' + i % 26));
        const double start = Seconds();
        SetWindowTextA(combo, caption.c_str());
        const double handled = Seconds();
        SendMessageA(page.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_GENERAL_CAPTION, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        const double painted = Seconds();
        UpdateWindow(panel->m_hWnd);
        const double end = Seconds();
        times.push_back((end - start) * 1000.0);
        handling.push_back((painted - handled) * 1000.0);
        painting.push_back((end - painted) * 1000.0);
        Pump();
    }
    const bool stored = typed->caption == caption;
    for (std::vector<double>* figures : {&times, &handling, &painting}) std::sort(figures->begin(), figures->end());
    std::printf("one keystroke into the caption of an item in a 200-item panel, %zu keystrokes:\n", times.size());
    std::printf("  whole keystroke: median %.3f ms, worst %.3f ms%s\n", times[times.size() / 2], times.back(),
                stored ? "" : " (caption NOT stored)");
    std::printf("  text rule and layout: median %.3f ms, worst %.3f ms\n", handling[handling.size() / 2],
                handling.back());
    std::printf("  panel repaint: median %.3f ms, worst %.3f ms\n", painting[painting.size() / 2], painting.back());

    palette.setCurrentPanel(nullptr);
    palette.DestroyWindow();
    canvas.destroy();
    designer.DestroyWindow();
    return stored ? 0 : 1;
}
