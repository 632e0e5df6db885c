#pragma once

#include <Qt>

class QDialog;
class QKeyEvent;
class QPushButton;

namespace tavorim {

// The dialogs' shared keyboard rules (Enter, access letters, radio groups, Escape), applied before
// the focused control sees the key; defaultButton may be null.
void installDialogKeys(QDialog *dialog, QPushButton *defaultButton = nullptr);

// Shift, Ctrl, Alt and Meta held with a key: the keypad flag does not count as a modifier.
Qt::KeyboardModifiers heldModifiers(const QKeyEvent *event);

} // namespace tavorim
