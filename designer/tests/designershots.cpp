// Saves pictures of the menu designer for the user guide:
//   designershots LANGUAGE.dll FOLDER [ICON]
// writes into FOLDER, on a sample menu kept in C:\Menus\office.vn while it
// runs: designer.bmp (an item of a nested submenu selected),
// designer-drag.bmp (that item dragged, the insertion mark showing) and
// palette-general.bmp, palette-keys.bmp and palette-command.bmp (the
// property palette on each page). With the Chinese language library the
// sample's captions and texts are Chinese.
#include "accounts/accountfile.h"
#include "ahcommon/ahsystem.h"
#include "designer/designerdlg.h"
#include "designer/tests/windowpicture.h"
#include "framework/controls.h"
#include "framework/winapp.h"
#include "menudoc/menulist.h"
#include "menuview/menupanel.h"
#include "menuview/panelcanvas.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kMenuName[] = "Office";
const char kUser[] = "admin";

// One sample text in both languages; the Chinese one is UTF-8 here and
// becomes the system code page's bytes, as menu texts are stored.
struct Sample {
    const char* english;
    const char* chinese;
};

bool g_chinese = false;

std::string Text(const Sample& sample)
{
    if (!g_chinese) return sample.english;
    const int wide = MultiByteToWideChar(CP_UTF8, 0, sample.chinese, -1, nullptr, 0);
    if (wide <= 0) return sample.english;
    std::vector<wchar_t> buffer(static_cast<size_t>(wide));
    MultiByteToWideChar(CP_UTF8, 0, sample.chinese, -1, buffer.data(), wide);
    const int narrow = WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) return sample.english;
    std::vector<char> bytes(static_cast<size_t>(narrow));
    WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, bytes.data(), narrow, nullptr, nullptr);
    return bytes.data();
}

// Handles the messages of the designer's thread for `ms` milliseconds, so
// that what was shown or changed gets painted.
void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

POINT Centre(const CMenuItem* item)
{
    return {(item->bounds.left + item->bounds.right) / 2, (item->bounds.top + item->bounds.bottom) / 2};
}

// A point of `item` (in its panel's coordinates) in the canvas's client
// coordinates.
POINT OnCanvas(HWND canvas, const CMenuItem* item, POINT local)
{
    MapWindowPoints(item->parent->panel->m_hWnd, canvas, &local, 1);
    return local;
}

// Runs the script once the designer is on screen; answers No to every
// question, so nothing is saved.
class PictureHost : public CDesignerHost {
public:
    using Script = std::function<void(HWND)>;

