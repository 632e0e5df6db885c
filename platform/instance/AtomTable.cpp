#include "AtomTable.h"

#include "RemoteWindow.h"

#include <QHash>
#include <QLocalServer>
#include <QPointer>

#include <sys/socket.h>
#include <unistd.h>

namespace tavorim {

namespace {

struct HeldName {
    QLocalServer *server = nullptr;
    int references = 0;
};

QHash<QString, HeldName> &heldNames() {
    static QHash<QString, HeldName> names;
    return names;
}

bool peerIsOurUser(qintptr descriptor) {
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (descriptor < 0 || getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED,
                                     &credentials, &length) != 0)
        return false;
    return credentials.uid == getuid();
}

} // namespace

bool AtomTable::connectToHolder(QLocalSocket &socket, const QString &atom,
                                QDeadlineTimer deadline) {
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(AtomTable::socketName(atom));
    if (!socket.waitForConnected(int(qMax<qint64>(0, deadline.remainingTime()))))
        return false;
    if (!peerIsOurUser(socket.socketDescriptor())) {
        socket.abort();
        return false;
    }
    return true;
}

namespace {

// Serves the requests of other copies on one accepted connection.
void serve(QLocalSocket *socket) {
    if (!peerIsOurUser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    auto windowFound = std::make_shared<bool>(false);
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, windowFound] {
        while (socket->canReadLine()) {
            const QByteArray line = socket->readLine(AtomTable::MaxLine + 1);
            if (!line.endsWith('\n')) {
                socket->abort();
                return;
            }
            socket->write(RemoteWindow::answer(line.chopped(1), *windowFound) + '\n');
        }
        if (socket->bytesAvailable() > AtomTable::MaxLine)
            socket->abort();
    });
}

} // namespace

QString AtomTable::socketName(const QString &atom) {
    // Copies on different displays or of different users must not see each other.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = QStringLiteral("console");
    return QStringLiteral("tavorim/%1/%2/%3").arg(getuid()).arg(display.left(40), atom);
}

bool AtomTable::find(const QString &atom) {
    if (heldNames().contains(atom))
        return true;
    QLocalSocket socket;
    return connectToHolder(socket, atom, QDeadlineTimer(AnswerTimeoutMs));
}

AtomTable::AddResult AtomTable::add(const QString &atom) {
    auto held = heldNames().find(atom);
    if (held != heldNames().end()) {
        ++held->references;
        return AddResult::Added;
    }
    auto *server = new QLocalServer;
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(socketName(atom))) {
        const bool inUse = server->serverError() == QAbstractSocket::AddressInUseError;
        delete server;
        return inUse ? AddResult::HeldElsewhere : AddResult::Failed;
    }
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket *socket = server->nextPendingConnection())
            serve(socket);
    });
    heldNames().insert(atom, {server, 1});
    return AddResult::Added;
}

void AtomTable::remove(const QString &atom) {
    auto held = heldNames().find(atom);
    if (held == heldNames().end())
        return;
    if (--held->references > 0)
        return;
    delete held->server;
    heldNames().erase(held);
}

int AtomTable::references(const QString &atom) {
    const auto held = heldNames().constFind(atom);
    return held == heldNames().cend() ? 0 : held->references;
}

} // namespace tavorim
