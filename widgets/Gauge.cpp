#include "Gauge.h"

#include "Accessibility.h"

#include <QAccessible>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace tavorim {

Gauge::Gauge(QWidget *parent) : QWidget(parent) {
    installWidgetAccessibility();
    setFocusPolicy(Qt::NoFocus);
}

void Gauge::setProgress(int value) {
    value = std::clamp(value, 0, 100);
    if (value == progress_)
        return;
    progress_ = value;
    QAccessibleValueChangeEvent changed(this, progress_);
    QAccessible::updateAccessibility(&changed);
    update();
}

void Gauge::setOrientation(Qt::Orientation orientation) {
    orientation_ = orientation;
    update();
}

void Gauge::setForeColor(const QColor &color) {
    foreColor_ = color;
    update();
}

void Gauge::setBackColor(const QColor &color) {
    backColor_ = color;
    update();
}

QString Gauge::text() const {
    return QString::asprintf("%d%%", progress_);
}

void Gauge::paintEvent(QPaintEvent *) {
    // On an image in device pixels: the exclusive-or operation needs the raster engine, and the
    // text keeps its full height on screens of a higher ratio.
    const qreal ratio = devicePixelRatioF();
    QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    const int border = std::max(1, qRound(ratio));
    const QRect inside = image.rect().adjusted(border, border, -border, -border);
    painter.fillRect(inside, backColor_);
    QRect filled = inside;
    if (orientation_ == Qt::Horizontal) {
        filled.setWidth(inside.width() * progress_ / 100);
    } else {
        const int height = inside.height() * progress_ / 100;
        filled.setTop(inside.bottom() + 1 - height);
    }
    if (!filled.isEmpty())
        painter.fillRect(filled, foreColor_);

    // White exclusive-or gives each pixel its inverse. Without antialiasing every text pixel is
    // exactly that inverse: a smoothed edge pixel would invert a blend and show a third color.
    QFont textFont = font();
    if (textFont.pixelSize() > 0)
        textFont.setPixelSize(qRound(textFont.pixelSize() * ratio));
    else
        textFont.setPointSizeF(textFont.pointSizeF() * ratio);
    textFont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(textFont);
    painter.setPen(Qt::white);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawText(inside, Qt::AlignCenter, text());
    painter.end();

    image.setDevicePixelRatio(ratio);
    QPainter(this).drawImage(QPointF(0, 0), image);
}

} // namespace tavorim
