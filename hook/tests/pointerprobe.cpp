// A window that installs the hook for itself and prints every record it gets:
//   ready <window> <client left> <top> <right> <bottom>
//   record <message> <x> <y> <window> <flag>
// A right press on its own client area ends it after printing
//   stats <callbacks> <median ns> <max ns> <delivered> <dropped>
//   delay <records> <median ms> <max ms>
// where a record's delay runs from the input's time stamp to its arrival here.
// It also ends by itself after two minutes.
#include "hook/hookcore.h"
#include "hook/vantrelhk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

HookStatistics g_stats;
HookStatisticsProc g_statistics;
std::vector<DWORD> g_delays;

template <class F>
F Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void PrintStatistics()
{
    g_statistics(&g_stats, FALSE);
    std::vector<DWORD> ns(g_stats.recentCallbackNs, g_stats.recentCallbackNs + g_stats.recentCount);
    std::sort(ns.begin(), ns.end());
    std::printf("stats %lu %lu %lu %lu %lu\n", static_cast<unsigned long>(g_stats.callbacks),
                static_cast<unsigned long>(ns.empty() ? 0 : ns[ns.size() / 2]),
                static_cast<unsigned long>(g_stats.maxCallbackNs), static_cast<unsigned long>(g_stats.delivered),
                static_cast<unsigned long>(g_stats.dropped));
    std::sort(g_delays.begin(), g_delays.end());
    std::printf("delay %lu %lu %lu\n", static_cast<unsigned long>(g_delays.size()),
                static_cast<unsigned long>(g_delays.empty() ? 0 : g_delays[g_delays.size() / 2]),
                static_cast<unsigned long>(g_delays.empty() ? 0 : g_delays.back()));
    std::fflush(stdout);
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->cbData != sizeof(hook::HookMouseEvent))
            return TRUE;
        hook::HookMouseEvent e;
        std::memcpy(&e, data->lpData, sizeof e);
        g_delays.push_back(GetTickCount() - e.time);
        std::printf("record %lu %ld %ld %lu %lu\n", static_cast<unsigned long>(e.message), static_cast<long>(e.x),
                    static_cast<long>(e.y), static_cast<unsigned long>(e.window),
                    static_cast<unsigned long>(e.injected));
        std::fflush(stdout);
        if (e.message == WM_RBUTTONDOWN && e.window == static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(hwnd)))
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return TRUE;
    }
    case WM_TIMER:
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int main()
{
    HMODULE library = LoadLibraryW(L"VantrelHK.dll");
    if (!library) {
        std::printf("error VantrelHK.dll not found\n");
        return 2;
    }
    auto install = Entry<HookSwitchProc>(library, "InstallMenu");
    g_statistics = Entry<HookStatisticsProc>(library, "GetHookStatistics");
    if (!install || !g_statistics)
        return 2;

    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"VantrelHookProbe";
    if (!RegisterClassW(&wc))
        return 2;
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Vantrel hook probe",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 500, 360, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!hwnd)
        return 2;
    UpdateWindow(hwnd);
    SetTimer(hwnd, 1, 120000, nullptr);
    if (!install(1, hwnd))
        return 3;
    g_statistics(&g_stats, TRUE);

    RECT client;
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::printf("ready %lu %ld %ld %ld %ld\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd) & 0xFFFFFFFF),
                client.left, client.top, client.right, client.bottom);
    std::fflush(stdout);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    PrintStatistics();
    install(0, nullptr);
    FreeLibrary(library);
    return 0;
}
