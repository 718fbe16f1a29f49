/* Starts a program and reports how long it took until its first top-level window was mapped,
 * then its resident memory once mapped.
 *
 *   mapwait [-s settle_ms] [-t timeout_ms] -- program [args...]
 *
 * Prints one line: "map_ms=<float> rss_kb=<int> window=0x<id> size=<w>x<h>".
 * Exit status 0 on success, 1 when the program exited, timed out or the display failed.
 *
 * Meant for a private X server without a window manager: nothing reparents, so the program's
 * top-level window is a child of the root window and its MapNotify reaches a client that
 * selected SubstructureNotifyMask on the root. The clock starts just before fork(), so the time
 * covers exec, dynamic linking, toolkit start-up and the first map request.
 */
#define _POSIX_C_SOURCE 200809L

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec * 1000.0 + (double)ts.tv_nsec / 1e6;
}

static void sleep_ms(long ms) {
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

static long rss_kb(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, "VmRSS:", 6) == 0) {
            kb = strtol(line + 6, NULL, 10);
            break;
        }
    }
    fclose(f);
    return kb;
}

/* A window belongs to another client only if it says so through _NET_WM_PID; toolkits that do
 * not set it (Xt) are accepted, which is safe on a private server. */
static int foreign_pid(Display* dpy, Window w, pid_t pid) {
    Atom net_wm_pid = XInternAtom(dpy, "_NET_WM_PID", True);
    if (net_wm_pid == None)
        return 0;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    int foreign = 0;
    if (XGetWindowProperty(dpy, w, net_wm_pid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data && type == XA_CARDINAL && format == 32 && count == 1)
        foreign = (pid_t)(*(unsigned long*)data) != pid;
    if (data)
        XFree(data);
    return foreign;
}

static int ignore_x_errors(Display* dpy, XErrorEvent* ev) {
    (void)dpy;
    (void)ev;
    return 0; /* the window may vanish between the event and our query */
}

static void stop_child(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, NULL, WNOHANG) == pid)
            return;
        sleep_ms(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
}

static void usage(void) {
    fprintf(stderr, "usage: mapwait [-s settle_ms] [-t timeout_ms] -- program [args...]\n");
    exit(2);
}

int main(int argc, char** argv) {
    long settle = 500;
    long timeout = 15000;
    int opt;
    while ((opt = getopt(argc, argv, "s:t:")) != -1) {
        if (opt == 's')
            settle = strtol(optarg, NULL, 10);
        else if (opt == 't')
            timeout = strtol(optarg, NULL, 10);
        else
            usage();
    }
    if (optind >= argc)
        usage();

    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "mapwait: cannot open display '%s'\n", XDisplayName(NULL));
        return 1;
    }
    XSetErrorHandler(ignore_x_errors);
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, True); /* selection in force and nothing stale queued before the clock starts */
    fcntl(ConnectionNumber(dpy), F_SETFD, FD_CLOEXEC);

    double start = now_ms();
    pid_t pid = fork();
    if (pid < 0) {
        perror("mapwait: fork");
        return 1;
    }
    if (pid == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO); /* our stdout carries only the result line */
        execvp(argv[optind], argv + optind);
        fprintf(stderr, "mapwait: cannot run %s: %s\n", argv[optind], strerror(errno));
        _exit(127);
    }

    double mapped_at = -1;
    Window mapped = None;
    int fd = ConnectionNumber(dpy);
    while (mapped == None) {
        while (XPending(dpy) && mapped == None) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type != MapNotify || ev.xmap.event != root || ev.xmap.override_redirect)
                continue;
            double t = now_ms();
            if (foreign_pid(dpy, ev.xmap.window, pid))
                continue;
            mapped_at = t;
            mapped = ev.xmap.window;
        }
        if (mapped != None)
            break;
        if (waitpid(pid, NULL, WNOHANG) == pid) {
            fprintf(stderr, "mapwait: %s exited before mapping a window\n", argv[optind]);
            return 1;
        }
        double left = timeout - (now_ms() - start);
        if (left <= 0) {
            fprintf(stderr, "mapwait: %s mapped no window within %ld ms\n", argv[optind], timeout);
            stop_child(pid);
            return 1;
        }
        struct pollfd p = {fd, POLLIN, 0};
        /* Short slices so a child that dies without mapping is noticed promptly. */
        poll(&p, 1, left < 50 ? (int)left + 1 : 50);
    }

    XWindowAttributes attr;
    int w = 0, h = 0;
    if (XGetWindowAttributes(dpy, mapped, &attr)) {
        w = attr.width;
        h = attr.height;
    }

    sleep_ms(settle);
    long kb = rss_kb(pid);
    int alive = waitpid(pid, NULL, WNOHANG) == 0;
    if (alive)
        stop_child(pid);
    XCloseDisplay(dpy);
    if (!alive || kb < 0) {
        fprintf(stderr, "mapwait: %s did not stay up to have its memory read\n", argv[optind]);
        return 1;
    }
    printf("map_ms=%.2f rss_kb=%ld window=0x%lx size=%dx%d\n", mapped_at - start, kb, mapped, w, h);
    return 0;
}
