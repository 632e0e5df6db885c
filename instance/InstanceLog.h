#pragma once

#include <QLoggingCategory>

namespace tavorim {

// What the single-instance guard tells the system log.
Q_DECLARE_LOGGING_CATEGORY(instanceLog)

} // namespace tavorim
