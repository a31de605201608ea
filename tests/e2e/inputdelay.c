/* A native X client that times real pointer input to a window of a Windows
 * program under Wine: the window (pointerlog.exe) writes a line for each
 * mouse message it receives, and this program reads those lines on its
 * standard input. It moves and clicks the pointer with the XTEST extension,
 * as xdotool does, and takes both times on one clock (CLOCK_MONOTONIC): just
 * before the input goes to the X server, and when the window's line arrives.
 * No clock of the Windows side is involved.
 *
 * Usage: inputdelay MOVES CLICKS BURST [COMMAND]
 *   waits for the window's "ready L T R B"; runs COMMAND with /bin/sh and
 *   waits for it (e.g. to stop a program's thread), then sends
 *   - MOVES moves, each to a new point of the client area, one at a time:
 *     the next goes when the window has reported the previous (or after 5 s);
 *   - CLICKS left clicks, each press and release awaited;
 *   - BURST moves 1 ms apart without waiting, then waits for the last;
 *   - a middle click, which ends the window; then waits for its "bye".
 * Prints:
 *   delay <moves sent> <reported> <median ms> <90th percentile ms> <worst ms>
 *   clicks <sent> <delivered (press and release both reported)>
 *   burst <moves sent> <1 when the last was reported, else 0>
 * Built by the scripts that use it (cc inputdelay.c -lX11 -l:libXtst.so.6),
 * since the test build is for Windows; XTEST's two calls are declared here
 * because its headers need not be installed. */
#include <X11/Xlib.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

extern Bool XTestQueryExtension(Display* display, int* event, int* error, int* major, int* minor);
extern int XTestFakeMotionEvent(Display* display, int screen, int x, int y, unsigned long delay);
extern int XTestFakeButtonEvent(Display* display, unsigned int button, Bool press, unsigned long delay);

static Display* g_display;
static char g_buffer[1 << 16];
static size_t g_used;
static int g_eof;

static double NowMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

/* The next line from the window into LINE, waiting until DEADLINE (ms on the
 * monotonic clock); *ARRIVAL is when it was read. 0 at the deadline or end. */
static int NextLine(char* line, size_t size, double deadline, double* arrival)
{
    for (;;) {
        char* end = memchr(g_buffer, '\n', g_used);
        if (end != NULL) {
            size_t length = (size_t)(end - g_buffer);
            size_t kept = length < size - 1 ? length : size - 1;
            memcpy(line, g_buffer, kept);
            line[kept] = '\0';
            if (kept > 0 && line[kept - 1] == '\r') line[kept - 1] = '\0';
            memmove(g_buffer, end + 1, g_used - length - 1);
            g_used -= length + 1;
            return 1;
        }
        if (g_eof) return 0;
        if (g_used == sizeof g_buffer) g_used = 0; /* a line this long is not ours */
        double left = deadline - NowMs();
        if (left <= 0) return 0;
        struct pollfd in = {0, POLLIN, 0};
        if (poll(&in, 1, (int)left + 1) <= 0) continue;
        *arrival = NowMs();
        ssize_t got = read(0, g_buffer + g_used, sizeof g_buffer - g_used);
        if (got <= 0)
            g_eof = 1;
        else
            g_used += (size_t)got;
    }
}

/* Waits for the window's line "WHAT X Y" (any point when X < 0); returns its
 * arrival time, or a negative number after TIMEOUT ms. */
static double Await(const char* what, int x, int y, double timeoutMs)
{
    double deadline = NowMs() + timeoutMs, arrival = 0;
    char line[256], kind[16];
    while (NextLine(line, sizeof line, deadline, &arrival)) {
        int lx, ly;
        if (sscanf(line, "%15s %d %d", kind, &lx, &ly) == 3 && strcmp(kind, what) == 0 &&
            (x < 0 || (lx == x && ly == y)))
            return arrival;
    }
    return -1;
}

static void Move(int x, int y)
{
    XTestFakeMotionEvent(g_display, DefaultScreen(g_display), x, y, CurrentTime);
    XFlush(g_display);
}

