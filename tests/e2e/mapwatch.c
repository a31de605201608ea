/* A native X client for the end-to-end scripts: prints one line for every
 * top-level window mapped on the display, as the X server announces it:
 *   map <monotonic ms> <window id> <WM_CLASS instance or -> <title or ->
 * After selecting the events it prints "ready". Built by the scripts that
 * use it (cc mapwatch.c -lX11), since the test build is for Windows. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdio.h>
#include <time.h>

/* A window may be gone before its name is read: that is not an error here. */
static int IgnoreErrors(Display* display, XErrorEvent* error)
{
    (void)display;
    (void)error;
    return 0;
}

int main(void)
{
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "mapwatch: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreErrors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    printf("ready\n");
    fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify) continue;
        /* The time the event arrived, before anything else is asked of the server. */
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        XClassHint hint = {NULL, NULL};
        char* title = NULL;
        XGetClassHint(display, event.xmap.window, &hint);
        XFetchName(display, event.xmap.window, &title);
        printf("map %lld.%03ld 0x%lx %s %s\n", (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000,
               (now.tv_nsec / 1000) % 1000, (unsigned long)event.xmap.window,
               hint.res_name != NULL && hint.res_name[0] != '\0' ? hint.res_name : "-",
               title != NULL && title[0] != '\0' ? title : "-");
        fflush(stdout);
        if (hint.res_name != NULL) XFree(hint.res_name);
        if (hint.res_class != NULL) XFree(hint.res_class);
        if (title != NULL) XFree(title);
    }
}
