#pragma once

#include <QObject>
#include <QString>

namespace tavorim {

// The single-instance guard. Constructing it checks whether another copy of the program runs
// for this user on this display; if so, that copy is brought forward and this one asks to end.
// Every guard holds one reference to the atom until it is destroyed: the first guard of the
// process that finds the atom free takes its lock file, and the last reference releases it.
class TOnlyOne : public QObject {
    Q_OBJECT

public:
    explicit TOnlyOne(QObject *owner);
    ~TOnlyOne() override;

    // "OnlyOne" followed by the first 20 characters of the application title.
    static QString atomName();
    // The lock file that stands for the atom on this user's display, the same for every copy
    // whatever its environment; empty when the user has no private folder (no guard then).
    static QString lockPath(const QString &atom);
    // The live process that holds the atom (this one included), 0 when none does.
    static qint64 holder(const QString &atom);
};

} // namespace tavorim
