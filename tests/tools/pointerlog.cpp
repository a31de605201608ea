// A window that reports the mouse messages it receives on its standard output,
// one line each, written at once so that a reader on the other end of a pipe
// can time their arrival:
//   ready <client left> <top> <right> <bottom>   (screen coordinates)
//   move <x> <y> | down <x> <y> | up <x> <y>     (WM_MOUSEMOVE, WM_LBUTTONDOWN/UP)
//   bye                                           (the window is closing)
// A middle press on its client area ends it (a button no hook of the program
// watches); it also ends by itself after five minutes.
// Usage: pointerlog.exe [LEFT TOP WIDTH HEIGHT]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Say(const char* text)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    // A reader that went away is no reason to stop answering the mouse.
    if (out != nullptr && out != INVALID_HANDLE_VALUE)
        WriteFile(out, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void SayPoint(HWND window, const char* what, LPARAM lParam)
{
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &p);
    char line[64];
    std::snprintf(line, sizeof line, "%s %ld %ld\n", what, p.x, p.y);
    Say(line);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        SayPoint(window, "move", lParam);
        return 0;
    case WM_LBUTTONDOWN:
        SayPoint(window, "down", lParam);
        return 0;
    case WM_LBUTTONUP:
        SayPoint(window, "up", lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        Say("bye\n");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    int box[4] = {300, 200, 400, 300};
    if (argc == 5)
        for (int i = 0; i < 4; ++i) box[i] = std::atoi(argv[i + 1]);

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "PointerLog";
    if (!RegisterClassA(&wc)) return 2;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Pointer log", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  box[0], box[1], box[2], box[3], nullptr, nullptr, wc.hInstance, nullptr);
    if (window == nullptr) return 2;
    UpdateWindow(window);
    if (!SetTimer(window, 1, 5 * 60 * 1000, nullptr)) return 2;

    RECT client;
    if (!GetClientRect(window, &client)) return 2;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    char line[96];
    std::snprintf(line, sizeof line, "ready %ld %ld %ld %ld\n", client.left, client.top, client.right, client.bottom);
    Say(line);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
