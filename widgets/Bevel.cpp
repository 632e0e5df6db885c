#include "Bevel.h"

#include <QPainter>

namespace tavorim {

Bevel::Bevel(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Bevel::setShape(Kind shape) {
    shape_ = shape;
    update();
}

void Bevel::setStyle(Style style) {
    style_ = style;
    update();
}

QRect drawBevelEdges(QPainter &painter, QRect rect, const QColor &topLeft,
                     const QColor &bottomRight, int width) {
    // Strips rather than lines: on a screen of a higher ratio a line would straddle device pixels
    // and lose half its width at the edge.
    for (int i = 0; i < width && rect.isValid(); ++i) {
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

void Bevel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor first = style_ == Lowered ? shadow : light;
    const QColor second = style_ == Lowered ? light : shadow;
    const int w = width();
    const int h = height();
    switch (shape_) {
    case Box:
        drawBevelEdges(painter, QRect(0, 0, w, h), first, second);
        break;
    case Frame:
        // Two offset rectangles make the etched groove (lowered) or ridge (raised).
        drawBevelEdges(painter, QRect(1, 1, w - 1, h - 1), second, second);
        drawBevelEdges(painter, QRect(0, 0, w - 1, h - 1), first, first);
        break;
    case TopLine:
        painter.fillRect(QRect(0, 0, w, 1), first);
        painter.fillRect(QRect(0, 1, w, 1), second);
        break;
    }
}

} // namespace tavorim
