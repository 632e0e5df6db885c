#include "Centering.h"

#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace tavorim {

void centerOnScreen(QWidget *window) {
    // The screen is chosen once: the window may become the active one before it is placed again.
    const QPointer<QScreen> screen = screenFor(ownerOf(window));
    placeFrame(window, [window, screen](const QMargins &frame) {
        QRect outer(window->pos(), window->size().grownBy(frame));
        if (screen)
            outer.moveCenter(screen->availableGeometry().center());
        return outer;
    });
}

} // namespace tavorim
