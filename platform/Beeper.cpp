#include "Beeper.h"

#include <QApplication>

namespace tavorim {

void Beeper::beep() {
    QApplication::beep();
}

} // namespace tavorim
