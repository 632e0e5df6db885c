#pragma once

namespace tavorim {

// The system's warning beep for a refused key.
class Beeper {
public:
    static void beep();
};

} // namespace tavorim
