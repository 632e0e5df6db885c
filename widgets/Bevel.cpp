#include "Bevel.h"

#include <QPainter>
#include <qdrawutil.h>

namespace tavorim {

Bevel::Bevel(QWidget *parent) : QFrame(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    configureFrame();
}

void Bevel::setShape(Kind shape) {
    shape_ = shape;
    configureFrame();
    update();
}

void Bevel::setStyle(Style style) {
    style_ = style;
    configureFrame();
    update();
}

void Bevel::configureFrame() {
    setFrameShape(shape_ == Box ? QFrame::Panel : QFrame::NoFrame);
    setFrameShadow(style_ == Lowered ? QFrame::Sunken : QFrame::Raised);
    setLineWidth(1);
}

void Bevel::paintEvent(QPaintEvent *event) {
    if (shape_ == Box) {
        QFrame::paintEvent(event);
        return;
    }
    // Qt's etched box and line each put one or two end pixels elsewhere: these are drawn here.
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor first = style_ == Lowered ? shadow : light;
    const QColor second = style_ == Lowered ? light : shadow;
    const int w = width();
    const int h = height();
    if (shape_ == Frame) {
        // Two offset rectangles make the etched groove (lowered) or ridge (raised).
        qDrawPlainRect(&painter, QRect(1, 1, w - 1, h - 1), second);
        qDrawPlainRect(&painter, QRect(0, 0, w - 1, h - 1), first);
    } else {
        painter.fillRect(QRect(0, 0, w, 1), first);
        painter.fillRect(QRect(0, 1, w, 1), second);
    }
}

} // namespace tavorim
