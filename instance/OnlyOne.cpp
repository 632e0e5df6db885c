#include "OnlyOne.h"

#include "Application.h"
#include "PrivateFolder.h"
#include "Windowing.h"

#include <QCryptographicHash>
#include <QLockFile>
#include <QUrl>

#include <algorithm>
#include <memory>

#include <csignal>

namespace tavorim {

namespace {

// Shared by the guards of the process: the atom, its lock while this process holds it, and the
// guards' references.
struct Atom {
    QString name;
    std::unique_ptr<QLockFile> lock;
    int references = 0;
};

Atom &unitAtom() {
    static Atom atom;
    return atom;
}

// The display the atom belongs to: the X display's name without its screen number (":0.0" is
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

// The search looks at the holder's own windows only, and finds the holder when its main form
// carries the title as its icon name. An activation as a task bar asks it brings a minimised
// window back and raises a visible one; the holder then brings its whole chain of windows back,
// in order. Without an X display nothing can be searched: this copy just ends.
void bringOtherCopyForward(const QString &atom) {
    TApplication &application = TApplication::instance();
    const QString title = application.title().text();
    // This copy's own window must not answer the search.
    application.title().setText(QStringLiteral("destroy me"));
    const qint64 holder = TOnlyOne::holder(atom);
    Windowing &windowing = Windowing::current();
    const QList<WId> windows = holder ? windowing.topLevelWindows(holder) : QList<WId>();
    const auto found = std::find_if(windows.begin(), windows.end(), [&](WId window) {
        return windowing.iconName(window) == title;
    });
    if (found != windows.end()) {
        // Each minimised window is restored: the main form may not be minimised yet while the
        // window in front already is.
        bool iconic = false;
        for (const WId window : windows) {
            if (windowing.isIconic(window)) {
                iconic = true;
                windowing.activate(window);
            }
        }
        if (!iconic)
            windowing.activate(*found);
    }
    application.run().Terminate();
}

} // namespace

QString TOnlyOne::atomName() {
    return QStringLiteral("OnlyOne") + TApplication::instance().title().text().left(20);
}

QString TOnlyOne::lockPath(const QString &atom) {
    const QString folder = userFolder();
    if (folder.isEmpty())
        return {};
    const auto encoded = [](const QString &text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text, ":", "_"));
    };
    QString name = encoded(displayName()) + QLatin1Char('_') + encoded(atom);
    // Well within what a file name can hold.
    if (name.size() > 200)
        name = QString::fromLatin1(
            QCryptographicHash::hash(name.toLatin1(), QCryptographicHash::Sha1).toHex());
    return folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

qint64 TOnlyOne::holder(const QString &atom) {
    const QString path = lockPath(atom);
    qint64 pid = 0;
    QString host;
    QString application;
    if (path.isEmpty() || !QLockFile(path).getLockInfo(&pid, &host, &application) || pid <= 0 ||
        ::kill(pid_t(pid), 0) != 0)
        return 0;
    return pid;
}

TOnlyOne::TOnlyOne(QObject *owner) : QObject(owner) {
    Atom &atom = unitAtom();
    // This process already holds the atom: found, as another copy's would be.
    bool found = atom.references > 0;
    if (!found) {
        atom.name = atomName();
        const QString path = lockPath(atom.name);
        if (!path.isEmpty()) {
            atom.lock = std::make_unique<QLockFile>(path);
            // A lock is stale only when its holder has gone, however old it is.
            atom.lock->setStaleLockTime(0);
            // Of copies started at the same instant, the one that makes the file holds it. A
            // lock that cannot be made at all leaves this copy unguarded.
            if (!atom.lock->tryLock(0)) {
                found = atom.lock->error() == QLockFile::LockFailedError;
                atom.lock.reset();
            }
        }
    }
    ++atom.references;
    if (found)
        bringOtherCopyForward(atom.name);
}

TOnlyOne::~TOnlyOne() {
    Atom &atom = unitAtom();
    if (atom.references > 0 && --atom.references == 0)
        atom.lock.reset();
}

} // namespace tavorim
