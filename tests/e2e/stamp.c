/* A native helper for the end-to-end scripts, on Linux's monotonic clock:
 *   stamp now      prints the time in ms
 *   stamp lines    copies standard input, each line with the time it arrived
 *                  in front (and without a carriage return)
 * Built by the scripts that use it (cc stamp.c). */
#include <stdio.h>
#include <string.h>
#include <time.h>

static double NowMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

int main(int argc, char** argv)
{
    char line[4096];
    if (argc != 2) return 2;
    if (strcmp(argv[1], "now") == 0) {
        printf("%.3f\n", NowMs());
        return 0;
    }
    while (fgets(line, sizeof line, stdin) != NULL) {
        const double now = NowMs();
        line[strcspn(line, "\r\n")] = '\0';
        printf("%.3f %s\n", now, line);
        fflush(stdout);
    }
    return 0;
}
