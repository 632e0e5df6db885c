#pragma once

// Colors that tell a bevel's edges apart in a picture of it: its light edges yellow, its shadow
// edges blue, on a white window.

#include <QColor>
#include <QPalette>

inline QPalette bevelColors() {
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Light, Qt::yellow);
    palette.setColor(QPalette::Dark, Qt::blue);
    return palette;
}
