#include "Gauge.h"

#include "Accessibility.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace tavorim {

Gauge::Gauge(QWidget *parent) : QProgressBar(parent) {
    installWidgetAccessibility();
    setFocusPolicy(Qt::NoFocus);
    setRange(0, 100);
    setValue(0);
}

void Gauge::setProgress(int value) {
    setValue(std::clamp(value, 0, 100));
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
    return QString::asprintf("%d%%", value());
}

void Gauge::paintEvent(QPaintEvent *) {
    // Not the style's bar, which is shaded and rounded: a flat fill in a one-pixel black border.
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
    if (orientation() == Qt::Horizontal) {
        filled.setWidth(inside.width() * value() / 100);
    } else {
        const int height = inside.height() * value() / 100;
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