    LoginValues currentLogin() const override { return login; }
    std::string resolveModuleRelative(const std::string& path) const override { return path; }
    HICON programIcon() const override { return icon; }
    int showMessage(HWND, UINT, UINT style, const std::string&, const std::string&) override
    {
        const UINT buttons = style & MB_TYPEMASK;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDNO : IDOK;
    }
    void dialogShown(HWND dialog, bool) override
    {
        s_window = dialog;
        if (SetTimer(nullptr, 0, 500, &PictureHost::Run) == 0) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    void dialogClosing(HWND, bool) override {}
    void reloadMenus() override {}

    LoginValues login;
    HICON icon = nullptr;
    static Script s_script;

private:
    static void CALLBACK Run(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        Script script = std::move(s_script);
        s_script = nullptr;
        if (script) script(s_window);
        PostMessageA(s_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    }
    static HWND s_window;
};

PictureHost::Script PictureHost::s_script;
HWND PictureHost::s_window = nullptr;

CMenuItem* Add(CMenuList* list, const Sample& caption)
{
    CMenuItem* item = list->appendNew(0);
    item->caption = Text(caption);
    return item;
}

CMenuList* Submenu(CMenuDocument& document, CMenuItem* item)
{
    item->hasSubmenu = 1;
    if (item->submenu == nullptr) item->submenu = document.newMenu(item);
    return item->submenu;
}

// The sample menu: a root item whose submenu has six items, one of them a
// separator and one a submenu of three reports.
bool WriteSampleMenu(const std::string& file)
{
    {
        CAccountFile accounts;
        if (!accounts.create(file, kMenuName) || !accounts.save()) return false;
        accounts.close();
    }
    CMenuDocument document;
    if (!document.load(file, kMenuName, kUser, "", ItemKey()) || document.rootMenu == nullptr ||
        document.rootMenu->items.empty())
        return false;
    CMenuItem* root = document.rootMenu->items.front();
    root->caption = Text({"Office", u8"办公室"});
    CMenuList* top = Submenu(document, root);
    while (!top->items.empty()) top->remove(top->items.front());

    CMenuItem* greeting = Add(top, {"Greeting", u8"问候语"});
    greeting->keystrokes = Text({"Good morning!", u8"早上好！"});
    greeting->pressEnter = 1;
    CMenuItem* explore = Add(top, {"Shared documents", u8"共享文档"});
    explore->shellCommand = kShellExplore;
    explore->commandArgument = "\\\\server\\shared";
    CMenuItem* web = Add(top, {"Company web site", u8"公司网站"});
    web->shellCommand = kShellHttp;
    web->commandArgument = "www.example.com";
    top->appendNew(0)->separator = 1;
    CMenuList* reports = Submenu(document, Add(top, {"Reports", u8"报表"}));
    CMenuItem* weekly = Add(reports, {"Weekly report", u8"周报"});
    weekly->note = Text({"Opens this week's report", u8"打开本周的报表"});
    weekly->keystrokes = Text({"Please find this week's report attached.\r\nBest regards",
                               u8"附件是本周的报表，请查收。\r\n此致"});
    weekly->target = "C:\\Reports\\weekly.doc";
    weekly->shellCommand = kShellExplore;
    weekly->commandArgument = "C:\\Reports";
    Add(reports, {"Monthly summary", u8"月度汇总"});
    Add(reports, {"Sales figures", u8"销售数据"});
    CMenuItem* mail = Add(top, {"Mail to support", u8"发邮件给技术支持"});
    mail->shellCommand = kShellMailTo;
    mail->commandArgument = "support@example.com";

    const bool saved = document.save(file, kMenuName, kUser, "", ItemKey());
    document.close();
    document.deleteMenu(document.rootMenu);
    document.rootMenu = nullptr;
    return saved;
}

// The sample's "Reports" item, the one submenu of the root item's list.
CMenuItem* Reports(const CDesignerDlg& designer)
{
    CMenuList* top = designer.document().rootMenu->items.front()->submenu;
    for (CMenuItem* item : top->items)
        if (item->submenu != nullptr) return item;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: designershots LANGUAGE.dll FOLDER [ICON]\n");
        return 2;
    }
    HMODULE language = LoadLibraryA(argv[1]);
    if (language == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    SetResourceModule(language);
    AhSetResourceHandle(language);
    InitCommonControlsOnce();
    g_chinese = std::strstr(argv[1], "Chs") != nullptr;
    const std::string folder = std::string(argv[2]) + "\\";

    PictureHost host;
    if (argc > 3) host.icon = static_cast<HICON>(LoadImageA(nullptr, argv[3], IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    // Where a user would keep it, as the designer's title shows it.
    const char menuFolder[] = "C:\\Menus";
    const bool madeFolder = CreateDirectoryA(menuFolder, nullptr) != FALSE;
    const std::string file = std::string(menuFolder) + "\\office.vn";
    if (!WriteSampleMenu(file)) {
        std::fprintf(stderr, "cannot write the sample menu %s\n", file.c_str());
        DeleteFileA(file.c_str());
        if (madeFolder) RemoveDirectoryA(menuFolder);
        return 1;
    }
    host.login = {file, kMenuName, kUser, "", ""};
    // The pointer stays away from the panels, so that no real move reaches
    // the canvas during the drag.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);

    int failures = 0;
    auto save = [&](HWND window, const char* name) {
        Pump(300);
        const std::string path = folder + name + ".bmp";
        if (!SaveWindowPicture(window, path)) {
            std::fprintf(stderr, "cannot save %s\n", path.c_str());
            ++failures;
        }
    };

    CDesignerDlg designer(host);
    PictureHost::s_script = [&](HWND window) {
        HWND canvas = designer.canvas().m_hWnd;
        CMenuItem* reports = Reports(designer);
        if (reports == nullptr) {
            ++failures;
            return;
        }
        // The designer is the active window, but Wine without a window
        // manager may still draw its caption inactive.
        SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
        CMenuList* list = reports->submenu;
        CMenuItem* weekly = list->items.at(0);
        SendMessageA(canvas, DM_SHOWITEM, reinterpret_cast<WPARAM>(weekly), 0);
        save(window, "designer");

        // A press on the selection frame, a move past the 4-pixel threshold,
        // then over the lower half of the next item: the mark goes below it.
        if (weekly->parent->panel == nullptr) {
            ++failures;
            return;
        }
        const POINT press = Centre(weekly);
        SendMessageA(weekly->parent->panel->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
        const POINT started = OnCanvas(canvas, weekly, press);
        SendMessageA(canvas, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(started.x + 2, started.y + 6));
        const CMenuItem* monthly = list->items.at(1);
        const POINT over = OnCanvas(canvas, monthly, {Centre(monthly).x + 10, monthly->bounds.bottom - 3});
        SendMessageA(canvas, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(over.x, over.y));
        save(window, "designer-drag");
        // Released over bare canvas: nothing moves.
        RECT client;
        GetClientRect(canvas, &client);
        SendMessageA(canvas, WM_LBUTTONUP, 0, MAKELPARAM(client.right - 2, client.bottom - 2));
        Pump(100);

        SendMessageA(canvas, DM_SHOWITEM, reinterpret_cast<WPARAM>(weekly), 0);
        PostMessageA(canvas, DM_ITEMSELECTED, 1, reinterpret_cast<LPARAM>(weekly->parent->panel));
        Pump(300);
        CPropertyPalette& palette = designer.palette();
        const char* const pages[] = {"palette-general", "palette-keys", "palette-command"};
        for (int tab = 0; tab < 3; ++tab) {
            palette.selectTab(tab);
            save(palette.m_hWnd, pages[tab]);
        }
    };
    if (designer.DoModal(nullptr) != IDOK || PictureHost::s_script) {
        std::fprintf(stderr, "the designer did not open\n");
        ++failures;
    }

    DeleteFileA(file.c_str());
    if (madeFolder) RemoveDirectoryA(menuFolder);
    if (host.icon != nullptr) DestroyIcon(host.icon);
    return failures == 0 ? 0 : 1;
}
