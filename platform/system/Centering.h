#pragma once

class QWidget;

namespace tavorim {

// Puts a window, frame included, in the middle of its screen's available area.
void centerOnScreen(QWidget *window);

} // namespace tavorim
