// Reads and pokes the running program for the end-to-end scripts.
//   vantrelctl command ID        posts WM_COMMAND ID to the main frame
//   vantrelctl tray MESSAGE      posts the tray callback with a mouse message
//   vantrelctl closeapp          asks the main frame to close as the system's
//                                restart manager does (WM_QUERYENDSESSION, then
//                                WM_ENDSESSION with ENDSESSION_CLOSEAPP)
//   vantrelctl count TITLE       number of visible top-level windows so titled
//   vantrelctl windows TITLE     number of top-level windows so titled, hidden ones too
//   vantrelctl texts TITLE       texts of the controls of the window so titled
//   vantrelctl press TITLE ID    clicks button ID of the window so titled
//   vantrelctl settext TITLE ID TEXT  sets the text of control ID of the window so titled
//   vantrelctl procs NAME        number of processes with that executable name
//   vantrelctl frame             1 when the main frame exists, else 0
//   vantrelctl rects TITLE       screen rectangles (left top right bottom) of the
//                                visible top-level windows so titled, one a line
//   vantrelctl popup             rectangle of the visible pop-up menu ("#32768")
//   vantrelctl notepad           the text of notepad's edit control, with CR and
//                                LF written as \r and \n
//   vantrelctl notepadlines LINES WIDTH
//                                sets notepad's text to LINES lines of WIDTH
//                                letters x, and its caret to the end
//   vantrelctl notepadfill LENGTH SECONDS
//                                empties notepad's edit control, prints "ready",
//                                then looks at its length every millisecond and
//                                prints "full" as soon as it holds LENGTH
//                                characters (exit code 0), or "short N" after
//                                SECONDS with only N (exit code 1)
//   vantrelctl des KEY           the item key KEY as the login dialog saves it in
//                                the registry value Des
//   vantrelctl title PREFIX      the whole title of the visible top-level window
//                                whose title begins with PREFIX
//   vantrelctl panels PREFIX     screen rectangles of the visible panels on the
//                                canvas (child 0xE900) of that window, in the
//                                order the canvas made them, one a line
//   vantrelctl itemheight        the height of one menu item in pixels
//   vantrelctl page TITLE        the caption of the visible page (child dialog) of
//                                the visible top-level window so titled
//   vantrelctl focus             the focused window of the foreground thread: its
//                                top-level window's title, its control id, class
//                                and its parent's control id, separated by tabs
//   vantrelctl menumode          exit code 0 when the foreground thread is in a
//                                menu's modal loop (a window menu shown or armed)
//   vantrelctl suspendui         suspends the main frame's thread, as a debugger
//   vantrelctl resumeui          would, and resumes it (the user-interface thread)
//   vantrelctl hookstats [SINCE] the running program's hook figures, read from the
//                                hook library's shared block without asking the
//                                program: seen callbacks queued dropped delivered
//                                failed, the number of callback times recorded so
//                                far (pass it as SINCE later), the longest ever
//                                (ns), then over the callbacks recorded since SINCE
//                                (at most the last 1024): their number and their
//                                median, 99th percentile and longest time (ns);
//                                last, the button events kept from other programs
#include "designer/logindlg.h"
#include "hook/hookcore.h"
#include "hook/vantrelhk.h"

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND Frame()
{
    return FindWindowA(nullptr, "CMainFrame");
}

struct TitleSearch {
    const char* title;
    bool visibleOnly;
    int count;
    HWND first;
};

BOOL CALLBACK CountTitled(HWND window, LPARAM param)
{
    TitleSearch& search = *reinterpret_cast<TitleSearch*>(param);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if ((!search.visibleOnly || IsWindowVisible(window)) && std::strcmp(text, search.title) == 0) {
        if (search.count++ == 0) search.first = window;
    }
    return TRUE;
}

TitleSearch FindTitled(const char* title, bool visibleOnly = true)
{
    TitleSearch search = {title, visibleOnly, 0, nullptr};
    EnumWindows(&CountTitled, reinterpret_cast<LPARAM>(&search));
    return search;
}

