// The X display asked before the application object exists, on a connection of its own.
#include "Backends.h"

#include <QByteArrayList>
#include <QtGlobal>

// After Qt: the X headers define macros (None, Bool, Status) that clash with Qt's names.
#include <X11/Xlib.h>

namespace tavorim {

namespace {

QByteArray argumentAfter(int argc, char *argv[], const char *option) {
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray argument(argv[i]);
        // Qt reads "--option" as "-option".
        if (argument == option || argument == QByteArray("-") + option)
            return QByteArray(argv[i + 1]);
    }
    return {};
}

} // namespace

// Qt takes -platform, else QT_QPA_PLATFORM, else tries Wayland first in a Wayland session; a
// list ("wayland;xcb") falls back from one to the next, so only xcb alone is sure to need X.
bool runsOnX11Only(int argc, char *argv[]) {
    QByteArray platform = argumentAfter(argc, argv, "-platform");
    if (platform.isEmpty())
        platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
               qgetenv("XDG_SESSION_TYPE") != "wayland";
    return !platform.contains(';') && platform.split(':').front() == "xcb";
}

QByteArray displayArgument(int argc, char *argv[]) {
    return argumentAfter(argc, argv, "-display");
}

bool x11DisplayOpens(const QByteArray &name) {
    ::Display *display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

QString x11DisplayName(const QByteArray &name) {
    return QString::fromLocal8Bit(XDisplayName(name.isEmpty() ? nullptr : name.constData()));
}

} // namespace tavorim
