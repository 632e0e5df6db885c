#pragma once

#include <QObject>

// The control of that name in a window; a test that names one the window lacks stops there.
template <typename T> T *namedChild(const QObject *window, const char *name) {
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
