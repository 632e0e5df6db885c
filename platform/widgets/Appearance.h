#pragma once

#include <QPalette>

namespace tavorim {

// The classic light scheme the windows were drawn for: black text on white boxes and on a light
// grey button face, grey text on disabled controls. Every role of every group is set, so a window
// given it takes no color from the desktop's scheme, dark or light.
QPalette classicPalette();

// The classic scheme on a window of the given color.
QPalette classicPalette(const QColor &window);

} // namespace tavorim
