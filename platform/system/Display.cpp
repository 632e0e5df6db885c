#include "Display.h"

#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <cstring>

// After Qt: the X headers define macros (None, Bool, Status) that clash with Qt's names.
#include <X11/Xlib.h>

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
    // The screen is chosen once: the window may become the active one before it is placed again.
    const QPointer<QScreen> screen = screenFor(ownerOf(window));
    placeFrame(window, [window, screen](const QMargins &frame) {
        QRect outer(window->pos(), window->size().grownBy(frame));
        if (screen)
            outer.moveCenter(screen->availableGeometry().center());
        return outer;
    });
}

bool wantsX11Platform(int argc, char *argv[]) {
    const char *chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen && *chosen)
        return false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return false;
    }
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;
    // Reachable, not merely named: a stale DISPLAY must not keep a Wayland session from starting.
    ::Display *x11 = XOpenDisplay(nullptr);
    if (!x11)
        return false;
    XCloseDisplay(x11);
    return true;
}

void setColorDepthForTests(int bitsPerPixel) {
    depthForTests = bitsPerPixel;
}

} // namespace tavorim
