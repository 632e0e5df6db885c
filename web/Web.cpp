#include "Web.h"

#include "Module.h"
#include "WebModule.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QUrl>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace tavorim {

namespace {

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

// no_proxy read here rather than by libcurl, which knows no "*.example.org": "*" alone for
// every host, and entries such as "*.example.org" or ".example.org" naming a domain and the
// hosts under it.
QByteArray noProxyHosts() {
    QByteArray list = qgetenv("no_proxy").trimmed();
    if (list.isEmpty())
        list = qgetenv("NO_PROXY");
    QByteArrayList hosts;
    for (QByteArray entry : list.split(',')) {
        entry = entry.trimmed();
        while (entry.size() > 1 && (entry.startsWith('*') || entry.startsWith('.')))
            entry.remove(0, 1);
        if (!entry.isEmpty())
            hosts.append(entry);
    }
    return hosts.join(',');
}

// A request and what it needs from the environment, read on the calling thread; libcurl reads
// the proxy variables itself, for each hop's scheme.
struct Request {
    QString module;
    QByteArray url;
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
        const TavorimWebRequest sent{request.url.constData(), textOrNull(request.noProxy),
                                     textOrNull(request.caBundle), long(left.count())};
        if (sent.timeoutMs > 0)
            sendWithModule(&sent);
    }
    Senders &all = senders();
    const std::lock_guard lock(all.mutex);
    --all.running;
    all.ended.notify_all();
}

// The report through the web module; the links through the desktop.
class SystemWeb : public WebAccess {
public:
    void Navigate(const QString &address) override;
    void shellOpen(const QString &address) override;
};

void SystemWeb::Navigate(const QString &address) {
    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty())
        return;
    Request request{
        Module::pathOf(QStringLiteral(TAVORIM_WEB_MODULE_FILE)),
        url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toEncoded(), noProxyHosts(),
        qgetenv("CURL_CA_BUNDLE"), std::chrono::steady_clock::now() + SendingTime};
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

void SystemWeb::shellOpen(const QString &address) {
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

} // namespace

QString siteAddress() {
    return QStringLiteral(TAVORIM_SITE_URL);
}

QString statsAddress() {
    return QStringLiteral(TAVORIM_STATS_URL);
}

QString addressWithQuery(const QString &address, const QString &item) {
    const QString page = address.section(QLatin1Char('#'), 0, 0);
    if (!page.contains(QLatin1Char('?')))
        return page + QLatin1Char('?') + item;
    if (page.endsWith(QLatin1Char('?')) || page.endsWith(QLatin1Char('&')))
        return page + item;
    return page + QLatin1Char('&') + item;
}

WebAccess &systemWeb() {
    static SystemWeb web;
    return web;
}

void closeWeb() {
    Senders &all = senders();
    std::unique_lock lock(all.mutex);
    all.ended.wait_for(lock, EndingGrace, [&all] { return all.running == 0; });
}

} // namespace tavorim
