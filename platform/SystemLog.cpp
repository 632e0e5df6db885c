#include "SystemLog.h"

#include <syslog.h>

namespace tavorim {

namespace {

struct Forwarding {
    QtMessageHandler previous = nullptr;
    SystemLogSink sink;
};

Forwarding &forwarding() {
    static Forwarding forwarding;
    return forwarding;
}

void forward(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    Forwarding &to = forwarding();
    const QLatin1String category(context.category ? context.category : "");
    if (to.sink && category.startsWith(QLatin1String("tavorim.")))
        to.sink(type, category + QLatin1String(": ") + message);
    // Last: a fatal message ends the process there.
    to.previous(type, context, message);
}

int priority(QtMsgType type) {
    switch (type) {
    case QtDebugMsg:
        return LOG_DEBUG;
    case QtInfoMsg:
        return LOG_INFO;
    case QtWarningMsg:
        return LOG_WARNING;
    case QtCriticalMsg:
        return LOG_CRIT;
    case QtFatalMsg:
        return LOG_ALERT;
    }
    return LOG_NOTICE;
}

} // namespace

void writeSystemLog(QtMsgType type, const QString &line) {
    // Once, before the first line: the name to file it under, and the process number.
    static const bool opened = (::openlog("tavorim", LOG_PID, LOG_USER), true);
    Q_UNUSED(opened);
    ::syslog(LOG_USER | priority(type), "%s", line.toUtf8().constData());
}

void logToSystemLog(SystemLogSink sink) {
    Forwarding &to = forwarding();
    to.sink = std::move(sink);
    if (!to.previous)
        to.previous = qInstallMessageHandler(forward);
}

} // namespace tavorim
