/* Measures from outside how long a window's thread keeps the window manager
 * waiting: it sends the window _NET_WM_PING every few milliseconds, as a
 * window manager does to find hung windows, and times each answer. Wine
 * answers from the thread that owns the window, when that thread next takes
 * its messages, so the longest wait is the longest stall of that thread.
 *
 * Usage: qb_wm_ping TITLE [INTERVAL_MS] [TIMEOUT_S]
 * Waits for a top-level window called TITLE, pings it until it is gone (or
 * TIMEOUT_S have passed), then prints one key=value line. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kMaxPings = 1 << 20 };

static double NowMs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1e3 + (double)now.tv_nsec / 1e6;
}

static int IgnoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0;
}

/* The window below `top` whose _NET_WM_NAME or WM_NAME is `title`, or 0. */
static Window FindByTitle(Display* display, Window top, const char* title, Atom netName,
                          Atom utf8) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* name = NULL;
    if (XGetWindowProperty(display, top, netName, 0, 256, False, utf8, &type, &format, &count,
                           &after, &name) == Success &&
        name != NULL) {
        const int same = strcmp((const char*)name, title) == 0;
        XFree(name);
        if (same) {
            return top;
        }
    }
    char* plain = NULL;
    if (XFetchName(display, top, &plain) && plain != NULL) {
        const int same = strcmp(plain, title) == 0;
        XFree(plain);
        if (same) {
            return top;
        }
    }
    Window root = 0, parent = 0, *children = NULL;
    unsigned int n = 0;
    Window found = 0;
    if (XQueryTree(display, top, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n && found == 0; ++i) {
            found = FindByTitle(display, children[i], title, netName, utf8);
        }
        XFree(children);
    }
    return found;
}

static int IsGone(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) == 0;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fputs("usage: qb_wm_ping TITLE [INTERVAL_MS] [TIMEOUT_S]\n", stderr);
        return 2;
    }
    const char* title = argv[1];
    const double intervalMs = argc > 2 ? atof(argv[2]) : 5.0;
    const double timeoutMs = (argc > 3 ? atof(argv[3]) : 600.0) * 1e3;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fputs("qb_wm_ping: no display\n", stderr);
        return 1;
    }
    XSetErrorHandler(IgnoreErrors);
    const Window root = DefaultRootWindow(display);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    /* The answers come back to the root window, sent to the clients that
     * watch its children. */
    XSelectInput(display, root, SubstructureNotifyMask);

    const double started = NowMs();
    Window window = 0;
    while (window == 0 && NowMs() - started < timeoutMs) {
        window = FindByTitle(display, root, title, netName, utf8);
        if (window == 0) {
            struct timespec pause = {0, 20 * 1000 * 1000};
            nanosleep(&pause, NULL);
        }
    }
    if (window == 0) {
        fprintf(stderr, "qb_wm_ping: no window called '%s'\n", title);
        return 1;
    }

    double* sentAt = calloc(kMaxPings, sizeof *sentAt);
    long sent = 0, answered = 0;
    double longestMs = 0.0;
    double nextPing = NowMs();
    while (sent < kMaxPings && NowMs() - started < timeoutMs) {
        const double now = NowMs();
        if (now >= nextPing) {
            if (IsGone(display, window)) {
                break;
            }
            XEvent event;
            memset(&event, 0, sizeof event);
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = (long)ping;
            event.xclient.data.l[1] = sent + 1; /* the timestamp names the ping */
            event.xclient.data.l[2] = (long)window;
            XSendEvent(display, window, False, NoEventMask, &event);
            XFlush(display);
            sentAt[sent++] = now;
            nextPing = now + intervalMs;
        }
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != ClientMessage || event.xclient.message_type != protocols ||
                (Atom)event.xclient.data.l[0] != ping) {
                continue;
            }
            const long serial = event.xclient.data.l[1];
            if (serial >= 1 && serial <= sent && sentAt[serial - 1] > 0) {
                const double wait = NowMs() - sentAt[serial - 1];
                longestMs = wait > longestMs ? wait : longestMs;
                sentAt[serial - 1] = 0;
                ++answered;
            }
        }
        struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
        const double wait = nextPing - NowMs();
        poll(&fd, 1, wait > 0 ? (int)wait + 1 : 0);
    }
    printf("pings=%ld answered=%ld longest_wait_ms=%.1f\n", sent, answered, longestMs);
    free(sentAt);
    XCloseDisplay(display);
    return answered > 0 ? 0 : 1;
}
