#pragma once

class QAbstractScrollArea;
class QPainter;
class QPalette;
class QRect;
class QWidget;

namespace tavorim {

// The two-pixel focus frame, on every focused control from the start, since the desktop's style
// draws a thinner one only after keyboard moves. The program's style draws it; these say where
// and how.

// Where the frame goes in a focused control that takes one; empty for any other widget.
QRect focusFrameRect(const QWidget *widget);

// The frame itself, inside rect, in the palette's highlight color.
void drawFocusFrame(QPainter &painter, const QRect &rect, const QPalette &palette);

// Frames the scroll area's visible area while the area has the focus; doing it again does nothing.
void frameViewport(QAbstractScrollArea *area);

} // namespace tavorim
