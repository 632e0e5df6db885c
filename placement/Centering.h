#pragma once

class QWidget;

namespace tavorim {

// Puts a window, frame included, in the middle of the available area of the screen of the window
// it belongs to (the primary screen for a window of its own).
void centerOnScreen(QWidget *window);

} // namespace tavorim
