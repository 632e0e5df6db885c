#pragma once

#include <QLoggingCategory>

namespace tavorim {

// Messages about the sound cues, which also go to the system log.
Q_DECLARE_LOGGING_CATEGORY(soundLog)

} // namespace tavorim
