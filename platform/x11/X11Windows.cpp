#include "X11Windows.h"

#include <QGuiApplication>

// After Qt: the X headers define macros (None, Bool, Status) that clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tavorim {

Display *x11Display() {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

namespace {

// The raw items of a property of the given type and format. Qt ignores the errors of its
// connection, so a window that has just gone only reads as empty.
QByteArray rawProperty(Display *display, Window window, const char *name, const char *typeName,
                       int wantedFormat, long count) {
    const Atom property = XInternAtom(display, name, True);
    const Atom wanted = XInternAtom(display, typeName, True);
    if (property == 0 || wanted == 0)
        return {};
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, count, False, wanted, &type,
                                          &format, &items, &after, &data);
    QByteArray values;
    if (status == Success && type == wanted && format == wantedFormat && data) {
        // 32-bit items come as longs.
        const std::size_t size = format == 32 ? sizeof(long) : std::size_t(format / 8);
        values = QByteArray(reinterpret_cast<const char *>(data), qsizetype(items * size));
    }
    if (data)
        XFree(data);
    return values;
}

std::vector<long> longs(const QByteArray &raw) {
    const auto *begin = reinterpret_cast<const long *>(raw.constData());
    return std::vector<long>(begin, begin + raw.size() / qsizetype(sizeof(long)));
}

// Whether a window manager runs: the window the root names as its check names itself too (a
// window manager that has ended leaves the root's property behind).
bool windowManagerRuns(Display *display) {
    const std::vector<long> check = longs(rawProperty(display, DefaultRootWindow(display),
                                                      "_NET_SUPPORTING_WM_CHECK", "WINDOW", 32, 1));
    return check.size() == 1 &&
           longs(rawProperty(display, Window(check.front()), "_NET_SUPPORTING_WM_CHECK", "WINDOW",
                             32, 1)) == check;
}

// Gives a window on screen the focus as a window manager does under the ICCCM: with the time of
// the server and the WM_TAKE_FOCUS message that carries it, so that the program can pass the
// focus on to another of its windows. The time comes from a change on a window of a connection
// of our own, whose events Qt does not take.
void focusAsWindowManager(Display *display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return;
    Display *own = XOpenDisplay(DisplayString(display));
    if (!own)
        return;
    const Window probe = XCreateSimpleWindow(own, DefaultRootWindow(own), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(own, probe, PropertyChangeMask);
    XChangeProperty(own, probe, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent changed{};
    XWindowEvent(own, probe, PropertyChangeMask, &changed);
    XSetInputFocus(own, window, RevertToParent, changed.xproperty.time);
    XEvent take{};
    take.xclient.type = ClientMessage;
    take.xclient.window = window;
    take.xclient.message_type = XInternAtom(own, "WM_PROTOCOLS", False);
    take.xclient.format = 32;
    take.xclient.data.l[0] = long(XInternAtom(own, "WM_TAKE_FOCUS", False));
    take.xclient.data.l[1] = long(changed.xproperty.time);
    XSendEvent(own, window, False, NoEventMask, &take);
    XCloseDisplay(own);
}

} // namespace

std::vector<long> x11Property(WId window, const char *name, const char *typeName, long count) {
    Display *display = x11Display();
    if (!display)
        return {};
    return longs(rawProperty(display, Window(window), name, typeName, 32, count));
}

bool x11Iconic(WId window) {
    const std::vector<long> state = x11Property(window, "WM_STATE", "WM_STATE", 1);
    return !state.empty() && state.front() == IconicState;
}

QList<WId> x11ClientWindows(qint64 pid) {
    Display *display = x11Display();
    if (!display)
        return {};
    const Window root = DefaultRootWindow(display);
    std::vector<long> windows;
    if (windowManagerRuns(display)) {
        windows = longs(rawProperty(display, root, "_NET_CLIENT_LIST", "WINDOW", 32, 1 << 16));
    } else {
        Window rootReturn = 0;
        Window parent = 0;
        Window *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) && children)
            windows.assign(children, children + count);
        if (children)
            XFree(children);
    }
    QList<WId> found;
    for (const long window : windows) {
        const std::vector<long> owner = x11Property(WId(window), "_NET_WM_PID", "CARDINAL", 1);
        if (owner.size() == 1 && owner.front() == pid)
            found.append(WId(window));
    }
    return found;
}

QString x11IconName(WId window) {
    Display *display = x11Display();
    if (!display)
        return {};
    return QString::fromUtf8(
        rawProperty(display, Window(window), "_NET_WM_ICON_NAME", "UTF8_STRING", 8, 1024));
}

void x11Activate(WId window) {
    Display *display = x11Display();
    if (!display)
        return;
    const Window root = DefaultRootWindow(display);
    if (windowManagerRuns(display)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = Window(window);
        event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
        event.xclient.format = 32;
        // Source 2, a task bar: the user's own request, which no focus-stealing rule holds back.
        event.xclient.data.l[0] = 2;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        focusAsWindowManager(display, Window(window));
    }
    XFlush(display);
}

} // namespace tavorim
