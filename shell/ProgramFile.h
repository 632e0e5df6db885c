#pragma once

#include <QString>

namespace tavorim {

// Full path of the program file, and its folder with a trailing separator.
QString exeName();
QString programFolder();

} // namespace tavorim
