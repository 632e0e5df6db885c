#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <optional>

namespace tavorim {

// A connection to the copy that holds a name, over a plain socket: the guard runs before the
// event loop and must wait a bounded time, so every exchange blocks until its deadline at most.
class HolderConnection {
public:
    HolderConnection() = default;
    ~HolderConnection();
    HolderConnection(const HolderConnection &) = delete;
    HolderConnection &operator=(const HolderConnection &) = delete;

    // Sends one request line and reads the answer line. Nothing when the holder has gone, says
    // more than a line can hold or does not answer before the deadline.
    std::optional<QByteArray> exchange(const QByteArray &line, QDeadlineTimer deadline);

private:
    friend class AtomTable;
    int descriptor_ = -1;
    QByteArray received_;
};

// The per-user, per-display table of names that copies of the program use to find each other.
// A name is a socket in the user's private folder, which no other user can enter, and a lock
// file beside it: the copy that holds the name holds the lock and listens on the socket. The
// kernel drops the lock when that copy ends, however it ends, so a socket left by a killed copy
// is only a leftover that the next holder clears. Only connections from our own user are
// answered, and only a holder of our own user is believed.
class AtomTable {
public:
    enum class AddResult { Added, HeldElsewhere, Failed };

    // The socket behind an atom, in the private folder; its name carries the display and the
    // atom. Empty when there is no private folder.
    static QString socketName(const QString &atom);
    // The display a name belongs to: the Wayland and X display names of the environment, the X
    // one without its screen number (":0.0" is ":0").
    static QString displayName();

    // Whether a live copy of our own user holds the name.
    static bool find(const QString &atom);
    // Holds the name in this process (one more reference when it already does). HeldElsewhere
    // when another live process holds it; Failed when there is no private folder or the socket
    // cannot be made.
    static AddResult add(const QString &atom);
    // Drops one reference of this process; at the last one the name is released. Nothing
    // happens for a name held by another process.
    static void remove(const QString &atom);
    // References this process holds on the name.
    static int references(const QString &atom);

    // Connects to the holder of the name, when it is a live copy of our own user.
    static bool connectToHolder(HolderConnection &connection, const QString &atom,
                                QDeadlineTimer deadline);
    // Longest request line accepted; anything longer ends the connection.
    static constexpr qsizetype MaxLine = 512;
    // How long a copy waits for the holder to answer: a frozen holder must not hold it up.
    static constexpr int AnswerTimeoutMs = 2000;
    // The holder serves at most this many connections at once (a new one ends the oldest), each
    // for at most this long: idle or hostile clients cannot use up its descriptors.
    static constexpr int MaxConnections = 8;
    static constexpr int ConnectionLifetimeMs = 2 * AnswerTimeoutMs;
};

} // namespace tavorim
