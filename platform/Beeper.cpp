#include "Beeper.h"

#include <QApplication>

namespace tavorim {

namespace {
int beepCount = 0;
} // namespace

void Beeper::beep() {
    ++beepCount;
    QApplication::beep();
}

int Beeper::countForTests() {
    return beepCount;
}

void Beeper::resetCountForTests() {
    beepCount = 0;
}

} // namespace tavorim
