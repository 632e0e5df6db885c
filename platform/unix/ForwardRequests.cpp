#include "ForwardRequests.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusMessage>

namespace tavorim {

namespace {

// A copy that does not answer at once is not waited for long: the second copy ends anyway.
constexpr int AnswerMs = 2000;

} // namespace

QString ForwardRequests::serviceFor(const QString &lockPath) {
    const QByteArray digest =
        QCryptographicHash::hash(lockPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("example.quillavo.Tavorim.i") + QString::fromLatin1(digest);
}

QString ForwardRequests::objectPath() {
    return QStringLiteral("/example/quillavo/Tavorim");
}

ForwardRequests::ForwardRequests(const QString &lockPath, ComeForward comeForward)
    : comeForward_(std::move(comeForward)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!bus.registerObject(objectPath(), this, QDBusConnection::ExportAllSlots))
        return;
    if (bus.registerService(serviceFor(lockPath)))
        service_ = serviceFor(lockPath);
    else
        bus.unregisterObject(objectPath());
}

ForwardRequests::~ForwardRequests() {
    if (service_.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(service_);
    bus.unregisterObject(objectPath());
}

bool ForwardRequests::ask(const QString &lockPath) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        serviceFor(lockPath), objectPath(), QStringLiteral("org.freedesktop.Application"),
        QStringLiteral("Activate"));
    // The token the launcher gave this copy lets the compositor give the other copy the focus.
    QVariantMap platformData;
    for (const char *name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const QString token = qEnvironmentVariable(name);
        if (!token.isEmpty()) {
            platformData.insert(QStringLiteral("activation-token"), token);
            platformData.insert(QStringLiteral("desktop-startup-id"), token);
            break;
        }
    }
    call << platformData;
    return bus.call(call, QDBus::Block, AnswerMs).type() == QDBusMessage::ReplyMessage;
}

void ForwardRequests::Activate(const QVariantMap &platformData) {
    if (comeForward_)
        comeForward_(platformData.value(QStringLiteral("activation-token")).toString());
}

} // namespace tavorim