BOOL CALLBACK PrintText(HWND window, LPARAM)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    if (text[0] != '\0') std::printf("%s\n", text);
    return TRUE;
}

int Processes(const char* name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, name) == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

struct PrefixSearch {
    const char* prefix;
    HWND found;
};

BOOL CALLBACK FindPrefixed(HWND window, LPARAM param)
{
    PrefixSearch& search = *reinterpret_cast<PrefixSearch*>(param);
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && std::strncmp(text, search.prefix, std::strlen(search.prefix)) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindPrefixed(const char* prefix)
{
    PrefixSearch search = {prefix, nullptr};
    EnumWindows(&FindPrefixed, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Panels are children of the canvas; the newest is on top of the z-order,
// so the walk goes from the bottom up to list them in the order made.
void PrintPanels(HWND canvas)
{
    for (HWND w = GetWindow(GetWindow(canvas, GW_CHILD), GW_HWNDLAST); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
        RECT r;
        if (IsWindowVisible(w) && GetWindowRect(w, &r)) std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    }
}

BOOL CALLBACK PrintRect(HWND window, LPARAM param)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    RECT r;
    if (IsWindowVisible(window) && std::strcmp(text, reinterpret_cast<const char*>(param)) == 0 &&
        GetWindowRect(window, &r))
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return TRUE;
}

// A child dialog of a window is a page of it (class "#32770").
BOOL CALLBACK PrintVisiblePage(HWND window, LPARAM param)
{
    char windowClass[16] = {};
    GetClassNameA(window, windowClass, sizeof windowClass);
    if (std::strcmp(windowClass, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    std::printf("%s\n", text);
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
}

// Suspends or resumes the thread that owns the main frame.
bool SuspendFrameThread(bool suspend)
{
    HWND frame = Frame();
    const DWORD id = frame != nullptr ? GetWindowThreadProcessId(frame, nullptr) : 0;
    HANDLE thread = id != 0 ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, id) : nullptr;
    if (thread == nullptr) return false;
    const DWORD previous = suspend ? SuspendThread(thread) : ResumeThread(thread);
    CloseHandle(thread);
    return previous != static_cast<DWORD>(-1);
}

int PrintHookStatistics(std::uint32_t since)
{
    DWORD process = 0;
    HWND frame = Frame();
    if (frame == nullptr || GetWindowThreadProcessId(frame, &process) == 0) return 1;
    const std::string name = VANTRELHK_STATISTICS_PREFIX + std::to_string(process);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr) return 1;
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(hook::HookCounters));
    if (view == nullptr) {
        CloseHandle(mapping);
        return 1;
    }
    const auto& c = *static_cast<const hook::HookCounters*>(view);
    const std::uint32_t total = c.timings.Count();
    // A count below SINCE means the figures were reset meanwhile.
    const std::uint32_t fresh = total >= since ? total - since : total;
    std::vector<std::uint32_t> ns(hook::TimingLog::kCapacity);
    ns.resize(c.timings.Copy(ns.data(), std::min<std::uint32_t>(fresh, hook::TimingLog::kCapacity)));
    std::sort(ns.begin(), ns.end());
    auto at = [&](double q) { return ns.empty() ? 0u : ns[static_cast<size_t>(q * (ns.size() - 1) + 0.5)]; };
    std::printf("%lu %lu %lu %lu %lu %lu %lu %lu %lu %lu %lu %lu %lu\n", static_cast<unsigned long>(c.seen.load()),
                static_cast<unsigned long>(c.callbacks.load()), static_cast<unsigned long>(c.queued.load()),
                static_cast<unsigned long>(c.dropped.load()), static_cast<unsigned long>(c.delivered.load()),
                static_cast<unsigned long>(c.failed.load()), static_cast<unsigned long>(total),
                static_cast<unsigned long>(c.timings.Maximum()), static_cast<unsigned long>(ns.size()),
                static_cast<unsigned long>(at(0.5)), static_cast<unsigned long>(at(0.99)),
                static_cast<unsigned long>(ns.empty() ? 0u : ns.back()), static_cast<unsigned long>(c.kept.load()));
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
}

int SetNotepadLines(int lines, int width)
{
    HWND edit = FindWindowExA(FindWindowA("Notepad", nullptr), nullptr, "Edit", nullptr);
    if (edit == nullptr || lines <= 0 || width <= 0) return 2;
    std::string text;
    for (int i = 0; i < lines; ++i) {
        if (i > 0) text += "\r\n";
        text.append(static_cast<size_t>(width), 'x');
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                             &result))
        return 1;
    const WPARAM end = text.size();
    return SendMessageTimeoutA(edit, EM_SETSEL, end, end, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
}

// Times text typed into notepad: the caller stamps each line as it arrives,
// so the line goes out at once and the length is read without the text.
int FillNotepad(int length, int seconds)
{
    HWND edit = FindWindowExA(FindWindowA("Notepad", nullptr), nullptr, "Edit", nullptr);
    if (edit == nullptr || length <= 0) return 2;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG, 5000, &result))
        return 2;
    std::printf("ready\n");
    std::fflush(stdout);
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    DWORD_PTR have = 0;
    for (;;) {
        if (!SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &have)) have = 0;
        if (static_cast<int>(have) >= length) break;
        if (GetTickCount64() > deadline) {
            std::printf("short %d\n", static_cast<int>(have));
            return 1;
        }
        Sleep(1);
    }
    std::printf("full\n");
    std::fflush(stdout);
    return 0;
}

