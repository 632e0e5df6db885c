#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>

class QWidget;

namespace tavorim {

// The picture as the screen shows it best: its "@2x" rendering where a device pixel is smaller,
// scaled once here to shownSize (or its own size).
QPixmap picture(const QString &path, const QWidget *widget, QSize shownSize = {});

// The picture file itself, read by the format its name ends with.
QImage readPicture(const QString &path);

} // namespace tavorim
