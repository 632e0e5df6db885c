#pragma once

class QPainter;
class QPalette;
class QRect;
class QWidget;

namespace tavorim {

// Every focused control of the program shows a frame two pixels wide, as soon as it has the
// focus and whatever the style does (the desktop's style draws a thinner one, only once the
// keyboard has moved the focus, and none on a menu bar without an open menu): inside the edges
// of push buttons and edit boxes, around the caption of radio buttons and check boxes, inside a
// list's or a page's visible area, around the current tab of a tab bar and around the current
// title of a menu bar that has the keys. Installed once for the whole application; calling it
// again does nothing.
void showFocusFrames();

// Whether the style's own focus rectangle would double the frame on this widget.
bool drawsOwnFocusFrame(const QWidget *widget);

// The frame itself, inside rect, in the palette's highlight color.
void drawFocusFrame(QPainter &painter, const QRect &rect, const QPalette &palette);

} // namespace tavorim
