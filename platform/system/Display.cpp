#include "Display.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tavorim {

namespace {
int depthForTests = 0;
}

int colorDepth(const QWidget *widget) {
    if (depthForTests > 0)
        return depthForTests;
    QScreen *screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

void centerOnScreen(QWidget *window) {
    QScreen *screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void setColorDepthForTests(int bitsPerPixel) {
    depthForTests = bitsPerPixel;
}

} // namespace tavorim
