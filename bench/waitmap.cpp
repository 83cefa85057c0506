// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program and reports how long it took from exec to the first of its top-level windows
// being viewable on the screen, from X events alone (no polling).
//
//   tavlo_waitmap [--timeout SECONDS] [--class NAME] [--keep] -- PROGRAM [ARGUMENTS...]
//
// Prints "pid=… window=0x… ms=…" on success. Without --keep the program is then ended. With it,
// the program goes on running (its standard output joined to standard error, so that the line
// above is all there is on standard output) until tavlo_waitmap gets SIGTERM, SIGINT or SIGHUP:
// then it ends the program and exits. Exit code 0 when a window was seen and, with --keep, the
// program ran until asked to end; 1 otherwise.
//
// Every window created as a child of the root is watched from its CreateNotify on: a window
// manager reparents a client window into its frame before mapping it, so the client's own
// StructureNotify is what reports its MapNotify and ReparentNotify, and the root's
// SubstructureNotify reports the frame being mapped. A window counts once it is viewable (it and
// every ancestor mapped), is not override-redirect (menus, tooltips), is managed by the window
// manager if there is one (WM_STATE set: this leaves out the tray icon), and its _NET_WM_PID is
// the program's or its WM_CLASS is the one given. TAVLO_WAITMAP_DEBUG=1 lists the X events seen.
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

enum class Owner { Unknown, Ours, Foreign };

struct Watcher {
    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t netWmPid = 0;
    xcb_atom_t wmState = 0;
    // With a window manager, a window is on the screen as a top-level window only once it is
    // managed; this also leaves out the tray icon, which is embedded in the tray instead.
    bool managedOnly = false;
    pid_t child = 0;
    std::string wmClass;
    std::map<xcb_window_t, Owner> windows;

    // Reads a property; false if the window is gone or the property is not set.
    bool property(xcb_window_t window, xcb_atom_t name, std::string &value)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
        const bool set = reply && reply->type != XCB_ATOM_NONE;
        if (set) {
            value.assign(static_cast<const char *>(xcb_get_property_value(reply)),
                         size_t(xcb_get_property_value_length(reply)));
        }
        free(reply);
        return set;
    }

    Owner owner(xcb_window_t window, const xcb_get_window_attributes_reply_t &attributes)
    {
        if (attributes.override_redirect)
            return Owner::Foreign;
        std::string value;
        bool known = false;
        if (property(window, netWmPid, value) && value.size() >= 4) {
            known = true;
            uint32_t pid = 0;
            memcpy(&pid, value.data(), 4);
            if (pid_t(pid) == child)
                return Owner::Ours;
        }
        if (property(window, XCB_ATOM_WM_CLASS, value)) {
            known = true;
            // Two strings, instance and class, each ending in a zero byte.
            const std::string instance = value.substr(0, value.find('\0'));
            const size_t second = value.find('\0') + 1;
            const std::string klass = second < value.size()
                                          ? value.substr(second, value.find('\0', second) - second)
                                          : std::string();
            if (!wmClass.empty() && (instance == wmClass || klass == wmClass))
                return Owner::Ours;
        }
        // Properties are set before a window is mapped; until then it may still turn out ours.
        return known ? Owner::Foreign : Owner::Unknown;
    }

    // True when the window is the program's, a top-level one, and on the screen.
    bool isShown(xcb_window_t window)
    {
        Owner &known = windows[window];
        if (known == Owner::Foreign)
            return false;
        xcb_get_window_attributes_reply_t *attributes =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
        if (!attributes) {
            windows.erase(window);
            return false;
        }
        if (known == Owner::Unknown)
            known = owner(window, *attributes);
        const bool shown = known == Owner::Ours && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        free(attributes);
        return shown;
    }

    xcb_window_t firstShown()
    {
        std::vector<xcb_window_t> all;
        for (const auto &entry : windows)
            all.push_back(entry.first);
        for (const xcb_window_t window : all) {
            if (isShown(window))
                return window;
        }
        return 0;
    }
};