int Run(int argc, char** argv)
{
    if (argc < 2) return 2;
    const std::string verb = argv[1];
    if (verb == "frame") {
        std::printf("%d\n", Frame() != nullptr ? 1 : 0);
        return 0;
    }
    if (verb == "command" && argc == 3) {
        HWND frame = Frame();
        return frame != nullptr && PostMessageA(frame, WM_COMMAND, std::atoi(argv[2]), 0) ? 0 : 1;
    }
    if (verb == "closeapp") {
        HWND frame = Frame();
        if (frame == nullptr) return 1;
        DWORD_PTR agreed = 0;
        if (!SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &agreed) ||
            agreed == 0)
            return 1;
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(frame, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &ignored)
                   ? 0
                   : 1;
    }
    if (verb == "tray" && argc == 3) {
        HWND frame = Frame();
        return frame != nullptr && PostMessageA(frame, 0x800A, 134, std::atoi(argv[2])) ? 0 : 1;
    }
    if (verb == "count" && argc == 3) {
        std::printf("%d\n", FindTitled(argv[2]).count);
        return 0;
    }
    if (verb == "windows" && argc == 3) {
        std::printf("%d\n", FindTitled(argv[2], false).count);
        return 0;
    }
    if (verb == "texts" && argc == 3) {
        const TitleSearch search = FindTitled(argv[2]);
        if (search.first == nullptr) return 1;
        EnumChildWindows(search.first, &PrintText, 0);
        return 0;
    }
    if (verb == "press" && argc == 4) {
        const TitleSearch search = FindTitled(argv[2]);
        if (search.first == nullptr) return 1;
        return PostMessageA(search.first, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), BN_CLICKED), 0) ? 0 : 1;
    }
    if (verb == "settext" && argc == 5) {
        const TitleSearch search = FindTitled(argv[2]);
        HWND control = search.first != nullptr ? GetDlgItem(search.first, std::atoi(argv[3])) : nullptr;
        return control != nullptr && SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 1;
    }
    if (verb == "rects" && argc == 3) {
        EnumWindows(&PrintRect, reinterpret_cast<LPARAM>(argv[2]));
        return 0;
    }
    if (verb == "popup") {
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w != nullptr;
             w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
            RECT r;
            if (IsWindowVisible(w) && GetWindowRect(w, &r)) {
                std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
                return 0;
            }
        }
        return 1;
    }
    if (verb == "notepad") {
        HWND edit = FindWindowExA(FindWindowA("Notepad", nullptr), nullptr, "Edit", nullptr);
        if (edit == nullptr) return 1;
        char text[4096] = {};
        SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        for (const char* c = text; *c != '\0'; ++c) {
            if (*c == '\r') std::printf("\\r");
            else if (*c == '\n') std::printf("\\n");
            else std::putchar(*c);
        }
        std::printf("\n");
        return 0;
    }
    if (verb == "notepadlines" && argc == 4) return SetNotepadLines(std::atoi(argv[2]), std::atoi(argv[3]));
    if (verb == "notepadfill" && argc == 4) return FillNotepad(std::atoi(argv[2]), std::atoi(argv[3]));
    if (verb == "des" && argc == 3) {
        std::printf("%s\n", EncodeRememberedKey(argv[2]).c_str());
        return 0;
    }
    if (verb == "title" && argc == 3) {
        HWND window = FindPrefixed(argv[2]);
        if (window == nullptr) return 1;
        char text[512] = {};
        GetWindowTextA(window, text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    if (verb == "panels" && argc == 3) {
        HWND window = FindPrefixed(argv[2]);
        HWND canvas = window != nullptr ? GetDlgItem(window, 0xE900) : nullptr;
        if (canvas == nullptr || GetWindow(canvas, GW_CHILD) == nullptr) return 1;
        PrintPanels(canvas);
        return 0;
    }
    if (verb == "itemheight") {
        std::printf("%d\n", GetSystemMetrics(SM_CYMENU) - 2);
        return 0;
    }
    if (verb == "page" && argc == 3) {
        const TitleSearch search = FindTitled(argv[2]);
        bool found = false;
        if (search.first != nullptr)
            EnumChildWindows(search.first, &PrintVisiblePage, reinterpret_cast<LPARAM>(&found));
        return found ? 0 : 1;
    }
    if (verb == "menumode") {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(0, &info) && (info.flags & GUI_INMENUMODE) != 0 ? 0 : 1;
    }
    if (verb == "focus") {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(0, &info) || info.hwndFocus == nullptr) return 1;
        char title[512] = {};
        GetWindowTextA(GetAncestor(info.hwndFocus, GA_ROOT), title, sizeof title);
        char windowClass[64] = {};
        GetClassNameA(info.hwndFocus, windowClass, sizeof windowClass);
        const bool child = (GetWindowLongPtrA(info.hwndFocus, GWL_STYLE) & WS_CHILD) != 0;
        HWND parent = child ? GetParent(info.hwndFocus) : nullptr;
        std::printf("%s\t%d\t%s\t%d\n", title, GetDlgCtrlID(info.hwndFocus), windowClass,
                    parent != nullptr ? GetDlgCtrlID(parent) : 0);
        return 0;
    }
    if (verb == "selected") {
        // The first selected row of the list view that has the keyboard focus.
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        char windowClass[64] = {};
        if (!GetGUIThreadInfo(0, &info) || info.hwndFocus == nullptr ||
            !GetClassNameA(info.hwndFocus, windowClass, sizeof windowClass) ||
            std::strcmp(windowClass, WC_LISTVIEWA) != 0)
            return 1;
        DWORD_PTR row = 0;
        if (!SendMessageTimeoutA(info.hwndFocus, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED,
                                 SMTO_ABORTIFHUNG, 5000, &row))
            return 1;
        std::printf("%d\n", static_cast<int>(row));
        return 0;
    }
    if (verb == "suspendui" || verb == "resumeui")
        return SuspendFrameThread(verb == "suspendui") ? 0 : 1;
    if (verb == "hookstats" && argc <= 3)
        return PrintHookStatistics(argc == 3 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 0);
    if (verb == "procs" && argc == 3) {
        std::printf("%d\n", Processes(argv[2]));
        return 0;
    }
    return 2;
}

}  // namespace

// A failure of its own is said on stderr, so that the scripts can tell it
// from Wine ending the process before it ran, which says nothing.
int main(int argc, char** argv)
{
    const int status = Run(argc, argv);
    if (status != 0) std::fprintf(stderr, "vantrelctl %s: exit %d\n", argc > 1 ? argv[1] : "", status);
    return status;
}
