// Stands in for the default web browser in the end-to-end cases: appends the
// arguments it was started with, as its own parser reads them, one per line
// after a line "start", to browserstandin.log beside itself.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

int main()
{
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    std::wstring log(self, n);
    log.erase(log.find_last_of(L"\\/") + 1);
    log += L"browserstandin.log";

    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return 1;
    FILE* out = _wfopen(log.c_str(), L"ab");
    if (out == nullptr) return 1;
    std::fputs("start\n", out);
    for (int i = 1; i < count; ++i) {
        char line[2048] = {};
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, line, sizeof line - 1, nullptr, nullptr);
        std::fprintf(out, "%s\n", line);
    }
    std::fclose(out);
    LocalFree(argv);
    return 0;
}
