#include "ColorDepth.h"

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

void setColorDepthForTests(int bitsPerPixel) {
    depthForTests = bitsPerPixel;
}

} // namespace tavorim
