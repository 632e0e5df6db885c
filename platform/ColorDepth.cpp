#include "ColorDepth.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tavorim {

int colorDepth(const QWidget *widget) {
    QScreen *screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

} // namespace tavorim
