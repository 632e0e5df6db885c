#pragma once

#include <QLoggingCategory>

namespace tavorim {

// Messages about the exit report, which also go to the system log.
Q_DECLARE_LOGGING_CATEGORY(webLog)

} // namespace tavorim
