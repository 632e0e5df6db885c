#include "SystemLog.h"

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

} // namespace

void logToSystemLog(SystemLogSink sink) {
    Forwarding &to = forwarding();
    to.sink = std::move(sink);
    if (!to.previous)
        to.previous = qInstallMessageHandler(forward);
}

} // namespace tavorim
