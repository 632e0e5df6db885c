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
    // Drawn on an image of our own: the exclusive-or raster operation that inverts the text's
    // background needs the raster engine, whatever the window is painted with.
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    const QRect inside = image.rect().adjusted(1, 1, -1, -1);
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

    // White exclusive-or gives each pixel its inverse; without antialiasing every text pixel
    // is exactly that inverse.
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(textFont);
    painter.setPen(Qt::white);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawText(inside, Qt::AlignCenter, text());
    painter.end();

    QPainter(this).drawImage(0, 0, image);
}

} // namespace tavorim
