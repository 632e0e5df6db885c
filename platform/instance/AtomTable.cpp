#include "AtomTable.h"

#include "PrivateFolder.h"
#include "RemoteWindow.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tavorim {

namespace {

bool peerIsOurUser(qintptr descriptor) {
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (descriptor < 0 || getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED,
                                     &credentials, &length) != 0)
        return false;
    return credentials.uid == geteuid();
}

// Serves the requests of other copies on one accepted connection, for a bounded time.
class Conversation : public QObject {
public:
    Conversation(int descriptor, QObject *parent)
        : QObject(parent), descriptor_(descriptor), notifier_(descriptor, QSocketNotifier::Read) {
        connect(&notifier_, &QSocketNotifier::activated, this, &Conversation::readRequests);
        QTimer::singleShot(AtomTable::ConnectionLifetimeMs, this, &Conversation::end);
    }
    ~Conversation() override { ::close(descriptor_); }

    void end() {
        notifier_.setEnabled(false);
        deleteLater();
    }

private:
    void readRequests() {
        char buffer[AtomTable::MaxLine + 1];
        const ssize_t count = ::recv(descriptor_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        if (count <= 0) {
            end();
            return;
        }
        received_.append(buffer, count);
        for (qsizetype newline; (newline = received_.indexOf('\n')) >= 0;) {
            if (newline > AtomTable::MaxLine) {
                end();
                return;
            }
            const QByteArray reply =
                RemoteWindow::answer(received_.left(newline), windowFound_) + '\n';
            received_.remove(0, newline + 1);
            // The answers are a few bytes: a peer that does not take them is not worth waiting for.
            if (::send(descriptor_, reply.constData(), size_t(reply.size()),
                       MSG_NOSIGNAL | MSG_DONTWAIT) != reply.size()) {
                end();
                return;
            }
        }
        if (received_.size() > AtomTable::MaxLine)
            end();
    }

    int descriptor_;
    QSocketNotifier notifier_;
    QByteArray received_;
    bool windowFound_ = false;
};

// Listens on a bound socket for as long as the name is held. No failure of one connection ends
// the listening: an accept that finds no free descriptor pauses it for a moment (the callers wait
// in the queue), and the connections served at once are bounded in number and in time.
class Listener : public QObject {
public:
    Listener(int descriptor, const QByteArray &path)
        : descriptor_(descriptor), path_(path), notifier_(descriptor, QSocketNotifier::Read) {
        struct stat status {};
        if (::lstat(path_.constData(), &status) == 0) {
            device_ = status.st_dev;
            inode_ = status.st_ino;
        }
        connect(&notifier_, &QSocketNotifier::activated, this, &Listener::acceptPending);
    }

    ~Listener() override {
        notifier_.setEnabled(false);
        ::close(descriptor_);
        // Only our own socket goes: nothing else can have replaced it while we held the lock.
        struct stat status {};
        if (::lstat(path_.constData(), &status) == 0 && status.st_dev == device_ &&
            status.st_ino == inode_)
            ::unlink(path_.constData());
    }

private:
    static constexpr int RetryMs = 200;
    // Accepts tried per wake-up, so that a flood cannot keep the event loop for itself.
    static constexpr int AcceptsPerWakeUp = 2 * AtomTable::MaxConnections;

    void acceptPending() {
        for (int attempt = 0; attempt < AcceptsPerWakeUp; ++attempt) {
            const int connection =
                ::accept4(descriptor_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (connection >= 0) {
                take(connection);
                continue;
            }
            if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                notifier_.setEnabled(false);
                QTimer::singleShot(RetryMs, this, [this] { notifier_.setEnabled(true); });
            }
            return;
        }
    }

    void take(int connection) {
        if (!peerIsOurUser(connection)) {
            ::close(connection);
            return;
        }
        connections_.removeIf([](const QPointer<Conversation> &open) { return open.isNull(); });
        if (connections_.size() >= AtomTable::MaxConnections)
            connections_.takeFirst()->end();
        connections_.append(new Conversation(connection, this));
    }

