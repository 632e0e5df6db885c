#pragma once

#include <QList>
#include <QString>
#include <QWindow>

#include <functional>
#include <memory>

namespace tavorim {

// Where the copies of the program of one user and display meet under a name: the first to claim
// it holds it until its rendezvous is destroyed, the others find it held. A lock file per user
// and display here (unix/); a global atom on Windows (win/).
class Rendezvous {
public:
    enum class Outcome { Taken, HeldByAnother, Unavailable };

    // What kept a name from being claimed, for the user to be told.
    struct Trouble {
        enum Kind { None, NoPlace, LeftOverStays, NotMade };
        Kind kind = None;
        QString place;  // the folder or file concerned
        QString reason; // the system's own words, when it gave any
    };

    struct Claim {
        Outcome outcome = Outcome::Unavailable;
        Trouble trouble;
    };

    virtual ~Rendezvous() = default;

    // Claims the name for this process. A mark left by a copy that has gone is cleared first.
    virtual Claim claim(const QString &name) = 0;
    // The top-level windows of the copy holding the name, where the system can tell them.
    virtual QList<WId> holderWindows(const QString &name) const = 0;

    // Where the holder's windows cannot be found (a Wayland session): asks the holder, by the
    // desktop's own means, to come forward; false when it could not be asked.
    virtual bool askHolderForward(const QString &name) const = 0;
    // While this process holds the name: another copy's request runs comeForward, with the
    // activation token that copy was started with (empty without one).
    virtual void answerForwardRequests(const QString &name,
                                       std::function<void(const QString &token)> comeForward) = 0;
};

// The system's own rendezvous.
std::unique_ptr<Rendezvous> systemRendezvous();

} // namespace tavorim
