#pragma once

#include "SystemLog.h"

#include <QStringList>

namespace tavorim {

// The desktop's log as a list: what the program's messages would have written there.
struct FakeSystemLog {
    QStringList lines;
    SystemLogSink sink() {
        return [this](QtMsgType type, const QString &line) {
            lines << (type == QtWarningMsg ? QStringLiteral("warning ")
                                           : QStringLiteral("other ")) +
                         line;
        };
    }
};

} // namespace tavorim
