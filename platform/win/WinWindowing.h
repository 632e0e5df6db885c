#pragma once

#include "Windowing.h"

namespace tavorim {

// The Windows back-end: the lock keys, the frame and minimised state, and other copies' windows
// through the Win32 window manager.
class WinWindowing : public Windowing {
public:
    bool capsLock() const override;
    bool numLock() const override;
    std::optional<QMargins> frameExtents(const QWidget *window) const override;
    bool minimisedByWindowManager(const QWidget *window) const override;
    void watchFocusGiven(QObject *owner, std::function<void(QWidget *)> focusGiven) override;
    bool showPlainMessage(const QString &title, const QString &text) override;
    bool stacksOnlyOwnedWindows() const override { return false; }
    QList<WId> topLevelWindows(qint64 pid) const override;
    QString iconName(WId window) const override;
    bool isIconic(WId window) const override;
    void activate(WId window) override;
};

} // namespace tavorim
