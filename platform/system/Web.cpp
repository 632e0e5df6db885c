#include "Web.h"

#include <QByteArray>
#include <QDesktopServices>

#include <atomic>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include <cerrno>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavorim {

namespace {

std::function<void(const QUrl &)> &navigateForTests() {
    static std::function<void(const QUrl &)> navigate;
    return navigate;
}

std::function<void(const QUrl &)> &openForTests() {
    static std::function<void(const QUrl &)> open;
    return open;
}

// Set at the end of the run: a request not yet sent is dropped.
std::atomic<bool> closed{false};

// Each wait of a sending thread is bounded, so that none lingers for long in a long run.
constexpr int WaitMs = 10000;
// The report needs no answer: no more than this is read of it, then the connection is closed.
constexpr std::size_t AnswerBytesRead = 4096;

// One request, ready to go: where to connect and the bytes to send.
struct Request {
    std::string host;
    std::string port;
    std::string bytes;
};

QByteArray environment(const char *lower, const char *upper) {
    const QByteArray value = qgetenv(lower);
    return value.isEmpty() ? qgetenv(upper) : value;
}

// The proxy for an address, from http_proxy and no_proxy as most programs read them; none for
// a direct connection.
std::optional<QUrl> proxyFor(const QUrl &url) {
    const QByteArray setting = environment("http_proxy", "HTTP_PROXY").trimmed();
    if (setting.isEmpty())
        return std::nullopt;
    const QString host = url.host().toLower();
    for (QByteArray entry : environment("no_proxy", "NO_PROXY").toLower().split(',')) {
        entry = entry.trimmed();
        if (entry == "*")
            return std::nullopt;
        while (entry.startsWith('*') || entry.startsWith('.'))
            entry.remove(0, 1);
        const QString domain = QString::fromLatin1(entry);
        if (!domain.isEmpty() && (host == domain || host.endsWith(QLatin1Char('.') + domain)))
            return std::nullopt;
    }
    const QUrl proxy(
        QString::fromLocal8Bit(setting.contains("://") ? setting : "http://" + setting));
    if (!proxy.isValid() || proxy.scheme() != QLatin1String("http") || proxy.host().isEmpty())
        return std::nullopt;
    return proxy;
}

Request makeRequest(const QUrl &url) {
    const QUrl page = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    const std::optional<QUrl> proxy = proxyFor(page);
    const QUrl &peer = proxy ? *proxy : page;
    // Through a proxy the whole address is asked for, else its path and query.
    QByteArray target =
        proxy ? page.toEncoded() : page.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    if (!target.startsWith('/') && !proxy)
        target.prepend('/');
    QByteArray bytes = "GET " + target +
                       " HTTP/1.1\r\nHost: " + page.authority(QUrl::FullyEncoded).toLatin1() +
                       "\r\n";
    if (proxy && !proxy->userName().isEmpty())
        bytes += "Proxy-Authorization: Basic " +
                 (proxy->userName() + QLatin1Char(':') + proxy->password()).toUtf8().toBase64() +
                 "\r\n";
    bytes += "Connection: close\r\n\r\n";
    return {peer.host(QUrl::FullyEncoded).toStdString(), std::to_string(peer.port(80)),
            bytes.toStdString()};
}

bool waitFor(int fd, short events) {
    pollfd entry{fd, events, 0};
    int ready;
    do
        ready = ::poll(&entry, 1, WaitMs);
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// A connection to the first of the host's addresses that takes one; -1 when none does.
int connectTo(const Request &request) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *addresses = nullptr;
    if (::getaddrinfo(request.host.c_str(), request.port.c_str(), &hints, &addresses) != 0)
        return -1;
    int connected = -1;
    for (const addrinfo *a = addresses; a && connected < 0 && !closed; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0)
            continue;
        int error = 0;
        socklen_t length = sizeof error;
        if ((::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ||
             (errno == EINPROGRESS && waitFor(fd, POLLOUT) &&
              ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)))
            connected = fd;
        else
            ::close(fd);
    }
    ::freeaddrinfo(addresses);
    return connected;
}

bool sendAll(int fd, const std::string &bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (!waitFor(fd, POLLOUT))
            return false;
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        if (n > 0)
            sent += std::size_t(n);
    }
    return true;
}

// Reads the head of the answer, into a buffer of fixed size, and no further.
void readAnswerHead(int fd) {
    char answer[AnswerBytesRead];
    std::size_t got = 0;
    while (got < sizeof answer && waitFor(fd, POLLIN)) {
        const ssize_t n = ::recv(fd, answer + got, sizeof answer - got, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return;
        if (n > 0)
            got += std::size_t(n);
        if (std::string_view(answer, got).find("\r\n\r\n") != std::string_view::npos)
            return;
    }
}

void send(const Request &request) {
    const int fd = connectTo(request);
    if (fd < 0)
        return;
    if (!closed && sendAll(fd, request.bytes))
        readAnswerHead(fd);
    ::close(fd);
}

} // namespace

QString siteAddress() {
    return QStringLiteral(TAVORIM_SITE_URL);
}

QString statsAddress() {
    return QStringLiteral(TAVORIM_STATS_URL);
}

void Navigate(const QString &address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (navigateForTests()) {
        navigateForTests()(url);
        return;
    }
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty())
        return;
    // Nobody waits for this thread: a host lookup or a server that never answers holds it
    // alone, and the end of the process takes it along.
    try {
        std::thread(send, makeRequest(url)).detach();
    } catch (const std::system_error &) {
        // No thread to send it from: the report is lost, as any failed one is.
    }
}

void closeWeb() {
    closed = true;
}

void shellOpen(const QString &address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (openForTests()) {
        openForTests()(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

void setNavigateForTests(std::function<void(const QUrl &)> navigate) {
    navigateForTests() = std::move(navigate);
}

void setShellOpenForTests(std::function<void(const QUrl &)> open) {
    openForTests() = std::move(open);
}

} // namespace tavorim
