/* Stands in for the program the shell opens pages with: registered as the
 * command for .html files as
 *     "openrecord.exe" "LOG" "%1"
 * it appends one line to LOG for every start: the arguments after LOG, as
 * its own parser reads them, in UTF-8 and separated by tabs. */
#include <windows.h>
#include <shellapi.h>

/* The log opened for this process alone: recorders started side by side
 * would otherwise both write at the end they saw, and one line would
 * overwrite the other. Waits up to 10 s for the others. */
static HANDLE OpenLogAlone(const wchar_t* path)
{
    int tries;
    for (tries = 0; tries < 2000; ++tries) {
        HANDLE log = CreateFileW(path, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (log != INVALID_HANDLE_VALUE) {
            LARGE_INTEGER start;
            start.QuadPart = 0;
            if (SetFilePointerEx(log, start, NULL, FILE_END)) return log;
            CloseHandle(log);
            break;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(5);
    }
    return INVALID_HANDLE_VALUE;
}

/* A Windows program: the shell starts it without a console. */
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char line[16384];
    size_t used = 0;
    int count = 0;
    int i;
    int ok;
    DWORD written = 0;
    HANDLE log;
    LPWSTR* argv;
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == NULL) return 1;
    if (count < 2) {
        LocalFree(argv);
        return 2;
    }
    for (i = 2; i < count && used + 2 < sizeof line; ++i) {
        int n;
        if (i > 2) line[used++] = '\t';
        n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, line + used, (int)(sizeof line - used - 1), NULL, NULL);
        if (n > 0) used += (size_t)n - 1;
    }
    line[used++] = '\n';
    log = OpenLogAlone(argv[1]);
    LocalFree(argv);
    if (log == INVALID_HANDLE_VALUE) return 1;
    ok = WriteFile(log, line, (DWORD)used, &written, NULL) && written == used;
    ok = CloseHandle(log) && ok;
    return ok ? 0 : 1;
}
