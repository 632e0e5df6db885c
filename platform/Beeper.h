#pragma once

namespace tavorim {

// The system's warning beep for a refused key. Every beep goes through here so that tests can
// count them: on the offscreen platform a beep makes no sound at all.
class Beeper {
public:
    static void beep();

    static int countForTests();
    static void resetCountForTests();
};

} // namespace tavorim
