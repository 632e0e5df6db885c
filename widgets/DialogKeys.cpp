#include "DialogKeys.h"

#include "Beeper.h"
#include "LinkLabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace tavorim {

namespace {

// A push button in the sense of the keyboard rules: radio buttons and check boxes are buttons
// for access letters but do not take Enter.
bool isPushButton(const QWidget *widget) {
    return qobject_cast<const QAbstractButton *>(widget) != nullptr &&
           qobject_cast<const QRadioButton *>(widget) == nullptr &&
           qobject_cast<const QCheckBox *>(widget) == nullptr;
}

bool isEnter(const QKeyEvent *event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// The letter marked by the first single ampersand of a caption, in upper case; a null QChar
// when there is none ("&&" is a literal ampersand).
QChar accessLetter(const QString &caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&'))
            continue;
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption.at(i + 1).toUpper();
    }
    return QChar();
}

// The letter an access-key press asks for: from the key code, so that Alt, which may change
// or remove the text on some keyboards, does not matter.
QChar pressedLetter(const QKeyEvent *event) {
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return QChar(key);
    if (!event->text().isEmpty() && event->text().at(0).isLetterOrNumber())
        return event->text().at(0).toUpper();
    return QChar();
}

// Of a group of radio buttons (those of one parent), only the checked one is a Tab stop (the first
// while none is): Tab reaches the choice in force, and the arrows move within the group.
void keepOneTabStop(const QWidget *group) {
    const QList<QRadioButton *> radios =
        group->findChildren<QRadioButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (radios.isEmpty())
        return;
    QRadioButton *stop = radios.first();
    for (QRadioButton *radio : std::as_const(radios))
        if (radio->isChecked())
            stop = radio;
    for (QRadioButton *radio : std::as_const(radios))
        radio->setFocusPolicy(radio == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

class DialogKeys : public QObject {
public:
    // What a dialog was installed with.
    struct Keys {
        QPointer<QPushButton> defaultButton;
        Beep beep;
    };

    static DialogKeys &instance() {
        static DialogKeys *keys = [] {
            auto *created = new DialogKeys(qApp);
            qApp->installEventFilter(created);
            return created;
        }();
        return *keys;
    }

    void add(QDialog *dialog, QPushButton *defaultButton, Beep beep) {
        dialogs_.insert(dialog, {defaultButton, std::move(beep)});
        connect(dialog, &QObject::destroyed, this,
                [this, dialog] { dialogs_.remove(static_cast<QObject *>(dialog)); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        if (!watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        QWidget *window = widget->window();
        const auto found = dialogs_.constFind(window);
        if (found == dialogs_.constEnd())
            return false;
        auto *dialog = static_cast<QDialog *>(window);
        // A copy: a click may open a dialog whose keys change the table.
        const Keys keys = found.value();
        return handleKey(dialog, keys, widget, static_cast<QKeyEvent *>(event));
    }

private:
    explicit DialogKeys(QObject *parent) : QObject(parent) {}

    // The dialog's focus widget, else the receiver, so that the answer stays the same while an
    // ignored key climbs up to the parents.
    static QWidget *focusedIn(QDialog *dialog, QWidget *receiver) {
        QWidget *focus = dialog->focusWidget();
        return focus ? focus : receiver;
    }

    static QAbstractButton *buttonForLetter(QDialog *dialog, QChar letter) {
        if (letter.isNull())
            return nullptr;
        const auto buttons = dialog->findChildren<QAbstractButton *>();
        for (QAbstractButton *button : buttons) {
            if (button->window() == dialog && button->isEnabled() && button->isVisible() &&
                accessLetter(button->text()) == letter)
                return button;
        }
        return nullptr;
    }

    static void press(QAbstractButton *button) {
        if (!isPushButton(button))
            button->setFocus(Qt::ShortcutFocusReason);
        button->click();
    }

    // The button this key clicks, if any.
    static QAbstractButton *target(QDialog *dialog, QPushButton *given, QWidget *receiver,
                                   const QKeyEvent *event) {
        QWidget *focus = focusedIn(dialog, receiver);
        const Qt::KeyboardModifiers held = heldModifiers(event);
        if (isEnter(event)) {
            if (held != Qt::NoModifier)
                return nullptr;
            // A link with the focus is followed, as a button with the focus is clicked.
            if (qobject_cast<LinkLabel *>(focus) != nullptr)
                return nullptr;
            if (isPushButton(focus))
                return focus->isEnabled() ? static_cast<QAbstractButton *>(focus) : nullptr;
            // Only the button named at installation: Qt also makes the first button of a dialog
            // without one its default, which a dialog here may not want.
            if (given && given->isEnabled() && given->isVisible())
                return given;
            return nullptr;
        }
        if (held & (Qt::ControlModifier | Qt::MetaModifier))
            return nullptr;
        if (held & Qt::AltModifier)
            return buttonForLetter(dialog, pressedLetter(event));
        if (qobject_cast<QAbstractButton *>(focus) != nullptr)
            return buttonForLetter(dialog, pressedLetter(event));
        return nullptr;
    }

    static bool handleKey(QDialog *dialog, const Keys &keys, QWidget *receiver, QKeyEvent *event) {
        if (event->isAutoRepeat() && event->type() == QEvent::ShortcutOverride)
            return false;
        QAbstractButton *button = target(dialog, keys.defaultButton, receiver, event);
        if (event->type() == QEvent::ShortcutOverride) {
            // Claim the key so that Qt's own mnemonic (a delayed click that also moves the
            // focus) does not run; the click is made when the key press arrives.
            if (button) {
                event->accept();
                return true;
            }
            return false;
        }
        if (button) {
            event->accept();
            press(button);
            return true;
        }
        if (heldModifiers(event) == Qt::AltModifier && !pressedLetter(event).isNull()) {
            // An access letter that matches no button: the system beeps, and the letter
            // must not reach an edit box as text.
            event->accept();
            keys.beep();
            return true;
        }
        if (isEnter(event) && isPushButton(receiver)) {
            // A button takes only a plain Enter: Qt's own would take it with Shift or Ctrl.
            event->accept();
            return true;
        }
        if (receiver == dialog && (isEnter(event) || event->key() == Qt::Key_Escape)) {
            // Enter that no button took and Escape end here: QDialog would otherwise click an
            // automatic default button or close the window.
            event->accept();
            return true;
        }
        return false;
    }

    QHash<QObject *, Keys> dialogs_;
};

} // namespace

Beep beepOrSystem(Beep beep) {
    return beep ? std::move(beep) : Beep(&Beeper::beep);
}

void installDialogKeys(QDialog *dialog, QPushButton *defaultButton, Beep beep) {
    if (!dialog)
        return;
    if (defaultButton)
        defaultButton->setDefault(true);
    DialogKeys::instance().add(dialog, defaultButton, beepOrSystem(std::move(beep)));
    for (QRadioButton *radio : dialog->findChildren<QRadioButton *>()) {
        keepOneTabStop(radio->parentWidget());
        QObject::connect(radio, &QAbstractButton::toggled, radio,
                         [radio] { keepOneTabStop(radio->parentWidget()); });
    }
}

Qt::KeyboardModifiers heldModifiers(const QKeyEvent *event) {
    return event->modifiers() &
           (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

} // namespace tavorim
