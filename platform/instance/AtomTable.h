#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QString>

namespace tavorim {

// The per-user, per-display table of names that copies of the program use to find each other.
// A name lives in Linux's abstract socket namespace: the copy that holds it listens on it, and
// the kernel drops it when that copy ends, however it ends. Only connections from our own user
// are answered, and only a holder of our own user is believed.
class AtomTable {
public:
    enum class AddResult { Added, HeldElsewhere, Failed };

    // The socket name behind an atom: user id, display and the atom itself.
    static QString socketName(const QString &atom);

    // Whether a live copy of our own user holds the name.
    static bool find(const QString &atom);
    // Holds the name in this process (one more reference when it already does). HeldElsewhere
    // when another live process holds it.
    static AddResult add(const QString &atom);
    // Drops one reference of this process; at the last one the name is released. Nothing
    // happens for a name held by another process.
    static void remove(const QString &atom);
    // References this process holds on the name.
    static int references(const QString &atom);

    // Connects to the holder of the name, when it is a live copy of our own user.
    static bool connectToHolder(QLocalSocket &socket, const QString &atom, QDeadlineTimer deadline);
    // Longest request line accepted; anything longer ends the connection.
    static constexpr qsizetype MaxLine = 512;
    // How long a copy waits for the holder to answer: a frozen holder must not hold it up.
    static constexpr int AnswerTimeoutMs = 2000;
};

} // namespace tavorim
