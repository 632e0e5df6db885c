#include "Pictures.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QWidget>

namespace tavorim {

// The format comes from the suffix: asking every image plugin to guess it would load them all.
QImage readPicture(const QString &path) {
    QImageReader reader(path, path.endsWith(QLatin1String(".bmp")) ? "bmp" : "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap picture(const QString &path, const QWidget *widget, QSize shownSize) {
    const qreal ratio = widget ? widget->devicePixelRatioF() : qGuiApp->devicePixelRatio();
    // Qt's own rule for renderings of more pixels: "name@2x.png" beside "name.png", taken for
    // any ratio above 1.
    qreal fileRatio = 1;
    const QString file = qt_findAtNxFile(path, ratio, &fileRatio);
    QImage image = readPicture(file);
    if (image.isNull())
        return {};
    const QSizeF shown = shownSize.isValid() ? QSizeF(shownSize) : QSizeF(image.size()) / fileRatio;
    const QSize device = (shown * ratio).toSize();
    if (image.size() != device) {
        // Smoothed in full color: the 16-color pictures have a palette, which smoothing lacks.
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                : QImage::Format_RGB32);
        image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(std::move(image));
}

} // namespace tavorim
