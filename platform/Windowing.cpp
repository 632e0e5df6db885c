#include "Windowing.h"

#include "Backends.h"
#include "none/NoWindowing.h"

namespace tavorim {

Windowing &Windowing::current() {
    static NoWindowing nothing;
    if (Windowing *native = nativeWindowing())
        return *native;
    return nothing;
}

} // namespace tavorim
