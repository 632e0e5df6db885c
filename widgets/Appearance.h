#pragma once

#include <QPalette>

namespace tavorim {

// The classic light scheme the windows were drawn for; every role of every group is set, so no
// color comes from the desktop's scheme. Each window sets it: Qt puts the desktop's palette
// before a style's standardPalette(), and an application palette would recolor the desktop's
// own menus, which keep its scheme.
QPalette classicPalette();

// The classic scheme on a window of the given color.
QPalette classicPalette(const QColor &window);

} // namespace tavorim
