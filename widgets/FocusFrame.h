#pragma once

class QPainter;
class QPalette;
class QRect;
class QWidget;

namespace tavorim {

// A two-pixel focus frame on every focused control from the start, since the desktop's style
// draws a thinner one only after keyboard moves. Installing it again does nothing.
void showFocusFrames();

// Whether the style's own focus rectangle would double the frame on this widget.
bool drawsOwnFocusFrame(const QWidget *widget);

// The frame itself, inside rect, in the palette's highlight color.
void drawFocusFrame(QPainter &painter, const QRect &rect, const QPalette &palette);

} // namespace tavorim
