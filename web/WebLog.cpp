#include "WebLog.h"

namespace tavorim {

Q_LOGGING_CATEGORY(webLog, "tavorim.web")

} // namespace tavorim
