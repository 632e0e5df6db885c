#pragma once

class QWidget;

namespace tavorim {

// Bits per pixel of the screen that shows the widget (its primary screen before it is shown).
int colorDepth(const QWidget *widget);

// Tests: every screen reads as this depth; 0 puts the real screens back.
void setColorDepthForTests(int bitsPerPixel);

} // namespace tavorim
