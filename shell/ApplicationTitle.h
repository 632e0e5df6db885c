#pragma once

#include <QPointer>
#include <QString>

class QWidget;

namespace tavorim {

// The application's title, by which another copy's guard finds this one: the window that stands
// for the application carries it as its icon name.
class ApplicationTitle {
public:
    // The default title: the program file's name without its folder, cut at its first ".",
    // every character after the first in lower case ("TAVORIM.EXE" gives "Tavorim").
    static QString fromProgramPath(const QString &programPath);

    QString text() const;
    // A null text brings back the default.
    void setText(const QString &text);
    // The window that carries the title as its icon name, now and after every change.
    void showOn(QWidget *window);

private:
    mutable QString text_;
    QPointer<QWidget> bearer_;
};

} // namespace tavorim
