#pragma once

#include <QFont>
#include <QString>

class QWidget;

namespace tavorim {

// Bits per pixel of the screen that shows the widget (its primary screen before it is shown).
int colorDepth(const QWidget *widget);

// Tests: every screen reads as this depth; 0 puts the real screens back.
void setColorDepthForTests(int bitsPerPixel);

// Puts a window, frame included, in the middle of the available area of the screen of the window
// it belongs to (the primary screen for a window of its own).
void centerOnScreen(QWidget *window);

// Whether the program should run on the X11 platform: an X display (an X session's or a Wayland
// session's Xwayland) can be reached and neither QT_QPA_PLATFORM nor a -platform argument chose
// another. On X the program places its windows, brings a minimised copy back and reads the lock
// keys, which Wayland does not let a client do. Called before the application object exists.
bool wantsX11Platform(int argc, char *argv[]);

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
