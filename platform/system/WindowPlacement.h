#pragma once

// Placing top-level windows by their whole frame. A window manager frames a window only once
// it is shown, so a frame placed before that is placed with a guessed frame and placed again
// as soon as the real one is known. Shared by the program and the help viewer module.

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

// Places a top-level window's frame where the placer says, resizing the window when the frame
// asks for another size. Done at once with the best known frame and again, once, when the
// window manager shows a different one (at most a few seconds after the window is shown).
void placeFrame(QWidget *window, const FramePlacer &placer);

// The frame around a window: its own once framed, else the last frame seen on a window of the
// program, else none.
QMargins frameMargins(const QWidget *window);

// What the help viewer should leave visible when the screen has room elsewhere (screen
// coordinates), told by the program to the viewer module through the application object.
void setHelpKeepClear(const QRegion &region);
QRegion helpKeepClear();

// Which of the monitors (their rectangles on the desktop) a window belongs on: the one that shows
// most of the frame of the window it belongs to; the primary one when that frame is empty or on
// no monitor. -1 without monitors.
int monitorFor(const QList<QRect> &monitors, int primary, const QRect &ownerFrame);

// The window a new window belongs to: its parent's window, else the window it was made
// transient for, else the modal window in front, else the active window; null when none.
QWidget *ownerOf(const QWidget *window);

// The screen of the window an opening window belongs to (null: none), by monitorFor.
QScreen *screenFor(const QWidget *owner);

// A rectangle of the given size moved inside area, and cut to it where it is larger.
QRect fittedInto(const QRect &area, const QSize &size);

// The help viewer's frame: its preferred size fitted into the screen's work area, at the place
// that covers least of keepClear (what must stay visible, such as the clock), then least of the
// window the pupil asked from, then the first of: bottom right, bottom left, top right, top
// left, and the middles of the edges and of the area.
QRect helpViewerFrame(const QRect &area, const QSize &preferred, const QRegion &keepClear,
                      const QRect &asking);

} // namespace tavorim
