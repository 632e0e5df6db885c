#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace tavorim {

// The stock message boxes in French; tests answer them without a modal loop
// (setNextAnswerForTests) and read back the boxes asked for (shownForTests).
class MessageBox {
public:
    enum Icon { NoIcon, Information, Warning, Error, Question };
    enum Button { NoButton = 0, Ok = 1, Yes = 2, No = 4 };

    struct Shown {
        QString title;
        QString text;
        Icon icon;
        int buttons;
    };

    // A modal box with the given buttons, shown in the order "OK", "&Oui", "&Non". Returns the
    // button chosen; NoButton when the box was closed without a choice.
    static Button show(QWidget *parent, Icon icon, const QString &title, const QString &text,
                       int buttons, Button defaultButton, Button escapeButton);

    // The toolkit's standard error box: error icon and one "OK" button.
    static void showError(QWidget *parent, const QString &title, const QString &text);

    // Tests: the next box answers this at once, without a modal loop. Answers queue up.
    static void setNextAnswerForTests(Button answer);
    // Tests: answer every box at once with this (NoButton switches it off).
    static void setAutoAnswerForTests(Button answer);
    // Tests: keep every box asked for from now on (off forgets them).
    static void setRecordingForTests(bool on);
    static const QList<Shown> &shownForTests();
    static void clearShownForTests();
};

} // namespace tavorim