void endChild(pid_t child)
{
    kill(child, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        usleep(20000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

int usage()
{
    fprintf(stderr, "usage: tavlo_waitmap [--timeout SECONDS] [--class NAME] [--keep] -- PROGRAM "
                    "[ARGUMENTS...]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    double timeoutMs = 30000;
    const bool debug = getenv("TAVLO_WAITMAP_DEBUG") != nullptr;
    bool keep = false;
    Watcher w;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string arg = argv[first];
        if (arg == "--timeout" && first + 1 < argc)
            timeoutMs = atof(argv[++first]) * 1000;
        else if (arg == "--class" && first + 1 < argc)
            w.wmClass = argv[++first];
        else if (arg == "--keep")
            keep = true;
        else if (arg == "--") {
            ++first;
            break;
        } else
            return usage();
    }
    if (first >= argc)
        return usage();

    int screenNumber = 0;
    w.c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(w.c)) {
        fprintf(stderr, "tavlo_waitmap: cannot connect to the X server\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(w.c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    w.root = screens.data->root;
    w.netWmPid = internAtom(w.c, "_NET_WM_PID");
    w.wmState = internAtom(w.c, "WM_STATE");
    std::string check;
    w.managedOnly = w.property(w.root, internAtom(w.c, "_NET_SUPPORTING_WM_CHECK"), check);

    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_generic_error_t *error = xcb_request_check(
        w.c, xcb_change_window_attributes_checked(w.c, w.root, XCB_CW_EVENT_MASK, &rootMask));
    if (error) {
        fprintf(stderr, "tavlo_waitmap: cannot watch the root window\n");
        return 1;
    }
    const int xfd = xcb_get_file_descriptor(w.c);
    fcntl(xfd, F_SETFD, FD_CLOEXEC);

    // The selection above is in force (the request was checked), so nothing the program does
    // after exec can be missed.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&endSignals, signal);
    sigset_t oldMask;
    if (keep)
        sigprocmask(SIG_BLOCK, &endSignals, &oldMask);

    const double start = nowMs();
    w.child = fork();
    if (w.child < 0) {
        perror("fork");
        return 1;
    }
    if (w.child == 0) {
        if (keep) {
            sigprocmask(SIG_SETMASK, &oldMask, nullptr);
            dup2(STDERR_FILENO, STDOUT_FILENO);
        }
        execvp(argv[first], argv + first);
        perror(argv[first]);
        _exit(127);
    }
    const int childFd = int(syscall(SYS_pidfd_open, w.child, 0));

    xcb_window_t found = 0;
    bool childGone = false;
    const uint32_t windowMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    while (!found && !childGone) {
        xcb_generic_event_t *event = xcb_poll_for_event(w.c);
        if (!event) {
            if (xcb_connection_has_error(w.c))
                break;
            const double left = start + timeoutMs - nowMs();
            if (left <= 0)
                break;
            pollfd fds[2] = {{xfd, POLLIN, 0}, {childFd, POLLIN, 0}};
            // Without a pidfd, the end of the program is noticed within a second.
            const int wait = childFd >= 0 ? int(left) + 1 : std::min(int(left) + 1, 1000);
            poll(fds, childFd >= 0 ? 2 : 1, wait);
            if (waitpid(w.child, nullptr, WNOHANG) == w.child)
                childGone = true;
            continue;
        }
        if (debug)
            fprintf(stderr, "event %d window 0x%x\n", event->response_type & 0x7f,
                    reinterpret_cast<xcb_map_notify_event_t *>(event)->window);
        switch (event->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY: {
            const auto *create = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (create->parent == w.root) {
                w.windows[create->window] = Owner::Unknown;
                xcb_change_window_attributes(w.c, create->window, XCB_CW_EVENT_MASK, &windowMask);
                // It may have been mapped before the selection took hold.
                if (w.isShown(create->window))
                    found = create->window;
            }
            break;
        }
        case XCB_DESTROY_NOTIFY:
            w.windows.erase(reinterpret_cast<xcb_destroy_notify_event_t *>(event)->window);
            break;
        case XCB_MAP_NOTIFY:
        case XCB_REPARENT_NOTIFY:
        case XCB_PROPERTY_NOTIFY:
            // A frame being mapped can make a client inside it viewable: all are looked at.
            found = w.firstShown();
            break;
        default:
            break;
        }
        free(event);
    }
    const double elapsed = nowMs() - start;

    if (!found) {
        fprintf(stderr, "tavlo_waitmap: %s\n",
                childGone ? "the program ended before showing a window"
                          : "no window of the program was shown in time");
        if (!childGone)
            endChild(w.child);
        return 1;
    }
    printf("pid=%d window=0x%x ms=%.3f\n", int(w.child), unsigned(found), elapsed);
    fflush(stdout);
    xcb_disconnect(w.c);
    if (!keep) {
        endChild(w.child);
        return 0;
    }
    for (;;) {
        int signal = 0;
        sigwait(&endSignals, &signal);
        if (signal != SIGCHLD)
            break;
        if (waitpid(w.child, nullptr, WNOHANG) == w.child) {
            fprintf(stderr, "tavlo_waitmap: the program ended by itself\n");
            return 1;
        }
    }
    endChild(w.child);
    return 0;
}
