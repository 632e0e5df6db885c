#pragma once

class QWidget;

namespace tavorim {

// Bits per pixel of the screen that shows the widget (its primary screen before it is shown).
int colorDepth(const QWidget *widget);

} // namespace tavorim
