// The desktop's log on Unix systems: syslog(3), which the journal collects.
#include "SystemLog.h"

#include <syslog.h>

namespace tavorim {

namespace {

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

} // namespace tavorim
