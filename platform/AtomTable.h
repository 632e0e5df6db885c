#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QString>

#include <memory>
#include <optional>

namespace tavorim {

// The per-user, per-display table of names that copies of the program use to find each other.
// A name lives in Linux's abstract socket namespace: the copy that holds it listens on it, and
// the kernel drops it when that copy ends, however it ends. Only connections from our own user
// are answered, and only a holder of our own user is believed.
class AtomTable {
public:
    enum class AddResult { Added, HeldElsewhere, Failed };

    // The socket name behind an atom: user id, display and the atom itself.
    static QString SocketName(const QString &atom);

    // Whether a live copy of our own user holds the name.
    static bool Find(const QString &atom);
    // Holds the name in this process (one more reference when it already does). HeldElsewhere
    // when another live process holds it.
    static AddResult Add(const QString &atom);
    // Drops one reference of this process; at the last one the name is released. Nothing
    // happens for a name held by another process.
    static void Delete(const QString &atom);
    // References this process holds on the name.
    static int References(const QString &atom);
};

// The application window of the copy that holds an atom, reached over the atom's connection:
// the requests stand in for FindWindow, IsIconic, ShowWindow(SW_RESTORE) and BringWindowToTop.
// Every request waits at most until the deadline given to FindWindow (a frozen holder must not
// hold this copy up); a request that gets no answer counts as failed.
class RemoteWindow {
public:
    // The holder's window when its application title is `title`; null when there is no
    // holder, the title differs or no answer came in time.
    static std::unique_ptr<RemoteWindow> FindWindow(const QString &atom, const QString &title,
                                                    QDeadlineTimer deadline);

    bool IsIconic();
    bool Restore();
    bool BringToTop();

    // The answering side, run by the copy that holds the atom.
    static QByteArray Answer(const QByteArray &request, bool &windowFound);

private:
    explicit RemoteWindow(QDeadlineTimer deadline) : deadline_(deadline) {}
    std::optional<QByteArray> request(const QByteArray &line);

    QLocalSocket socket_;
    QDeadlineTimer deadline_;
};

} // namespace tavorim
