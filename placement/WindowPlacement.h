#pragma once

// Places top-level windows by their whole frame. The frame is known only once shown, so a window
// is placed with a guessed frame and again with the real one.

#include <QList>
#include <QMargins>
#include <QRect>
#include <QRegion>

#include <functional>

class QScreen;
class QWidget;

namespace tavorim {

// Where a window goes, given the frame around it: the frame's rectangle on the screen.
using FramePlacer = std::function<QRect(const QMargins &frame)>;

// Places the frame at once with the best known frame, and once more when the window manager
// shows a different one (within a few seconds of showing).
void placeFrame(QWidget *window, const FramePlacer &placer);

// The frame around a window: its own once framed, else the last frame seen on a window of the
// program, else none.
QMargins frameMargins(const QWidget *window);

// What the help viewer should leave visible when the screen has room elsewhere (screen
// coordinates): what the program shows on a backdrop, a frameless window that covers its screen.
QRegion helpKeepClear();

// The monitor showing most of the owner's frame; the primary one when that frame is empty or on
// no monitor; -1 without monitors.
int monitorFor(const QList<QRect> &monitors, int primary, const QRect &ownerFrame);

// The window a new window belongs to: its parent's window, else the window it was made
// transient for, else the modal window in front, else the active window; null when none.
QWidget *ownerOf(const QWidget *window);

// The screen of the window an opening window belongs to (null: none), by monitorFor.
QScreen *screenFor(const QWidget *owner);

// A rectangle of the given size moved inside area, and cut to it where it is larger.
QRect fittedInto(const QRect &area, const QSize &size);

// The viewer's preferred size fitted into the work area, where it covers least of keepClear, then
// of the asking window, then the first of the corners, edge middles and centre.
QRect helpViewerFrame(const QRect &area, const QSize &preferred, const QRegion &keepClear,
                      const QRect &asking);

} // namespace tavorim
