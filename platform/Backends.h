#pragma once

// Inside the windowing folder only: what a back-end built for this system provides.

#include <QByteArray>
#include <QString>

namespace tavorim {

class Windowing;

// The back-end of the windowing system Qt runs on (X11 on its xcb platform, Windows on its
// windows platform); nullptr elsewhere.
Windowing *nativeWindowing();

// Before the application object: whether Qt will run on X alone (by -platform, QT_QPA_PLATFORM or
// outside a Wayland session), and the -display argument's display (empty for none).
bool runsOnX11Only(int argc, char *argv[]);
QByteArray displayArgument(int argc, char *argv[]);

// Before the application object: whether the X display of that name ($DISPLAY when empty) can
// be opened, and the name it stands for (empty when none is named).
bool x11DisplayOpens(const QByteArray &name);
QString x11DisplayName(const QByteArray &name);

} // namespace tavorim