static void Button(unsigned int button, Bool press)
{
    XTestFakeButtonEvent(g_display, button, press, CurrentTime);
    XFlush(g_display);
}

/* A middle click ends the window. */
static void CloseWindowAt(int x, int y)
{
    Move(x, y);
    Button(2, True);
    Button(2, False);
}

static int CompareDoubles(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv)
{
    if (argc < 4 || argc > 5) {
        fprintf(stderr, "usage: inputdelay MOVES CLICKS BURST [COMMAND]\n");
        return 2;
    }
    int moves = atoi(argv[1]), clicks = atoi(argv[2]), burst = atoi(argv[3]);
    g_display = XOpenDisplay(NULL);
    int event, error, major, minor;
    if (g_display == NULL || !XTestQueryExtension(g_display, &event, &error, &major, &minor)) {
        fprintf(stderr, "inputdelay: no display with the XTEST extension\n");
        return 1;
    }

    char line[256];
    double arrival = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    double deadline = NowMs() + 60000;
    for (;;) {
        if (!NextLine(line, sizeof line, deadline, &arrival)) {
            fprintf(stderr, "inputdelay: the window did not report ready\n");
            return 1;
        }
        if (sscanf(line, "ready %d %d %d %d", &left, &top, &right, &bottom) == 4) break;
    }
    int width = right - left - 20, height = bottom - top - 20;
    int cx = (left + right) / 2, cy = (top + bottom) / 2;
    if (width < 50 || height < 50) return 1;

    /* Until the window is on the screen and answers, moves go unreported. */
    int first = 0;
    for (int i = 0; i < 60 && !first; ++i) {
        Move(left + 5 + i % 2, top + 5);
        first = Await("move", left + 5 + i % 2, top + 5, 500) >= 0;
    }
    if (!first) {
        fprintf(stderr, "inputdelay: the window reports no moves\n");
        CloseWindowAt(cx, cy);
        return 1;
    }

    if (argc == 5) {
        int status = system(argv[4]);
        if (status != 0) {
            fprintf(stderr, "inputdelay: '%s' failed (%d)\n", argv[4], status);
            CloseWindowAt(cx, cy);
            return 1;
        }
    }

    double* delays = calloc((size_t)(moves > 0 ? moves : 1), sizeof *delays);
    int reported = 0;
    for (int i = 0; i < moves; ++i) {
        int x = left + 10 + (i * 37) % width, y = top + 10 + (i * 23) % height;
        double sent = NowMs();
        Move(x, y);
        double got = Await("move", x, y, 5000);
        if (got >= 0) delays[reported++] = got - sent;
    }
    qsort(delays, (size_t)reported, sizeof *delays, CompareDoubles);
    printf("delay %d %d %.3f %.3f %.3f\n", moves, reported, reported ? delays[reported / 2] : 0.0,
           reported ? delays[(reported * 9) / 10] : 0.0, reported ? delays[reported - 1] : 0.0);
    free(delays);

    int delivered = 0;
    Move(cx, cy);
    Await("move", cx, cy, 5000);
    for (int i = 0; i < clicks; ++i) {
        Button(1, True);
        int down = Await("down", -1, -1, 5000) >= 0;
        Button(1, False);
        int up = Await("up", -1, -1, 5000) >= 0;
        delivered += down && up;
    }
    printf("clicks %d %d\n", clicks, delivered);

    int x = 0, y = 0;
    for (int i = 0; i < burst; ++i) {
        x = left + 10 + (i * 7) % width;
        y = top + 10 + (i * 3) % height;
        Move(x, y);
        struct timespec pause = {0, 1000000};
        nanosleep(&pause, NULL);
    }
    printf("burst %d %d\n", burst, burst > 0 && Await("move", x, y, 30000) >= 0);
    fflush(stdout);

    CloseWindowAt(cx, cy);
    /* Its end, not the pipe's: another process may hold the pipe open. */
    int closed = 0;
    deadline = NowMs() + 30000;
    while (!closed && NextLine(line, sizeof line, deadline, &arrival)) closed = strcmp(line, "bye") == 0;
    XCloseDisplay(g_display);
    return closed ? 0 : 1;
}
