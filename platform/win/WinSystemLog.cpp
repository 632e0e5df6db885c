// The desktop's log on Windows: the Application event log under the source "Tavorim", and the
// debugger's output, which tools such as DebugView show.
#include "SystemLog.h"

#include <string>

#include <windows.h>

namespace tavorim {

namespace {

WORD eventType(QtMsgType type) {
    switch (type) {
    case QtCriticalMsg:
    case QtFatalMsg:
        return EVENTLOG_ERROR_TYPE;
    case QtWarningMsg:
        return EVENTLOG_WARNING_TYPE;
    case QtDebugMsg:
    case QtInfoMsg:
        break;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

} // namespace

void writeSystemLog(QtMsgType type, const QString &line) {
    const std::wstring text = line.toStdWString();
    OutputDebugStringW((L"tavorim: " + text + L"\n").c_str());
    // Debug lines stay out of the event log, which keeps what an administrator reads.
    if (type == QtDebugMsg)
        return;
    // Once, before the first line; never closed, the log serves to the end of the run.
    static const HANDLE source = RegisterEventSourceW(nullptr, L"Tavorim");
    if (!source)
        return;
    const wchar_t *strings[] = {text.c_str()};
    ReportEventW(source, eventType(type), 0, 0, nullptr, 1, 0, strings, nullptr);
}

} // namespace tavorim
