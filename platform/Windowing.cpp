#include "Windowing.h"

#include "Backends.h"
#include "none/NoWindowing.h"

namespace tavorim {

Windowing &Windowing::current() {
    static NoWindowing nothing;
    if (Windowing *x11 = x11Windowing())
        return *x11;
    return nothing;
}

} // namespace tavorim
