#include "AtomTable.h"

#include "Application.h"

#include <QHash>
#include <QLocalServer>
#include <QPointer>

#include <sys/socket.h>
#include <unistd.h>

namespace tavorim {

namespace {

// Longest request line accepted; anything longer ends the connection.
constexpr qsizetype MaxLine = 512;

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

bool connectTo(QLocalSocket &socket, const QString &atom, QDeadlineTimer deadline) {
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(AtomTable::SocketName(atom));
    if (!socket.waitForConnected(int(qMax<qint64>(0, deadline.remainingTime()))))
        return false;
    if (!peerIsOurUser(socket.socketDescriptor())) {
        socket.abort();
        return false;
    }
    return true;
}

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
            const QByteArray line = socket->readLine(MaxLine + 1);
            if (!line.endsWith('\n')) {
                socket->abort();
                return;
            }
            socket->write(RemoteWindow::Answer(line.chopped(1), *windowFound) + '\n');
        }
        if (socket->bytesAvailable() > MaxLine)
            socket->abort();
    });
}

} // namespace

QString AtomTable::SocketName(const QString &atom) {
    // Copies on different displays or of different users must not see each other.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = QStringLiteral("console");
    return QStringLiteral("tavorim/%1/%2/%3").arg(getuid()).arg(display.left(40), atom);
}

bool AtomTable::Find(const QString &atom) {
    if (heldNames().contains(atom))
        return true;
    QLocalSocket socket;
    return connectTo(socket, atom, QDeadlineTimer(2000));
}

AtomTable::AddResult AtomTable::Add(const QString &atom) {
    auto held = heldNames().find(atom);
    if (held != heldNames().end()) {
        ++held->references;
        return AddResult::Added;
    }
    auto *server = new QLocalServer;
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(SocketName(atom))) {
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

void AtomTable::Delete(const QString &atom) {
    auto held = heldNames().find(atom);
    if (held == heldNames().end())
        return;
    if (--held->references > 0)
        return;
    delete held->server;
    heldNames().erase(held);
}

int AtomTable::References(const QString &atom) {
    const auto held = heldNames().constFind(atom);
    return held == heldNames().cend() ? 0 : held->references;
}

std::unique_ptr<RemoteWindow> RemoteWindow::FindWindow(const QString &atom, const QString &title,
                                                       QDeadlineTimer deadline) {
    std::unique_ptr<RemoteWindow> window(new RemoteWindow(deadline));
    if (!connectTo(window->socket_, atom, deadline))
        return nullptr;
    QString oneLine = title;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const auto answer = window->request("FIND " + oneLine.toUtf8());
    if (answer != QByteArray("YES"))
        return nullptr;
    return window;
}

bool RemoteWindow::IsIconic() {
    return request("ICONIC") == QByteArray("YES");
}

namespace {
// Wayland lets a window take the focus only with a token from the launcher; hand ours over.
QByteArray withActivationToken(QByteArray request) {
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty() && !token.contains('\n'))
        request += ' ' + token;
    return request;
}
} // namespace

bool RemoteWindow::Restore() {
    return request(withActivationToken("RESTORE")).has_value();
}

bool RemoteWindow::BringToTop() {
    return request(withActivationToken("RAISE")).has_value();
}

std::optional<QByteArray> RemoteWindow::request(const QByteArray &line) {
    if (socket_.state() != QLocalSocket::ConnectedState)
        return std::nullopt;
    socket_.write(line + '\n');
    if (!socket_.waitForBytesWritten(int(qMax<qint64>(0, deadline_.remainingTime()))))
        return std::nullopt;
    while (!socket_.canReadLine()) {
        if (socket_.bytesAvailable() > MaxLine ||
            !socket_.waitForReadyRead(int(qMax<qint64>(0, deadline_.remainingTime()))))
            return std::nullopt;
    }
    return socket_.readLine(MaxLine + 1).trimmed();
}

QByteArray RemoteWindow::Answer(const QByteArray &request, bool &windowFound) {
    const qsizetype space = request.indexOf(' ');
    const QByteArray verb = space < 0 ? request : request.left(space);
    const QByteArray argument = space < 0 ? QByteArray() : request.mid(space + 1);
    TApplication &application = TApplication::instance();
    if (verb == "FIND") {
        windowFound = QString::fromUtf8(argument) == application.Title();
        return windowFound ? "YES" : "NO";
    }
    if (!windowFound)
        return "NO";
    if (verb == "ICONIC")
        return application.IsIconic() ? "YES" : "NO";
    if (verb == "RESTORE" || verb == "RAISE") {
        if (!argument.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", argument);
        if (verb == "RESTORE")
            application.Restore();
        else
            application.BringToTop();
        return "OK";
    }
    return "NO";
}

} // namespace tavorim
