#include "LockFileRendezvous.h"

#include "ForwardRequests.h"

#include "Windowing.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include <csignal>
#include <unistd.h>

namespace tavorim {

namespace {

using namespace std::chrono_literals;

// A copy writes its lock at once after making it: an unnamed lock older than this was left by a
// copy that died in between (or a power cut), and one younger is still being written.
constexpr auto WritingTime = 1500ms;
// Beyond this, a lock that keeps being made and left unnamed is given up.
constexpr auto LongestWait = 4 * WritingTime;
constexpr auto Poll = 20ms;

// The display the lock belongs to: the X display's name without its screen number (":0.0" is
// ":0"), else the Wayland display's. Where both are set the X one alone counts: a launcher may
// pass DISPLAY without WAYLAND_DISPLAY, and two sessions never share an X display.
QString displayName() {
    QString x11 = qEnvironmentVariable("DISPLAY");
    if (x11.startsWith(QLatin1String("unix:")))
        x11 = x11.mid(4);
    const auto digits = [](QStringView text) {
        return !text.isEmpty() &&
               std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    };
    const qsizetype colon = x11.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = x11.indexOf(QLatin1Char('.'), colon + 1);
    if (colon >= 0 && dot > colon && digits(QStringView(x11).sliced(colon + 1, dot - colon - 1)) &&
        digits(QStringView(x11).sliced(dot + 1)))
        x11.truncate(dot);
    if (!x11.isEmpty())
        return x11;
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    return wayland.isEmpty() ? QStringLiteral("console") : QStringLiteral("wayland=") + wayland;
}

// The process the lock names, when it names one at all; alive or not.
qint64 namedProcess(const QString &path) {
    qint64 pid = 0;
    QString host;
    QString application;
    if (!QLockFile(path).getLockInfo(&pid, &host, &application) || pid <= 0)
        return 0;
    return pid;
}

qint64 liveProcess(const QString &path) {
    const qint64 pid = namedProcess(path);
    return pid != 0 && ::kill(pid_t(pid), 0) == 0 ? pid : 0;
}

bool isOld(const QString &path) {
    const QDateTime written = QFileInfo(path).lastModified();
    const qint64 age = std::abs(written.msecsTo(QDateTime::currentDateTime()));
    return written.isValid() && age >= WritingTime.count();
}

enum class Removal { Done, Busy, Failed };

// Removes a lock that names no process and is old enough; of copies doing so at once, one
// removes it (Qt's own way for its stale locks).
Removal removeLeftOver(const QString &path, QString *reason) {
    QLockFile removal(path + QStringLiteral(".rmlock"));
    if (!removal.tryLock(0))
        return Removal::Busy;
    if (namedProcess(path) != 0 || !isOld(path))
        return Removal::Done; // made again meanwhile: look at the new one
    QFile file(path);
    if (file.remove() || !file.exists())
        return Removal::Done;
    *reason = file.errorString();
    return Removal::Failed;
}

} // namespace

LockFileRendezvous::LockFileRendezvous(SystemFolders system) : system_(std::move(system)) {}

QString LockFileRendezvous::lockPath(const QString &name) const {
    const QString folder = userFolder(system_);
    if (folder.isEmpty())
        return {};
    const auto encoded = [](const QString &text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text, ":", "_"));
    };
    QString file = encoded(displayName()) + QLatin1Char('_') + encoded(name);
    // Well within what a file name can hold.
    if (file.size() > 200)
        file = QString::fromLatin1(
            QCryptographicHash::hash(file.toLatin1(), QCryptographicHash::Sha1).toHex());
    return folder + QLatin1Char('/') + file + QStringLiteral(".lock");
}

qint64 LockFileRendezvous::holder(const QString &name) const {
    const QString path = lockPath(name);
    return path.isEmpty() ? 0 : liveProcess(path);
}

Rendezvous::Claim LockFileRendezvous::claim(const QString &name) {
    const QString path = lockPath(name);
    if (path.isEmpty())
        return {
            Outcome::Unavailable,
            {Trouble::NoPlace, system_.temp + QStringLiteral("/tavorim-%1").arg(::geteuid()), {}}};
    auto lock = std::make_unique<QLockFile>(path);
    // Qt's own age limit would take a live holder's lock for stale: only a lock that names a
    // process that has gone is, and an unnamed one once old enough.
    lock->setStaleLockTime(0);
    const QDeadlineTimer deadline(LongestWait);
    QString reason;
    while (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            return {Outcome::Unavailable, {Trouble::NotMade, path, QString()}};
        if (liveProcess(path) != 0)
            return {Outcome::HeldByAnother, {}};
        // Named by a process gone, Qt clears it at the next try; unnamed, it is being written
        // by a copy started this very instant, which wins, or it was left over.
        const Removal removal =
            namedProcess(path) == 0 && isOld(path) ? removeLeftOver(path, &reason) : Removal::Busy;
        if (removal == Removal::Failed)
            return {Outcome::Unavailable, {Trouble::LeftOverStays, path, reason}};
        if (removal == Removal::Done)
            continue;
        if (deadline.hasExpired())
            return {Outcome::Unavailable, {Trouble::LeftOverStays, path, QString()}};
        QThread::msleep(Poll.count());
    }
    lock_ = std::move(lock);
    return {Outcome::Taken, {}};
}

QList<WId> LockFileRendezvous::holderWindows(const QString &name) const {
    const qint64 pid = holder(name);
    return pid != 0 ? Windowing::current().topLevelWindows(pid) : QList<WId>();
}

bool LockFileRendezvous::askHolderForward(const QString &name) const {
    const QString path = lockPath(name);
    return !path.isEmpty() && ForwardRequests::ask(path);
}

void LockFileRendezvous::answerForwardRequests(
    const QString &name, std::function<void(const QString &token)> comeForward) {
    const QString path = lockPath(name);
    if (!path.isEmpty())
        answering_ = std::make_unique<ForwardRequests>(path, std::move(comeForward));
}

std::unique_ptr<Rendezvous> systemRendezvous() {
    return std::make_unique<LockFileRendezvous>();
}

} // namespace tavorim
