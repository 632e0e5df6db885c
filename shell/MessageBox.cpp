#include "MessageBox.h"

#include "Application.h"
#include "Centering.h"

#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

namespace tavorim {

namespace {

QList<MessageBox::Button> &queuedAnswers() {
    static QList<MessageBox::Button> answers;
    return answers;
}

MessageBox::Button &autoAnswer() {
    static MessageBox::Button answer = MessageBox::NoButton;
    return answer;
}

// Boxes are kept only while a test asked for them: a long run must not pile them up.
bool recording = false;

QList<MessageBox::Shown> &shownBoxes() {
    static QList<MessageBox::Shown> boxes;
    return boxes;
}

QMessageBox::Icon toQtIcon(MessageBox::Icon icon) {
    switch (icon) {
    case MessageBox::Information:
        return QMessageBox::Information;
    case MessageBox::Warning:
        return QMessageBox::Warning;
    case MessageBox::Error:
        return QMessageBox::Critical;
    case MessageBox::Question:
        return QMessageBox::Question;
    case MessageBox::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

// Centred frame included on the screen of the window it belongs to: Qt's own place guesses the
// frame, and a window manager places a box it did not give the focus to beside that window.
class PlacedBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override {
        // Sized to its text only now.
        QMessageBox::showEvent(event);
        if (!event->spontaneous())
            centerOnScreen(this);
    }
};

} // namespace

MessageBox::Button MessageBox::show(QWidget *parent, Icon icon, const QString &title,
                                    const QString &text, int buttons, Button defaultButton,
                                    Button escapeButton) {
    if (recording)
        shownBoxes().append({title, text, icon, buttons});
    // After a termination request a box would only flash: it counts as dismissed.
    if (TApplication::instance().terminated())
        return NoButton;
    if (!queuedAnswers().isEmpty())
        return queuedAnswers().takeFirst();
    if (autoAnswer() != NoButton)
        return autoAnswer();

    PlacedBox box(toQtIcon(icon), title, text, QMessageBox::NoButton, parent);
    struct Choice {
        Button button;
        const char *caption;
        QMessageBox::ButtonRole role;
    };
    static const Choice choices[] = {{Ok, "OK", QMessageBox::AcceptRole},
                                     {Yes, "&Oui", QMessageBox::YesRole},
                                     {No, "&Non", QMessageBox::NoRole}};
    QList<QPair<QAbstractButton *, Button>> made;
    for (const Choice &choice : choices) {
        if (!(buttons & choice.button))
            continue;
        QPushButton *pushButton = box.addButton(QString::fromUtf8(choice.caption), choice.role);
        made.append({pushButton, choice.button});
        if (choice.button == defaultButton)
            box.setDefaultButton(pushButton);
        if (choice.button == escapeButton)
            box.setEscapeButton(pushButton);
    }
    // Made transient for the window it is opened from, as every modal window of the program.
    TApplication::instance().ShowModal(&box);
    for (const auto &[pushButton, button] : made) {
        if (box.clickedButton() == pushButton)
            return button;
    }
    return NoButton;
}

void MessageBox::showError(QWidget *parent, const QString &title, const QString &text) {
    show(parent, Error, title, text, Ok, Ok, Ok);
}

void MessageBox::setNextAnswerForTests(Button answer) {
    queuedAnswers().append(answer);
}

void MessageBox::setAutoAnswerForTests(Button answer) {
    autoAnswer() = answer;
}

void MessageBox::setRecordingForTests(bool on) {
    recording = on;
    if (!on)
        shownBoxes().clear();
}

const QList<MessageBox::Shown> &MessageBox::shownForTests() {
    return shownBoxes();
}

void MessageBox::clearShownForTests() {
    shownBoxes().clear();
}

} // namespace tavorim
