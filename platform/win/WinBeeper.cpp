// The warning beep: the sound the user chose for the default beep.
#include "Beeper.h"

#include <windows.h>

namespace tavorim {

void Beeper::beep() {
    MessageBeep(MB_OK);
}

} // namespace tavorim
