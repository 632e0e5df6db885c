#pragma once

#include <QFont>
#include <QString>

namespace tavorim {

// A font sized as a character height in pixels, so that it ignores the desktop's font scaling;
// a serif family stands in for a missing "MS Serif", a sans-serif one for the others.
inline QFont pixelFont(const QString &family, int pixelHeight, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setStyleHint(family == QLatin1String("MS Serif") ? QFont::Serif : QFont::SansSerif);
    return font;
}

} // namespace tavorim
