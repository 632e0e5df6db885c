#pragma once

namespace tavorim {

// Makes the application's style the platform's own, but for the overflow arrow of menu bars,
// which no window of the program is too narrow to need: Qt reads that picture while building every
// menu bar, in a way that loads every image plugin there is (SVG, JPEG...) to guess its format.
void useProgramStyle();

} // namespace tavorim
