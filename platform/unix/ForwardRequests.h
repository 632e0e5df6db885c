#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

namespace tavorim {

// A request to come forward, as freedesktop applications take it on the session bus
// (org.freedesktop.Application.Activate): what a second copy on a Wayland session sends, since
// it can neither find nor raise another client's windows there.
class ForwardRequests : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    using ComeForward = std::function<void(const QString &token)>;

    // The bus name that stands for a lock: one per user, display and program title.
    static QString serviceFor(const QString &lockPath);
    static QString objectPath();

    // Registered on the session bus under the lock's name while this object lives; nothing where
    // there is no session bus.
    ForwardRequests(const QString &lockPath, ComeForward comeForward);
    ~ForwardRequests() override;

    // Sends the request to the copy that answers for the lock, with this copy's own activation
    // token; false when no copy answered.
    static bool ask(const QString &lockPath);

public slots:
    void Activate(const QVariantMap &platformData);

private:
    QString service_;
    ComeForward comeForward_;
};

} // namespace tavorim
