#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

namespace tavorim {

// A web peer on loopback that keeps what it receives and answers each request's head, or not:
// with a body of `body` bytes sent as fast as the connection takes them, or with a redirect to
// the same path at another origin. Over TLS (QSslServer), a request comes only after a
// handshake that succeeded.
template <class Server> class BasicHttpPeer : public Server {
public:
    bool answers = true;
    QByteArray redirect; // an origin, "https://127.0.0.1:port"; empty: no redirect
    qint64 body = 0;
    QByteArray received;
    int connections = 0;
    qint64 sent = 0;
    bool closedByClient = false; // before the whole body was sent

    BasicHttpPeer() {
        this->listen(QHostAddress::LocalHost);
        QObject::connect(this, &QTcpServer::newConnection, this, [this] { ++connections; });
        QObject::connect(this, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *socket = this->nextPendingConnection())
                serve(socket);
        });
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(this->serverPort()); }
    QString proxy() const { return QStringLiteral("http://") + address(); }
    QByteArray requestLine() const { return received.left(received.indexOf("\r\n")); }
    QByteArray header(const QByteArray &name) const {
        for (const QByteArray &line : received.split('\n'))
            if (line.startsWith(name + ": "))
                return line.mid(name.size() + 2).trimmed();
        return {};
    }

private:
    void serve(QTcpSocket *socket) {
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            const QByteArray chunk = socket->readAll();
            received += chunk;
            const bool answered = request->contains("\r\n\r\n");
            *request += chunk;
            if (answers && !answered && request->contains("\r\n\r\n"))
                socket->write(answer(*request));
        });
        QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this, socket](qint64 written) {
            sent += written;
            if (sent < body && socket->bytesToWrite() == 0)
                socket->write(QByteArray(qMin<qint64>(64 * 1024, body - sent), 'x'));
        });
        QObject::connect(socket, &QTcpSocket::disconnected, this,
                         [this] { closedByClient = sent < body; });
    }
    QByteArray answer(const QByteArray &request) const {
        if (redirect.isEmpty())
            return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body) + "\r\n\r\n";
        const QUrl asked(QString::fromLatin1(request.split(' ').value(1)));
        return "HTTP/1.1 301 Moved Permanently\r\nLocation: " + redirect +
               asked.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) +
               "\r\nContent-Length: 0\r\n\r\n";
    }
};

using HttpPeer = BasicHttpPeer<QTcpServer>;

} // namespace tavorim
