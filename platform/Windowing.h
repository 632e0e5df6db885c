#pragma once

#include <QList>
#include <QMargins>
#include <QWindow>

#include <functional>
#include <optional>

class QObject;
class QString;
class QWidget;

namespace tavorim {

// What the program needs of the windowing system beyond Qt; X11 and Windows have back-ends of
// their own, and elsewhere (Wayland, offscreen) none of it is known.
class Windowing {
public:
    virtual ~Windowing() = default;

    // The back-end of the platform Qt runs on: X11 on its X11 platform, Windows on its windows
    // platform, the do-nothing one elsewhere.
    static Windowing &current();

    // The toggle state of the lock keys; off where it cannot be read.
    virtual bool capsLock() const = 0;
    virtual bool numLock() const = 0;

    // The frame the window manager drew around a top-level window; none while unknown.
    virtual std::optional<QMargins> frameExtents(const QWidget *window) const = 0;
    // Whether the window manager has minimised the window; Qt may learn of it only later.
    virtual bool minimisedByWindowManager(const QWidget *window) const = 0;

    // Calls focusGiven later, while owner lives, with each top-level window the window manager
    // gives the focus to, also where Qt passes that focus on to a modal window silently.
    virtual void watchFocusGiven(QObject *owner,
                                 std::function<void(QWidget *window)> focusGiven) = 0;

    // Shows text in a plain window of the system's own, for a screen Qt cannot paint on, and
    // returns once it is closed; false when no such window could be shown.
    virtual bool showPlainMessage(const QString &title, const QString &text) = 0;

    // Whether a window stays above another only as its owner's (Wayland, where the compositor
    // alone stacks); elsewhere an owned modal window would raise its owner over other windows.
    virtual bool stacksOnlyOwnedWindows() const = 0;

    // Another copy's windows, for the single-instance guard: the top-level windows of a process,
    // a window's icon name, whether it is minimised, and the activation a task bar asks for,
    // which brings a minimised window back. Nothing is found where the system cannot be asked.
    virtual QList<WId> topLevelWindows(qint64 pid) const = 0;
    virtual QString iconName(WId window) const = 0;
    virtual bool isIconic(WId window) const = 0;
    virtual void activate(WId window) = 0;
};

} // namespace tavorim
