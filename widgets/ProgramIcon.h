#pragma once

#include <QIcon>

namespace tavorim {

// The program's window icon, at the sizes window managers show. The X platform sends every size
// an icon has with each window, so it holds no large ones.
QIcon programIcon();

} // namespace tavorim
