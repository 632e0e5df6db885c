// The color depth as the display driver gives it: bits per pixel times color planes.
#include "ColorDepth.h"

#include <QWidget>

#include <windows.h>

namespace tavorim {

int colorDepth(const QWidget *widget) {
    // The screen's own context before the window exists: asking for its handle would make it.
    const QWidget *window = widget ? widget->window() : nullptr;
    const HWND handle = window && window->testAttribute(Qt::WA_WState_Created)
                            ? reinterpret_cast<HWND>(window->internalWinId())
                            : nullptr;
    const HDC context = GetDC(handle);
    if (!context)
        return 0;
    const int depth = GetDeviceCaps(context, BITSPIXEL) * GetDeviceCaps(context, PLANES);
    ReleaseDC(handle, context);
    return depth;
}

} // namespace tavorim
