// Starts a program and waits until its main window is on screen. Prints
// "<ms titled> <pid> <ms shown>" and leaves the program running: the milliseconds from launch
// until a viewable window has a title beginning with the one given, and until a viewable window
// of the given width shows, titled or not (the first is the later for a window that takes its
// title only once activated). The X tree is read every millisecond from this one process, so
// that the watching takes next to nothing from the program it measures (a loop of xdotool runs
// takes a core).
//   startup_watch <title prefix> <width> <program> [timeout seconds]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

int viewableWidth(Display *display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return -1;
    return attributes.width;
}

struct Seen {
    bool titled = false;
    bool shown = false;
};

// Looks at the viewable top-level windows and their children (the clients a window manager
// frames); an unviewable window's children cannot be viewable, and are not asked for.
void look(Display *display, Window window, const std::string &prefix, int width, int depth,
          Seen &seen) {
    if (depth > 0) {
        const int shownWidth = viewableWidth(display, window);
        if (shownWidth < 0)
            return;
        // Only a program's windows count, not the pieces of a window manager's frames.
        XClassHint hint{};
        if (XGetClassHint(display, window, &hint)) {
            XFree(hint.res_name);
            XFree(hint.res_class);
            seen.shown = seen.shown || shownWidth == width;
            seen.titled = seen.titled || title(display, window).rfind(prefix, 0) == 0;
        }
    }
    if (depth == 2)
        return;
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i)
        look(display, children[i], prefix, width, depth + 1, seen);
    if (children)
        XFree(children);
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: startup_watch <title prefix> <width> <program> [timeout seconds]\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const int width = std::atoi(argv[2]);
    const char *program = argv[3];
    const double timeout = argc > 4 ? std::atof(argv[4]) : 20;
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
        std::string folder = program;
        folder.erase(folder.find_last_of('/') + 1);
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(127);
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(127);
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    if (pid < 0)
        return 1;
    double shownAt = -1;
    for (;;) {
        Seen seen;
        look(display, DefaultRootWindow(display), prefix, width, 0, seen);
        // Taken once the tree has been read: a window is known to be there from then on.
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (seen.shown && shownAt < 0)
            shownAt = elapsed;
        if (seen.titled) {
            std::printf("%.0f %d %.0f\n", elapsed, int(pid), shownAt < 0 ? elapsed : shownAt);
            return 0;
        }
        if (elapsed > timeout * 1000) {
            std::fprintf(stderr, "startup_watch: no window titled %s... after %g s\n",
                         prefix.c_str(), timeout);
            std::printf("- %d -\n", int(pid));
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
