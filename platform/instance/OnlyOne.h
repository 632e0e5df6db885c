#pragma once

#include <QObject>
#include <QString>

namespace tavorim {

// The single-instance guard. Constructing it checks whether another copy of the program runs on
// this user's display; if so, that copy is brought forward and this one asks to end. Every copy
// holds one reference to the guard's name until the guard is destroyed.
class TOnlyOne : public QObject {
    Q_OBJECT

public:
    explicit TOnlyOne(QObject *owner);
    ~TOnlyOne() override;

    // "OnlyOne" followed by the first 20 characters of the application title.
    static QString atomName();

private:
    void bringOtherCopyForward();
};

} // namespace tavorim
