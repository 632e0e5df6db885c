#include "Web.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

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

// Lives as long as the application object, so that a request handed over just before the exit
// pause is still sent during it.
QPointer<QNetworkAccessManager> &managerInstance() {
    static QPointer<QNetworkAccessManager> instance;
    return instance;
}

QNetworkAccessManager *manager() {
    QPointer<QNetworkAccessManager> &instance = managerInstance();
    if (!instance)
        instance = new QNetworkAccessManager(QCoreApplication::instance());
    return instance;
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
    if (!url.isValid() || !QCoreApplication::instance())
        return;
    QNetworkReply *reply = manager()->get(QNetworkRequest(url));
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

void closeWeb() {
    QNetworkAccessManager *instance = managerInstance();
    if (!instance)
        return;
    for (QNetworkReply *reply : instance->findChildren<QNetworkReply *>())
        reply->abort();
    delete instance;
    // The network thread hands its last objects back for deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
