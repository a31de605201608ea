// A stand-in for the hook library, loaded into the program by the
// end-to-end tests. It writes each call of its two working entry points to
// the file named by VANTREL_HOOK_LOG, one line per call: "<name> <flag>
// <1 if a window was given, else 0>". When VANTREL_MENU_LOG names a file,
// it also watches the program's pop-up menus while installed and writes
// each one that opens there: "<id> <state> <x> <y> <text>" per item, x and
// y being the item's centre on the screen, then a line "end".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HANDLE g_watcher = nullptr;
HANDLE g_stop = nullptr;

void WriteMenu(HWND menuWindow, const char* path)
{
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    if (menu == nullptr) return;
    std::string text;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char label[128] = {};
        GetMenuStringA(menu, i, label, sizeof label, MF_BYPOSITION);
        RECT r = {};
        GetMenuItemRect(menuWindow, menu, i, &r);
        char line[256];
        std::snprintf(line, sizeof line, "%d %u %ld %ld %s\n", static_cast<int>(GetMenuItemID(menu, i)),
                      GetMenuState(menu, i, MF_BYPOSITION) & 0xFFFF, (r.left + r.right) / 2,
                      (r.top + r.bottom) / 2, label);
        text += line;
    }
    text += "end\n";
    const std::string temporary = std::string(path) + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return;
    std::fputs(text.c_str(), file);
    std::fclose(file);
    MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING);
}

struct MenuSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindOwnMenu(HWND window, LPARAM param)
{
    MenuSearch& search = *reinterpret_cast<MenuSearch*>(param);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search.process && IsWindowVisible(window) && std::string(name) == "#32768") {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI WatchMenus(void* param)
{
    const std::string path = static_cast<const char*>(param);
    std::free(param);
    HWND shown = nullptr;
    while (WaitForSingleObject(g_stop, 50) == WAIT_TIMEOUT) {
        MenuSearch search = {GetCurrentProcessId(), nullptr};
        EnumWindows(&FindOwnMenu, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr && search.found != shown) {
            Sleep(100);  // let it finish laying out
            WriteMenu(search.found, path.c_str());
        }
        shown = search.found;
    }
    return 0;
}

void StartWatching()
{
    char path[MAX_PATH] = {};
    if (g_watcher != nullptr || GetEnvironmentVariableA("VANTREL_MENU_LOG", path, MAX_PATH) == 0) return;
    g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_watcher = CreateThread(nullptr, 0, &WatchMenus, _strdup(path), 0, nullptr);
}

void StopWatching()
{
    if (g_watcher == nullptr) return;
    SetEvent(g_stop);
    WaitForSingleObject(g_watcher, INFINITE);
    CloseHandle(g_watcher);
    CloseHandle(g_stop);
    g_watcher = nullptr;
    g_stop = nullptr;
}

void Log(const char* name, int flag, HWND window)
{
    char path[MAX_PATH] = {};
    if (GetEnvironmentVariableA("VANTREL_HOOK_LOG", path, MAX_PATH) == 0) return;
    FILE* file = std::fopen(path, "ab");
    if (file == nullptr) return;
    std::fprintf(file, "%s %d %d\n", name, flag, window != nullptr ? 1 : 0);
    std::fclose(file);
}

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI InstallMenu(int flag, HWND window)
{
    Log("InstallMenu", flag, window);
    if (flag != 0)
        StartWatching();
    else
        StopWatching();
    return 1;
}

__declspec(dllexport) int WINAPI EnableMenu(int flag, HWND window)
{
    Log("EnableMenu", flag, window);
    return 1;
}

// The entry points the program looks up but never calls.
__declspec(dllexport) int WINAPI GetCurrentPopupMenu() { return 0; }
__declspec(dllexport) int WINAPI GetCurrentVantrel() { return 0; }
__declspec(dllexport) int WINAPI HideVantrel() { return 0; }
__declspec(dllexport) int WINAPI InitializeVantrel() { return 0; }
__declspec(dllexport) int WINAPI GetMsgProc() { return 0; }
__declspec(dllexport) int WINAPI DestroyVantrel() { return 0; }
__declspec(dllexport) int WINAPI ShowVantrel() { return 0; }
__declspec(dllexport) int WINAPI DetachPopupMenu() { return 0; }
__declspec(dllexport) int WINAPI MyMsgProcess() { return 0; }
__declspec(dllexport) int WINAPI AttachPopupMenu() { return 0; }
__declspec(dllexport) int WINAPI GetUserPopupMenu() { return 0; }
__declspec(dllexport) int WINAPI GetSysPopupMenu() { return 0; }
}
