#include "Web.h"

#include "Module.h"
#include "WebModule.h"

#include <QByteArray>
#include <QDesktopServices>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

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

// The whole exchange, redirects included, ends this long after the report is handed over:
// well within the pause that follows it, so that the run never waits for the network.
constexpr std::chrono::milliseconds SendingTime{900};
// How long the end of the run waits for a sending thread past its time.
constexpr std::chrono::milliseconds EndingGrace{50};

// The sending threads still running. Never freed: a thread may outlive the end of the run.
struct Senders {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};

Senders &senders() {
    static auto *const all = new Senders;
    return *all;
}

QByteArray environment(const char *lower, const char *upper) {
    const QByteArray value = qgetenv(lower).trimmed();
    return value.isEmpty() ? qgetenv(upper).trimmed() : value;
}

// no_proxy as most programs read it: "*" alone for every host, and entries such as
// "*.example.org" or ".example.org" naming a domain and the hosts under it.
QByteArray noProxyHosts() {
    QByteArrayList hosts;
    for (QByteArray entry : environment("no_proxy", "NO_PROXY").split(',')) {
        entry = entry.trimmed();
        while (entry.size() > 1 && (entry.startsWith('*') || entry.startsWith('.')))
            entry.remove(0, 1);
        if (!entry.isEmpty())
            hosts.append(entry);
    }
    return hosts.join(',');
}

// A request with the environment's proxies, read on the calling thread.
struct Request {
    QString module;
    QByteArray url;
    QByteArray httpProxy;
    QByteArray httpsProxy;
    QByteArray noProxy;
    QByteArray caBundle;
    std::chrono::steady_clock::time_point deadline;
};

const char *textOrNull(const QByteArray &text) {
    return text.isEmpty() ? nullptr : text.constData();
}

// Module makes no Qt object, which would give the sending thread Qt's per-thread data that a
// thread still running at the end of the run leaves behind. Never unloaded: a sending thread
// may still be inside it then.
WebSendFunction findModule(const QString &path) {
    Module module;
    return module.load(path) ? module.resolve<WebSendFunction>(TAVORIM_WEB_MODULE_ENTRY) : nullptr;
}

void send(const Request &request) {
    // The module is loaded here, so the user-interface thread never waits for it.
    if (const WebSendFunction sendWithModule = findModule(request.module)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            request.deadline - std::chrono::steady_clock::now());
        const TavorimWebRequest sent{request.url.constData(),        textOrNull(request.httpProxy),
                                     textOrNull(request.httpsProxy), textOrNull(request.noProxy),
                                     textOrNull(request.caBundle),   long(left.count())};
        if (sent.timeoutMs > 0)
            sendWithModule(&sent);
    }
    Senders &all = senders();
    const std::lock_guard lock(all.mutex);
    --all.running;
    all.ended.notify_all();
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
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty())
        return;
    Request request{Module::pathOf(QStringLiteral(TAVORIM_WEB_MODULE_FILE)),
                    url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toEncoded(),
                    environment("http_proxy", "HTTP_PROXY"),
                    environment("https_proxy", "HTTPS_PROXY"),
                    noProxyHosts(),
                    qgetenv("CURL_CA_BUNDLE"),
                    std::chrono::steady_clock::now() + SendingTime};
    Senders &all = senders();
    const std::lock_guard lock(all.mutex);
    // Nobody waits for this thread but the end of the run, and that only briefly: each of
    // its steps is bounded by the sending time.
    try {
        std::thread(send, std::move(request)).detach();
        ++all.running;
    } catch (const std::system_error &) {
        // No thread to send it from: the report is lost, as any failed one is.
    }
}

void closeWeb() {
    Senders &all = senders();
    std::unique_lock lock(all.mutex);
    all.ended.wait_for(lock, EndingGrace, [&all] { return all.running == 0; });
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
