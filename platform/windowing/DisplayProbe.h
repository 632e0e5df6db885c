#pragma once

#include <QString>

namespace tavorim {

// What the program says when the display cannot show it.
QString noDisplayText();
QString displayNotOpenedText(const QString &display);
QString lowColorText(int bitsPerPixel);
// The fewest bits per pixel the windows can be painted with.
inline constexpr int MinimumColorDepth = 15;

// Before the application object: whether the program should run on the X11 platform: an X
// display (an X session's or a Wayland session's Xwayland) can be reached and neither
// QT_QPA_PLATFORM nor a -platform argument chose another. On X the program places its windows,
// brings a minimised copy back and reads the lock keys, which Wayland does not let a client do.
bool wantsX11Platform(int argc, char *argv[]);

// Before the application object. When the program is to run on X alone (the X11 platform chosen
// by argument or QT_QPA_PLATFORM, or no choice outside a Wayland session), the X display must
// open; when it does not, the French message goes to standard error and the answer is false.
// defaultDisplayReached: the default display ($DISPLAY) is already known to open.
bool displayOpens(int argc, char *argv[], bool defaultDisplayReached);

// Around the making of the application object: a platform that fails to start then ends the run
// with the French message and exit code 1 instead of Qt's abort.
void catchPlatformFailure(bool on);

// Once the application object exists: whether its screen can show the program. When it cannot,
// the French message goes to standard error and, where the windowing system has one, to a plain
// window of its own under that title, which the screen can still show; false.
bool screenCanShowTheProgram(const QString &title);

} // namespace tavorim
