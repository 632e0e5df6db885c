// Starts a program and waits until one of its windows is on screen: viewable, with a title that
// begins with the one given. Prints "<milliseconds from launch> <pid>" and leaves the program
// running. The X tree is read every millisecond from this one process, so that the watching
// takes next to nothing from the program it measures (a loop of xdotool runs takes a core).
//   startup_watch <title prefix> <program> [timeout seconds]
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

int ignoreXErrors(Display *, XErrorEvent *) {
    return 0; // a window may go away while the tree is read
}

std::string title(Display *display, Window window) {
    static const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        text.assign(reinterpret_cast<char *>(data), count);
        XFree(data);
    }
    if (text.empty()) {
        char *name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            text = name;
            XFree(name);
        }
    }
    return text;
}

bool viewable(Display *display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// The window titled prefix..., among the top-level windows and their children (the clients a
// window manager frames), when it is viewable.
bool found(Display *display, Window window, const std::string &prefix, int depth) {
    if (depth > 0 && title(display, window).rfind(prefix, 0) == 0 && viewable(display, window))
        return true;
    if (depth == 2)
        return false;
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return false;
    bool seen = false;
    for (unsigned int i = 0; i < count && !seen; ++i)
        seen = found(display, children[i], prefix, depth + 1);
    if (children)
        XFree(children);
    return seen;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_watch <title prefix> <program> [timeout seconds]\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const double timeout = argc > 3 ? std::atof(argv[3]) : 20;
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_watch: no X display\n");
        return 1;
    }
    XSetErrorHandler(ignoreXErrors);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // The program runs in its own folder, as from its desktop entry, with its output away.
        std::string folder = argv[2];
        folder.erase(folder.find_last_of('/') + 1);
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(127);
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(127);
        execl(argv[2], argv[2], static_cast<char *>(nullptr));
        _exit(127);
    }
    if (pid < 0)
        return 1;
    for (;;) {
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (found(display, DefaultRootWindow(display), prefix, 0)) {
            std::printf("%.0f %d\n", elapsed, int(pid));
            return 0;
        }
        if (elapsed > timeout * 1000) {
            std::fprintf(stderr, "startup_watch: no window titled %s... after %g s\n",
                         prefix.c_str(), timeout);
            std::printf("- %d\n", int(pid));
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
