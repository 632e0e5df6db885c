#pragma once

#include <QString>

namespace tavorim {

// What the program says when the display cannot show it.
QString noDisplayText();
QString displayNotOpenedText(const QString &display);
QString lowColorText(int bitsPerPixel);
// The fewest bits per pixel the windows can be painted with.
inline constexpr int MinimumColorDepth = 15;

// Before the application object: run on X11 when an X display (Xwayland too) is reachable and no
// other platform was chosen, since only X lets the program place windows and read lock keys.
bool wantsX11Platform(int argc, char *argv[]);

// Before the application object: when the program must run on X alone and the display does not
// open (defaultDisplayReached: $DISPLAY is known to), the French message goes to stderr; false.
bool displayOpens(int argc, char *argv[], bool defaultDisplayReached);

// Around the making of the application object: a platform that fails to start then ends the run
// with the French message and exit code 1 instead of Qt's abort.
void catchPlatformFailure(bool on);

// Whether the screen can show the program; if not, the French message goes to standard error and,
// where the windowing system can, to a plain window of its own; false.
bool screenCanShowTheProgram(const QString &title);

} // namespace tavorim