    int descriptor_;
    QByteArray path_;
    QSocketNotifier notifier_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    QList<QPointer<Conversation>> connections_;
};

struct HeldName {
    int lock = -1;
    QByteArray lockPath;
    Listener *listener = nullptr;
    int references = 0;
};

QHash<QString, HeldName> &heldNames() {
    static QHash<QString, HeldName> names;
    return names;
}

// What a socket address can hold, its final zero included.
constexpr qsizetype MaxSocketPath = sizeof(sockaddr_un::sun_path);

QString lockName(const QString &socket) {
    return socket.chopped(int(std::strlen(".socket"))) + QStringLiteral(".lock");
}

// The lock that decides who holds a name: it goes with its holder, however that one ends. A
// holder that ends normally unlinks the file while still holding it, so a lock taken on a file
// that is no longer the one under the name counts for nothing and is taken again. -1 when it
// cannot be had; `result` then says whether another live process holds it.
int takeLock(const QByteArray &path, AtomTable::AddResult &result) {
    result = AtomTable::AddResult::Failed;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int lock = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (lock < 0)
            return -1;
        if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK)
                result = AtomTable::AddResult::HeldElsewhere;
            ::close(lock);
            return -1;
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(lock, &locked) == 0 && ::lstat(path.constData(), &named) == 0 &&
            S_ISREG(locked.st_mode) && locked.st_dev == named.st_dev &&
            locked.st_ino == named.st_ino)
            return lock;
        ::close(lock);
    }
    return -1;
}

