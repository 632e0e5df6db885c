#pragma once

// The program's run, once the application object exists: the backdrop (with the
// single-instance guard), then the main window, then the event loop until the end is asked
// for; the windows are then destroyed, the main window first. Returns the exit code.
int runTavorim();

class QString;

// What the program says when the display cannot show it: on standard error, and in a box where
// the display can show one.
QString noDisplayText();
QString displayNotOpenedText(const QString &display);
QString lowColorText(int bitsPerPixel);
// The fewest bits per pixel the windows can be painted with.
inline constexpr int MinimumColorDepth = 15;

// Before the application object. When the program is to run on X alone (the xcb platform chosen
// by argument or QT_QPA_PLATFORM, or no choice outside a Wayland session), the X display must
// open; when it does not, the French message goes to standard error and the answer is false.
// defaultDisplayReached: the default display ($DISPLAY) is already known to open.
bool displayOpens(int argc, char *argv[], bool defaultDisplayReached);
// Around the making of the application object: a platform that fails to start then ends the run
// with the French message and exit code 1 instead of Qt's abort.
void catchPlatformFailure(bool on);
// Once the application object exists: whether its screen can show the program. When it cannot,
// the French message goes to standard error and, on X, to a plain box of its own, which the
// screen can still show; false.
bool screenCanShowTheProgram();
