#pragma once

class QPainter;
class QPalette;
class QRect;

namespace tavorim {

// Every focused push button, radio button and edit box of the program shows a frame two pixels
// wide inside its edges, as soon as it has the focus and whatever the style does: the desktop's
// style draws a thinner one, and only once the keyboard has moved the focus. Installed once for
// the whole application; calling it again does nothing.
void showFocusFrames();

// The frame itself, inside rect, in the palette's highlight color.
void drawFocusFrame(QPainter &painter, const QRect &rect, const QPalette &palette);

} // namespace tavorim
