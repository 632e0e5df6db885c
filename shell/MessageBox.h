#pragma once

#include <QString>

class QWidget;

namespace tavorim {

// The stock message boxes in French, put before the pupil by a presenter: the program's own
// by default, another one (answering at once, say) when one is installed.
class MessageBox {
public:
    enum Icon { NoIcon, Information, Warning, Error, Question };
    enum Button { NoButton = 0, Ok = 1, Yes = 2, No = 4 };

    struct Request {
        QWidget *parent;
        Icon icon;
        QString title;
        QString text;
        int buttons;
        Button defaultButton;
        Button escapeButton;
    };

    // Shows a box and brings back the button chosen; NoButton when it was closed without one.
    class Presenter {
    public:
        virtual ~Presenter() = default;
        virtual Button present(const Request &request) = 0;
    };

    // nullptr puts the program's own presenter back.
    static void setPresenter(Presenter *presenter);

    // A modal box with the given buttons, shown in the order "OK", "&Oui", "&Non". Returns the
    // button chosen; NoButton when the box was closed without a choice.
    static Button show(QWidget *parent, Icon icon, const QString &title, const QString &text,
                       int buttons, Button defaultButton, Button escapeButton);

    // The toolkit's standard error box: error icon and one "OK" button.
    static void showError(QWidget *parent, const QString &title, const QString &text);
};

} // namespace tavorim
