#pragma once

#include <Qt>

class QDialog;
class QKeyEvent;
class QPushButton;

namespace tavorim {

// The keyboard rules of the program's dialogs, the same in every window:
// - Enter with no Shift, Ctrl or Alt clicks the focused push button; with the focus elsewhere
//   it clicks the default button when that is enabled, except on a link, which it follows. An
//   Enter that no button takes goes on to the focused control as an ordinary key.
// - A button's access letter clicks it with Alt held, or alone while the focus is on a button
//   or radio button. A radio button chosen this way also takes the focus.
// - Of a group of radio buttons, only the checked one is a Tab stop; the arrows move in it.
// - Alt with a letter that no button carries beeps and goes no further.
// - Escape does nothing at the dialog level (no window here has a cancel button); a control
//   with the focus still sees it first.
// - The focused control shows a focus frame from the start (see FocusFrame.h).
// These rules act before the focused control sees the key, so its own filters only get what no
// button took. defaultButton may be null: then the dialog has no default button.
void installDialogKeys(QDialog *dialog, QPushButton *defaultButton = nullptr);

// Shift, Ctrl, Alt and Meta held with a key: the keypad flag does not count as a modifier.
Qt::KeyboardModifiers heldModifiers(const QKeyEvent *event);

} // namespace tavorim
