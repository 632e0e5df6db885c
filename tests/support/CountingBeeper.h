#pragma once

// Counts the beeps of refused keys: on the offscreen platform a beep makes no sound at all.

#include "DialogKeys.h"

namespace tavorim {

class CountingBeeper {
public:
    int count = 0;
    Beep beep() {
        return [this] { ++count; };
    }
};

} // namespace tavorim
