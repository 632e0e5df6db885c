// A build without a windowing back-end of its own: Qt's view stands alone everywhere.
#include "Backends.h"

namespace tavorim {

Windowing *nativeWindowing() {
    return nullptr;
}

} // namespace tavorim
