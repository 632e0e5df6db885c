#pragma once

#include <Qt>

#include <functional>

class QDialog;
class QKeyEvent;
class QPushButton;

namespace tavorim {

// What a refused key sounds; empty means the system's warning beep.
using Beep = std::function<void()>;

// The system's warning beep unless another is given.
Beep beepOrSystem(Beep beep);

// The dialogs' shared keyboard rules (Enter, access letters, radio groups, Escape), applied before
// the focused control sees the key; defaultButton may be null.
void installDialogKeys(QDialog *dialog, QPushButton *defaultButton = nullptr, Beep beep = {});

// Shift, Ctrl, Alt and Meta held with a key: the keypad flag does not count as a modifier.
Qt::KeyboardModifiers heldModifiers(const QKeyEvent *event);

} // namespace tavorim
