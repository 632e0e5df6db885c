#pragma once

#include <QFont>
#include <QString>

namespace tavorim {

// A font by family name whose size is a character height in pixels, so that it does not grow
// with the desktop's font scaling. Where the family is missing, a serif family stands in for
// "MS Serif" and a sans-serif one for the others.
inline QFont pixelFont(const QString &family, int pixelHeight, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setStyleHint(family == QLatin1String("MS Serif") ? QFont::Serif : QFont::SansSerif);
    return font;
}

} // namespace tavorim