// A non-blocking socket and the address of the path, for binding or connecting. -1 when the
// path does not fit an address or no socket can be had.
int socketFor(const QByteArray &path, sockaddr_un &address) {
    if (path.isEmpty() || path.size() >= MaxSocketPath)
        return -1;
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// A socket listening at the path; a leftover of a copy that ended without removing it goes
// first. -1 when it cannot be made.
int listenAt(const QByteArray &path) {
    struct stat status {};
    if (::lstat(path.constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return -1;
        ::unlink(path.constData());
    }
    sockaddr_un address;
    const int descriptor = socketFor(path, address);
    if (descriptor < 0)
        return -1;
    if (::bind(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(descriptor, SOMAXCONN) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

} // namespace

QString AtomTable::displayName() {
    QString x11 = qEnvironmentVariable("DISPLAY");
    if (x11.startsWith(QLatin1String("unix:")))
        x11 = x11.mid(4);
    // ":0" and ":0.0" are the same display: a screen number after the display's is dropped.
    const auto digits = [](QStringView text) {
        return !text.isEmpty() &&
               std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    };
    const qsizetype colon = x11.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = x11.indexOf(QLatin1Char('.'), colon + 1);
    if (colon >= 0 && dot > colon && digits(QStringView(x11).sliced(colon + 1, dot - colon - 1)) &&
        digits(QStringView(x11).sliced(dot + 1)))
        x11.truncate(dot);
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (x11.isEmpty() && wayland.isEmpty())
        return QStringLiteral("console");
    // A Wayland session also names its X server: both together tell the desktop apart from an X
    // server started inside it.
    return wayland + QLatin1Char('|') + x11;
}

QString AtomTable::socketName(const QString &atom) {
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return {};
    const auto encoded = [](const QString &text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text, ":", "_"));
    };
    const QString name = encoded(displayName()) + QLatin1Char('_') + encoded(atom);
    QString path = folder + QLatin1Char('/') + name + QStringLiteral(".socket");
    if (QFile::encodeName(path).size() >= MaxSocketPath) {
        const QByteArray digest =
            QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex();
        path = folder + QLatin1Char('/') + QString::fromLatin1(digest) + QStringLiteral(".socket");
    }
    return path;
}

namespace {
// Waits until the descriptor is ready for the events or the deadline passes.
bool waitFor(int descriptor, short events, QDeadlineTimer deadline) {
    for (;;) {
        pollfd watched{descriptor, events, 0};
        const int ready = ::poll(&watched, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// After a failed send or receive: whether to try again, the call having been interrupted or
// the descriptor having become ready before the deadline.
bool mayRetry(int descriptor, short events, QDeadlineTimer deadline) {
    if (errno == EINTR)
        return true;
    return (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(descriptor, events, deadline);
}
} // namespace

HolderConnection::~HolderConnection() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

std::optional<QByteArray> HolderConnection::exchange(const QByteArray &line,
                                                     QDeadlineTimer deadline) {
    if (descriptor_ < 0)
        return std::nullopt;
    const QByteArray request = line + '\n';
    for (qsizetype sent = 0; sent < request.size();) {
        const ssize_t count = ::send(descriptor_, request.constData() + sent,
                                     size_t(request.size() - sent), MSG_NOSIGNAL);
        if (count >= 0)
            sent += count;
        else if (!mayRetry(descriptor_, POLLOUT, deadline))
            return std::nullopt;
    }
    for (;;) {
        const qsizetype newline = received_.indexOf('\n');
        if (newline >= 0) {
            const QByteArray answer = received_.left(newline).trimmed();
            received_.remove(0, newline + 1);
            return answer;
        }
        if (received_.size() > AtomTable::MaxLine)
            return std::nullopt;
        char buffer[AtomTable::MaxLine + 1];
        const ssize_t count = ::recv(descriptor_, buffer, sizeof buffer, 0);
        if (count > 0)
            received_.append(buffer, count);
        else if (count == 0 || !mayRetry(descriptor_, POLLIN, deadline))
            return std::nullopt;
    }
}

bool AtomTable::connectToHolder(HolderConnection &connection, const QString &atom,
                                QDeadlineTimer deadline) {
    sockaddr_un address;
    const int descriptor = socketFor(QFile::encodeName(socketName(atom)), address);
    if (descriptor < 0)
        return false;
    // A holder whose queue is full is waited for, until the deadline.
    while (::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) !=
           0) {
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN && !deadline.hasExpired()) {
            ::poll(nullptr, 0, 10);
            continue;
        }
        ::close(descriptor);
        return false;
    }
    if (!peerIsOurUser(descriptor)) {
        ::close(descriptor);
        return false;
    }
    if (connection.descriptor_ >= 0)
        ::close(connection.descriptor_);
    connection.descriptor_ = descriptor;
    connection.received_.clear();
    return true;
}

bool AtomTable::find(const QString &atom) {
    if (heldNames().contains(atom))
        return true;
    HolderConnection connection;
    return connectToHolder(connection, atom, QDeadlineTimer(AnswerTimeoutMs));
}

AtomTable::AddResult AtomTable::add(const QString &atom) {
    auto held = heldNames().find(atom);
    if (held != heldNames().end()) {
        ++held->references;
        return AddResult::Added;
    }
    const QString socket = socketName(atom);
    if (socket.isEmpty())
        return AddResult::Failed;
    const QByteArray lockPath = QFile::encodeName(lockName(socket));
    AddResult locked = AddResult::Failed;
    const int lock = takeLock(lockPath, locked);
    if (lock < 0)
        return locked;
    const QByteArray path = QFile::encodeName(socket);
    const int listening = listenAt(path);
    if (listening < 0) {
        ::unlink(lockPath.constData());
        ::close(lock);
        return AddResult::Failed;
    }
    heldNames().insert(atom, {lock, lockPath, new Listener(listening, path), 1});
    return AddResult::Added;
}

void AtomTable::remove(const QString &atom) {
    auto held = heldNames().find(atom);
    if (held == heldNames().end())
        return;
    if (--held->references > 0)
        return;
    // The socket goes before the lock, so that the next holder never finds ours; the lock file
    // is unlinked while still locked (see takeLock).
    delete held->listener;
    ::unlink(held->lockPath.constData());
    ::close(held->lock);
    heldNames().erase(held);
}

int AtomTable::references(const QString &atom) {
    const auto held = heldNames().constFind(atom);
    return held == heldNames().cend() ? 0 : held->references;
}

} // namespace tavorim
