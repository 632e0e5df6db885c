#pragma once

#include <QPalette>

namespace tavorim {

// The classic light scheme the windows were drawn for: black text on white boxes and on a light
// grey button face, grey text on disabled controls. Every role of every group is set, so a window
// given it takes no color from the desktop's scheme, dark or light.
QPalette classicPalette();

// The classic scheme on a window of the given color: copies of one instance per color.
// Qt's style keeps the pictures it draws (button faces, frames) by palette instance, so a palette
// made afresh for each window would keep a new set of them at every opening.
QPalette classicPalette(const QColor &window);

} // namespace tavorim
