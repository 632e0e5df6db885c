#pragma once

#include "Windowing.h"

#include <QGuiApplication>
#include <QString>

namespace tavorim {

// Where the windowing system cannot be asked (Wayland, offscreen): Qt's own view stands alone.
class NoWindowing : public Windowing {
public:
    bool capsLock() const override { return false; }
    bool numLock() const override { return false; }
    std::optional<QMargins> frameExtents(const QWidget *) const override { return std::nullopt; }
    bool minimisedByWindowManager(const QWidget *) const override { return false; }
    void watchFocusGiven(QObject *, std::function<void(QWidget *)>) override {}
    bool showPlainMessage(const QString &, const QString &) override { return false; }
    bool stacksOnlyOwnedWindows() const override {
        return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }
    QList<WId> topLevelWindows(qint64) const override { return {}; }
    QString iconName(WId) const override { return {}; }
    bool isIconic(WId) const override { return false; }
    void activate(WId) override {}
};

} // namespace tavorim
