// A minimal text window for end-to-end tests: an edit control whose text is
// written to the file named on the command line whenever it changes, read
// back through the shared library exactly as the program reads window text.
// Usage: textpad.exe OUTPUT_FILE [TITLE]
#include <windows.h>

#include <cstdio>
#include <string>

#include "ahcommon/ahsystem.h"

namespace {

const int kEditId = 1;
std::string g_output;
HWND g_edit = nullptr;

// Writes the edit text to a new file and renames it over the output, so a
// reader never sees half a file.
void SaveText()
{
    std::string text;
    AhGetWindowText(g_edit, text);
    const std::string temp = g_output + ".part";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr) return;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !ok) return;
    MoveFileExA(temp.c_str(), g_output.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                 WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                                 0, 0, 0, 0, window, reinterpret_cast<HMENU>(kEditId),
                                 GetModuleHandleA(nullptr), nullptr);
        return g_edit != nullptr ? 0 : -1;
    case WM_SIZE:
        MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g_edit);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) SaveText();
        return 0;
    case WM_DESTROY:
        SaveText();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    if (__argc < 2) return 2;
    g_output = __argv[1];
    const char* title = __argc > 2 ? __argv[2] : "Vantrel textpad";

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "VantrelTextpad";
    if (RegisterClassA(&wc) == 0) return 3;
    HWND window = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 100, 100, 480, 320,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 4;
    SaveText();
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
