#pragma once

#include "Web.h"

#include <QList>
#include <QUrl>

namespace tavorim {

// A web that keeps the addresses it is asked for instead of sending or opening them.
class RecordingWeb : public WebAccess {
public:
    QList<QUrl> sent;   // through Navigate
    QList<QUrl> opened; // through shellOpen

    void Navigate(const QString &address) override {
        sent.append(QUrl(address, QUrl::TolerantMode));
    }
    void shellOpen(const QString &address) override {
        opened.append(QUrl(address, QUrl::TolerantMode));
    }
};

} // namespace tavorim
