#include "Centering.h"

#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tavorim {

void centerOnScreen(QWidget *window) {
    placeFrame(window, [window](const QMargins &frame) {
        QScreen *screen = window->screen();
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        QRect outer(window->pos(), window->size().grownBy(frame));
        if (screen)
            outer.moveCenter(screen->availableGeometry().center());
        return outer;
    });
}

} // namespace tavorim
