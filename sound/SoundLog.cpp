#include "SoundLog.h"

namespace tavorim {

Q_LOGGING_CATEGORY(soundLog, "tavorim.sound")

} // namespace tavorim
