#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tavorim {

// Where a line for the desktop's log goes, with the kind of message it came from.
using SystemLogSink = std::function<void(QtMsgType type, const QString &line)>;

// The desktop's log: syslog(3) under the name "tavorim", which the journal collects.
void writeSystemLog(QtMsgType type, const QString &line);

// The program's own messages (logging categories "tavorim.…") also go to the sink, as
// "category: message"; every message keeps Qt's own way to standard error. Set by the program's
// entry; a later call only changes the sink.
void logToSystemLog(SystemLogSink sink = writeSystemLog);

} // namespace tavorim
