#include "MessageBox.h"

#include "Application.h"
#include "Centering.h"

#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

namespace tavorim {

namespace {

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

// The program's own: a Qt box with the French captions.
class StandardPresenter : public MessageBox::Presenter {
public:
    MessageBox::Button present(const MessageBox::Request &request) override {
        using Button = MessageBox::Button;
        PlacedBox box(toQtIcon(request.icon), request.title, request.text, QMessageBox::NoButton,
                      request.parent);
        struct Choice {
            Button button;
            const char *caption;
            QMessageBox::ButtonRole role;
        };
        static const Choice choices[] = {{MessageBox::Ok, "OK", QMessageBox::AcceptRole},
                                         {MessageBox::Yes, "&Oui", QMessageBox::YesRole},
                                         {MessageBox::No, "&Non", QMessageBox::NoRole}};
        QList<QPair<QAbstractButton *, Button>> made;
        for (const Choice &choice : choices) {
            if (!(request.buttons & choice.button))
                continue;
            QPushButton *pushButton = box.addButton(QString::fromUtf8(choice.caption), choice.role);
            made.append({pushButton, choice.button});
            if (choice.button == request.defaultButton)
                box.setDefaultButton(pushButton);
            if (choice.button == request.escapeButton)
                box.setEscapeButton(pushButton);
        }
        // Made transient for the window it is opened from, as every modal window of the program.
        TApplication::instance().run().ShowModal(&box);
        for (const auto &[pushButton, button] : made) {
            if (box.clickedButton() == pushButton)
                return button;
        }
        return MessageBox::NoButton;
    }
};

MessageBox::Presenter *installed = nullptr;

} // namespace

void MessageBox::setPresenter(Presenter *presenter) {
    installed = presenter;
}

MessageBox::Button MessageBox::show(QWidget *parent, Icon icon, const QString &title,
                                    const QString &text, int buttons, Button defaultButton,
                                    Button escapeButton) {
    // After a termination request a box would only flash: it counts as dismissed.
    if (TApplication::instance().run().terminated())
        return NoButton;
    static StandardPresenter standard;
    Presenter &presenter = installed ? *installed : standard;
    return presenter.present({parent, icon, title, text, buttons, defaultButton, escapeButton});
}

void MessageBox::showError(QWidget *parent, const QString &title, const QString &text) {
    show(parent, Error, title, text, Ok, Ok, Ok);
}

} // namespace tavorim
