#pragma once

#include "Rendezvous.h"

#include <QObject>
#include <QString>

#include <memory>

namespace tavorim {

// The single-instance guard. Constructing it checks whether another copy of the program runs
// for this user on this display; if so, that copy is brought forward and this one asks to end.
// Every guard holds one reference to the atom until it is destroyed: the first guard of the
// process that claims the atom holds it, and the last reference releases it. Where the atom
// cannot be had, the user is told and the program runs unguarded.
class TOnlyOne : public QObject {
    Q_OBJECT

public:
    explicit TOnlyOne(QObject *owner, std::unique_ptr<Rendezvous> rendezvous = systemRendezvous());
    ~TOnlyOne() override;

    // "OnlyOne" followed by the first 20 characters of the application title.
    static QString atomName();
};

} // namespace tavorim
