#include "Shape.h"

#include <QPainter>

#include <algorithm>

namespace tavorim {

Shape::Shape(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TranslucentBackground);
}

void Shape::setShape(Kind kind) {
    kind_ = kind;
    update();
}

void Shape::setPenColor(const QColor &color) {
    penColor_ = color;
    update();
}

void Shape::setPenWidth(int width) {
    penWidth_ = std::max(0, width);
    update();
}

void Shape::setBrushColor(const QColor &color) {
    brushColor_ = color;
    update();
}

void Shape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(brushColor_);
    if (penWidth_ > 0)
        painter.setPen(QPen(penColor_, penWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    else
        painter.setPen(Qt::NoPen);
    // A pen is centred on its path: inset the path by half the pen so that the whole outline
    // lies inside the widget.
    const qreal half = penWidth_ / 2.0;
    const QRectF figure = QRectF(rect()).adjusted(half, half, -half, -half);
    if (kind_ == Ellipse) {
        painter.drawEllipse(figure);
    } else {
        // Each corner is a quarter ellipse a quarter of the shorter side across.
        const qreal radius = std::min(figure.width(), figure.height()) / 8.0;
        painter.drawRoundedRect(figure, radius, radius);
    }
}

} // namespace tavorim
