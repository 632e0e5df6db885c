#pragma once

// Top-level windows on the program's X display, through Qt's own connection: what the window
// manager says of them, and the requests a task bar makes. Off X nothing is read and nothing
// is done.

#include <QList>
#include <QString>
#include <QWindow>

#include <vector>

// As Xlib declares it.
typedef struct _XDisplay Display;

namespace tavorim {

// Qt's own connection to the X server; null off X.
Display *x11Display();

// The 32-bit items of one of a window's X properties, of the given type; none while the
// property is missing.
std::vector<long> x11Property(WId window, const char *name, const char *typeName, long count);

// Whether the window manager has minimised the window (its WM_STATE); Qt's own knowledge of it
// may come after a paint that is already queued.
bool x11Iconic(WId window);

// The top-level windows of a process, by their _NET_WM_PID: those the window manager lists, or
// the root window's children where none does.
QList<WId> x11ClientWindows(qint64 pid);

// The window's icon name (_NET_WM_ICON_NAME).
QString x11IconName(WId window);

// Asks the window manager to activate the window as a task bar does, which brings a minimised
// window back; without a window manager, the window is given the focus, if it is on screen, as
// a window manager would give it.
void x11Activate(WId window);

} // namespace tavorim
