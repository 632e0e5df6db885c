#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>

class QWidget;

namespace tavorim {

// The picture at path as the widget's screen shows it best: where a device pixel is smaller than
// a pixel of the picture, the rendering at twice its size beside it ("name@2x.png"), scaled down
// smoothly for ratios between 1 and 2; the picture itself otherwise. It covers shownSize in the
// widget's coordinates, stretched smoothly once here, or else the picture's own size.
QPixmap picture(const QString &path, const QWidget *widget, QSize shownSize = {});

// The picture file itself, read by the format its name ends with.
QImage readPicture(const QString &path);

} // namespace tavorim
