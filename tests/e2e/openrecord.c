/* Stands in for the program the shell opens pages with: registered as the
 * command for .html files as
 *     "openrecord.exe" "LOG" "%1"
 * it appends one line to LOG for every start: the arguments after LOG, as
 * its own parser reads them, in UTF-8 and separated by tabs. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>

/* A Windows program: the shell starts it without a console. */
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    int count = 0;
    int i;
    FILE* out;
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
    out = _wfopen(argv[1], L"ab");
    if (out == NULL) {
        LocalFree(argv);
        return 1;
    }
    for (i = 2; i < count; ++i) {
        char text[4096];
        const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, text, (int)sizeof text, NULL, NULL);
        if (n <= 0) text[0] = '\0';
        fprintf(out, "%s%s", i > 2 ? "\t" : "", text);
    }
    fputs("\n", out);
    fclose(out);
    LocalFree(argv);
    return 0;
}
